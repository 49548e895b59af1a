// Each command's action: triggers with their sub-codes and bits, the flag word, the cycle
// data, the service commands, timers and shutdown.
#include <algorithm>
#include <atomic>
#include <iterator>

#include "LifeCycleFixture.h"
#include "SysManTrace.h"
#include "Sysmanlib.h"
#include "libSysman.h"

using sim::EventKind;

namespace {

// Bits 4, 8, 9 and 10 of a trigger argument.
constexpr uint32_t kTriggerBits = 0x710;

std::atomic<int> handlerCalls{0};
std::atomic<uint32_t> handlerArgument{0};

int countingTriggerHandler(AsInfo* /*pAsInfo*/, uint32_t argument) {
    ++handlerCalls;
    handlerArgument = argument;
    return 0;
}

std::atomic<uint32_t> serviceActivity{0};

int serviceHandler(AsInfo* /*pAsInfo*/, ServiceObject* pService, uint32_t activityId,
                   Error status) {
    serviceActivity = pService->nActivityId == activityId && status == Success ? activityId : 1;
    return 0;
}

std::vector<uint8_t> cycleBytes() {
    std::vector<uint8_t> data(kCycleDataSize + 8);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i + 1);
    }
    return data;
}

// Service description with an activity id and a name, as the system manager sends it.
std::vector<uint8_t> description(uint8_t activityId, const std::string& name) {
    std::vector<uint8_t> data(kCommandDataSize, 0);
    data[kServiceDescActivityIdOffset] = activityId;
    std::copy(name.begin(), name.end(), data.begin() + kServiceDescNameOffset);
    return data;
}

}  // namespace

class CommandTest : public LifeCycleTest {
  protected:
    void SetUp() override {
        LifeCycleTest::SetUp();
        handlerCalls = 0;
        handlerArgument = 0;
    }

    // Sends a command and gives the hook slots and the system manager's events it caused.
    std::vector<int> slotsOf(uint32_t code, uint32_t argument,
                             const std::vector<uint8_t>& data = {}) {
        const size_t before = sim::testHookSlots().size();
        manager->clearEvents();
        EXPECT_TRUE(manager->trigger(code, argument, data));
        return slotsSince(before);
    }

    size_t count(EventKind kind) const { return manager->events(kind).size(); }
};

TEST_F(CommandTest, UnknownCodesChangeNothingAndTheNextCommandIsServed) {
    ASSERT_TRUE(startAndRun());
    for (uint32_t code : {0u, 6u, 19u, 22u, 41u, 44u, 49u, 52u, 99u}) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(slotsOf(code, 1).empty());
        EXPECT_EQ(manager->events().size(), 1u) << "only the command itself";
    }
    EXPECT_EQ(slotsOf(43, 0), (std::vector<int>{16}));
}

TEST_F(CommandTest, TriggerSubCodesChooseTheAction) {
    ASSERT_TRUE(startAndRun());
    block()->pfnTriggerHandler = countingTriggerHandler;
    const struct {
        uint32_t code;
        int slot;
    } triggers[] = {{40, 16}, {48, 15}, {51, 17}};
    for (const auto& trigger : triggers) {
        for (uint32_t subCode = 0; subCode < 16; ++subCode) {
            SCOPED_TRACE(testing::Message() << trigger.code << "/" << subCode);
            host::TraceCapture capture;
            handlerCalls = 0;
            std::fill(std::begin(block()->cycleData), std::end(block()->cycleData), 0);
            block()->bTrigBit4 = block()->bTrigBit8 = block()->bTrigBit9 = block()->bTrigBit10 = 0;
            const uint32_t argument = subCode | kTriggerBits;
            const std::vector<uint8_t> data(kCycleDataSize, static_cast<uint8_t>(subCode + 1));
            const std::vector<int> slots = slotsOf(trigger.code, argument, data);
            const bool copiesCycleData = subCode >= 1 && subCode <= 4;
            EXPECT_EQ(block()->cycleData[kCycleDataSize - 1], copiesCycleData ? subCode + 1 : 0u);
            const uint32_t storedBit = subCode == 1 ? 1u : 0u;
            EXPECT_EQ(block()->bTrigBit4, storedBit);
            EXPECT_EQ(block()->bTrigBit8, storedBit);
            EXPECT_EQ(block()->bTrigBit9, storedBit);
            EXPECT_EQ(block()->bTrigBit10, storedBit);
            EXPECT_EQ(block()->nFlagWord, 0u) << "bit 5 clear";
            if (subCode == 1) {
                EXPECT_EQ(slots, (std::vector<int>{trigger.slot}));
                EXPECT_EQ(count(EventKind::TriggerProcessed), 1u);
                EXPECT_EQ(count(EventKind::TriggerDone), 1u);
                EXPECT_EQ(handlerCalls, 0);
            } else if (subCode >= 2 && subCode <= 4) {
                EXPECT_TRUE(slots.empty());
                EXPECT_EQ(handlerCalls, 1);
                EXPECT_EQ(handlerArgument, argument);
                EXPECT_EQ(count(EventKind::TriggerProcessed), 0u);
                EXPECT_EQ(count(EventKind::TriggerDone), 1u);
            } else {
                EXPECT_TRUE(slots.empty());
                EXPECT_EQ(handlerCalls, 0);
                EXPECT_EQ(count(EventKind::TriggerDone), 0u);
                std::vector<host::TraceRecord> traces =
                    capture.withId(sysman::kTraceTriggerSubCode);
                ASSERT_EQ(traces.size(), 1u);
                EXPECT_EQ(traces[0].intArg(0), static_cast<int32_t>(argument));
            }
        }
    }
}

TEST_F(CommandTest, HandlerSubCodesWithoutAHandlerStillReportDone) {
    ASSERT_TRUE(startAndRun());
    EXPECT_TRUE(slotsOf(40, 3).empty());
    EXPECT_EQ(count(EventKind::TriggerDone), 1u);
}

TEST_F(CommandTest, BitFiveOfATriggerChangesTheFlagWordOnce) {
    ASSERT_TRUE(startAndRun());
    ASSERT_EQ(block()->nFlagWord, 0u);
    EXPECT_EQ(slotsOf(40, 0x21), (std::vector<int>{20, 16}));
    EXPECT_EQ(block()->nFlagWord, 1u);
    EXPECT_EQ(slotsOf(40, 0x21), (std::vector<int>{16}));
    EXPECT_EQ(slotsOf(51, 0x01), (std::vector<int>{20, 17}));
    EXPECT_EQ(block()->nFlagWord, 0u);
}

TEST_F(CommandTest, TriggerStoresItsBitsAndTheCycleData) {
    ASSERT_TRUE(startAndRun());
    const std::vector<uint8_t> data = cycleBytes();
    EXPECT_EQ(slotsOf(40, 0x311, data), (std::vector<int>{16}));
    EXPECT_EQ(block()->bTrigBit4, 1u);
    EXPECT_EQ(block()->bTrigBit8, 1u);
    EXPECT_EQ(block()->bTrigBit9, 1u);
    EXPECT_EQ(block()->bTrigBit10, 0u);
    EXPECT_EQ(std::vector<uint8_t>(block()->cycleData, block()->cycleData + kCycleDataSize),
              std::vector<uint8_t>(data.begin(), data.begin() + kCycleDataSize));
    EXPECT_EQ(block()->nCycleDataFlag & 1u, 1u);
    slotsOf(40, 0x401);
    EXPECT_EQ(block()->bTrigBit4, 0u);
    EXPECT_EQ(block()->bTrigBit10, 1u);
}

TEST_F(CommandTest, RunCopiesTheCycleData) {
    const std::vector<uint8_t> data = cycleBytes();
    ASSERT_TRUE(start() && manager->startUp() && manager->run(data));
    EXPECT_EQ(std::vector<uint8_t>(block()->cycleData, block()->cycleData + kCycleDataSize),
              std::vector<uint8_t>(data.begin(), data.begin() + kCycleDataSize));
    EXPECT_EQ(block()->nCycleDataFlag & 1u, 1u);
}

TEST_F(CommandTest, FlagCommandCallsItsHookEvenWithoutAChange) {
    ASSERT_TRUE(startAndRun());
    EXPECT_EQ(slotsOf(42, 0), (std::vector<int>{20}));
    EXPECT_EQ(slotsOf(42, 0x5a), (std::vector<int>{20}));
    EXPECT_EQ(block()->nFlagWord, 0x5au);
}

TEST_F(CommandTest, ProcessCommandCopiesTheCycleDataAndReportsNothing) {
    ASSERT_TRUE(startAndRun());
    block()->nHealthPass = 1;  // a health pass has ended
    EXPECT_EQ(slotsOf(43, 0, cycleBytes()), (std::vector<int>{16}));
    EXPECT_EQ(block()->cycleData[0], 1u);
    EXPECT_EQ(count(EventKind::TriggerDone), 0u);
    EXPECT_EQ(count(EventKind::TriggerProcessed), 0u);
    EXPECT_EQ(count(EventKind::Checksum), 0u);
}

TEST_F(CommandTest, TriggerReportsAFinishedHealthPassOnce) {
    ASSERT_TRUE(startAndRun());
    block()->nHealthDirSum = 0x55;
    block()->nHealthTotal = 0x1234;
    block()->nHealthPass = 1;
    slotsOf(48, 1);  // slot 15 is empty in both programs, the report comes all the same
    ASSERT_EQ(count(EventKind::DirChecksum), 1u);
    EXPECT_EQ(manager->events(EventKind::DirChecksum)[0].value, 0x55u);
    ASSERT_EQ(count(EventKind::Checksum), 1u);
    EXPECT_EQ(manager->events(EventKind::Checksum)[0].value, 0x1234u);
    slotsOf(40, 1);
    EXPECT_EQ(count(EventKind::Checksum), 0u) << "no new pass";
    block()->nHealthTotal = 0x4321;
    block()->nHealthPass = 2;
    slotsOf(51, 1);
    EXPECT_EQ(count(EventKind::DirChecksum), 0u) << "only with the first pass";
    ASSERT_EQ(count(EventKind::Checksum), 1u);
    EXPECT_EQ(manager->events(EventKind::Checksum)[0].value, 0x4321u);
}

TEST_F(CommandTest, CommandFiftyPassesItsArgumentAndReportsDone) {
    ASSERT_TRUE(startAndRun());
    EXPECT_EQ(slotsOf(50, 0xabc), (std::vector<int>{14}));
    EXPECT_EQ(sim::testHookCalls().back().argument1, 0xabcu);
    EXPECT_EQ(count(EventKind::TriggerDone), 1u);
}

TEST_F(CommandTest, OfferedServiceIsConnectedAndReleasedByItsActivityId) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun());
    manager->clearEvents();
    ASSERT_TRUE(manager->sendCommand(1, 0, description(77, "Offered")));
    std::vector<host::TraceRecord> connected = capture.withId(sysman::kTraceCommand1);
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0].textArg(0), "TestAS");
    EXPECT_EQ(connected[0].textArg(1), "Offered");
    ASSERT_EQ(count(EventKind::Code), 1u);
    EXPECT_EQ(manager->events(EventKind::Code)[0].value, 2u);

    ASSERT_TRUE(manager->sendCommand(4, 76));
    EXPECT_EQ(count(EventKind::ServiceReleased), 0u) << "no service with that id";
    std::vector<host::TraceRecord> releaseCommand = capture.withId(sysman::kTraceCommand4);
    ASSERT_EQ(releaseCommand.size(), 1u);
    ASSERT_EQ(releaseCommand[0].arguments.size(), 1u) << "the address-space name only";
    EXPECT_EQ(releaseCommand[0].textArg(0), "TestAS");
    ASSERT_TRUE(manager->sendCommand(4, 77));
    std::vector<host::TraceRecord> released = capture.withId(sysman::kTraceServiceReleased);
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0].textArg(0), "Offered");
    EXPECT_EQ(released[0].intArg(1), 77);
    ASSERT_EQ(count(EventKind::ServiceReleased), 1u);
    EXPECT_EQ(manager->events(EventKind::ServiceReleased)[0].text, "Offered");
    ASSERT_TRUE(manager->sendCommand(4, 77));
    EXPECT_EQ(count(EventKind::ServiceReleased), 1u) << "released once";
}

TEST_F(CommandTest, ServiceNameIsBoundedToItsField) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun());
    std::vector<uint8_t> data(kCommandDataSize, 'X');  // no terminator anywhere
    ASSERT_TRUE(manager->sendCommand(1, 0, data));
    std::vector<host::TraceRecord> connected = capture.withId(sysman::kTraceCommand1);
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0].textArg(1), std::string(kServiceDescNameSize, 'X'));
}

TEST_F(CommandTest, ConnectCommandsWithoutAStartedComponentConnectWithoutAnEntry) {
    for (uint32_t code : {2u, 3u}) {
        SCOPED_TRACE(code);
        host::TraceCapture capture;
        ASSERT_TRUE(startAndRun());
        ASSERT_EQ(block()->nStartIndex, -1);
        const size_t before = sim::testHookSlots().size();
        manager->clearEvents();
        ASSERT_TRUE(manager->sendCommand(code, 0, description(90, "Late")));
        std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceNoStartedEntry);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0].intArg(1), static_cast<int32_t>(code));
        EXPECT_EQ(traces[0].intArg(2), -1);
        // The service is connected all the same, with no component to hand it to.
        ServiceObject* service = Sysmanlib_FindServiceByActivity(
            static_cast<SysmanlibServiceRegistry*>(block()->hServiceRegistry), 90);
        ASSERT_NE(service, nullptr);
        EXPECT_STREQ(service->szName, "Late");
        EXPECT_EQ(service->nFlags, 0u);
        EXPECT_EQ(service->pClient, nullptr) << "no component entry was called";
        EXPECT_EQ(count(EventKind::StateReply), 1u) << "the state is answered all the same";
        EXPECT_TRUE(slotsSince(before).empty());
        TearDown();
        SetUp();
    }
}

TEST_F(CommandTest, TimerIdsOutsideTheRangeAreServiceActivities) {
    host::TraceCapture capture;
    sim::TestAddressSpaceOptions space;
    space.timerIds = {2000, 2001, 3001, 3002};
    ASSERT_TRUE(startAndRun({}, space));
    const size_t before = sim::testHookSlots().size();
    manager->advance(std::chrono::seconds(1));
    std::vector<sim::HookCall> calls = sim::testHookCalls();
    std::vector<uint32_t> timers;
    for (size_t i = before; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].slot, 19);
        EXPECT_EQ(calls[i].argument2, 0u) << "status Success";
        timers.push_back(calls[i].argument1);
    }
    EXPECT_EQ(timers, (std::vector<uint32_t>{2001, 3001}));
    std::vector<int32_t> unknown;
    for (const host::TraceRecord& record : capture.withId(sysman::kTraceNoService)) {
        EXPECT_EQ(record.textArg(0), "TestAS");
        unknown.push_back(record.intArg(1));
    }
    EXPECT_EQ(unknown, (std::vector<int32_t>{2000, 3002}));
}

TEST_F(CommandTest, ServiceActivityGoesToItsServicesHandler) {
    sim::TestAddressSpaceOptions space;
    space.timerIds = {77};
    ASSERT_TRUE(start({}, space) && manager->startUp());
    ASSERT_TRUE(manager->sendCommand(1, 0, description(77, "Offered")));
    ServiceObject* service = Sysmanlib_FindServiceByActivity(
        static_cast<SysmanlibServiceRegistry*>(block()->hServiceRegistry), 77);
    ASSERT_NE(service, nullptr);
    service->pfnHandler = serviceHandler;
    serviceActivity = 0;
    ASSERT_TRUE(manager->run());
    manager->advance(std::chrono::seconds(1));
    EXPECT_EQ(serviceActivity, 77u);
}

TEST_F(CommandTest, TimersAreNotPassedOnInStateThirteen) {
    sim::TestAddressSpaceOptions space;
    space.timerIds = {2001};
    ASSERT_TRUE(startAndRun({}, space));
    ASSERT_TRUE(manager->shutdown());
    ASSERT_EQ(block()->nStateCode, 13u);
    const size_t before = sim::testHookSlots().size();
    manager->advance(std::chrono::seconds(2));
    EXPECT_TRUE(slotsSince(before).empty());
}

TEST_F(CommandTest, ActivityCompletedWithAnErrorIsTracedAndDropped) {
    host::TraceCapture capture;
    sim::TestAddressSpaceOptions space;
    space.failedActivityId = 2500;
    ASSERT_TRUE(startAndRun({}, space));
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceActivityError);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
    EXPECT_EQ(traces[0].intArg(1), 2500);
    EXPECT_EQ(traces[0].textArg(2), KernelErrorName(ObjectIsNotValid));
    for (const sim::HookCall& call : sim::testHookCalls()) {
        EXPECT_NE(call.slot, 19);
    }
    EXPECT_FALSE(manager->stopped());
}

TEST_F(CommandTest, ShutdownRunsItsHookAndAnswersStateThirteen) {
    ASSERT_TRUE(startAndRun());
    const size_t before = sim::testHookSlots().size();
    manager->clearEvents();
    ASSERT_TRUE(manager->shutdown());
    EXPECT_EQ(slotsSince(before), (std::vector<int>{18}));
    ASSERT_EQ(count(EventKind::Code), 1u);
    EXPECT_EQ(manager->events(EventKind::Code)[0].value, 25u);
    ASSERT_EQ(count(EventKind::StateReply), 1u);
    EXPECT_EQ(manager->events(EventKind::StateReply)[0].detail, 13u);
    EXPECT_EQ(manager->events(EventKind::StateReply)[0].value, 0u);
    EXPECT_EQ(block()->nStateCode, 13u);
    EXPECT_TRUE(manager->trigger(40, 1)) << "the loop still serves commands";
}

TEST_F(CommandTest, RunTracesTheMemoryInUse) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun());
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceMemoryLabel);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
    EXPECT_EQ(traces[0].textArg(1), "After RUN");
    EXPECT_GT(traces[0].intArg(2), 0);
    EXPECT_EQ(static_cast<uint32_t>(traces[0].intArg(3)),
              static_cast<uint32_t>(traces[0].intArg(2)) * 4096u);
}

TEST_F(CommandTest, FailedMemoryQueryIsTracedAndCountsNothing) {
    host::TraceCapture capture;
    ASSERT_TRUE(start());
    host::failNextCall("addressSpaceMemoryPages", ResourceNotAvailable);
    EXPECT_EQ(SysManTraceMemory(block(), "label"), 0u);
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceMemoryFailed);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].intArg(0), ResourceNotAvailable);
    EXPECT_GT(SysManTraceMemory(block(), nullptr), 0u);
    EXPECT_TRUE(capture.contains(sysman::kTraceMemory));
}

TEST_F(CommandTest, FailingHookStopsTheAddressSpaceWithItsCode) {
    const struct {
        int slot;
        uint32_t code;
        uint32_t argument;
    } rows[] = {{16, 40, 1}, {16, 43, 0}, {15, 48, 1}, {20, 42, 3}, {14, 50, 0}, {18, 20, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.slot);
        sim::TestAddressSpaceOptions space;
        space.failingSlot = row.slot;
        space.failCode = 4711;
        ASSERT_TRUE(startAndRun({}, space));
        EXPECT_FALSE(manager->trigger(row.code, row.argument));
        ASSERT_EQ(stops().size(), 1u);
        EXPECT_EQ(stops()[0].value, 4711u);
        EXPECT_TRUE(manager->stopped());
        EXPECT_FALSE(manager->trigger(40, 1)) << "nothing is sent to a stopped address space";
        TearDown();
        SetUp();
    }
}

TEST_F(CommandTest, FailingStateHookStopsTheStartUp) {
    sim::TestAddressSpaceOptions space;
    space.failingSlot = 5;
    space.failCode = 99;
    ASSERT_TRUE(start({}, space));
    EXPECT_FALSE(manager->startUp());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, 99u);
    const std::vector<int> slots = sim::testHookSlots();
    EXPECT_EQ(slots.back(), 5) << "nothing after the failing FbDO hook";
}
