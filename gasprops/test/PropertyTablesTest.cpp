#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numeric>

#include "Aga8Detail1994.h"
#include "ComponentPropertyTables.h"
#include "TestGases.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/gpa2145_components.h"
#include "tables/iso6976_1995_components.h"
#include "tables/iso6976_2016_components.h"

namespace {

class PropertyTablesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }
    const ComponentPropertyTables& t = PropertyTables();
};

// Program indices.
constexpr int kMethane = 0, kNitrogen = 1, kCarbonDioxide = 2, kWater = 5, kHydrogen = 7,
              kOxygen = 9, kHelium = 19, kArgon = 20;

TEST_F(PropertyTablesTest, IsoRowsMoveFromTheStandardsOrderByTheRowMap) {
    // (source row, program index) pairs of the row map.
    const int programIndexOfSourceRow[26] = {0,  1,  2,  3, 4, 11, 10, 13, 12, 14, 15, 16, 17,
                                             18, 19, 20, 7, 9, 8,  5,  6,  21, 22, 23, 24, 25};
    for (int row = 0; row < 26; ++row) {
        EXPECT_EQ(kIso6976_1995Components[row].sourceRow, row);
        EXPECT_EQ(kIso6976_1995Components[row].programIndex, programIndexOfSourceRow[row]);
        EXPECT_EQ(kIso6976_2016Components[row].sourceRow, row);
        EXPECT_EQ(kIso6976_2016Components[row].programIndex, programIndexOfSourceRow[row]);
        const int i = programIndexOfSourceRow[row];
        EXPECT_EQ(t.iso1995MolarMass[i], kIso6976_1995Components[row].M);
        EXPECT_EQ(t.iso2016Superior[kTable15_55C][i], kIso6976_2016Components[row].Hs15_55);
    }
    // Program-order molar masses of the 1995 edition start 16.043, 28.0135, 44.01.
    EXPECT_EQ(t.iso1995MolarMass[0], 16.043);
    EXPECT_EQ(t.iso1995MolarMass[1], 28.0135);
    EXPECT_EQ(t.iso1995MolarMass[2], 44.01);
}

TEST_F(PropertyTablesTest, GpaRowsComeFromTheirSourceRows) {
    const int sourceRowOfProgramIndex[26] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                             13, 14, 15, 16, 17, 18, 19, 20, 21, 43, 40, 44, 41};
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(kGpa2145Components[i].programIndex, i);
        EXPECT_EQ(kGpa2145Components[i].sourceRow, sourceRowOfProgramIndex[i]);
    }
}

// Telling rows of the three editions as the program holds them.
TEST_F(PropertyTablesTest, MethaneRowsOfTheThreeEditions) {
    EXPECT_EQ(t.iso1995MolarMass[kMethane], 16.043);
    EXPECT_EQ(t.iso2016MolarMass[kMethane], 16.04246);
    EXPECT_EQ(t.gpaMolarMass[kMethane], 16.0425);
    EXPECT_EQ(t.iso1995Summation[kTable0C][kMethane], 0.0490);
    EXPECT_EQ(t.iso1995Summation[kTable15C][kMethane], 0.0447);
    EXPECT_EQ(t.iso1995Summation[kTable20C][kMethane], 0.0436);
    EXPECT_EQ(t.iso2016Summation[kTable0C][kMethane], 0.04886);
    EXPECT_EQ(t.iso2016Summation[kTable15C][kMethane], 0.04452);
    EXPECT_EQ(t.iso2016Summation[kTable15_55C][kMethane], 0.04437);
    EXPECT_EQ(t.iso2016Summation[kTable20C][kMethane], 0.04317);
    EXPECT_EQ(t.iso1995Superior[kTable0C][kMethane], 892.97);
    EXPECT_EQ(t.iso1995Superior[kTable15C][kMethane], 891.56);
    EXPECT_EQ(t.iso1995Superior[kTable20C][kMethane], 891.09);
    EXPECT_EQ(t.iso1995Superior[kTable25C][kMethane], 890.63);
    EXPECT_EQ(t.iso2016Superior[kTable0C][kMethane], 892.92);
    EXPECT_EQ(t.iso2016Superior[kTable15C][kMethane], 891.51);
    EXPECT_EQ(t.iso2016Superior[kTable15_55C][kMethane], 891.46);
    EXPECT_EQ(t.iso2016Superior[kTable20C][kMethane], 891.05);
    EXPECT_EQ(t.iso2016Superior[kTable25C][kMethane], 890.58);
    EXPECT_EQ(t.iso1995Inferior[kTable0C][kMethane], 802.82);
    EXPECT_EQ(t.iso2016Inferior[kTable0C][kMethane], 802.792);
    EXPECT_EQ(t.gpaSummation[kMethane], 0.0116);
    EXPECT_EQ(t.gpaRelativeDensity[kMethane], 0.5539);
    // Heating values held in MJ: Btu/ft3 x 0.03725901231777602, Btu/lb x 0.002326.
    EXPECT_DOUBLE_EQ(t.gpaSuperiorVolume[kMethane], 1010.0 * 0.03725901231777602);
    EXPECT_DOUBLE_EQ(t.gpaInferiorVolume[kMethane], 909.4 * 0.03725901231777602);
    EXPECT_DOUBLE_EQ(t.gpaSuperiorMass[kMethane], 23892.0 * 0.002326);
    EXPECT_DOUBLE_EQ(t.gpaInferiorMass[kMethane], 21511.0 * 0.002326);
    EXPECT_DOUBLE_EQ(0.03725901231777602, 1.055056 / 28.3168);
}

TEST_F(PropertyTablesTest, WaterHydrogenAndHeliumRows) {
    EXPECT_EQ(t.iso1995Superior[kTable0C][kWater], 45.074);
    for (int temperature = kTable0C; temperature <= kTable25C; ++temperature) {
        EXPECT_EQ(t.iso2016Inferior[temperature][kWater], 0.0);
        EXPECT_EQ(t.iso2016Summation[temperature][kHelium], temperature == kTable25C ? 0.0 : -0.01);
        EXPECT_EQ(t.iso2016Summation[temperature][kHydrogen],
                  temperature == kTable25C ? 0.0 : -0.01);
    }
    for (int temperature : {kTable0C, kTable15C, kTable20C, kTable25C}) {
        EXPECT_EQ(t.iso1995Inferior[temperature][kWater], 0.0);
    }
    EXPECT_EQ(t.gpaInferiorVolume[kWater], 0.0);
    EXPECT_EQ(t.gpaInferiorMass[kWater], 0.0);
    EXPECT_EQ(t.iso1995Summation[kTable0C][kHydrogen], -0.0040);
    EXPECT_EQ(t.iso1995Summation[kTable15C][kHydrogen], -0.0048);
    EXPECT_EQ(t.iso1995Summation[kTable20C][kHydrogen], -0.0051);
    EXPECT_EQ(t.gpaSummation[kHydrogen], 0.0);
    EXPECT_EQ(t.gpaSummation[kHelium], 0.0);
}

TEST_F(PropertyTablesTest, InertComponentsHaveNoCalorificValue) {
    for (int i : {kNitrogen, kCarbonDioxide, kOxygen, kHelium, kArgon}) {
        SCOPED_TRACE(i);
        for (int temperature = kTable0C; temperature <= kTable25C; ++temperature) {
            EXPECT_EQ(t.iso1995Superior[temperature][i], 0.0);
            EXPECT_EQ(t.iso1995Inferior[temperature][i], 0.0);
            EXPECT_EQ(t.iso2016Superior[temperature][i], 0.0);
            EXPECT_EQ(t.iso2016Inferior[temperature][i], 0.0);
        }
        EXPECT_EQ(t.gpaSuperiorVolume[i], 0.0);
        EXPECT_EQ(t.gpaInferiorVolume[i], 0.0);
        EXPECT_EQ(t.gpaSuperiorMass[i], 0.0);
        EXPECT_EQ(t.gpaInferiorMass[i], 0.0);
    }
}

TEST_F(PropertyTablesTest, StandardAirSumsToOneHundredWithNitrogenAsBalance) {
    const double sum =
        std::accumulate(std::begin(StandardAirComposition), std::end(StandardAirComposition), 0.0);
    EXPECT_NEAR(sum, 100.0, 1e-12);
    EXPECT_NEAR(StandardAirComposition[kNitrogen], 78.10426, 1e-12);
    EXPECT_EQ(StandardAirComposition[kOxygen], 20.946);
    EXPECT_EQ(StandardAirComposition[kArgon], 0.916);
    EXPECT_EQ(StandardAirComposition[kCarbonDioxide], 0.033);
    EXPECT_EQ(StandardAirComposition[kMethane], 0.00015);
    EXPECT_EQ(StandardAirComposition[kWater], 0.0);
}

TEST_F(PropertyTablesTest, TheZeroedParameterObjectOfThe1994StructureIsPreparedByItsFirstCall) {
    // The program keeps the object zeroed in its data block and calls InitPropertyTables without
    // it: the first calculation prepares it and gives the same result as a prepared object.
    auto zeroed = std::make_unique<Aga8Detail1994Data>();
    auto prepared = std::make_unique<Aga8Detail1994Data>();
    ASSERT_EQ(Aga8Detail1994Init(*prepared), 0);
    ASSERT_EQ(zeroed->prepared, 0);
    const double gas[kAga8Components] = {90.0, 3.0, 1.5, 4.0, 1.0, 0.0,  0.0,
                                         0.0,  0.0, 0.0, 0.2, 0.2, 0.05, 0.05};
    Aga8Detail1994Props(*zeroed, 1.01325, 288.15, 50.0, 288.15, gas);
    Aga8Detail1994Props(*prepared, 1.01325, 288.15, 50.0, 288.15, gas);
    EXPECT_EQ(zeroed->prepared, 1);
    EXPECT_EQ(zeroed->a[0], kAga8DetailTerms[0].a);
    EXPECT_EQ(zeroed->u[57], kAga8DetailTerms[57].u);
    ASSERT_EQ(zeroed->result.status, kAga8Detail1994Ok);
    EXPECT_EQ(zeroed->result.Zf, prepared->result.Zf);
    EXPECT_EQ(zeroed->result.Zb, prepared->result.Zb);
    EXPECT_EQ(zeroed->result.w, prepared->result.w);
}

TEST_F(PropertyTablesTest, InitialisingAgainGivesTheSameTables) {
    const ComponentPropertyTables before = t;
    InitPropertyTablesForTest();
    EXPECT_EQ(std::memcmp(&before, &t, sizeof before), 0);
    EXPECT_NEAR(StandardAirComposition[kNitrogen], 78.10426, 1e-12);
}

}  // namespace
