// The senders: one command with its payload to one display item.
#include <cstring>

#include "PEG.h"

namespace {

constexpr uint32_t kMaxPayload = kServiceRecordMax - kServiceRecordHeader;

enum : uint32_t {
    kCodeCommand10 = 10,
    kCodeWord11 = 11,
    kCodeWord12 = 12,
    kCodeWord13 = 13,
    kCodeText = 18,
    kCodeLanguageTextKey = 19,
    kCodeNarrowText20 = 20,
    kCodeEnable = 22,
    kCodeDisable = 23,
    kCodeCommand25 = 25,
    kCodeWideText = 26,
    kCodeNarrowText27 = 27,
    kCodeClear = 28,
    kCodeValue = 29,
    kCodeTextKey = 30,
    kCodeWideText31 = 31,
    kCodeWideText32 = 32,
    kCodeByte35 = 35,
    kCodeWord36 = 36,
    kCodeBindParameter = 37,
    kCodeWord38 = 38,
    kCodeHidden = 39,
    kCodeByte40 = 40,
    kCodeNarrowText41 = 41,
    kCodeNarrowText42 = 42,
    kCodeTriple43 = 43,
    kCodeTriple44 = 44,
    kCodeWord45 = 45,
    kCodePair46 = 46,
    kCodePair47 = 47,
    kCodeCommand48 = 48,
    kCodeWord49 = 49,
    kCodeWord50 = 50,
    kCodeCommand51 = 51,
    kCodeElements53 = 53,
    kCodeWord54 = 54,
    kCodeBytes55 = 55,
    kCodeWord56 = 56,
    kCodeWord57 = 57,
    kCodeCommand58 = 58,
};

ServiceClient* clientOf(ServiceObject* pService) {
    return pService != nullptr ? pService->pClient : nullptr;
}

// The framework's virtual send; the result is not examined.
void sendCommand(ServiceObject* pService, uint32_t itemId, uint32_t code,
                 const void* pPayload = nullptr, uint32_t length = 0) {
    if (ServiceClient* client = clientOf(pService)) {
        client->sendCommand(itemId, code, pPayload, length);
    }
}

// Up to three u32 values, little-endian, in argument order.
class Words {
  public:
    explicit Words(uint32_t a) { put(a); }
    Words(uint32_t a, uint32_t b) : Words(a) { put(b); }
    Words(uint32_t a, uint32_t b, uint32_t c) : Words(a, b) { put(c); }

    const uint8_t* data() const { return myBytes; }
    uint32_t size() const { return mySize; }

  private:
    void put(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            myBytes[mySize++] = static_cast<uint8_t>(value >> shift);
        }
    }

    uint8_t myBytes[12] = {};
    uint32_t mySize = 0;
};

void sendWords(ServiceObject* pService, uint32_t itemId, uint32_t code, const Words& words) {
    sendCommand(pService, itemId, code, words.data(), words.size());
}

// A narrow text with its NUL; a null text sends `codeWithoutText` without payload.
void sendNarrow(ServiceObject* pService, uint32_t itemId, uint32_t code, const char* text,
                uint32_t codeWithoutText) {
    if (text == nullptr) {
        sendCommand(pService, itemId, codeWithoutText);
        return;
    }
    const size_t length = std::strlen(text) + 1;
    if (length <= kMaxPayload) {
        sendCommand(pService, itemId, code, text, static_cast<uint32_t>(length));
    }
}

// A UTF-16 text with its terminator, little-endian; a null text sends `codeWithoutText`
// without payload.
void sendWide(ServiceObject* pService, uint32_t itemId, uint32_t code, const char16_t* text,
              uint32_t codeWithoutText) {
    if (text == nullptr) {
        sendCommand(pService, itemId, codeWithoutText);
        return;
    }
    uint8_t bytes[kMaxPayload];
    uint32_t size = 0;
    for (const char16_t* c = text;; ++c) {
        if (size + 2 > kMaxPayload) {
            return;  // more than a record carries
        }
        bytes[size++] = static_cast<uint8_t>(*c & 0xFF);
        bytes[size++] = static_cast<uint8_t>(*c >> 8);
        if (*c == u'\0') {
            break;
        }
    }
    sendCommand(pService, itemId, code, bytes, size);
}

}  // namespace

int PEG_sendCommandValue(ServiceObject* pService, uint32_t itemId, uint32_t code, uint32_t value) {
    ServiceClient* client = clientOf(pService);
    const Words words(value);
    return client != nullptr ? client->send(itemId, code, words.data(), words.size()) : 0;
}

int PEG_sendValueDataDirect(ServiceObject* pService, uint32_t itemId, const void* pData,
                            uint32_t length) {
    ServiceClient* client = clientOf(pService);
    return client != nullptr ? client->send(itemId, kCodeValue, pData, length) : 0;
}

uint32_t PEG_queryClient(ServiceObject* pService) {
    ServiceClient* client = clientOf(pService);
    return client != nullptr ? client->query() : 0;
}

void PEG_command10(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeCommand10);
}

void PEG_enable(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeEnable);
}

void PEG_disable(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeDisable);
}

void PEG_setEnabled(ServiceObject* pService, uint32_t itemId, bool enabled) {
    sendCommand(pService, itemId, enabled ? kCodeEnable : kCodeDisable);
}

void PEG_command25(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeCommand25);
}

void PEG_command28(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeClear);
}

void PEG_command48(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeCommand48);
}

void PEG_command51(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeCommand51);
}

void PEG_command58(ServiceObject* pService, uint32_t itemId) {
    sendCommand(pService, itemId, kCodeCommand58);
}

void PEG_setText(ServiceObject* pService, uint32_t itemId, const char* text) {
    sendNarrow(pService, itemId, kCodeText, text, kCodeText);
}

void PEG_setLanguageTextKey(ServiceObject* pService, uint32_t itemId, const char* key) {
    sendNarrow(pService, itemId, kCodeLanguageTextKey, key, kCodeText);
}

void PEG_sendNarrowText20(ServiceObject* pService, uint32_t itemId, const char* text) {
    sendNarrow(pService, itemId, kCodeNarrowText20, text, kCodeText);
}

void PEG_sendNarrowText27(ServiceObject* pService, uint32_t itemId, const char* text) {
    sendNarrow(pService, itemId, kCodeNarrowText27, text, kCodeText);
}

void PEG_setTextKey(ServiceObject* pService, uint32_t itemId, const char* key) {
    sendNarrow(pService, itemId, kCodeTextKey, key, kCodeTextKey);
}

void PEG_bindParameter(ServiceObject* pService, uint32_t itemId, const char* name) {
    if (name != nullptr) {
        sendNarrow(pService, itemId, kCodeBindParameter, name, kCodeBindParameter);
    }
}

void PEG_sendNarrowText41(ServiceObject* pService, uint32_t itemId, const char* text) {
    sendNarrow(pService, itemId, kCodeNarrowText41, text, kCodeNarrowText41);
}

void PEG_sendNarrowText42(ServiceObject* pService, uint32_t itemId, const char* text) {
    if (text != nullptr && text[0] != '\0') {
        sendNarrow(pService, itemId, kCodeNarrowText42, text, kCodeNarrowText42);
    }
}

void PEG_setTextWithWord49(ServiceObject* pService, uint32_t itemId, const char* text,
                           uint32_t word) {
    PEG_sendWord49(pService, itemId, word);
    PEG_setText(pService, itemId, text);
}

void PEG_setWideText(ServiceObject* pService, uint32_t itemId, const char16_t* text) {
    sendWide(pService, itemId, kCodeWideText, text, kCodeText);
}

void PEG_sendWideText31(ServiceObject* pService, uint32_t itemId, const char16_t* text) {
    sendWide(pService, itemId, kCodeWideText31, text, kCodeWideText31);
}

void PEG_sendWideText32(ServiceObject* pService, uint32_t itemId, const char16_t* text) {
    sendWide(pService, itemId, kCodeWideText32, text, kCodeWideText32);
}

void PEG_setWideTextWithWord49(ServiceObject* pService, uint32_t itemId, const char16_t* text,
                               uint32_t word) {
    PEG_sendWord49(pService, itemId, word);
    PEG_setWideText(pService, itemId, text);
}

void PEG_sendWords11to13(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b,
                         uint32_t c) {
    sendWords(pService, itemId, kCodeWord11, Words(a));
    sendWords(pService, itemId, kCodeWord12, Words(b));
    sendWords(pService, itemId, kCodeWord13, Words(c));
}

void PEG_sendValue(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    const Words words(value);
    PEG_sendValueData(pService, itemId, words.data(), words.size());
}

void PEG_sendValueData(ServiceObject* pService, uint32_t itemId, const void* pData,
                       uint32_t length) {
    if (pData != nullptr && length != 0) {
        sendCommand(pService, itemId, kCodeValue, pData, length);
    }
}

void PEG_sendByte35(ServiceObject* pService, uint32_t itemId, uint8_t value) {
    sendCommand(pService, itemId, kCodeByte35, &value, 1);
}

void PEG_sendWord36(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord36, Words(value));
}

void PEG_sendWord38(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord38, Words(value));
}

void PEG_setHidden(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeHidden, Words(value));
}

void PEG_sendByte40(ServiceObject* pService, uint32_t itemId, uint8_t value) {
    sendCommand(pService, itemId, kCodeByte40, &value, 1);
}

void PEG_sendTriple43(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b,
                      uint32_t c) {
    sendWords(pService, itemId, kCodeTriple43, Words(a, b, c));
}

void PEG_sendPairAndWord43(ServiceObject* pService, uint32_t itemId, const uint32_t* pair,
                           uint32_t c) {
    if (pair != nullptr) {
        sendWords(pService, itemId, kCodeTriple43, Words(pair[0], pair[1], c));
    }
}

void PEG_sendTriple44(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b,
                      uint32_t c) {
    sendWords(pService, itemId, kCodeTriple44, Words(a, b, c));
}

void PEG_sendWord45(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord45, Words(value));
}

void PEG_sendPair46(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b) {
    sendWords(pService, itemId, kCodePair46, Words(a, b));
}

void PEG_sendPair47(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b) {
    sendWords(pService, itemId, kCodePair47, Words(a, b));
}

void PEG_sendWord49(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord49, Words(value));
}

void PEG_sendWord50(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord50, Words(value));
}

void PEG_sendElements53(ServiceObject* pService, uint32_t itemId, const uint64_t* elements) {
    if (elements == nullptr || elements[0] == 0) {
        sendCommand(pService, itemId, kCodeElements53);
        return;
    }
    uint8_t bytes[kMaxPayload];
    uint32_t size = 0;
    for (const uint64_t* element = elements;; ++element) {
        if (size + 8 > kMaxPayload) {
            return;  // more than a record carries
        }
        for (int shift = 0; shift < 64; shift += 8) {
            bytes[size++] = static_cast<uint8_t>(*element >> shift);
        }
        if (*element == 0) {
            break;
        }
    }
    sendCommand(pService, itemId, kCodeElements53, bytes, size);
}

void PEG_sendWord54(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord54, Words(value));
}

void PEG_sendBytes55(ServiceObject* pService, uint32_t itemId, const uint8_t* bytes) {
    constexpr uint32_t kByteCount = 8;
    if (bytes != nullptr) {
        sendCommand(pService, itemId, kCodeBytes55, bytes, kByteCount);
    }
}

void PEG_sendWord56(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord56, Words(value));
}

void PEG_sendWord57(ServiceObject* pService, uint32_t itemId, uint32_t value) {
    sendWords(pService, itemId, kCodeWord57, Words(value));
}
