// A preprocessing group: lines that always use the same level. Every cycle it runs the lines'
// level pass, chooses one level (regular choice, selector, or fallback), lets each line write
// its output for it, and publishes the level in use, a substitute flag and one alarm and one
// warning output for each of the six levels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "FbDo.h"
#include "FbDo/FbDoValueNode.h"
#include "PPLine.h"

namespace PreProcessing {

// Six characters '0' / '1', level 6 first, for trace texts.
struct MaskText {
    char text[kLevelCount + 1];
};

class PPGroup {
  public:
    // Result of bindGroupNode for a group node whose child 3 holds no line.
    static constexpr uint32_t kNoLines = 9;

    // A group at position `groupIndex` of the preprocessing object's group list.
    explicit PPGroup(uint32_t groupIndex);
    virtual ~PPGroup() = default;

    PPGroup(const PPGroup&) = delete;
    PPGroup& operator=(const PPGroup&) = delete;

    // Binds a PP node: one line whose children sit on the same node as the group's (name 0,
    // policy 1, selector 2, fallback mode 17, level output 20, alarm outputs 21..26, warning
    // outputs 27..32, substitute output 33). Returns 0, or 1 when the line cannot be created.
    uint32_t bindNode(FbDoNode ppNode, uint32_t nodeNumber);
    // Binds a group node (name 0, policy 1, selector 2, line nodes below 3, level output 4,
    // alarm outputs 5..10, warning outputs 11..16, substitute output 17). Returns 0; kNoLines
    // when child 3 has no children; 1 when a line cannot be created.
    uint32_t bindGroupNode(FbDoNode groupNode, uint32_t nodeNumber);

    // Re-reads name, policy, fallback mode and every line's configuration, and decides whether
    // the lines agree on their connected levels. Returns 0; 1 when a line's refresh fails, and
    // then the later lines, the level agreement and the fallback mode are not re-read.
    uint32_t refresh();
    // One cycle; always returns 0.
    uint32_t process();

    // Appends the group's lines, in order, to `lines` (which refers to them without owning).
    void appendLines(std::vector<PPLine*>& lines) const;

    // State of this cycle, for the display page and tests.
    uint32_t alarmRow() const { return alarmRow_; }
    uint32_t warningRow() const { return warningRow_; }
    uint32_t selectedLevel() const { return selectedLevel_; }
    uint32_t selectorLevel() const { return selectorLevel_; }
    uint32_t lastSelectedLevel() const { return lastSelectedLevel_; }
    uint32_t commonInUseMask() const { return commonInUseMask_; }
    bool hasSameLevels() const { return sameLevels_; }
    uint32_t policy() const { return policy_; }
    uint32_t fallbackMode() const { return fallbackMode_; }
    const char16_t* name() const { return name_; }
    uint32_t lineCount() const { return static_cast<uint32_t>(lines_.size()); }

    // True when the selector forces `level`: level 1..6 by a valid selector word, or level 7
    // while the selector is in INIT or invalid.
    bool selectorSelects(uint32_t level) const;

    // `mask` as six characters, level 6 first and level 1 last.
    static MaskText maskText(uint32_t mask);

  private:
    void updateLines();
    void readSelector();
    static uint32_t levelFromMask(uint32_t word);
    uint32_t selectLevel();
    uint32_t pickLevel(uint32_t candidates) const;
    static uint32_t highestLevel(uint32_t mask);
    static bool hasLevel(uint32_t level, uint32_t mask);
    void checkSameLevels();
    uint32_t processLines(uint32_t linePolicy);
    void writeSubstituteOutput(uint32_t levelInUse);
    void writeRows();
    void fetchOutputNodes(FbDoNode node, uint32_t levelOutput, uint32_t firstAlarm,
                          uint32_t firstWarning, uint32_t substitute);

    uint32_t groupIndex_;
    char16_t name_[kNameCapacity] = {};
    uint32_t policy_ = 3;
    uint32_t commonInUseMask_ = 0;
    bool sameLevels_ = false;
    uint32_t goodInAll_ = 0;
    uint32_t availableInAll_ = 0;
    uint32_t initInAll_ = 0;
    uint32_t selectedLevel_ = 0;
    uint32_t limitInAny_ = 0;
    uint32_t warningInAny_ = 0;
    uint32_t alarmRow_ = 0;
    uint32_t warningRow_ = 0;
    uint32_t selectorLevel_ = 0;
    uint32_t fallbackMode_ = 1;
    uint32_t lastSelectedLevel_ = kSubstituteLevel;
    std::vector<std::unique_ptr<PPLine>> lines_;

    FbDoNode nameNode_ = nullptr;
    FbDoNode policyNode_ = nullptr;
    FbDoNode fallbackModeNode_ = nullptr;
    FbDoNode levelOutputNode_ = nullptr;
    FbDoNode selectorNode_ = nullptr;
    // The bool outputs with their leaves, found with the nodes.
    FbDoValueNode alarmOutputs_[kLevelCount] = {};
    FbDoValueNode warningOutputs_[kLevelCount] = {};
    FbDoValueNode substituteOutput_ = {};
};

}  // namespace PreProcessing
