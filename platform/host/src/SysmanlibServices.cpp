// The service registry of an address space and the connection, request and release of services.
// Registries and service objects live as long as the address space, so they come from the
// framework's never-freed allocator.
#include <cstring>

#include "Kernel.h"
#include "Sysmanlib.h"
#include "SysmanlibInternal.h"
#include "Tarvo.h"

struct SysmanlibServiceRegistry {
    char szName[kServiceNameSize];
    uint32_t nCapacity;
    uint32_t nFlags;
    uint32_t nCount;
    ServiceObject** ppServices;
};

namespace {

// Copies a text of at most `fieldSize` bytes (terminated or not) into `target` (of
// `targetSize` bytes), always terminated.
void copyBounded(char* target, size_t targetSize, const char* field, size_t fieldSize) {
    size_t length = strnlen(field, fieldSize);
    if (length > targetSize - 1) {
        length = targetSize - 1;
    }
    std::memcpy(target, field, length);
    target[length] = '\0';
}

uint32_t readU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

ServiceObject* findService(const SysmanlibServiceRegistry* pRegistry, uint32_t activityId) {
    if (pRegistry == nullptr) {
        return nullptr;
    }
    for (uint32_t i = 0; i < pRegistry->nCount; ++i) {
        if (pRegistry->ppServices[i]->nActivityId == activityId) {
            return pRegistry->ppServices[i];
        }
    }
    return nullptr;
}

SysmanlibServiceRegistry* registryOf(const AsInfo* pAsInfo) {
    return static_cast<SysmanlibServiceRegistry*>(pAsInfo->hServiceRegistry);
}

}  // namespace

SysmanlibServiceRegistry* Sysmanlib_CreateServiceRegistry(const char* szName, uint32_t nCapacity,
                                                          uint32_t nFlags) {
    if (nCapacity == 0) {
        return nullptr;
    }
    auto* registry = static_cast<SysmanlibServiceRegistry*>(
        Tarvo_DebugAlloc(1, sizeof(SysmanlibServiceRegistry), __FILE__, __LINE__, 0));
    auto* services = static_cast<ServiceObject**>(
        Tarvo_DebugAlloc(1, sizeof(ServiceObject*) * nCapacity, __FILE__, __LINE__, 0));
    if (registry == nullptr || services == nullptr) {
        return nullptr;
    }
    copyBounded(registry->szName, sizeof(registry->szName), szName != nullptr ? szName : "",
                kServiceNameSize);
    registry->nCapacity = nCapacity;
    registry->nFlags = nFlags;
    registry->ppServices = services;
    return registry;
}

ServiceObject* Sysmanlib_FindServiceByArgument(SysmanlibServiceRegistry* pRegistry,
                                               uint32_t nArgument) {
    return findService(pRegistry, nArgument);
}

ServiceObject* Sysmanlib_FindServiceByActivity(SysmanlibServiceRegistry* pRegistry,
                                               uint32_t nActivityId) {
    return findService(pRegistry, nActivityId);
}

int Sysmanlib_ConnectService(AsInfo* pAsInfo, ComponentStartFunction pfnEntry,
                             const uint8_t* pDescription, Connection hConnection1,
                             Connection hConnection2, uint32_t nFlags) {
    if (pAsInfo == nullptr || pDescription == nullptr) {
        return IllegalParameter;
    }
    const char* name = reinterpret_cast<const char*>(pDescription + kServiceDescNameOffset);
    if (strnlen(name, kServiceDescNameSize) == 0) {
        return Success;
    }
    SysmanlibServiceRegistry* registry = registryOf(pAsInfo);
    if (registry == nullptr || registry->nCount == registry->nCapacity) {
        return ResourceNotAvailable;
    }
    auto* service = static_cast<ServiceObject*>(
        Tarvo_DebugAlloc(1, sizeof(ServiceObject), __FILE__, __LINE__, 0));
    if (service == nullptr) {
        return ResourceNotAvailable;
    }
    copyBounded(service->szName, sizeof(service->szName), name, kServiceDescNameSize);
    service->hConnection1 = hConnection1;
    service->hConnection2 = hConnection2;
    service->nActivityId = readU32(pDescription + kServiceDescActivityIdOffset);
    service->pOwner = pAsInfo;
    service->nFlags = nFlags;
    registry->ppServices[registry->nCount++] = service;
    return pfnEntry != nullptr ? pfnEntry(pAsInfo, nullptr, service) : Success;
}

Error Sysmanlib_RequestService(AsInfo* pAsInfo, const char* szName) {
    char bounded[kServiceDescNameSize] = {};
    if (szName != nullptr) {
        copyBounded(bounded, sizeof(bounded), szName, sizeof(bounded));
    }
    return host::detail::sendToSystemManager(pAsInfo, kSysmanlibRequestService, 0, 0, bounded,
                                             static_cast<uint32_t>(strlen(bounded) + 1));
}

Error Sysmanlib_ReleaseService(ServiceObject* pService) {
    if (pService == nullptr || pService->pOwner == nullptr) {
        return IllegalParameter;
    }
    SysmanlibServiceRegistry* registry = registryOf(pService->pOwner);
    if (registry != nullptr) {
        for (uint32_t i = 0; i < registry->nCount; ++i) {
            if (registry->ppServices[i] == pService) {
                registry->ppServices[i] = registry->ppServices[--registry->nCount];
                break;
            }
        }
    }
    return host::detail::sendToSystemManager(
        pService->pOwner, kSysmanlibReleaseService, pService->nActivityId, 0, pService->szName,
        static_cast<uint32_t>(strnlen(pService->szName, sizeof(pService->szName)) + 1));
}
