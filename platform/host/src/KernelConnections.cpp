// Connections: creation, rendezvous sends and blocking receives.
#include "KernelInternal.h"

using host::kernel::ConnectionEnd;
using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::ObjectPtr;
using host::kernel::TaskRecord;
using host::kernel::Waiter;
using host::kernel::WaitQueue;

Error CreateConnection(Connection* first, Connection* second) {
    KernelCall call("CreateConnection");
    if (call.injected != Success) {
        return call.injected;
    }
    if (first == nullptr || second == nullptr) {
        return IllegalParameter;
    }
    auto one = std::make_shared<ConnectionEnd>();
    auto other = std::make_shared<ConnectionEnd>();
    one->peer = other.get();
    other->peer = one.get();
    *first = call.kernel.addHandle(one);
    *second = call.kernel.addHandle(other);
    return Success;
}

Error SynchronousSend(Connection connection, Buffer* message) {
    KernelCall call("SynchronousSend");
    if (call.injected != Success) {
        return call.injected;
    }
    TaskRecord& self = call.kernel.currentTask();
    std::shared_ptr<ConnectionEnd> end;
    if (Error error = call.kernel.find(connection, Kind::Connection, end)) {
        return error;
    }
    if (Error error = host::kernel::checkMessage(call.kernel, message, true)) {
        return error;
    }
    call.kernel.enterBlockingCall(call.lock, self);
    if (end->closed) {
        return ObjectIsNotValid;
    }
    if (end->peer == nullptr) {
        return ConnectionClosed;
    }
    ConnectionEnd& peer = *end->peer;
    Waiter sender;
    sender.task = &self;
    sender.message = message;
    if (!peer.receivers.empty()) {
        Waiter* receiver = peer.receivers.front();
        peer.receivers.pop_front();
        Error result = host::kernel::transferMessage(call.kernel, message, receiver->message);
        call.kernel.finish(*receiver, result);
        return result;
    }
    peer.incoming.push_back(&sender);
    return call.kernel.block(call.lock, self, sender, &peer.incoming, nullptr);
}

Error SynchronousReceive(Object object, Buffer* message) {
    KernelCall call("SynchronousReceive");
    if (call.injected != Success) {
        return call.injected;
    }
    TaskRecord& self = call.kernel.currentTask();
    ObjectPtr target;
    if (Error error = call.kernel.findAny(object, target)) {
        return error;
    }
    if (Error error = host::kernel::checkMessage(call.kernel, message, false)) {
        return error;
    }
    call.kernel.enterBlockingCall(call.lock, self);
    if (target->closed) {
        return ObjectIsNotValid;
    }
    Waiter receiver;
    receiver.task = &self;
    receiver.message = message;
    WaitQueue* queued = nullptr;
    if (Error error = host::kernel::startReceive(call.kernel, target, receiver, queued)) {
        return error;
    }
    if (queued == nullptr) {
        return receiver.result;
    }
    return call.kernel.block(call.lock, self, receiver, queued, nullptr);
}
