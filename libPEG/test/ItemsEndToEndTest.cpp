// The display path end to end for the items: commands injected at the display peer reach the
// items' hooks and signals on the client task, and what the items send reaches the display.
// One test: the item dispatcher's lock is made once and lives as long as this process, which
// must therefore not start a second simulation after the first has ended.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Combo.h"
#include "DisplayAddressSpace.h"
#include "PromptT.h"
#include "UserLine.h"
#include "View.h"

namespace {

using pegtest::DisplayAddressSpace;

// What the receivers saw; written on the client task, read by the test after each command.
struct Seen {
    std::vector<int> selections;
    std::vector<std::u16string> texts;
    int activations = 0;
    void selected(int index) { selections.push_back(index); }
    void text(const std::u16string& value) { texts.push_back(value); }
    void activated() { ++activations; }
};

// A screen whose opening binds its line, sets texts and keys and hides the line's third
// prompt, in that order.
class OxygenScreen : public View {
  public:
    OxygenScreen() : View(100), line(110), box(410), prompt(920) {
        box.selectionSignal.connect(makeMemberSlot(&seen, &Seen::selected));
        prompt.valueSignal.connect(makeMemberSlot(&seen, &Seen::text));
        prompt.command9Signal.connect(makeMemberSlot(&seen, &Seen::activated));
    }
    bool command2Hook() override {
        line.bindValueFields("Oxygen.SNo1.CV_O2");
        line.setLabelText(u"O\u2082");
        PEG_setLanguageTextKey(currentPEGClient, 2000, "AGA8_DC92_LR");
        line.setLabelTextKey("DS_ready_LR");
        line.third().setVisible(false);
        return true;
    }

    UserLine line;
    Combo box;
    PromptT<std::u16string> prompt;
    Seen seen;
};

std::unique_ptr<OxygenScreen>& screen() {
    static auto* instance = new std::unique_ptr<OxygenScreen>();
    return *instance;
}

pegtest::DisplayProgram itemsProgram() {
    pegtest::DisplayProgram program;
    program.onStart = [](AsInfo*) {
        screen() = std::make_unique<OxygenScreen>();
        return 0;
    };
    program.displayEntry = [](ServiceObject* pService, const PEGCommand* pCommand) {
        return static_cast<int>(PEGDispatcher::instance().dispatchCommand(pService, pCommand));
    };
    return program;
}

TEST(ItemsEndToEnd, CommandsReachTheItemsAndTheirSendsReachTheDisplay) {
    DisplayAddressSpace space(itemsProgram());
    space.beforeEnd = [] { screen().reset(); };
    ASSERT_TRUE(space.started());
    sim::DisplayService& display = space.display();
    const std::vector<host::SentCommand> atStart = display.sent();
    ASSERT_EQ(atStart.size(), 1u) << "the client's start command";
    EXPECT_EQ(atStart[0].itemId, 0u);
    EXPECT_EQ(atStart[0].commandCode, 1u);

    // Opening the screen: its hook sends bindings, texts, keys and visibility in its order.
    EXPECT_EQ(display.deliver(100, 2), 1);
    std::vector<std::pair<uint32_t, uint32_t>> order;
    for (const host::SentCommand& sent : display.sent()) {
        order.emplace_back(sent.itemId, sent.commandCode);
    }
    EXPECT_EQ(order,
              (std::vector<std::pair<uint32_t, uint32_t>>{
                  {0, 1}, {112, 37}, {113, 37}, {111, 26}, {2000, 19}, {111, 30}, {113, 39}}));
    const sim::DisplayModel& model = display.model();
    EXPECT_EQ(model.item(112)->boundParameter, "Oxygen.SNo1.CV_O2");
    EXPECT_EQ(model.item(113)->boundParameter, "Oxygen.SNo1.CV_O2");
    EXPECT_EQ(model.item(111)->boundParameter, std::nullopt) << "the label is left alone";
    EXPECT_EQ(model.item(111)->text, u"O\u2082");
    EXPECT_EQ(model.item(111)->textKey, "DS_ready_LR");
    EXPECT_EQ(model.item(2000)->languageTextKey, "AGA8_DC92_LR");
    EXPECT_EQ(model.item(113)->hidden, true);

    // The selection box and the prompt hand what the display sent to their receivers.
    EXPECT_EQ(display.injectValue(410, 29, 2), 1);
    EXPECT_EQ(display.injectText(920, 29, u"12.5"), 1);
    EXPECT_EQ(display.deliver(920, 9), 1);
    EXPECT_EQ(display.deliver(410, 29, {1, 0}), 0) << "a selection shorter than 4 bytes";
    EXPECT_EQ(screen()->seen.selections, std::vector<int>{2});
    EXPECT_EQ(screen()->seen.texts, std::vector<std::u16string>{u"12.5"});
    EXPECT_EQ(screen()->seen.activations, 1);
    EXPECT_EQ(screen()->box.selectedIndex(), 2);

    // Records for no item, and codes no item takes.
    EXPECT_EQ(display.deliver(555, 2), 1);
    EXPECT_EQ(display.deliver(100, 53), 0);

    std::ostringstream state;
    display.printState(state);
    EXPECT_NE(state.str().find("112 bind=\"Oxygen.SNo1.CV_O2\""), std::string::npos) << state.str();
    EXPECT_NE(state.str().find("113 bind=\"Oxygen.SNo1.CV_O2\" hidden=1"), std::string::npos);
    EXPECT_NE(state.str().find("410 selection=2"), std::string::npos);
}

}  // namespace
