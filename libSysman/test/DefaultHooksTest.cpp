// The hook set the client installs: the program's registered default set when it is given no
// table, the caller's table whole otherwise.
#include "LifeCycleFixture.h"
#include "SysManTrace.h"

using sim::EventKind;

namespace {

void startDefault() {
    SysManStartDefault(nullptr, nullptr, "Release_03-16-A", sim::testStartTable(), 0);
}

void startNamed() {
    SysManStartNamed(nullptr, nullptr, nullptr, sim::testStartTable(), "Named", 0);
}

// Only the loop-start slot of the test hooks; every other slot is empty.
SysManHookTable loopStartOnly() {
    SysManHookTable hooks{};
    hooks.onLoopStart = sim::testHooks().onLoopStart;
    return hooks;
}

void startWithLoopStartOnly() {
    static const SysManHookTable hooks = loopStartOnly();
    SysManStartWithHooks(&hooks, sim::testStartTable());
}

}  // namespace

TEST_F(LifeCycleTest, WithoutATableTheProgramsDefaultSetIsInstalled) {
    SysManRegisterDefaultHooks(&sim::testHooks());
    ASSERT_TRUE(startWith(startDefault));
    EXPECT_EQ(manager->lastEvent(EventKind::Release)->text, "Release_03-16-A");
    ASSERT_TRUE(manager->startUp());
    EXPECT_EQ(sim::testHookSlots(), (std::vector<int>{0, 1, 21, 3, 4, 5, 7, 6, 12, 8, 9, 10}));
}

TEST_F(LifeCycleTest, NamedStartSendsTheNameAndInstallsTheDefaults) {
    SysManRegisterDefaultHooks(&sim::testHooks());
    ASSERT_TRUE(startWith(startNamed));
    EXPECT_EQ(manager->lastEvent(EventKind::RegistrationName)->text, "Named");
    EXPECT_EQ(sim::testHookSlots(), (std::vector<int>{0, 1, 21}));
}

TEST_F(LifeCycleTest, GivenTableReplacesTheDefaultsNullSlotsIncluded) {
    SysManRegisterDefaultHooks(&sim::testHooks());
    ASSERT_TRUE(startWith(startWithLoopStartOnly));
    ASSERT_TRUE(manager->startUp() && manager->run() && manager->trigger(40, 0x21) &&
                manager->shutdown());
    EXPECT_EQ(sim::testHookSlots(), (std::vector<int>{21}));
    EXPECT_EQ(manager->lastEvent(EventKind::StartText)->detail, 0u) << "no start text hook";
}

TEST_F(LifeCycleTest, WithoutAnyHookSetTheAddressSpaceRunsWithoutHooks) {
    host::TraceCapture capture;
    ASSERT_TRUE(startWith(startDefault));
    EXPECT_TRUE(capture.contains(sysman::kTraceNoDefaultHooks));
    ASSERT_TRUE(manager->startUp() && manager->run() && manager->trigger(40, 1));
    EXPECT_TRUE(sim::testHookSlots().empty());
    EXPECT_FALSE(manager->stopped());
}
