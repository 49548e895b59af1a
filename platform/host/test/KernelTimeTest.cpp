// Virtual time: sleeps, alarms and time-outs fire in time order when time is advanced, never
// by waiting in real time.
#include <chrono>
#include <string>
#include <vector>

#include "KernelTestFixture.h"

using namespace std::chrono_literals;

namespace {

class KernelTimeTest : public KernelTest {
  protected:
    std::vector<std::string> events;
    std::vector<int64_t> timesMs;
    int wakeups = 0;

    void record(const std::string& event) {
        events.push_back(event);
        timesMs.push_back(nowMs());
    }
};

TEST_F(KernelTimeTest, ASleepEndsExactlyWhenVirtualTimeReachesIt) {
    Task sleeper = start("sleeper", [this] {
        basiclib::sleep(10);
        record("woke");
    });
    advance(9s);
    EXPECT_EQ(stateOf(sleeper), host::TaskState::Blocked);
    EXPECT_TRUE(events.empty());
    advance(1s);
    EXPECT_EQ(stateOf(sleeper), host::TaskState::Ended);
    ASSERT_EQ(timesMs.size(), 1u);
    EXPECT_EQ(timesMs[0], 10000);
}

TEST_F(KernelTimeTest, EventsOfOneAdvanceFireInTimeOrder) {
    start("slow", [this] {
        basiclib::sleep(3);
        record("slow");
    });
    start("fast", [this] {
        basiclib::sleep(1);
        record("fast");
        basiclib::sleep(1);
        record("fast again");
    });
    advance(5s);
    EXPECT_EQ(events, (std::vector<std::string>{"fast", "fast again", "slow"}));
    EXPECT_EQ(timesMs, (std::vector<int64_t>{1000, 2000, 3000}));
    EXPECT_EQ(nowMs(), 5000);
}

// Timers due at the same instant fire one at a time, in the order they were set, each task
// done reacting before the next fires (the records would otherwise race and interleave).
TEST_F(KernelTimeTest, TimersDueTogetherFireOneAtATimeInTheOrderTheyWereSet) {
    for (const char* name : {"first", "second"}) {
        start(name, [this, name] {
            for (int second = 0; second < 3; ++second) {
                basiclib::sleep(1);
                record(name);
            }
        });
    }
    advance(3s);
    EXPECT_EQ(events,
              (std::vector<std::string>{"first", "second", "first", "second", "first", "second"}));
    EXPECT_EQ(timesMs, (std::vector<int64_t>{1000, 1000, 2000, 2000, 3000, 3000}));
}

TEST_F(KernelTimeTest, APeriodicAlarmCompletesTheActivityEveryPeriod) {
    start("alarm", [this] {
        Clock clock = nullptr;
        Activity activity = nullptr;
        Time second{1, 0};
        CreateVirtualClock(GetSystemClock(), 5, &clock);
        CreateActivity(CurrentTask(), 255, 0, 3, &activity);
        AsynchronousReceive(activity, clock, nullptr);
        SetClockAlarm(clock, 1, nullptr, &second);
        for (;;) {
            uint32_t id = 0;
            Error status = -1;
            WaitForActivity(&id, &status);
            record(std::to_string(id) + ":" + KernelErrorName(status));
            AsynchronousReceive(activity, clock, nullptr);
        }
    });
    advance(3500ms);
    EXPECT_EQ(events, (std::vector<std::string>(3, "3:Success")));
    EXPECT_EQ(timesMs, (std::vector<int64_t>{1000, 2000, 3000}));
}

TEST_F(KernelTimeTest, AOneShotAlarmAtAStartTimeFiresOnceAndCanBeCleared) {
    Clock clock = nullptr;
    ASSERT_EQ(CreateVirtualClock(GetSystemClock(), 0, &clock), Success);
    Time at{2, 0x80000000u};  // 2.5 s
    ASSERT_EQ(SetClockAlarm(clock, 0, &at, nullptr), Success);
    start("receiver", [this, clock] {
        SynchronousReceive(clock, nullptr);
        record("alarm");
        SynchronousReceive(clock, nullptr);
        record("again");
    });
    advance(2s);
    EXPECT_TRUE(events.empty());
    advance(1s);
    EXPECT_EQ(events, std::vector<std::string>{"alarm"});
    EXPECT_EQ(timesMs, std::vector<int64_t>{2500});
    advance(10s);
    EXPECT_EQ(events.size(), 1u) << "one-shot";

    Time second{1, 0};
    ASSERT_EQ(SetClockAlarm(clock, 1, nullptr, &second), Success);
    ASSERT_EQ(SetClockAlarm(clock, 0, nullptr, nullptr), Success);  // cleared
    advance(5s);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(KernelTimeTest, ExpiriesNobodyWaitsForAreKeptAsOne) {
    Clock clock = nullptr;
    Time second{1, 0};
    ASSERT_EQ(CreateVirtualClock(GetSystemClock(), 0, &clock), Success);
    ASSERT_EQ(SetClockAlarm(clock, 1, nullptr, &second), Success);
    advance(5s);
    EXPECT_EQ(SynchronousReceive(clock, nullptr), Success);  // at once: one pending expiry
    Task receiver = start("receiver", [clock] { SynchronousReceive(clock, nullptr); });
    EXPECT_EQ(stateOf(receiver), host::TaskState::Blocked) << "the five expiries were one";
    advance(1s);
    EXPECT_EQ(stateOf(receiver), host::TaskState::Ended);
}

TEST_F(KernelTimeTest, TasksThatAdvanceTimeOrAwaitQuiescenceDoNotHoldEachOtherUp) {
    start("observer", [this] {
        basiclib::sleep(1);
        host::waitForQuiescence();  // while the simulator's advance waits for it
        record("observed");
    });
    start("simulator", [this] {
        host::advanceTime(2s);
        record("advanced");
    });
    host::waitForQuiescence();
    EXPECT_EQ(events, (std::vector<std::string>{"observed", "advanced"}));
    EXPECT_EQ(timesMs, (std::vector<int64_t>{1000, 2000}));
}

TEST_F(KernelTimeTest, AnInjectedSleepFailureReturnsTheSecondsNotSlept) {
    host::failNextCall("sleep", IllegalParameter);
    EXPECT_EQ(basiclib::sleep(7), 7u);
    EXPECT_EQ(basiclib::sleep(0), 0u);
    EXPECT_EQ(nowMs(), 0);
}

TEST_F(KernelTimeTest, AlarmArgumentsAreChecked) {
    Clock clock = nullptr;
    ASSERT_EQ(CreateVirtualClock(GetSystemClock(), 0, &clock), Success);
    Time zero{0, 0};
    Time negative{-1, 0};
    EXPECT_EQ(SetClockAlarm(clock, 1, nullptr, &zero), IllegalParameter);
    EXPECT_EQ(SetClockAlarm(clock, 1, nullptr, nullptr), IllegalParameter);
    EXPECT_EQ(SetClockAlarm(clock, 0, nullptr, &negative), IllegalParameter);
    EXPECT_EQ(SetClockAlarm(GetSystemClock(), 0, nullptr, nullptr), Success);
    EXPECT_EQ(closeKernelObject(GetSystemClock()), IllegalParameter);
}

TEST_F(KernelTimeTest, ClockTimeFollowsTheVirtualTimeSource) {
    host::useVirtualTime(Time{1000, 0});
    Time now{};
    ASSERT_EQ(GetClockTime(GetSystemClock(), &now), Success);
    EXPECT_EQ(now.Seconds, 1000);
    EXPECT_EQ(now.Fraction, 0u);
    advance(250ms);
    ASSERT_EQ(GetClockTime(GetSystemClock(), &now), Success);
    EXPECT_EQ(now.Seconds, 1000);
    EXPECT_NEAR(static_cast<double>(now.Fraction), 4294967296.0 / 4, 2.0);
    EXPECT_EQ(host::advanceTime(-1ns), IllegalParameter);
}

TEST_F(KernelTimeTest, AnHourOfVirtualTimePassesWithoutWaiting) {
    start("ticker", [this] {
        for (;;) {
            basiclib::sleep(60);
            ++wakeups;
        }
    });
    auto before = std::chrono::steady_clock::now();
    advance(1h);
    auto spent = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(wakeups, 60);
    EXPECT_LT(spent, 10s) << "virtual time must not wait in real time";
}

TEST_F(KernelTimeTest, SwitchingTheTimeSourceKeepsRemainingIntervals) {
    Clock clock = nullptr;
    Time hundred{100, 0};
    ASSERT_EQ(CreateVirtualClock(GetSystemClock(), 0, &clock), Success);
    ASSERT_EQ(SetClockAlarm(clock, 0, nullptr, &hundred), Success);
    advance(40s);

    host::useRealTime();
    EXPECT_FALSE(host::isVirtualTime());
    EXPECT_EQ(host::advanceTime(1s), IllegalParameter);
    Time now{};
    ASSERT_EQ(GetClockTime(GetSystemClock(), &now), Success);
    EXPECT_GT(now.Seconds, 1600000000) << "wall-clock seconds since the Unix epoch";
    host::useVirtualTime(Time{0, 0});

    advance(59s);
    EXPECT_EQ(TryToObtainSemaphore(clock), IncorrectObjectType);
    Task receiver = start("receiver", [clock] { SynchronousReceive(clock, nullptr); });
    EXPECT_EQ(stateOf(receiver), host::TaskState::Blocked);
    advance(1s);  // 60 s remained at the switch, less the moment spent in real time
    EXPECT_EQ(stateOf(receiver), host::TaskState::Ended);
}

}  // namespace
