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

// The life-time nodes of both kinds.
const std::vector<const char*> kLifeTimes = {"Oxygen.SNo1.LT_O2d", "Oxygen.SNo2.LT_O2dM",
                                             "Oxygen.SNo2.LT_O2dS"};

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
                                node("Oxygen.SNo1.LTL_O2"), &reset1);
        return std::make_unique<SingleHost>(NoInput(), lifeTime);
    }
    std::unique_ptr<TwofoldHost> twofold() {
        TwofoldSensorLifeTime lifeTime(doubleParameter("Oxygen.SNo2.LTP_O2"),
                                       doubleParameter("Oxygen.SNo2.LWL_LT"),
                                       node("Oxygen.SNo2.LT_O2dM"), node("Oxygen.SNo2.LT_O2dS"),
                                       node("Oxygen.SNo2.LTL_O2"), &reset1, &reset2);
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
        Flags f;
        f.process(*lifeTime, PeriodEnds{false, c.dayEnds});
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

// The count-down follows the cycle's one reading of the period ends, whatever the day trigger
// holds by the time the life times run (it may have risen or fallen since the reading); an
// hour's end counts nothing.
TEST_F(SensorLifeTimeTest, CountsDownOnTheCyclesReadingOfTheDayEnd) {
    struct Case {
        const char* name;
        PeriodEnds ends;
        bool dayTriggerNow;
        double after;
    };
    const std::vector<Case> cases = {
        {"no end, the trigger rose since", {false, false}, true, 5.0},
        {"the hour ends, the trigger rose since", {true, false}, true, 5.0},
        {"the day ends, the trigger fell since", {false, true}, false, 4.0},
        {"the hour and the day end", {true, true}, true, 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto one = single();
        auto two = twofold();
        for (const char* life : kLifeTimes) {
            tree->setDouble(life, 5.0);
        }
        tree->setBool("General.TrigAvg_Day", c.dayTriggerNow);
        Flags f;
        f.process(*one, c.ends);
        f.process(*two, c.ends);
        for (const char* life : kLifeTimes) {
            EXPECT_EQ(tree->doubleValue(life), c.after) << life;
        }
    }
}

TEST_F(SensorLifeTimeTest, RestoreClearsTheStatusWordsAndKeepsTheLifeTimes) {
    auto one = single();
    auto two = twofold();
    for (const char* life : kLifeTimes) {
        tree->setDouble(life, 5.0);
        tree->setStatus(life, 0x80);
    }
    one->restore(nullptr);
    two->restore(nullptr);
    for (const char* life : kLifeTimes) {
        EXPECT_EQ(tree->status(life), 0u) << life;
        EXPECT_EQ(tree->doubleValue(life), 5.0) << life;
    }
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
