// The table "Where each result comes from" of docs/parameters.md (the "resultSources" rows of
// tools/parameter_meanings.json) follows the program: each result changes with exactly the inputs
// and settings its row lists, changed one at a time from one state.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CalcFixture.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

nlohmann::json meanings() {
    std::ifstream file(std::string(EXAMPLES_DIR) + "/../tools/parameter_meanings.json");
    return nlohmann::json::parse(file);
}

// The imports of the state the table describes, each in use with a positive value.
const std::map<std::string, double>& importValues() {
    static const std::map<std::string, double> values = {
        {"Source.HVHM.HsV_imp", 40.66}, {"Source.HVHM.HiV_imp", 36.7},
        {"Source.HVHM.HsM_imp", 52.1},  {"Source.HVHM.HiM_imp", 47.0},
        {"Source.HVHM.Ws_imp", 53.3},   {"Source.HVHM.Wi_imp", 48.1},
        {"Source.Rhob.rhob_imp", 0.79}, {"Source.Rhob.d_imp", 0.61},
        {"MeasCond.p_imp", 60.0},       {"MeasCond.t_imp", 16.85}};
    return values;
}

class ResultSourcesDocTest : public CalcFixture {
  protected:
    // The state of the table: every import in use and positive, both sets 1, the second base
    // state at 15 degC and 1.01325 bar, the constant method (so that no method ties a result to
    // inputs of its own).
    void startDescribedState() {
        startCalc("Default");
        setAnalysis(ValidationGas1());
        for (const auto& [path, value] : importValues()) {
            setInput(path, value);
        }
        tree().setSelectedChoice("OptionalBaseOutput", 1);
        tree().setDouble("OptionalBaseOutput.On.tb_set", 15.0);
        tree().setDouble("OptionalBaseOutput.On.pb_set", 1.01325);
        setMethods(17, 16);
        cycle();
    }

    // Sets one input or setting of the table to its changed value (`changed`) or back.
    using Change = std::function<void(bool changed)>;

    Change importChange(const std::string& path) {
        return [this, path](bool changed) {
            setInput(path, importValues().at(path) * (changed ? 1.01 : 1.0));
        };
    }

    // Each key of "resultInputs" and how the test moves it. A combustion temperature moves from
    // set 1 to set 2, which differ in nothing else (metering at 0 degC, 1.01325 bar).
    std::map<std::string, Change> changes() {
        std::map<std::string, Change> moves = {
            {"analysis",
             [this](bool changed) {
                 setComponent("CH4", changed ? 95.5 : 96.5);
                 setComponent("C2H6", changed ? 2.8 : 1.8);
             }},
            {"Source combustion",
             [this](bool changed) { changeCode("Source.RefCond", changed ? 2 : 1); }},
            {"Base1 combustion",
             [this](bool changed) { changeCode("Base1.RefCond", changed ? 2 : 1); }},
            {"On.tb_set",
             [this](bool changed) {
                 change("OptionalBaseOutput.On.tb_set", changed ? 20.0 : 15.0);
             }},
            {"On.pb_set", [this](bool changed) {
                 change("OptionalBaseOutput.On.pb_set", changed ? 1.1 : 1.01325);
             }}};
        for (const auto& [path, value] : importValues()) {
            moves[path.substr(path.rfind('.') + 1)] = importChange(path);
        }
        return moves;
    }

    std::map<std::string, double> read(const std::set<std::string>& results) {
        std::map<std::string, double> values;
        for (const std::string& result : results) {
            values[result] = value(result);
        }
        return values;
    }
};

bool moved(double before, double after) {
    return std::fabs(after - before) > 1e-12 * std::max(1.0, std::fabs(before));
}

TEST_F(ResultSourcesDocTest, EveryResultChangesWithExactlyTheInputsItsRowLists) {
    const nlohmann::json table = meanings();
    startDescribedState();
    std::map<std::string, std::set<std::string>> follows;  // result -> keys its row lists
    std::set<std::string> results;
    for (const nlohmann::json& row : table.at("resultSources")) {
        if (row.at("follows").is_null()) {
            continue;  // a method result: its inputs are those of the method codes
        }
        for (const nlohmann::json& result : row.at("results")) {
            results.insert(result.get<std::string>());
            for (const nlohmann::json& key : row.at("follows")) {
                follows[result.get<std::string>()].insert(key.get<std::string>());
            }
        }
    }
    ASSERT_FALSE(results.empty());
    std::map<std::string, Change> moves = changes();
    const std::map<std::string, double> before = read(results);
    for (const auto& [key, text] : table.at("resultInputs").items()) {
        SCOPED_TRACE("changed: " + key);
        ASSERT_EQ(moves.count(key), 1u) << "the test does not know how to change " << text;
        moves.at(key)(true);
        cycle();
        const std::map<std::string, double> after = read(results);
        for (const std::string& result : results) {
            const bool listed = follows[result].count(key) != 0;
            EXPECT_EQ(moved(before.at(result), after.at(result)), listed)
                << result << " " << before.at(result) << " -> " << after.at(result);
        }
        moves.at(key)(false);
        cycle();
        for (const std::string& result : results) {
            ASSERT_EQ(value(result), before.at(result)) << result << " did not come back";
        }
    }
}

}  // namespace
