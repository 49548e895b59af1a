#include "EscapedText.h"

#include <cstdio>

namespace sim {
namespace {

constexpr size_t kLongestQuotedName = 120;
constexpr size_t kLongestEchoedText = 400;

// One character of a text, or one byte that is not part of well-formed UTF-8 (length 1,
// `wellFormed` false).
struct Unit {
    size_t length;
    char32_t code;
    bool wellFormed;
};

// The unit at `at` (below text.size()): a well-formed UTF-8 sequence, its second byte within
// the range its first allows (no overlong form, surrogate or code point above U+10FFFF).
Unit unitAt(const std::string& text, size_t at) {
    const auto byteAt = [&text, at](size_t offset) {
        return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0u;
    };
    const unsigned lead = byteAt(0);
    const Unit stray{1, lead, false};
    if (lead < 0x80) {
        return Unit{1, lead, true};
    }
    size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : low;
        high = lead == 0xed ? 0x9f : high;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : low;
        high = lead == 0xf4 ? 0x8f : high;
    } else {
        return stray;
    }
    char32_t code = lead & (0x7fu >> length);
    for (size_t offset = 1; offset < length; ++offset) {
        const unsigned next = byteAt(offset);
        if (next < (offset == 1 ? low : 0x80u) || next > (offset == 1 ? high : 0xbfu)) {
            return stray;
        }
        code = code << 6 | (next & 0x3f);
    }
    return Unit{length, code, true};
}

// Characters that would act on the terminal or the line rather than show.
bool isControl(char32_t code) {
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x200e || code == 0x200f ||
           (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0x2028 || code == 0x2029;
}

// Appends `unit`, the unit at `at` of `text`, escaped; `quoting`: backslashes and quotes
// escaped too.
void appendUnit(const std::string& text, size_t at, const Unit& unit, bool quoting,
                std::string& out) {
    char escape[12] = "";
    if (!unit.wellFormed) {
        std::snprintf(escape, sizeof(escape), "\\x%02x", static_cast<unsigned>(unit.code));
    } else if (isControl(unit.code)) {
        std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(unit.code));
    } else if (quoting && (unit.code == '\\' || unit.code == '"')) {
        escape[0] = '\\';
        escape[1] = static_cast<char>(unit.code);
    }
    if (escape[0] != '\0') {
        out += escape;
    } else {
        out.append(text, at, unit.length);
    }
}

// A text escaped, and what follows it when it was cut ("" when whole).
struct Cut {
    std::string text;
    std::string note;
};

// `text` escaped, cut before the first unit that ends after `most` bytes.
Cut escapedUpTo(const std::string& text, size_t most, bool quoting) {
    Cut cut;
    cut.text.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const Unit unit = unitAt(text, at);
        if (at + unit.length > most) {
            break;
        }
        appendUnit(text, at, unit, quoting, cut.text);
        at += unit.length;
    }
    if (at < text.size()) {
        const size_t left = text.size() - at;
        cut.note = "... (" + std::to_string(left) + (left == 1 ? " more byte)" : " more bytes)");
    }
    return cut;
}

}  // namespace

std::string escaped(const std::string& text) {
    return escapedUpTo(text, text.size(), true).text;
}

std::string quotedText(const std::string& text) {
    return "\"" + escaped(text) + "\"";
}

std::string quoted(const std::string& name) {
    const Cut cut = escapedUpTo(name, kLongestQuotedName, true);
    return "\"" + cut.text + "\"" + cut.note;
}

std::string echoed(const std::string& text) {
    const Cut cut = escapedUpTo(text, kLongestEchoedText, true);
    return cut.text + cut.note;
}

std::string printable(const std::string& line) {
    return escapedUpTo(line, line.size(), false).text;
}

}  // namespace sim
