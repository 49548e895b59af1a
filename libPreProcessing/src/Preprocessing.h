// The preprocessing object of one parameter tree: its groups (which own their lines and
// levels), the flat list of every group's lines, and the state the display page keeps. It lives
// in the tree's preprocessing slot from a successful CreatePreprocessing on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FbDo.h"
#include "PEGCommand.h"
#include "PPGroup.h"
#include "PPLine.h"
#include "PPObjectLock.h"
#include "PPPageSends.h"
#include "ServiceClient.h"

class Preprocessing {
  public:
    // What the display page keeps between its commands.
    struct DisplayPageState {
        ServiceObject* serviceObject = nullptr;  // the display service's, taken at every refresh
        int32_t selectedLine = -1;               // index into the line list; -1: none
        bool refill = false;                     // selection box and row bindings need rebuilding
    };

    // Texts of the display page, replaced by the dictionary's texts of their keys at every
    // command 2 and 3 (a key without text keeps the label as it is).
    struct DisplayLabels {
        std::u16string alarm = u"A";                   // "PrePrDisp_alarm_LR"
        std::u16string warning = u"W";                 // "PrePrDisp_warning_LR"
        std::u16string inUse = u"in use";              // "PrePrDisp_inUse_LR"
        std::u16string line = u"Preprocessing {PP}";   // "PrePr_PP_x"
        std::u16string grouped = u"(G)";               // "PrePrDisp_grouped_LR"
        std::u16string groupedWithNumber = u"(G{0})";  // "PrePrDisp_groupedIndex_LR"
    };

    // Item ids of the display page.
    static constexpr uint32_t kPageFirstItem = 64000;  // the page itself
    static constexpr uint32_t kPageLastItem = 64999;
    static constexpr uint32_t kLineListItem = 64101;  // the line selection box
    // Items of level L (1..7) are kLevelRowBase + kLevelRowStep * (L - 1) + 2 and + 3 (bound to
    // the level's parameter), + 4 (marks) and + 5 (status).
    static constexpr uint32_t kLevelRowBase = 64200;
    static constexpr uint32_t kLevelRowStep = 100;

    Preprocessing() = default;
    ~Preprocessing() = default;
    Preprocessing(const Preprocessing&) = delete;
    Preprocessing& operator=(const Preprocessing&) = delete;

    // One group per child of `node`, each child a PP node. Returns 0, or 1 when a group cannot
    // be created or bound.
    uint32_t buildFromPPNodes(FbDoNode node);
    // One group from the group node `node`. A group node without lines is not kept: its outputs
    // are written once (rows false with OOU, level 0, substitute false). Returns 0, or 1 when
    // the group cannot be created or bound.
    uint32_t addGroupNode(FbDoNode node, uint32_t nodeNumber);
    // One group per child of `node`, each child a group node. Returns 0, or 1 at the first
    // child that fails.
    uint32_t addGroupNodes(FbDoNode node);

    // Restart after a parameter change: takes the display service's object, refreshes every
    // group and marks the page for refilling. Returns 0, or 1 when a group's refresh failed.
    uint32_t refresh();
    // One cycle of every group in order. Returns 0, or 1 when a group's cycle failed.
    uint32_t process();

    // ---- Display page (display-service task, under the object's lock) ----

    // One command record of the display service. Returns 1 for item ids 64000..64999 (the
    // record is the page's, whatever its command), 0 for any other id (nothing happens). What
    // the page sends is added to `out`, to be sent through displayPage().serviceObject once
    // the lock is released.
    uint32_t handleDisplayEvent(const PEGCommand& command, PreProcessing::PPPageSends& out);
    // Replaces each label by the dictionary's text of its key in the address space's language.
    void loadLabels();
    // The line the display context selects, starting from the current selection.
    int32_t selectFromContext();
    // Clears the selection box, adds one entry per line and selects the current line; sends
    // nothing when there is no line.
    void fillLineList(PreProcessing::PPPageSends& out);
    // Binds the two items of each level row to the selected line's parameter of that level.
    void bindSourceRows(PreProcessing::PPPageSends& out);
    // Sends each level row's marks and status text for the selected line.
    void showLevels(PreProcessing::PPPageSends& out);
    // The entry prefix of a line: empty, the grouped label, or the numbered one, then two
    // blanks.
    std::u16string groupMark(bool grouped, uint32_t groupNumber) const;
    // The line label for a line without a name, with its line number.
    std::u16string defaultLineText(uint32_t lineNumber) const;

    const DisplayLabels& displayLabels() const { return labels_; }

    // Sum of the groups' line counts; number of groups.
    uint32_t lineCount() const;
    uint32_t groupCount() const { return static_cast<uint32_t>(groups_.size()); }

    // Group `index` (< groupCount()) and the lines of every group in group order.
    const PreProcessing::PPGroup& group(uint32_t index) const { return *groups_[index]; }
    const std::vector<PreProcessing::PPLine*>& lines() const { return lines_; }
    const DisplayPageState& displayPage() const { return page_; }

    // The object's lock: RefreshPreprocessing and DoPreprocessing hold it, and so does the display
    // page's handling of a command.
    PreProcessing::PPObjectLock& lock() { return lock_; }

  private:
    void writeOutputsOfEmptyGroup(FbDoNode node);
    // The selected line, or null when the selection lies outside the line list.
    const PreProcessing::PPLine* selectedLine() const;
    std::u16string levelMarks(const PreProcessing::PPGroup& group, uint32_t level) const;
    std::u16string levelStatus(const PreProcessing::PPLine& line,
                               const PreProcessing::PPGroup& group, uint32_t level) const;

    DisplayPageState page_;
    std::vector<std::unique_ptr<PreProcessing::PPGroup>> groups_;
    std::vector<PreProcessing::PPLine*> lines_;
    PreProcessing::PPObjectLock lock_;
    DisplayLabels labels_;
};
