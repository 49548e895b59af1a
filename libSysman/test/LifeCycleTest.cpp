// The whole life of an address space: registration, the start-up states, RUN, cycles and
// shutdown, as the simulated system manager drives it.
#include "LifeCycleFixture.h"
#include "Tarvo.h"

using sim::EventKind;

TEST_F(LifeCycleTest, RunsFromRegistrationToShutdown) {
    ASSERT_TRUE(startAndRun());
    ASSERT_TRUE(manager->trigger(40, 1));
    ASSERT_TRUE(manager->shutdown());
    EXPECT_EQ(sim::testHookSlots(),
              (std::vector<int>{0, 1, 21, 3, 4, 5, 7, 6, 12, 8, 9, 10, 13, 16, 18}));
    EXPECT_FALSE(manager->stopped());
}
