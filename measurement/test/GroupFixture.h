// Helpers of the group tests: the limits of a group out of the way, one group cycle with the
// collective flags, and the tail of a construction failure's text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TreeFixture.h"
#include "util/Buffer.h"

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

    // One cycle of a group that starts from `before`, on this cycle's period ends: both halves.
    template <typename Group>
    Collective cycle(Group& group, Collective before = {}) {
        const PeriodEnds ends = periodEnds();
        group.update(ends, before.alarm, before.warning, before.inputFailure);
        group.publish(ends);
        return before;
    }
    // Runs a cycle of `make()`'s group with the input of host i at 10 (i + 1), saves it, checks
    // that host i's bytes hold its own sums (its hour's plain sum at offset 16 of its 64 bytes),
    // and that a group restored from them goes on from those sums.
    template <typename Make>
    void expectSavedStatesInHostOrder(Make make, const std::string& group,
                                      const std::vector<std::string>& tokens) {
        auto first = make();
        first->restore(nullptr);
        for (size_t i = 0; i < tokens.size(); ++i) {
            tree->setDouble(group + ".Imp_" + tokens[i], 10.0 * (i + 1));
        }
        cycle(*first);
        ManagedBuff saved(static_cast<uint32_t>(tokens.size() * 64));
        first->save(saved);
        EXPECT_EQ(saved.offset(), tokens.size() * 64);
        for (size_t i = 0; i < tokens.size(); ++i) {
            saved.setPosition(static_cast<uint32_t>(i * 64 + 16));
            EXPECT_DOUBLE_EQ(saved.readValue<double>(), 10.0 * (i + 1)) << tokens[i];
        }
        auto restarted = make();
        saved.rewind();
        restarted->restore(&saved);
        setAll(group, "Imp_", tokens, 0.0);
        cycle(*restarted);
        for (size_t i = 0; i < tokens.size(); ++i) {
            EXPECT_DOUBLE_EQ(tree->doubleValue(group + ".ChA_" + tokens[i]), 5.0 * (i + 1))
                << tokens[i];
        }
    }

    template <typename Group>
    Collective cycleEndingHour(Group& group) {
        tree->setBool("General.TrigAvg_Hour", true);
        const Collective c = cycle(group);
        tree->setBool("General.TrigAvg_Hour", false);
        return c;
    }
};

// A node left out of the model, and the check text that its absence must give.
struct MissingNode {
    const char* parent;  // dotted path of the node's parent ("" for the root)
    const char* name;
    const char* check;
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

// For each case: builds a tree without the node, has `build(tree, case)` construct from it, and
// expects the case's check text and every parameter object of what was built to be gone again.
template <typename Build>
void expectEachMissingNodeStops(const std::vector<MissingNode>& cases, Build build) {
    for (const MissingNode& c : cases) {
        SCOPED_TRACE(c.check);
        auto tree = TreeFixture::treeWithout(c.parent, c.name);
        const size_t members = UpdatableRegistry::instance().memberCount();
        expectMissingNode([&] { build(*tree, c); }, c.check);
        EXPECT_EQ(UpdatableRegistry::instance().memberCount(), members);
    }
}
