// The table "Where each result comes from" of docs/parameters.md (the "resultSources" rows of
// tools/parameter_meanings.json) follows the program: each result changes with exactly the inputs
// and settings its row lists, changed one at a time from one state (a property of a set between two
// sets that differ in it alone).
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

    // Moves one property of a set: `refCond` from set `from` to set `to`, two sets that differ in
    // that property alone (unchanged: `from`).
    Change setChange(const std::string& refCond, uint32_t from, uint32_t to) {
        return
            [this, refCond, from, to](bool changed) { changeCode(refCond, changed ? to : from); };
    }

    // Each key of "resultInputs" and how the test moves it. The property of a set moves between
    // two sets that differ in nothing else: the combustion temperature from set 1 to 2 (0 and
    // 15 degC), the metering temperature from set 2 to 3 (0 and 15 degC), the base pressure from
    // set 14 to 15 (14.696 and 14.65 psia), the standard from set 2 to 8 (ISO 6976:1995 and 2016).
    std::map<std::string, Change> changes() {
        std::map<std::string, Change> moves = {
            {"analysis",
             [this](bool changed) {
                 setComponent("CH4", changed ? 95.5 : 96.5);
                 setComponent("C2H6", changed ? 2.8 : 1.8);
             }},
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
        for (const std::string node : {"Source", "Base1"}) {
            const std::string refCond = node + ".RefCond";
            moves[node + " combustion"] = setChange(refCond, 1, 2);
            moves[node + " metering"] = setChange(refCond, 2, 3);
            moves[node + " pressure"] = setChange(refCond, 14, 15);
            moves[node + " standard"] = setChange(refCond, 2, 8);
        }
        return moves;
    }

    // Both sets back at 1, as in the described state.
    void restoreSets() {
        changeCode("Source.RefCond", 1);
        changeCode("Base1.RefCond", 1);
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
    for (const auto& [key, text] : table.at("resultInputs").items()) {
        SCOPED_TRACE("changed: " + key);
        ASSERT_EQ(moves.count(key), 1u) << "the test does not know how to change " << text;
        moves.at(key)(false);
        cycle();
        const std::map<std::string, double> before = read(results);
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
        restoreSets();
    }
}

}  // namespace
