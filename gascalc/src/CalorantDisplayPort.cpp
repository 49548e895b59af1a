#include "CalorantDisplayPort.h"

#include "CalorantTrace.h"

namespace {

// Written before the address space starts, read on its initial task afterwards.
CalorantDisplayPort& connectedPort() {
    static CalorantDisplayPort port = {nullptr, nullptr, nullptr, nullptr};
    return port;
}

}  // namespace

void ConnectCalorantDisplayPort(const CalorantDisplayPort& port) {
    connectedPort() = port;
}

int CalorantDisplayInitComponent(AsInfo* pAsInfo, const char** ppServiceName,
                                 void* pServiceObject) {
    const ComponentStartFunction entry = connectedPort().initComponent;
    if (entry == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoDisplayPort, TraceFormat());
        return 0;
    }
    return entry(pAsInfo, ppServiceName, pServiceObject);
}

int CalorantDisplayStart(AsInfo* pAsInfo) {
    const auto start = connectedPort().start;
    if (start == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoDisplayPort, TraceFormat());
        return 0;
    }
    return start(pAsInfo);
}

void CalorantSetHidden(void* serviceObject, uint32_t itemId, uint32_t value) {
    const auto setHidden = connectedPort().setHidden;
    if (setHidden != nullptr) {
        setHidden(serviceObject, itemId, value);
    }
}

void CalorantSetLanguageTextKey(void* serviceObject, uint32_t itemId, const char* key) {
    const auto setKey = connectedPort().setLanguageTextKey;
    if (setKey != nullptr) {
        setKey(serviceObject, itemId, key);
    }
}
