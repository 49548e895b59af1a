// The preprocessing object of one parameter tree: its groups (which own their lines and
// levels), the flat list of every group's lines, and the state the display page keeps. It lives
// in the tree's preprocessing slot from a successful CreatePreprocessing on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "FbDo.h"
#include "PPGroup.h"
#include "PPLine.h"
#include "PPObjectLock.h"

class Preprocessing {
  public:
    // What the display page keeps between its commands.
    struct DisplayPageState {
        void* serviceObject = nullptr;  // the display service's object, taken at every refresh
        int32_t selectedLine = -1;      // index into the line list
        bool refill = false;            // selection box and row bindings need rebuilding
    };

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

    DisplayPageState page_;
    std::vector<std::unique_ptr<PreProcessing::PPGroup>> groups_;
    std::vector<PreProcessing::PPLine*> lines_;
    PreProcessing::PPObjectLock lock_;
};
