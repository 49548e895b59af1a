#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "HostKernel.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "SensorLifeTime.h"
#include "TreeFixture.h"

namespace {

using SingleHost = MeasurementHost<NoInput, SensorLifeTime>;
using TwofoldHost = MeasurementHost<NoInput, TwofoldSensorLifeTime>;

class SensorLifeTimeTest : public TreeFixture {
  protected:
    SensorLifeTimeTest() {
        tree->setDouble("Oxygen.SNo1.LTP_O2", 365.0);
        tree->setDouble("Oxygen.SNo1.LWL_LT", 2.0);
        tree->setDouble("Oxygen.SNo2.LTP_O2", 365.0);
        tree->setDouble("Oxygen.SNo2.LWL_LT", 2.0);
    }

    // Built as the oxygen group builds it: a temporary copied into the host.
    std::unique_ptr<SingleHost> single() {
        SensorLifeTime lifeTime(doubleParameter("Oxygen.SNo1.LTP_O2"),
                                doubleParameter("Oxygen.SNo1.LWL_LT"), node("Oxygen.SNo1.LT_O2d"),
                                node("Oxygen.SNo1.LTL_O2"), node("General.TrigAvg_Day"), &reset1);
        return std::make_unique<SingleHost>(NoInput(), lifeTime);
    }
    std::unique_ptr<TwofoldHost> twofold() {
        TwofoldSensorLifeTime lifeTime(
            doubleParameter("Oxygen.SNo2.LTP_O2"), doubleParameter("Oxygen.SNo2.LWL_LT"),
            node("Oxygen.SNo2.LT_O2dM"), node("Oxygen.SNo2.LT_O2dS"), node("Oxygen.SNo2.LTL_O2"),
            node("General.TrigAvg_Day"), &reset1, &reset2);
        return std::make_unique<TwofoldHost>(NoInput(), lifeTime);
    }

    ItemSignal<void> reset1;
    ItemSignal<void> reset2;
};

TEST_F(SensorLifeTimeTest, CountsDownOncePerDayAndWarnsAtTheLimit) {
    struct Case {
        double life;
        bool dayEnds;
        double after;
        bool warning;
    };
    const std::vector<Case> cases = {
        {3.0, true, 2.0, true},  // reaches the limit in the same cycle
        {10.0, true, 9.0, false}, {10.0, false, 10.0, false},
        {1.0, false, 1.0, true},  // no firing: the warning is still written
        {0.5, true, -0.5, true},  // any positive value counts once more
        {0.0, true, 0.0, true},   {-0.5, true, -0.5, true},
    };
    for (const Case& c : cases) {
        auto lifeTime = single();
        tree->setDouble("Oxygen.SNo1.LT_O2d", c.life);
        Flags f = c.dayEnds ? cycleEndingDay(*lifeTime) : cycle(*lifeTime);
        EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), c.after) << c.life;
        EXPECT_EQ(tree->boolValue("Oxygen.SNo1.LTL_O2"), c.warning) << c.life;
        EXPECT_EQ(f.warning, c.warning) << c.life;
        EXPECT_FALSE(f.alarm || f.generalInputFailure || f.unweightedAverage);
    }
}

TEST_F(SensorLifeTimeTest, NaNLifeTimeRaisesNoWarning) {
    auto lifeTime = single();
    tree->setDouble("Oxygen.SNo1.LT_O2d", std::numeric_limits<double>::quiet_NaN());
    Flags f = cycleEndingDay(*lifeTime);
    EXPECT_FALSE(f.warning);
    EXPECT_FALSE(tree->boolValue("Oxygen.SNo1.LTL_O2"));
}

TEST_F(SensorLifeTimeTest, RestoreArmsTheTriggerAndClearsTheStatus) {
    auto lifeTime = single();
    tree->setDouble("Oxygen.SNo1.LT_O2d", 5.0);
    tree->setStatus("Oxygen.SNo1.LT_O2d", 0x80);
    tree->setBool("General.TrigAvg_Day", true);
    lifeTime->restore(nullptr);
    EXPECT_EQ(tree->status("Oxygen.SNo1.LT_O2d"), 0u);
    cycle(*lifeTime);
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), 5.0);
    tree->setBool("General.TrigAvg_Day", false);
    cycle(*lifeTime);
    cycleEndingDay(*lifeTime);
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), 4.0);
}

TEST_F(SensorLifeTimeTest, OnlyTheHostCopyIsRegistered) {
    auto lifeTime = single();
    EXPECT_EQ(reset1.receiverCount(), 1u);
    tree->setDouble("Oxygen.SNo1.LT_O2d", 1.0);
    reset1.emit();
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), 365.0);
    lifeTime.reset();
    EXPECT_EQ(reset1.receiverCount(), 0u);
}

// A changed preset and warning limit are re-read through the parameter cache at the next cycle
// and used from then on, by the count-down's warning and by a reset alike.
TEST_F(SensorLifeTimeTest, ChangedPresetAndLimitTakeEffectFromTheNextCycle) {
    auto lifeTime = single();
    tree->setDouble("Oxygen.SNo1.LT_O2d", 3.0);
    EXPECT_FALSE(cycle(*lifeTime).warning);
    tree->setDouble("Oxygen.SNo1.LTP_O2", 100.0);
    tree->setDouble("Oxygen.SNo1.LWL_LT", 3.0);
    UpdatableRegistry::instance().markChanged();
    ASSERT_TRUE(UpdatableRegistry::instance().updateAllIfChanged());
    EXPECT_TRUE(cycle(*lifeTime).warning);  // 3.0 is at the new limit
    reset1.emit();
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), 100.0);
    EXPECT_FALSE(cycle(*lifeTime).warning);
}

TEST_F(SensorLifeTimeTest, TwofoldWarnsWhenEitherSensorIsLow) {
    auto lifeTime = twofold();
    EXPECT_EQ(reset1.receiverCount(), 1u);
    EXPECT_EQ(reset2.receiverCount(), 1u);
    tree->setDouble("Oxygen.SNo2.LT_O2dM", 10.0);
    tree->setDouble("Oxygen.SNo2.LT_O2dS", 1.0);
    Flags f = cycleEndingDay(*lifeTime);
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dM"), 9.0);
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dS"), 0.0);
    EXPECT_TRUE(f.warning);
    EXPECT_TRUE(tree->boolValue("Oxygen.SNo2.LTL_O2"));

    reset2.emit();  // sensor 2 only
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dS"), 365.0);
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dM"), 9.0);
    EXPECT_TRUE(tree->boolValue("Oxygen.SNo2.LTL_O2"));  // follows in the next cycle
    EXPECT_FALSE(cycle(*lifeTime).warning);
    EXPECT_FALSE(tree->boolValue("Oxygen.SNo2.LTL_O2"));
}

TEST_F(SensorLifeTimeTest, ResetFromTheDisplayTaskDuringCycles) {
    auto lifeTime = single();
    tree->setDouble("Oxygen.SNo1.LT_O2d", 365.0);
    constexpr int kDays = 50;
    host::spawnTask("display", [this] {
        for (int i = 0; i < kDays; ++i) {
            reset1.emit();
        }
    });
    for (int day = 0; day < kDays; ++day) {
        cycleEndingDay(*lifeTime);
        cycle(*lifeTime);
    }
    host::waitForQuiescence();
    // Every count-down and every reset was applied whole: the life time lies between the
    // preset less one unit a day and the preset, in whole units.
    const double life = tree->doubleValue("Oxygen.SNo1.LT_O2d");
    EXPECT_GE(life, 365.0 - kDays);
    EXPECT_LE(life, 365.0);
    EXPECT_EQ(life, std::floor(life));

    // A reset after the last cycle is seen whole by the next one.
    host::spawnTask("display", [this] { reset1.emit(); });
    host::waitForQuiescence();
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.LT_O2d"), 365.0);
}

}  // namespace
