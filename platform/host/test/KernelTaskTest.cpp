// Tasks: creation and start, names, identification words, halting, ending, faults, quiescence
// and the reset that ends every task.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>

#include "KernelTestFixture.h"

using namespace std::chrono_literals;

namespace {

class KernelTaskTest : public KernelTest {
  protected:
    static void identifyYourself();

    int ticks = 0;
    uintptr_t seenIdentification = 0;
    Task seenSelf = nullptr;
    std::string faultText;
    std::atomic<int> unwound{0};  // counted by the unwinding tasks of a reset
};

KernelTaskTest* runningFixture = nullptr;

void KernelTaskTest::identifyYourself() {
    GetTaskIdentification(CurrentTask(), &runningFixture->seenIdentification);
    runningFixture->seenSelf = CurrentTask();
}

TEST_F(KernelTaskTest, ACreatedTaskRunsOnlyOnceStartedAndKnowsItself) {
    runningFixture = this;
    Task task = nullptr;
    ASSERT_EQ(createTask("AsHealthTask", 8, 8192, &KernelTaskTest::identifyYourself, &task),
              Success);
    ASSERT_EQ(SetTaskIdentification(task, 0x1234), Success);
    host::waitForQuiescence();
    EXPECT_EQ(stateOf(task), host::TaskState::Created);
    EXPECT_EQ(seenSelf, nullptr);

    ASSERT_EQ(RunTask(task), Success);
    host::waitForQuiescence();
    EXPECT_EQ(seenSelf, task);
    EXPECT_EQ(seenIdentification, 0x1234u);
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(task, &info), Success);
    EXPECT_EQ(info.name, "AsHealthTask");
    EXPECT_EQ(info.priority, 8u);
    EXPECT_EQ(info.stackSize, 8192u);
    EXPECT_EQ(info.state, host::TaskState::Ended);
    EXPECT_EQ(RunTask(task), TaskHasEnded);
    EXPECT_EQ(HaltTask(task), TaskHasEnded);
}

TEST_F(KernelTaskTest, CreateTaskChecksItsArguments) {
    Task task = nullptr;
    EXPECT_EQ(createTask("t", 8, 0, nullptr, &task), IllegalParameter);
    EXPECT_EQ(createTask("t", 256, 0, &KernelTaskTest::identifyYourself, &task), IllegalParameter);
    EXPECT_EQ(createTask("t", 8, 0, &KernelTaskTest::identifyYourself, nullptr), IllegalParameter);
    EXPECT_EQ(RunTask(nullptr), NULLObjectSpecified);
}

TEST_F(KernelTaskTest, TaskNamesAreCopiedUpToTheGivenLength) {
    Task task = host::spawnTask("ZUB_PEG_Service", [] {});
    char buffer[8];
    uint32_t length = 0;
    ASSERT_EQ(GetTaskName(task, buffer, 7, &length), Success);
    buffer[length] = '\0';
    EXPECT_EQ(length, 7u);
    EXPECT_STREQ(buffer, "ZUB_PEG");

    char whole[64];
    ASSERT_EQ(GetTaskName(task, whole, 63, &length), Success);
    EXPECT_STREQ(whole, "ZUB_PEG_Service");
    EXPECT_EQ(GetTaskName(task, nullptr, 63, &length), IllegalParameter);

    host::setCurrentTaskName("initial");
    ASSERT_EQ(GetTaskName(CurrentTask(), whole, 63, nullptr), Success);
    EXPECT_STREQ(whole, "initial");
}

TEST_F(KernelTaskTest, AHaltedTaskStopsAtItsNextWaitUntilRunAgain) {
    Task ticker = start("ticker", [this] {
        for (;;) {
            basiclib::sleep(1);
            ++ticks;
        }
    });
    advance(3s);
    EXPECT_EQ(ticks, 3);
    ASSERT_EQ(HaltTask(ticker), Success);
    advance(3s);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(stateOf(ticker), host::TaskState::Halted);

    ASSERT_EQ(RunTask(ticker), Success);
    host::waitForQuiescence();
    EXPECT_EQ(ticks, 4) << "the sleep that ended while halted counts once";
    advance(1s);
    EXPECT_EQ(ticks, 5);
}

TEST_F(KernelTaskTest, ExitTaskEndsTheTaskWithItsCode) {
    Task task = start("ending", [this] {
        exitTask(NULLObjectSpecified);
        ++ticks;  // never reached
    });
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(task, &info), Success);
    EXPECT_EQ(info.state, host::TaskState::Ended);
    EXPECT_EQ(info.exitCode, NULLObjectSpecified);
    EXPECT_EQ(ticks, 0);
    EXPECT_THROW(exitTask(Success), std::logic_error) << "not a task the kernel created";
}

TEST_F(KernelTaskTest, AnEndingTaskKnowsItsCodeIsUnwinding) {
    std::atomic<int> beforeEnd{-1};
    std::atomic<int> whileEnding{-1};
    auto ending = [&](auto end) {
        return [&beforeEnd, &whileEnding, end] {
            beforeEnd = TaskIsEnding();
            try {
                end();
            } catch (...) {
                whileEnding = TaskIsEnding();
                throw;
            }
        };
    };
    // Ended by itself.
    Task task = start("exiting", ending([] { exitTask(Success); }));
    EXPECT_EQ(stateOf(task), host::TaskState::Ended);
    EXPECT_EQ(beforeEnd, 0);
    EXPECT_EQ(whileEnding, 1);
    // Ended by the reset, in a wait.
    beforeEnd = -1;
    whileEnding = -1;
    Semaphore never = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &never), Success);
    start("waiting", ending([never] { WaitForSemaphore(never); }));
    host::resetKernel();
    EXPECT_EQ(beforeEnd, 0);
    EXPECT_EQ(whileEnding, 1);
    // Another exception, and a thread the kernel did not create, are not an ending.
    start("throwing", [&whileEnding] {
        try {
            throw std::runtime_error("program fault");
        } catch (...) {
            whileEnding = TaskIsEnding();
        }
    });
    EXPECT_EQ(whileEnding, 0);
    EXPECT_EQ(TaskIsEnding(), 0);
}

TEST_F(KernelTaskTest, AnEnrolledTasksExceptionGoesToTheErrorHandler) {
    host::setTaskFaultHandler([this](Task, const char* what) { faultText = what; });
    Task task = start("faulty", [] {
        installTaskErrorHandler(CurrentTask());
        throw std::runtime_error("boom");
    });
    EXPECT_EQ(faultText, "boom");
    EXPECT_EQ(stateOf(task), host::TaskState::Ended);
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(task, &info), Success);
    EXPECT_TRUE(info.errorHandlerInstalled);
}

TEST_F(KernelTaskTest, QuiescenceWaitsUntilTasksThatWakeEachOtherHaveSettled) {
    Connection ping = nullptr;
    Connection pong = nullptr;
    ASSERT_EQ(CreateConnection(&ping, &pong), Success);
    host::spawnTask("server", [&] {
        for (;;) {
            SynchronousReceive(pong, nullptr);
            ++ticks;
        }
    });
    host::spawnTask("client", [&] {
        for (int i = 0; i < 100; ++i) {
            SynchronousSend(ping, nullptr);
        }
    });
    host::waitForQuiescence();
    EXPECT_EQ(ticks, 100);
}

TEST_F(KernelTaskTest, ResetUnwindsBlockedTasksAndClosesEveryObject) {
    struct CountsUnwinding {
        std::atomic<int>* counter;
        ~CountsUnwinding() { ++*counter; }
    };
    size_t before = host::openObjectCount();
    Semaphore never = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &never), Success);
    start("waiter", [this, never] {
        CountsUnwinding guard{&unwound};
        WaitForSemaphore(never);
    });
    Task halted = start("halted", [this] {
        CountsUnwinding guard{&unwound};
        HaltTask(CurrentTask());
    });
    EXPECT_EQ(stateOf(halted), host::TaskState::Halted);
    EXPECT_GT(host::openObjectCount(), before);

    host::resetKernel();
    EXPECT_EQ(unwound, 2);
    EXPECT_EQ(host::openObjectCount(), 0u);
    EXPECT_EQ(ReleaseSemaphore(never), ObjectIsNotValid);
}

TEST_F(KernelTaskTest, ResetLetsNoTaskWokenByAnotherUnwindingGoOnWithItsWork) {
    // Each task's unwinding releases the semaphore the other one waits for: whichever unwinds
    // first, the other must unwind as well, never take the release and go on with its work.
    struct ReleasesOnUnwinding {
        Semaphore semaphore;
        std::atomic<int>* counter;
        ~ReleasesOnUnwinding() {
            ReleaseSemaphore(semaphore);
            ++*counter;
        }
    };
    Semaphore first = nullptr;
    Semaphore second = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &first), Success);
    ASSERT_EQ(CreateSemaphore(0, &second), Success);
    std::atomic<int> wentOn{0};
    auto waitsOnReleasesOther = [this, &wentOn](Semaphore mine, Semaphore other) {
        return [this, &wentOn, mine, other] {
            ReleasesOnUnwinding guard{other, &unwound};
            WaitForSemaphore(mine);
            ++wentOn;
            WaitForSemaphore(mine);
        };
    };
    start("first", waitsOnReleasesOther(first, second));
    start("second", waitsOnReleasesOther(second, first));
    host::resetKernel();
    EXPECT_EQ(unwound, 2);
    EXPECT_EQ(wentOn, 0);
}

TEST_F(KernelTaskTest, ClosingATaskHandleLeavesTheTaskRunning) {
    Task ticker = start("ticker", [this] {
        for (;;) {
            basiclib::sleep(1);
            ++ticks;
        }
    });
    ASSERT_EQ(closeKernelObject(ticker), Success);
    advance(2s);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(closeKernelObject(ticker), ObjectIsNotValid);
}

}  // namespace
