#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "AlarmParts.h"
#include "Average.h"
#include "HostTrace.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "TreeFixture.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using SulfurHost = MeasurementHost<InputWithUpperWarning, Average<UpperAlarm>>;

// One sulfur quantity (H2S) built as its group builds it, with an upper alarm limit of 100.
class AverageTest : public TreeFixture {
  protected:
    AverageTest() {
        tree->setDouble("Sulfur.UAL_H2S", 100.0);
        host = makeHost();
    }

    std::unique_ptr<SulfurHost> makeHost() const {
        InputWithUpperWarning input(node("Sulfur.Imp_H2S"), node("Sulfur.CV_H2S"),
                                    doubleParameter("Sulfur.UWL_H2S"), node("Sulfur.UW_H2S"),
                                    node("General.Imp_zeroQn"),
                                    unsignedParameter("General.PowerOn_Delay"));
        UpperAlarm alarm(doubleParameter("Sulfur.UAL_H2S"), node("Sulfur.UA_H2S"),
                         unsignedParameter("General.StartUp_Delay"), node("General.Imp_zeroQn"));
        Average<UpperAlarm> average("Sulfur_H2S", alarm, averageNodes("Sulfur", "H2S"),
                                    unsignedParameter("General.PowerOn_Delay"));
        return std::make_unique<SulfurHost>(input, average);
    }

    // Sets this cycle's input value (with its status) and flow.
    void feed(double value, double flow, uint32_t status = 0) {
        setInput("Sulfur.Imp_H2S", value, status);
        tree->setDouble("General.Imp_Qn", flow);
    }

    double hourMean() const { return tree->doubleValue("Sulfur.ChA_H2S"); }
    uint32_t hourStatus() const { return tree->status("Sulfur.ChA_H2S"); }
    double dayMean() const { return tree->doubleValue("Sulfur.CdA_H2S"); }
    uint32_t dayStatus() const { return tree->status("Sulfur.CdA_H2S"); }

    std::unique_ptr<SulfurHost> host;
};

TEST_F(AverageTest, FlowWeightedAndUnweightedMeans) {
    struct Case {
        const char* name;
        bool flowInUse;
        double expected;  // 10, 20, 30 with weights 1, 1, 2
    };
    for (const Case& c : {Case{"weighted", true, 22.5}, Case{"unweighted", false, 20.0}}) {
        auto average = makeHost();
        tree->setInUse("General.Imp_Qn", c.flowInUse);
        const std::array<double, 3> values = {10.0, 20.0, 30.0};
        const std::array<double, 3> weights = {1.0, 1.0, 2.0};
        for (size_t i = 0; i < values.size(); ++i) {
            feed(values[i], weights[i]);
            Flags f = cycle(*average);
            EXPECT_EQ(f.unweightedAverage, !c.flowInUse) << c.name;
        }
        EXPECT_DOUBLE_EQ(hourMean(), c.expected) << c.name;
        EXPECT_DOUBLE_EQ(dayMean(), c.expected) << c.name;
        EXPECT_EQ(hourStatus(), 0u) << c.name;
    }
}

TEST_F(AverageTest, ZeroWeightsGiveTheArithmeticMeanAndFlagTheHourEnd) {
    for (double value : {10.0, 20.0}) {
        feed(value, 0.0);
        EXPECT_FALSE(cycle(*host).unweightedAverage);
    }
    feed(30.0, 0.0);
    Flags f = cycleEndingHour(*host);
    EXPECT_TRUE(f.unweightedAverage);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 20.0);
    EXPECT_DOUBLE_EQ(dayMean(), 20.0);
}

TEST_F(AverageTest, ZeroFlowInMidHourFallsBackToTheArithmeticMean) {
    feed(10.0, 1.0);
    cycle(*host);
    feed(20.0, 3.0);
    cycle(*host);
    EXPECT_DOUBLE_EQ(hourMean(), 17.5);
    tree->setBool("General.Imp_zeroQn", true);
    feed(30.0, 3.0);
    EXPECT_TRUE(cycle(*host).unweightedAverage);
    EXPECT_DOUBLE_EQ(hourMean(), 20.0);
    EXPECT_DOUBLE_EQ(dayMean(), 20.0);
    // Flow back: the weighting starts again from this cycle's value alone.
    tree->setBool("General.Imp_zeroQn", false);
    feed(40.0, 2.0);
    EXPECT_FALSE(cycle(*host).unweightedAverage);
    EXPECT_DOUBLE_EQ(hourMean(), 40.0);
}

// The weighting is dropped in a cycle whose value does not count: until the next value comes
// in, the periods publish the arithmetic mean of their values, never a bare 0.0 that would look
// like a good mean (and could pass or raise a limit at the hour's or day's end).
TEST_F(AverageTest, DroppedWeightingWithoutANewValueKeepsTheArithmeticMean) {
    struct Case {
        const char* name;
        bool zeroFlowBefore;  // zero flow in the first two cycles
        bool zeroFlowAfter;   // zero flow in the cycle that ends the hour
    };
    const std::vector<Case> cases = {
        {"zero flow comes", false, true},
        {"flow comes back", true, false},
    };
    for (const Case& c : cases) {
        auto average = makeHost();
        tree->setBool("General.Imp_zeroQn", c.zeroFlowBefore);
        feed(10.0, 1.0);
        cycle(*average);
        feed(20.0, 3.0);
        cycle(*average);
        tree->setBool("General.Imp_zeroQn", c.zeroFlowAfter);
        feed(99.0, 1.0, 0x4);  // not countable
        Flags f = cycleEndingHour(*average);
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 15.0) << c.name;
        EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), 0u) << c.name;
        EXPECT_TRUE(f.unweightedAverage) << c.name;  // the last hour's mean is unweighted
        EXPECT_DOUBLE_EQ(dayMean(), 15.0) << c.name;
        average.reset();
        tree->setBool("General.Imp_zeroQn", false);
    }
}

TEST_F(AverageTest, NonFiniteValuesAndFlowsAreNotCounted) {
    feed(10.0, 1.0);
    cycle(*host);
    feed(kNaN, 1.0);
    cycle(*host);
    feed(kInf, 1.0);
    cycle(*host);
    EXPECT_DOUBLE_EQ(hourMean(), 10.0);
    // A flow that is no number weighs nothing and marks the cycle unweighted.
    feed(30.0, kNaN);
    EXPECT_TRUE(cycle(*host).unweightedAverage);
    EXPECT_DOUBLE_EQ(hourMean(), 10.0);
    feed(30.0, kInf);
    EXPECT_TRUE(cycle(*host).unweightedAverage);
    EXPECT_DOUBLE_EQ(hourMean(), 10.0);
    EXPECT_FALSE(std::isnan(dayMean()));
}

// A published mean is finite and lies within the range of the values it counted: a weight that
// is negative, too small to weigh, would overflow the weighted sums or would underflow its
// product with the value weighs nothing (the cycle is flagged unweighted); a value that would
// overflow the plain sum is not counted, as a value that is no number.
TEST_F(AverageTest, MeansStayWithinTheRangeOfTheirSamples) {
    constexpr double kHuge = 1.7e308;  // twice of it overflows
    struct Sample {
        double value;
        double flow;
        bool unweighted;  // the cycle is flagged unweighted
    };
    struct Case {
        const char* name;
        std::vector<Sample> samples;
        double mean;  // of both periods after the last sample
    };
    const std::vector<Case> cases = {
        {"negative flow", {{2.0, 1000.0, false}, {12.0, -999.0, true}}, 2.0},
        {"subnormal flow", {{0.3, 5e-324, true}}, 0.3},
        {"subnormal flow beside a normal one", {{0.3, 1.0, false}, {0.9, 5e-324, true}}, 0.3},
        {"huge samples overflow the plain sum",
         {{kHuge, 1.0, false}, {kHuge, 1.0, false}, {-kHuge, 1.0, false}},
         0.0},
        {"huge negative samples", {{-kHuge, 1.0, false}, {-kHuge, 1.0, false}}, -kHuge},
        {"huge flow overflows the weighted sum", {{2.0, kHuge, true}, {4.0, kHuge, true}}, 3.0},
        {"huge flow overflows the weight sum", {{0.5, kHuge, false}, {0.5, kHuge, true}}, 0.5},
        {"tiny flow times a tiny sample underflows", {{1e-30, 1e-300, true}}, 1e-30},
        {"tiny product beside a weighed sample",
         {{2e-30, 1.0, false}, {1e-30, 1e-300, true}},
         2e-30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto average = makeHost();
        for (const Sample& sample : c.samples) {
            feed(sample.value, sample.flow);
            EXPECT_EQ(cycle(*average).unweightedAverage, sample.unweighted) << sample.value;
        }
        for (double mean : {hourMean(), dayMean()}) {
            EXPECT_TRUE(std::isfinite(mean));
            EXPECT_NEAR(mean, c.mean, std::fabs(c.mean) * 1e-12 + 1e-12);
        }
    }
}

TEST_F(AverageTest, StatusOfTheMeansThroughAPeriod) {
    struct Step {
        const char* name;
        double value;
        uint32_t inputStatus;
        bool alarm;
        double mean;
        uint32_t published;
    };
    const std::vector<Step> steps = {
        {"out of use", 5.0, 0x1, false, 0.0, 0x1},
        {"not available", 5.0, 0x4, true, 0.0, 0x80},
        {"out of use again: the period had input", 5.0, 0x1, false, 0.0, 0x80},
        {"first countable value", 50.0, 0x0, false, 50.0, 0x0},
        {"at the upper limit", 150.0, 0x0, false, 100.0, 0x200},
        {"bad input keeps the period's status", 7.0, 0x8, true, 100.0, 0x200},
        {"below the limit again", 0.0, 0x0, false, 200.0 / 3.0, 0x0},
    };
    for (const Step& s : steps) {
        feed(s.value, 1.0, s.inputStatus);
        Flags f = cycle(*host);
        EXPECT_EQ(f.alarm, s.alarm) << s.name;
        EXPECT_DOUBLE_EQ(hourMean(), s.mean) << s.name;
        EXPECT_EQ(hourStatus(), s.published) << s.name;
        EXPECT_EQ(dayStatus(), s.published) << s.name;
    }
}

TEST_F(AverageTest, HourWithoutCountableValueEndsWithOutOfOrder) {
    feed(5.0, 1.0, 0x4);
    cycleEndingHour(*host);
    EXPECT_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 0.0);
    EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), 0x80u);
    feed(7.0, 1.0);
    cycle(*host);
    EXPECT_DOUBLE_EQ(hourMean(), 7.0);
}

TEST_F(AverageTest, HourAndDayEndIndependently) {
    feed(10.0, 1.0);
    cycleEndingHour(*host);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 10.0);
    EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), 0u);
    feed(30.0, 1.0);
    cycle(*host);
    EXPECT_DOUBLE_EQ(hourMean(), 30.0);  // the new hour holds only this value
    EXPECT_DOUBLE_EQ(dayMean(), 20.0);   // the day goes on
    feed(50.0, 1.0);
    tree->setBool("General.TrigAvg_Hour", true);
    tree->setBool("General.TrigAvg_Day", true);
    cycle(*host);  // both end in this cycle
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 40.0);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LdA_H2S"), 30.0);
    feed(70.0, 1.0);
    cycle(*host);  // a trigger that stays set does not fire again
    EXPECT_DOUBLE_EQ(hourMean(), 70.0);
    EXPECT_DOUBLE_EQ(dayMean(), 70.0);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 40.0);
}

// The closed hour and the closed day are each published with the status word of their own
// period. A first hour of one 0 ends alone; the second hour, of two cycles, ends with the day,
// so the two periods hold different values and statuses.
TEST_F(AverageTest, EachClosedPeriodCarriesItsOwnStatus) {
    struct Case {
        const char* name;
        double value;  // of the second hour
        uint32_t inputStatus;
        double lastHour;
        uint32_t lastHourStatus;
        double lastDay;
        uint32_t lastDayStatus;
    };
    const std::vector<Case> cases = {
        {"the hour reaches the limit, the day not", 120.0, 0x0, 120.0, 0x200, 80.0, 0x0},
        {"the hour without a countable value", 5.0, 0x4, 0.0, 0x80, 0.0, 0x0},
        {"the hour's input out of use", 5.0, 0x1, 0.0, 0x1, 0.0, 0x0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host = makeHost();
        feed(0.0, 1.0);
        cycleEndingHour(*host);
        feed(c.value, 1.0, c.inputStatus);
        cycle(*host);
        tree->setBool("General.TrigAvg_Hour", true);
        tree->setBool("General.TrigAvg_Day", true);
        cycle(*host);
        tree->setBool("General.TrigAvg_Hour", false);
        tree->setBool("General.TrigAvg_Day", false);
        cycle(*host);  // the triggers go back
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), c.lastHour);
        EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), c.lastHourStatus);
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LdA_H2S"), c.lastDay);
        EXPECT_EQ(tree->status("Sulfur.LdA_H2S"), c.lastDayStatus);
    }
}

// An average ends a period only when the period ends it is given say so, whatever the trigger
// nodes hold: the caller reads them once a cycle for every average and for the save. The
// closed period's mean is published by publishClosedPeriods, not before.
TEST_F(AverageTest, ThePeriodsEndAsTheCallerReadsThem) {
    tree->setDouble("Sulfur.LhA_H2S", -1.0);
    tree->setDouble("Sulfur.LdA_H2S", -1.0);
    tree->setBool("General.TrigAvg_Hour", true);
    tree->setBool("General.TrigAvg_Day", true);
    Flags f;
    feed(10.0, 1.0);
    f.process(*host, PeriodEnds());
    host->publishClosedPeriods();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), -1.0);

    tree->setBool("General.TrigAvg_Hour", false);
    tree->setBool("General.TrigAvg_Day", false);
    feed(30.0, 1.0);
    f.process(*host, PeriodEnds{true, false});
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), -1.0);  // not yet published
    host->publishClosedPeriods();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 20.0);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LdA_H2S"), -1.0);

    feed(50.0, 1.0);
    f.process(*host, PeriodEnds{false, true});
    host->publishClosedPeriods();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 20.0);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LdA_H2S"), 30.0);
    EXPECT_DOUBLE_EQ(hourMean(), 50.0);
}

TEST_F(AverageTest, FlowInputFailuresAfterStartUp) {
    tree->setUnsigned("General.PowerOn_Delay", 1);
    auto average = makeHost();
    struct Step {
        const char* name;
        uint32_t flowStatus;
        uint32_t zeroFlowStatus;
        bool generalInputFailure;
        bool unweighted;
        double mean;
    };
    const std::vector<Step> steps = {
        {"bad flow during start-up", 0x4, 0, false, true, 10.0},
        {"bad flow after start-up", 0x4, 0, true, true, 15.0},
        {"bad zero-flow input: value not counted", 0, 0x2, true, false, 15.0},
        // the first non-zero weight makes the mean flow-weighted: only this value weighs
        {"good again", 0, 0, false, false, 40.0},
    };
    double value = 10.0;
    for (const Step& s : steps) {
        feed(value, 1.0);
        tree->setStatus("General.Imp_Qn", s.flowStatus);
        tree->setStatus("General.Imp_zeroQn", s.zeroFlowStatus);
        Flags f = cycle(*average);
        EXPECT_EQ(f.generalInputFailure, s.generalInputFailure) << s.name;
        EXPECT_EQ(f.unweightedAverage, s.unweighted) << s.name;
        EXPECT_DOUBLE_EQ(hourMean(), s.mean) << s.name;
        value += 10.0;
    }
}

TEST_F(AverageTest, DayEndLatchesTheAlarmUntilTheNextDay) {
    feed(150.0, 1.0);
    Flags f = cycleEndingDay(*host);
    EXPECT_TRUE(f.alarm);
    EXPECT_TRUE(tree->boolValue("Sulfur.UA_H2S"));
    EXPECT_EQ(tree->status("Sulfur.LdA_H2S"), 0x200u);
    feed(10.0, 1.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(cycle(*host).alarm) << i;
    }
    f = cycleEndingDay(*host);
    EXPECT_FALSE(f.alarm);
    EXPECT_FALSE(tree->boolValue("Sulfur.UA_H2S"));
    EXPECT_FALSE(cycle(*host).alarm);
}

TEST_F(AverageTest, SaveAndRestoreRoundTrip) {
    feed(10.0, 1.0);
    cycleEndingHour(*host);
    feed(20.0, 3.0);
    cycle(*host);
    ManagedBuff saved(64);
    host->save(saved);
    EXPECT_EQ(saved.offset(), 64u);
    // hour: weighted 60, weights 3, plain 20, count 1; day: 70, 4, 30, 2 -- little-endian doubles
    const std::array<double, 8> expected = {60.0, 3.0, 20.0, 1.0, 70.0, 4.0, 30.0, 2.0};
    for (size_t i = 0; i < expected.size(); ++i) {
        uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) {
            bits |= static_cast<uint64_t>(saved[static_cast<uint32_t>(i * 8 + b)]) << (8 * b);
        }
        double value = 0.0;
        std::memcpy(&value, &bits, 8);
        EXPECT_EQ(value, expected[i]) << "double " << i;
    }

    // A restart: the periods go on from the restored sums.
    host.reset();
    auto restarted = makeHost();
    saved.rewind();
    restarted->restore(&saved);
    feed(40.0, 1.0);
    cycle(*restarted);
    EXPECT_DOUBLE_EQ(hourMean(), 25.0);  // (60 + 40) / 4
    EXPECT_DOUBLE_EQ(dayMean(), 22.0);   // (70 + 40) / 5
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 10.0);
}

TEST_F(AverageTest, EmptyPeriodsAreSavedAsNaN) {
    ManagedBuff saved(64);
    host->save(saved);
    // Weight sum and count of an empty period: the quiet NaN 0x7FF8000000000000.
    for (uint32_t offset : {8u, 24u, 40u, 56u}) {
        for (uint32_t b = 0; b < 6; ++b) {
            EXPECT_EQ(saved[offset + b], 0) << offset;
        }
        EXPECT_EQ(saved[offset + 6], 0xF8) << offset;
        EXPECT_EQ(saved[offset + 7], 0x7F) << offset;
    }
    for (uint32_t offset : {0u, 16u, 32u, 48u}) {
        for (uint32_t b = 0; b < 8; ++b) {
            EXPECT_EQ(saved[offset + b], 0) << offset;
        }
    }
}

TEST_F(AverageTest, ShortSavedStateRestartsEmpty) {
    feed(10.0, 1.0);
    cycle(*host);
    ManagedBuff saved(64);
    host->save(saved);
    saved.rewind();
    saved.resize(63);
    // A last-hour output that is out of use would be re-written with OOU by a full restore.
    tree->setInUse("Sulfur.LhA_H2S", false);
    tree->setStatus("Sulfur.LhA_H2S", 0x40);
    auto restarted = makeHost();
    restarted->restore(&saved);
    EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), 0x40u);
    feed(30.0, 1.0);
    cycle(*restarted);
    EXPECT_DOUBLE_EQ(hourMean(), 30.0);
}

// Restores a saved hour of the four given sums beside a good day and saves again: a period that
// cannot be one starts empty (traced) while the other period restores.
TEST_F(AverageTest, RestoredSumsAreCheckedPeriodByPeriod) {
    struct Case {
        const char* name;
        std::array<double, 4> hour;  // weighted sum, weight sum, plain sum, count
        std::array<double, 4> restored;
        bool rejected;
    };
    const std::array<double, 4> kEmpty = {0.0, kNaN, 0.0, kNaN};
    const std::vector<Case> cases = {
        {"good", {60.0, 3.0, 20.0, 1.0}, {60.0, 3.0, 20.0, 1.0}, false},
        {"dew points below zero", {-20.0, 2.0, -30.0, 3.0}, {-20.0, 2.0, -30.0, 3.0}, false},
        {"negative weight sum", {-20.0, -2.0, -30.0, 3.0}, kEmpty, true},
        {"empty marker", {0.0, kNaN, 0.0, kNaN}, kEmpty, false},
        {"count NaN empties the period", {5.0, 1.0, 5.0, kNaN}, kEmpty, false},
        {"weight sum NaN: weighting empty", {7.0, kNaN, 12.0, 2.0}, {0.0, kNaN, 12.0, 2.0}, false},
        {"weighted sum NaN", {kNaN, 2.0, 20.0, 2.0}, kEmpty, true},
        {"plain sum infinite", {20.0, 2.0, kInf, 2.0}, kEmpty, true},
        {"weighted sum infinite", {-kInf, 2.0, 20.0, 2.0}, kEmpty, true},
        {"weight sum infinite", {20.0, kInf, 20.0, 2.0}, kEmpty, true},
        {"count infinite", {20.0, 2.0, 20.0, kInf}, kEmpty, true},
        {"count negative", {20.0, 2.0, 20.0, -1.0}, kEmpty, true},
        {"count not whole", {20.0, 2.0, 20.0, 2.5}, kEmpty, true},
    };
    const std::array<double, 4> day = {70.0, 4.0, 30.0, 2.0};
    host::setTraceLevel(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManagedBuff saved(64);
        for (double value : c.hour) {
            saved.writeValue(value);
        }
        for (double value : day) {
            saved.writeValue(value);
        }
        saved.rewind();
        host::TraceCapture traces;
        auto restarted = makeHost();
        restarted->restore(&saved);
        EXPECT_EQ(traces.contains(0x80003), c.rejected);
        EXPECT_FALSE(traces.contains(0x80013));

        ManagedBuff again(64);
        restarted->save(again);
        again.rewind();
        for (size_t i = 0; i < 8; ++i) {
            const double expected = i < 4 ? c.restored[i] : day[i - 4];
            const double value = again.readValue<double>();
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(value)) << "double " << i;
            } else {
                EXPECT_EQ(value, expected) << "double " << i;
            }
        }
    }
    host::resetTraceSettings();
}

TEST_F(AverageTest, ARejectedHourPublishesAFreshMeanWithItsStatus) {
    ManagedBuff saved(64);
    for (double value : {kNaN, 2.0, 20.0, 2.0, 70.0, 4.0, 30.0, 2.0}) {
        saved.writeValue(value);
    }
    saved.rewind();
    auto restarted = makeHost();
    restarted->restore(&saved);
    feed(40.0, 1.0);
    cycle(*restarted);
    EXPECT_DOUBLE_EQ(hourMean(), 40.0);
    EXPECT_EQ(hourStatus(), 0u);
    EXPECT_DOUBLE_EQ(dayMean(), 22.0);  // (70 + 40) / 5
}

TEST_F(AverageTest, FullRestoreRewritesTheLastMeans) {
    ManagedBuff saved(64);
    host->save(saved);
    saved.rewind();
    tree->setDouble("Sulfur.LhA_H2S", 4.5);
    tree->setInUse("Sulfur.LhA_H2S", false);
    tree->setStatus("Sulfur.LhA_H2S", 0x40);
    auto restarted = makeHost();
    restarted->restore(&saved);
    EXPECT_EQ(tree->status("Sulfur.LhA_H2S"), 0x41u);
    EXPECT_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 4.5);
}

}  // namespace

namespace {

using DewPointHost = MeasurementHost<SimpleInput, Average<UpperAndLowerAlarm>>;

// The dew-point sensor temperature: upper limit 40, lower limit -10.
class UpperAndLowerAverageTest : public TreeFixture {
  protected:
    UpperAndLowerAverageTest() {
        tree->setDouble("DPs.UAL_tdps", 40.0);
        tree->setDouble("DPs.LAL_tdps", -10.0);
        SimpleInput input(node("DPs.Imp_tdps"), node("DPs.CV_tdps"),
                          unsignedParameter("General.PowerOn_Delay"));
        UpperAndLowerAlarm alarm(doubleParameter("DPs.UAL_tdps"), node("DPs.UA_tdps"),
                                 doubleParameter("DPs.LAL_tdps"), node("DPs.LA_tdps"),
                                 unsignedParameter("General.StartUp_Delay"),
                                 node("General.Imp_zeroQn"));
        Average<UpperAndLowerAlarm> average("DP_SensorTemp", alarm, averageNodes("DPs", "tdps"),
                                            unsignedParameter("General.PowerOn_Delay"));
        host = std::make_unique<DewPointHost>(input, average);
    }

    std::unique_ptr<DewPointHost> host;
};

TEST_F(UpperAndLowerAverageTest, LowerLimitMarksAndLatchesAtTheDayEnd) {
    setInput("DPs.Imp_tdps", -12.0);
    EXPECT_FALSE(cycle(*host).alarm);
    EXPECT_EQ(tree->status("DPs.ChA_tdps"), kStatusLowerLimit);
    setInput("DPs.Imp_tdps", -8.0);  // daily mean -10: at the lower limit
    Flags f = cycleEndingDay(*host);
    EXPECT_TRUE(f.alarm);
    EXPECT_TRUE(tree->boolValue("DPs.LA_tdps"));
    EXPECT_FALSE(tree->boolValue("DPs.UA_tdps"));
    EXPECT_EQ(tree->status("DPs.LdA_tdps"), kStatusLowerLimit);
    EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.LdA_tdps"), -10.0);
    setInput("DPs.Imp_tdps", 45.0);
    f = cycle(*host);
    EXPECT_TRUE(f.alarm);  // latched until the next day's decision
    EXPECT_EQ(tree->status("DPs.CdA_tdps"), kStatusUpperLimit);
}

}  // namespace

namespace {

using OxygenAverageHost = MeasurementHost<SimpleInputBasedOnLiveValue, Average<UpperAlarm>>;

// The averaged oxygen value: its input part raises no flag, so every failure flag of a cycle
// comes from the average's own start-up phase.
class OxygenAverageTest : public TreeFixture {
  protected:
    std::unique_ptr<OxygenAverageHost> makeHost() const {
        SimpleInputBasedOnLiveValue input(node("Oxygen.SNo1.CV_O2BV"));
        UpperAlarm alarm(doubleParameter("Oxygen.SNo1.UAL_O2"), node("Oxygen.SNo1.UA_O2"),
                         unsignedParameter("General.StartUp_Delay"), node("General.Imp_zeroQn"));
        Average<UpperAlarm> average("O2", alarm, averageNodes("Oxygen.SNo1", "O2"),
                                    unsignedParameter("General.PowerOn_Delay"));
        return std::make_unique<OxygenAverageHost>(input, average);
    }
};

TEST_F(OxygenAverageTest, FailuresAreHiddenForPowerOnDelayCycles) {
    setInput("Oxygen.SNo1.CV_O2BV", 2.0, 0x4);  // a best value that is not available
    tree->setStatus("General.Imp_Qn", 0x8);     // and a flow that is out of service
    for (uint32_t delay : {0u, 3u}) {
        tree->setUnsigned("General.PowerOn_Delay", delay);
        auto average = makeHost();
        for (uint32_t cycleNo = 1; cycleNo <= delay + 2; ++cycleNo) {
            const Flags f = cycle(*average);
            const bool reported = cycleNo > delay;
            EXPECT_EQ(f.alarm, reported) << "delay " << delay << " cycle " << cycleNo;
            EXPECT_EQ(f.generalInputFailure, reported) << "delay " << delay << " cycle " << cycleNo;
            EXPECT_FALSE(f.inputFailure);
        }
    }
}

TEST_F(OxygenAverageTest, LoweringTheDelayMidPhaseEndsThePhase) {
    tree->setUnsigned("General.PowerOn_Delay", 10);
    setInput("Oxygen.SNo1.CV_O2BV", 2.0, 0x4);
    auto average = makeHost();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(cycle(*average).alarm) << i;
    }
    tree->setUnsigned("General.PowerOn_Delay", 2);  // already passed by the counter
    UpdatableRegistry::instance().markChanged();
    ASSERT_TRUE(UpdatableRegistry::instance().updateAllIfChanged());
    EXPECT_TRUE(cycle(*average).alarm);
}

}  // namespace
