// A whole screen: turns the screen-level commands of the display service into hooks for the
// derived screen class and into item signals.
#pragma once

#include <cstdint>
#include <string>

#include "ItemSignal.h"
#include "PEGItem.h"

class View : public PEGItem {
  public:
    // Registers the screen under `itemId` (see PEGItem). Initial task.
    explicit View(uint32_t itemId);
    ~View() override;

    // Emitted after the hooks of the command, whatever they returned (display client task).
    ItemSignal<void> command2Signal;
    ItemSignal<void> command3Signal;
    ItemSignal<void> command14Signal;
    ItemSignal<void> command15Signal;
    ItemSignal<void> command16Signal;
    ItemSignal<void> command17Signal;
    ItemSignal<void> command58Signal;
    ItemSignal<void> command33Signal;
    ItemSignal<void> command7Signal;

    // Code 2: command2Hook, command2or3Hook (its result unused), command2Signal; answers
    // command2Hook's result. Code 3 likewise with command3Hook and command3Signal.
    bool onCommand2() override;
    bool onCommand3() override;
    // Codes 5 and 6: their hook only, no signal.
    bool onCommand5() override;
    bool onCommand6() override;
    // Codes 7, 14 to 17, 33 and 58: their hook, then their signal; answer the hook's result.
    bool onCommand7() override;
    bool onCommand14() override;
    bool onCommand15() override;
    bool onCommand16() override;
    bool onCommand17() override;
    bool onCommand58() override;
    bool onCommand33() override;

    // Hooks of the derived screen; each returns true unless overridden.
    virtual bool command2Hook() { return true; }
    virtual bool command3Hook() { return true; }
    virtual bool command2or3Hook() { return true; }
    virtual bool command14Hook() { return true; }
    virtual bool command15Hook() { return true; }
    virtual bool command16Hook() { return true; }
    virtual bool command17Hook() { return true; }
    virtual bool command58Hook() { return true; }
    virtual bool command33Hook() { return true; }
    virtual bool command7Hook() { return true; }
    virtual bool command5Hook() { return true; }
    virtual bool command6Hook() { return true; }

    // Senders to the screen's id through currentPEGClient: code 18 with a narrow text, code 26
    // with a UTF-16 text, code 57 with a u32. Any task.
    void setNarrowText(const std::string& text);
    void setText(const std::u16string& text);
    void sendWord57(uint32_t value);

  private:
    // The hook's result, after emitting `signal`.
    static bool hookThenSignal(bool hookResult, const ItemSignal<void>& signal);
};
