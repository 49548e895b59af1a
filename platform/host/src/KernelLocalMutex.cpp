// Local mutexes of the basic library: locks with an owner, kept as kernel lock objects.
#include "KernelInternal.h"

using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::SemaphoreKind;
using host::kernel::SemaphoreObject;

namespace {

Object handleOf(LocalMutex mutex) {
    return reinterpret_cast<Object>(mutex);
}

Error findMutex(KernelCall& call, LocalMutex mutex, std::shared_ptr<SemaphoreObject>& out) {
    if (call.injected != Success) {
        return call.injected;
    }
    return call.kernel.find(handleOf(mutex), Kind::LocalMutex, out);
}

}  // namespace

Error CreateLocalMutex(LocalMutex* mutex) {
    KernelCall call("CreateLocalMutex");
    if (call.injected != Success) {
        return call.injected;
    }
    if (mutex == nullptr) {
        return IllegalParameter;
    }
    auto created = std::make_shared<SemaphoreObject>(Kind::LocalMutex, SemaphoreKind::Owned);
    *mutex = reinterpret_cast<LocalMutex>(call.kernel.addHandle(created));
    return Success;
}

Error WaitForLocalMutex(LocalMutex mutex) {
    KernelCall call("WaitForLocalMutex");
    std::shared_ptr<SemaphoreObject> waited;
    if (Error error = findMutex(call, mutex, waited)) {
        return error;
    }
    return host::kernel::waitForSemaphore(call.kernel, call.lock, call.kernel.currentTask(), waited,
                                          nullptr);
}

Error ReleaseLocalMutex(LocalMutex mutex) {
    KernelCall call("ReleaseLocalMutex");
    std::shared_ptr<SemaphoreObject> released;
    if (Error error = findMutex(call, mutex, released)) {
        return error;
    }
    return host::kernel::releaseSemaphore(call.kernel, *released, call.kernel.currentTask().serial);
}

Error CloseLocalMutex(LocalMutex mutex) {
    KernelCall call("CloseLocalMutex");
    std::shared_ptr<SemaphoreObject> closing;
    if (Error error = findMutex(call, mutex, closing)) {
        return error;
    }
    return call.kernel.closeHandle(handleOf(mutex));
}
