#include <gtest/gtest.h>

#include "HostTrace.h"
#include "RefSetConversion.h"

namespace {

using Converter = double (*)(double, RefConditionSet, RefConditionSet);

const Converter kConverters[] = {
    ConvertDensityBetweenSets1,      ConvertDensityBetweenSets2,
    ConvertHeatingValueBetweenSets1, ConvertHeatingValueBetweenSets2,
    ConvertHeatingValueBetweenSets3, ConvertHeatingValueBetweenSets4,
    ConvertHeatingValueBetweenSets5,
};

class RefSetConversionTest : public ::testing::Test {
  protected:
    void TearDown() override { host::resetTraceSettings(); }
};

TEST_F(RefSetConversionTest, MapsThe2016SetsToTheir1995Counterparts) {
    const RefConditionSet expected[] = {0,  1, 2, 3, 4,  5,  6,  1,  2, 3,
                                        14, 4, 5, 6, 14, 15, 16, 17, 18};
    for (RefConditionSet set = 0; set <= 18; ++set) {
        EXPECT_EQ(MapSetTo1995(set), expected[set]) << set;
    }
}

TEST_F(RefSetConversionTest, ASetToItselfLeavesTheValue) {
    host::TraceCapture capture;
    for (Converter convert : kConverters) {
        for (RefConditionSet set = 1; set <= 17; ++set) {
            EXPECT_EQ(convert(12.345, set, set), 12.345) << set;
        }
    }
    EXPECT_TRUE(capture.records().empty());
}

TEST_F(RefSetConversionTest, SameClassLeavesTheValue) {
    // Per-mass values only depend on the combustion temperature: sets 2 and 3 share 15 degC.
    EXPECT_EQ(ConvertHeatingValueBetweenSets1(50.0, 2, 3), 50.0);
    EXPECT_EQ(ConvertHeatingValueBetweenSets2(45.0, 3, 2), 45.0);
    // Metering-only converters: sets 1, 2 and 5 share 0 degC.
    for (RefConditionSet from : {1u, 2u, 5u}) {
        for (RefConditionSet to : {1u, 2u, 5u}) {
            EXPECT_EQ(ConvertDensityBetweenSets1(0.6, from, to), 0.6);
            EXPECT_EQ(ConvertDensityBetweenSets2(0.8, from, to), 0.8);
        }
    }
}

// Each row: converter, value, from, to, expected, as the factor tables state them.
struct Row {
    Converter convert;
    RefConditionSet from;
    RefConditionSet to;
    double expected;  // for an input of 1.0
};

TEST_F(RefSetConversionTest, FactorsAndTheirDirection) {
    const Row rows[] = {
        {ConvertDensityBetweenSets2, 3, 1, 1.0553},        // back to the colder class: times
        {ConvertDensityBetweenSets2, 1, 3, 1.0 / 1.0553},  // to the warmer class: divided
        {ConvertDensityBetweenSets2, 5, 6, 1.0 / 1.0738},
        {ConvertDensityBetweenSets2, 4, 3, 1.0175},
        {ConvertDensityBetweenSets1, 1, 4, 1.0 / 1.0003},
        {ConvertDensityBetweenSets1, 6, 3, 1.0001},
        {ConvertHeatingValueBetweenSets1, 1, 5, 1.0 / 1.0026},
        {ConvertHeatingValueBetweenSets1, 4, 2, 1.00052},
        {ConvertHeatingValueBetweenSets2, 6, 1, 1.0003},
        {ConvertHeatingValueBetweenSets2, 3, 4, 1.0 / 1.00005},
        {ConvertHeatingValueBetweenSets3, 3, 5, 1.0 / 0.9486},
        {ConvertHeatingValueBetweenSets3, 6, 1, 1.0766},
        {ConvertHeatingValueBetweenSets4, 2, 6, 1.0 / 1.0739},
        {ConvertHeatingValueBetweenSets4, 5, 4, 0.9313},
        {ConvertHeatingValueBetweenSets5, 1, 3, 1.0 / 1.0569},
        {ConvertHeatingValueBetweenSets5, 6, 5, 1.0736},
    };
    for (const Row& row : rows) {
        EXPECT_NEAR(row.convert(1.0, row.from, row.to), row.expected, 1e-15)
            << row.from << " -> " << row.to;
    }
}

TEST_F(RefSetConversionTest, ImperialBridges) {
    // Set 9 counts as set 3, set 10 as set 14: density times 0.9981.
    EXPECT_NEAR(ConvertDensityBetweenSets2(1.0, 9, 10), 0.9981, 1e-15);
    // Relative density between sets 10 and 14 is unchanged (plain bridge, both imperial).
    EXPECT_EQ(ConvertDensityBetweenSets1(0.65, 10, 14), 0.65);
    // Superior per-volume value from set 7 to 10: divided by 1.057, then times 0.9981.
    EXPECT_NEAR(ConvertHeatingValueBetweenSets3(40.0, 7, 10), 40.0 / 1.057 * 0.9981, 1e-13);
    // Superior per-mass value from 14 to 17 unchanged; density from 14 to 17 times 1.0224.
    EXPECT_EQ(ConvertHeatingValueBetweenSets1(55.0, 14, 17), 55.0);
    EXPECT_NEAR(ConvertDensityBetweenSets2(1.0, 14, 17), 1.0224, 1e-15);
    EXPECT_NEAR(ConvertHeatingValueBetweenSets5(1.0, 17, 15), 0.975, 1e-15);
    // Imperial to metric, scaled: times the factor to set 3, then set 3 to the target.
    EXPECT_NEAR(ConvertDensityBetweenSets2(1.0, 16, 1), 0.9996 * 1.0553, 1e-15);
    EXPECT_NEAR(ConvertHeatingValueBetweenSets4(1.0, 15, 5), 1.005 / 0.9477, 1e-15);
    // Imperial to metric, plain: as from set 3.
    EXPECT_NEAR(ConvertHeatingValueBetweenSets2(1.0, 17, 6), 1.0 / 1.0001, 1e-15);
    EXPECT_NEAR(ConvertDensityBetweenSets1(1.0, 14, 1), 1.0002, 1e-15);
    // Metric to imperial, plain: to set 3 only.
    EXPECT_NEAR(ConvertHeatingValueBetweenSets1(1.0, 1, 15), 1.0 / 1.0016, 1e-15);
}

TEST_F(RefSetConversionTest, OutOfRangeSetLeavesTheValueWithTraces) {
    host::TraceCapture capture;
    EXPECT_EQ(ConvertDensityBetweenSets2(0.8, 0, 3), 0.8);
    EXPECT_TRUE(capture.contains(0xE0013));
    const auto records = capture.withId(0xE00A3);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 0);
    EXPECT_EQ(records[0].intArg(1), 3);

    const uint32_t ids[] = {0xE0093, 0xE00A3, 0xE00B3, 0xE00C3, 0xE00D3, 0xE00E3, 0xE00F3};
    for (int k = 0; k < 7; ++k) {
        capture.clear();
        EXPECT_EQ(kConverters[k](2.5, 2, 18), 2.5);
        ASSERT_EQ(capture.withId(ids[k]).size(), 1u) << k;
        EXPECT_EQ(capture.withId(ids[k])[0].intArg(1), 18);
    }
}

// A bridge factor applied before the out-of-range target is kept.
TEST_F(RefSetConversionTest, BridgeFactorStaysWhenTheTargetIsOutOfRange) {
    host::TraceCapture capture;
    EXPECT_NEAR(ConvertDensityBetweenSets2(1.0, 14, 20), 1.0019, 1e-15);
    const auto records = capture.withId(0xE00A3);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 3);  // the source as it stands after the bridge
    EXPECT_EQ(records[0].intArg(1), 20);
}

}  // namespace
