// Start and registration: the handshake's messages, the self-information, the start text and
// the failures that stop the start.
#include <cstring>

#include "LifeCycleFixture.h"
#include "SysManTrace.h"
#include "libSysman.h"

using sim::EventKind;

namespace {

// A code range whose last word holds the marker, as the programs pass it.
const uint32_t kCode[4] = {1, 2, 3, 0x600DBEEF};

void startNamedWithRelease() {
    SysManStart(&kCode[0], &kCode[3], "Release_03-08-C", sim::testStartTable(), "RegName",
                &sim::testHooks(), 0);
}

// Once the answer has come, any further link the start makes fails.
int failLaterLinks() {
    host::failNextCall("createObjectLink", IllegalParameter);
    return 0;
}

void startFailingLinksAfterTheAnswer() {
    static const SysManHookTable hooks = [] {
        SysManHookTable table = sim::testHooks();
        table.onConnected = failLaterLinks;
        return table;
    }();
    SysManStartWithHooks(&hooks, sim::testStartTable());
}

}  // namespace

TEST_F(LifeCycleTest, HandshakeCarriesStartCodeLinksAndNoReleaseWithoutOne) {
    ASSERT_TRUE(start());
    std::optional<sim::Event> startMessage = manager->lastEvent(EventKind::Start);
    ASSERT_TRUE(startMessage);
    EXPECT_EQ(startMessage->value, 23u);
    EXPECT_EQ(startMessage->detail, 1u) << "task link and connection end travel";
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->detail, 0u);
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->value, 1u) << "link to the address space";
    EXPECT_EQ(manager->lastEvent(EventKind::StartText)->text, "Test start");
    EXPECT_EQ(manager->lastEvent(EventKind::StartText)->detail, 10u) << "sent without its NUL";
    EXPECT_TRUE(manager->events(EventKind::RegistrationName).empty());
    EXPECT_EQ(sim::testHookSlots(), (std::vector<int>{0, 1, 21}));
    EXPECT_EQ(manager->events(EventKind::Code).at(0).value, 1u) << "default loop start";

    const AsInfo* info = block();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->pSelfInfoInt, info);
    EXPECT_EQ(info->nStartIndex, -1);
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&codeStart, &codeEnd), Success);
    EXPECT_EQ(info->pCodeStart, codeStart) << "the test program's own code range";
    EXPECT_EQ(info->nCodeLength,
              static_cast<const uint8_t*>(codeEnd) - static_cast<const uint8_t*>(codeStart) + 4);
    EXPECT_NE(info->hLink, nullptr);
    EXPECT_NE(info->hRealTimeClock, nullptr);
    EXPECT_NE(info->pSupervision, nullptr);
    EXPECT_EQ(info->selfInfo.nMode, 3u);
    EXPECT_STREQ(info->selfInfo.szAsName, "TestAS");
}

TEST_F(LifeCycleTest, ReleaseStringTravelsWithItsNulAndTheNameGoesToTheCommandConnection) {
    sim::configureTestAddressSpace({});
    manager = std::make_unique<sim::SystemManager>(sim::SystemManagerOptions{});
    manager->watchTask(host::spawnTask("Named", startNamedWithRelease));
    ASSERT_TRUE(manager->awaitRegistration());
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->text, "Release_03-08-C");
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->detail, 16u);
    std::optional<sim::Event> name = manager->lastEvent(EventKind::RegistrationName);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text, "RegName");
    EXPECT_EQ(name->value, 4u);
    EXPECT_EQ(block()->pCodeStart, reinterpret_cast<const uint8_t*>(&kCode[0]));
    EXPECT_EQ(block()->nCodeLength, 16u) << "end - start + 4: the marker word included";
}

TEST_F(LifeCycleTest, SelfInformationReplacesTheBlockHead) {
    sim::SystemManagerOptions options;
    options.self.mode = 4;
    options.self.asName = "Vesk01";
    options.self.parPrefix = "Vesk";
    options.self.basePath = "/base/";
    options.self.traceSelector = 7;
    ASSERT_TRUE(start(options));
    const SelfInformation& self = block()->selfInfo;
    EXPECT_EQ(self.nMode, 4u);
    EXPECT_STREQ(self.szAsName, "Vesk01");
    EXPECT_STREQ(self.szParPrefix, "Vesk");
    EXPECT_STREQ(self.szBasePath, "/base/");
    EXPECT_EQ(Tarvo_GetTraceSelector(), 7u) << "the programs' trace selector";
}

TEST_F(LifeCycleTest, NamesThatFillTheirFieldsAreReadBounded) {
    host::TraceCapture capture;
    sim::SystemManagerOptions options;
    options.self.asName = std::string(40, 'N');  // cut to the 32-byte field, no terminator
    ASSERT_TRUE(start(options));
    ASSERT_TRUE(manager->runState(2));
    std::vector<host::TraceRecord> states = capture.withId(sysman::kTraceState);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back().textArg(0), std::string(32, 'N'));
}

TEST_F(LifeCycleTest, StartTextOfThirtyOneCharactersIsSent) {
    sim::TestAddressSpaceOptions space;
    space.startText = std::string(31, 'T');
    ASSERT_TRUE(start({}, space));
    EXPECT_EQ(manager->lastEvent(EventKind::StartText)->text, space.startText);
}

TEST_F(LifeCycleTest, StartTextOfThirtyTwoCharactersStopsTheStart) {
    host::TraceCapture capture;
    sim::TestAddressSpaceOptions space;
    space.startText = std::string(32, 'T');
    EXPECT_FALSE(start({}, space));
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, 1u);
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceStartTextTooLong);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
    EXPECT_EQ(traces[0].textArg(1), space.startText);
    EXPECT_TRUE(manager->events(EventKind::StartText).empty());
}

TEST_F(LifeCycleTest, AnswerCodeOtherThan22StopsTheStart) {
    host::TraceCapture capture;
    sim::SystemManagerOptions options;
    options.answerCode = 21;
    EXPECT_FALSE(start(options));
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, 1u);
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceBadAnswer);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
    EXPECT_EQ(traces[0].intArg(1), 21);
    EXPECT_TRUE(sim::testHookSlots().empty()) << "no hook before the answer is accepted";
}

TEST_F(LifeCycleTest, MissingSystemManagerObjectsAreTracedByNameAndStopTheStart) {
    const struct {
        const char* name;
        uint32_t traceId;
    } rows[] = {
        {"conSysManCmd", sysman::kTraceNoCmdConnection},
        {"conSysManStart", sysman::kTraceNoStartConnection},
        {"semSysMan", sysman::kTraceNoSemaphore},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        host::TraceCapture capture;
        sim::SystemManagerOptions options;
        options.omittedResources = {row.name};
        EXPECT_FALSE(start(options));
        ASSERT_EQ(stops().size(), 1u);
        EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(UnknownResourceName));
        std::vector<host::TraceRecord> traces = capture.withId(row.traceId);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0].textArg(0), row.name);
        TearDown();
        SetUp();
    }
}

TEST_F(LifeCycleTest, ErrorHandlerThatCannotBeInstalledStopsTheStart) {
    host::TraceCapture capture;
    host::failNextCall("installTaskErrorHandler", IllegalParameter);
    EXPECT_FALSE(start());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(IllegalParameter));
    EXPECT_TRUE(capture.contains(sysman::kTraceNoErrorHandler));
}

TEST_F(LifeCycleTest, BlockAlreadyRegisteredStopsTheStart) {
    host::TraceCapture capture;
    static AsInfo earlier;
    ASSERT_EQ(Sysmanlib_AsInfo_Register(&earlier), 0);
    EXPECT_FALSE(start());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, 1u);
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceAlreadyRegistered);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].intArg(0), 1);
}

TEST_F(LifeCycleTest, BothLinksAreMadeBeforeTheStartMessage) {
    ASSERT_TRUE(startWith(startFailingLinksAfterTheAnswer));
    EXPECT_TRUE(stops().empty());
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->value, 1u);
}

TEST_F(LifeCycleTest, FailedLinkStopsTheStartBeforeTheStartMessage) {
    host::failNextCall("createObjectLink", IllegalParameter);
    EXPECT_FALSE(start());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(IllegalParameter));
    EXPECT_TRUE(manager->events(EventKind::Start).empty());
}
