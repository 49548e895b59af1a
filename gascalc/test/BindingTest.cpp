// The parameter binding of the three layouts: the committed names and their nodes, the limit
// names and aliases, and the failures the binding catches itself.
#include <set>

#include "CalcBlock.h"
#include "CalorantFixture.h"
#include "CalorantTrace.h"
#include "LayoutBindings.h"
#include "ParameterBinding.h"

namespace {

using calorant_test::CalorantFixture;
using calorant_test::modelNode;
using calorant_test::removeModelNode;
using namespace calorant;

const char* const kLimitNames[] = {"Psubst", "Pmin_w", "Pmax_w", "Pmin", "Pmax",
                                   "Tsubst", "Tmin_w", "Tmax_w", "Tmin", "Tmax"};
const char* const kAliasNames[] = {"CL_LOP",      "Mesg_CL_ALev1", "Mesg_CL_ALev2", "HsVParam",
                                   "rhobParam",   "rdParam",       "N2Param",       "CO2Param",
                                   "CH4Param",    "C2H6Param",     "C3H8Param",     "iC4H10Param",
                                   "nC4H10Param", "iC5H12Param",   "nC5H12Param",   "neoC5H12Param",
                                   "C6H14Param",  "H2Param",       "O2Param"};

// Disconnects every import of the model that reads a preprocessing line of the given
// numbers (their sources become none).
void disconnectLines(nlohmann::json& node, const std::set<std::string>& sources) {
    if (node.contains("source") && sources.count(node["source"].get<std::string>()) != 0) {
        node.erase("source");
    }
    if (node.contains("children")) {
        for (nlohmann::json& child : node["children"]) {
            disconnectLines(child, sources);
        }
    }
}

std::set<std::string> aliasSources() {
    std::set<std::string> lines;
    for (int line = 3; line <= 18; ++line) {
        lines.insert("PP.PP_" + std::to_string(line) + ".Out");
    }
    return lines;
}

class BindingTest : public CalorantFixture {
  protected:
    // The committed node of `name`, or null.
    FbDoNode committedNode(const std::string& name) { return tree().committedNode(name); }
    void expectBound(const std::string& name, const std::string& path) {
        SCOPED_TRACE(name);
        EXPECT_EQ(committedNode(name), node(path));
    }
};

TEST_F(BindingTest, DefaultLayoutCommitsAllItsNamesWithTheirNodes) {
    ASSERT_EQ(bindLayout("Default"), 0);
    EXPECT_EQ(committed().size(), 104u);
    EXPECT_TRUE(traces.contains(kTraceDefaultEntry));
    struct Row {
        const char* name;
        const char* path;
    };
    const Row rows[] = {{"p", "MeasCond.p"},
                        {"rhom", "MeasCond.rhom"},
                        {"pb", "Base1.pb"},
                        {"Zb", "Base1.Zb"},
                        {"K", "Base1.K"},
                        {"ZmZb_on_error", "Base1.ZmZb_on_error"},
                        {"ExpN2", "Comp.ExpN2"},
                        {"ExpH2", "Comp.ExpH2"},
                        {"ExpArg", "Comp.ExpArg"},
                        {"ExpneoC5H12", "Comp.ExpneoC5H12"},
                        {"Mesg_p_min_warn", "Events.Mesg_p_min_warn"},
                        {"Mesg_H2_min", "Events.Mesg_H2_min"},
                        {"Mesg_CL_failure", "Events.Mesg_CL_failure"},
                        {"CalcMethod", "8.CalcMethod"},
                        // Limit names: the attributes of the line that feeds the import.
                        {"Pmin", "PP.PP_1.LoLim"},
                        {"Pmax_w", "PP.PP_1.HiWarnLim"},
                        {"Psubst", "PP.PP_1.Subst"},
                        {"Tmin", "PP.PP_2.LoLim"},
                        {"Tsubst", "PP.PP_2.Subst"},
                        // Aliases: the attributes of the lines that feed the imports.
                        {"CL_LOP", "PP.PP_3.Level"},
                        {"Mesg_CL_ALev2", "PP.PP_3.ALev2"},
                        {"HsVParam", "PP.PP_3.Subst"},
                        {"rhobParam", "PP.PP_4.Subst"},
                        {"rdParam", "PP.PP_5.Subst"},
                        {"N2Param", "PP.PP_6.Subst"},
                        {"O2Param", "PP.PP_18.Subst"}};
    for (const Row& row : rows) {
        expectBound(row.name, row.path);
    }
    // Events with limit messages only are named; the other components' messages are not.
    EXPECT_EQ(committedNode("Mesg_N2_failure"), nullptr);
    const uint32_t unnamedMessage = FbDo_NodeHandle(FbDo_GetChild(node("Events"), 21));
    for (const auto& [name, handle] : committed()) {
        EXPECT_NE(handle, unnamedMessage) << name;
    }
    // Alias words of the block in the alias table's order; limit words by their names.
    EXPECT_EQ(*FbDo_AliasHandle(calcBlock.aliasObjects[0], 0),
              FbDo_NodeHandle(node("PP.PP_3.Level")));
    EXPECT_EQ(*FbDo_AliasHandle(calcBlock.aliasObjects[18], 0),
              FbDo_NodeHandle(node("PP.PP_18.Subst")));
    EXPECT_EQ(*FbDo_AliasHandle(calcBlock.limitObjects[kTmax], 0),
              FbDo_NodeHandle(node("PP.PP_2.HiLim")));
}

TEST_F(BindingTest, BM1LayoutCommitsItsNamesAtItsOwnChildren) {
    ASSERT_EQ(bindLayout("BM1"), 0);
    EXPECT_EQ(committed().size(), 95u);
    EXPECT_TRUE(traces.contains(kTraceBm1Entry));
    expectBound("Mesg_H2_min", "Events.Mesg_H2_min");
    EXPECT_EQ(committedNode("Mesg_H2_min"), FbDo_GetChild(node("Events"), 39));
    EXPECT_EQ(committedNode("Mesg_p_min_warn"), FbDo_GetChild(node("Events"), 41));
    EXPECT_EQ(committedNode("pb"), FbDo_GetChild(node("Base1"), 6));
    EXPECT_EQ(committedNode("ExpO2"), FbDo_GetChild(node("Comp"), 25));
    // H2 is resolved at Comp child 11 although its path text is the Default one.
    expectBound("H2Param", "PP.PP_17.Subst");
    expectBound("HsVParam", "PP.PP_3.Subst");
    EXPECT_EQ(committedNode("ExpArg"), nullptr);
}

TEST_F(BindingTest, ZM1LayoutBindsItsSourceNodesDirectlyAndNoAlias) {
    ASSERT_EQ(bindLayout("ZM1"), 0);
    EXPECT_EQ(committed().size(), 64u);
    EXPECT_TRUE(traces.contains(kTraceZm1Entry));
    EXPECT_TRUE(traces.contains(kTraceZm1RhobQueryYes));
    EXPECT_TRUE(traces.contains(kTraceZm1RdQueryYes));
    expectBound("HsVParam", "Source.HVHM.HsV_imp");
    expectBound("rhobParam", "Source.Rhob.rhob_imp");
    expectBound("rdParam", "Source.Rhob.d_imp");
    expectBound("N2Param", "Comp.N2.Imp");
    expectBound("O2Param", "Comp.O2.Imp");
    expectBound("CalcMethod", "7.CalcMethod");
    expectBound("Mesg_p_min_warn", "Events.Mesg_p_min_warn");
    for (const char* absent : {"CL_LOP", "Mesg_CL_ALev1", "Mesg_CL_ALev2", "Mesg_CL_failure",
                               "Mesg_HsV_min", "Mesg_N2_min"}) {
        EXPECT_EQ(committed().count(absent), 0u) << absent;
    }
    for (FbDoAlias alias : calcBlock.aliasObjects) {
        EXPECT_EQ(alias, nullptr);
    }
    EXPECT_FALSE(traces.contains(kTraceImportFound));
}

TEST_F(BindingTest, ZM1DensityQueriesAnsweringNoLeaveTheirNamesOut) {
    ASSERT_EQ(bindLayout("ZM1",
                         [](nlohmann::json& model) {
                             for (int child : {0, 1}) {
                                 modelNode(model, {6, 1, child})["inUse"] = false;
                             }
                         }),
              0);
    EXPECT_EQ(committed().size(), 62u);
    EXPECT_EQ(committed().count("rhobParam"), 0u);
    EXPECT_EQ(committed().count("rdParam"), 0u);
    EXPECT_EQ(committed().count("HsVParam"), 1u);
    EXPECT_TRUE(traces.contains(kTraceZm1RhobQueryNo));
    EXPECT_TRUE(traces.contains(kTraceZm1RdQueryNo));
}

TEST_F(BindingTest, UnconnectedAliasImportsAreSkippedAndTheBindingSucceeds) {
    const struct {
        const char* taste;
        size_t names;
    } cases[] = {{"Default", 85}, {"BM1", 76}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        traces.clear();
        ASSERT_EQ(bindLayout(c.taste,
                             [](nlohmann::json& model) {
                                 disconnectLines(model["root"], aliasSources());
                             }),
                  0);
        EXPECT_EQ(committed().size(), c.names);
        EXPECT_EQ(traces.withId(kTraceImportWithoutSource).size(), 19u);
        for (const char* alias : kAliasNames) {
            EXPECT_EQ(committed().count(alias), 0u) << alias;
        }
        host::dropAddressSpaceTree();
    }
}

TEST_F(BindingTest, AliasOfAPlainNodeOrOfAnotherSourceOrInvalidAttribute) {
    ASSERT_EQ(bindLayout("Default",
                         [](nlohmann::json& model) {
                             // HsV: a plain node instead of an import.
                             modelNode(model, {7, 6, 0}) = {
                                 {"index", 0}, {"name", "HsV_imp"}, {"kind", "double"}};
                             // rhob: fed by a node that is no preprocessing line.
                             modelNode(model, {7, 5, 0})["source"] = "Base1.rhob";
                             // d: fed by a level source, no preprocessing line either.
                             modelNode(model, {7, 5, 1})["source"] = "Lines.L5_1";
                             // N2: the line's output lacks the attribute.
                             modelNode(model, {3, 5, 19})["attributes"].erase("subst");
                         }),
              0);
    // The four HsV aliases all bind the plain node itself; the slots stay empty.
    for (const char* alias : {"CL_LOP", "Mesg_CL_ALev1", "Mesg_CL_ALev2", "HsVParam"}) {
        EXPECT_EQ(tree().committedNode(alias), node("Source.HVHM.HsV_imp")) << alias;
    }
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(calcBlock.aliasObjects[slot], nullptr);
    }
    EXPECT_EQ(traces.withId(kTracePlainNodeBound).size(), 4u);
    EXPECT_EQ(committed().count("rhobParam"), 0u);
    ASSERT_EQ(traces.withId(kTraceSourceNotALine).size(), 2u);
    EXPECT_EQ(traces.withId(kTraceSourceNotALine)[0].textArg(0), "Base1.rhob");
    EXPECT_EQ(traces.withId(kTraceSourceNotALine)[0].textArg(1), "rhobParam");
    EXPECT_EQ(committed().count("rdParam"), 0u);
    // The attribute is not there: the alias object is kept, the name skipped.
    EXPECT_EQ(committed().count("N2Param"), 0u);
    EXPECT_NE(calcBlock.aliasObjects[6], nullptr);
    ASSERT_EQ(traces.withId(kTraceAliasNotValid).size(), 1u);
    EXPECT_EQ(traces.withId(kTraceAliasNotValid)[0].textArg(2), "N2Param");
    // All 104 names but rhobParam, rdParam and N2Param.
    EXPECT_EQ(committed().size(), 101u);
}

TEST_F(BindingTest, ReferenceContainingTheLineMarkAnywhereIsBound) {
    ASSERT_EQ(bindLayout("Default",
                         [](nlohmann::json& model) {
                             // A line group under another parent: "X.PP.PP_..." contains the mark.
                             nlohmann::json moved = modelNode(model, {3});
                             moved["index"] = 1;
                             moved["name"] = "PP";
                             model["root"]["children"].push_back(
                                 {{"index", 2}, {"name", "X"}, {"children", {moved}}});
                             modelNode(model, {7, 5, 0})["source"] = "X.PP.PP_4.Out";
                         }),
              0);
    // The copied line names the original line's attributes.
    EXPECT_EQ(tree().committedNode("rhobParam"), node("PP.PP_4.Subst"));
    EXPECT_EQ(traces.withId(kTraceSourceNotALine).size(), 0u);
}

TEST_F(BindingTest, NoTreeReturnsOneAfterTwoTracesWithoutLookups) {
    const struct {
        int (*setup)(AsInfo*);
        uint32_t entry;
        uint32_t noTree;
    } cases[] = {{SetupDefault, kTraceDefaultEntry, kTraceDefaultNoTree},
                 {SetupZM1, kTraceZm1Entry, kTraceZm1NoTree},
                 {SetupBM1, kTraceBm1Entry, kTraceBm1NoTree}};
    for (const auto& c : cases) {
        traces.clear();
        EXPECT_EQ(c.setup(asInfo.get()), 1);
        const auto records = traces.records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].id, c.entry);
        EXPECT_EQ(records[1].id, c.noTree);
        EXPECT_EQ(calcBlock.limitObjects[kPmin], nullptr);
    }
}

// A missing node aborts the binding: failure trace with the null-check text, nothing committed.
struct FailureCase {
    const char* taste;
    std::vector<int> parent;
    int removed;
    uint32_t failedTrace;
    const char* text;  // what the failure text ends with
};

class BindingFailureTest : public CalorantFixture,
                           public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BindingFailureTest, IsCaughtTracedAndCommitsNothing) {
    const FailureCase& c = GetParam();
    ASSERT_EQ(
        bindLayout(c.taste,
                   [&](nlohmann::json& model) { removeModelNode(model, c.parent, c.removed); }),
        1);
    EXPECT_TRUE(tree().committedNames().empty());
    const auto failures = traces.withId(c.failedTrace);
    ASSERT_EQ(failures.size(), 1u);
    const std::string text = failures[0].textArg(0);
    const std::string end = c.text;
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
    // The limit objects looked up before the guarded region stay.
    EXPECT_NE(calcBlock.limitObjects[kTsubst], nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BindingFailureTest,
    ::testing::Values(
        FailureCase{"Default", {}, 14, kTraceDefaultFailed, "RootNodeDefault.getEvents() is NULL"},
        FailureCase{"Default", {10}, 14, kTraceDefaultFailed, "nodeVar.getZb() is NULL"},
        FailureCase{"Default", {9}, 0, kTraceDefaultFailed, ":25 var is NULL"},
        FailureCase{"Default",
                    {6, 15},
                    0,
                    kTraceDefaultFailed,
                    "src/Calorant:388 no param node (NULL) for aliasH2Param"},
        FailureCase{"ZM1", {}, 10, kTraceZm1Failed, "RootNodeZM1.getEvents() is NULL"},
        FailureCase{"ZM1", {5}, 18, kTraceZm1Failed, "nodeVar.getExpiC4H10() is NULL"},
        FailureCase{"ZM1", {8}, 0, kTraceZm1Failed, ":25 var is NULL"},
        FailureCase{"BM1", {}, 10, kTraceBm1Failed, "RootNodeBM1.getBase1() is NULL"},
        FailureCase{"BM1", {12}, 41, kTraceBm1Failed, "nodeVar.getMesg_p_min_warn() is NULL"},
        FailureCase{"BM1",
                    {6, 12},
                    0,
                    kTraceBm1Failed,
                    "src/Calorant:388 no param node (NULL) for aliasO2Param"}),
    [](const auto& paramInfo) {
        return std::string(paramInfo.param.taste) + std::to_string(paramInfo.index);
    });

TEST_F(BindingTest, WithoutATasteTheSetUpHookFails) {
    EXPECT_EQ(OnTasteSetup(asInfo.get()), 1);
    EXPECT_TRUE(traces.contains(kTraceNoTaste));
}

TEST_F(BindingTest, AddVarChildSkipsAZeroHandleAndChecksTheObject) {
    ASSERT_EQ(startLayout("Default"), 0);
    NodeVarTable table(0);
    AddVarChild(table, "Pmin", FbDo_LookupAlias(nullptr, "min", "MeasCond.p_imp"), 0);
    AddVarChild(table, "none", FbDo_LookupAlias(nullptr, "nothing", "MeasCond.p_imp"), 0);
    AddVarChild(table, "element1", FbDo_LookupAlias(nullptr, "min", "MeasCond.p_imp"), 1);
    EXPECT_EQ(table.names.size(), 1u);
    EXPECT_EQ(table.names["Pmin"], FbDo_NodeHandle(node("PP.PP_1.LoLim")));
    ASSERT_EQ(traces.withId(kTraceElementHandleZero).size(), 2u);
    EXPECT_EQ(traces.withId(kTraceElementHandleZero)[0].textArg(0), "none");
    EXPECT_THROW(AddVarChild(table, "null", nullptr, 0), std::invalid_argument);
}

TEST_F(BindingTest, ResolveAliasNullNodeTextHasNoBlankBeforeTheName) {
    NodeVarTable table(0);
    FbDoAlias slot = nullptr;
    try {
        ResolveAlias(table, "subst", "N2Param", "Comp.N2.Imp", &slot, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "src/Calorant:388 no param node (NULL) for aliasN2Param");
    }
    EXPECT_TRUE(table.names.empty());
}

}  // namespace
