// The imported densities and heating values converted to the method reference set and the
// result set, with the values derived from each other and their status words.
#include <string>

#include "CalcFixture.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;

class ImportedValuesTest : public CalcFixture {
  protected:
    double sourceAirDensity() const { return calcBlock.baseConditions.source.airDensity; }
};

TEST_F(ImportedValuesTest, DensitiesDeriveEachOtherAndReachBothSets) {
    startCalc("Default");
    setInput("Source.Rhob.rhob_imp", 0.8);
    setInput("Source.Rhob.d_imp", 0.6);
    cycle();
    const double air = sourceAirDensity();
    EXPECT_NEAR(value("Source.Rhob.d_from_rhob"), 0.8 / air, 1e-15);
    EXPECT_NEAR(value("Source.Rhob.rhob_from_d"), 0.6 * air, 1e-15);
    // Source and result are both set 1: published unchanged.
    EXPECT_EQ(value("Base1.rhob"), 0.8);
    EXPECT_EQ(value("Base1.d"), 0.6);
    // At set 5 (0 degC metering like set 1) the densities are unchanged too.
    const ImportedValueRecords& imported = calcBlock.imported;
    EXPECT_EQ(imported.densityAtMethodReference.value[kRefBaseDensity], 0.8);
    EXPECT_EQ(imported.densityAtMethodReference.value[kRefRelativeDensity], 0.6);
    for (uint32_t word : imported.densityOutputs.status) {
        EXPECT_EQ(word, 0u);
    }
    // Result set 3 (15 degC metering): the density follows the metering temperature, within
    // the real-gas correction of the conversion (0.1 %).
    changeCode("Base1.RefCond", 3);
    cycle();
    EXPECT_NEAR(value("Base1.rhob"), 0.8 * 273.15 / 288.15, 0.8e-3);
    EXPECT_NEAR(value("Base1.d"), 0.6, 0.6e-3);
}

TEST_F(ImportedValuesTest, InputsOutOfUseOrNotPositive) {
    startCalc("Default");
    // Base density only.
    setInput("Source.Rhob.rhob_imp", 0.8);
    setInUse("Source.Rhob.d_imp", false);
    cycle();
    EXPECT_NEAR(value("Source.Rhob.d_from_rhob"), 0.8 / sourceAirDensity(), 1e-15);
    for (const char* path : {"Source.Rhob.rhob_from_d", "Base1.d"}) {
        EXPECT_EQ(value(path), 0.0) << path;
        EXPECT_NE(statusOf(path) & status::kNotInUse, 0u) << path;
    }
    EXPECT_EQ(statusOf("Base1.rhob"), 0u);
    // A negative relative density is taken as 0.0, and all that stems from it is invalid.
    setInUse("Source.Rhob.d_imp", true);
    setInput("Source.Rhob.d_imp", -0.1);
    cycle();
    EXPECT_EQ(value("Base1.d"), 0.0);
    EXPECT_EQ(statusOf("Base1.d"), status::kInvalid);
    EXPECT_EQ(statusOf("Source.Rhob.rhob_from_d"), status::kInvalid);
    EXPECT_EQ(statusOf("Base1.rhob"), 0u);
    // Neither input in use.
    setInUse("Source.Rhob.rhob_imp", false);
    setInUse("Source.Rhob.d_imp", false);
    cycle();
    for (const char* path :
         {"Source.Rhob.rhob_from_d", "Source.Rhob.d_from_rhob", "Base1.rhob", "Base1.d"}) {
        EXPECT_EQ(value(path), 0.0) << path;
        EXPECT_EQ(statusOf(path), status::kNotInUse) << path;
    }
}

TEST_F(ImportedValuesTest, HeatingValuesAndTheDerivedInferiorWobbeIndex) {
    startCalc("Default", [](nlohmann::json& model) {
        calorant_test::modelNode(model, {7, 0})["value"] = 5;  // source at the method set
    });
    setInput("Source.HVHM.HsV_imp", 40.0);
    setInput("Source.HVHM.HiV_imp", 36.0);
    setInput("Source.HVHM.Ws_imp", 50.0);
    setInput("Source.HVHM.Wi_imp", 44.0);
    cycle();
    const ValueSet6& reference = calcBlock.imported.heatingAtMethodReference;
    // The source is the method set: values unchanged, the inferior Wobbe index copied.
    EXPECT_EQ(reference.value[0], 40.0);
    EXPECT_EQ(reference.value[5], 44.0);
    // At the result set 1 (other combustion temperature): derived as HiV x Ws / HsV.
    const ValueSet6& result = calcBlock.imported.heatingAtResult;
    EXPECT_NEAR(value("Base1.Wi"), result.value[1] * result.value[4] / result.value[0], 1e-12);
    EXPECT_EQ(statusOf("Base1.Wi"), 0u);
    EXPECT_NE(value("Base1.HsV"), 40.0);
    EXPECT_NEAR(value("Base1.HsV"), 40.0, 0.4);  // 25 to 0 degC combustion: within 1 %
    // A superior value of 0: the derived inferior Wobbe index is 0.0 and invalid.
    setInput("Source.HVHM.HsV_imp", 0.0);
    cycle();
    EXPECT_EQ(value("Base1.Wi"), 0.0);
    EXPECT_EQ(statusOf("Base1.Wi"), status::kInvalid);
    // Inputs not in use: 0.0 with "not in use" at the result set.
    setInUse("Source.HVHM.HsM_imp", false);
    cycle();
    EXPECT_EQ(value("Base1.HsM"), 0.0);
    EXPECT_EQ(statusOf("Base1.HsM"), status::kNotInUse);
}

TEST_F(ImportedValuesTest, HeatingValueNotPositiveOrFlaggedIsInvalidAtBothSets) {
    startCalc("Default", [](nlohmann::json& model) {
        calorant_test::modelNode(model, {7, 0})["value"] = 5;  // source at the method set
    });
    const char* names[kHeatingValues] = {"HsV", "HiV", "HsM", "HiM", "Ws", "Wi"};
    const double good[kHeatingValues] = {40.0, 36.0, 55.0, 50.0, 50.0, 45.0};
    for (int bad = 0; bad < kHeatingValues; ++bad) {
        const struct {
            double value;
            uint32_t status;
        } faults[] = {{-40.0, 0u}, {0.0, 0u}, {good[bad], 0x8}};
        for (const auto& fault : faults) {
            SCOPED_TRACE(std::string(names[bad]) + " " + std::to_string(fault.value) + " status " +
                         std::to_string(fault.status));
            for (int i = 0; i < kHeatingValues; ++i) {
                setInput(std::string("Source.HVHM.") + names[i] + "_imp",
                         i == bad ? fault.value : good[i], i == bad ? fault.status : 0u);
            }
            cycle();
            if (bad != 5) {
                EXPECT_NE(statusOf(std::string("Base1.") + names[bad]) & status::kInvalid, 0u);
            }
            EXPECT_NE(calcBlock.imported.heatingAtMethodReference.status[bad] & status::kInvalid,
                      0u);
            // At the result set the inferior Wobbe index is derived from HsV, HiV and Ws, at the
            // method set (the source) it is the input itself.
            const bool wiBad = bad == 0 || bad == 1 || bad == 4;
            EXPECT_EQ(statusOf("Base1.Wi"), wiBad ? status::kInvalid : 0u);
            EXPECT_EQ(statusOf("Base1.HsM"), bad == 2 ? status::kInvalid : 0u);
        }
    }
}

TEST_F(ImportedValuesTest, ZM1AndBM1PublishOnlyTheSuperiorValue) {
    for (const char* taste : {"ZM1", "BM1"}) {
        SCOPED_TRACE(taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startCalc(taste);
        setInput("Source.HVHM.HsV_imp", 40.0);
        cycle();
        EXPECT_EQ(value("Base1.HsV"), 40.0);
        EXPECT_EQ(statusOf("Base1.HsV"), 0u);
        EXPECT_EQ(calcBlock.imported.heatingAtResult.status[1], status::kNotInUse);
    }
}

}  // namespace
