// The kernel's wait-spinning policy: how many threads may spin or whether they share one
// processor, and how long one thread spins as its spins see their wake-ups or not.
#include <gtest/gtest.h>

#include <chrono>

#include "WaitSpinning.h"

namespace {

using host::kernel::kLongestSpin;
using host::kernel::kProbeInterval;
using host::kernel::kShortestSpin;
using host::kernel::SpinBudget;
using std::chrono::nanoseconds;

// No thread spins with fewer than three processors; with two, the threads share one processor
// instead.
TEST(WaitSpinningTest, SpinnersAndSharedProcessorByTheNumberOfProcessors) {
    struct Case {
        int processors;
        int spinners;
        bool oneProcessor;
    };
    const Case cases[] = {{1, 0, false}, {2, 0, true}, {3, 2, false}, {4, 3, false}, {8, 7, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(host::kernel::spinnersFor(c.processors), c.spinners) << c.processors;
        EXPECT_EQ(host::kernel::keepsThreadsOnOneProcessor(c.processors), c.oneProcessor)
            << c.processors;
    }
}

// Spins that see their wake-ups keep the longest spin; a spin now and then that sees none
// shortens the next only a little.
TEST(SpinBudgetTest, WakeUpsThatComeSoonKeepTheSpinLong) {
    SpinBudget budget;
    EXPECT_EQ(budget.next(), kLongestSpin);
    budget.record(true);
    EXPECT_EQ(budget.next(), kLongestSpin) << "never longer than the longest";
    budget.record(false);
    const nanoseconds afterMiss = budget.next();
    EXPECT_LT(afterMiss, kLongestSpin);
    EXPECT_GT(afterMiss, kLongestSpin * 3 / 4);
    budget.record(true);
    EXPECT_EQ(budget.next(), kLongestSpin);
}

// Spins that keep ending without a wake-up get shorter one by one, until the thread sleeps at
// once; then one wait in kProbeInterval spins the shortest while, and wake-ups seen then bring
// the spin back, doubling it each time.
TEST(SpinBudgetTest, SpinsWithoutWakeUpsEndInSleepingAtOnceWithProbes) {
    SpinBudget budget;
    nanoseconds previous = budget.next();
    int misses = 0;
    while (previous > nanoseconds::zero()) {
        budget.record(false);
        ++misses;
        const nanoseconds spin = budget.next();
        if (spin > nanoseconds::zero()) {
            EXPECT_LT(spin, previous);
            EXPECT_GE(spin, kShortestSpin);
        }
        previous = spin;
        ASSERT_LT(misses, 100) << "the spin never stops";
    }
    EXPECT_GT(misses, 10) << "a short run of misses already stops the spin";

    // The wait that gave the first zero counts among the kProbeInterval.
    for (int probe = 0; probe < 4; ++probe) {
        const unsigned first = probe == 0 ? 2 : 1;
        for (unsigned wait = first; wait < kProbeInterval; ++wait) {
            EXPECT_EQ(budget.next(), nanoseconds::zero()) << probe << " " << wait;
        }
        ASSERT_EQ(budget.next(), kShortestSpin) << probe;
        budget.record(probe == 3);
    }

    EXPECT_EQ(budget.next(), 2 * kShortestSpin);
    for (int hit = 0; hit < 5; ++hit) {
        budget.record(true);
    }
    EXPECT_EQ(budget.next(), kLongestSpin);
}

}  // namespace
