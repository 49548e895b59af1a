// A selection box: receives the entry selected on the display.
#pragma once

#include <cstdint>
#include <string>

#include "ItemSignal.h"
#include "PEGItem.h"

class Combo : public PEGItem {
  public:
    // Registers the box under `itemId` (see PEGItem). Initial task.
    explicit Combo(uint32_t itemId);
    ~Combo() override;

    // Emitted with the index of every selection that arrives, after selectionChanged.
    ItemSignal<int> selectionSignal;

    // Display client task. Code 29 with a u32 entry index (one above INT32_MAX reads -1, no
    // entry): traces the previous and the new index, stores it, calls selectionChanged, emits
    // selectionSignal and answers selectionChanged's result. A payload shorter than 4 bytes
    // changes nothing and is answered false.
    bool onCommand29(const PEGCommand& command) override;
    // Hook for derived boxes; true unless overridden.
    virtual bool selectionChanged(int32_t index);

    // The entry last selected on the display; -1 until the first selection arrives.
    int32_t selectedIndex() const { return mySelectedIndex; }

    // Senders to the box's id through currentPEGClient (any task): 26 with a UTF-16 text,
    // 28 (clear), 29 with an entry index.
    void setText(const std::u16string& text);
    void command28();
    void setSelection(uint32_t index);

  private:
    int32_t mySelectedIndex = -1;
};
