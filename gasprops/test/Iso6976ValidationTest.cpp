// ISO 6976:2016 properties against the standard's worked example.
#include <gtest/gtest.h>

#include "ComponentPropertyTables.h"
#include "Iso6976.h"
#include "ReferenceCsv.h"
#include "TestGases.h"

namespace {

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
TEST(Iso6976ValidationTest, Iso6976Of2016Example1) {
    InitPropertyTablesForTest();
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

}  // namespace
