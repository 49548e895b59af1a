// The preprocessing object's lock: taken by RefreshPreprocessing, DoPreprocessing and the
// display entry so that another task never sees a half-done refresh or cycle, and its kernel
// failures, which are traced and leave the object untouched.
#include <gtest/gtest.h>

#include "HostKernel.h"
#include "HostService.h"
#include "HostTrace.h"
#include "Kernel.h"
#include "PPTestTree.h"
#include "TarvoTrace.h"
#include "ZUB_Preprocessing.h"

using pptest::PPTestTree;

namespace {

class ObjectLock : public ::testing::Test {
  protected:
    void TearDown() override { host::resetKernel(); }
};

TEST_F(ObjectLock, NoMutexMeansNoObject) {
    PPTestTree tree("calorant-tree.json");
    host::TraceCapture capture;
    host::failNextCall("CreateLocalMutex", ResourceNotAvailable);
    EXPECT_EQ(1, CreatePreprocessing(tree.tree(), pptest::kPPRoot, 0));
    EXPECT_EQ(nullptr, tree.object());
    EXPECT_TRUE(capture.contains(TraceId(0x7b, 26, 3)));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 7, 1)));
}

TEST_F(ObjectLock, AFailedWaitSkipsTheCycleAndItsCommit) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    const uint32_t commits = tree.host().commitCount();
    host::TraceCapture capture;
    host::failNextCall("WaitForLocalMutex", ObjectIsNotValid);
    EXPECT_EQ(1, tree.pass());
    EXPECT_EQ(commits, tree.host().commitCount());
    EXPECT_TRUE(capture.contains(TraceId(0x7b, 28, 3)));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 1, 3)));
    EXPECT_EQ(0, tree.pass()) << "the next cycle runs";
}

TEST_F(ObjectLock, AFailedWaitSkipsTheRefresh) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, CreatePreprocessing(tree.tree(), pptest::kPPRoot, 0));
    host::TraceCapture capture;
    host::failNextCall("WaitForLocalMutex", ObjectIsNotValid);
    EXPECT_EQ(0, tree.refresh());
    EXPECT_FALSE(tree.object()->displayPage().refill);
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 15, 3)));
    EXPECT_EQ(0, tree.refresh());
    EXPECT_TRUE(tree.object()->displayPage().refill);
}

// The display entry waits for the same lock, so a command never meets a half-done refresh or
// cycle; a failed wait is traced and the record is not taken.
TEST_F(ObjectLock, TheDisplayEntryTakesTheLock) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    const std::vector<uint8_t> bytes = host::makeServiceRecord(64000, 2);
    const PEGCommand record(bytes.data(), static_cast<uint32_t>(bytes.size()));
    host::TraceCapture capture;
    host::failNextCall("WaitForLocalMutex", ObjectIsNotValid);
    EXPECT_EQ(0, HandlePreprocessingDisplayEvent(tree.tree(), &record));
    EXPECT_TRUE(capture.contains(TraceId(0x7b, 28, 3)));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 15, 3)));
}

TEST_F(ObjectLock, AFailedReleaseIsTraced) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    host::TraceCapture capture;
    host::failNextCall("ReleaseLocalMutex", NotOwner);
    EXPECT_EQ(0, tree.pass());
    EXPECT_TRUE(capture.contains(TraceId(0x7b, 29, 3)));
}

// A refresh on another task while this one cycles: each waits for the other, so every pass sees
// whole configurations (the thread sanitizer run checks that nothing is shared unguarded).
TEST_F(ObjectLock, RefreshOnAnotherTaskWhileCycling) {
    constexpr int kRounds = 40;
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    Semaphore done = nullptr;
    ASSERT_EQ(Success, CreateSemaphore(0, &done));
    FbDoTree* shared = tree.tree();
    host::spawnTask("refresher", [shared, done] {
        for (int round = 0; round < kRounds; ++round) {
            RefreshPreprocessing(nullptr, shared);
        }
        ReleaseSemaphore(done);
    });
    for (int round = 0; round < kRounds; ++round) {
        EXPECT_EQ(0, tree.pass());
    }
    ASSERT_EQ(Success, WaitForSemaphore(done));
    EXPECT_EQ(0, tree.pass());
    EXPECT_EQ(4u, GetNumberOfPPGroups(tree.tree()));
    CloseSemaphore(done);
}

// Display commands on another task while this one refreshes and cycles: the page reads the
// lines, masks and rows only under the object's lock (the thread sanitizer run checks it).
TEST_F(ObjectLock, DisplayCommandsOnAnotherTaskWhileRefreshingAndCycling) {
    constexpr int kRounds = 40;
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    Semaphore done = nullptr;
    ASSERT_EQ(Success, CreateSemaphore(0, &done));
    FbDoTree* shared = tree.tree();
    int handled = 0;
    host::spawnTask("display", [shared, done, &handled] {
        const std::vector<uint8_t> records[] = {
            host::makeServiceRecord(64000, 2), host::makeServiceRecord(64000, 7),
            host::makeServiceRecord(64101, 29, host::u32Payload(3))};
        for (int round = 0; round < kRounds; ++round) {
            const std::vector<uint8_t>& bytes = records[round % 3];
            const PEGCommand record(bytes.data(), static_cast<uint32_t>(bytes.size()));
            handled += HandlePreprocessingDisplayEvent(shared, &record);
        }
        ReleaseSemaphore(done);
    });
    for (int round = 0; round < kRounds; ++round) {
        EXPECT_EQ(0, round % 2 == 0 ? tree.pass() : tree.refresh());
    }
    ASSERT_EQ(Success, WaitForSemaphore(done));
    EXPECT_EQ(kRounds, handled) << "every record was the page's";
    CloseSemaphore(done);
}

}  // namespace
