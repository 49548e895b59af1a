// Helpers of the group tests: the limits of a group out of the way, one group cycle with the
// collective flags, and the tail of a construction failure's text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TreeFixture.h"

// The caller's three collective flags of a cycle.
struct Collective {
    bool alarm = false;
    bool warning = false;
    bool inputFailure = false;
};

class GroupFixture : public TreeFixture {
  protected:
    // Sets every parameter named <prefix><token> of `group` to `value`.
    void setAll(const std::string& group, const std::string& prefix,
                const std::vector<std::string>& tokens, double value) {
        for (const std::string& token : tokens) {
            tree->setDouble(group + "." + prefix + token, value);
        }
    }

    // One cycle of a group that starts from `before`.
    template <typename Group>
    static Collective cycle(Group& group, Collective before = {}) {
        group.update(before.alarm, before.warning, before.inputFailure);
        return before;
    }
    template <typename Group>
    Collective cycleEndingHour(Group& group) {
        tree->setBool("General.TrigAvg_Hour", true);
        const Collective c = cycle(group);
        tree->setBool("General.TrigAvg_Hour", false);
        return c;
    }
};

// Expects `build` to throw std::invalid_argument whose text ends in "<check> is NULL".
inline void expectMissingNode(const std::function<void()>& build, const std::string& check) {
    try {
        build();
        ADD_FAILURE() << "no exception for " << check;
    } catch (const std::invalid_argument& error) {
        const std::string text = error.what();
        const std::string tail = " " + check + " is NULL";
        EXPECT_TRUE(text.size() >= tail.size() &&
                    text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
            << text;
    }
}
