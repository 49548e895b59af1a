#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>

#include "HostKernel.h"
#include "HostTrace.h"
#include "libUtils/ConcurrencyHelper.h"

using namespace std::chrono_literals;

namespace {

using Counting = KernelSemaphore<KernelSemaphoreKind::Counting>;
using Binary = KernelSemaphore<KernelSemaphoreKind::Binary>;
using HighestLocker = KernelSemaphore<KernelSemaphoreKind::HighestLocker>;

constexpr uint32_t kActivityCloseFailedTrace = 0x650051;
const std::string kSource = "libUtils/ConcurrencyHelper.cpp:";

class KernelObjectWrapperTest : public ::testing::Test {
  protected:
    void SetUp() override { host::resetKernel(); }
    void TearDown() override { host::resetKernel(); }

    static std::string failureText(const std::function<void()>& action) {
        try {
            action();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "no exception";
    }

    static host::TaskState stateOf(Task task) {
        host::TaskInfo info;
        EXPECT_EQ(host::describeTask(task, &info), Success);
        return info.state;
    }

    int timedResult = -1;  // -1 while the wait runs, else the bool it returned
    uint32_t completedId = 0;
};

TEST_F(KernelObjectWrapperTest, TryObtainReportsATakenSemaphoreAsFalse) {
    Binary semaphore(0);
    EXPECT_TRUE(semaphore.tryObtain());
    EXPECT_FALSE(semaphore.tryObtain());
    semaphore.release();
    EXPECT_TRUE(semaphore.tryObtain());
}

TEST_F(KernelObjectWrapperTest, ATimedWaitOfZeroOnlyTries) {
    Counting semaphore(1);
    EXPECT_TRUE(semaphore.timedWait(0));
    EXPECT_FALSE(semaphore.timedWait(0));
}

TEST_F(KernelObjectWrapperTest, ATimedWaitConvertsMillisecondsWithTheRoundedDownFactor) {
    Counting semaphore(0);
    Task waiter = host::spawnTask("waiter", [&] { timedResult = semaphore.timedWait(1500); });
    // 1500 ms = 1 s + 500 x 4294967 units of 2^-32 s = 1.4999999655... s: 148 units (34 ns)
    // short of the 1.5 s that the exact factor 4294967.296 would give.
    ASSERT_EQ(host::advanceTime(1499999964ns), Success);
    EXPECT_EQ(stateOf(waiter), host::TaskState::Blocked);
    ASSERT_EQ(host::advanceTime(1ns), Success);
    EXPECT_EQ(timedResult, 0);
    EXPECT_EQ(stateOf(waiter), host::TaskState::Ended);
}

TEST_F(KernelObjectWrapperTest, ATimedWaitSucceedsWhenReleasedInTime) {
    Counting semaphore(0);
    host::spawnTask("waiter", [&] { timedResult = semaphore.timedWait(2000); });
    ASSERT_EQ(host::advanceTime(1s), Success);
    semaphore.release();
    host::waitForQuiescence();
    EXPECT_EQ(timedResult, 1);
}

struct CreateFailure {
    const char* call;
    std::function<void()> create;
    int line;
};

TEST_F(KernelObjectWrapperTest, FailedCreationsNameTheSourceLineCallAndCode) {
    const CreateFailure cases[] = {
        {"CreateSemaphore", [] { Counting semaphore(3); }, 92},
        {"CreateBinarySemaphore", [] { Binary semaphore(0); }, 99},
        {"CreateHighestLockerSemaphore", [] { HighestLocker semaphore(1); }, 106},
        {"CreateCondition",
         [] {
             Binary lock(0);
             KernelCondition condition(lock);
         },
         193},
        {"CreateActivity", [] { KernelActivity activity(CurrentTask(), 255, 0, 1); }, 220},
    };
    for (const CreateFailure& c : cases) {
        host::failNextCall(c.call, 5);
        EXPECT_EQ(failureText(c.create),
                  kSource + std::to_string(c.line) + " " + c.call + " failed with [5]");
    }
}

struct CallFailure {
    const char* injected;
    Error code;
    std::function<void(Counting&, KernelCondition&, KernelActivity&)> call;
    std::string expected;
};

TEST_F(KernelObjectWrapperTest, FailedCallsNameTheirLineAndTheWrapperStaysUsable) {
    const CallFailure cases[] = {
        {"WaitForSemaphore", 2, [](Counting& s, KernelCondition&, KernelActivity&) { s.wait(); },
         "127 WaitForSemaphore failed with [2]"},
        {"WaitForSemaphore", 2, [](Counting& s, KernelCondition&, KernelActivity&) { s.lock(); },
         "133 WaitForSemaphore failed with [2]"},
        {"ReleaseSemaphore", -3,
         [](Counting& s, KernelCondition&, KernelActivity&) { s.release(); },
         "139 ReleaseSemaphore failed with [-3]"},
        {"TimedWaitForSemaphore", 2,
         [](Counting& s, KernelCondition&, KernelActivity&) { s.timedWait(10); },
         "170 TimedWaitForSemaphore failed with [2]"},
        {"ReleaseSemaphore", 2, [](Counting& s, KernelCondition&, KernelActivity&) { s.unlock(); },
         "176 ReleaseSemaphore failed with [2]"},
        {"ReleaseSemaphore", 2,
         [](Counting& s, KernelCondition&, KernelActivity&) { s.unlockIfOwner(); },
         "182 ReleaseSemaphore failed with [2]"},
        {"WaitForCondition", 2, [](Counting&, KernelCondition& c, KernelActivity&) { c.wait(); },
         "203 WaitForCondition failed with [2]"},
        {"SignalCondition", 2, [](Counting&, KernelCondition& c, KernelActivity&) { c.signal(); },
         "208 SignalCondition failed with [2]"},
        {"BroadcastCondition", 2,
         [](Counting&, KernelCondition& c, KernelActivity&) { c.broadcast(); },
         "213 BroadcastCondition failed with [2]"},
        {"AsynchronousReceive", 2,
         [](Counting& s, KernelCondition&, KernelActivity& a) { a.receive(s); },
         "238 AsynchronousReceive failed with [2]"},
        {"AsynchronousReceive", 2,
         [](Counting&, KernelCondition&, KernelActivity& a) { a.receive(GetSystemClock()); },
         "233 AsynchronousReceive failed with [2]"},
        {"ResetActivity", 2, [](Counting&, KernelCondition&, KernelActivity& a) { a.reset(); },
         "254 ResetActivity failed with [2]"},
    };
    Counting semaphore(1);
    Binary lock(0);
    KernelCondition condition(lock);
    KernelActivity activity(CurrentTask(), 255, 0, 7);
    for (const CallFailure& c : cases) {
        host::failNextCall(c.injected, c.code);
        EXPECT_EQ(failureText([&] { c.call(semaphore, condition, activity); }),
                  kSource + c.expected);
    }
    EXPECT_TRUE(semaphore.tryObtain()) << "still usable after its failures";
    host::failNextCall("TryToObtainSemaphore", 2);
    EXPECT_EQ(failureText([&] { semaphore.tryObtain(); }), "TryToObtainSemaphore failed");
}

TEST_F(KernelObjectWrapperTest, AReceiveOnEachSemaphoreKindNamesItsOwnLine) {
    Binary binary(0);
    HighestLocker locker(1);
    KernelActivity activity(CurrentTask(), 255, 0, 7);
    host::failNextCall("AsynchronousReceive", 4);
    EXPECT_EQ(failureText([&] { activity.receive(binary); }),
              kSource + "244 AsynchronousReceive failed with [4]");
    host::failNextCall("AsynchronousReceive", 4);
    EXPECT_EQ(failureText([&] { activity.receive(locker); }),
              kSource + "249 AsynchronousReceive failed with [4]");
}

TEST_F(KernelObjectWrapperTest, UnlockIfOwnerToleratesAStrangerWhereUnlockThrows) {
    HighestLocker semaphore(1);
    semaphore.lock();
    std::string unlockText;
    bool unlockIfOwnerReturned = false;
    host::spawnTask("stranger", [&] {
        semaphore.unlockIfOwner();
        unlockIfOwnerReturned = true;
        unlockText = failureText([&] { semaphore.unlock(); });
    });
    host::waitForQuiescence();
    EXPECT_TRUE(unlockIfOwnerReturned);
    EXPECT_EQ(unlockText, kSource + "176 ReleaseSemaphore failed with [140]");
    semaphore.unlockIfOwner();  // the owner's release
    EXPECT_TRUE(semaphore.tryObtain());
}

TEST_F(KernelObjectWrapperTest, AnActivityReportsItsIdWhenItsReceiveCompletes) {
    Counting semaphore(0);
    host::spawnTask("waiter", [&] {
        KernelActivity activity(CurrentTask(), 255, 0, 2001);
        EXPECT_TRUE(activity.hasId(2001));
        EXPECT_FALSE(activity.hasId(2002));
        EXPECT_FALSE(activity.hasId(0));
        activity.receive(semaphore);
        Error status = -1;
        completedId = waitForActivity(&status);
        EXPECT_EQ(status, Success);
    });
    host::waitForQuiescence();
    EXPECT_EQ(completedId, 0u);
    semaphore.release();
    host::waitForQuiescence();
    EXPECT_EQ(completedId, 2001u);
    EXPECT_FALSE(semaphore.tryObtain()) << "the receive took the count";
}

TEST_F(KernelObjectWrapperTest, AResetReceiveNeverCompletes) {
    Counting semaphore(0);
    KernelActivity activity(CurrentTask(), 255, 0, 3);
    activity.receive(semaphore);
    activity.reset();
    semaphore.release();
    EXPECT_TRUE(semaphore.tryObtain());
    activity.receive(semaphore);  // usable again
}

TEST_F(KernelObjectWrapperTest, AFailedActivityCloseIsTracedWithTheCodeAndItsName) {
    host::TraceCapture capture;
    auto* activity = new KernelActivity(CurrentTask(), 255, 0, 3);
    host::failNextCall("closeKernelObject", ResourceNotAvailable);
    EXPECT_NO_THROW(delete activity);
    auto records = capture.withId(kActivityCloseFailedTrace);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 138);
    EXPECT_EQ(records[0].textArg(1), "ResourceNotAvailable");
}

TEST_F(KernelObjectWrapperTest, AConditionWaitLetsGoOfTheLockUntilSignalled) {
    Binary lock(0);
    KernelCondition condition(lock);
    int woken = 0;
    host::spawnTask("waiter", [&] {
        lock.lock();
        condition.wait();
        ++woken;
        lock.unlock();
    });
    host::waitForQuiescence();
    EXPECT_TRUE(lock.tryObtain()) << "the waiter released the lock";
    lock.unlock();
    condition.signal();
    host::waitForQuiescence();
    EXPECT_EQ(woken, 1);
    condition.broadcast();  // nobody waits
}

}  // namespace
