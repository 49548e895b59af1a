#include <gtest/gtest.h>

#include <atomic>

#include "HostFramework.h"
#include "HostKernel.h"
#include "libUtils/ConcurrencyHelper.h"
#include "libUtils/LifeInstance.h"

namespace {

// An object that holds a lock as the holders do, and counts how many were made and destroyed.
struct Counted {
    static std::atomic<int> made;
    static std::atomic<int> destroyed;
    SharedLocalMutex lock;
};
std::atomic<int> Counted::made{0};
std::atomic<int> Counted::destroyed{0};

LifeInstance<Counted> life;

Counted* makeCounted() {
    ++Counted::made;
    return new Counted();
}
void destroyCounted(Counted* counted) {
    ++Counted::destroyed;
    delete counted;
}
Counted& first() {
    return life.get(makeCounted, destroyCounted);
}

class LifeInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        Counted::made = 0;
        Counted::destroyed = 0;
    }
    void TearDown() override { host::resetKernel(); }
};

TEST_F(LifeInstanceTest, EachLifeHasOneObjectThatItsEndDestroys) {
    Counted& one = first();
    EXPECT_EQ(&first(), &one);
    EXPECT_EQ(host::openObjectCount(), 1u);
    host::runStaticDestructors();  // the life ends
    EXPECT_EQ(Counted::destroyed.load(), 1);
    EXPECT_EQ(host::openObjectCount(), 0u) << "its lock closed once, while it existed";
    first();
    EXPECT_EQ(Counted::made.load(), 2) << "the next life makes its own";
}

// A second first use that publishes while the first one is still making its object: the
// first one's object is destroyed and both get the published one.
Counted* makeWhileAnotherPublishes() {
    Counted& published = first();
    Counted* made = makeCounted();
    EXPECT_NE(made, &published);
    return made;
}

TEST_F(LifeInstanceTest, TheLoserOfARacingFirstUseIsDestroyedAtOnce) {
    Counted& got = life.get(makeWhileAnotherPublishes, destroyCounted);
    EXPECT_EQ(&got, &first());
    EXPECT_EQ(Counted::made.load(), 2);
    EXPECT_EQ(Counted::destroyed.load(), 1);
    EXPECT_EQ(host::openObjectCount(), 1u) << "the loser's lock is closed";
    host::runStaticDestructors();
    EXPECT_EQ(Counted::destroyed.load(), 2) << "the published one goes with the life, once";
    EXPECT_EQ(host::openObjectCount(), 0u);
}

TEST_F(LifeInstanceTest, FirstUsesFromSeveralTasksShareOneObject) {
    constexpr int kTasks = 4;
    std::atomic<Counted*> seen[kTasks] = {};
    for (int i = 0; i < kTasks; ++i) {
        host::spawnTask("firstUse", [&seen, i] { seen[i] = &first(); });
    }
    host::waitForQuiescence();
    for (const auto& one : seen) {
        EXPECT_EQ(one.load(), &first());
    }
    EXPECT_EQ(Counted::made.load() - Counted::destroyed.load(), 1);
    host::endAllTasks();
    host::runStaticDestructors();
    EXPECT_EQ(Counted::made.load(), Counted::destroyed.load());
}

}  // namespace
