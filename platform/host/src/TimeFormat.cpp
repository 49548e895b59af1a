// Time formatting by the patterns of the text dictionary.
#include <cstring>
#include <string>

#include "Tarvo.h"
#include "TextService.h"

namespace {

struct CivilTime {
    uint32_t year, month, day, hour, minute, second;
};

// Calendar date of a day count since 1970-01-01 (proleptic Gregorian calendar).
CivilTime civilFromSeconds(uint32_t seconds) {
    const uint32_t days = seconds / 86400;
    const uint32_t rest = seconds % 86400;
    const uint32_t z = days + 719468;  // days since 0000-03-01
    const uint32_t era = z / 146097;
    const uint32_t dayOfEra = z - era * 146097;
    const uint32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint32_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
    CivilTime t{};
    t.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    t.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    t.year = yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0);
    t.hour = rest / 3600;
    t.minute = rest % 3600 / 60;
    t.second = rest % 60;
    return t;
}

struct BuiltInPattern {
    const char* key;
    const char16_t* first;
    const char16_t* second;
};

constexpr BuiltInPattern kBuiltInPatterns[] = {
    {"TimeCron.KEY_TimeFmt_D1_LR", u"%d.%m.%Y %H:%M:%S", u"%m/%d/%Y %H:%M:%S"},
    {"TimeCron.KEY_TimeFmt_D2_LR", u"%d.%m.%y %H:%M", u"%m/%d/%y %H:%M"},
    {"TimeCron.KEY_TimeFmt_Hms_LR", u"%H:%M:%S", u"%H:%M:%S"},
};

const char16_t* patternFor(const ServiceClient* dictionary, const char* key, uint32_t language) {
    if (const std::u16string* text = host::detail::lookupText(dictionary, key, language)) {
        return text->c_str();
    }
    for (const BuiltInPattern& pattern : kBuiltInPatterns) {
        if (std::strcmp(pattern.key, key) == 0) {
            return language != 0 ? pattern.second : pattern.first;
        }
    }
    return nullptr;
}

void appendNumber(std::u16string& out, uint32_t value, int digits) {
    char16_t text[10];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
    out.append(text, static_cast<size_t>(digits));
}

// Expands the fields of `pattern`; false for an unknown field or a pattern ending in '%'.
bool expand(const char16_t* pattern, const CivilTime& t, std::u16string& out) {
    for (const char16_t* p = pattern; *p != u'\0'; ++p) {
        if (*p != u'%') {
            out.push_back(*p);
            continue;
        }
        switch (*++p) {
            case u'Y':
                appendNumber(out, t.year, 4);
                break;
            case u'y':
                appendNumber(out, t.year % 100, 2);
                break;
            case u'm':
                appendNumber(out, t.month, 2);
                break;
            case u'd':
                appendNumber(out, t.day, 2);
                break;
            case u'H':
                appendNumber(out, t.hour, 2);
                break;
            case u'M':
                appendNumber(out, t.minute, 2);
                break;
            case u'S':
                appendNumber(out, t.second, 2);
                break;
            case u'%':
                out.push_back(u'%');
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace

int32_t Tarvo_FormatTime(const ServiceClient* textDictionary, const char* formatKey,
                         char16_t* buffer, uint32_t maxChars, const TarvoTimeRecord* record,
                         uint32_t language, uint32_t /*localTime*/) {
    if (buffer == nullptr) {
        return 0;
    }
    buffer[0] = u'\0';
    if (!host::detail::isTextDictionary(textDictionary) || formatKey == nullptr ||
        record == nullptr) {
        return 0;
    }
    const char16_t* pattern = patternFor(textDictionary, formatKey, language);
    std::u16string text;
    if (pattern == nullptr || !expand(pattern, civilFromSeconds(record->seconds), text) ||
        text.empty() || text.size() > maxChars) {
        return 0;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = u'\0';
    return static_cast<int32_t>(text.size());
}
