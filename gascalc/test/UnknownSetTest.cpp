// A reference-condition set outside 1 to 17 does not exist: the values stated at it are computed at
// the fallback conditions (0 degC, 1.01325 bar) and marked not valid, those stated at the other
// set or at none keep their status, and a set that exists marks nothing.
#include <string>
#include <vector>

#include "CalcFixture.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

// The results the analysis gives at the conditions of Source.RefCond.
const std::vector<std::string> kComputedAtSource = {
    "Source.Iso6976.rhob",  "Source.Iso6976.d",     "Source.Iso6976.HsV",  "Source.Iso6976.HiV",
    "Source.Iso6976.HsM",   "Source.Iso6976.HiM",   "Source.Iso6976.Ws",   "Source.Iso6976.Wi",
    "Source.Aga8Mode0.Z",   "Source.Aga8Mode0.rho", "Source.Aga8Mode0.d",  "Source.Aga8Mode1.Z",
    "Source.Aga8Mode1.rho", "Source.Aga8Mode1.d",   "Source.Aga8Calc12.Z", "Source.Aga8Calc12.rho"};
// The densities derived from the imports at the conditions of Source.RefCond.
const std::vector<std::string> kDerivedAtSource = {"Source.Rhob.rhob_from_d",
                                                   "Source.Rhob.d_from_rhob"};
// The imports taken from the set of Source.RefCond to that of Base1.RefCond, and what is formed
// from them.
const std::vector<std::string> kConvertedImports = {"Base1.rhob",
                                                    "Base1.d",
                                                    "Base1.HsV",
                                                    "Base1.HiV",
                                                    "Base1.HsM",
                                                    "Base1.HiM",
                                                    "Base1.Ws",
                                                    "Base1.Wi",
                                                    "MeasCond.rhom",
                                                    "OptionalBaseOutput.On.rhob",
                                                    "OptionalBaseOutput.On.d",
                                                    "OptionalBaseOutput.On.HsV",
                                                    "OptionalBaseOutput.On.HiV",
                                                    "OptionalBaseOutput.On.HsM",
                                                    "OptionalBaseOutput.On.HiM",
                                                    "OptionalBaseOutput.On.Ws",
                                                    "OptionalBaseOutput.On.Wi"};
// The gas molar mass: with the component data of Base1.RefCond, and the status word of the
// ISO 6976 evaluation at Source.RefCond.
const std::vector<std::string> kMolarMass = {"PropertiesOutput.M"};
// The values at the conditions, or with the data, of Base1.RefCond.
const std::vector<std::string> kAtBase1 = {"Base1.Zb",
                                           "Base1.K",
                                           "Base1.C",
                                           "Base1.AirZ",
                                           "Base1.AirDensity",
                                           "PropertiesOutput.M_air",
                                           "OptionalBaseOutput.On.Zb",
                                           "OptionalBaseOutput.On.K",
                                           "OptionalBaseOutput.On.C",
                                           "OptionalBaseOutput.On.AirZ",
                                           "OptionalBaseOutput.On.AirDensity"};
// Values stated at no set (the molar mass, the measuring state) and the conditions in use.
const std::vector<std::string> kAtNoSet = {"PropertiesOutput.M_aga8",
                                           "MeasCond.p",
                                           "MeasCond.t",
                                           "MeasCond.Zm",
                                           "Base1.pb",
                                           "Base1.tb",
                                           "OptionalBaseOutput.On.pb",
                                           "OptionalBaseOutput.On.tb"};

class UnknownSetTest : public CalcFixture {
  protected:
    // Default layout, DETAIL for Zm and Zb, every import in use and positive, the second base
    // state at 15 degC, `refCond` at `set`.
    void startAt(const std::string& refCond, uint32_t set) {
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startCalc("Default");
        setMethods(3, 2);
        setAnalysis(ValidationGas1());
        setMeasuring(60.0, 16.85);
        const std::pair<const char*, double> imports[] = {
            {"Source.HVHM.HsV_imp", 40.66}, {"Source.HVHM.HiV_imp", 36.7},
            {"Source.HVHM.HsM_imp", 52.1},  {"Source.HVHM.HiM_imp", 47.0},
            {"Source.HVHM.Ws_imp", 53.3},   {"Source.HVHM.Wi_imp", 48.1},
            {"Source.Rhob.rhob_imp", 0.79}, {"Source.Rhob.d_imp", 0.61}};
        for (const auto& [path, input] : imports) {
            setInput(path, input);
        }
        tree().setSelectedChoice("OptionalBaseOutput", 1);
        tree().setDouble("OptionalBaseOutput.On.tb_set", 15.0);
        tree().setDouble("OptionalBaseOutput.On.pb_set", 1.01325);
        changeCode(refCond, set);
        cycle();
        cycle();
    }

    void expectStatus(const std::vector<std::string>& paths, uint32_t expected) {
        for (const std::string& path : paths) {
            EXPECT_EQ(statusOf(path), expected) << path;
        }
    }
};

TEST_F(UnknownSetTest, ValuesStatedAtASetThatDoesNotExistAreMarked) {
    const struct {
        uint32_t set;
        bool exists;
    } sets[] = {{0, false}, {1, true}, {17, true}, {18, false}, {255, false}};
    for (const bool sourceSet : {true, false}) {
        for (const auto& s : sets) {
            const std::string refCond = sourceSet ? "Source.RefCond" : "Base1.RefCond";
            SCOPED_TRACE(refCond + " " + std::to_string(s.set));
            startAt(refCond, s.set);
            const uint32_t mark = s.exists ? 0u : status::kInvalid;
            expectStatus(kComputedAtSource, sourceSet ? mark : 0u);
            expectStatus(kDerivedAtSource, sourceSet ? mark : 0u);
            expectStatus(kConvertedImports, mark);
            expectStatus(kMolarMass, mark);
            expectStatus(kAtBase1, sourceSet ? 0u : mark);
            expectStatus(kAtNoSet, 0u);
        }
    }
}

TEST_F(UnknownSetTest, MarkedResultsKeepTheValuesOfTheFallbackConditions) {
    // Source.RefCond 1 is 0 degC and 1.01325 bar, the fallback of a set that does not exist: the
    // values at set 18 are those at set 1, only marked.
    const std::vector<std::string> aga8 = {
        "Source.Aga8Mode0.Z",  "Source.Aga8Mode0.rho",  "Source.Aga8Mode0.d",
        "Source.Aga8Mode1.Z",  "Source.Aga8Mode1.rho",  "Source.Aga8Mode1.d",
        "Source.Aga8Calc12.Z", "Source.Aga8Calc12.rho", "PropertiesOutput.M_aga8"};
    startAt("Source.RefCond", 1);
    std::vector<double> atSet1;
    for (const std::string& path : aga8) {
        atSet1.push_back(value(path));
    }
    startAt("Source.RefCond", 18);
    for (size_t i = 0; i < aga8.size(); ++i) {
        EXPECT_GT(atSet1[i], 0.0) << aga8[i];
        EXPECT_EQ(value(aga8[i]), atSet1[i]) << aga8[i];
    }
}

}  // namespace
