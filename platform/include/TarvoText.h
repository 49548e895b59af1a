// Texts of the framework: the two-language text dictionary, time formatting by format keys of
// the dictionary, and the display context of the page the display shows.
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "ServiceClient.h"

// The text dictionary is the client of the address space's text service object
// (AsInfo::pTextService, connected by Sysmanlib_AsInfo_Setup). The lookups take that client.
inline const ServiceClient* textDictionaryOf(const AsInfo* pAsInfo) {
    if (pAsInfo == nullptr || pAsInfo->pTextService == nullptr) {
        return nullptr;
    }
    return static_cast<const ServiceObject*>(pAsInfo->pTextService)->pClient;
}

// The UTF-16 text of `key` in `language` (0 first, 1 second), NUL-terminated, or null when the
// dictionary or the key is missing or the language is neither 0 nor 1 (a caller maps any
// non-zero language setting to 1). The text stays valid for the life of the address
// space. Any task.
const char16_t* Tarvo_LookupText(const ServiceClient* textDictionary, const char* key,
                                 uint32_t language);

// The same lookup; `flags` is 0 at every call site and is not used.
const char16_t* Tarvo_FindText(const ServiceClient* textDictionary, const char* key,
                               uint32_t language, uint32_t flags);

// A point in time as the framework's time services give it.
struct TarvoTimeRecord {
    uint32_t flags;    // bit 0: daylight-saving time is in force
    uint32_t seconds;  // local time: seconds since 1970-01-01 00:00:00
    uint32_t milliseconds;
};

// Formats `*record` by the pattern the dictionary holds for `formatKey` in `language` into
// `buffer` (room for `maxChars` characters and the terminator). Patterns are text with the
// fields %Y (4-digit year), %y (2-digit year), %m, %d, %H, %M, %S (2 digits each) and %%.
// When the dictionary has no text for the key, the host's patterns apply:
//   "TimeCron.KEY_TimeFmt_D1_LR"  "%d.%m.%Y %H:%M:%S" (first) / "%m/%d/%Y %H:%M:%S" (second)
//   "TimeCron.KEY_TimeFmt_D2_LR"  "%d.%m.%y %H:%M"    (first) / "%m/%d/%y %H:%M"    (second)
//   "TimeCron.KEY_TimeFmt_Hms_LR" "%H:%M:%S" (both)
// Returns the number of characters written (> 0) on success and 0 on failure (missing
// dictionary, record, buffer or key; no pattern; an unknown field; text longer than maxChars);
// on failure the buffer holds the empty text when it exists. `localTime` is 1 at every call
// site (the record is local time) and is not used otherwise.
int32_t Tarvo_FormatTime(const ServiceClient* textDictionary, const char* formatKey,
                         char16_t* buffer, uint32_t maxChars, const TarvoTimeRecord* record,
                         uint32_t language, uint32_t localTime);

// The context path of the page the display shows (for example "Vesk.I1.PP.PP_3"), or null when
// the display has none or `pAsInfo` is null. The text belongs to the calling task until it calls
// Tarvo_ReleaseDisplayContext or Tarvo_DisplayContext again.
const char* Tarvo_DisplayContext(AsInfo* pAsInfo);

// Gives back the text of the calling task's last Tarvo_DisplayContext; `flags` is 0 at every
// call site and is not used.
void Tarvo_ReleaseDisplayContext(uint32_t flags);
