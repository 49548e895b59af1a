// ISO 6976:2016 properties against the standard's worked example.
#include <gtest/gtest.h>

#include <cmath>

#include "ComponentPropertyTables.h"
#include "Iso6976.h"
#include "ReferenceCsv.h"
#include "TestGases.h"

namespace {

class Iso6976ValidationTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }

    static FullGas Methane() {
        FullGas gas{};
        gas[0] = 100.0;
        return gas;
    }
    static Iso6976Result Properties(const FullGas& gas, RefConditionSet set, double airDensity,
                                    double airZ) {
        Iso6976Result r{};
        Iso6976Properties(r, gas.data(), RefBasePressure(set), RefBaseTemperature(set), airDensity,
                          airZ, set);
        return r;
    }
};

int ProgramIndex(const std::string& name) {
    const char* names[kGasComponents] = {"methane",          "nitrogen",         "carbon_dioxide",
                                         "ethane",           "propane",          "water",
                                         "hydrogen_sulfide", "hydrogen",         "carbon_monoxide",
                                         "oxygen",           "isobutane",        "n_butane",
                                         "isopentane",       "n_pentane",        "n_hexane",
                                         "n_heptane",        "n_octane",         "n_nonane",
                                         "n_decane",         "helium",           "argon",
                                         "neopentane",       "benzene",          "cyclohexane",
                                         "toluene",          "methylcyclohexane"};
    for (int i = 0; i < kGasComponents; ++i) {
        if (name == names[i]) {
            return i;
        }
    }
    return -1;
}

// ISO 6976:2016 Annex D, example 1: combustion 15 degC, metering 15 degC, 101.325 kPa (set 9).
// Each quantity within the absolute tolerance the file states for its printed digits.
TEST_F(Iso6976ValidationTest, Iso6976Of2016Example1) {
    FullGas gas{};
    const auto composition = ReadReferenceCsv("iso6976-2016-example1-composition.csv");
    ASSERT_FALSE(composition.empty());
    for (const CsvRow& row : composition) {
        const int i = ProgramIndex(row.at("component"));
        ASSERT_GE(i, 0) << row.at("component");
        gas[i] = CsvNumber(row, "mole_fraction") * 100.0;
    }
    const RefConditionSet set = 9;
    ASSERT_EQ(RefBaseTemperature(set), 288.15);
    ASSERT_EQ(RefBasePressure(set), 1.01325);
    Iso6976Result r{};
    Iso6976Properties(r, gas.data(), RefBasePressure(set), RefBaseTemperature(set), 1.225,
                      RefAirZ(set), set);
    const auto results = ReadReferenceCsv("iso6976-2016-example1-results.csv");
    ASSERT_EQ(results.size(), 5u);
    for (const CsvRow& row : results) {
        const std::string quantity = row.at("quantity");
        const double expected = CsvNumber(row, "value");
        const double tolerance = CsvNumber(row, "abs_tolerance");
        double actual = 0.0;
        if (quantity == "M") {
            actual = r.value[kIsoMolarMass];
        } else if (quantity == "Z") {
            actual = r.value[kIsoZ];
        } else if (quantity == "Hc_gross_molar") {
            actual = r.value[kIsoSuperiorMass] * r.value[kIsoMolarMass];
        } else if (quantity == "Hm_gross") {
            actual = r.value[kIsoSuperiorMass];
        } else if (quantity == "Hv_gross_real") {
            actual = r.value[kIsoSuperiorVolume];
        } else {
            ADD_FAILURE() << "unknown quantity " << quantity;
        }
        EXPECT_NEAR(actual, expected, tolerance) << quantity;
    }
}

// Pure methane at set 1: Z = 1 - 0.049^2 = 0.997599 exactly by the method; M = 16.043.
TEST_F(Iso6976ValidationTest, PureMethaneAtSet1) {
    const Iso6976Result r = Properties(Methane(), 1, 1.2, 0.99941);
    EXPECT_NEAR(r.value[kIsoZ], 0.997599, 1e-15);
    EXPECT_EQ(r.value[kIsoMolarMass], 16.043);
    const double R = 0.00831451;
    const double density = 16.043 * 1.01325 * 0.1 / (273.15 * R * 0.997599);
    EXPECT_NEAR(r.value[kIsoDensity], density, 1e-14 * density);
    EXPECT_NEAR(r.value[kIsoRelativeDensity], density / 1.2, 1e-14);
    EXPECT_NEAR(r.value[kIsoSuperiorMass], 892.97 / 16.043, 1e-12);
    EXPECT_NEAR(r.value[kIsoInferiorMass], 802.82 / 16.043, 1e-12);
    const double hsv = 892.97 * 1.01325 * 0.1 / (273.15 * R) / 0.997599;
    EXPECT_NEAR(r.value[kIsoSuperiorVolume], hsv, 1e-12 * hsv);
    EXPECT_NEAR(r.value[kIsoSuperiorWobbe], hsv / std::sqrt(density / 1.2), 1e-12 * hsv);
}

// Pure methane at set 14: p_psia = 14.696, Z = 1 - 14.696 x 0.0116^2 = 0.99802251; superior
// volumetric value 1010.0 Btu/ft3 x 0.03725901231777602 / Z.
TEST_F(Iso6976ValidationTest, PureMethaneAtImperialSet14) {
    const double airZ = 0.999576;
    const double airDensity = 1.2232;
    const Iso6976Result r = Properties(Methane(), 14, airDensity, airZ);
    const double Z = 1.0 - 14.696 * 0.0116 * 0.0116;
    EXPECT_NEAR(r.value[kIsoZ], Z, 1e-13);
    EXPECT_NEAR(r.value[kIsoZ], 0.998022, 1e-6);  // quoted to 6 decimals
    EXPECT_NEAR(r.value[kIsoSuperiorVolume], 1010.0 * 0.03725901231777602 / Z, 1e-11);
    EXPECT_NEAR(r.value[kIsoInferiorVolume], 909.4 * 0.03725901231777602 / Z, 1e-11);
    EXPECT_NEAR(r.value[kIsoSuperiorMass], 23892.0 * 0.002326, 1e-10);
    EXPECT_NEAR(r.value[kIsoInferiorMass], 21511.0 * 0.002326, 1e-10);
    const double d = 0.5539 * airZ / Z;
    EXPECT_NEAR(r.value[kIsoRelativeDensity], d, 1e-14);
    EXPECT_NEAR(r.value[kIsoDensity], d * airDensity, 1e-14);
    EXPECT_NEAR(r.value[kIsoSuperiorWobbe], r.value[kIsoSuperiorVolume] / std::sqrt(d), 1e-11);
    EXPECT_EQ(r.value[kIsoMolarMass], 16.0425);
}

}  // namespace
