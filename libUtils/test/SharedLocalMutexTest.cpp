#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "HostKernel.h"
#include "HostTrace.h"
#include "libUtils/ConcurrencyHelper.h"

namespace {

constexpr uint32_t kCreateFailedTrace = 0x650013;
constexpr uint32_t kCloseFailedTrace = 0x650023;
constexpr uint32_t kWaitFailedTrace = 0x650033;
constexpr uint32_t kReleaseFailedTrace = 0x650043;

class SharedLocalMutexTest : public ::testing::Test {
  protected:
    void SetUp() override { host::resetKernel(); }
    void TearDown() override { host::resetKernel(); }

    // The one record of `id`, with its code argument.
    int32_t tracedCode(uint32_t id) {
        auto records = capture.withId(id);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? -1 : records[0].intArg(0);
    }

    template <class Action>
    static std::string failureText(Action action) {
        try {
            action();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "no exception";
    }

    host::TraceCapture capture;
    int entered = 0;
};

TEST_F(SharedLocalMutexTest, CopiesShareOneMutexThatTheLastCopyCloses) {
    const size_t before = host::openObjectCount();
    {
        SharedLocalMutex mutex;
        EXPECT_EQ(host::openObjectCount(), before + 1);
        {
            SharedLocalMutex copy(mutex);
            EXPECT_EQ(host::openObjectCount(), before + 1) << "a copy makes no new mutex";
            ScopedMutexLock lock(copy);
        }
        EXPECT_EQ(host::openObjectCount(), before + 1) << "the first object keeps it open";
        ScopedMutexLock lock(mutex);
    }
    EXPECT_EQ(host::openObjectCount(), before);
    EXPECT_TRUE(capture.withId(kCloseFailedTrace).empty());
}

TEST_F(SharedLocalMutexTest, AScopedLockKeepsOtherTasksOutUntilItEnds) {
    SharedLocalMutex mutex;
    {
        ScopedMutexLock lock(mutex);
        host::spawnTask("other", [&] {
            ScopedMutexLock inner(mutex);
            ++entered;
        });
        host::waitForQuiescence();
        EXPECT_EQ(entered, 0);
    }
    host::waitForQuiescence();
    EXPECT_EQ(entered, 1);
    ScopedMutexLock again(mutex);  // the other task has unlocked it
}

TEST_F(SharedLocalMutexTest, AFailedCreationThrowsTracesAndLeavesNothing) {
    const size_t before = host::openObjectCount();
    host::failNextCall("CreateLocalMutex", 5);
    EXPECT_EQ(failureText([] { SharedLocalMutex mutex; }), "CreateLocalMutex failed");
    EXPECT_EQ(tracedCode(kCreateFailedTrace), 5);
    EXPECT_EQ(host::openObjectCount(), before);
}

TEST_F(SharedLocalMutexTest, AFailedLockThrowsItsFixedTextAndHoldsNothing) {
    SharedLocalMutex mutex;
    host::failNextCall("WaitForLocalMutex", 17);
    EXPECT_EQ(failureText([&] { ScopedMutexLock lock(mutex); }), "WaitForLocalMutex failed");
    EXPECT_EQ(tracedCode(kWaitFailedTrace), 17);
    host::spawnTask("other", [&] {
        ScopedMutexLock lock(mutex);
        ++entered;
    });
    host::waitForQuiescence();
    EXPECT_EQ(entered, 1) << "the failed lock held nothing";
}

TEST_F(SharedLocalMutexTest, AFailedUnlockThrowsButNotOutOfTheScopedLock) {
    SharedLocalMutex mutex;
    mutex.lock();
    host::failNextCall("ReleaseLocalMutex", 19);
    EXPECT_EQ(failureText([&] { mutex.unlock(); }), "ReleaseLocalMutex failed");
    mutex.unlock();
    capture.clear();

    EXPECT_NO_THROW({
        ScopedMutexLock lock(mutex);
        host::failNextCall("ReleaseLocalMutex", 19);
    });
    EXPECT_EQ(tracedCode(kReleaseFailedTrace), 19);
    mutex.unlock();  // the failed release left it held
}

TEST_F(SharedLocalMutexTest, AFailedCloseIsTracedNotThrown) {
    auto* mutex = new SharedLocalMutex();
    host::failNextCall("CloseLocalMutex", 23);
    EXPECT_NO_THROW(delete mutex);
    EXPECT_EQ(tracedCode(kCloseFailedTrace), 23);
}

}  // namespace
