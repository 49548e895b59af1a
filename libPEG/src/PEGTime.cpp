// Time texts: a time record formatted by a format key of the text dictionary, and the senders
// of such texts.
#include <cstring>

#include "PEG.h"
#include "PEGTrace.h"
#include "Tarvo.h"

using namespace peg_detail;

namespace {

constexpr const char* kKeyD1 = "TimeCron.KEY_TimeFmt_D1_LR";
constexpr const char* kKeyD2 = "TimeCron.KEY_TimeFmt_D2_LR";
constexpr const char* kKeyHms = "TimeCron.KEY_TimeFmt_Hms_LR";
constexpr const char* kKeyEmptyD1 = "TimeCron.KEY_EmptyTime_D1_LR";
constexpr const char* kKeyEmptyD2 = "TimeCron.KEY_EmptyTime_D2_LR";
constexpr const char* kKeyDstSuffix = "TimeCron._DST_short_LR";
constexpr uint32_t kDaylightSavingBit = 0x1;
constexpr uint32_t kSendBufferBytes = 64;

const ServiceClient* dictionary() {
    return textDictionaryOf(Sysmanlib_AsInfo_GetCurrent());
}

uint32_t dictionaryLanguage(int language) {
    return language != 0 ? 1u : 0u;
}

size_t length16(const char16_t* text) {
    size_t length = 0;
    while (text[length] != u'\0') {
        ++length;
    }
    return length;
}

// Checks the arguments, empties the buffer and formats; the framework's result.
int32_t format(const TarvoTimeRecord* pTs, char16_t* pTimeString, uint32_t nMaxlen,
               const char* pFormatKey, int language) {
    if (pTs == nullptr) {
        Tarvo_AssertFailed("pTs", kSourcePath, __LINE__);
    }
    if (pTimeString == nullptr) {
        Tarvo_AssertFailed("pTimeString", kSourcePath, __LINE__);
    }
    if (pFormatKey == nullptr) {
        Tarvo_AssertFailed("pFormatKey", kSourcePath, __LINE__);
    }
    if (nMaxlen <= sizeof(*pTimeString)) {
        Tarvo_AssertFailed("nMaxlen > sizeof(*pTimeString)", kSourcePath, __LINE__);
    }
    pTimeString[0] = u'\0';
    return Tarvo_FormatTime(dictionary(), pFormatKey, pTimeString, nMaxlen / 2 - 1, pTs,
                            dictionaryLanguage(language), 1);
}

// Appends a blank and the daylight-saving suffix when both fit with the terminator.
void appendDstSuffix(char16_t* pTimeString, uint32_t nMaxlen, int language) {
    const char16_t* suffix =
        Tarvo_FindText(dictionary(), kKeyDstSuffix, dictionaryLanguage(language), 0);
    if (suffix == nullptr) {
        return;
    }
    const size_t textLength = length16(pTimeString);
    const size_t suffixLength = length16(suffix);
    if (textLength + 1 + suffixLength >= nMaxlen / 2) {
        return;
    }
    pTimeString[textLength] = u' ';
    std::memcpy(pTimeString + textLength + 1, suffix, (suffixLength + 1) * sizeof(char16_t));
}

}  // namespace

char16_t* PEG_formatTime(const TarvoTimeRecord* pTs, char16_t* pTimeString, uint32_t nMaxlen,
                         const char* pFormatKey, int language) {
    if (format(pTs, pTimeString, nMaxlen, pFormatKey, language) == 0) {
        TARVO_TRACE(kTraceSelector, kTraceFormatFailed, TraceFormat(kTraceArgInt), pTs->seconds);
    }
    return pTimeString;
}

char16_t* PEG_formatTimeDst(const TarvoTimeRecord* pTs, char16_t* pTimeString, uint32_t nMaxlen,
                            const char* pFormatKey, int language) {
    // The framework reports a failed formatting with 0 (no characters written); a suffix
    // appended then would stand alone in the empty text.
    if (format(pTs, pTimeString, nMaxlen, pFormatKey, language) <= 0) {
        TARVO_TRACE(kTraceSelector, kTraceFormatDstFailed, TraceFormat(kTraceArgInt), pTs->seconds);
        return pTimeString;
    }
    if ((pTs->flags & kDaylightSavingBit) != 0) {
        appendDstSuffix(pTimeString, nMaxlen, language);
    }
    return pTimeString;
}

void PEG_sendFormattedTime(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs,
                           const char* pFormatKey) {
    char16_t text[kSendBufferBytes / sizeof(char16_t)];
    PEG_setWideText(
        pService, itemId,
        PEG_formatTime(pTs, text, kSendBufferBytes, pFormatKey, Sysmanlib_AsInfo_GetLanguage()));
}

void PEG_sendFormattedTimeDst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs,
                              const char* pFormatKey) {
    char16_t text[kSendBufferBytes / sizeof(char16_t)];
    PEG_setWideText(
        pService, itemId,
        PEG_formatTimeDst(pTs, text, kSendBufferBytes, pFormatKey, Sysmanlib_AsInfo_GetLanguage()));
}

void PEG_sendTimeD1(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs) {
    PEG_sendFormattedTime(pService, itemId, pTs, kKeyD1);
}

void PEG_sendTimeD2(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs) {
    PEG_sendFormattedTime(pService, itemId, pTs, kKeyD2);
}

void PEG_sendTimeHms(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs) {
    PEG_sendFormattedTime(pService, itemId, pTs, kKeyHms);
}

void PEG_sendTimeD1Dst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs) {
    PEG_sendFormattedTimeDst(pService, itemId, pTs, kKeyD1);
}

void PEG_sendTimeD2Dst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs) {
    PEG_sendFormattedTimeDst(pService, itemId, pTs, kKeyD2);
}

void PEG_sendEmptyTimeD1(ServiceObject* pService, uint32_t itemId) {
    PEG_sendNarrowText20(pService, itemId, kKeyEmptyD1);
}

void PEG_sendEmptyTimeD2(ServiceObject* pService, uint32_t itemId) {
    PEG_sendNarrowText20(pService, itemId, kKeyEmptyD2);
}
