// Tree calls from several tasks: single node reads and writes are atomic and go on while a task
// holds the tree access; the tree access itself is exclusive.
#include <gtest/gtest.h>

#include <vector>

#include "HostKernel.h"
#include "TreeTestModel.h"

namespace {

constexpr int kRounds = 2000;

class TreeConcurrencyTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(CreateSemaphore(0, &done), Success); }
    void TearDown() override {
        CloseSemaphore(done);
        host::resetKernel();
    }

    // Runs `body` on `count` kernel tasks and returns when all have finished it.
    template <typename Body>
    void runOnTasks(int count, Body body) {
        for (int i = 0; i < count; ++i) {
            host::spawnTask("tree user", [this, body, i] {
                body(i);
                ReleaseSemaphore(done);
            });
        }
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(WaitForSemaphore(done), Success);
        }
    }

    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    Semaphore done = nullptr;
};

TEST_F(TreeConcurrencyTest, ValueAndStatusAreReadTogether) {
    // Writers keep the status equal to the value; a reader must never see a mixed pair.
    FbDoNode node = tree->at("D");
    std::vector<int> mixed(4, 0);
    runOnTasks(4, [&](int task) {
        for (int round = 0; round < kRounds; ++round) {
            if (task < 2) {
                const uint32_t status = static_cast<uint32_t>(round + task * kRounds);
                FbDo_WriteDouble(node, static_cast<double>(status), &status);
            } else {
                uint32_t status = 0;
                const double value = FbDo_ReadDouble(node, -1.0, &status, 0);
                mixed[task] += value != static_cast<double>(status) && value != 2.5 ? 1 : 0;
            }
        }
    });
    EXPECT_EQ(mixed[2] + mixed[3], 0);
}

TEST_F(TreeConcurrencyTest, RepeatedWritesOfFewPairsKeepEachPairWhole) {
    // Writers cycle through three value and status pairs, so most writes repeat what the node
    // already holds while others change it; readers must see one whole pair every time.
    FbDoNode node = tree->at("D");
    const uint32_t first = 1;
    ASSERT_EQ(FbDo_WriteDouble(node, 1.0, &first), 0);
    std::vector<int> mixed(4, 0);
    runOnTasks(4, [&](int task) {
        for (int round = 0; round < kRounds; ++round) {
            if (task < 2) {
                const uint32_t status = static_cast<uint32_t>(1 + (round / (task + 2)) % 3);
                FbDo_WriteDouble(node, static_cast<double>(status), &status);
            } else {
                uint32_t status = 0;
                const double value = FbDo_ReadDouble(node, -1.0, &status, 0);
                mixed[task] += value != static_cast<double>(status) ? 1 : 0;
            }
        }
    });
    EXPECT_EQ(mixed[2] + mixed[3], 0);
}

TEST_F(TreeConcurrencyTest, NodeReadsAndWritesGoOnDuringATreeAccess) {
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), Success);
    FbDoNode output = tree->at("General.A_gen");
    std::vector<double> sums(3, 0.0);
    runOnTasks(3, [&](int task) {
        for (int round = 0; round < kRounds; ++round) {
            sums[task] += FbDo_ReadDouble(tree->at("p_imp"), 0.0, nullptr, 0);
            FbDo_WriteBool(output, static_cast<uint32_t>(round & 1), nullptr, nullptr, nullptr);
            std::u16string label;
            FbDo_ReadText(tree->at("Label"), &label, nullptr, nullptr, nullptr, nullptr, 0);
        }
    });
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), Success);
    for (double sum : sums) {
        EXPECT_EQ(sum, 9.75 * kRounds);
    }
}

TEST_F(TreeConcurrencyTest, TreeAccessIsExclusive) {
    // A plain counter changed only inside the access: a second holder would race (and lose
    // increments), which the count and the thread sanitizer would show.
    long counter = 0;
    runOnTasks(4, [&](int) {
        for (int round = 0; round < kRounds; ++round) {
            ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), Success);
            counter = counter + 1;
            ASSERT_EQ(FbDo_EndTreeAccess(tree->tree()), Success);
        }
    });
    EXPECT_EQ(counter, 4L * kRounds);
}

TEST_F(TreeConcurrencyTest, EndByAnotherTaskIsRefused) {
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), Success);
    Error fromOtherTask = Success;
    runOnTasks(1, [&](int) { fromOtherTask = FbDo_EndTreeAccess(tree->tree()); });
    EXPECT_EQ(fromOtherTask, NotOwner);
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), Success);
}

}  // namespace
