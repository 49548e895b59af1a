// The address-space block registry and the information the framework gives about it.
#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>

#include "FrameworkInternal.h"
#include "HostFramework.h"
#include "Tarvo.h"
#include "TextService.h"

namespace host {
namespace {

struct Registry {
    std::atomic<AsInfo*> current{nullptr};
    std::atomic<int32_t> registrations{0};
    std::mutex mutex;  // the overrides
    std::optional<uint8_t> language;
    std::optional<uint8_t> instance;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

void setLanguage(std::optional<uint8_t> language) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().language = language;
}

void setInstanceIndex(std::optional<uint8_t> index) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().instance = index;
}

namespace detail {

std::string asNameOf(const AsInfo* pAsInfo) {
    const AsInfo* block = pAsInfo != nullptr ? pAsInfo : registry().current.load();
    if (block == nullptr) {
        return std::string();
    }
    const char* name = block->selfInfo.szAsName;
    return std::string(name, strnlen(name, sizeof(block->selfInfo.szAsName)));
}

void resetAsInfo() {
    Registry& r = registry();
    r.current = nullptr;
    r.registrations = 0;
    std::lock_guard<std::mutex> lock(r.mutex);
    r.language.reset();
    r.instance.reset();
}

}  // namespace detail
}  // namespace host

AsInfo* Sysmanlib_AsInfo_GetCurrent() {
    return host::registry().current.load();
}

const char* Sysmanlib_AsInfo_GetName() {
    AsInfo* block = host::registry().current.load();
    if (block == nullptr) {
        return "";
    }
    const char* name = block->selfInfo.szAsName;
    if (strnlen(name, sizeof(block->selfInfo.szAsName)) == sizeof(block->selfInfo.szAsName)) {
        return "";  // not terminated inside its field
    }
    return block->selfInfo.szAsName;
}

int Sysmanlib_AsInfo_GetLanguage() {
    host::Registry& r = host::registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.language) {
        return *r.language;
    }
    AsInfo* block = r.current.load();
    return block != nullptr ? block->selfInfo.nLanguage : 0;
}

uint32_t Sysmanlib_AsInfo_GetInstanceIndex() {
    host::Registry& r = host::registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.instance) {
        return *r.instance;
    }
    AsInfo* block = r.current.load();
    return block != nullptr ? block->selfInfo.nInstance : 0;
}

int Sysmanlib_AsInfo_IsRegistered() {
    return host::registry().current.load() != nullptr ? 1 : 0;
}

int32_t Sysmanlib_AsInfo_Registered() {
    return host::registry().registrations.load();
}

int32_t Sysmanlib_AsInfo_Register(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    AsInfo* none = nullptr;
    if (!host::registry().current.compare_exchange_strong(none, pAsInfo)) {
        return AlreadyOwned;
    }
    ++host::registry().registrations;
    return Success;
}

int Sysmanlib_AsInfo_Setup(AsInfo* pAsInfo, uint32_t /*argument*/) {
    if (pAsInfo == nullptr || pAsInfo != host::registry().current.load()) {
        return 0;
    }
    host::detail::connectTextService(pAsInfo);
    return 1;
}
