// Semaphores of the three kinds, timed waits on virtual time, and local mutexes.
#include <chrono>

#include "KernelTestFixture.h"

using namespace std::chrono_literals;

namespace {

class KernelSemaphoreTest : public KernelTest {
  protected:
    Error result = -1;
};

TEST_F(KernelSemaphoreTest, ACountingSemaphoreHandsOutItsCounts) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(2, &semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
    EXPECT_EQ(WaitForSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), ResourceNotAvailable);
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
}

TEST_F(KernelSemaphoreTest, ABinarySemaphoreStartsFreeAndHoldsAtMostOneCount) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateBinarySemaphore(&semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), ResourceNotAvailable);
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), ResourceNotAvailable);
}

TEST_F(KernelSemaphoreTest, AHighestLockerSemaphoreHasAnOwner) {
    Semaphore semaphore = nullptr;
    EXPECT_EQ(CreateHighestLockerSemaphore(2, &semaphore), IllegalParameter);
    ASSERT_EQ(CreateHighestLockerSemaphore(1, &semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), AlreadyOwned);
    EXPECT_EQ(WaitForSemaphore(semaphore), AlreadyOwned) << "no self-deadlock";
    Error release = -1;
    start("stranger", [&] {
        result = TryToObtainSemaphore(semaphore);
        release = ReleaseSemaphore(semaphore);
    });
    EXPECT_EQ(result, ResourceNotAvailable);
    EXPECT_EQ(release, CallerDoesntOwnTheSemaphore);
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(ReleaseSemaphore(semaphore), CallerDoesntOwnTheSemaphore) << "free now";

    Semaphore taken = nullptr;
    ASSERT_EQ(CreateHighestLockerSemaphore(0, &taken), Success);
    EXPECT_EQ(ReleaseSemaphore(taken), Success) << "created owned by its creator";
}

TEST_F(KernelSemaphoreTest, AReleaseHandsTheCountToTheTaskThatWaitsLongest) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateHighestLockerSemaphore(1, &semaphore), Success);
    ASSERT_EQ(WaitForSemaphore(semaphore), Success);
    Error secondResult = -1;
    Task first = start("first", [&] { result = WaitForSemaphore(semaphore); });
    Task second = start("second", [&] { secondResult = SynchronousReceive(semaphore, nullptr); });
    ASSERT_EQ(ReleaseSemaphore(semaphore), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, Success);
    EXPECT_EQ(stateOf(first), host::TaskState::Ended);
    EXPECT_EQ(stateOf(second), host::TaskState::Blocked) << "the first task still owns it";
    EXPECT_EQ(ReleaseSemaphore(semaphore), CallerDoesntOwnTheSemaphore);
}

TEST_F(KernelSemaphoreTest, ATimedWaitRunsOutOnVirtualTime) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    Task waiter = start("waiter", [&] {
        Time timeout{1, 0x80000000u};  // 1.5 s
        result = TimedWaitForSemaphore(semaphore, nullptr, &timeout);
    });
    advance(1499ms);
    EXPECT_EQ(stateOf(waiter), host::TaskState::Blocked);
    advance(1ms);
    EXPECT_EQ(result, OperationTimedOut);
    EXPECT_EQ(stateOf(waiter), host::TaskState::Ended);
}

TEST_F(KernelSemaphoreTest, ATimedWaitSucceedsWhenReleasedInTime) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    start("waiter", [&] {
        Time timeout{5, 0};
        result = TimedWaitForSemaphore(semaphore, GetSystemClock(), &timeout);
    });
    advance(4s);
    ASSERT_EQ(ReleaseSemaphore(semaphore), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, Success);
    advance(10s);
    EXPECT_EQ(result, Success) << "the time-out was dropped with the wait";
}

TEST_F(KernelSemaphoreTest, AZeroTimeOutOnlyTries) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(1, &semaphore), Success);
    Time zero{0, 0};
    EXPECT_EQ(TimedWaitForSemaphore(semaphore, nullptr, &zero), Success);
    EXPECT_EQ(TimedWaitForSemaphore(semaphore, nullptr, &zero), OperationTimedOut);
    Time negative{-1, 0};
    EXPECT_EQ(TimedWaitForSemaphore(semaphore, nullptr, &negative), IllegalParameter);
    EXPECT_EQ(TimedWaitForSemaphore(semaphore, nullptr, nullptr), IllegalParameter);
    EXPECT_EQ(TimedWaitForSemaphore(semaphore, semaphore, &zero), IncorrectObjectType);
}

TEST_F(KernelSemaphoreTest, ClosingASemaphoreWakesItsWaiters) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    start("waiter", [&] { result = WaitForSemaphore(semaphore); });
    ASSERT_EQ(CloseSemaphore(semaphore), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, ObjectIsNotValid);
    EXPECT_EQ(ReleaseSemaphore(semaphore), ObjectIsNotValid);
    EXPECT_EQ(CloseSemaphore(semaphore), ObjectIsNotValid);
}

// The end of an address space (a reset) closes its local mutexes for good, as the device's
// kernel does: memory that outlives it cannot use or close such a handle again.
TEST_F(KernelSemaphoreTest, ALocalMutexTheResetClosedIsInvalidAfterwards) {
    LocalMutex ended = 0;
    LocalMutex closed = 0;
    ASSERT_EQ(CreateLocalMutex(&ended), Success);
    ASSERT_EQ(CreateLocalMutex(&closed), Success);
    ASSERT_EQ(CloseLocalMutex(closed), Success);
    host::resetKernel();
    EXPECT_EQ(WaitForLocalMutex(ended), ObjectIsNotValid);
    EXPECT_EQ(ReleaseLocalMutex(ended), ObjectIsNotValid);
    EXPECT_EQ(CloseLocalMutex(ended), ObjectIsNotValid);
    EXPECT_EQ(CloseLocalMutex(closed), ObjectIsNotValid);
    LocalMutex live = 0;
    ASSERT_EQ(CreateLocalMutex(&live), Success);
    EXPECT_NE(live, ended) << "a handle is not given out again";
    ASSERT_EQ(CloseLocalMutex(live), Success);
    EXPECT_EQ(CloseLocalMutex(live), ObjectIsNotValid);
}

TEST_F(KernelSemaphoreTest, ALocalMutexExcludesOtherTasksUntilReleased) {
    LocalMutex mutex = 0;
    ASSERT_EQ(CreateLocalMutex(&mutex), Success);
    ASSERT_EQ(WaitForLocalMutex(mutex), Success);
    EXPECT_EQ(WaitForLocalMutex(mutex), AlreadyOwned);
    Error release = -1;
    Task other = start("other", [&] {
        release = ReleaseLocalMutex(mutex);
        result = WaitForLocalMutex(mutex);
        ReleaseLocalMutex(mutex);
    });
    EXPECT_EQ(release, NotOwner);
    EXPECT_EQ(stateOf(other), host::TaskState::Blocked);
    ASSERT_EQ(ReleaseLocalMutex(mutex), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, Success);
    EXPECT_EQ(WaitForLocalMutex(mutex), Success) << "released by the other task";
    EXPECT_EQ(ReleaseLocalMutex(mutex), Success);
    EXPECT_EQ(CloseLocalMutex(mutex), Success);
    EXPECT_EQ(WaitForLocalMutex(mutex), ObjectIsNotValid);
    EXPECT_EQ(CreateLocalMutex(nullptr), IllegalParameter);
}

TEST_F(KernelSemaphoreTest, ClosingALocalMutexWakesItsWaiters) {
    LocalMutex mutex = 0;
    ASSERT_EQ(CreateLocalMutex(&mutex), Success);
    ASSERT_EQ(WaitForLocalMutex(mutex), Success);
    start("waiter", [&] { result = WaitForLocalMutex(mutex); });
    ASSERT_EQ(CloseLocalMutex(mutex), Success);
    host::waitForQuiescence();
    EXPECT_EQ(result, ObjectIsNotValid);
}

}  // namespace
