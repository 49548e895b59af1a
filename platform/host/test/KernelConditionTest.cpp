// Conditions: waits release the lock and take it again; signal, broadcast and time-outs.
#include <chrono>

#include "KernelTestFixture.h"

using namespace std::chrono_literals;

namespace {

class KernelConditionTest : public KernelTest {
  protected:
    void SetUp() override {
        KernelTest::SetUp();
        ASSERT_EQ(CreateBinarySemaphore(&lock), Success);
        ASSERT_EQ(CreateCondition(&condition, lock, 0), Success);
    }

    // A task that takes the lock, waits on the condition and notes whether it holds the lock
    // again afterwards.
    Task startWaiter(const char* name, Error* result, const Time* timeout = nullptr) {
        return start(name, [this, result, timeout] {
            WaitForSemaphore(lock);
            *result = WaitForCondition(condition, nullptr, timeout);
            lockHeldAfterWait += TryToObtainSemaphore(lock) == ResourceNotAvailable ? 1 : 0;
            ReleaseSemaphore(lock);
        });
    }

    Semaphore lock = nullptr;
    Condition condition = nullptr;
    int lockHeldAfterWait = 0;
};

TEST_F(KernelConditionTest, AWaitReleasesTheLockAndASignalWakesOneWaiter) {
    Error first = -1;
    Error second = -1;
    Task one = startWaiter("one", &first);
    Task two = startWaiter("two", &second);
    EXPECT_EQ(TryToObtainSemaphore(lock), Success) << "the waiters gave the lock back";
    ASSERT_EQ(SignalCondition(condition), Success);
    host::waitForQuiescence();
    EXPECT_EQ(stateOf(one), host::TaskState::Blocked) << "needs the lock the test holds";
    ASSERT_EQ(ReleaseSemaphore(lock), Success);
    host::waitForQuiescence();

    EXPECT_EQ(first, Success);
    EXPECT_EQ(stateOf(one), host::TaskState::Ended);
    EXPECT_EQ(stateOf(two), host::TaskState::Blocked);
    EXPECT_EQ(lockHeldAfterWait, 1);
}

TEST_F(KernelConditionTest, ABroadcastWakesEveryWaiter) {
    Error first = -1;
    Error second = -1;
    startWaiter("one", &first);
    startWaiter("two", &second);
    ASSERT_EQ(BroadcastCondition(condition), Success);
    host::waitForQuiescence();
    EXPECT_EQ(first, Success);
    EXPECT_EQ(second, Success);
    EXPECT_EQ(lockHeldAfterWait, 2);
    EXPECT_EQ(SignalCondition(condition), Success) << "nobody waits: nothing happens";
}

TEST_F(KernelConditionTest, ATimedWaitRunsOutAndStillTakesTheLockAgain) {
    Error result = -1;
    Time timeout{2, 0};
    startWaiter("waiter", &result, &timeout);
    advance(1999ms);
    EXPECT_EQ(result, -1);
    advance(1ms);
    EXPECT_EQ(result, OperationTimedOut);
    EXPECT_EQ(lockHeldAfterWait, 1);
}

TEST_F(KernelConditionTest, OnlyTheOwnerOfAHighestLockerLockMayWait) {
    Semaphore owned = nullptr;
    Condition guarded = nullptr;
    ASSERT_EQ(CreateHighestLockerSemaphore(1, &owned), Success);
    ASSERT_EQ(CreateCondition(&guarded, owned, 0), Success);
    EXPECT_EQ(WaitForCondition(guarded, nullptr, nullptr), CallerDoesntOwnTheSemaphore);
    EXPECT_EQ(CreateCondition(&guarded, owned, 1), IllegalParameter);
    EXPECT_EQ(CreateCondition(&guarded, condition, 0), IncorrectObjectType);
}

TEST_F(KernelConditionTest, ClosingAConditionWakesItsWaitersWithAnError) {
    Error result = -1;
    startWaiter("waiter", &result);
    ASSERT_EQ(CloseCondition(condition), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, ObjectIsNotValid);
    EXPECT_EQ(lockHeldAfterWait, 1);
}

}  // namespace
