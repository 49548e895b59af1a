// The preprocessing object's display page: the line selection box and, for the selected line,
// one row for each of the seven levels with the level's parameter, marks and status.
#include <string>

#include "PPContext.h"
#include "PPStatus.h"
#include "Preprocessing.h"
#include "Tarvo.h"
#include "TarvoTrace.h"

using PreProcessing::PPGroup;
using PreProcessing::PPLine;
using PreProcessing::PPPageSends;

namespace {

constexpr uint32_t kTraceFile = 0x7b;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceRecord = TraceId(kTraceFile, 13, 7),
    kTraceCommand2 = TraceId(kTraceFile, 14, 6),
    kTraceCommand3 = TraceId(kTraceFile, 15, 6),
    kTraceCommand7 = TraceId(kTraceFile, 16, 6),
    kTraceLineSelected = TraceId(kTraceFile, 17, 6),
    kTraceContext = TraceId(kTraceFile, 18, 7),
    kTraceSelection = TraceId(kTraceFile, 20, 6),
    kTraceLineCount = TraceId(kTraceFile, 21, 6),
    kTraceEntry = TraceId(kTraceFile, 22, 7),
    kTraceHandled = TraceId(kTraceFile, 23, 7),
    kTraceRowsNotShown = TraceId(kTraceFile, 24, 6),
    kTraceLabels = TraceId(kTraceFile, 25, 7),
};

enum : uint32_t {
    kCommandOpen = 2,
    kCommandOpenFromContext = 3,
    kCommandRefresh = 7,
    kCommandSelect = 29,
};

enum : uint32_t {
    kBindFirstOffset = 2,
    kBindSecondOffset = 3,
    kMarksOffset = 4,
    kStatusOffset = 5,
};

constexpr size_t kMarksCapacity = 19;     // characters of a level's marks
constexpr size_t kGroupNumberDigits = 9;  // characters of a group number in its mark
constexpr uint32_t kRowLevels = 7;

const char16_t kTwoBlanks[] = u"  ";

std::u16string decimal(uint32_t number) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

// `text` with the first `placeholder` replaced by `value`; false when it has none.
bool replaceFirst(std::u16string& text, const std::u16string& placeholder,
                  const std::u16string& value) {
    const size_t at = text.find(placeholder);
    if (at == std::u16string::npos) {
        return false;
    }
    text.replace(at, placeholder.size(), value);
    return true;
}

// Appends as much of `text` as still fits into `capacity` characters.
void appendFitting(std::u16string& target, const std::u16string& text, size_t capacity) {
    if (target.size() < capacity) {
        target.append(text, 0, capacity - target.size());
    }
}

// The first of the flags a status row names, or none.
const char16_t* primaryFlagText(uint32_t flags) {
    struct FlagText {
        uint32_t flag;
        const char16_t* text;
    };
    static const FlagText kOrder[] = {
        {PreProcessing::kStatusNOT_AVAIL, u"NA"}, {PreProcessing::kStatusOOU, u"INACT"},
        {PreProcessing::kStatusOOO, u"OOO"},      {PreProcessing::kStatusOOC, u"OOC"},
        {PreProcessing::kStatusOLL, u"OLL"},      {PreProcessing::kStatusOUL, u"OUL"},
    };
    for (const FlagText& entry : kOrder) {
        if ((flags & entry.flag) != 0) {
            return entry.text;
        }
    }
    return u"";
}

uint32_t rowBase(uint32_t level) {
    return Preprocessing::kLevelRowBase + Preprocessing::kLevelRowStep * (level - 1);
}

}  // namespace

uint32_t Preprocessing::handleDisplayEvent(const PEGCommand& command, PPPageSends& out) {
    const uint32_t itemId = command.itemId();
    if (itemId < kPageFirstItem || itemId > kPageLastItem) {
        return 0;
    }
    const uint32_t code = command.commandCode();
    TARVO_TRACE(kTraceSelector, kTraceRecord, TraceFormat(kTraceArgInt, kTraceArgInt), itemId,
                code);
    if (itemId == kPageFirstItem &&
        (code == kCommandOpen || code == kCommandOpenFromContext || code == kCommandRefresh)) {
        if (code == kCommandOpen) {
            TARVO_TRACE(kTraceSelector, kTraceCommand2, TraceFormat());
            page_.selectedLine = 0;
        }
        if (code != kCommandRefresh) {
            TARVO_TRACE(kTraceSelector, kTraceCommand3, TraceFormat(kTraceArgInt),
                        page_.selectedLine);
            loadLabels();
            page_.selectedLine = selectFromContext();
            page_.refill = true;
        }
        TARVO_TRACE(kTraceSelector, kTraceCommand7, TraceFormat(kTraceArgInt),
                    page_.refill ? 1 : 0);
        if (page_.refill) {
            fillLineList(out);
            bindSourceRows(out);
            page_.refill = false;
        }
        showLevels(out);
    } else if (itemId == kLineListItem && code == kCommandSelect) {
        int32_t index = -1;
        if (command.payloadIndex(index)) {
            TARVO_TRACE(kTraceSelector, kTraceLineSelected, TraceFormat(kTraceArgInt), index);
            page_.selectedLine = index;
            bindSourceRows(out);
            showLevels(out);
        }
    }
    TARVO_TRACE(kTraceSelector, kTraceHandled, TraceFormat(kTraceArgInt, kTraceArgInt), itemId,
                code);
    return 1;
}

void Preprocessing::loadLabels() {
    const uint32_t language = Sysmanlib_AsInfo_GetLanguage() != 0 ? 1u : 0u;
    const ServiceClient* dictionary = textDictionaryOf(Sysmanlib_AsInfo_GetCurrent());
    struct Keyed {
        const char* key;
        std::u16string* label;
    };
    const Keyed labels[] = {
        {"PrePrDisp_alarm_LR", &labels_.alarm},
        {"PrePrDisp_warning_LR", &labels_.warning},
        {"PrePrDisp_inUse_LR", &labels_.inUse},
        {"PrePr_PP_x", &labels_.line},
        {"PrePrDisp_grouped_LR", &labels_.grouped},
        {"PrePrDisp_groupedIndex_LR", &labels_.groupedWithNumber},
    };
    for (const Keyed& entry : labels) {
        if (const char16_t* text = Tarvo_LookupText(dictionary, entry.key, language)) {
            *entry.label = text;
        }
    }
    TARVO_TRACE(kTraceSelector, kTraceLabels, TraceFormat(kTraceArgInt), language);
}

int32_t Preprocessing::selectFromContext() {
    const char* context = Tarvo_DisplayContext(Sysmanlib_AsInfo_GetCurrent());
    TARVO_TRACE(kTraceSelector, kTraceContext, TraceFormat(kTraceArgText),
                context != nullptr ? context : "");
    if (context == nullptr || context[0] == '\0') {
        return page_.selectedLine;
    }
    const int32_t selection =
        PreProcessing::selectLineFromContext(context, lines_, page_.selectedLine);
    Tarvo_ReleaseDisplayContext(0);
    TARVO_TRACE(kTraceSelector, kTraceSelection, TraceFormat(kTraceArgInt), selection);
    return selection;
}

void Preprocessing::fillLineList(PPPageSends& out) {
    TARVO_TRACE(kTraceSelector, kTraceLineCount, TraceFormat(kTraceArgInt),
                static_cast<uint32_t>(lines_.size()));
    if (lines_.empty()) {
        return;
    }
    out.clear(kLineListItem);
    for (size_t i = 0; i < lines_.size(); ++i) {
        const PPLine& line = *lines_[i];
        std::u16string entry = groupMark(line.isGrouped(), line.groupNumber());
        entry += line.name()[0] != u'\0' ? std::u16string(line.name())
                                         : defaultLineText(line.lineNumber());
        TARVO_TRACE(kTraceSelector, kTraceEntry, TraceFormat(kTraceArgInt, kTraceArgText16),
                    static_cast<uint32_t>(i + 1), entry.c_str());
        out.wideText(kLineListItem, entry);
    }
    out.value(kLineListItem, static_cast<uint32_t>(page_.selectedLine));
}

const PPLine* Preprocessing::selectedLine() const {
    const int32_t selected = page_.selectedLine;
    if (selected < 0 || static_cast<size_t>(selected) >= lines_.size()) {
        TARVO_TRACE(kTraceSelector, kTraceRowsNotShown, TraceFormat(kTraceArgInt, kTraceArgInt),
                    selected, static_cast<uint32_t>(lines_.size()));
        return nullptr;
    }
    return lines_[static_cast<size_t>(selected)];
}

void Preprocessing::bindSourceRows(PPPageSends& out) {
    const PPLine* line = selectedLine();
    if (line == nullptr) {
        return;
    }
    for (uint32_t level = 1; level <= kRowLevels; ++level) {
        const std::string name = line->referenceText(level);
        out.bind(rowBase(level) + kBindFirstOffset, name);
        out.bind(rowBase(level) + kBindSecondOffset, name);
    }
}

void Preprocessing::showLevels(PPPageSends& out) {
    const PPLine* line = selectedLine();
    if (line == nullptr || line->groupIndex() >= groups_.size()) {
        return;
    }
    const PPGroup& group = *groups_[line->groupIndex()];
    for (uint32_t level = 1; level <= kRowLevels; ++level) {
        out.wideText(rowBase(level) + kMarksOffset, levelMarks(group, level));
        out.wideText(rowBase(level) + kStatusOffset, levelStatus(*line, group, level));
    }
}

std::u16string Preprocessing::levelMarks(const PPGroup& group, uint32_t level) const {
    const uint32_t bit = PreProcessing::levelBit(level);
    const bool alarm = (group.alarmRow() & bit) != 0;
    const bool warning = (group.warningRow() & bit) != 0;
    std::u16string marks;
    if (alarm) {
        appendFitting(marks, labels_.alarm, kMarksCapacity);
        if (warning) {
            appendFitting(marks, u" ", kMarksCapacity);
        }
    }
    if (warning) {
        appendFitting(marks, labels_.warning, kMarksCapacity);
    }
    return marks;
}

std::u16string Preprocessing::levelStatus(const PPLine& line, const PPGroup& group,
                                          uint32_t level) const {
    const uint32_t flags = line.displayStatus(level);
    std::u16string status =
        level == line.currentLevel() ? labels_.inUse : std::u16string(primaryFlagText(flags));
    const char16_t* secondary = (flags & PreProcessing::kStatusLowerWarning) != 0   ? u"LWL"
                                : (flags & PreProcessing::kStatusUpperWarning) != 0 ? u"UWL"
                                                                                    : nullptr;
    if (secondary != nullptr) {
        status += status.empty() ? u"" : u" ";
        status += secondary;
    }
    if (group.selectorSelects(level)) {
        status.insert(0, u"* ");
    }
    return status;
}

std::u16string Preprocessing::groupMark(bool grouped, uint32_t groupNumber) const {
    if (!grouped) {
        return std::u16string();
    }
    if (groupNumber == 0) {
        return labels_.grouped + kTwoBlanks;
    }
    std::u16string mark = labels_.groupedWithNumber;
    replaceFirst(mark, u"{0}", decimal(groupNumber).substr(0, kGroupNumberDigits));
    return mark + kTwoBlanks;
}

std::u16string Preprocessing::defaultLineText(uint32_t lineNumber) const {
    std::u16string text = labels_.line;
    if (!replaceFirst(text, u"{PP}", decimal(lineNumber))) {
        text += u' ';
        text += decimal(lineNumber);
    }
    return text;
}
