#include "PPLine.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "PPTreeAccess.h"
#include "Tarvo.h"
#include "TarvoTrace.h"

namespace PreProcessing {

struct LineLayout {
    uint32_t name;
    uint32_t lowerLimit;
    uint32_t upperLimit;
    uint32_t lowerWarning;
    uint32_t upperWarning;
    uint32_t hysteresis;
    uint32_t firstLevel;  // levels 1..6 are this child and the five after it
    uint32_t substitute;
    uint32_t substituteMode;
    uint32_t output;
};

namespace {

// A line of a PP node shares that node with its group's children.
constexpr LineLayout kPPNodeLayout = {0, 5, 6, 7, 8, 9, 10, 16, 18, 19};
// A line node below child 3 of a group node.
constexpr LineLayout kLineNodeLayout = {0, 3, 4, 5, 6, 7, 8, 14, 15, 16};

// Substitute mode that makes `level 7` the last valid value.
constexpr int32_t kSubstituteModeLastValue = 2;

// The hysteresis the limit checks apply. One that is not a number or is negative would clear a
// flag while the value is still past its limit and set it again the next cycle, so it counts as
// none.
double usableHysteresis(double hysteresis) {
    return hysteresis >= 0.0 ? hysteresis : 0.0;
}

constexpr uint32_t kTraceFile = 0x7d;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceRefreshName = TraceId(kTraceFile, 0, 6),
    kTraceRefreshNumber = TraceId(kTraceFile, 1, 6),
    kTraceMasks = TraceId(kTraceFile, 2, 7),
    kTraceProcessInput = TraceId(kTraceFile, 3, 7),
    kTraceLevelOutOfRange = TraceId(kTraceFile, 4, 3),
    kTraceProcessResult = TraceId(kTraceFile, 5, 6),
    kTraceBranch = TraceId(kTraceFile, 6, 7),
    kTraceStatusBuilt = TraceId(kTraceFile, 7, 7),
    kTraceLevelExamined = TraceId(kTraceFile, 8, 7),
    kTracePolicyOutOfRange = TraceId(kTraceFile, 12, 3),
    kTraceReferenceOutOfRange = TraceId(kTraceFile, 13, 3),
};

// Branches of the output status, as traced.
enum : uint32_t {
    kBranchNoValue = 0,
    kBranchLenient = 1,
    kBranchStrict = 2,
    kBranchLopOnly = 3,
    kBranchOutOfOrder = 4,
    kBranchInvalidPolicy = 5,
};

}  // namespace

PPLine::PPLine(uint32_t lineNumber, uint32_t groupIndex, bool grouped, uint32_t groupNumber)
    : lineNumber_(lineNumber),
      groupIndex_(groupIndex),
      grouped_(grouped),
      groupNumber_(groupNumber),
      lastValidValue_(std::numeric_limits<double>::quiet_NaN()) {}

uint32_t PPLine::bindNode(FbDoNode ppNode) {
    bind(ppNode, kPPNodeLayout);
    return 0;
}

uint32_t PPLine::bindGroupedNode(FbDoNode lineNode) {
    bind(lineNode, kLineNodeLayout);
    return 0;
}

void PPLine::bind(FbDoNode node, const LineLayout& layout) {
    nameNode_ = FbDo_GetChild(node, layout.name);
    lowerLimitNode_ = FbDo_GetChild(node, layout.lowerLimit);
    upperLimitNode_ = FbDo_GetChild(node, layout.upperLimit);
    lowerWarningNode_ = FbDo_GetChild(node, layout.lowerWarning);
    upperWarningNode_ = FbDo_GetChild(node, layout.upperWarning);
    hysteresisNode_ = FbDo_GetChild(node, layout.hysteresis);
    substituteNode_ = FbDo_GetChild(node, layout.substitute);
    substituteModeNode_ = FbDo_GetChild(node, layout.substituteMode);
    output_ = FindValueNode(FbDo_GetChild(node, layout.output));
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        levels_[i] = std::make_unique<PPLevel>(i + 1, FbDo_GetChild(node, layout.firstLevel + i));
    }
}

uint32_t PPLine::refresh() {
    readBoundedText(nameNode_, name_, kNameCapacity);
    if (name_[0] != u'\0') {
        TARVO_TRACE(kTraceSelector, kTraceRefreshName, TraceFormat(kTraceArgText16), name_);
    } else {
        TARVO_TRACE(kTraceSelector, kTraceRefreshNumber, TraceFormat(kTraceArgInt), lineNumber_);
    }
    inUseMask_ = 0;
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        levels_[i]->reset();
        if (levels_[i]->isActive()) {
            inUseMask_ |= levelBit(i + 1);
        }
    }
    limits_.lower = FbDo_ReadDouble(lowerLimitNode_, -DBL_MAX, nullptr, 0);
    limits_.upper = FbDo_ReadDouble(upperLimitNode_, DBL_MAX, nullptr, 0);
    limits_.lowerWarning = FbDo_ReadDouble(lowerWarningNode_, -DBL_MAX, nullptr, 0);
    limits_.upperWarning = FbDo_ReadDouble(upperWarningNode_, DBL_MAX, nullptr, 0);
    limits_.hysteresis = usableHysteresis(FbDo_ReadDouble(hysteresisNode_, 0.0, nullptr, 0));
    substituteValue_ =
        FbDo_ReadDouble(substituteNode_, std::numeric_limits<double>::quiet_NaN(), nullptr, 0);
    useLastValue_ = readIntegerParameter(substituteModeNode_) == kSubstituteModeLastValue;
    return 0;
}

void PPLine::updateLevels() {
    combinedLevelStatus_ = 0;
    goodMask_ = 0;
    availableMask_ = 0;
    initMask_ = 0;
    limitMask_ = 0;
    warningMask_ = 0;
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        PPLevel& level = *levels_[i];
        // A level that is not connected is neither good nor available and has no flags: it
        // adds nothing.
        if (!level.isActive()) {
            continue;
        }
        level.update(limits_);
        const uint32_t bit = levelBit(i + 1);
        combinedLevelStatus_ |= level.status();
        goodMask_ |= level.isGood() ? bit : 0u;
        availableMask_ |= level.isAvailable() ? bit : 0u;
        initMask_ |= (level.status() & kStatusINIT) != 0 ? bit : 0u;
        limitMask_ |= level.isPastLimit() ? bit : 0u;
        warningMask_ |= level.isPastWarningLimit() ? bit : 0u;
    }
    TARVO_TRACE(kTraceSelector, kTraceMasks,
                TraceFormat(kTraceArgText16, kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt,
                            kTraceArgInt),
                name_, goodMask_, availableMask_, initMask_, limitMask_, warningMask_);
}

bool PPLine::isReadyToUse(uint32_t level) const {
    const PPLevel& source = *levels_[level - 1];
    return source.isActive() && (source.status() & kStatusINIT) == 0 && !std::isnan(source.value());
}

uint32_t PPLine::process(uint32_t level, uint32_t policy, uint32_t selectorLevel) {
    TARVO_TRACE(kTraceSelector, kTraceProcessInput,
                TraceFormat(kTraceArgText16, kTraceArgInt, kTraceArgInt, kTraceArgInt), name_,
                level, policy, selectorLevel);
    uint32_t used = 0;
    if (level >= 1 && level <= kLevelCount) {
        if (isReadyToUse(level)) {
            outputValue_ = levels_[level - 1]->value();
            lastValidValue_ = outputValue_;
            used = level;
        } else {
            used = substitute();
        }
    } else if (level == kSubstituteLevel) {
        used = substitute();
    } else {
        TARVO_TRACE(kTraceSelector, kTraceLevelOutOfRange,
                    TraceFormat(kTraceArgText16, kTraceArgInt), name_, level);
        return level;
    }
    if (selectorLevel >= kSubstituteLevel) {
        used = substitute();
    }
    return writeOutput(used, policy, selectorLevel);
}

uint32_t PPLine::writeOutput(uint32_t used, uint32_t policy, uint32_t selectorLevel) {
    uint32_t branch = kBranchNoValue;
    outputStatus_ = withLop(0, used);
    if (used == 0) {
        outputStatus_ |= kStatusOOO;
    } else if (policy == 1) {
        branch = kBranchLenient;
        outputStatus_ = levelStatus(used, false, selectorLevel);
    } else if (policy == 2) {
        branch = kBranchStrict;
        outputStatus_ = levelStatus(used, true, selectorLevel);
    } else if (policy == 3) {
        branch = kBranchLopOnly;
    } else if (policy == 4) {
        branch = kBranchOutOfOrder;
        outputStatus_ |= kStatusOOO;
    } else {
        // An unknown policy must not leave the output with a stale value and a good status:
        // the line is written out of order, as policy 4 writes it.
        branch = kBranchInvalidPolicy;
        TARVO_TRACE(kTraceSelector, kTracePolicyOutOfRange,
                    TraceFormat(kTraceArgText16, kTraceArgInt), name_, policy);
        outputStatus_ |= kStatusOOO;
    }
    TARVO_TRACE(kTraceSelector, kTraceBranch, TraceFormat(kTraceArgText16, kTraceArgInt), name_,
                branch);
    FbDo_WriteDouble(output_.node, outputValue_, &outputStatus_);
    TARVO_TRACE(kTraceSelector, kTraceProcessResult,
                TraceFormat(kTraceArgText16, kTraceArgDouble, kTraceArgDouble, kTraceArgInt,
                            kTraceArgInt, kTraceArgInt),
                name_, outputValue_, lastValidValue_, used, policy, selectorLevel);
    return used;
}

uint32_t PPLine::substitute() {
    if (useLastValue_ && !std::isnan(lastValidValue_)) {
        outputValue_ = lastValidValue_;
        return kSubstituteLevel;
    }
    if (!std::isnan(substituteValue_)) {
        outputValue_ = substituteValue_;
        return kSubstituteLevel;
    }
    outputValue_ = 0.0;
    return 0;
}

uint32_t PPLine::levelStatus(uint32_t used, bool strict, uint32_t selectorLevel) const {
    uint32_t status = 0;
    bool allBad = true;
    const bool traced = Tarvo_TraceEnabled(kTraceSelector, kTraceLevelExamined) != 0;
    if (selectorLevel == 0) {
        for (uint32_t level = 1; level <= kLevelCount; ++level) {
            addLevelStatus(level, traced, allBad, status);
        }
    } else if (selectorLevel == kSubstituteLevel) {
        used = kSubstituteLevel;
    } else if (selectorLevel > kSubstituteLevel) {
        status = kStatusOOO | (combinedLevelStatus_ & kWarningFlags);
        used = kSubstituteLevel;
    } else {
        addLevelStatus(selectorLevel, traced, allBad, status);
    }
    if (!strict && !allBad) {
        status &= kWarningFlags;
    }
    status = withLop(status, used);
    TARVO_TRACE(kTraceSelector, kTraceStatusBuilt, TraceFormat(kTraceArgText16, kTraceArgInt),
                name_, status);
    return status;
}

void PPLine::addLevelStatus(uint32_t level, bool traced, bool& allBad, uint32_t& status) const {
    const PPLevel& source = *levels_[level - 1];
    if (traced) {
        Tarvo_Trace(kTraceSelector, kTraceLevelExamined,
                    TraceFormat(kTraceArgText16, kTraceArgInt, kTraceArgInt), name_, level,
                    source.status());
    }
    if (!source.isUsable()) {
        return;
    }
    status |= source.status() & kWarningFlags;
    const uint32_t bad = source.badFlags();
    if (bad == 0) {
        allBad = false;
    } else if ((status & kBadFlags) == 0) {
        status |= bad;
    }
}

uint32_t PPLine::displayStatus(uint32_t level) const {
    if (levelBit(level) == 0) {
        return 0;
    }
    const PPLevel& source = *levels_[level - 1];
    return source.badFlags() | (source.status() & kWarningFlags);
}

uint32_t PPLine::currentLevel() const {
    return output_.status != nullptr ? lopOf(FbDo_LeafStatus(output_.status)) : 0u;
}

std::string PPLine::referenceText(uint32_t level) const {
    std::string text;
    if (levelBit(level) != 0) {
        text = levels_[level - 1]->referenceText();
    } else if (level == kSubstituteLevel) {
        if (useLastValue_) {
            FbDo_ParameterName(output_.node, &text, Sysmanlib_AsInfo_GetCurrent());
        } else if (FbDo_IsInUse(substituteNode_) != 0) {
            FbDo_ParameterName(substituteNode_, &text, Sysmanlib_AsInfo_GetCurrent());
        }
    } else {
        TARVO_TRACE(kTraceSelector, kTraceReferenceOutOfRange,
                    TraceFormat(kTraceArgText16, kTraceArgInt), name_, level);
    }
    return text;
}

}  // namespace PreProcessing
