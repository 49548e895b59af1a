// The method codes of docs/parameters.md (the "methods" table of tools/parameter_meanings.json)
// follow the program: each row's two codes reach the same method, and the inputs the row says
// the method reads are exactly those the method marks as used.
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "CalcFixture.h"
#include "MethodSelection.h"

namespace {

using calorant_test::CalcFixture;

using InputSet = std::set<std::string>;

// `text` without its parenthesised remarks and the blank before each.
std::string withoutRemarks(const std::string& text) {
    std::string kept;
    int depth = 0;
    for (const char c : text) {
        depth += c == '(' ? 1 : 0;
        if (depth == 0) {
            kept += c;
        } else if (kept.size() > 0 && kept.back() == ' ') {
            kept.pop_back();
        }
        depth -= c == ')' && depth > 0 ? 1 : 0;
    }
    return kept;
}

// The inputs a row's "reads" names, separated by ", " (remarks in parentheses left out), each
// given as the use mark it stands for ("derived d" and "base density" are both the base-density
// input). An unknown name is kept as it stands, so that the comparison shows it.
InputSet namedInputs(const std::string& reads) {
    static const std::map<std::string, std::string> kMarkOf = {{"HsV", "HsV"},
                                                               {"derived d", "base density"},
                                                               {"base density", "base density"},
                                                               {"d input", "d input"},
                                                               {"CO2", "CO2"},
                                                               {"H2", "H2"},
                                                               {"N2", "N2"},
                                                               {"the analysis", "analysis"}};
    InputSet inputs;
    const std::string names = withoutRemarks(reads);
    if (names == "nothing") {
        return inputs;
    }
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t end = std::min(names.find(", ", start), names.size());
        const std::string name = names.substr(start, end - start);
        const auto mark = kMarkOf.find(name);
        inputs.insert(mark != kMarkOf.end() ? mark->second : "unknown: " + name);
        start = end + 2;
    }
    return inputs;
}

// The inputs the block's use marks hold.
InputSet markedInputs(const InputUseMarks& marks) {
    InputSet inputs;
    const std::pair<uint32_t, const char*> named[] = {
        {marks.heatingValue, "HsV"},        {marks.baseDensity, "base density"},
        {marks.relativeDensity, "d input"}, {marks.component[kCO2], "CO2"},
        {marks.component[kH2], "H2"},       {marks.component[kN2], "N2"},
        {marks.composition, "analysis"}};
    for (const auto& [mark, name] : named) {
        if (mark != 0) {
            inputs.insert(name);
        }
    }
    return inputs;
}

nlohmann::json methodRows() {
    std::ifstream file(MEANINGS_FILE);
    return nlohmann::json::parse(file).at("methods");
}

class MethodInputsDocTest : public CalcFixture {};

TEST_F(MethodInputsDocTest, EveryRowNamesTheInputsItsMethodUses) {
    startCalc("Default");
    const nlohmann::json rows = methodRows();
    ASSERT_EQ(rows.size(), 23u);
    for (const nlohmann::json& row : rows) {
        const int32_t calcMethod = row.at("calc").get<int32_t>();
        SCOPED_TRACE("CalcMethod " + std::to_string(calcMethod));
        const int32_t index = MethodIndexOfCalcMethod(calcMethod);
        if (row.at("meas").is_null()) {
            EXPECT_EQ(index, 0);  // the ISO 6976 method has no measuring-state code
        } else {
            EXPECT_EQ(MethodIndexOfMeasCalcMethod(row.at("meas").get<int32_t>()), index);
        }
        const InputSet documented = namedInputs(row.at("reads").get<std::string>());
        if (index < 0) {
            EXPECT_EQ(documented, InputSet());  // the constant method computes nothing
            continue;
        }
        std::memset(&calcBlock.useMarks, 0, sizeof(calcBlock.useMarks));
        ZResult zResult = {};
        CalcZByMethodIndex(index, 60.0, 290.0, zResult, 0, &calcBlock.baseConditions.result);
        EXPECT_EQ(documented, markedInputs(calcBlock.useMarks));
    }
}

}  // namespace
