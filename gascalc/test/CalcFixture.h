// A layout whose imports are cut from the preprocessing lines, so that a test sets each input's
// value and status itself, run through the program's hooks cycle by cycle.
#pragma once

#include <cmath>
#include <map>
#include <string>

#include "CalcBlock.h"
#include "CalorantFixture.h"
#include "ComponentPropertyTables.h"
#include "ProgramHooks.h"

namespace calorant_test {

// Components that ZM1 and BM1 have: the first 13 of kInputNames.
inline constexpr int kZM1ComponentCount = 13;

// Gas 1 of the AGA8-92 DETAIL validation set (mol-%), by component name.
inline const std::map<std::string, double>& ValidationGas1() {
    static const std::map<std::string, double> gas = {
        {"CH4", 96.5},   {"N2", 0.3},     {"CO2", 0.6},     {"C2H6", 1.8},    {"C3H8", 0.45},
        {"iC4H10", 0.1}, {"nC4H10", 0.1}, {"iC5H12", 0.05}, {"nC5H12", 0.03}, {"C6H14", 0.07}};
    return gas;
}

// Cuts every import from its source and gives it the value 0.
inline void cutImports(nlohmann::json& node) {
    const auto kind = node.find("kind");
    if (kind != node.end() && *kind == "import" && node.contains("source")) {
        node.erase("source");
        node["value"] = 0.0;
    }
    if (node.contains("children")) {
        for (nlohmann::json& child : node["children"]) {
            cutImports(child);
        }
    }
}

class CalcFixture : public CalorantFixture {
  protected:
    void SetUp() override {
        CalorantFixture::SetUp();
        InitPropertyTables();
    }

    // Starts `taste` with its imports cut (further edited by `edit`), binds it and makes the
    // 12-component calculator as the Run hook does.
    void startCalc(const std::string& taste, const ModelEdit& edit = {}) {
        layout = taste;
        startLayout(taste, [&edit](nlohmann::json& model) {
            cutImports(model["root"]);
            if (edit) {
                edit(model);
            }
        });
        OnTasteSetup(asInfo.get());
        ASSERT_EQ(OnRun(asInfo.get()), 0);
        ASSERT_NE(calcBlock.aga8Calculator12, nullptr);
    }

    void cycle() { ASSERT_EQ(OnProcess(asInfo.get()), 0); }

    // Sets a parameter as a tree change (the next cycle reloads).
    void change(const std::string& path, double value) {
        tree().changeDouble(path, value);
        tree().deliverChanges();
    }
    void changeCode(const std::string& path, uint32_t value) {
        tree().changeUnsigned(path, value);
        tree().deliverChanges();
    }
    std::string methodNode() const { return layout == "ZM1" ? "7" : "8"; }
    void setMethods(int32_t calcMethod, int32_t measCalcMethod) {
        tree().setInteger(methodNode() + ".CalcMethod", calcMethod);
        tree().setInteger(methodNode() + ".MeasCalcMethod", measCalcMethod);
        tree().markChanged();
        tree().deliverChanges();
    }

    // Takes a parameter in or out of use as a tree change (the next cycle reloads).
    void setInUse(const std::string& path, bool inUse) {
        tree().setInUse(path, inUse);
        tree().markChanged();
        tree().deliverChanges();
    }
    void setInput(const std::string& path, double value, uint32_t status = 0) {
        tree().setDouble(path, value);
        tree().setStatus(path, status);
    }
    void setComponent(const std::string& name, double value, uint32_t status = 0) {
        setInput("Comp." + name + ".Imp", value, status);
    }
    // Every component of the layout to the value of `gas` (0 where it has none).
    void setAnalysis(const std::map<std::string, double>& gas) {
        const int count = layout == "Default" ? kGasComponents : kZM1ComponentCount;
        for (int i = 0; i < count; ++i) {
            const char* name = kInputNames[i];
            const auto found = gas.find(name);
            setComponent(name, found == gas.end() ? 0.0 : found->second);
        }
    }
    void setMeasuring(double pBar, double tCelsius) {
        setInput("MeasCond.p_imp", pBar);
        setInput("MeasCond.t_imp", tCelsius);
    }

    double value(const std::string& path) { return tree().doubleValue(path); }
    uint32_t statusOf(const std::string& path) { return tree().status(path); }
    bool message(const std::string& name) { return tree().boolValue("Events." + name); }

    // The component inputs of the Default layout; ZM1 and BM1 have the first 13.
    static constexpr const char* kInputNames[kGasComponents] = {"N2",      "CO2",
                                                                "CH4",     "C2H6",
                                                                "C3H8",    "iC4H10",
                                                                "nC4H10",  "iC5H12",
                                                                "nC5H12",  "neoC5H12",
                                                                "C6H14",   "H2",
                                                                "O2",      "C7H16",
                                                                "C8H18",   "C9H20",
                                                                "C10H22",  "H2O",
                                                                "H2S",     "CO",
                                                                "He",      "Arg",
                                                                "Benzene", "Cyclohexane",
                                                                "Toluene", "Methylcyclohexane"};

    std::string layout;
};

}  // namespace calorant_test
