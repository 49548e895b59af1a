#include "ScenarioFields.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <unordered_set>

#include "HostTree.h"

namespace sim {

using nlohmann::json;

namespace {

const json kNull;

int hexDigit(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

// A place's part for a member named `key`: a word as it is, any other name quoted.
std::string memberPlace(const std::string& key) {
    const bool word = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    return word ? ": " + key : " " + quoted(key);
}

// Walks a JSON text's events (nlohmann::json::sax_parse), keeping the keys of every open object;
// throws at the first key an object names twice.
class DuplicateKeyFinder {
  public:
    explicit DuplicateKeyFinder(std::string file) : myFile(std::move(file)) {}

    bool null() { return element(); }
    bool boolean(bool) { return element(); }
    bool number_integer(json::number_integer_t) { return element(); }
    bool number_unsigned(json::number_unsigned_t) { return element(); }
    bool number_float(json::number_float_t, const std::string&) { return element(); }
    bool string(std::string&) { return element(); }
    bool binary(json::binary_t&) { return element(); }
    bool start_object(std::size_t) { return open(true); }
    bool start_array(std::size_t) { return open(false); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;  // the reader reports it
    }

    bool key(std::string& key) {
        Level& object = myLevels.back();
        if (!object.keys.insert(key).second) {
            JsonFields(json::object(), myFile, place()).fail(key, "named twice");
        }
        object.key = key;
        return true;
    }

  private:
    // An open object (its keys so far, the last one) or array (its elements so far).
    struct Level {
        bool isObject;
        std::unordered_set<std::string> keys;
        std::string key;
        size_t elements = 0;
    };

    bool element() {
        if (!myLevels.empty() && !myLevels.back().isObject) {
            ++myLevels.back().elements;
        }
        return true;
    }
    bool open(bool isObject) {
        element();
        myLevels.push_back(Level{isObject, {}, "", 0});
        return true;
    }
    bool close() {
        myLevels.pop_back();
        return true;
    }

    // The place of the innermost open object: its members' names from the root, an array's
    // element by its index, the root's "steps" elements as "step <number>".
    std::string place() const {
        std::string text;
        for (size_t i = 0; i + 1 < myLevels.size(); ++i) {
            const Level& level = myLevels[i];
            const size_t index = level.elements - 1;
            if (i == 1 && myLevels[0].key == "steps" && !level.isObject) {
                text = "step " + std::to_string(index + 1);
            } else {
                text += level.isObject ? memberPlace(level.key) : "[" + std::to_string(index) + "]";
            }
        }
        const size_t separator = text.rfind(": ", 0) == 0 ? 2 : text.rfind(' ', 0) == 0 ? 1 : 0;
        return text.substr(separator);
    }

    std::string myFile;
    std::vector<Level> myLevels;
};

// Walks `text` (a stream or a string) with a DuplicateKeyFinder.
template <typename Text>
void findDuplicateKeys(Text& text, const std::string& file) {
    DuplicateKeyFinder finder(file);
    json::sax_parse(text, &finder);
}

}  // namespace

void refuseDuplicateKeys(std::istream& text, const std::string& file) {
    findDuplicateKeys(text, file);
}

void refuseDuplicateKeys(const std::string& text, const std::string& file) {
    findDuplicateKeys(text, file);
}

bool wholeNumber(const json& value, uint64_t max, uint64_t* result) {
    if (!value.is_number_unsigned()) {
        return false;
    }
    const uint64_t number = value.get<uint64_t>();
    if (number > max) {
        return false;
    }
    *result = number;
    return true;
}

JsonFields::JsonFields(const json& object, std::string file, std::string place)
    : myObject(object), myFile(std::move(file)), myPlace(std::move(place)) {
    if (!object.is_object()) {
        fail("", "must be a JSON object");
    }
}

void JsonFields::allowOnly(std::initializer_list<const char*> known) const {
    for (const auto& member : myObject.items()) {
        const bool found = std::any_of(known.begin(), known.end(),
                                       [&member](const char* key) { return member.key() == key; });
        if (!found) {
            fail(member.key(), "unknown key");
        }
    }
}

bool JsonFields::has(const char* key) const {
    return myObject.contains(key);
}

const json& JsonFields::at(const char* key) const {
    auto found = myObject.find(key);
    return found != myObject.end() ? *found : kNull;
}

std::string JsonFields::text(const char* key, const std::string& fallback) const {
    if (!has(key)) {
        return fallback;
    }
    if (!at(key).is_string()) {
        fail(key, "must be a string");
    }
    return at(key).get<std::string>();
}

bool JsonFields::flag(const char* key, bool fallback) const {
    if (!has(key)) {
        return fallback;
    }
    if (!at(key).is_boolean()) {
        fail(key, "must be true or false");
    }
    return at(key).get<bool>();
}

uint64_t JsonFields::whole(const char* key, uint64_t max, uint64_t fallback) const {
    if (!has(key)) {
        return fallback;
    }
    uint64_t number = 0;
    if (!wholeNumber(at(key), max, &number)) {
        fail(key, "must be a whole number from 0 to " + std::to_string(max));
    }
    return number;
}

int64_t JsonFields::signedWhole(const char* key, int64_t min, int64_t max, int64_t fallback) const {
    if (!has(key)) {
        return fallback;
    }
    const json& value = at(key);
    const bool inRange =
        value.is_number_integer() &&
        (value.is_number_unsigned() ? value.get<uint64_t>() <= static_cast<uint64_t>(max)
                                    : value.get<int64_t>() >= min && value.get<int64_t>() <= max);
    if (!inRange) {
        fail(key,
             "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return value.get<int64_t>();
}

double JsonFields::number(const char* key, double min, double max, double fallback) const {
    if (!has(key)) {
        return fallback;
    }
    const json& value = at(key);
    const double number = value.is_number() ? value.get<double>() : std::nan("");
    if (!std::isfinite(number) || number < min || number > max) {
        std::ostringstream range;
        range << "must be a finite number from " << min << " to " << max;
        fail(key, range.str());
    }
    return number;
}

double JsonFields::anyDouble(const char* key) const {
    const json& value = at(key);
    if (value.is_number()) {
        return value.get<double>();
    }
    double named = 0.0;
    if (value.is_string() && host::doubleFromName(value.get_ref<const std::string&>(), &named)) {
        return named;
    }
    fail(key, "must be a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
}

std::vector<uint8_t> JsonFields::hexBytes(const char* key) const {
    const std::string digits = text(key);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) {
            break;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    if (bytes.size() * 2 != digits.size()) {
        fail(key, "must be pairs of hexadecimal digits");
    }
    return bytes;
}

JsonFields JsonFields::object(const char* key, const std::string& place) const {
    return JsonFields(at(key), myFile,
                      place.empty() ? myPlace + (myPlace.empty() ? "" : ": ") + key : place);
}

void JsonFields::fail(const std::string& key, const std::string& problem) const {
    std::string message = myFile;
    if (!myPlace.empty()) {
        message += ": " + myPlace;
    }
    if (!key.empty()) {
        message += ": " + quoted(key);
    }
    throw ScenarioError(message + ": " + problem);
}

}  // namespace sim
