#include <gtest/gtest.h>

#include "HostTrace.h"
#include "RefConditionSets.h"

namespace {

struct SetValues {
    RefConditionSet set;
    int32_t metric;
    int32_t edition;
    double temperature;
    double pressure;
    double gasConstant;
    double airZ;
    double airMolarMass;
};

// The seventeen sets as the device states them.
const SetValues kSets[] = {
    {1, 1, 1, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626},
    {2, 1, 1, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626},
    {3, 1, 1, 288.15, 1.01325, 0.00831451, 0.99958, 28.9626},
    {4, 1, 1, 293.15, 1.01325, 0.00831451, 0.99963, 28.9626},
    {5, 1, 1, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626},
    {6, 1, 1, 293.15, 1.01325, 0.00831451, 0.99963, 28.9626},
    {7, 1, 2, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546},
    {8, 1, 2, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546},
    {9, 1, 2, 288.15, 1.01325, 0.0083144621, 0.999595, 28.96546},
    {10, 1, 2, 288.7055555555555, 1.01325, 0.0083144621, 0.999601, 28.96546},
    {11, 1, 2, 293.15, 1.01325, 0.0083144621, 0.999645, 28.96546},
    {12, 1, 2, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546},
    {13, 1, 2, 293.15, 1.01325, 0.0083144621, 0.999645, 28.96546},
    {14, 0, 0, 288.7055555555555, 14.696 / 14.50377377302168, 0.008314472, 0.999576, 28.9625},
    {15, 0, 0, 288.7055555555555, 14.65 / 14.50377377302168, 0.008314472, 0.999578, 28.9625},
    {16, 0, 0, 288.7055555555555, 14.73 / 14.50377377302168, 0.008314472, 0.999575, 28.9625},
    {17, 0, 0, 288.7055555555555, 15.025 / 14.50377377302168, 0.008314472, 0.999567, 28.9625},
};

class RefConditionSetsTest : public ::testing::Test {
  protected:
    void TearDown() override { host::resetTraceSettings(); }
};

TEST_F(RefConditionSetsTest, EverySetGivesItsConstants) {
    for (const SetValues& v : kSets) {
        SCOPED_TRACE(v.set);
        EXPECT_EQ(RefIsMetric(v.set), v.metric);
        EXPECT_DOUBLE_EQ(RefBaseTemperature(v.set), v.temperature);
        // Imperial pressures: psia / psi per bar, stored to 17 digits.
        EXPECT_NEAR(RefBasePressure(v.set), v.pressure, 1e-15);
        EXPECT_DOUBLE_EQ(RefGasConstant(v.set), v.gasConstant);
        EXPECT_DOUBLE_EQ(RefAirZ(v.set), v.airZ);
        EXPECT_DOUBLE_EQ(RefAirMolarMass(v.set), v.airMolarMass);
        if (v.metric != 0) {
            EXPECT_EQ(RefEdition(v.set), v.edition);
        }
    }
}

TEST_F(RefConditionSetsTest, SixtyFahrenheitIsTheMeteringTemperatureOfSet10AndTheImperialSets) {
    EXPECT_DOUBLE_EQ(RefBaseTemperature(10), (60.0 + 459.67) / 1.8);
    EXPECT_DOUBLE_EQ(RefBasePressure(10), 1.01325);
    EXPECT_DOUBLE_EQ(RefBasePressure(17), 1.035937283298492);
}

TEST_F(RefConditionSetsTest, OutOfRangeSetsFallBackWithTheirTracePoint) {
    struct Case {
        uint32_t traceId;
        double (*get)(RefConditionSet);
        double fallback;
    };
    const Case cases[] = {
        {0xE0003, RefGasConstant, 0.00831451}, {0xE0033, RefBaseTemperature, 273.15},
        {0xE0043, RefBasePressure, 1.01325},   {0xE0053, RefAirZ, 0.99941},
        {0xE0063, RefAirMolarMass, 28.9626},
    };
    for (RefConditionSet set : {0u, 18u, 0xFFFFFFFFu}) {
        for (const Case& c : cases) {
            host::TraceCapture capture;
            EXPECT_DOUBLE_EQ(c.get(set), c.fallback);
            const auto records = capture.withId(c.traceId);
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(static_cast<uint32_t>(records[0].intArg(0)), set);
        }
        host::TraceCapture capture;
        EXPECT_EQ(RefIsMetric(set), 1);
        EXPECT_EQ(RefEdition(set), 0);
        EXPECT_TRUE(capture.contains(0xE0013));
        EXPECT_TRUE(capture.contains(0xE0023));
    }
}

TEST_F(RefConditionSetsTest, EditionOfAnImperialSetIsZeroWithItsTrace) {
    host::TraceCapture capture;
    EXPECT_EQ(RefEdition(14), 0);
    ASSERT_EQ(capture.withId(0xE0023).size(), 1u);
    EXPECT_EQ(capture.withId(0xE0023)[0].intArg(0), 14);
}

TEST_F(RefConditionSetsTest, ValidSetsEmitNothing) {
    host::TraceCapture capture;
    for (const SetValues& v : kSets) {
        RefGasConstant(v.set);
        RefIsMetric(v.set);
        RefBaseTemperature(v.set);
        RefBasePressure(v.set);
        RefAirZ(v.set);
        RefAirMolarMass(v.set);
    }
    EXPECT_TRUE(capture.records().empty());
}

}  // namespace
