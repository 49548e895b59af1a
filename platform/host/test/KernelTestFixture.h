// A fresh kernel on virtual time for each test, and helpers to run code on kernel tasks.
// State that tasks share with the test lives in the fixture, so it outlives every task (the
// tear-down ends them); the test reads it only after quiescence, which orders it after the
// tasks' writes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "HostKernel.h"
#include "Kernel.h"

class KernelTest : public ::testing::Test {
  protected:
    void SetUp() override { host::resetKernel(); }
    void TearDown() override { host::resetKernel(); }

    // Runs `body` on a new kernel task and returns once the task has blocked or ended.
    static Task start(const char* name, std::function<void()> body) {
        Task task = host::spawnTask(name, std::move(body));
        host::waitForQuiescence();
        return task;
    }

    static host::TaskState stateOf(Task task) {
        host::TaskInfo info;
        EXPECT_EQ(host::describeTask(task, &info), Success);
        return info.state;
    }

    static void advance(std::chrono::nanoseconds duration) {
        ASSERT_EQ(host::advanceTime(duration), Success);
    }

    // Virtual time in milliseconds.
    static int64_t nowMs() {
        Time now = host::currentTime();
        return int64_t{now.Seconds} * 1000 + ((int64_t{now.Fraction} * 1000 + (1LL << 31)) >> 32);
    }
};
