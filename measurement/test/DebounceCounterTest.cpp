#include "DebounceCounter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Feeds `samples` ('1' true, '0' false) and compares each result with `states`.
void expectStates(DebounceCounter& counter, const std::string& samples, const std::string& states) {
    ASSERT_EQ(samples.size(), states.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(counter.update(samples[i] == '1'), states[i] == '1')
            << "sample " << i << " of " << samples;
    }
}

TEST(DebounceCounter, FollowsAChangeInTheSixthDifferingSample) {
    struct Case {
        const char* name;
        const char* samples;
        const char* states;
    };
    const std::vector<Case> cases = {
        {"six in a row", "111111", "000001"},
        {"five, then an equal sample restarts the count", "111110111111", "000000000001"},
        {"a single differing sample changes nothing", "11111101000000", "00000111111110"},
    };
    for (const Case& c : cases) {
        DebounceCounter counter(false, 5);
        expectStates(counter, c.samples, c.states);
    }
}

TEST(DebounceCounter, ResetReturnsToTheInitialState) {
    DebounceCounter counter(false, 5);
    expectStates(counter, "111111", "000001");
    counter.reset();
    expectStates(counter, "0111111", "0000001");
    DebounceCounter highFirst(true, 2);
    expectStates(highFirst, "000", "110");
    highFirst.reset();
    expectStates(highFirst, "1", "1");
}

}  // namespace
