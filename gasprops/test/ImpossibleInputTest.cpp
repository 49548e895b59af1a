// One list of impossible inputs run through every method of the library: each method must fail
// with its own failure signal (result, status word, error code, trace) and report no number as
// good. The unspoiled gas is the control: every method must give a plausible Z for it, so a method
// that failed everything could not pass.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Aga8Calculator12.h"
#include "Aga8Detail.h"
#include "Aga8Detail1994.h"
#include "ComponentPropertyTables.h"
#include "HostTrace.h"
#include "Iso6976.h"
#include "Nx19.h"
#include "Sgerg88Checked.h"
#include "Sgerg88SecondForm.h"
#include "Sgerg88Variant.h"
#include "TestGases.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The inputs a method may read; a case spoils some of them.
enum Field : unsigned {
    kPressure = 1u << 0,
    kTemperature = 1u << 1,
    kCO2 = 1u << 2,
    kN2 = 1u << 3,
    kH2 = 1u << 4,
    kHs = 1u << 5,
    kRelativeDensity = 1u << 6,
    kBaseDensity = 1u << 7,
    kAnalysis = 1u << 8,  // the whole 26-component analysis
};
constexpr unsigned kState = kPressure | kTemperature;
// Methods on a gas analysis read every content through it.
constexpr unsigned kAnalysisFields = kState | kCO2 | kN2 | kH2 | kAnalysis;

enum : int { kMethane = 0, kNitrogen = 1, kCarbonDioxide = 2, kEthane = 3, kHydrogen = 7 };

// One natural gas at one state, in every description the methods take. Contents in mol-%.
struct GasInput {
    double p = 60.0;     // bar
    double T = 273.15;   // K
    double CO2 = 0.6;    // mol-%
    double N2 = 0.9;     // mol-%
    double H2 = 0.0;     // mol-%
    double Hs = 40.66;   // MJ/m3
    double d = 0.581;    // relative density
    double rho = 0.79;   // base density, kg/m3
    FullGas analysis{};  // 26 components, mol-%

    GasInput() {
        analysis[kMethane] = 92.5;
        analysis[kNitrogen] = N2;
        analysis[kCarbonDioxide] = CO2;
        analysis[kEthane] = 4.5;
        analysis[4] = 1.0;    // propane
        analysis[10] = 0.2;   // isobutane
        analysis[11] = 0.2;   // n-butane
        analysis[12] = 0.05;  // isopentane
        analysis[13] = 0.05;  // n-pentane
    }
    // Sets one content in both descriptions; methane takes up the difference in the analysis,
    // so the analysis still sums to 100 where the content is a number.
    void setContent(int component, double& content, double value) {
        analysis[kMethane] += content - value;
        content = value;
        analysis[component] = value;
    }
};

struct BadCase {
    std::string name;
    unsigned spoils;  // the case applies to a method that reads all of these
    std::function<void(GasInput&)> spoil;
};

std::vector<BadCase> BadCases() {
    std::vector<BadCase> cases;
    const auto add = [&cases](std::string name, unsigned spoils,
                              std::function<void(GasInput&)> spoil) {
        cases.push_back({std::move(name), spoils, std::move(spoil)});
    };
    for (const double p : {0.0, -0.0, -10.0, kNaN, kInf}) {
        add("p " + std::to_string(p), kPressure, [p](GasInput& g) { g.p = p; });
    }
    for (const double T : {0.0, -10.0, kNaN, kInf}) {
        add("T " + std::to_string(T), kTemperature, [T](GasInput& g) { g.T = T; });
    }
    for (const double v : {-5.0, 200.0, kNaN, kInf}) {
        add("CO2 " + std::to_string(v), kCO2,
            [v](GasInput& g) { g.setContent(kCarbonDioxide, g.CO2, v); });
        add("N2 " + std::to_string(v), kN2, [v](GasInput& g) { g.setContent(kNitrogen, g.N2, v); });
        add("H2 " + std::to_string(v), kH2, [v](GasInput& g) { g.setContent(kHydrogen, g.H2, v); });
    }
    add("CO2 and N2 summing to 120 mol-%", kCO2 | kN2, [](GasInput& g) {
        g.setContent(kCarbonDioxide, g.CO2, 60.0);
        g.setContent(kNitrogen, g.N2, 60.0);
    });
    add("CO2 and H2 summing to 120 mol-%", kCO2 | kH2, [](GasInput& g) {
        g.setContent(kCarbonDioxide, g.CO2, 60.0);
        g.setContent(kHydrogen, g.H2, 60.0);
    });
    add("analysis summing to 200 %", kAnalysis, [](GasInput& g) {
        for (double& v : g.analysis) {
            v *= 2.0;
        }
    });
    add("analysis summing to 50 %", kAnalysis, [](GasInput& g) {
        for (double& v : g.analysis) {
            v *= 0.5;
        }
    });
    add("negative ethane", kAnalysis, [](GasInput& g) {
        g.analysis[kMethane] += 6.0;
        g.analysis[kEthane] = -1.5;
    });
    for (const double v : {0.0, -40.66, kNaN}) {
        add("Hs " + std::to_string(v), kHs, [v](GasInput& g) { g.Hs = v; });
    }
    for (const double v : {0.0, -0.581, kNaN, kInf}) {
        add("relative density " + std::to_string(v), kRelativeDensity,
            [v](GasInput& g) { g.d = v; });
        add("base density " + std::to_string(v), kBaseDensity, [v](GasInput& g) { g.rho = v; });
    }
    return cases;
}

// A method under test: the fields it reads, and a call that returns the Z it reports as good, or
// checks its own failure signal and returns nothing.
struct Method {
    std::string name;
    unsigned reads;
    // Returns true and sets Z when the method reports success.
    std::function<bool(const GasInput&, double& Z)> run;
};

class ImpossibleInputTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }
    void SetUp() override { host::setTraceLevel(7); }
    void TearDown() override { host::resetTraceSettings(); }

    // Expects exactly one record of `id` since the last clear.
    void expectTrace(uint32_t id) { EXPECT_EQ(capture.withId(id).size(), 1u) << std::hex << id; }

    std::vector<Method> Methods();

    host::TraceCapture capture;
    std::unique_ptr<Aga8Detail1994Data> detail1994 = std::make_unique<Aga8Detail1994Data>();
    std::unique_ptr<Aga8Calculator12> calculator = std::make_unique<Aga8Calculator12>();
    std::unique_ptr<Aga8State> state = std::make_unique<Aga8State>();
};

std::vector<Method> ImpossibleInputTest::Methods() {
    std::vector<Method> methods;
    for (const uint8_t mode : {kAga8SolveBracketed, kAga8SolveNewton}) {
        for (const uint8_t rangeCheck : {0, 1}) {
            methods.push_back(
                {"Aga8ZDensity mode " + std::to_string(mode) + " range check " +
                     std::to_string(rangeCheck),
                 kAnalysisFields, [this, mode, rangeCheck](const GasInput& g, double& Z) {
                     *state = Aga8State{};
                     Aga8RangeFlags flags{};
                     const uint8_t failed = Aga8ZDensity(*state, g.p, g.T, g.analysis.data(), &Z,
                                                         flags, rangeCheck, mode, nullptr);
                     if (failed != 0) {
                         EXPECT_EQ(Z, 1.0);
                     }
                     return failed == 0;
                 }});
        }
    }
    methods.push_back(
        {"Aga8Detail1994Props", kAnalysisFields, [this](const GasInput& g, double& Z) {
             Aga8Detail1994Props(*detail1994, 1.01325, 288.15, g.p, g.T, g.analysis.data());
             const Aga8Detail1994Result& r = detail1994->result;
             Z = r.Zf;
             if (r.status == kAga8Detail1994BadComposition) {
                 EXPECT_EQ(r.Zf, 0.0);
                 EXPECT_EQ(r.Df, 0.0);
             }
             return r.status == kAga8Detail1994Ok;
         }});
    methods.push_back({"Aga8Calculator12", kAnalysisFields, [this](const GasInput& g, double& Z) {
                           calculator->setComposition(g.analysis.data());
                           capture.clear();
                           const uint8_t ok = calculator->solveDensity(g.p, g.T, Z);
                           if (ok == 0) {
                               EXPECT_EQ(Z, 1.0);
                               expectTrace(0x40057);
                           }
                           return ok != 0;
                       }});
    for (const RefConditionSet set : {3u, 9u, 14u}) {
        methods.push_back({"Iso6976Properties set " + std::to_string(set), kAnalysisFields,
                           [this, set](const GasInput& g, double& Z) {
                               Iso6976Result result{};
                               capture.clear();
                               Iso6976Properties(result, g.analysis.data(), g.p, g.T, 1.2930,
                                                 0.99958, set);
                               Z = result.value[kIsoZ];
                               bool allZero = true;
                               for (const double v : result.value) {
                                   allZero = allZero && v == 0.0;
                               }
                               if (allZero) {
                                   expectTrace(set < 14 ? 0x20055 : 0x200F5);
                               }
                               return !allZero;
                           }});
    }
    const unsigned sgergReads[] = {kCO2, kN2, kCO2 | kH2, kN2 | kH2, kCO2 | kN2};
    for (int variant = 0; variant <= 4; ++variant) {
        for (const uint8_t check : {0, 1}) {
            methods.push_back(
                {"SgergZVariant " + std::to_string(variant) + " check " + std::to_string(check),
                 kState | kHs | kRelativeDensity | sgergReads[variant],
                 [variant, check](const GasInput& g, double& Z) {
                     const int ok = SgergZVariant(variant, g.Hs, g.d, g.CO2, g.N2, g.H2, g.p, g.T,
                                                  &Z, 0, check);
                     if (ok == 0) {
                         EXPECT_EQ(Z, 1.0);
                     }
                     return ok != 0;
                 }});
        }
    }
    methods.push_back(
        {"SgergZ", kState | kBaseDensity | kCO2 | kN2, [](const GasInput& g, double& Z) {
             Z = 0.25;
             const int ok = SgergZ(&g.rho, &g.CO2, &g.N2, &g.p, &g.T, &Z);
             if (ok == 0) {
                 EXPECT_EQ(Z, 0.25);
             }
             return ok != 0;
         }});
    methods.push_back({"SgergZChecked", kState | kHs | kRelativeDensity | kCO2 | kH2,
                       [this](const GasInput& g, double& Z) {
                           capture.clear();
                           const int ok = SgergZChecked(g.Hs, g.d, g.CO2, g.H2, g.p, g.T, &Z, 0, 0);
                           if (ok == 0) {
                               EXPECT_EQ(Z, 1.0);
                               const auto records = capture.withId(0x50005);
                               EXPECT_EQ(records.size(), 1u);
                               if (!records.empty()) {
                                   EXPECT_EQ(records[0].intArg(0), kSgergErrorInput);
                               }
                           }
                           return ok != 0;
                       }});
    methods.push_back({"SgergZChecked with range check",
                       kState | kHs | kRelativeDensity | kCO2 | kH2,
                       [](const GasInput& g, double& Z) {
                           Z = 0.25;
                           const int ok = SgergZChecked(g.Hs, g.d, g.CO2, g.H2, g.p, g.T, &Z, 0, 1);
                           if (ok == 0) {
                               // The range check leaves Z alone; every other failure writes 1.0.
                               EXPECT_TRUE(Z == 0.25 || Z == 1.0) << Z;
                           }
                           return ok != 0;
                       }});
    methods.push_back(
        {"Nx19Z", kState | kRelativeDensity | kCO2 | kN2, [](const GasInput& g, double& Z) {
             const int ok = Nx19Z(g.d, g.CO2, g.N2, g.p, g.T, &Z);
             if (ok == 0) {
                 EXPECT_EQ(Z, 1.0);
             }
             return ok != 0;
         }});
    methods.push_back(
        {"Nx19VariantZ", kState | kBaseDensity | kCO2 | kN2, [](const GasInput& g, double& Z) {
             const int ok = Nx19VariantZ(g.rho, g.CO2, g.N2, g.p, g.T, &Z);
             if (ok == 0) {
                 EXPECT_EQ(Z, 1.0);
             }
             return ok != 0;
         }});
    methods.push_back({"Nx19ModZ", kState | kHs | kRelativeDensity | kCO2 | kN2,
                       [](const GasInput& g, double& Z) {
                           uint8_t tWide = 0;
                           uint8_t pFlag = 0;
                           uint8_t tNarrow = 0;
                           const int ok = Nx19ModZ(g.Hs, g.d, g.CO2, g.N2, g.p, g.T, &Z, &tWide,
                                                   &pFlag, &tNarrow, 1);
                           if (ok == 0) {
                               EXPECT_EQ(Z, 1.0);
                           }
                           return ok != 0;
                       }});
    return methods;
}

TEST_F(ImpossibleInputTest, TheUnspoiledGasGivesAPlausibleZInEveryMethod) {
    for (const Method& method : Methods()) {
        double Z = 0.0;
        EXPECT_TRUE(method.run(GasInput{}, Z)) << method.name;
        EXPECT_GT(Z, 0.75) << method.name;
        EXPECT_LT(Z, 1.01) << method.name;
    }
}

TEST_F(ImpossibleInputTest, EveryMethodFailsOnEveryImpossibleInputItReads) {
    const std::vector<BadCase> cases = BadCases();
    const std::vector<Method> methods = Methods();
    int applied = 0;
    for (const Method& method : methods) {
        for (const BadCase& bad : cases) {
            if ((method.reads & bad.spoils) != bad.spoils) {
                continue;
            }
            GasInput input;
            bad.spoil(input);
            double Z = 0.5;
            EXPECT_FALSE(method.run(input, Z)) << method.name << ": " << bad.name << " gave " << Z;
            // After the failure the method works again for the good gas.
            double good = 0.0;
            EXPECT_TRUE(method.run(GasInput{}, good)) << method.name << " after " << bad.name;
            ++applied;
        }
    }
    // Every method met the pressure and temperature cases at least.
    EXPECT_GE(applied, static_cast<int>(methods.size()) * 9);
}

// A state far beyond the correlation: the base-density NX-19 form gives a negative Z there, which
// its limits would otherwise turn into a good 0.1.
TEST_F(ImpossibleInputTest, Nx19BaseDensityFormFailsWhereItsZIsNotPositive) {
    for (const double p : {1000.0, 1e4, 1e6}) {
        double Z = 0.5;
        EXPECT_EQ(Nx19VariantZ(0.79, 0.6, 0.9, p, 273.15, &Z), 0) << p;
        EXPECT_EQ(Z, 1.0) << p;
        EXPECT_EQ(Nx19ModRhoFactor(p, 0.0, 0.6, 0.9, 0.79), 0.0) << p;
    }
    // Where the correlation's Z lies above 1 its upper limit still applies.
    EXPECT_EQ(Nx19ModRhoFactor(500.0, 0.0, 0.6, 0.9, 0.79), 1.0);
}

}  // namespace
