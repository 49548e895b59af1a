// Calls on kernel objects of any kind, the atomic word operation, the memory query and the
// names of the kernel's codes.
#include <fstream>

#include <unistd.h>

#include "KernelInternal.h"

using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::LinkObject;
using host::kernel::ObjectPtr;

const char* KernelErrorName(Error code) {
    switch (code) {
        case Success:
            return "Success";
        case ObjectIsNotValid:
            return "ObjectIsNotValid";
        case IncorrectObjectType:
            return "IncorrectObjectType";
        case IllegalParameter:
            return "IllegalParameter";
        case NULLObjectSpecified:
            return "NULLObjectSpecified";
        case AlreadyOwned:
            return "AlreadyOwned";
        case ConnectionClosed:
            return "ConnectionClosed";
        case BufferTooSmall:
            return "BufferTooSmall";
        case BufferKindMismatch:
            return "BufferKindMismatch";
        case ActivityBusy:
            return "ActivityBusy";
        case TaskHasEnded:
            return "TaskHasEnded";
        case WouldBlock:
            return "WouldBlock";
        case WaitingForAReply:
            return "WaitingForAReply";
        case UnknownResourceName:
            return "UnknownResourceName";
        case IncorrectPassword:
            return "IncorrectPassword";
        case ResourceNotAvailable:
            return "ResourceNotAvailable";
        case CallerDoesntOwnTheSemaphore:
            return "CallerDoesntOwnTheSemaphore";
        case OperationTimedOut:
            return "OperationTimedOut";
        default:
            return "UnknownError";
    }
}

Error closeKernelObject(Object object) {
    KernelCall call("closeKernelObject");
    if (call.injected != Success) {
        return call.injected;
    }
    return call.kernel.closeHandle(object);
}

Object objectByIndex(uint32_t index) {
    return index == 1 ? host::kernel::Kernel::instance().addressSpaceHandle() : nullptr;
}

Error createObjectLink(Object object, Link* link) {
    KernelCall call("createObjectLink");
    if (call.injected != Success) {
        return call.injected;
    }
    if (link == nullptr) {
        return IllegalParameter;
    }
    ObjectPtr target;
    if (Error error = call.kernel.findAny(object, target)) {
        return error;
    }
    auto created = std::make_shared<LinkObject>();
    created->target =
        target->kind == Kind::Link ? static_cast<LinkObject&>(*target).target : target;
    *link = call.kernel.addHandle(created);
    return Success;
}

Error atomicModifyWord(uint32_t* word, uint32_t* oldValue, uint32_t clearMask, uint32_t setMask) {
    if (word == nullptr) {
        return IllegalParameter;
    }
    uint32_t before = __atomic_load_n(word, __ATOMIC_SEQ_CST);
    while (!__atomic_compare_exchange_n(word, &before, (before & ~clearMask) | setMask, false,
                                        __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
    }
    if (oldValue != nullptr) {
        *oldValue = before;
    }
    return Success;
}

int memoryPoolInUse(void) {
    return 1;  // the host's heap serves every allocation of the address space
}

Error addressSpaceMemoryPages(AddressSpace space, uint32_t* pages) {
    KernelCall call("addressSpaceMemoryPages");
    if (call.injected != Success) {
        return call.injected;
    }
    ObjectPtr object;
    if (Error error = call.kernel.findAny(space, object)) {
        return error;
    }
    if (object->kind != Kind::AddressSpace) {
        return IncorrectObjectType;
    }
    if (pages == nullptr) {
        return IllegalParameter;
    }
    std::ifstream statm("/proc/self/statm");
    uint64_t totalPages = 0;
    uint64_t residentPages = 0;
    if (!(statm >> totalPages >> residentPages)) {
        return ResourceNotAvailable;
    }
    uint64_t bytes = residentPages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    *pages = static_cast<uint32_t>(bytes / 4096);
    return Success;
}
