// Strict reading of the members of a scenario's JSON objects: every member must be known, every
// number is range-checked before it is converted, and each mistake names the file, the place
// and the key in one line (ScenarioError).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "EscapedText.h"

namespace sim {

// A scenario that cannot be run as written. what(): "<file>: <place>: "<key>": <problem>".
class ScenarioError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The members of one JSON object at a named place ("step 3", "step 3: set \"A.B\"").
class JsonFields {
  public:
    // Throws ScenarioError when `object` is not an object. `file` and `place` name it in
    // messages; `object` must outlive this.
    JsonFields(const nlohmann::json& object, std::string file, std::string place);

    // Refuses any member not in `known`.
    void allowOnly(std::initializer_list<const char*> known) const;

    bool has(const char* key) const;
    const nlohmann::json& at(const char* key) const;

    // The member as text / bool; `fallback` when absent; an error for another type.
    std::string text(const char* key, const std::string& fallback = "") const;
    bool flag(const char* key, bool fallback) const;
    // A whole number from 0 to `max` (no sign, no fraction, no exponent form).
    uint64_t whole(const char* key, uint64_t max, uint64_t fallback) const;
    // A whole number from `min` to `max`.
    int64_t signedWhole(const char* key, int64_t min, int64_t max, int64_t fallback) const;
    // A finite number from `min` to `max`.
    double number(const char* key, double min, double max, double fallback) const;
    // Any double, as the tree model writes one: a number (-0.0 keeps its sign), "NaN",
    // "Infinity" or "-Infinity".
    double anyDouble(const char* key) const;
    // Bytes written as hexadecimal text ("0a0b"); an error for odd length or other characters.
    std::vector<uint8_t> hexBytes(const char* key) const;

    // A nested object's fields, placed at "<place>: <key>" (or `place` when given).
    JsonFields object(const char* key, const std::string& place = "") const;

    // The error for `key` (empty: the object itself).
    [[noreturn]] void fail(const std::string& key, const std::string& problem) const;

    const std::string& file() const { return myFile; }
    const std::string& place() const { return myPlace; }

  private:
    const nlohmann::json& myObject;
    std::string myFile;
    std::string myPlace;
};

// A whole number from 0 to `max` held in `value`; false for anything else.
bool wholeNumber(const nlohmann::json& value, uint64_t max, uint64_t* result);

// Refuses a scenario's JSON `text` (from `file`) in which an object names a key twice, which a
// reader would take silently as the last: throws ScenarioError naming the first such key and the
// place of its object as the scenario's readers name it ("<file>: step 3: set: "A.B": named
// twice"). Leaves any other fault of the text to the reader.
void refuseDuplicateKeys(std::istream& text, const std::string& file);
void refuseDuplicateKeys(const std::string& text, const std::string& file);

}  // namespace sim
