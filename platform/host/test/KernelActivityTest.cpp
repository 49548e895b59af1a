// Activities: asynchronous receives on connections, semaphores and clocks, completion order,
// busy and reset activities.
#include <vector>

#include "KernelTestFixture.h"

namespace {

class KernelActivityTest : public KernelTest {
  protected:
    struct Completion {
        uint32_t id;
        Error status;
    };

    // Waits for `count` completions on the calling task and records them.
    void collect(int count) {
        for (int i = 0; i < count; ++i) {
            Completion completion{0, -1};
            ASSERT_EQ(WaitForActivity(&completion.id, &completion.status), Success);
            completions.push_back(completion);
        }
    }

    std::vector<Completion> completions;
    char received[8] = {};
};

TEST_F(KernelActivityTest, AReceiveCompletesIntoItsActivityAndTheSenderGoesOn) {
    Connection mine = nullptr;
    Connection theirs = nullptr;
    ASSERT_EQ(CreateConnection(&mine, &theirs), Success);
    Error started = -1;
    Buffer room{DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(received), sizeof received, 0};
    Task waiter = start("waiter", [&] {
        Activity activity = nullptr;
        CreateActivity(CurrentTask(), 255, 0, 1, &activity);
        started = AsynchronousReceive(activity, mine, &room);
        collect(1);
    });
    EXPECT_EQ(started, Success);
    EXPECT_EQ(stateOf(waiter), host::TaskState::Blocked);

    char text[] = "ping";
    Buffer message{DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(text), 5, 0};
    EXPECT_EQ(SynchronousSend(theirs, &message), Success);
    host::waitForQuiescence();

    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].id, 1u);
    EXPECT_EQ(completions[0].status, Success);
    EXPECT_EQ(room.Transferred, 5u);
    EXPECT_STREQ(received, "ping");
}

TEST_F(KernelActivityTest, CompletionsAreTakenInTheOrderTheyHappened) {
    Semaphore first = nullptr;
    Semaphore second = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &first), Success);
    ASSERT_EQ(CreateSemaphore(0, &second), Success);
    Task waiter = host::spawnTask("waiter", [&] {
        Activity one = nullptr;
        Activity two = nullptr;
        CreateActivity(CurrentTask(), 255, 0, 1001, &one);
        CreateActivity(CurrentTask(), 255, 0, 1002, &two);
        AsynchronousReceive(one, first, nullptr);
        AsynchronousReceive(two, second, nullptr);
        HaltTask(CurrentTask());  // both complete before it waits
        collect(2);
    });
    host::waitForQuiescence();
    ASSERT_EQ(stateOf(waiter), host::TaskState::Halted);
    ASSERT_EQ(ReleaseSemaphore(second), Success);
    ASSERT_EQ(ReleaseSemaphore(first), Success);
    ASSERT_EQ(RunTask(waiter), Success);
    host::waitForQuiescence();

    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(completions[0].id, 1002u);
    EXPECT_EQ(completions[1].id, 1001u);
    EXPECT_EQ(TryToObtainSemaphore(first), ResourceNotAvailable) << "the receive took the count";
}

TEST_F(KernelActivityTest, AnActivityHasOneOperationAtATimeUntilReset) {
    Semaphore semaphore = nullptr;
    Activity activity = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    ASSERT_EQ(CreateActivity(CurrentTask(), 255, 0, 5, &activity), Success);
    ASSERT_EQ(AsynchronousReceive(activity, semaphore, nullptr), Success);
    EXPECT_EQ(AsynchronousReceive(activity, semaphore, nullptr), ActivityBusy);
    EXPECT_EQ(ResetActivity(activity, 1), IllegalParameter);
    ASSERT_EQ(ResetActivity(activity, 0), Success);

    ASSERT_EQ(ReleaseSemaphore(semaphore), Success);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success) << "a reset receive takes nothing";
    ASSERT_EQ(ReleaseSemaphore(semaphore), Success);
    ASSERT_EQ(AsynchronousReceive(activity, semaphore, nullptr), Success);  // completes at once
    EXPECT_EQ(AsynchronousReceive(activity, semaphore, nullptr), ActivityBusy)
        << "its completion is not yet waited for";
    collect(1);
    EXPECT_EQ(completions.at(0).id, 5u);
}

TEST_F(KernelActivityTest, ClosingTheObjectCompletesTheReceiveWithAnError) {
    Connection mine = nullptr;
    Connection theirs = nullptr;
    ASSERT_EQ(CreateConnection(&mine, &theirs), Success);
    Activity activity = nullptr;
    ASSERT_EQ(CreateActivity(CurrentTask(), 255, 0, 9, &activity), Success);
    ASSERT_EQ(AsynchronousReceive(activity, mine, nullptr), Success);
    ASSERT_EQ(closeKernelObject(theirs), Success);
    collect(1);
    EXPECT_EQ(completions.at(0).id, 9u);
    EXPECT_EQ(completions.at(0).status, ConnectionClosed);
}

TEST_F(KernelActivityTest, ReceivesCheckTheirArguments) {
    Activity activity = nullptr;
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateActivity(CurrentTask(), 255, 0, 1, &activity), Success);
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    Buffer descriptor{ImmediateBuffer | LastBuffer, 0, 0, 0};
    EXPECT_EQ(AsynchronousReceive(activity, semaphore, &descriptor), IllegalParameter);
    EXPECT_EQ(AsynchronousReceive(activity, activity, nullptr), IncorrectObjectType);
    EXPECT_EQ(AsynchronousReceive(semaphore, semaphore, nullptr), IncorrectObjectType);
    EXPECT_EQ(CreateActivity(semaphore, 255, 0, 1, &activity), IncorrectObjectType);
    EXPECT_EQ(WaitForActivity(nullptr, nullptr), IllegalParameter);
}

}  // namespace
