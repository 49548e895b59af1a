// The text dictionary: two UTF-16 texts per key, loaded from JSON, reached as the client of the
// framework's text service object.
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "HostFramework.h"
#include "Tarvo.h"
#include "TextService.h"

namespace host {
namespace {

using Table = std::unordered_map<std::string, std::array<std::u16string, 2>>;

// The dictionary is a client of the text service that never opens: it answers lookups only.
class TextDictionary : public ServiceClient {
  public:
    explicit TextDictionary(ServiceObject* pService) : ServiceClient(nullptr, pService) {}
};

struct DictionaryState {
    std::mutex mutex;
    // Every table ever loaded is kept, so a text handed out stays valid for the whole run.
    std::vector<std::unique_ptr<const Table>> tables;
    ServiceObject service{};
    TextDictionary* client = nullptr;
};

// Never destroyed: lookups may run on tasks that outlive the static destructors.
DictionaryState& state() {
    static DictionaryState* instance = [] {
        auto* s = new DictionaryState();
        std::snprintf(s->service.szName, sizeof s->service.szName, "%s", "Tarvo.TextService");
        s->client = new TextDictionary(&s->service);
        s->service.pClient = s->client;
        s->tables.push_back(std::make_unique<const Table>());
        return s;
    }();
    return *instance;
}

void appendUtf16(uint32_t codePoint, std::u16string& out) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

std::string parseTable(const std::string& json, Table& table) {
    nlohmann::json document = nlohmann::json::parse(json, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        return "text dictionary: not a JSON object";
    }
    for (const auto& [key, texts] : document.items()) {
        if (!texts.is_array() || texts.size() != 2 || !texts[0].is_string() ||
            !texts[1].is_string()) {
            return "text dictionary: key \"" + key + "\": expected [first text, second text]";
        }
        std::array<std::u16string, 2> converted;
        for (size_t language = 0; language < 2; ++language) {
            if (!detail::utf8ToUtf16(texts[language].get<std::string>(), converted[language])) {
                return "text dictionary: key \"" + key + "\": text is not UTF-8";
            }
        }
        table[key] = std::move(converted);
    }
    return std::string();
}

}  // namespace

std::string setTextDictionary(const std::string& json) {
    auto table = std::make_unique<Table>();
    std::string error = parseTable(json, *table);
    if (!error.empty()) {
        return error;
    }
    std::lock_guard<std::mutex> lock(state().mutex);
    state().tables.push_back(std::move(table));
    return std::string();
}

std::string loadTextDictionary(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "text dictionary: cannot open " + path;
    }
    std::ostringstream content;
    content << file.rdbuf();
    return setTextDictionary(content.str());
}

namespace detail {

bool utf8ToUtf16(const std::string& in, std::u16string& out) {
    out.clear();
    size_t i = 0;
    while (i < in.size()) {
        const auto lead = static_cast<unsigned char>(in[i]);
        size_t extra = lead < 0x80           ? 0
                       : (lead >> 5) == 0x6  ? 1
                       : (lead >> 4) == 0xE  ? 2
                       : (lead >> 3) == 0x1E ? 3
                                             : 4;
        if (extra == 4 || extra >= in.size() - i) {
            return false;  // not a lead byte, or the text ends inside the character
        }
        uint32_t codePoint = extra == 0 ? lead : (lead & (0x3Fu >> extra));
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        appendUtf16(codePoint, out);
        i += extra + 1;
    }
    return true;
}

void connectTextService(AsInfo* pAsInfo) {
    DictionaryState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.service.pOwner = pAsInfo;
    pAsInfo->pTextService = &s.service;
}

bool isTextDictionary(const ServiceClient* client) {
    return client != nullptr && client == state().client;
}

const std::u16string* lookupText(const ServiceClient* dictionary, const char* key,
                                 uint32_t language) {
    DictionaryState& s = state();
    if (!isTextDictionary(dictionary) || key == nullptr || language > 1) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    const Table& table = *s.tables.back();
    auto found = table.find(key);
    if (found == table.end()) {
        return nullptr;
    }
    return &found->second[language];
}

}  // namespace detail
}  // namespace host

const char16_t* Tarvo_LookupText(const ServiceClient* textDictionary, const char* key,
                                 uint32_t language) {
    const std::u16string* text = host::detail::lookupText(textDictionary, key, language);
    return text != nullptr ? text->c_str() : nullptr;
}

const char16_t* Tarvo_FindText(const ServiceClient* textDictionary, const char* key,
                               uint32_t language, uint32_t /*flags*/) {
    return Tarvo_LookupText(textDictionary, key, language);
}
