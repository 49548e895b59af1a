// Every name each layout's binding commits, row by row against the layout's own tables: the node
// variables by group node and child index, the method code, the limit names by the source
// attribute of the measuring-condition imports, and the import aliases (ZM1: the input nodes
// themselves) by the attribute of the preprocessing line that feeds the import. The expected
// nodes are reached by child indices from the layout root, never through the binding's code.
#include <sstream>
#include <string>
#include <vector>

#include "CalorantFixture.h"

namespace {

using calorant_test::CalorantFixture;
using calorant_test::loadModel;
using calorant_test::modelNode;

constexpr int kNone = -1;

struct ChildRow {
    const char* name;
    int child;
};
struct GroupTable {
    int rootChild;
    std::vector<ChildRow> rows;
};
// A message stem with the Events children of "_min", "_max", "_failure", "_min_warn" and
// "_max_warn" (kNone: the layout has no such message).
struct MessageRow {
    const char* stem;
    int child[5];
};
// A name bound to an attribute of the line that feeds the import at `node` (child indices from
// the layout root); ZM1 binds some names to the input node itself (`attribute` null).
struct ImportRow {
    const char* name;
    const char* attribute;
    std::vector<int> node;
};

struct LayoutTable {
    const char* taste;
    int measCond, base1, comp, events, methodNode;
    std::vector<ChildRow> base1Rows;
    std::vector<ChildRow> compRows;
    std::vector<MessageRow> messages;
    std::vector<ChildRow> plainMessages;  // ZM1 names its messages one by one
    std::vector<ImportRow> imports;
    size_t committedCount;
};

const std::vector<ChildRow> kMeasCondRows = {{"p", 6}, {"t", 7}, {"rhom", 9}, {"Zm", 8}};

const char* const kMessageSuffixes[5] = {"_min", "_max", "_failure", "_min_warn", "_max_warn"};

// Limit names: attributes of the lines feeding the pressure (MeasCond child 0) and temperature
// (MeasCond child 3) imports.
struct LimitRow {
    const char* name;
    const char* attribute;
    int measCondChild;
};
const LimitRow kLimitRows[] = {
    {"Psubst", "subst", 0}, {"Pmin_w", "min_w", 0}, {"Pmax_w", "max_w", 0}, {"Pmin", "min", 0},
    {"Pmax", "max", 0},     {"Tsubst", "subst", 3}, {"Tmin_w", "min_w", 3}, {"Tmax_w", "max_w", 3},
    {"Tmin", "min", 3},     {"Tmax", "max", 3}};

std::vector<ImportRow> aliasRows(int source, int hvhm, int rhob, int comp, int h2Child,
                                 int o2Child) {
    return {{"CL_LOP", "LOP", {source, hvhm, 0}},
            {"Mesg_CL_ALev1", "ALev1", {source, hvhm, 0}},
            {"Mesg_CL_ALev2", "ALev2", {source, hvhm, 0}},
            {"HsVParam", "subst", {source, hvhm, 0}},
            {"rhobParam", "subst", {source, rhob, 0}},
            {"rdParam", "subst", {source, rhob, 1}},
            {"N2Param", "subst", {comp, 0, 0}},
            {"CO2Param", "subst", {comp, 1, 0}},
            {"CH4Param", "subst", {comp, 2, 0}},
            {"C2H6Param", "subst", {comp, 3, 0}},
            {"C3H8Param", "subst", {comp, 4, 0}},
            {"iC4H10Param", "subst", {comp, 5, 0}},
            {"nC4H10Param", "subst", {comp, 6, 0}},
            {"iC5H12Param", "subst", {comp, 7, 0}},
            {"nC5H12Param", "subst", {comp, 8, 0}},
            {"neoC5H12Param", "subst", {comp, 9, 0}},
            {"C6H14Param", "subst", {comp, 10, 0}},
            {"H2Param", "subst", {comp, h2Child, 0}},
            {"O2Param", "subst", {comp, o2Child, 0}}};
}

// The normalised outputs of ZM1 and BM1 (Comp child 13 plus the input position).
const std::vector<ChildRow> kThirteenComponentOutputs = {
    {"ExpCO2", 14},    {"ExpN2", 13},     {"ExpH2", 24},     {"ExpCH4", 15},      {"ExpC2H6", 16},
    {"ExpC3H8", 17},   {"ExpiC4H10", 18}, {"ExpnC4H10", 19}, {"ExpneoC5H12", 22}, {"ExpiC5H12", 20},
    {"ExpnC5H12", 21}, {"ExpC6H14", 23},  {"ExpO2", 25}};

LayoutTable defaultTable() {
    return {"Default",
            9,
            10,
            6,
            14,
            8,
            {{"HsV", 5},
             {"pb", 11},
             {"tb", 12},
             {"ZmZb_on_error", 1},
             {"rhob", 3},
             {"d", 4},
             {"C", 2},
             {"Zb", 14},
             {"K", 13}},
            {{"ExpCO2", 27},      {"ExpN2", 26},     {"ExpH2", 41},     {"ExpCH4", 28},
             {"ExpC2H6", 29},     {"ExpC3H8", 30},   {"ExpiC4H10", 31}, {"ExpnC4H10", 32},
             {"ExpneoC5H12", 35}, {"ExpiC5H12", 33}, {"ExpnC5H12", 34}, {"ExpC6H14", 36},
             {"ExpC7H16", 37},    {"ExpC8H18", 38},  {"ExpC9H20", 39},  {"ExpC10H22", 40},
             {"ExpO2", 42},       {"ExpCO", 45},     {"ExpHe", 46},     {"ExpArg", 47},
             {"ExpH2O", 43},      {"ExpH2S", 44}},
            {{"Mesg_p", {0, 1, 2, 69, 70}},
             {"Mesg_t", {3, 4, 5, 71, 72}},
             {"Mesg_C", {kNone, kNone, 6, kNone, kNone}},
             {"Mesg_HsV", {7, 8, 9, 73, 74}},
             {"Mesg_rhob", {10, 11, 12, 75, 76}},
             {"Mesg_d", {13, 14, 15, 77, 78}},
             {"Mesg_N2", {17, 18, kNone, 79, 80}},
             {"Mesg_CO2", {19, 20, kNone, 81, 82}},
             {"Mesg_H2", {47, 48, kNone, 83, 84}},
             {"Mesg_CL", {kNone, kNone, 16, kNone, kNone}}},
            {},
            aliasRows(7, 6, 5, 6, 15, 16),
            104};
}

LayoutTable bm1Table() {
    return {"BM1",
            9,
            10,
            6,
            12,
            8,
            {{"HsV", 5},
             {"pb", 6},
             {"tb", 7},
             {"ZmZb_on_error", 1},
             {"rhob", 3},
             {"d", 4},
             {"C", 2},
             {"Zb", 9},
             {"K", 8}},
            kThirteenComponentOutputs,
            {{"Mesg_p", {0, 1, 2, 41, 42}},
             {"Mesg_t", {3, 4, 5, 43, 44}},
             {"Mesg_C", {kNone, kNone, 6, kNone, kNone}},
             {"Mesg_HsV", {7, 8, 9, 45, 46}},
             {"Mesg_rhob", {10, 11, 12, 47, 48}},
             {"Mesg_d", {13, 14, 15, 49, 50}},
             {"Mesg_N2", {17, 18, kNone, 51, 52}},
             {"Mesg_CO2", {19, 20, kNone, 53, 54}},
             {"Mesg_H2", {39, 40, kNone, 55, 56}},
             {"Mesg_CL", {kNone, kNone, 16, kNone, kNone}}},
            {},
            aliasRows(7, 5, 4, 6, 11, 12),
            95};
}

LayoutTable zm1Table() {
    std::vector<ImportRow> direct = {{"HsVParam", nullptr, {6, 2, 0}},
                                     {"rhobParam", nullptr, {6, 1, 0}},
                                     {"rdParam", nullptr, {6, 1, 1}}};
    const char* const components[] = {"N2Param",     "CO2Param",      "CH4Param",    "C2H6Param",
                                      "C3H8Param",   "iC4H10Param",   "nC4H10Param", "iC5H12Param",
                                      "nC5H12Param", "neoC5H12Param", "C6H14Param",  "H2Param",
                                      "O2Param"};
    for (int j = 0; j < 13; ++j) {
        direct.push_back({components[j], nullptr, {5, j, 0}});
    }
    return {"ZM1",
            8,
            9,
            5,
            10,
            7,
            {{"HsV", 5},
             {"pb", 6},
             {"tb", 7},
             {"ZmZb_on_error", 1},
             {"rhob", 3},
             {"d", 4},
             {"C", 2},
             {"Zb", 9},
             {"K", 8}},
            kThirteenComponentOutputs,
            {},
            {{"Mesg_p_min", 0},
             {"Mesg_p_max", 1},
             {"Mesg_p_failure", 2},
             {"Mesg_t_min", 3},
             {"Mesg_t_max", 4},
             {"Mesg_t_failure", 5},
             {"Mesg_C_failure", 6},
             {"Mesg_p_min_warn", 8},
             {"Mesg_p_max_warn", 9},
             {"Mesg_t_min_warn", 10},
             {"Mesg_t_max_warn", 11}},
            direct,
            64};
}

void PrintTo(const LayoutTable& table, std::ostream* out) {
    *out << table.taste;
}

// The model node named by a dotted path from the root.
const nlohmann::json& modelNodeByName(const nlohmann::json& model, const std::string& path) {
    const nlohmann::json* node = &model.at("root");
    std::istringstream parts(path);
    std::string part;
    while (std::getline(parts, part, '.')) {
        const nlohmann::json* found = nullptr;
        for (const nlohmann::json& child : node->at("children")) {
            if (child.value("name", "") == part) {
                found = &child;
            }
        }
        if (found == nullptr) {
            throw std::out_of_range("no model node " + path);
        }
        node = found;
    }
    return *node;
}

class LayoutBindingTableTest : public CalorantFixture,
                               public ::testing::WithParamInterface<LayoutTable> {
  protected:
    FbDoNode byIndices(const std::vector<int>& indices) {
        FbDoNode found = tree().root();
        for (int index : indices) {
            found = FbDo_GetChild(found, static_cast<uint32_t>(index));
        }
        return found;
    }
    // The node of `attribute` of the line that feeds the import at `indices`, as the model
    // wires it.
    FbDoNode attributeOfFeedingLine(std::vector<int> indices, const std::string& attribute) {
        nlohmann::json& import = modelNode(model, indices);
        const std::string line = import.at("source").get<std::string>();
        const nlohmann::json& out = modelNodeByName(model, line);
        return node(out.at("attributes").at(attribute).get<std::string>());
    }
    void expectRow(const std::string& name, FbDoNode expected) {
        ++rowsChecked;
        ASSERT_NE(expected, nullptr) << name;
        const FbDoNode bound = tree().committedNode(name);
        EXPECT_EQ(bound, expected) << name;
    }

    nlohmann::json model;
    size_t rowsChecked = 0;
};

TEST_P(LayoutBindingTableTest, EveryRowIsCommittedAtItsNode) {
    const LayoutTable& table = GetParam();
    model = loadModel(table.taste);
    ASSERT_EQ(bindLayout(table.taste), 0);
    for (const ChildRow& row : kMeasCondRows) {
        expectRow(row.name, byIndices({table.measCond, row.child}));
    }
    for (const ChildRow& row : table.base1Rows) {
        expectRow(row.name, byIndices({table.base1, row.child}));
    }
    for (const ChildRow& row : table.compRows) {
        expectRow(row.name, byIndices({table.comp, row.child}));
    }
    for (const MessageRow& row : table.messages) {
        for (int i = 0; i < 5; ++i) {
            const std::string name = std::string(row.stem) + kMessageSuffixes[i];
            if (row.child[i] == kNone) {
                EXPECT_EQ(tree().committedNode(name), nullptr) << name;
            } else {
                expectRow(name, byIndices({table.events, row.child[i]}));
            }
        }
    }
    for (const ChildRow& row : table.plainMessages) {
        expectRow(row.name, byIndices({table.events, row.child}));
    }
    expectRow("CalcMethod", byIndices({table.methodNode, 1}));
    for (const LimitRow& row : kLimitRows) {
        expectRow(row.name,
                  attributeOfFeedingLine({table.measCond, row.measCondChild}, row.attribute));
    }
    for (const ImportRow& row : table.imports) {
        expectRow(row.name, row.attribute == nullptr
                                ? byIndices(row.node)
                                : attributeOfFeedingLine(row.node, row.attribute));
    }
    // Nothing beyond the table is committed.
    EXPECT_EQ(rowsChecked, table.committedCount);
    EXPECT_EQ(committed().size(), table.committedCount);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutBindingTableTest,
                         ::testing::Values(defaultTable(), zm1Table(), bm1Table()),
                         [](const ::testing::TestParamInfo<LayoutTable>& param) {
                             return std::string(param.param.taste);
                         });

}  // namespace
