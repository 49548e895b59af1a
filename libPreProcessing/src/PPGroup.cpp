#include "PPGroup.h"

#include <new>

#include "PPTreeAccess.h"
#include "TarvoTrace.h"

namespace PreProcessing {

namespace {

// Children of a PP node that belong to its group.
enum : uint32_t {
    kPPName = 0,
    kPPPolicy = 1,
    kPPSelector = 2,
    kPPFallbackMode = 17,
    kPPLevelOutput = 20,
    kPPFirstAlarm = 21,
    kPPFirstWarning = 27,
    kPPSubstituteOutput = 33,
};

// Children of a group node.
enum : uint32_t {
    kGroupName = 0,
    kGroupPolicy = 1,
    kGroupSelector = 2,
    kGroupLines = 3,
    kGroupLevelOutput = 4,
    kGroupFirstAlarm = 5,
    kGroupFirstWarning = 11,
    kGroupSubstituteOutput = 17,
};

// A selector word with all seven low bits set marks "no valid selection".
constexpr uint32_t kSelectorAllBits = 127;
constexpr uint32_t kSelectorInvalid = 8;
constexpr uint32_t kSelectorInInit = 7;

constexpr uint32_t kTraceFile = 0x7c;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceSelectorAllBits = TraceId(kTraceFile, 0, 6),
    kTraceSelectorAbove63 = TraceId(kTraceFile, 1, 5),
    kTraceSelectorSeveralBits = TraceId(kTraceFile, 2, 5),
    kTraceSelectorNoBit = TraceId(kTraceFile, 3, 5),
    kTraceSelectorValid = TraceId(kTraceFile, 4, 7),
    kTraceBindNode = TraceId(kTraceFile, 5, 7),
    kTraceBindLineNode = TraceId(kTraceFile, 6, 7),
    kTraceLineNotCreated = TraceId(kTraceFile, 7, 3),
    kTraceGroupNodeBound = TraceId(kTraceFile, 8, 7),
    kTraceGroupNodeWithoutLines = TraceId(kTraceFile, 9, 6),
    kTraceGroupedLineNotCreated = TraceId(kTraceFile, 10, 3),
    kTraceLineNotBound = TraceId(kTraceFile, 11, 3),
    kTraceRefreshName = TraceId(kTraceFile, 12, 6),
    kTraceSameLevels = TraceId(kTraceFile, 13, 6),
    kTraceProcess = TraceId(kTraceFile, 14, 7),
    kTraceLevelPass = TraceId(kTraceFile, 15, 7),
    kTraceChoice = TraceId(kTraceFile, 16, 7),
    kTraceOutputs = TraceId(kTraceFile, 17, 7),
    kTraceDifferentLevels = TraceId(kTraceFile, 18, 6),
    kTracePolicyOutOfRange = TraceId(kTraceFile, 24, 3),
    kTraceNoLines = TraceId(kTraceFile, 37, 3),
};

const char* boolText(bool value) {
    return value ? "true" : "false";
}

}  // namespace

PPGroup::PPGroup(uint32_t groupIndex) : groupIndex_(groupIndex) {}

void PPGroup::fetchOutputNodes(FbDoNode node, uint32_t levelOutput, uint32_t firstAlarm,
                               uint32_t firstWarning, uint32_t substitute) {
    levelOutputNode_ = FbDo_GetChild(node, levelOutput);
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        alarmOutputs_[i] = FindValueNode(FbDo_GetChild(node, firstAlarm + i));
        warningOutputs_[i] = FindValueNode(FbDo_GetChild(node, firstWarning + i));
    }
    substituteOutput_ = FindValueNode(FbDo_GetChild(node, substitute));
}

uint32_t PPGroup::bindNode(FbDoNode ppNode, uint32_t nodeNumber) {
    TARVO_TRACE(kTraceSelector, kTraceBindNode, TraceFormat(kTraceArgInt, kTraceArgInt),
                groupIndex_, nodeNumber);
    nameNode_ = FbDo_GetChild(ppNode, kPPName);
    policyNode_ = FbDo_GetChild(ppNode, kPPPolicy);
    fallbackModeNode_ = FbDo_GetChild(ppNode, kPPFallbackMode);
    selectorNode_ = FbDo_GetChild(ppNode, kPPSelector);
    fetchOutputNodes(ppNode, kPPLevelOutput, kPPFirstAlarm, kPPFirstWarning, kPPSubstituteOutput);
    std::unique_ptr<PPLine> line(new (std::nothrow) PPLine(nodeNumber, groupIndex_, false, 0));
    if (!line) {
        TARVO_TRACE(kTraceSelector, kTraceLineNotCreated, TraceFormat());
        return 1;
    }
    line->bindNode(ppNode);
    lines_.push_back(std::move(line));
    readSelector();
    return 0;
}

uint32_t PPGroup::bindGroupNode(FbDoNode groupNode, uint32_t nodeNumber) {
    nameNode_ = FbDo_GetChild(groupNode, kGroupName);
    policyNode_ = FbDo_GetChild(groupNode, kGroupPolicy);
    selectorNode_ = FbDo_GetChild(groupNode, kGroupSelector);
    fetchOutputNodes(groupNode, kGroupLevelOutput, kGroupFirstAlarm, kGroupFirstWarning,
                     kGroupSubstituteOutput);
    FbDoNode lineParent = FbDo_GetChild(groupNode, kGroupLines);
    for (FbDoNode child = FbDo_FirstChild(lineParent); child != nullptr;
         child = FbDo_NextSibling(child)) {
        const uint32_t lineNumber = FbDo_NodeNumber(child);
        TARVO_TRACE(kTraceSelector, kTraceBindLineNode, TraceFormat(kTraceArgInt), lineNumber);
        std::unique_ptr<PPLine> line(new (std::nothrow)
                                         PPLine(lineNumber, groupIndex_, true, nodeNumber));
        if (!line) {
            TARVO_TRACE(kTraceSelector, kTraceGroupedLineNotCreated, TraceFormat(kTraceArgInt),
                        lineNumber);
            return 1;
        }
        if (line->bindGroupedNode(child) != 0) {
            TARVO_TRACE(kTraceSelector, kTraceLineNotBound, TraceFormat(kTraceArgInt), lineNumber);
            return 1;
        }
        lines_.push_back(std::move(line));
    }
    if (lines_.empty()) {
        TARVO_TRACE(kTraceSelector, kTraceGroupNodeWithoutLines, TraceFormat(kTraceArgInt),
                    nodeNumber);
        return kNoLines;
    }
    TARVO_TRACE(kTraceSelector, kTraceGroupNodeBound, TraceFormat(kTraceArgInt, kTraceArgInt),
                nodeNumber, lineCount());
    readSelector();
    return 0;
}

void PPGroup::appendLines(std::vector<PPLine*>& lines) const {
    for (const auto& line : lines_) {
        lines.push_back(line.get());
    }
}

uint32_t PPGroup::refresh() {
    readBoundedText(nameNode_, name_, kNameCapacity);
    if (name_[0] == u'\0') {
        copyBoundedText(u"unnamed", name_, kNameCapacity);
    }
    TARVO_TRACE(kTraceSelector, kTraceRefreshName, TraceFormat(kTraceArgText16), name_);
    policy_ = static_cast<uint32_t>(readIntegerParameter(policyNode_));
    for (const auto& line : lines_) {
        if (line->refresh() != 0) {
            return 1;
        }
    }
    checkSameLevels();
    TARVO_TRACE(kTraceSelector, kTraceSameLevels, TraceFormat(kTraceArgText, kTraceArgText),
                maskText(commonInUseMask_).text, boolText(sameLevels_));
    if (fallbackModeNode_ != nullptr) {
        fallbackMode_ = static_cast<uint32_t>(readIntegerParameter(fallbackModeNode_));
    }
    return 0;
}

void PPGroup::checkSameLevels() {
    commonInUseMask_ = 0;
    if (lines_.empty()) {
        sameLevels_ = false;
        TARVO_TRACE(kTraceSelector, kTraceNoLines, TraceFormat(kTraceArgText16), name_);
        return;
    }
    sameLevels_ = true;
    for (const auto& line : lines_) {
        const uint32_t mask = line->inUseMask();
        if (mask == 0) {
            continue;
        }
        if (commonInUseMask_ == 0) {
            commonInUseMask_ = mask;
        } else {
            sameLevels_ = sameLevels_ && commonInUseMask_ == mask;
        }
    }
}

void PPGroup::readSelector() {
    if (selectorNode_ == nullptr || FbDo_IsInUse(selectorNode_) == 0) {
        selectorLevel_ = 0;
        return;
    }
    uint32_t status = 0;
    const uint32_t word = FbDo_ReadWordWithStatus(selectorNode_, kSelectorAllBits, &status, 0);
    selectorLevel_ = (status & kStatusINIT) != 0 ? kSelectorInInit : levelFromMask(word);
}

uint32_t PPGroup::levelFromMask(uint32_t word) {
    if (word == kSelectorAllBits) {
        TARVO_TRACE(kTraceSelector, kTraceSelectorAllBits, TraceFormat());
        return kSelectorInvalid;
    }
    if (word > 63) {
        TARVO_TRACE(kTraceSelector, kTraceSelectorAbove63, TraceFormat(kTraceArgInt), word);
        return kSelectorInvalid;
    }
    if (word == 0) {
        TARVO_TRACE(kTraceSelector, kTraceSelectorNoBit, TraceFormat(kTraceArgInt), word);
        return kSelectorInvalid;
    }
    if ((word & (word - 1)) != 0) {
        TARVO_TRACE(kTraceSelector, kTraceSelectorSeveralBits, TraceFormat(kTraceArgInt), word);
        return kSelectorInvalid;
    }
    uint32_t level = 1;
    while ((word >> (level - 1)) != 1) {
        ++level;
    }
    TARVO_TRACE(kTraceSelector, kTraceSelectorValid, TraceFormat(kTraceArgInt, kTraceArgInt), word,
                level);
    return level;
}

void PPGroup::updateLines() {
    readSelector();
    goodInAll_ = kAllLevelsMask;
    availableInAll_ = kAllLevelsMask;
    initInAll_ = kAllLevelsMask;
    limitInAny_ = 0;
    warningInAny_ = 0;
    for (const auto& line : lines_) {
        line->updateLevels();
        if (line->inUseMask() == 0) {
            continue;
        }
        goodInAll_ &= line->goodMask();
        availableInAll_ &= line->availableMask();
        initInAll_ &= line->initMask();
        limitInAny_ |= line->limitMask();
        warningInAny_ |= line->warningMask();
    }
    TARVO_TRACE(kTraceSelector, kTraceLevelPass,
                TraceFormat(kTraceArgText16, kTraceArgText, kTraceArgText, kTraceArgText,
                            kTraceArgText, kTraceArgText),
                name_, maskText(goodInAll_).text, maskText(availableInAll_).text,
                maskText(initInAll_).text, maskText(limitInAny_).text,
                maskText(warningInAny_).text);
}

uint32_t PPGroup::selectLevel() {
    uint32_t chosen = pickLevel(goodInAll_ & ~initInAll_);
    if (chosen != kSubstituteLevel) {
        lastSelectedLevel_ = chosen;
    } else if (fallbackMode_ == 1 || selectorLevel_ != 0) {
        chosen = kSubstituteLevel;
    } else if (fallbackMode_ == 2) {
        chosen = hasLevel(lastSelectedLevel_, availableInAll_ & ~initInAll_) ? lastSelectedLevel_
                                                                             : kSubstituteLevel;
    } else if (fallbackMode_ == 3) {
        chosen = highestLevel(availableInAll_ & ~initInAll_);
    }
    TARVO_TRACE(
        kTraceSelector, kTraceChoice,
        TraceFormat(kTraceArgText16, kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt), name_,
        chosen, lastSelectedLevel_, selectorLevel_, fallbackMode_);
    return chosen;
}

uint32_t PPGroup::pickLevel(uint32_t candidates) const {
    if (selectorLevel_ >= kSelectorInInit) {
        return kSubstituteLevel;
    }
    if (selectorLevel_ != 0) {
        return hasLevel(selectorLevel_, commonInUseMask_ & candidates) ? selectorLevel_
                                                                       : kSubstituteLevel;
    }
    for (uint32_t level = 1; level <= kLevelCount; ++level) {
        if (hasLevel(level, candidates)) {
            return level;
        }
    }
    return kSubstituteLevel;
}

uint32_t PPGroup::highestLevel(uint32_t mask) {
    for (uint32_t level = kLevelCount; level >= 1; --level) {
        if (hasLevel(level, mask)) {
            return level;
        }
    }
    return kSubstituteLevel;
}

bool PPGroup::hasLevel(uint32_t level, uint32_t mask) {
    return (levelBit(level) & mask) != 0;
}

uint32_t PPGroup::process() {
    TARVO_TRACE(kTraceSelector, kTraceProcess, TraceFormat(kTraceArgText16, kTraceArgText), name_,
                boolText(sameLevels_));
    uint32_t linePolicy = policy_;
    if (!sameLevels_) {
        TARVO_TRACE(kTraceSelector, kTraceDifferentLevels, TraceFormat(kTraceArgText16), name_);
        selectedLevel_ = kSubstituteLevel;
        linePolicy = 4;
        goodInAll_ = 0;
        availableInAll_ = 0;
        limitInAny_ = 0;
        warningInAny_ = 0;
    } else {
        updateLines();
        selectedLevel_ = selectLevel();
    }
    const uint32_t levelInUse = processLines(linePolicy);
    FbDo_WriteLiveOutput(levelOutputNode_, levelInUse, nullptr);
    writeSubstituteOutput(levelInUse);
    writeRows();
    return 0;
}

uint32_t PPGroup::processLines(uint32_t linePolicy) {
    uint32_t levelInUse = selectedLevel_;
    for (const auto& line : lines_) {
        if (line->process(selectedLevel_, linePolicy, selectorLevel_) == 0) {
            levelInUse = 0;
        }
    }
    return levelInUse;
}

void PPGroup::writeSubstituteOutput(uint32_t levelInUse) {
    const bool substituteInUse =
        (commonInUseMask_ & kAllLevelsMask) != 0 && levelInUse == kSubstituteLevel;
    WriteBoolValue(substituteOutput_, substituteInUse, nullptr);
}

void PPGroup::writeRows() {
    alarmRow_ = commonInUseMask_ & ~goodInAll_ & kAllLevelsMask;
    warningRow_ = 0;
    uint32_t alarmNotInUse = ~commonInUseMask_ & kAllLevelsMask;
    const uint32_t warningNotInUse = alarmNotInUse;
    if (policy_ == 1) {
        warningRow_ = goodInAll_ != 0 ? (alarmRow_ | warningInAny_) : warningInAny_;
        alarmRow_ = goodInAll_ != 0 ? 0 : alarmRow_;
    } else if (policy_ == 2) {
        warningRow_ = warningInAny_;
    } else if (policy_ == 3) {
        warningRow_ = alarmRow_ | warningInAny_;
        alarmRow_ = 0;
        alarmNotInUse = kAllLevelsMask;
    } else {
        TARVO_TRACE(kTraceSelector, kTracePolicyOutOfRange,
                    TraceFormat(kTraceArgText16, kTraceArgInt), name_, policy_);
    }
    TARVO_TRACE(kTraceSelector, kTraceOutputs,
                TraceFormat(kTraceArgText16, kTraceArgText, kTraceArgText, kTraceArgText), name_,
                maskText(alarmRow_).text, maskText(warningRow_).text, maskText(alarmNotInUse).text);
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        const uint32_t bit = levelBit(i + 1);
        const uint32_t alarmStatus = (alarmNotInUse & bit) != 0 ? kStatusOOU : 0u;
        WriteBoolValue(alarmOutputs_[i], (alarmRow_ & bit) != 0, &alarmStatus);
        const uint32_t warningStatus = (warningNotInUse & bit) != 0 ? kStatusOOU : 0u;
        WriteBoolValue(warningOutputs_[i], (warningRow_ & bit) != 0, &warningStatus);
    }
}

bool PPGroup::selectorSelects(uint32_t level) const {
    if (selectorLevel_ == kSelectorInInit || selectorLevel_ == kSelectorInvalid) {
        return level == kSubstituteLevel;
    }
    return selectorLevel_ >= 1 && selectorLevel_ <= kLevelCount && selectorLevel_ == level;
}

MaskText PPGroup::maskText(uint32_t mask) {
    MaskText result = {};
    for (uint32_t i = 0; i < kLevelCount; ++i) {
        result.text[i] = (mask & levelBit(kLevelCount - i)) != 0 ? '1' : '0';
    }
    result.text[kLevelCount] = '\0';
    return result;
}

}  // namespace PreProcessing
