#include "PPContext.h"

#include <cstring>

#include "PPStatus.h"
#include "TarvoTrace.h"

namespace PreProcessing {

namespace {

constexpr uint32_t kTraceSelector = 0;
constexpr uint32_t kTraceNumberScanned = TraceId(0x7b, 19, 7);

constexpr const char* kPPLineForm = ".PP.PP_";
constexpr const char* kGroupLevelForm = ".PPGrp.ALev";

// The text after `prefix` when `text` starts with it, else null.
const char* after(const char* text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    return std::strncmp(text, prefix, length) == 0 ? text + length : nullptr;
}

// Reads the decimal number at the start of `text` (at least one digit; what follows it is not
// looked at). False when there is none or it does not fit 32 bits.
bool readNumber(const char* text, uint32_t& number) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<uint64_t>(*text - '0');
        if (value > UINT32_MAX) {
            return false;
        }
    }
    number = static_cast<uint32_t>(value);
    TARVO_TRACE(kTraceSelector, kTraceNumberScanned, TraceFormat(kTraceArgInt), number);
    return true;
}

// The text from the second '.' on, or null when there is no second '.' or nothing after it.
const char* fromSecondDot(const char* context) {
    const char* first = std::strchr(context, '.');
    const char* second = first != nullptr ? std::strchr(first + 1, '.') : nullptr;
    return (second != nullptr && second[1] != '\0') ? second : nullptr;
}

int32_t ungroupedLine(const std::vector<PPLine*>& lines, uint32_t lineNumber, int32_t selected) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i]->isGrouped() && lines[i]->lineNumber() == lineNumber) {
            return static_cast<int32_t>(i);
        }
    }
    return selected;
}

int32_t groupedLineWithFailedLevel(const std::vector<PPLine*>& lines, uint32_t level,
                                   int32_t selected) {
    int32_t firstGrouped = -1;
    const uint32_t bit = levelBit(level);  // 0 for a level outside 1..6: no line matches
    for (size_t i = 0; i < lines.size(); ++i) {
        const PPLine& line = *lines[i];
        if (!line.isGrouped()) {
            continue;
        }
        if ((line.inUseMask() & bit) != 0 && (line.goodMask() & bit) == 0) {
            return static_cast<int32_t>(i);
        }
        if (firstGrouped < 0) {
            firstGrouped = static_cast<int32_t>(i);
        }
    }
    return firstGrouped >= 0 ? firstGrouped : selected;
}

}  // namespace

int32_t selectLineFromContext(const char* context, const std::vector<PPLine*>& lines,
                              int32_t selected) {
    const char* tail = context != nullptr ? fromSecondDot(context) : nullptr;
    if (tail == nullptr) {
        return selected;
    }
    uint32_t number = 0;
    if (const char* lineNumber = after(tail, kPPLineForm)) {
        return readNumber(lineNumber, number) ? ungroupedLine(lines, number, selected) : selected;
    }
    if (const char* level = after(tail, kGroupLevelForm)) {
        return readNumber(level, number) ? groupedLineWithFailedLevel(lines, number, selected)
                                         : selected;
    }
    return selected;
}

}  // namespace PreProcessing
