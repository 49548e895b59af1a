// The framework's component entries and start steps, access rights and the taste name.
#include <atomic>
#include <mutex>
#include <set>

#include "FrameworkInternal.h"
#include "HostFramework.h"
#include "Tarvo.h"

namespace host {
namespace {

struct Settings {
    std::mutex mutex;
    std::atomic<uint32_t> grantedRights{0xFFFFFFFFu};
    // Every taste name ever set is kept, so a returned name stays valid for the whole run.
    std::set<std::string> tasteNames{""};
    const char* tasteName = "";
    std::atomic<void*> componentServices[6] = {};
};

Settings& settings() {
    static Settings* instance = new Settings();
    return *instance;
}

int componentInit(int index, const char* serviceName, AsInfo* pAsInfo, const char** ppServiceName,
                  void* pServiceObject) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    if (ppServiceName != nullptr) {
        *ppServiceName = serviceName;
    }
    if (pServiceObject != nullptr) {
        settings().componentServices[index] = pServiceObject;
    }
    return Success;
}

int componentStep(const AsInfo* pAsInfo) {
    return pAsInfo != nullptr ? Success : IllegalParameter;
}

}  // namespace

void setTasteName(const std::string& name) {
    std::lock_guard<std::mutex> lock(settings().mutex);
    settings().tasteName = settings().tasteNames.insert(name).first->c_str();
}

void setAccessRights(uint32_t grantedMask) {
    settings().grantedRights = grantedMask;
}

void* componentService(int component) {
    if (component < 1 || component > 6) {
        return nullptr;
    }
    return settings().componentServices[component - 1].load();
}

namespace detail {

void resetSettings() {
    setTasteName("");
    setAccessRights(0xFFFFFFFFu);
    for (auto& service : settings().componentServices) {
        service = nullptr;
    }
}

}  // namespace detail
}  // namespace host

int32_t Tarvo_CheckAccess(AsInfo* pAsInfo, uint32_t right) {
    if (pAsInfo == nullptr || right > 31) {
        return TarvoAccessDenied;
    }
    const bool granted = (host::settings().grantedRights.load() >> right & 1u) != 0;
    return granted ? int32_t{Success} : int32_t{TarvoAccessDenied};
}

const char* Tarvo_GetTasteName(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        return "";
    }
    std::lock_guard<std::mutex> lock(host::settings().mutex);
    return host::settings().tasteName;
}

int Tarvo_Component1Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(0, "Tarvo.Component1", pAsInfo, ppServiceName, pServiceObject);
}
int Tarvo_Component2Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(1, "Tarvo.Component2", pAsInfo, ppServiceName, pServiceObject);
}
int Tarvo_Component3Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(2, "Tarvo.Component3", pAsInfo, ppServiceName, pServiceObject);
}
int Tarvo_Component4Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(3, "Tarvo.Component4", pAsInfo, ppServiceName, pServiceObject);
}
int Tarvo_Component5Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(4, "Tarvo.Component5", pAsInfo, ppServiceName, pServiceObject);
}
int Tarvo_Component6Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    return host::componentInit(5, "Tarvo.Component6", pAsInfo, ppServiceName, pServiceObject);
}

int Tarvo_Component1Start(AsInfo* pAsInfo) {
    return host::componentStep(pAsInfo);
}
int Tarvo_Component2Start(AsInfo* pAsInfo) {
    return host::componentStep(pAsInfo);
}
int Tarvo_Component3Start(AsInfo* pAsInfo) {
    return host::componentStep(pAsInfo);
}
int Tarvo_Component4TaskSetup(AsInfo* pAsInfo) {
    return host::componentStep(pAsInfo);
}
