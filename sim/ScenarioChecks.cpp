#include "ScenarioChecks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <stdexcept>

#include "EscapedText.h"
#include "HostTree.h"
#include "WorkFolder.h"

namespace sim {
namespace {

// The kinds other than the integer whose value reads as an unsigned word.
bool isWordKind(FbDoNodeKind kind) {
    return kind == kFbDoUnsigned || kind == kFbDoBool || kind == kFbDoWord || kind == kFbDoTrigger;
}

std::string describe(const EventPattern& pattern) {
    std::string text = eventName(pattern.kind);
    if (pattern.value) {
        text += " value " + std::to_string(*pattern.value);
    }
    if (pattern.detail) {
        text += " detail " + std::to_string(*pattern.detail);
    }
    if (pattern.text) {
        text += " text " + quotedText(*pattern.text);
    }
    return text;
}

std::string describe(const DisplayPattern& pattern) {
    std::string text = "record";
    if (pattern.item) {
        text += " item " + std::to_string(*pattern.item);
    }
    if (pattern.code) {
        text += " code " + std::to_string(*pattern.code);
    }
    if (pattern.payload) {
        // As the display reads it when the code tells how: texts as text.
        text +=
            " payload " + (pattern.code ? DisplayModel::payloadText(*pattern.code, *pattern.payload)
                                        : hexText(*pattern.payload));
    }
    return text;
}

bool matches(const EventPattern& pattern, const Event& event) {
    return event.kind == pattern.kind && (!pattern.value || event.value == *pattern.value) &&
           (!pattern.detail || event.detail == *pattern.detail) &&
           (!pattern.text || event.text == *pattern.text);
}

bool matches(const DisplayPattern& pattern, const host::SentCommand& sent) {
    return (!pattern.item || sent.itemId == *pattern.item) &&
           (!pattern.code || sent.commandCode == *pattern.code) &&
           (!pattern.payload || sent.payload == *pattern.payload);
}

// One result for the patterns in order, one per absent pattern.
template <typename Pattern, typename Record>
std::vector<CheckResult> checkSequence(size_t step, const char* what,
                                       const SequenceExpectation<Pattern>& expectation,
                                       const std::vector<Record>& records) {
    std::vector<CheckResult> results;
    if (!expectation.inOrder.empty()) {
        size_t matched = 0;
        for (const Record& record : records) {
            if (matched < expectation.inOrder.size() &&
                matches(expectation.inOrder[matched], record)) {
                ++matched;
            }
        }
        std::string sequence;
        for (const Pattern& pattern : expectation.inOrder) {
            sequence += (sequence.empty() ? "" : ", ") + describe(pattern);
        }
        const bool passed = matched == expectation.inOrder.size();
        results.push_back(
            CheckResult{step, std::string(what) + " in order: " + sequence,
                        passed ? "all " + std::to_string(matched) + " in order"
                               : "missing from " + describe(expectation.inOrder[matched]) +
                                     " on (" + std::to_string(records.size()) + " recorded)",
                        passed});
    }
    for (const Pattern& pattern : expectation.absent) {
        size_t count = 0;
        for (const Record& record : records) {
            count += matches(pattern, record) ? 1 : 0;
        }
        results.push_back(CheckResult{step, std::string(what) + " absent: " + describe(pattern),
                                      std::to_string(count) + " found", count == 0});
    }
    return results;
}

// The expectation; its value `exact`ly (formatExactValue), else as the report writes values.
std::string describe(const Expectation& expectation, bool exact = false) {
    std::string text = expectation.path;
    if (expectation.value) {
        text += " expected " +
                (exact ? formatExactValue(*expectation.value) : formatValue(*expectation.value)) +
                " +- " + formatValue(expectation.tolerance);
    }
    if (expectation.status) {
        text += " status " + describeStatus(*expectation.status);
    }
    if (expectation.text) {
        text += " text " + quotedText(*expectation.text);
    }
    if (expectation.choice) {
        text += " choice " + std::to_string(*expectation.choice);
    }
    if (expectation.inUse) {
        text += std::string(" in use ") + (*expectation.inUse ? "yes" : "no");
    }
    return text;
}

// A NaN expects a NaN and an infinity the same infinity; a finite value holds within the
// tolerance.
bool valueHolds(double found, double expected, double tolerance) {
    if (std::isnan(expected)) {
        return std::isnan(found);
    }
    if (std::isinf(expected)) {
        return found == expected;
    }
    return std::fabs(found - expected) <= tolerance;
}

// Compares the fields `expectation` gives with the node; appends what was found to `actual`.
// A value that does not hold is written exactly in `actual` and, in place of what `expected`
// holds, in `expected`, so that the two read apart.
bool parameterHolds(const host::HostTree& tree, const Expectation& expectation,
                    std::string& expected, std::string& actual) {
    bool holds = true;
    const FbDoNodeKind kind = tree.kind(expectation.path);
    if (expectation.value || expectation.status) {
        const OutputValue found = readOutput(expectation.path);
        const bool valueFails = found.found && expectation.value &&
                                !valueHolds(found.value, *expectation.value, expectation.tolerance);
        actual += found.found
                      ? (valueFails ? formatExactValue(found.value) : formatValue(found.value)) +
                            " status " + describeStatus(found.status)
                      : std::string("no number");
        holds = found.found && !valueFails &&
                (!expectation.status || found.status == *expectation.status);
        if (valueFails) {
            expected = describe(expectation, true);
        }
    }
    if (expectation.text) {
        std::string text;
        bool isText = true;
        try {
            text = host::utf8FromTreeText(tree.textValue(expectation.path));
        } catch (const std::exception&) {
            isText = false;
        }
        actual += (actual.empty() ? "" : " ") +
                  (isText ? "text " + quotedText(text) : std::string("no text"));
        holds = holds && isText && text == *expectation.text;
    }
    if (expectation.choice) {
        const uint32_t choice = kind == kFbDoChoice ? tree.selectedChoice(expectation.path) : ~0u;
        actual += (actual.empty() ? "" : " ") + std::string("choice ") +
                  (kind == kFbDoChoice ? std::to_string(choice) : std::string("none"));
        holds = holds && choice == *expectation.choice;
    }
    if (expectation.inUse) {
        const bool inUse = tree.inUse(expectation.path);
        actual += (actual.empty() ? "" : " ") + std::string("in use ") + (inUse ? "yes" : "no");
        holds = holds && inUse == *expectation.inUse;
    }
    return holds;
}

std::string quotedUtf8(const std::u16string& text) {
    return quotedText(host::utf8FromTreeText(text));
}

// The expected fields in the form of the display model's lines.
std::string describe(const DisplayItemExpectation& expectation) {
    std::string text = "display item " + std::to_string(expectation.itemId);
    if (expectation.isList) {
        text += std::string(" list=") + (*expectation.isList ? "1" : "0");
    }
    if (expectation.entries) {
        text += " entries=[";
        for (size_t i = 0; i < expectation.entries->size(); ++i) {
            text += (i > 0 ? "," : "") + quotedUtf8((*expectation.entries)[i]);
        }
        text += "]";
    }
    if (expectation.boundParameter) {
        text += " bind=" + quotedText(*expectation.boundParameter);
    }
    if (expectation.text) {
        text += " text=" + quotedUtf8(*expectation.text);
    }
    if (expectation.languageTextKey) {
        text += " languageKey=" + quotedText(*expectation.languageTextKey);
    }
    if (expectation.textKey) {
        text += " key=" + quotedText(*expectation.textKey);
    }
    if (expectation.selection) {
        text += " selection=" + std::to_string(*expectation.selection);
    }
    if (expectation.hidden) {
        text += std::string(" hidden=") + (*expectation.hidden ? "1" : "0");
    }
    if (expectation.enabled) {
        text += std::string(" enabled=") + (*expectation.enabled ? "1" : "0");
    }
    return text;
}

// An unset field of the state never equals an expected value.
template <typename T>
bool fieldHolds(const std::optional<T>& expected, const std::optional<T>& found) {
    return !expected || found == expected;
}

bool itemHolds(const DisplayItemExpectation& expectation, const DisplayItemState& state) {
    return fieldHolds(expectation.boundParameter, state.boundParameter) &&
           fieldHolds(expectation.text, state.text) &&
           fieldHolds(expectation.languageTextKey, state.languageTextKey) &&
           fieldHolds(expectation.textKey, state.textKey) &&
           (!expectation.isList || *expectation.isList == state.isList) &&
           (!expectation.entries || *expectation.entries == state.entries) &&
           fieldHolds(expectation.selection, state.selection) &&
           fieldHolds(expectation.hidden, state.hidden) &&
           fieldHolds(expectation.enabled, state.enabled);
}

}  // namespace

std::string formatValue(double value, int digits) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    std::ostringstream text;
    text << std::setprecision(digits) << value;
    return text.str();
}

std::string formatExactValue(double value) {
    constexpr int kRoundTrip = 17;  // every double reads back as itself
    std::string text = formatValue(value);
    for (int digits = kValueDigits + 1; digits <= kRoundTrip && std::isfinite(value) &&
                                        std::strtod(text.c_str(), nullptr) != value;
         ++digits) {
        text = formatValue(value, digits);
    }
    return text;
}

std::string formatStatus(uint32_t status) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", status);
    return text;
}

std::string describeStatus(uint32_t status) {
    static const char* const kFlagNames[12] = {"OOU",    "INIT",    "NOT_AVAIL", "OOS",
                                               "HIDDEN", "NOT_ACK", "LOCKED",    "OOO",
                                               "OLL",    "OUL",     "OOC",       "TEST"};
    struct Field {
        const char* name;
        uint32_t shift;
        uint32_t mask;
    };
    static const Field kFields[4] = {
        {"SET", 16, 0x3}, {"OVR", 18, 0x3}, {"NEW", 20, 0x7}, {"LOP", 24, 0x7}};
    std::string text = formatStatus(status);
    for (uint32_t bit = 0; bit < 12; ++bit) {
        if ((status & (1u << bit)) != 0) {
            text += std::string(" ") + kFlagNames[bit];
        }
    }
    for (const Field& field : kFields) {
        const uint32_t value = (status >> field.shift) & field.mask;
        if (value != 0) {
            text += std::string(" ") + field.name + ":" + std::to_string(value);
        }
    }
    return text;
}

std::string hexText(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[4];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof(digits), "%02x", byte);
        text += digits;
    }
    return text;
}

OutputValue readOutput(const std::string& path) {
    host::HostTree* tree = host::addressSpaceTree();
    if (tree == nullptr || tree->find(path) == nullptr) {
        return OutputValue{};
    }
    try {
        const uint32_t status = tree->status(path);
        const FbDoNodeKind kind = tree->kind(path);
        if (kind == kFbDoInteger) {
            return OutputValue{static_cast<double>(tree->integerValue(path)), status, true};
        }
        if (isWordKind(kind)) {
            return OutputValue{static_cast<double>(tree->wordValue(path)), status, true};
        }
        return OutputValue{tree->doubleValue(path), status, true};
    } catch (const std::exception&) {
        return OutputValue{};
    }
}

CheckResult checkParameter(size_t step, const Expectation& expectation) {
    host::HostTree* tree = host::addressSpaceTree();
    if (tree == nullptr || tree->find(expectation.path) == nullptr) {
        return CheckResult{step, describe(expectation), "nothing (no such parameter now)", false};
    }
    std::string expected = describe(expectation);
    std::string actual;
    const bool passed = parameterHolds(*tree, expectation, expected, actual);
    return CheckResult{step, expected, actual, passed};
}

std::vector<CheckResult> checkEvents(size_t step,
                                     const SequenceExpectation<EventPattern>& expectation,
                                     const std::vector<Event>& events) {
    return checkSequence(step, "events", expectation, events);
}

std::vector<CheckResult> checkDisplay(size_t step,
                                      const SequenceExpectation<DisplayPattern>& expectation,
                                      const std::vector<host::SentCommand>& sent) {
    return checkSequence(step, "display", expectation, sent);
}

CheckResult checkDisplayItem(size_t step, const DisplayItemExpectation& expectation,
                             const DisplayModel& display) {
    const DisplayItemState* state = display.item(expectation.itemId);
    if (state == nullptr) {
        return CheckResult{step, describe(expectation), "nothing sent to it", false};
    }
    return CheckResult{step, describe(expectation), display.line(expectation.itemId),
                       itemHolds(expectation, *state)};
}

CheckResult checkFile(size_t step, const std::string& basePath, const FileCheck& check) {
    std::string expected = "file " + quotedText(check.path);
    if (check.exists) {
        expected += *check.exists ? " exists" : " absent";
    }
    if (check.size) {
        expected += " size " + std::to_string(*check.size);
    }
    if (check.bytes) {
        expected += " bytes " + hexText(*check.bytes) + " at " + std::to_string(check.offset);
    }
    std::vector<uint8_t> content;
    const bool exists = readFileBytes(basePath + check.path, &content);
    std::string actual = exists ? "size " + std::to_string(content.size()) : "absent";
    bool passed = !check.exists || *check.exists == exists;
    if (check.size) {
        passed = passed && exists && content.size() == *check.size;
    }
    if (check.bytes) {
        const bool inside =
            check.offset <= content.size() && check.bytes->size() <= content.size() - check.offset;
        const auto first =
            content.begin() + static_cast<std::ptrdiff_t>(inside ? check.offset : content.size());
        const std::vector<uint8_t> found(
            first, inside ? first + static_cast<std::ptrdiff_t>(check.bytes->size()) : first);
        actual += exists ? ", bytes " + hexText(found) : "";
        passed = passed && exists && inside && found == *check.bytes;
    }
    return CheckResult{step, expected, actual, passed};
}

}  // namespace sim
