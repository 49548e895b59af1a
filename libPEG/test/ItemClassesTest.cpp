// The item classes: screen hooks and signals, the selection box, the prompt and the line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Combo.h"
#include "HostTrace.h"
#include "PEGTestSupport.h"
#include "PromptT.h"
#include "UserLine.h"
#include "View.h"

namespace {

using pegtest::narrow;
using pegtest::Sent;
using pegtest::wide;
using pegtest::words;

uint32_t dispatch(uint32_t itemId, uint32_t code, const std::vector<uint8_t>& payload = {},
                  ServiceObject* service = nullptr) {
    const std::vector<uint8_t> record = host::makeServiceRecord(itemId, code, payload);
    const PEGCommand command(record.data(), static_cast<uint32_t>(record.size()));
    return PEGDispatcher::instance().dispatchCommand(service, &command);
}

// A screen whose hooks write their names to a log and answer `hookAnswer`.
class LoggingView : public View {
  public:
    LoggingView(uint32_t itemId, std::vector<std::string>& log) : View(itemId), myLog(log) {}
    bool command2Hook() override { return note("2"); }
    bool command3Hook() override { return note("3"); }
    bool command2or3Hook() override { return note("2or3"); }
    bool command5Hook() override { return note("5"); }
    bool command6Hook() override { return note("6"); }
    bool command7Hook() override { return note("7"); }
    bool command14Hook() override { return note("14"); }
    bool command15Hook() override { return note("15"); }
    bool command16Hook() override { return note("16"); }
    bool command17Hook() override { return note("17"); }
    bool command33Hook() override { return note("33"); }
    bool command58Hook() override { return note("58"); }
    bool onCommand4() override { return note("default 4 overridden"); }
    bool hookAnswer = true;

  private:
    bool note(const char* hook) {
        myLog.push_back(std::string("hook ") + hook);
        return hookAnswer;
    }
    std::vector<std::string>& myLog;
};

// Receives signals into a log.
struct Receiver {
    explicit Receiver(std::vector<std::string>& log) : myLog(log) {}
    void signalled() { myLog.push_back("signal"); }
    void selected(int index) { myLog.push_back("selected " + std::to_string(index)); }
    void text(const std::u16string& value) {
        myLog.push_back("text of " + std::to_string(value.size()));
        texts.push_back(&value);
    }
    std::vector<const std::u16string*> texts;
    std::vector<std::string>& myLog;
};

class ItemClassesTest : public pegtest::ItemTest {};

TEST_F(ItemClassesTest, ViewCallsItsHooksThenEmitsWhateverTheyAnswer) {
    std::vector<std::string> log;
    LoggingView view(100, log);
    Receiver receiver(log);
    ItemSignal<void>* signals[] = {
        &view.command2Signal,  &view.command3Signal,  &view.command7Signal,
        &view.command14Signal, &view.command15Signal, &view.command16Signal,
        &view.command17Signal, &view.command33Signal, &view.command58Signal};
    for (ItemSignal<void>* signal : signals) {
        signal->connect(makeMemberSlot(&receiver, &Receiver::signalled));
    }
    struct Case {
        uint32_t code;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {2, {"hook 2", "hook 2or3", "signal"}},
        {3, {"hook 3", "hook 2or3", "signal"}},
        {5, {"hook 5"}},
        {6, {"hook 6"}},
        {7, {"hook 7", "signal"}},
        {14, {"hook 14", "signal"}},
        {15, {"hook 15", "signal"}},
        {16, {"hook 16", "signal"}},
        {17, {"hook 17", "signal"}},
        {33, {"hook 33", "signal"}},
        {58, {"hook 58", "signal"}},
        {4, {"hook default 4 overridden"}},
    };
    for (bool answer : {true, false}) {
        view.hookAnswer = answer;
        for (const Case& c : cases) {
            log.clear();
            EXPECT_EQ(dispatch(100, c.code), answer ? 1u : 0u) << c.code;
            EXPECT_EQ(log, c.log) << c.code << (answer ? " answered true" : " answered false");
        }
    }
}

TEST_F(ItemClassesTest, ViewDefaultsAnswerTrueAndItsSendersUseItsId) {
    View view(200);
    EXPECT_EQ(dispatch(200, 2, {}, &service), 1u);
    EXPECT_EQ(dispatch(200, 9), 1u) << "a code the view does not take: the default handler";
    currentPEGClient = &service;
    view.setNarrowText("n");
    view.setText(u"w");
    view.sendWord57(3);
    EXPECT_EQ(
        pegtest::sentBy(peer),
        (std::vector<Sent>{{200, 18, narrow("n")}, {200, 26, wide(u"w")}, {200, 57, words({3})}}));
}

// A box whose hook logs and answers false.
class LoggingCombo : public Combo {
  public:
    LoggingCombo(uint32_t itemId, std::vector<std::string>& log) : Combo(itemId), myLog(log) {}
    bool selectionChanged(int32_t index) override {
        myLog.push_back("hook " + std::to_string(index));
        return false;
    }

  private:
    std::vector<std::string>& myLog;
};

TEST_F(ItemClassesTest, ComboStoresTheSelectionCallsItsHookThenEmits) {
    host::setTraceLevel(6);
    std::vector<std::string> log;
    Combo combo(410);
    Receiver receiver(log);
    combo.selectionSignal.connect(makeMemberSlot(&receiver, &Receiver::selected));
    EXPECT_EQ(combo.selectedIndex(), -1);
    host::TraceCapture capture;
    EXPECT_EQ(dispatch(410, 29, words({2})), 1u);
    EXPECT_EQ(dispatch(410, 29, words({0xFFFFFFFF})), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"selected 2", "selected -1"}));
    const auto traced = capture.withId(TraceId(0x3b, 0, 6));
    ASSERT_EQ(traced.size(), 2u);
    EXPECT_EQ(traced[0].intArg(0), 410);
    EXPECT_EQ(traced[0].intArg(1), -1) << "no selection before the first";
    EXPECT_EQ(traced[0].intArg(2), 2);
    EXPECT_EQ(traced[1].intArg(1), 2);
    EXPECT_EQ(combo.selectedIndex(), -1);

    LoggingCombo derived(411, log);
    derived.selectionSignal.connect(makeMemberSlot(&receiver, &Receiver::selected));
    log.clear();
    EXPECT_EQ(dispatch(411, 29, words({3})), 0u) << "the hook's answer";
    EXPECT_EQ(log, (std::vector<std::string>{"hook 3", "selected 3"})) << "the hook first";
    EXPECT_EQ(derived.selectedIndex(), 3);
}

TEST_F(ItemClassesTest, ComboIgnoresASelectionShorterThanFourBytes) {
    std::vector<std::string> log;
    LoggingCombo combo(412, log);
    EXPECT_EQ(dispatch(412, 29, words({5})), 0u);
    log.clear();
    EXPECT_EQ(dispatch(412, 29, {7, 0, 0}), 0u);
    EXPECT_EQ(combo.selectedIndex(), 5);
    EXPECT_TRUE(log.empty()) << "neither hook nor signal";
}

TEST_F(ItemClassesTest, ComboSenders) {
    Combo combo(413);
    currentPEGClient = &service;
    combo.setText(u"entry");
    combo.command28();
    combo.setSelection(4);
    EXPECT_EQ(pegtest::sentBy(peer),
              (std::vector<Sent>{{413, 26, wide(u"entry")}, {413, 28, {}}, {413, 29, words({4})}}));
}

// A prompt whose hook keeps what it saw and notes its call in a log.
class RecordingPrompt : public PromptT<std::u16string> {
  public:
    RecordingPrompt(uint32_t itemId, std::vector<std::string>& log) : PromptT(itemId), myLog(log) {}
    bool valueChanged(const std::u16string& text) override {
        seen.push_back(text);
        myLog.push_back("hook");
        return answer;
    }
    std::vector<std::u16string> seen;
    bool answer = true;

  private:
    std::vector<std::string>& myLog;
};

TEST_F(ItemClassesTest, PromptHandsTheTextToItsHookAndEveryReceiverAsOneString) {
    std::vector<std::string> log;
    RecordingPrompt prompt(911, log);
    Receiver first(log);
    Receiver second(log);
    prompt.valueSignal.connect(makeMemberSlot(&first, &Receiver::text));
    prompt.valueSignal.connect(makeMemberSlot(&second, &Receiver::text));
    prompt.command9Signal.connect(makeMemberSlot(&first, &Receiver::signalled));

    EXPECT_EQ(dispatch(911, 29, wide(u"12.5")), 1u);
    EXPECT_EQ(prompt.seen, std::vector<std::u16string>{u"12.5"});
    EXPECT_EQ(log, (std::vector<std::string>{"hook", "text of 4", "text of 4"}))
        << "the hook first, then each receiver";
    ASSERT_EQ(first.texts.size(), 1u);
    ASSERT_EQ(second.texts.size(), 1u);
    EXPECT_EQ(first.texts[0], second.texts[0]) << "both receivers see the same string object";

    prompt.answer = false;
    EXPECT_EQ(dispatch(911, 29, wide(u"")), 0u) << "a lone terminator: an empty text";
    EXPECT_EQ(dispatch(911, 29, {'a', 0, 'b'}), 0u) << "no terminator: up to the record's end";
    EXPECT_EQ(prompt.seen, (std::vector<std::u16string>{u"12.5", u"", u"a"}));

    log.clear();
    EXPECT_EQ(dispatch(911, 9), 1u);
    EXPECT_EQ(log, std::vector<std::string>{"signal"});
}

TEST_F(ItemClassesTest, PromptSendersAlwaysSendTheStringsCharacters) {
    PromptT<std::u16string> prompt(920);
    currentPEGClient = &service;
    prompt.setNarrowText("");
    prompt.setText(u"");
    prompt.bindParameter("");
    prompt.setTextKey("");
    prompt.setText(u"v");
    prompt.bindParameter("Oxygen.SNo1.CV_O2");
    prompt.setTextKey("DS_ready_LR");
    EXPECT_EQ(pegtest::sentBy(peer), (std::vector<Sent>{{920, 18, narrow("")},
                                                        {920, 26, wide(u"")},
                                                        {920, 37, narrow("")},
                                                        {920, 30, narrow("")},
                                                        {920, 26, wide(u"v")},
                                                        {920, 37, narrow("Oxygen.SNo1.CV_O2")},
                                                        {920, 30, narrow("DS_ready_LR")}}));
}

TEST_F(ItemClassesTest, UserLineTakesFourIdsAndBindsItsPrompts) {
    {
        UserLine line(110);
        for (uint32_t id = 110; id <= 113; ++id) {
            EXPECT_NE(PEGDispatcher::instance().find(id), nullptr) << id;
        }
        EXPECT_EQ(PEGDispatcher::instance().find(111), &line.label());
        EXPECT_EQ(PEGDispatcher::instance().find(112), &line.second());
        EXPECT_EQ(PEGDispatcher::instance().find(113), &line.third());
        EXPECT_EQ(dispatch(110, 29, wide(u"x"), &service), 1u) << "the line: default handler";

        line.bindValueFields("A");
        line.bindParameter("B");
        line.setLabelTextKey("K_LR");
        line.labelCommand10();
        line.setLabelNarrowText("n");
        line.setLabelText(u"w");
        EXPECT_EQ(pegtest::sentBy(peer), (std::vector<Sent>{{112, 37, narrow("A")},
                                                            {113, 37, narrow("A")},
                                                            {111, 37, narrow("B")},
                                                            {112, 37, narrow("B")},
                                                            {113, 37, narrow("B")},
                                                            {111, 30, narrow("K_LR")},
                                                            {111, 10, {}},
                                                            {111, 18, narrow("n")},
                                                            {111, 26, wide(u"w")}}));
    }
    for (uint32_t id = 110; id <= 113; ++id) {
        EXPECT_EQ(PEGDispatcher::instance().find(id), nullptr) << id;
    }
}

}  // namespace
