// The display path end to end for the items: commands injected at the display peer reach the
// items' hooks and signals on the client task, and what the items send reaches the display;
// screens that are being built are out of the commands' reach; a second run of the address
// space in the process builds and reaches its screens again.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Combo.h"
#include "DisplayAddressSpace.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "PromptT.h"
#include "UserLine.h"
#include "View.h"
#include "libUtils/ConcurrencyHelper.h"

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
        // As the program builds its screens: an earlier run's screen goes, the new one comes,
        // both out of the display client's reach.
        const PEGDispatcher::BuildScope building;
        screen().reset();
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
    const std::vector<host::SentCommand> atStart = display.takeSent();
    ASSERT_EQ(atStart.size(), 1u) << "the client's start command";
    EXPECT_EQ(atStart[0].itemId, 0u);
    EXPECT_EQ(atStart[0].commandCode, 1u);

    // Opening the screen: its hook sends bindings, texts, keys and visibility in its order.
    EXPECT_EQ(display.deliver(100, 2), 1);
    std::vector<std::pair<uint32_t, uint32_t>> order;
    for (const host::SentCommand& sent : display.takeSent()) {
        order.emplace_back(sent.itemId, sent.commandCode);
    }
    EXPECT_EQ(order, (std::vector<std::pair<uint32_t, uint32_t>>{
                         {112, 37}, {113, 37}, {111, 26}, {2000, 19}, {111, 30}, {113, 39}}));
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

using Counting = KernelSemaphore<KernelSemaphoreKind::Counting>;

// Stops a screen's construction after its View part: tells the test so, then waits until the
// test lets the construction go on.
struct ConstructionGate {
    ConstructionGate(Counting& reached, Counting& proceed) {
        reached.release();
        proceed.wait();
    }
};

// A screen whose own members are made only after its gate opens; its hook binds its line.
class GatedScreen : public View {
  public:
    GatedScreen(Counting& reached, Counting& proceed)
        : View(100), gate(reached, proceed), line(110) {}
    bool command2Hook() override {
        ++openings;
        line.bindValueFields("Oxygen.SNo1.CV_O2");
        return true;
    }

    ConstructionGate gate;
    UserLine line;
    int openings = 0;  // client task
};

pegtest::DisplayProgram dispatchingProgram() {
    pegtest::DisplayProgram program;
    program.displayEntry = [](ServiceObject* pService, const PEGCommand* pCommand) {
        return static_cast<int>(PEGDispatcher::instance().dispatchCommand(pService, pCommand));
    };
    return program;
}

TEST(ItemsEndToEnd, ACommandWhileAScreenIsBuiltReachesNoItemUntilTheBuildEnds) {
    DisplayAddressSpace space(dispatchingProgram());
    ASSERT_TRUE(space.started());
    host::setTraceLevel(6);
    sim::DisplayService& display = space.display();
    Counting reached(0);
    Counting proceed(0);
    Counting built(0);
    std::unique_ptr<GatedScreen> gated;
    host::spawnTask("builder", [&] {
        {
            const PEGDispatcher::BuildScope building;
            gated = std::make_unique<GatedScreen>(reached, proceed);
        }
        built.release();
    });

    // The screen's View part is registered, its line and counter do not exist yet.
    reached.wait();
    host::TraceCapture capture;
    EXPECT_EQ(display.deliver(100, 4), 1) << "answered as a command for no item";
    EXPECT_EQ(display.deliver(100, 2), 1);
    const auto noItem = capture.withId(TraceId(0x38, 1, 6));
    ASSERT_EQ(noItem.size(), 2u);
    EXPECT_EQ(noItem[0].intArg(0), 100);
    EXPECT_FALSE(capture.contains(TraceId(0x39, 4, 6))) << "no handler of the screen ran";

    proceed.release();
    built.wait();
    ASSERT_NE(gated, nullptr);
    EXPECT_EQ(gated->openings, 0);
    EXPECT_EQ(display.deliver(100, 2), 1);
    EXPECT_EQ(gated->openings, 1);
    EXPECT_EQ(display.model().item(112)->boundParameter, "Oxygen.SNo1.CV_O2");
    EXPECT_EQ(display.deliver(100, 4), 1);
    EXPECT_TRUE(capture.contains(TraceId(0x39, 4, 6))) << "the default handler of code 4";
    gated.reset();
}

TEST(ItemsEndToEnd, ASecondRunInTheProcessBuildsAndReachesItsScreensAgain) {
    {
        DisplayAddressSpace first(itemsProgram());  // its screen outlives the run
        ASSERT_TRUE(first.started());
        EXPECT_EQ(first.display().deliver(100, 2), 1);
    }
    DisplayAddressSpace second(itemsProgram());
    second.beforeEnd = [] { screen().reset(); };
    ASSERT_TRUE(second.started()) << "the screen registered after the kernel's reset";
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(currentPEGClient.load(), nullptr) << "the first run's service is forgotten";
    EXPECT_EQ(PEGDispatcher::instance().find(100), screen().get());
    EXPECT_EQ(second.display().deliver(100, 2), 1);
    EXPECT_EQ(second.display().model().item(112)->boundParameter, "Oxygen.SNo1.CV_O2");
    EXPECT_EQ(second.display().injectValue(410, 29, 1), 1);
    EXPECT_EQ(screen()->seen.selections, std::vector<int>{1});
}

}  // namespace
