// Kernel messages: checking descriptors and copying a message from sender to receiver.
#include <algorithm>
#include <cstring>

#include "KernelInternal.h"

namespace host {
namespace kernel {
namespace {

// A message longer than this is taken for one whose LastBuffer flag is missing.
constexpr int kMaxDescriptors = 16;

uint32_t kindOf(const Buffer& descriptor) {
    return descriptor.BufferType & ~static_cast<uint32_t>(LastBuffer);
}

// Number of descriptors of `message` (0 for null), or -1 without a last descriptor.
int countDescriptors(const Buffer* message) {
    if (message == nullptr) {
        return 0;
    }
    for (int i = 0; i < kMaxDescriptors; ++i) {
        if ((message[i].BufferType & LastBuffer) != 0) {
            return i + 1;
        }
    }
    return -1;
}

bool knownKind(uint32_t kind) {
    return kind == ImmediateBuffer || kind == DataBuffer || kind == ObjectBuffer ||
           kind == LinkBuffer;
}

Object handOverObject(Kernel& kernel, uintptr_t sent, bool asLink, Error& result) {
    if (sent == 0) {
        return nullptr;
    }
    ObjectPtr object;
    if (Error error = kernel.findAny(reinterpret_cast<Object>(sent), object)) {
        result = error;  // closed while the message waited
        return nullptr;
    }
    if (!asLink) {
        return kernel.addHandle(object);
    }
    auto link = std::make_shared<LinkObject>();
    link->target = object->kind == Kind::Link ? static_cast<LinkObject&>(*object).target : object;
    return kernel.addHandle(link);
}

Error copyDescriptor(Kernel& kernel, Buffer& from, Buffer& to) {
    Error result = Success;
    switch (kindOf(from)) {
        case ImmediateBuffer:
            to.TheAddress = from.TheAddress;
            to.Length = from.Length;
            break;
        case DataBuffer: {
            uintptr_t room = to.TheAddress != 0 ? to.Length : 0;
            uintptr_t copied = std::min(from.Length, room);
            if (copied > 0) {
                std::memcpy(reinterpret_cast<void*>(to.TheAddress),
                            reinterpret_cast<const void*>(from.TheAddress), copied);
            }
            to.Transferred = static_cast<uint32_t>(copied);
            from.Transferred = static_cast<uint32_t>(copied);
            if (from.Length > room) {
                result = BufferTooSmall;
            }
            return result;
        }
        case ObjectBuffer:
        case LinkBuffer:
            to.TheAddress = reinterpret_cast<uintptr_t>(
                handOverObject(kernel, from.TheAddress, kindOf(from) == LinkBuffer, result));
            break;
    }
    to.Transferred = 0;
    return result;
}

}  // namespace

Error checkMessage(Kernel& kernel, const Buffer* message, bool sending) {
    int count = countDescriptors(message);
    if (count < 0) {
        return IllegalParameter;
    }
    for (int i = 0; i < count; ++i) {
        const Buffer& descriptor = message[i];
        uint32_t kind = kindOf(descriptor);
        if (!knownKind(kind)) {
            return IllegalParameter;
        }
        if (kind == DataBuffer && descriptor.TheAddress == 0 && descriptor.Length != 0) {
            return IllegalParameter;
        }
        bool handsOver = kind == ObjectBuffer || kind == LinkBuffer;
        if (sending && handsOver && descriptor.TheAddress != 0) {
            ObjectPtr object;
            if (Error error =
                    kernel.findAny(reinterpret_cast<Object>(descriptor.TheAddress), object)) {
                return error;
            }
        }
    }
    return Success;
}

Error transferMessage(Kernel& kernel, Buffer* from, Buffer* to) {
    const int sent = countDescriptors(from);
    const int room = countDescriptors(to);
    Error result = sent > room ? BufferTooSmall : Success;
    for (int i = 0; i < room; ++i) {
        Buffer& target = to[i];
        if (i >= sent) {
            target.Transferred = 0;
            continue;
        }
        if (kindOf(from[i]) != kindOf(target)) {
            target.Transferred = 0;
            result = result == Success ? BufferKindMismatch : result;
            continue;
        }
        Error error = copyDescriptor(kernel, from[i], target);
        if (error != Success && result == Success) {
            result = error;
        }
    }
    return result;
}

}  // namespace kernel
}  // namespace host
