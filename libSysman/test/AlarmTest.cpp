// The one-second alarm and the supervision it keeps armed, in modes 1, 3 and 4; the alive
// trigger. With the simulated system manager's supervision time of 0 every arming makes the
// supervision clock go off at the arming's time, so the armings show as events.
#include "LifeCycleFixture.h"
#include "SysManTrace.h"
#include "Tarvo.h"
#include "libSysman.h"

using sim::EventKind;

namespace {

sim::SystemManagerOptions mode(uint32_t value) {
    sim::SystemManagerOptions options;
    options.self.mode = value;
    return options;
}

}  // namespace

class AlarmTest : public LifeCycleTest {
  protected:
    std::vector<double> armings() const {
        std::vector<double> times;
        for (const sim::Event& event : manager->events(EventKind::SupervisionArmed)) {
            times.push_back(event.time);
        }
        return times;
    }
};

TEST_F(AlarmTest, ModeThreeStartsTheAlarmOnRunAndArmsEverySecond) {
    ASSERT_TRUE(startAndRun(mode(3)));
    EXPECT_EQ(block()->bAlarmStarted, 1u);
    manager->advance(std::chrono::seconds(3));
    EXPECT_EQ(armings(), (std::vector<double>{0, 1, 2, 3}));
}

TEST_F(AlarmTest, SecondRunStartsNoSecondAlarm) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun(mode(3)));
    manager->advance(std::chrono::seconds(1));
    ASSERT_TRUE(manager->run());
    EXPECT_TRUE(capture.contains(sysman::kTraceAlarmRunning));
    manager->advance(std::chrono::seconds(2));
    EXPECT_EQ(armings(), (std::vector<double>{0, 1, 2, 3})) << "one arming a second";
}

TEST_F(AlarmTest, ModeThreeKeepsArmingAfterShutdown) {
    ASSERT_TRUE(startAndRun(mode(3)));
    ASSERT_TRUE(manager->shutdown());
    manager->clearEvents();
    manager->advance(std::chrono::seconds(2));
    EXPECT_EQ(armings(), (std::vector<double>{1, 2}));
}

TEST_F(AlarmTest, ModeFourStartsTheAlarmInStateSevenAndStopsArmingInStateThirteen) {
    ASSERT_TRUE(start(mode(4)));
    ASSERT_TRUE(manager->startUp());
    EXPECT_EQ(block()->bAlarmStarted, 1u) << "state 7";
    ASSERT_TRUE(manager->run());
    manager->advance(std::chrono::seconds(2));
    EXPECT_EQ(armings(), (std::vector<double>{0, 1, 2})) << "RUN started no second alarm";
    ASSERT_TRUE(manager->shutdown());
    manager->clearEvents();
    manager->advance(std::chrono::seconds(3));
    EXPECT_TRUE(armings().empty());
}

TEST_F(AlarmTest, SecondStateSevenInModeFourStartsNoSecondAlarm) {
    host::TraceCapture capture;
    ASSERT_TRUE(start(mode(4)));
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->runState(7));
    ASSERT_TRUE(manager->runState(sim::kReadyState));  // state 7 once more
    EXPECT_TRUE(capture.contains(sysman::kTraceAlarmRunning));
    manager->advance(std::chrono::seconds(2));
    EXPECT_EQ(armings(), (std::vector<double>{0, 1, 2}));
}

TEST_F(AlarmTest, ModeOneRunsNoAlarmButArmsOnShutdown) {
    ASSERT_TRUE(startAndRun(mode(1)));
    manager->advance(std::chrono::seconds(3));
    EXPECT_EQ(block()->bAlarmStarted, 0u);
    EXPECT_TRUE(armings().empty());
    // The shutdown arms the supervision first: a failing arming stops the address space.
    host::failNextCall("SetClockAlarm", IllegalParameter);
    EXPECT_FALSE(manager->shutdown());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(IllegalParameter));
}

TEST_F(AlarmTest, AliveTriggerArmsWhileTheAlarmRuns) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun(mode(3)));
    manager->advance(std::chrono::milliseconds(1500));
    manager->clearEvents();
    SysManTrigger(block());
    manager->advance(std::chrono::milliseconds(100));
    EXPECT_EQ(armings(), (std::vector<double>{1.5}));
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceAliveArmed);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
}

TEST_F(AlarmTest, AliveTriggerWithoutAlarmOnlyTraces) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun(mode(1)));
    SysManTrigger(block());
    manager->advance(std::chrono::seconds(1));
    EXPECT_TRUE(armings().empty());
    EXPECT_TRUE(capture.contains(sysman::kTraceAliveNoAlarm));
}

TEST_F(AlarmTest, AliveTriggerAssertsItsBlock) {
    ASSERT_TRUE(start());
    host::spawnTask("Alive", [] { SysManTrigger(nullptr); });
    host::waitForQuiescence();
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(TarvoAssertionFailed));
    EXPECT_NE(stops()[0].text.find("pmyInfo"), std::string::npos);
    EXPECT_NE(stops()[0].text.find("1126"), std::string::npos);
}

TEST_F(AlarmTest, AliveTriggerInStateThirteenOnlyTraces) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRun(mode(3)));
    ASSERT_TRUE(manager->shutdown());
    manager->clearEvents();
    SysManTrigger(block());
    manager->advance(std::chrono::milliseconds(500));  // before the next alarm tick
    EXPECT_TRUE(armings().empty());
    EXPECT_TRUE(capture.contains(sysman::kTraceAliveArmed));
}
