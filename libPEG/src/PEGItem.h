// The base of every display item: an object the display service addresses by its numeric item
// id. The item registers with the dispatcher for its whole life and turns each command into a
// call of the virtual handler of the command's code.
#pragma once

#include <cstdint>

#include "PEGCommand.h"

class PEGItem {
  public:
    // Stores the id and registers the item with PEGDispatcher (an id that is taken stays with
    // the first item). Initial task, while the screens are built. Build items that the display
    // client may address inside a PEGDispatcher::BuildScope: outside one the item can receive
    // commands at once, before its derived parts exist.
    explicit PEGItem(uint32_t itemId);
    // Deregisters the item (its id only when the id is still this item's). Destroy an item
    // only while no command for it can be dispatched (the handler would run on a dead item).
    virtual ~PEGItem();
    PEGItem(const PEGItem&) = delete;
    PEGItem& operator=(const PEGItem&) = delete;

    uint32_t id() const { return myId; }

    // Display client task: calls the handler of the command's code (1 to 52 and 58; code 29's
    // handler gets the command) and answers its result as 0 or 1. Any other code is traced and
    // answered 0. What a handler throws passes to the caller.
    uint32_t handleCommand(const PEGCommand& command);

    // Senders to the item's own id through currentPEGClient; nothing is sent before the first
    // command has been dispatched. Any task; no lock is taken.
    void setVisible(bool visible);   // 39 with 0 (visible) or 1 (hidden)
    void setHidden(uint32_t value);  // 39 with the value; 1 hides
    void enable();                   // 22
    void disable();                  // 23
    void setEnabled(bool enabled);   // enable() or disable()
    void command10();                // 10
    void command58();                // 58

    // Handlers, one for each code, in slot order (1 to 17, 58, 18 to 52). Each default traces
    // the item id at its slot position (level 6; onCommand7 level 7) and returns true.
    virtual bool onCommand1() { return defaultHandler(1); }
    virtual bool onCommand2() { return defaultHandler(2); }
    virtual bool onCommand3() { return defaultHandler(3); }
    virtual bool onCommand4() { return defaultHandler(4); }
    virtual bool onCommand5() { return defaultHandler(5); }
    virtual bool onCommand6() { return defaultHandler(6); }
    virtual bool onCommand7() { return defaultHandler(7); }
    virtual bool onCommand8() { return defaultHandler(8); }
    virtual bool onCommand9() { return defaultHandler(9); }
    virtual bool onCommand10() { return defaultHandler(10); }
    virtual bool onCommand11() { return defaultHandler(11); }
    virtual bool onCommand12() { return defaultHandler(12); }
    virtual bool onCommand13() { return defaultHandler(13); }
    virtual bool onCommand14() { return defaultHandler(14); }
    virtual bool onCommand15() { return defaultHandler(15); }
    virtual bool onCommand16() { return defaultHandler(16); }
    virtual bool onCommand17() { return defaultHandler(17); }
    virtual bool onCommand58() { return defaultHandler(18); }
    virtual bool onCommand18() { return defaultHandler(19); }
    virtual bool onCommand19() { return defaultHandler(20); }
    virtual bool onCommand20() { return defaultHandler(21); }
    virtual bool onCommand21() { return defaultHandler(22); }
    virtual bool onCommand22() { return defaultHandler(23); }
    virtual bool onCommand23() { return defaultHandler(24); }
    virtual bool onCommand24() { return defaultHandler(25); }
    virtual bool onCommand25() { return defaultHandler(26); }
    virtual bool onCommand26() { return defaultHandler(27); }
    virtual bool onCommand27() { return defaultHandler(28); }
    virtual bool onCommand28() { return defaultHandler(29); }
    virtual bool onCommand29(const PEGCommand& /*command*/) { return defaultHandler(30); }
    virtual bool onCommand30() { return defaultHandler(31); }
    virtual bool onCommand31() { return defaultHandler(32); }
    virtual bool onCommand32() { return defaultHandler(33); }
    virtual bool onCommand33() { return defaultHandler(34); }
    virtual bool onCommand34() { return defaultHandler(35); }
    virtual bool onCommand35() { return defaultHandler(36); }
    virtual bool onCommand36() { return defaultHandler(37); }
    virtual bool onCommand37() { return defaultHandler(38); }
    virtual bool onCommand38() { return defaultHandler(39); }
    virtual bool onCommand39() { return defaultHandler(40); }
    virtual bool onCommand40() { return defaultHandler(41); }
    virtual bool onCommand41() { return defaultHandler(42); }
    virtual bool onCommand42() { return defaultHandler(43); }
    virtual bool onCommand43() { return defaultHandler(44); }
    virtual bool onCommand44() { return defaultHandler(45); }
    virtual bool onCommand45() { return defaultHandler(46); }
    virtual bool onCommand46() { return defaultHandler(47); }
    virtual bool onCommand47() { return defaultHandler(48); }
    virtual bool onCommand48() { return defaultHandler(49); }
    virtual bool onCommand49() { return defaultHandler(50); }
    virtual bool onCommand50() { return defaultHandler(51); }
    virtual bool onCommand51() { return defaultHandler(52); }
    virtual bool onCommand52() { return defaultHandler(53); }

  private:
    bool defaultHandler(uint32_t slot) const;

    const uint32_t myId;
};
