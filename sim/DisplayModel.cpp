#include "DisplayModel.h"

#include <algorithm>
#include <sstream>

#include "ScenarioChecks.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

enum : uint32_t {
    kCodeText = 18,
    kCodeLanguageTextKey = 19,
    kCodeEnable = 22,
    kCodeDisable = 23,
    kCodeWideText = 26,
    kCodeClear = 28,
    kCodeValue = 29,
    kCodeTextKey = 30,
    kCodeBind = 37,
    kCodeHidden = 39,
};

std::optional<uint32_t> word(const std::vector<uint8_t>& payload) {
    if (payload.size() < 4) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(payload[0]) | static_cast<uint32_t>(payload[1]) << 8 |
           static_cast<uint32_t>(payload[2]) << 16 | static_cast<uint32_t>(payload[3]) << 24;
}

std::string narrow(const std::vector<uint8_t>& payload) {
    std::string text;
    for (uint8_t byte : payload) {
        if (byte == 0) {
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

std::u16string wide(const std::vector<uint8_t>& payload) {
    std::u16string text;
    for (size_t at = 0; at + 1 < payload.size(); at += 2) {
        const auto c = static_cast<char16_t>(payload[at] | payload[at + 1] << 8);
        if (c == u'\0') {
            break;
        }
        text.push_back(c);
    }
    return text;
}

// A narrow text's bytes as UTF-16 (each byte one character).
std::u16string widened(const std::string& text) {
    std::u16string result;
    for (char c : text) {
        result.push_back(static_cast<char16_t>(static_cast<uint8_t>(c)));
    }
    return result;
}

int32_t selectionIndex(uint32_t value) {
    return value <= static_cast<uint32_t>(INT32_MAX) ? static_cast<int32_t>(value) : -1;
}

void appendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The codes of `codes`, each once, in the order they first came: "1,7".
std::string codeList(const std::vector<uint32_t>& codes) {
    std::vector<uint32_t> distinct;
    std::string text;
    for (uint32_t code : codes) {
        if (std::find(distinct.begin(), distinct.end(), code) == distinct.end()) {
            distinct.push_back(code);
            text += (text.empty() ? "" : ",") + std::to_string(code);
        }
    }
    return text;
}

}  // namespace

void DisplayModel::apply(const host::SentCommand& command) {
    DisplayItemState& state = myItems[command.itemId];
    state.codes.push_back(command.commandCode);
    const std::vector<uint8_t>& payload = command.payload;
    switch (command.commandCode) {
        case kCodeText:
            state.text = widened(narrow(payload));
            break;
        case kCodeLanguageTextKey:
            state.languageTextKey = narrow(payload);
            break;
        case kCodeEnable:
        case kCodeDisable:
            state.enabled = command.commandCode == kCodeEnable;
            break;
        case kCodeWideText:
            if (state.isList) {
                state.entries.push_back(wide(payload));
            } else {
                state.text = wide(payload);
            }
            break;
        case kCodeClear:
            state.isList = true;
            state.entries.clear();
            break;
        case kCodeValue:
            if (std::optional<uint32_t> value = word(payload)) {
                state.selection = selectionIndex(*value);
            }
            break;
        case kCodeTextKey:
            state.textKey = narrow(payload);
            break;
        case kCodeBind:
            state.boundParameter = narrow(payload);
            break;
        case kCodeHidden:
            if (std::optional<uint32_t> value = word(payload)) {
                state.hidden = *value != 0;
            }
            break;
        default:
            break;
    }
}

std::string DisplayModel::payloadText(uint32_t commandCode, const std::vector<uint8_t>& payload) {
    switch (commandCode) {
        case kCodeText:
        case kCodeLanguageTextKey:
        case kCodeTextKey:
        case kCodeBind:
            return quotedText(narrow(payload));
        case kCodeWideText:
            return quotedText(utf8(wide(payload)));
        default:
            return hexText(payload);
    }
}

void DisplayModel::select(uint32_t itemId, uint32_t index) {
    myItems[itemId].selection = selectionIndex(index);
}

const DisplayItemState* DisplayModel::item(uint32_t itemId) const {
    auto found = myItems.find(itemId);
    return found != myItems.end() ? &found->second : nullptr;
}

std::vector<uint32_t> DisplayModel::itemIds() const {
    std::vector<uint32_t> ids;
    for (const auto& entry : myItems) {
        ids.push_back(entry.first);
    }
    return ids;
}

std::string DisplayModel::line(uint32_t itemId) const {
    const DisplayItemState* state = item(itemId);
    if (state == nullptr) {
        return std::string();
    }
    std::ostringstream out;  // the fields, each after a space
    if (state->isList) {
        out << " list entries=[";
        for (size_t i = 0; i < state->entries.size(); ++i) {
            out << (i > 0 ? "," : "") << quotedText(utf8(state->entries[i]));
        }
        out << "]";
    }
    if (state->boundParameter) {
        out << " bind=" << quotedText(*state->boundParameter);
    }
    if (state->text) {
        out << " text=" << quotedText(utf8(*state->text));
    }
    if (state->languageTextKey) {
        out << " languageKey=" << quotedText(*state->languageTextKey);
    }
    if (state->textKey) {
        out << " key=" << quotedText(*state->textKey);
    }
    if (state->selection) {
        out << " selection=" << *state->selection;
    }
    if (state->hidden) {
        out << " hidden=" << (*state->hidden ? 1 : 0);
    }
    if (state->enabled) {
        out << " enabled=" << (*state->enabled ? 1 : 0);
    }
    if (out.tellp() == 0) {
        out << " codes=" << codeList(state->codes);  // none of the fields above was sent
    }
    return std::to_string(itemId) + out.str();
}

std::string DisplayModel::dump() const {
    std::string out;
    for (const auto& entry : myItems) {
        out += line(entry.first) + '\n';
    }
    return out;
}

}  // namespace sim
