// The component entry, the client's creation and start, and incoming records reaching the
// program's display entry on the client task.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "HostFramework.h"
#include "HostTrace.h"
#include "PEGTestSupport.h"
#include "Tarvo.h"

namespace {

using pegtest::DisplayServiceTest;

size_t reportCount(int32_t code) {
    size_t count = 0;
    for (const host::Report& report : host::reports()) {
        count += report.code == code ? 1 : 0;
    }
    return count;
}

bool reported(int32_t code) {
    return reportCount(code) != 0;
}

std::string taskName(Task task) {
    char name[64] = {};
    EXPECT_EQ(GetTaskName(task, name, sizeof name - 1, nullptr), Success);
    return name;
}

using ComponentTest = DisplayServiceTest;

TEST_F(ComponentTest, NamesTheServiceAndCreatesNothingWithoutAServiceObject) {
    const char* name = nullptr;
    EXPECT_EQ(PEG_initComponent(block.get(), &name, nullptr), 0);
    EXPECT_STREQ(name, "ZUB_PEG_Service");
    EXPECT_EQ(block->pDisplayService, nullptr);
    EXPECT_EQ(service.pClient, nullptr);
    EXPECT_EQ(PEG_initComponent(block.get(), nullptr, nullptr), 0);
}

TEST_F(ComponentTest, ServiceObjectGetsExactlyOneClient) {
    EXPECT_EQ(PEG_initComponent(block.get(), nullptr, &service), 0);
    ServiceClient* first = service.pClient;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(block->pDisplayService, &service);
    EXPECT_NE(service.hActivity, nullptr);
    EXPECT_TRUE(peer.connected()) << "the client opened the service";
    const Task task = static_cast<PEG_Lib*>(first)->task();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(taskName(task), "ZUB_PEG_Service");
    host::ActivityInfo activity;
    ASSERT_EQ(host::describeActivity(service.hActivity, &activity), Success);
    EXPECT_TRUE(host::sameObject(activity.owner, task)) << "the activity runs on the client task";
    EXPECT_EQ(activity.priority, 128u);
    EXPECT_EQ(activity.id, 100u) << "the service's activity id";

    EXPECT_EQ(PEG_initComponent(block.get(), nullptr, &service), 0);
    EXPECT_EQ(service.pClient, first);
    EXPECT_TRUE(host::reports().empty());
}

TEST_F(ComponentTest, MissingConnectionIsReportedAndTheClientMadeAllTheSame) {
    const Connection first = service.hConnection1;
    const Connection second = service.hConnection2;
    // A missing connection is reported when the client is made, and again by its open.
    struct Case {
        const char* what;
        Connection connection1;
        Connection connection2;
        size_t reports;
    };
    const Case cases[] = {
        {"both present", first, second, 0},
        {"first missing", nullptr, second, 2},
        {"second missing", first, nullptr, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host::resetFramework();
        delete service.pClient;
        service.hConnection1 = c.connection1;
        service.hConnection2 = c.connection2;
        connect();
        EXPECT_NE(service.pClient, nullptr);
        EXPECT_EQ(reportCount(ServiceNotAvailable), c.reports);
    }
    service.hConnection1 = first;
    service.hConnection2 = second;
}

TEST_F(ComponentTest, FailedTaskCreationOrEnrolmentIsTracedAndTheClientMadeAllTheSame) {
    std::strcpy(block->selfInfo.szParPrefix, "Vesk");
    Task noTask = nullptr;
    struct Case {
        const char* what;
        Task* taskHandle;  // PEG_connect's task-handle pointer
        const char* failingCall;
        Error code;
        uint32_t tracePoint;
    };
    const Case cases[] = {
        {"client task not created", nullptr, "createTask", ResourceNotAvailable, 4},
        {"client task not enrolled", nullptr, "installTaskErrorHandler", ObjectIsNotValid, 4},
        {"start-up task not created", &noTask, "createTask", ResourceNotAvailable, 3},
        {"start-up task not enrolled", &noTask, "installTaskErrorHandler", ObjectIsNotValid, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delete service.pClient;
        noTask = nullptr;
        host::TraceCapture capture;
        host::failNextCall(c.failingCall, c.code);
        ASSERT_EQ(PEG_connect(block.get(), &service, c.taskHandle), 0);
        EXPECT_NE(service.pClient, nullptr);
        const auto traced = capture.withId(TraceId(0x36, c.tracePoint, 1));
        ASSERT_EQ(traced.size(), 1u);
        EXPECT_EQ(traced[0].textArg(0), "Vesk");
        EXPECT_EQ(traced[0].intArg(1), c.code);
        EXPECT_EQ(traced[0].textArg(2), KernelErrorName(c.code));
        EXPECT_FALSE(capture.contains(TraceId(0x36, 7 - c.tracePoint, 1))) << "not the other point";
    }
}

TEST_F(ComponentTest, StartupTaskHandleIsWrittenBackAndAGivenTaskKept) {
    Task startup = nullptr;
    ASSERT_EQ(PEG_connect(block.get(), &service, &startup), 0);
    ASSERT_NE(startup, nullptr);
    EXPECT_EQ(taskName(startup), "PEG_StartupTask");
    EXPECT_EQ(static_cast<PEG_Lib*>(service.pClient)->task(), startup);
    delete service.pClient;
    EXPECT_EQ(service.pClient, nullptr) << "the destructor clears the client pointer";

    PEG_Lib given(block.get(), &service, &startup);
    EXPECT_EQ(given.task(), startup);
}

TEST_F(ComponentTest, NullBlockOrServiceCreatesNothing) {
    EXPECT_EQ(PEG_connect(nullptr, &service, nullptr), 0);
    EXPECT_EQ(PEG_connect(block.get(), nullptr, nullptr), 0);
    EXPECT_EQ(service.pClient, nullptr);
    EXPECT_EQ(block->pDisplayService, nullptr);
}

TEST_F(ComponentTest, StartWithoutDisplayServiceAnswers16) {
    host::TraceCapture capture;
    EXPECT_EQ(PEG_start(block.get()), NULLObjectSpecified);
    EXPECT_EQ(PEG_start(nullptr), NULLObjectSpecified);
    EXPECT_EQ(capture.withId(TraceId(0x36, 0, 3)).size(), 2u);
    ServiceObject withoutClient{};
    block->pDisplayService = &withoutClient;
    EXPECT_EQ(PEG_start(block.get()), NULLObjectSpecified);
}

TEST_F(ComponentTest, StartSendsCommand1ToItem0AndRecordsReachTheDisplayEntry) {
    std::atomic<int> calls{0};
    pegtest::setDisplayEntry([&](ServiceObject* pService, const PEGCommand* pCommand) {
        EXPECT_EQ(pService, &service);
        ++calls;
        return static_cast<int>(pCommand->itemId() + pCommand->commandCode());
    });
    connect();
    const uint64_t early = peer.push(host::makeServiceRecord(100, 2));  // waits for the start
    EXPECT_EQ(PEG_start(block.get()), Success);
    EXPECT_EQ(pegtest::sentBy(peer), (std::vector<pegtest::Sent>{{0, 1, {}}}));
    EXPECT_EQ(host::serviceTaskStartPriority(static_cast<PEG_Lib*>(service.pClient)->task()), 135u);
    EXPECT_EQ(peer.waitHandled(early), 102);
    EXPECT_EQ(peer.waitHandled(peer.push(host::makeServiceRecord(64101, 29, {1, 0, 0, 0}))), 64130);
    EXPECT_EQ(calls, 2);
}

TEST_F(ComponentTest, RecordShorterThanItsHeaderIsAnsweredZeroWithoutTheEntry) {
    host::setTraceLevel(3);
    std::atomic<int> calls{0};
    pegtest::setDisplayEntry([&](ServiceObject*, const PEGCommand*) { return ++calls; });
    connect();
    ASSERT_EQ(PEG_start(block.get()), Success);
    // The peer only takes whole headers, so the client is handed a short record directly.
    host::TraceCapture capture;
    const uint8_t shortRecord[8] = {100, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(service.pClient->onCommand(shortRecord, sizeof shortRecord), 0);
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(capture.withId(TraceId(0x36, 7, 3)).size(), 1u);
    EXPECT_EQ(capture.withId(TraceId(0x36, 7, 3))[0].intArg(0), 8);
}

TEST_F(ComponentTest, FailedStartCommandIsTracedReportedAndTheTaskStartedAnyway) {
    connect();
    ServiceObject detached = service;  // a client that never opened: its send fails
    detached.pClient = nullptr;
    PEG_Lib unopened(block.get(), &detached, nullptr);  // AlreadyOwned: the service has a client
    host::TraceCapture capture;
    EXPECT_EQ(host::serviceTaskStartPriority(unopened.task()), std::nullopt);
    EXPECT_EQ(unopened.start(), ServiceNotAvailable);
    EXPECT_EQ(host::serviceTaskStartPriority(unopened.task()), 135u) << "started all the same";
    EXPECT_TRUE(capture.contains(TraceId(0x36, 6, 1)));
    EXPECT_TRUE(reported(ServiceNotAvailable));
    EXPECT_TRUE(reported(AlreadyOwned)) << "the open's failure is reported at construction";
    EXPECT_EQ(unopened.query(), 0u);
}

}  // namespace
