// The simulated system manager's record of the supervision: each arming and clearing with its
// time, the expiry when the arming comes too late, and merged armings for long runs.
#include <gtest/gtest.h>

#include <memory>

#include "HostFramework.h"
#include "HostKernel.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "TestAddressSpace.h"

namespace {

using sim::EventKind;

struct Seen {
    EventKind kind;
    double time;
    uint32_t repeats;
};

class SimSupervisionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::resetFramework();
        host::useVirtualTime();
    }
    void TearDown() override {
        manager.reset();
        display.reset();
        sim::configureTestAddressSpace({});
        host::resetFramework();
    }

    bool startAndRun(uint32_t mode, Time supervision, bool merge) {
        sim::SystemManagerOptions options;
        options.self.mode = mode;
        options.supervisionTime = supervision;
        options.mergeRepeatedArmings = merge;
        sim::configureTestAddressSpace({});
        display = std::make_unique<sim::DisplayService>();
        manager = std::make_unique<sim::SystemManager>(options);
        manager->watchTask(host::spawnTask("TestAS", sim::runTestAddressSpace));
        return manager->awaitRegistration() && manager->startUp() && manager->run();
    }

    // The supervision events since event `from`.
    std::vector<Seen> supervision(size_t from = 0) const {
        std::vector<Seen> seen;
        for (const sim::Event& event : manager->eventsFrom(from)) {
            if (event.kind == EventKind::SupervisionArmed ||
                event.kind == EventKind::SupervisionCleared ||
                event.kind == EventKind::SupervisionExpired) {
                seen.push_back(Seen{event.kind, event.time, event.repeats});
            }
        }
        return seen;
    }

    std::unique_ptr<sim::DisplayService> display;
    std::unique_ptr<sim::SystemManager> manager;
};

void expectSeen(const std::vector<Seen>& seen, const std::vector<Seen>& expected) {
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].kind, expected[i].kind);
        EXPECT_DOUBLE_EQ(seen[i].time, expected[i].time);
        EXPECT_EQ(seen[i].repeats, expected[i].repeats);
    }
}

TEST_F(SimSupervisionTest, ArmingClearedWithinTheShutdownIsRecorded) {
    ASSERT_TRUE(startAndRun(1, Time{3, 0}, false));
    EXPECT_TRUE(supervision().empty()) << "mode 1 runs no alarm";
    ASSERT_TRUE(manager->advance(std::chrono::milliseconds(1500)));
    const size_t before = manager->eventCount();
    ASSERT_TRUE(manager->shutdown());
    expectSeen(supervision(before),
               {{EventKind::SupervisionArmed, 1.5, 1}, {EventKind::SupervisionCleared, 1.5, 1}});
    ASSERT_TRUE(manager->advance(std::chrono::seconds(5)));
    EXPECT_EQ(supervision(before).size(), 2u) << "a cleared supervision does not expire";
}

TEST_F(SimSupervisionTest, EachSecondArmsAgainBeforeTheSupervisionExpires) {
    ASSERT_TRUE(startAndRun(3, Time{3, 0}, false));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(2)));
    expectSeen(supervision(), {{EventKind::SupervisionArmed, 0, 1},
                               {EventKind::SupervisionArmed, 1, 1},
                               {EventKind::SupervisionArmed, 2, 1}});
}

TEST_F(SimSupervisionTest, SupervisionShorterThanTheArmingExpires) {
    ASSERT_TRUE(startAndRun(3, Time{0, 0x80000000u}, false));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(1)));
    expectSeen(supervision(), {{EventKind::SupervisionArmed, 0, 1},
                               {EventKind::SupervisionExpired, 0.5, 1},
                               {EventKind::SupervisionArmed, 1, 1}});
}

TEST_F(SimSupervisionTest, MergedArmingsKeepTheirCountAndLastTime) {
    ASSERT_TRUE(startAndRun(3, Time{3, 0}, true));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(100)));
    ASSERT_TRUE(manager->sendCommand(43));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(2)));
    const std::vector<Seen> seen = supervision();
    expectSeen(seen, {{EventKind::SupervisionArmed, 0, 1},
                      {EventKind::SupervisionArmed, 1, 100},
                      {EventKind::SupervisionArmed, 101, 2}});
    std::vector<sim::Event> armings = manager->events(EventKind::SupervisionArmed);
    EXPECT_DOUBLE_EQ(armings[1].lastTime, 100.0);
    EXPECT_DOUBLE_EQ(armings[2].lastTime, 102.0);
}

// A long run forgets what no check can look at any more: the log keeps one event however many
// came, the indexes go on counting, and an arming still merges into the last event kept.
TEST_F(SimSupervisionTest, ForgottenEventsKeepTheLogShortAndTheIndexesCounting) {
    ASSERT_TRUE(startAndRun(3, Time{3, 0}, false));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(1000)));
    const size_t count = manager->eventCount();
    ASSERT_GT(count, 1000u) << "one arming a second";
    manager->forgetEventsBefore(count);
    EXPECT_EQ(manager->events().size(), 1u) << "the last stays";
    EXPECT_EQ(manager->eventCount(), count);
    ASSERT_EQ(manager->eventsFrom(count - 1).size(), 1u);
    EXPECT_DOUBLE_EQ(manager->eventsFrom(count - 1)[0].time, 1000.0);
    EXPECT_TRUE(manager->eventsFrom(0).size() == 1u) << "forgotten events are not given";
    ASSERT_TRUE(manager->advance(std::chrono::seconds(3)));
    EXPECT_EQ(manager->eventCount(), count + 3);
    expectSeen(supervision(count), {{EventKind::SupervisionArmed, 1001, 1},
                                    {EventKind::SupervisionArmed, 1002, 1},
                                    {EventKind::SupervisionArmed, 1003, 1}});
}

TEST_F(SimSupervisionTest, ArmingsMergeIntoTheLastEventAfterTheRestIsForgotten) {
    ASSERT_TRUE(startAndRun(3, Time{3, 0}, true));
    ASSERT_TRUE(manager->advance(std::chrono::seconds(10)));
    const size_t count = manager->eventCount();
    manager->forgetEventsBefore(count);
    ASSERT_TRUE(manager->advance(std::chrono::seconds(5)));
    EXPECT_EQ(manager->eventCount(), count) << "merged into the last event kept";
    expectSeen(supervision(count - 1), {{EventKind::SupervisionArmed, 1, 15}});
}

}  // namespace
