#include "LayoutBindings.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ParameterBinding.h"

using namespace calorant;

namespace {

// One named node variable: the name and the child of its group node.
struct VarRow {
    const char* name;
    uint32_t child;
};

struct GroupRows {
    uint32_t rootChild;
    const char* checkText;
    const VarRow* rows;
    size_t count;
};

template <size_t N>
constexpr GroupRows Group(uint32_t rootChild, const char* checkText, const VarRow (&rows)[N]) {
    return {rootChild, checkText, rows, N};
}

// One import alias: name, source attribute and dotted path, the same in Default and BM1.
struct AliasRow {
    const char* name;
    const char* attribute;
    const char* path;
};

// The child indices from the layout root by which an alias node is fetched.
using AliasNodePath = uint32_t[3];

constexpr VarRow kMeasCondRows[] = {{"p", 6}, {"t", 7}, {"rhom", 9}, {"Zm", 8}};

constexpr VarRow kBase1DefaultRows[] = {{"HsV", 5},  {"pb", 11}, {"tb", 12}, {"ZmZb_on_error", 1},
                                        {"rhob", 3}, {"d", 4},   {"C", 2},   {"Zb", 14},
                                        {"K", 13}};
// ZM1 and BM1 share their Base1 rows.
constexpr VarRow kBase1SmallRows[] = {{"HsV", 5},  {"pb", 6}, {"tb", 7}, {"ZmZb_on_error", 1},
                                      {"rhob", 3}, {"d", 4},  {"C", 2},  {"Zb", 9},
                                      {"K", 8}};

constexpr VarRow kCompDefaultRows[] = {
    {"ExpCO2", 27},    {"ExpN2", 26},     {"ExpH2", 41},     {"ExpCH4", 28},      {"ExpC2H6", 29},
    {"ExpC3H8", 30},   {"ExpiC4H10", 31}, {"ExpnC4H10", 32}, {"ExpneoC5H12", 35}, {"ExpiC5H12", 33},
    {"ExpnC5H12", 34}, {"ExpC6H14", 36},  {"ExpC7H16", 37},  {"ExpC8H18", 38},    {"ExpC9H20", 39},
    {"ExpC10H22", 40}, {"ExpO2", 42},     {"ExpCO", 45},     {"ExpHe", 46},       {"ExpArg", 47},
    {"ExpH2O", 43},    {"ExpH2S", 44}};
// ZM1 and BM1 share their Comp rows.
constexpr VarRow kCompSmallRows[] = {
    {"ExpCO2", 14},    {"ExpN2", 13},     {"ExpH2", 24},     {"ExpCH4", 15},      {"ExpC2H6", 16},
    {"ExpC3H8", 17},   {"ExpiC4H10", 18}, {"ExpnC4H10", 19}, {"ExpneoC5H12", 22}, {"ExpiC5H12", 20},
    {"ExpnC5H12", 21}, {"ExpC6H14", 23},  {"ExpO2", 25}};

constexpr VarRow kEventsDefaultRows[] = {
    {"Mesg_p_min", 0},         {"Mesg_p_max", 1},          {"Mesg_p_failure", 2},
    {"Mesg_p_min_warn", 69},   {"Mesg_p_max_warn", 70},    {"Mesg_t_min", 3},
    {"Mesg_t_max", 4},         {"Mesg_t_failure", 5},      {"Mesg_t_min_warn", 71},
    {"Mesg_t_max_warn", 72},   {"Mesg_C_failure", 6},      {"Mesg_HsV_min", 7},
    {"Mesg_HsV_max", 8},       {"Mesg_HsV_failure", 9},    {"Mesg_HsV_min_warn", 73},
    {"Mesg_HsV_max_warn", 74}, {"Mesg_rhob_min", 10},      {"Mesg_rhob_max", 11},
    {"Mesg_rhob_failure", 12}, {"Mesg_rhob_min_warn", 75}, {"Mesg_rhob_max_warn", 76},
    {"Mesg_d_min", 13},        {"Mesg_d_max", 14},         {"Mesg_d_failure", 15},
    {"Mesg_d_min_warn", 77},   {"Mesg_d_max_warn", 78},    {"Mesg_N2_min", 17},
    {"Mesg_N2_max", 18},       {"Mesg_N2_min_warn", 79},   {"Mesg_N2_max_warn", 80},
    {"Mesg_CO2_min", 19},      {"Mesg_CO2_max", 20},       {"Mesg_CO2_min_warn", 81},
    {"Mesg_CO2_max_warn", 82}, {"Mesg_H2_min", 47},        {"Mesg_H2_max", 48},
    {"Mesg_H2_min_warn", 83},  {"Mesg_H2_max_warn", 84},   {"Mesg_CL_failure", 16}};
constexpr VarRow kEventsBM1Rows[] = {
    {"Mesg_p_min", 0},         {"Mesg_p_max", 1},          {"Mesg_p_failure", 2},
    {"Mesg_p_min_warn", 41},   {"Mesg_p_max_warn", 42},    {"Mesg_t_min", 3},
    {"Mesg_t_max", 4},         {"Mesg_t_failure", 5},      {"Mesg_t_min_warn", 43},
    {"Mesg_t_max_warn", 44},   {"Mesg_C_failure", 6},      {"Mesg_HsV_min", 7},
    {"Mesg_HsV_max", 8},       {"Mesg_HsV_failure", 9},    {"Mesg_HsV_min_warn", 45},
    {"Mesg_HsV_max_warn", 46}, {"Mesg_rhob_min", 10},      {"Mesg_rhob_max", 11},
    {"Mesg_rhob_failure", 12}, {"Mesg_rhob_min_warn", 47}, {"Mesg_rhob_max_warn", 48},
    {"Mesg_d_min", 13},        {"Mesg_d_max", 14},         {"Mesg_d_failure", 15},
    {"Mesg_d_min_warn", 49},   {"Mesg_d_max_warn", 50},    {"Mesg_N2_min", 17},
    {"Mesg_N2_max", 18},       {"Mesg_N2_min_warn", 51},   {"Mesg_N2_max_warn", 52},
    {"Mesg_CO2_min", 19},      {"Mesg_CO2_max", 20},       {"Mesg_CO2_min_warn", 53},
    {"Mesg_CO2_max_warn", 54}, {"Mesg_H2_min", 39},        {"Mesg_H2_max", 40},
    {"Mesg_H2_min_warn", 55},  {"Mesg_H2_max_warn", 56},   {"Mesg_CL_failure", 16}};
constexpr VarRow kEventsZM1Rows[] = {
    {"Mesg_p_min", 0},      {"Mesg_p_max", 1},       {"Mesg_p_failure", 2},  {"Mesg_t_min", 3},
    {"Mesg_t_max", 4},      {"Mesg_t_failure", 5},   {"Mesg_C_failure", 6},  {"Mesg_p_min_warn", 8},
    {"Mesg_p_max_warn", 9}, {"Mesg_t_min_warn", 10}, {"Mesg_t_max_warn", 11}};

constexpr GroupRows kDefaultGroups[] = {
    Group(9, "RootNodeDefault.getMeasCond()", kMeasCondRows),
    Group(10, "RootNodeDefault.getBase1()", kBase1DefaultRows),
    Group(6, "RootNodeDefault.getComp()", kCompDefaultRows),
    Group(14, "RootNodeDefault.getEvents()", kEventsDefaultRows)};
constexpr GroupRows kZM1Groups[] = {Group(8, "RootNodeZM1.getMeasCond()", kMeasCondRows),
                                    Group(9, "RootNodeZM1.getBase1()", kBase1SmallRows),
                                    Group(5, "RootNodeZM1.getComp()", kCompSmallRows),
                                    Group(10, "RootNodeZM1.getEvents()", kEventsZM1Rows)};
constexpr GroupRows kBM1Groups[] = {Group(9, "RootNodeBM1.getMeasCond()", kMeasCondRows),
                                    Group(10, "RootNodeBM1.getBase1()", kBase1SmallRows),
                                    Group(6, "RootNodeBM1.getComp()", kCompSmallRows),
                                    Group(12, "RootNodeBM1.getEvents()", kEventsBM1Rows)};

constexpr char kHsVImport[] = "Source.HVHM.HsV_imp";
// Row k uses alias-object word k of the block.
constexpr AliasRow kAliases[kAliasObjectCount] = {{"CL_LOP", "LOP", kHsVImport},
                                                  {"Mesg_CL_ALev1", "ALev1", kHsVImport},
                                                  {"Mesg_CL_ALev2", "ALev2", kHsVImport},
                                                  {"HsVParam", "subst", kHsVImport},
                                                  {"rhobParam", "subst", "Source.Rhob.rhob_imp"},
                                                  {"rdParam", "subst", "Source.Rhob.d_imp"},
                                                  {"N2Param", "subst", "Comp.N2.Imp"},
                                                  {"CO2Param", "subst", "Comp.CO2.Imp"},
                                                  {"CH4Param", "subst", "Comp.CH4.Imp"},
                                                  {"C2H6Param", "subst", "Comp.C2H6.Imp"},
                                                  {"C3H8Param", "subst", "Comp.C3H8.Imp"},
                                                  {"iC4H10Param", "subst", "Comp.iC4H10.Imp"},
                                                  {"nC4H10Param", "subst", "Comp.nC4H10.Imp"},
                                                  {"iC5H12Param", "subst", "Comp.iC5H12.Imp"},
                                                  {"nC5H12Param", "subst", "Comp.nC5H12.Imp"},
                                                  {"neoC5H12Param", "subst", "Comp.neoC5H12.Imp"},
                                                  {"C6H14Param", "subst", "Comp.C6H14.Imp"},
                                                  {"H2Param", "subst", "Comp.H2.Imp"},
                                                  {"O2Param", "subst", "Comp.O2.Imp"}};
constexpr AliasNodePath kDefaultAliasNodes[kAliasObjectCount] = {
    {7, 6, 0}, {7, 6, 0}, {7, 6, 0},  {7, 6, 0},  {7, 5, 0}, {7, 5, 1}, {6, 0, 0},
    {6, 1, 0}, {6, 2, 0}, {6, 3, 0},  {6, 4, 0},  {6, 5, 0}, {6, 6, 0}, {6, 7, 0},
    {6, 8, 0}, {6, 9, 0}, {6, 10, 0}, {6, 15, 0}, {6, 16, 0}};
constexpr AliasNodePath kBM1AliasNodes[kAliasObjectCount] = {
    {7, 5, 0}, {7, 5, 0}, {7, 5, 0},  {7, 5, 0},  {7, 4, 0}, {7, 4, 1}, {6, 0, 0},
    {6, 1, 0}, {6, 2, 0}, {6, 3, 0},  {6, 4, 0},  {6, 5, 0}, {6, 6, 0}, {6, 7, 0},
    {6, 8, 0}, {6, 9, 0}, {6, 10, 0}, {6, 11, 0}, {6, 12, 0}};

// The ZM1 component parameters: the name and the Comp child whose child 0 is the value import.
constexpr VarRow kZM1ComponentParams[] = {
    {"N2Param", 0},     {"CO2Param", 1},      {"CH4Param", 2},    {"C2H6Param", 3},
    {"C3H8Param", 4},   {"iC4H10Param", 5},   {"nC4H10Param", 6}, {"iC5H12Param", 7},
    {"nC5H12Param", 8}, {"neoC5H12Param", 9}, {"C6H14Param", 10}, {"H2Param", 11},
    {"O2Param", 12}};

constexpr uint32_t kCalcMethodChild = 1;

template <size_t N>
void bindGroups(NodeVarTable& table, FbDoNode root, const GroupRows (&groups)[N]) {
    for (const GroupRows& group : groups) {
        FbDoNode groupNode = CheckedGroup(root, group.rootChild, group.checkText);
        for (size_t row = 0; row < group.count; ++row) {
            BindNodeVariable(table, groupNode, group.rows[row].name, group.rows[row].child);
        }
    }
}

void bindAliases(NodeVarTable& table, FbDoNode root,
                 const AliasNodePath (&nodes)[kAliasObjectCount]) {
    for (uint32_t row = 0; row < kAliasObjectCount; ++row) {
        const AliasRow& alias = kAliases[row];
        ResolveAlias(table, alias.attribute, alias.name, alias.path, &calcBlock.aliasObjects[row],
                     ChildPath(root, nodes[row][0], static_cast<int32_t>(nodes[row][1]),
                               static_cast<int32_t>(nodes[row][2])));
    }
}

// Default and BM1: the groups, "CalcMethod" of the method node (root child 8), the limit names
// and the aliases.
template <size_t N>
void bindRowsWithAliases(NodeVarTable& table, FbDoNode root, const GroupRows (&groups)[N],
                         const AliasNodePath (&aliasNodes)[kAliasObjectCount]) {
    bindGroups(table, root, groups);
    BindNode(table, "CalcMethod", ChildPath(root, 8, kCalcMethodChild));
    BindLimitNames(table);
    bindAliases(table, root, aliasNodes);
}

void bindDefaultRows(NodeVarTable& table, FbDoNode root) {
    bindRowsWithAliases(table, root, kDefaultGroups, kDefaultAliasNodes);
}

void bindBM1Rows(NodeVarTable& table, FbDoNode root) {
    bindRowsWithAliases(table, root, kBM1Groups, kBM1AliasNodes);
}

// A density import of ZM1 (Source child 1, child `child`) is bound only when the framework's
// query on it answers yes.
void bindQueriedDensity(NodeVarTable& table, FbDoNode root, const char* name, uint32_t child,
                        uint32_t yesTrace, uint32_t noTrace, bool traceBeforeBinding) {
    FbDoNode node = ChildPath(root, 6, 1, static_cast<int32_t>(child));
    if (FbDo_QueryNode(node) == 0) {
        CALORANT_TRACE(noTrace, TraceFormat());
        return;
    }
    if (traceBeforeBinding) {
        CALORANT_TRACE(yesTrace, TraceFormat());
    }
    BindNode(table, name, node);
    if (!traceBeforeBinding) {
        CALORANT_TRACE(yesTrace, TraceFormat());
    }
}

void bindZM1Rows(NodeVarTable& table, FbDoNode root) {
    bindGroups(table, root, kZM1Groups);
    BindLimitNames(table);
    BindNode(table, "HsVParam", ChildPath(root, 6, 2, 0));
    bindQueriedDensity(table, root, "rhobParam", 0, kTraceZm1RhobQueryYes, kTraceZm1RhobQueryNo,
                       true);
    bindQueriedDensity(table, root, "rdParam", 1, kTraceZm1RdQueryYes, kTraceZm1RdQueryNo, false);
    BindNode(table, "CalcMethod", ChildPath(root, 7, kCalcMethodChild));
    for (const VarRow& component : kZM1ComponentParams) {
        BindNode(table, component.name,
                 ChildPath(root, 5, static_cast<int32_t>(component.child), 0));
    }
}

}  // namespace

int SetupDefault(AsInfo* /*pAsInfo*/) {
    return BindLayout({kTraceDefaultEntry, kTraceDefaultNoTree, kTraceDefaultFailed,
                       &Taste::getDefault, "myTaste->getDefault()", bindDefaultRows});
}

int SetupZM1(AsInfo* /*pAsInfo*/) {
    return BindLayout({kTraceZm1Entry, kTraceZm1NoTree, kTraceZm1Failed, &Taste::getZM1,
                       "myTaste->getZM1()", bindZM1Rows});
}

int SetupBM1(AsInfo* /*pAsInfo*/) {
    return BindLayout({kTraceBm1Entry, kTraceBm1NoTree, kTraceBm1Failed, &Taste::getBM1,
                       "myTaste->getBM1()", bindBM1Rows});
}
