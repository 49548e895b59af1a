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
static_assert(!std::is_constructible<PublishedStatus, uint32_t, BoolInputNode, WordOutputNode,
                                     WordOutputNode>::value);
static_assert(!std::is_constructible<SensorLifeTime, const DoubleParameter&, const DoubleParameter&,
                                     DoubleOutputNode, BoolOutputNode, BoolInputNode,
                                     ItemSignal<void>*>::value);
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
