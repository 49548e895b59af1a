// Each state's action and reply, and the component walk of state 1.
#include <map>

#include "HostService.h"
#include "LifeCycleFixture.h"
#include "SysManStateReplies.h"
#include "SysManTrace.h"

using sim::EventKind;

namespace {

// The hooks each state calls, in order, in mode 3 with the test address space's hooks; every
// other state calls none. State 1 (the component walk) has tests of its own.
const std::map<uint32_t, std::vector<int>> kSlotsOfState = {
    {3, {3}}, {4, {5}}, {5, {7}}, {8, {8, 9}}, {11, {10}}, {16, {6, 12}}, {17, {4}},
};

std::vector<int> slotsOfState(uint32_t state) {
    const auto found = kSlotsOfState.find(state);
    return found != kSlotsOfState.end() ? found->second : std::vector<int>{};
}

}  // namespace

TEST(StateReplyTable, HoldsTheSystemManagersReplyCodes) {
    std::vector<uint32_t> replies;
    for (const sysman::StateReply& row : sysman::kStateReplies) {
        replies.push_back(row.reply);
    }
    EXPECT_EQ(replies, (std::vector<uint32_t>{28, 28, 28, 28, 28, 28, 29, 28, 28, 24, 41, 28, 28, 0,
                                              28, 46, 28, 28, 49}));
    EXPECT_EQ(sysman::stateReply(19), 28u);
    EXPECT_EQ(sysman::stateReply(0xFFFFFFFFu), 28u);
}

TEST_F(LifeCycleTest, EachStatePerformsItsActionAndSendsItsReply) {
    for (const sysman::StateReply& row : sysman::kStateReplies) {
        if (row.state == 1) {
            continue;
        }
        SCOPED_TRACE(row.state);
        host::TraceCapture capture;
        ASSERT_TRUE(start());
        if (row.state != 0) {
            ASSERT_TRUE(manager->runState(row.state));  // state 0 runs; the answer names the row
        }
        const size_t before = sim::testHookSlots().size();
        manager->clearEvents();
        ASSERT_TRUE(manager->runState(2));
        std::optional<sim::Event> reply = manager->lastEvent(EventKind::StateReply);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->detail, row.state);
        EXPECT_EQ(reply->value, row.reply);
        EXPECT_EQ(slotsSince(before), slotsOfState(row.state));
        std::vector<host::TraceRecord> dispatch = capture.withId(sysman::kTraceState);
        ASSERT_FALSE(dispatch.empty());
        EXPECT_EQ(dispatch.back().textArg(0), "TestAS");
        EXPECT_EQ(dispatch.back().intArg(1), static_cast<int32_t>(row.state));
        const std::vector<sim::Event> codes = manager->events(EventKind::Code);
        EXPECT_EQ(codes.size(), row.state == 13 ? 1u : 0u);
        if (row.state == 13) {
            EXPECT_EQ(codes[0].value, 25u);
        }
        EXPECT_EQ(block()->nStateCode, 2u) << "the answer named the next state";
        TearDown();
        SetUp();
    }
}

TEST_F(LifeCycleTest, StateCodesAboveTheTableReplyDoneAndDoNothing) {
    ASSERT_TRUE(start());
    block()->nStateCode = 25;
    const size_t before = sim::testHookSlots().size();
    ASSERT_TRUE(manager->runState(2));
    EXPECT_EQ(manager->lastEvent(EventKind::StateReply)->value, 28u);
    EXPECT_TRUE(slotsSince(before).empty());
}

TEST_F(LifeCycleTest, StateZeroReportsAMissingConfigurationDeviceAndGoesOn) {
    host::TraceCapture capture;
    sim::SystemManagerOptions options;
    options.omittedResources = {"ConfigurationIODevice"};
    ASSERT_TRUE(start(options));
    ASSERT_TRUE(manager->runState(2));
    EXPECT_EQ(manager->lastEvent(EventKind::StateReply)->value, 28u);
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceNoConfigDevice);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].intArg(0), UnknownResourceName);
    EXPECT_EQ(traces[0].textArg(1), KernelErrorName(UnknownResourceName));
    ASSERT_EQ(host::reports().size(), 1u);
    EXPECT_EQ(host::reports()[0].code, UnknownResourceName);
    EXPECT_TRUE(stops().empty());
}

TEST_F(LifeCycleTest, StateZeroObtainsTheConfigurationDevice) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->runState(2));
    EXPECT_NE(block()->hConfigIODevice, nullptr);
    EXPECT_TRUE(host::reports().empty());
}

TEST_F(LifeCycleTest, ComponentWalkStartsEachEntryAndConnectsItsService) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->runState(1));
    ASSERT_TRUE(manager->runState(3));
    EXPECT_EQ(manager->lastEvent(EventKind::StateReply)->value, 0u);
    EXPECT_EQ(block()->nStartIndex, 0);
    EXPECT_EQ(block()->nStateCode, 1u) << "the walk stays in state 1";
    while (manager->lastEvent(EventKind::StateReply)->value == 0) {
        ASSERT_TRUE(manager->connectRequestedService());
    }
    std::vector<std::string> requested;
    for (const sim::Event& event : manager->events(EventKind::ServiceRequested)) {
        requested.push_back(event.text);
    }
    EXPECT_EQ(requested, (std::vector<std::string>{"Tarvo.Component1", "ZUB_PEG_Service"}));
    EXPECT_EQ(replies(), (std::vector<uint32_t>{28, 0, 0, 28}));
    EXPECT_EQ(block()->nStartIndex, -1);
    EXPECT_EQ(block()->nStateCode, 3u);
    EXPECT_TRUE(display->connected());
    EXPECT_NE(block()->pDisplayService, nullptr);
}

TEST_F(LifeCycleTest, ComponentWalkOnlyInModesOneThreeAndFour) {
    for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(mode);
        sim::SystemManagerOptions options;
        options.self.mode = mode;
        ASSERT_TRUE(start(options));
        ASSERT_TRUE(manager->runState(1));
        ASSERT_TRUE(manager->runState(3));
        const bool walks = mode == 1 || mode == 3 || mode == 4;
        EXPECT_EQ(manager->lastEvent(EventKind::StateReply)->value, walks ? 0u : 28u);
        EXPECT_EQ(manager->events(EventKind::ServiceRequested).size(), walks ? 1u : 0u);
        TearDown();
        SetUp();
    }
}

TEST_F(LifeCycleTest, StartUpConnectsTheDisplayServiceBeforeStateEight) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->startUp());
    EXPECT_EQ(sim::testHookSlots(), (std::vector<int>{0, 1, 21, 3, 4, 5, 7, 6, 12, 8, 9, 10}));
    EXPECT_EQ(block()->nStateCode, sim::kReadyState);
    ASSERT_TRUE(display->connected());
    // The display path both ways: the record reaches the client task, which answers.
    std::optional<int> handled = display->deliver(100, 2, host::u32Payload(7));
    ASSERT_TRUE(handled);
    EXPECT_EQ(*handled, 0);
    ASSERT_EQ(sim::testDisplayRecords().size(), 1u);
    EXPECT_EQ(sim::testDisplayRecords()[0], host::makeServiceRecord(100, 2, host::u32Payload(7)));
    std::vector<host::SentCommand> sent = display->takeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].itemId, 100u);
    EXPECT_EQ(sent[0].commandCode, 29u);
    EXPECT_EQ(sent[0].payload, host::u32Payload(2));
}

TEST_F(LifeCycleTest, StateAnswerThatIsRefusedOrNamesAnUnknownStateStopsTheAddressSpace) {
    const struct {
        uint32_t answerCode;
        uint32_t nextState;
    } rows[] = {{21, 2}, {0, 2}, {22, 19}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.answerCode << "/" << row.nextState);
        sim::SystemManagerOptions options;
        options.stateAnswerCode = row.answerCode;
        ASSERT_TRUE(start(options));
        EXPECT_FALSE(manager->runState(row.nextState));
        ASSERT_EQ(stops().size(), 1u);
        EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(IllegalParameter));
        EXPECT_EQ(block()->nStateCode, 0u) << "the state is unchanged";
        EXPECT_FALSE(manager->runState(2)) << "nothing is sent to a stopped address space";
        TearDown();
        SetUp();
    }
}
