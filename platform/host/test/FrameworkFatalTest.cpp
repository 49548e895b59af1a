// Fatal stops end the process with the fatal exit status; the death tests run each stop in a
// fresh child process ("threadsafe" style, safe with the sanitizers and with running tasks).
#include <cstdio>

#include "FrameworkTestSupport.h"
#include "HostKernel.h"
#include "HostTrace.h"

namespace {

using frameworktest::makeAsInfo;

class FatalStopTest : public frameworktest::FrameworkTest {
  protected:
    void SetUp() override {
        frameworktest::FrameworkTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_F(FatalStopTest, CodeZeroReturnsAndRecordsNothing) {
    Tarvo_CheckFatal(0, nullptr);
    EXPECT_TRUE(host::fatalStops().empty());
}

TEST_F(FatalStopTest, NonZeroCodeEndsTheProcessWithTheFatalStatus) {
    auto block = makeAsInfo("Vesk");
    EXPECT_EXIT(
        {
            Tarvo_SetPhase("Vesk Run");
            Tarvo_CheckFatal(ServiceNotAvailable, block.get());
        },
        ::testing::ExitedWithCode(host::kFatalExitStatus),
        "FATAL STOP: address space \"Vesk\" stopped with code 216 \\(ServiceNotAvailable\\) in "
        "phase \"Vesk Run\"");
}

// The stop line names its reason: the fatal reports made since the previous stop, else the
// texts of the last error-level trace point; a point above the error levels gives none.
TEST_F(FatalStopTest, TheStopLineCarriesItsReason) {
    const struct {
        const char* report;
        uint32_t traceId;
        const char* expected;
    } cases[] = {
        {"data-set file not written: create failed", 0,
         "phase \"P\": data-set file not written: create failed\n"},
        {nullptr, TraceId(0x12, 3, 3), "phase \"P\": missing: Node.Child\n"},
        {"report wins", TraceId(0x12, 3, 3), "phase \"P\": report wins\n"},
        {nullptr, TraceId(0x12, 3, 6), "phase \"P\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        auto block = makeAsInfo("Vesk");
        EXPECT_EXIT(
            {
                host::setTraceLevel(7);
                Tarvo_SetPhase("P");
                if (c.traceId != 0) {
                    Tarvo_Trace(0, c.traceId,
                                TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText), "missing",
                                4, "Node.Child");
                }
                if (c.report != nullptr) {
                    Tarvo_FatalReport("Vesk", c.report, "src");
                }
                Tarvo_CheckFatal(1, block.get());
            },
            ::testing::ExitedWithCode(host::kFatalExitStatus),
            std::string("FATAL STOP: address space \"Vesk\" stopped with code 1 \\(") + ".*" +
                c.expected);
    }
}

// Of several error-level points, the last that has any text gives the reason; its empty texts
// add no separator before the first text.
TEST_F(FatalStopTest, TheLastErrorPointWithTextGivesTheReason) {
    auto block = makeAsInfo("Vesk");
    EXPECT_EXIT(
        {
            Tarvo_SetPhase("P");
            Tarvo_Trace(0, TraceId(0x12, 4, 3), TraceFormat(kTraceArgText, kTraceArgText),
                        "an older", "reason");
            Tarvo_Trace(0, TraceId(0x12, 5, 2), TraceFormat(kTraceArgText, kTraceArgText), "",
                        "the last");
            Tarvo_Trace(0, TraceId(0x12, 6, 3), TraceFormat(kTraceArgInt, kTraceArgText), 7, "");
            Tarvo_CheckFatal(1, block.get());
        },
        ::testing::ExitedWithCode(host::kFatalExitStatus),
        "FATAL STOP: address space \"Vesk\" stopped with code 1 \\(.*phase \"P\": the last\n");
}

TEST_F(FatalStopTest, WithoutBlockTheRegisteredNameIsUsed) {
    auto block = makeAsInfo("Calorant");
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    EXPECT_EXIT(Tarvo_CheckFatal(1, nullptr), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "address space \"Calorant\" stopped with code 1 ");
}

TEST_F(FatalStopTest, ObserverSeesTheLoggedStopBeforeTheProcessEnds) {
    EXPECT_EXIT(
        {
            host::setFatalStopObserver([](const host::FatalStop& stop) {
                std::fprintf(stderr, "observed %d in \"%s\" of \"%s\", logged %zu\n", stop.code,
                             stop.phase.c_str(), stop.asName.c_str(), host::fatalStops().size());
            });
            Tarvo_SetPhase("Calorant Run");
            auto block = makeAsInfo("Calorant");
            Tarvo_CheckFatal(42, block.get());
        },
        ::testing::ExitedWithCode(host::kFatalExitStatus),
        "observed 42 in \"Calorant Run\" of \"Calorant\", logged 1");
}

TEST_F(FatalStopTest, StopIsTraced) {
    EXPECT_EXIT(
        {
            host::TraceCapture capture;
            host::setFatalStopObserver([&capture](const host::FatalStop&) {
                auto records = capture.withId(host::kTraceFatalStop);
                if (records.size() == 1 && records[0].intArg(1) == 9) {
                    std::fprintf(stderr, "traced\n");
                }
            });
            Tarvo_CheckFatal(9, nullptr);
        },
        ::testing::ExitedWithCode(host::kFatalExitStatus), "traced");
}

TEST_F(FatalStopTest, FailedAssertionNeverReturns) {
    EXPECT_EXIT(Tarvo_AssertFailed("pTs", "libPEG/src/PEG", 412),
                ::testing::ExitedWithCode(host::kFatalExitStatus),
                "ASSERTION FAILED: pTs \\(libPEG/src/PEG:412\\)");
}

TEST_F(FatalStopTest, ParkedTaskStaysStoppedWhileTheProcessGoesOn) {
    host::resetKernel();
    host::setFatalStopAction(host::FatalStopAction::Park);
    auto block = makeAsInfo("Vesk");
    bool returned = false;
    host::spawnTask("stopper", [&] {
        Tarvo_CheckFatal(7, block.get());
        returned = true;
    });
    ASSERT_TRUE(host::waitForFatalStops(1, std::chrono::seconds(10)));
    host::waitForQuiescence();  // the stopper waits inside the kernel
    auto stops = host::fatalStops();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].code, 7);
    EXPECT_EQ(stops[0].asName, "Vesk");
    host::resetKernel();  // ends the parked task
    EXPECT_FALSE(returned);
}

}  // namespace
