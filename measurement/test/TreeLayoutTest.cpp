#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <type_traits>

#include "AlarmParts.h"
#include "Average.h"
#include "BestValue.h"
#include "HostTree.h"
#include "InputParts.h"
#include "Parameter.h"
#include "SensorLifeTime.h"
#include "Status.h"
#include "Vesk_AccessClasses.h"
#include "util/Helper.h"

namespace {

// The parts take the handle types of their nodes, so a node of the wrong kind or use does not
// compile: each row pairs the right handles with a swap that must be refused.
static_assert(std::is_constructible<SimpleInput, DoubleInputNode, DoubleOutputNode,
                                    const UnsignedParameter&>::value);
static_assert(!std::is_constructible<SimpleInput, DoubleOutputNode, DoubleInputNode,
                                     const UnsignedParameter&>::value);
static_assert(std::is_constructible<UpperAlarm, const DoubleParameter&, BoolOutputNode,
                                    const UnsignedParameter&, BoolInputNode>::value);
static_assert(!std::is_constructible<UpperAlarm, const DoubleParameter&, BoolInputNode,
                                     const UnsignedParameter&, BoolOutputNode>::value);
static_assert(std::is_constructible<UnsignedParameter, UnsignedParameterNode, unsigned>::value);
static_assert(!std::is_constructible<UnsignedParameter, DoubleParameterNode, unsigned>::value);
static_assert(!std::is_constructible<DoubleParameter, DoubleInputNode, double>::value);
static_assert(!std::is_constructible<BestValue, DoubleInputNode, BoolOutputNode, ItemSignal<int>*,
                                     MemberSlot<void(bool)>*>::value);
static_assert(
    std::is_constructible<PublishedStatus, uint32_t, WordOutputNode, WordOutputNode>::value);
static_assert(
    !std::is_constructible<PublishedStatus, uint32_t, WordInputNode, WordOutputNode>::value);
static_assert(std::is_constructible<SensorLifeTime, const DoubleParameter&, const DoubleParameter&,
                                    DoubleOutputNode, BoolOutputNode, ItemSignal<void>*>::value);
static_assert(!std::is_constructible<SensorLifeTime, const DoubleParameter&, const DoubleParameter&,
                                     DoubleInputNode, BoolOutputNode, ItemSignal<void>*>::value);
static_assert(!std::is_constructible<SensorLifeTime, const DoubleParameter&, const DoubleParameter&,
                                     DoubleOutputNode, BoolInputNode, ItemSignal<void>*>::value);
static_assert(!std::is_convertible<TriggerNode, decltype(AverageNodes::zeroFlow)>::value);

class TreeLayoutTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = host::HostTree::fromFile(VESK_MODEL_FILE);
    Vesk_Root myVeskNode{GetRootNodeOfTree(tree->tree())};
};

TEST_F(TreeLayoutTest, RootChildrenLeadToTheSubtrees) {
    struct Case {
        FbDoNode node;
        const char* path;
        uint32_t index;
    };
    const std::vector<Case> cases = {
        {myVeskNode.getGeneral(), "General", 4},
        {myVeskNode.getSulfur(), "Sulfur", 5},
        {myVeskNode.getDPs(), "DPs", 6},
        {myVeskNode.getOxygen(), "Oxygen", 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.node, tree->at(c.path)) << c.path;
        EXPECT_EQ(FbDo_NodeNumber(c.node), c.index) << c.path;
    }
    // The unnamed child 3 is one preprocessing group node (its first child is a parameter);
    // its child 3 holds the two preprocessing lines, whose count is also the number the
    // dew-point screen asks for.
    FbDoNode preprocessing = FbDo_GetChild(myVeskNode, 3);
    ASSERT_NE(preprocessing, nullptr);
    EXPECT_EQ(FbDo_IsStructureNode(FbDo_FirstChild(preprocessing)), 0);
    FbDoNode lines = FbDo_GetChild(preprocessing, 3);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(FbDo_NodeCountQuery(lines), 2u);
    EXPECT_EQ(FbDo_GetChild(lines, 1), tree->at("3.Lines.Line_2"));
    EXPECT_EQ(FbDo_NodeKind(tree->at("3.Lines.Line_2.Lev6")), kFbDoImport);
    EXPECT_EQ(FbDo_NodeNumber(tree->at("3.Lines.Line_2.Out")), 16u);
}

TEST_F(TreeLayoutTest, GeneralNodeChildrenByFixedIndex) {
    Vesk_General myGeneralNode(checkNotNull(myVeskNode.getGeneral(), "myVeskNode.getGeneral()"));
    struct Case {
        FbDoNode node;
        const char* name;
        uint32_t index;
        FbDoNodeKind kind;
    };
    const std::vector<Case> cases = {
        {myGeneralNode.getImp_Qn(), "Imp_Qn", 0, kFbDoDouble},
        {myGeneralNode.getImp_zeroQn(), "Imp_zeroQn", 1, kFbDoBool},
        {myGeneralNode.getTrigAvg_Hour(), "TrigAvg_Hour", 2, kFbDoTrigger},
        {myGeneralNode.getTrigAvg_Day(), "TrigAvg_Day", 3, kFbDoTrigger},
        {myGeneralNode.getPowerOn_Delay(), "PowerOn_Delay", 4, kFbDoUnsigned},
        {myGeneralNode.getStartUp_Delay(), "StartUp_Delay", 5, kFbDoUnsigned},
        {myGeneralNode.getW_gen(), "W_gen", 6, kFbDoBool},
        {myGeneralNode.getA_gen(), "A_gen", 7, kFbDoBool},
        {myGeneralNode.getA_IFc(), "A_IFc", 8, kFbDoBool},
    };
    for (const Case& c : cases) {
        const std::string path = std::string("General.") + c.name;
        EXPECT_EQ(c.node, tree->at(path)) << c.name;
        EXPECT_EQ(FbDo_NodeNumber(c.node), c.index) << c.name;
        EXPECT_EQ(FbDo_NodeKind(c.node), c.kind) << c.name;
    }
}

TEST_F(TreeLayoutTest, OxygenAlternativesAreTheSensorConfigurations) {
    Vesk_Oxygen myOxygenNode(myVeskNode.getOxygen());
    EXPECT_EQ(myOxygenNode.getSNo1(), tree->at("Oxygen.SNo1"));
    EXPECT_EQ(myOxygenNode.getSNo2(), tree->at("Oxygen.SNo2"));
    Vesk_Oxygen_SNo1 single(myOxygenNode.getSNo1());
    Vesk_Oxygen_SNo2 twofold(myOxygenNode.getSNo2());
    EXPECT_EQ(FbDo_NodeNumber(single.getLhStatus_O2()), 20u);
    EXPECT_EQ(FbDo_NodeNumber(twofold.getLhStatus_O2()), 24u);
    EXPECT_EQ(FbDo_NodeNumber(twofold.getLT_O2dS()), 17u);
}

// The child indices of every measurement of the sulfur and dew-point nodes, as the analysers'
// layouts fix them, against the model: getters, tree and groups all come from the model, so
// only this table can tell a misplaced node.
TEST_F(TreeLayoutTest, MeasurementNodesStandAtTheirFixedIndices) {
    struct Row {
        const char* group;
        const char* quantity;
        // Imp_, UAL_, LAL_ (-1: none), CV_, ChA_, LhA_, CdA_, LdA_, UA_, LA_ or UW_ (-1: none)
        std::vector<int> indices;
    };
    const char* const sulfurPrefixes[] = {"Imp_", "UAL_", "UWL_", "CV_", "ChA_",
                                          "LhA_", "CdA_", "LdA_", "UA_", "UW_"};
    const char* const dewPointPrefixes[] = {"Imp_", "UAL_", "LAL_", "CV_", "ChA_",
                                            "LhA_", "CdA_", "LdA_", "UA_", "LA_"};
    const std::vector<Row> rows = {
        {"Sulfur", "Merc", {0, 1, 2, 24, 31, 32, 33, 34, 59, 60}},
        {"Sulfur", "HC", {3, 4, 5, 25, 35, 36, 37, 38, 61, 62}},
        {"Sulfur", "TS", {6, 7, 8, 26, 39, 40, 41, 42, 63, 64}},
        {"Sulfur", "H2S", {9, 10, 11, 27, 43, 44, 45, 46, 65, 66}},
        {"Sulfur", "COS", {12, 13, 14, 28, 47, 48, 49, 50, 67, 68}},
        {"Sulfur", "MM", {15, 16, 17, 29, 51, 52, 53, 54, 69, 70}},
        {"Sulfur", "EM", {18, 19, 20, 30, 55, 56, 57, 58, 71, 72}},
        {"DPs", "tdps", {0, 1, 2, 37, 51, 52, 53, 54, 108, 107}},
        {"DPs", "tdps2", {3, 4, 5, 38, 55, 56, 57, 58, 110, 109}},
        {"DPs", "tdps3", {6, 7, 8, 39, 59, 60, 61, 62, 112, 111}},
        {"DPs", "pdps", {9, 10, 11, 40, 63, 64, 65, 66, 114, 113}},
        {"DPs", "pdps2", {12, 13, 14, 41, 67, 68, 69, 70, 116, 115}},
        {"DPs", "pdps3", {15, 16, 17, 42, 71, 72, 73, 74, 118, 117}},
        {"DPs", "twdp", {18, 19, -1, 43, 75, 76, 77, 78, 119, -1}},
        {"DPs", "twdp2", {20, 21, -1, 44, 79, 80, 81, 82, 120, -1}},
        {"DPs", "twdp3", {22, 23, -1, 45, 83, 84, 85, 86, 121, -1}},
        {"DPs", "hwdp", {24, 25, -1, 46, 87, 88, 89, 90, 122, -1}},
        {"DPs", "hwdp2", {26, 27, -1, 47, 91, 92, 93, 94, 123, -1}},
        {"DPs", "hwdp3", {28, 29, -1, 48, 95, 96, 97, 98, 124, -1}},
        {"DPs", "hcdtp", {30, 31, 32, 49, 99, 100, 101, 102, 126, 125}},
        {"DPs", "thdp", {33, 34, -1, 50, 103, 104, 105, 106, 127, -1}},
    };
    for (const Row& row : rows) {
        const bool sulfur = std::string(row.group) == "Sulfur";
        for (size_t column = 0; column < row.indices.size(); ++column) {
            const std::string path = std::string(row.group) + "." +
                                     (sulfur ? sulfurPrefixes : dewPointPrefixes)[column] +
                                     row.quantity;
            if (row.indices[column] < 0) {
                EXPECT_EQ(tree->find(path), nullptr) << path;
                continue;
            }
            ASSERT_NE(tree->find(path), nullptr) << path;
            EXPECT_EQ(FbDo_NodeNumber(tree->at(path)), static_cast<uint32_t>(row.indices[column]))
                << path;
        }
    }
    struct Single {
        const char* path;
        uint32_t index;
    };
    for (const Single& node : std::vector<Single>{{"Sulfur.Imp_DA", 21},
                                                  {"Sulfur.Imp_DW", 22},
                                                  {"Sulfur.Imp_DR", 23},
                                                  {"Sulfur.A_S", 73},
                                                  {"Sulfur.A_IFS", 74},
                                                  {"Sulfur.CStatus_S", 75},
                                                  {"Sulfur.LhStatus_S", 76},
                                                  {"DPs.Imp_DSdp", 35},
                                                  {"DPs.Imp_DSadp", 36},
                                                  {"DPs.A_dp", 128},
                                                  {"DPs.A_IFdp", 129},
                                                  {"DPs.CStatus_dp", 130},
                                                  {"DPs.LhStatus_dp", 131}}) {
        EXPECT_EQ(FbDo_NodeNumber(tree->at(node.path)), node.index) << node.path;
    }
}

// The two oxygen configurations, child by child.
TEST_F(TreeLayoutTest, OxygenConfigurationsHoldTheirNodesInOrder) {
    const std::vector<std::string> single = {"Imp_O2",
                                             "UAL_O2",
                                             "UWL_O2",
                                             "LTP_O2",
                                             "LWL_LT",
                                             "CV_O2",
                                             "CV_O2BV",
                                             "ChA_O2",
                                             "LhA_O2",
                                             "CdA_O2",
                                             "LdA_O2",
                                             "UA_O2",
                                             "UW_O2",
                                             "Rev_O2",
                                             "LT_O2d",
                                             "LTL_O2",
                                             "myWarning",
                                             "myAlarm",
                                             "myInputFailureAlarm",
                                             "CStatus_O2",
                                             "LhStatus_O2"};
    const std::vector<std::string> twofold = {"Imp_O2M",
                                              "Imp_O2S",
                                              "UAL_O2",
                                              "UWL_O2",
                                              "LTP_O2",
                                              "LWL_LT",
                                              "CV_O2M",
                                              "CV_O2S",
                                              "CV_O2BV",
                                              "ChA_O2",
                                              "LhA_O2",
                                              "CdA_O2",
                                              "LdA_O2",
                                              "UA_O2",
                                              "UW_O2",
                                              "Rev_O2",
                                              "LT_O2dM",
                                              "LT_O2dS",
                                              "LTL_O2",
                                              "myWarning",
                                              "myAlarm",
                                              "mySensorFailureAlarm",
                                              "myInputFailureAlarm",
                                              "CStatus_O2",
                                              "LhStatus_O2"};
    for (const auto& [prefix, names] : {std::make_pair(std::string("Oxygen.SNo1."), single),
                                        std::make_pair(std::string("Oxygen.SNo2."), twofold)}) {
        for (size_t index = 0; index < names.size(); ++index) {
            EXPECT_EQ(FbDo_NodeNumber(tree->at(prefix + names[index])), index)
                << prefix << names[index];
        }
    }
}

TEST(TreeLayout, MissingGeneralNodeNamesTheGetter) {
    auto bare = host::HostTree::fromJson(R"({"name": "Vesk", "root": {"children": [
        {"index": 5, "name": "Sulfur"}]}})");
    Vesk_Root myVeskNode(GetRootNodeOfTree(bare->tree()));
    try {
        checkNotNull(myVeskNode.getGeneral(), "myVeskNode.getGeneral()");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        const std::string text = error.what();
        const std::string tail = ":25 myVeskNode.getGeneral() is NULL";
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    }
}

}  // namespace
