// One preprocessing line: six source levels and a fallback (`level 7`: the last valid value or a
// substitute value) that feed one output node with a value and a status word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FbDo.h"
#include "FbDo/FbDoValueNode.h"
#include "PPLevel.h"
#include "PPStatus.h"

namespace PreProcessing {

// Capacity of a line or group name read from the tree, in UTF-16 characters with the NUL.
constexpr size_t kNameCapacity = 64;

// Child indices of the nodes a line reads and writes, in one of the two node layouts.
struct LineLayout;

class PPLine {
  public:
    // A line built from node number `lineNumber`; `grouped` lines come from a group node whose
    // number is `groupNumber` (0 for a line of a PP node). `groupIndex` is the owning group's
    // position in the preprocessing object's group list.
    PPLine(uint32_t lineNumber, uint32_t groupIndex, bool grouped, uint32_t groupNumber);
    virtual ~PPLine() = default;

    PPLine(const PPLine&) = delete;
    PPLine& operator=(const PPLine&) = delete;

    // Fetches the line's nodes and creates its six levels, from a PP node (children 0, 5..16,
    // 18, 19) or from a line node of a group node (children 0, 3..16). Called once; returns 0.
    uint32_t bindNode(FbDoNode ppNode);
    uint32_t bindGroupedNode(FbDoNode lineNode);

    // Re-reads the name, which levels are connected, the limits, the hysteresis (one that is not
    // a number or is negative counts as 0) and the substitute settings; clears the levels'
    // hysteresis state. Keeps the last valid value.
    // Returns 0.
    uint32_t refresh();

    // One level pass: updates the six levels and this cycle's masks and combined status.
    void updateLevels();

    // Writes the output for the group's chosen `level` (1..7) under the group's `policy` and
    // `selectorLevel` (0 none, 1..6 forced, 7 selector in INIT, 8 invalid selector). Returns
    // the level used (0 when no value could be written, with OOO), or `level` itself, without
    // writing, when it lies outside 1..7.
    uint32_t process(uint32_t level, uint32_t policy, uint32_t selectorLevel);

    // Masks of this cycle (the in-use mask of the last refresh); bit i-1 stands for level i.
    uint32_t inUseMask() const { return inUseMask_; }
    uint32_t goodMask() const { return goodMask_; }
    uint32_t availableMask() const { return availableMask_; }
    uint32_t initMask() const { return initMask_; }
    uint32_t limitMask() const { return limitMask_; }
    uint32_t warningMask() const { return warningMask_; }
    uint32_t combinedLevelStatus() const { return combinedLevelStatus_; }

    // Identification, for traces and the display page.
    const char16_t* name() const { return name_; }
    uint32_t lineNumber() const { return lineNumber_; }
    uint32_t groupIndex() const { return groupIndex_; }
    bool isGrouped() const { return grouped_; }
    uint32_t groupNumber() const { return groupNumber_; }

    // What was written this cycle, and the value `level 7` falls back on with substitute mode 2.
    double outputValue() const { return outputValue_; }
    uint32_t outputStatus() const { return outputStatus_; }
    double lastValidValue() const { return lastValidValue_; }

    // Bad flags and warning bits of level 1..6 for the display; 0 for any other level.
    uint32_t displayStatus(uint32_t level) const;
    // The LOP field of the output node's status leaf as the tree holds it; 0 without the leaf.
    uint32_t currentLevel() const;
    // The parameter behind level 1..7 (for 7: the output itself with substitute mode 2, else the
    // substitute value's node when in use); empty when there is none.
    std::string referenceText(uint32_t level) const;

  private:
    void bind(FbDoNode node, const LineLayout& layout);
    uint32_t substitute();
    uint32_t levelStatus(uint32_t used, bool strict, uint32_t selectorLevel) const;
    // Adds level `level`'s flags to `status`; `traced`: whether the examined level is traced.
    void addLevelStatus(uint32_t level, bool traced, bool& allBad, uint32_t& status) const;
    bool isReadyToUse(uint32_t level) const;
    uint32_t writeOutput(uint32_t used, uint32_t policy, uint32_t selectorLevel);

    uint32_t lineNumber_;
    uint32_t groupIndex_;
    bool grouped_;
    uint32_t groupNumber_;
    char16_t name_[kNameCapacity] = {};
    LevelLimits limits_ = {};
    double substituteValue_ = 0.0;
    double lastValidValue_;
    bool useLastValue_ = false;
    std::array<std::unique_ptr<PPLevel>, kLevelCount> levels_;
    double outputValue_ = 0.0;
    uint32_t outputStatus_ = 0;
    uint32_t combinedLevelStatus_ = 0;
    uint32_t inUseMask_ = 0;
    uint32_t goodMask_ = 0;
    uint32_t availableMask_ = 0;
    uint32_t initMask_ = 0;
    uint32_t limitMask_ = 0;
    uint32_t warningMask_ = 0;

    FbDoNode nameNode_ = nullptr;
    FbDoNode lowerLimitNode_ = nullptr;
    FbDoNode upperLimitNode_ = nullptr;
    FbDoNode lowerWarningNode_ = nullptr;
    FbDoNode upperWarningNode_ = nullptr;
    FbDoNode hysteresisNode_ = nullptr;
    FbDoNode substituteNode_ = nullptr;
    FbDoNode substituteModeNode_ = nullptr;
    FbDoValueNode output_ = {};  // the output node with its leaves, found with the nodes
};

}  // namespace PreProcessing
