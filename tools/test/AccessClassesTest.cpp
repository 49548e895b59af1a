// Generated access classes against the tree the host builds from the same model file.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <type_traits>

#include "FbDo/FbDoStorage.h"  // its general GetRootNodeOfTree gives way to the generated one
#include "Fixture_AccessClasses.h"
#include "HostFramework.h"
#include "HostTree.h"
#include "model/gen/Fixture_AccessClasses.h"  // the same header by its folder path

namespace {

class AccessClassesTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = host::HostTree::fromFile(FIXTURE_MODEL);
    Fixture_Root root{GetRootNodeOfTree(tree->tree())};
};

TEST_F(AccessClassesTest, RootGettersReachTheRootsChildren) {
    EXPECT_EQ(root.node(), tree->root());
    EXPECT_EQ(root.getGeneral(), tree->find("General"));
    EXPECT_EQ(root.getOxygen(), tree->find("Oxygen"));
    EXPECT_EQ(root.getSulfur(), tree->find("Sulfur"));
}

TEST_F(AccessClassesTest, GettersUseTheFixedIndicesWithGaps) {
    Fixture_General general(root.getGeneral());
    EXPECT_EQ(general.getImp_Qn(), FbDo_GetChild(general, 0));
    EXPECT_EQ(general.getTrigAvg_Hour(), tree->find("General.TrigAvg_Hour"));
    EXPECT_EQ(general.getW_gen(), FbDo_GetChild(general, 6));
    EXPECT_EQ(general.getA_gen(), FbDo_GetChild(general, 7));
    EXPECT_EQ(FbDo_ReadDouble(general.getImp_Qn(), 0.0, nullptr, 0), 1.5);
    Fixture_Sulfur sulfur(root.getSulfur());
    EXPECT_EQ(sulfur.getImp_DA(), FbDo_GetChild(sulfur, 21));
    EXPECT_EQ(Fixture_Sulfur_Group(sulfur.getGroup()).getDeep(), tree->find("Sulfur.Group.Deep"));
}

TEST_F(AccessClassesTest, ChoiceGettersGiveTheAlternatives) {
    Fixture_Oxygen oxygen(root.getOxygen());
    EXPECT_EQ(oxygen.getSNo1(), FbDo_GetChoiceNode(oxygen, 0));
    EXPECT_EQ(oxygen.getSNo2(), tree->find("Oxygen.SNo2"));
    EXPECT_EQ(Fixture_Oxygen_SNo1(oxygen.getSNo1()).getCV_O2(), tree->find("Oxygen.SNo1.CV_O2"));
    EXPECT_EQ(Fixture_Oxygen_SNo2(oxygen.getSNo2()).getCV_O2S(), tree->find("Oxygen.SNo2.CV_O2S"));
}

// Each getter returns the type of its node: a subtree's class, or the handle of its leaf kind
// and use. Handles convert to and from FbDoNode but never into one another, so a part built
// from the wrong kind of node does not compile.
static_assert(std::is_same<decltype(Fixture_Root().getGeneral()), Fixture_General>::value);
static_assert(std::is_same<decltype(Fixture_Oxygen().getSNo2()), Fixture_Oxygen_SNo2>::value);
static_assert(std::is_same<decltype(Fixture_General().getImp_Qn()), DoubleInputNode>::value);
static_assert(std::is_same<decltype(Fixture_General().getA_gen()), BoolOutputNode>::value);
static_assert(std::is_same<decltype(Fixture_General().getTrigAvg_Hour()), TriggerNode>::value);
static_assert(std::is_same<decltype(Fixture_Sulfur().getImp_DA()), WordInputNode>::value);
static_assert(std::is_same<decltype(Fixture_Sulfur_Group().getDeep()), TextNode>::value);
static_assert(!std::is_convertible<BoolOutputNode, DoubleInputNode>::value);
static_assert(!std::is_convertible<DoubleInputNode, DoubleOutputNode>::value);
static_assert(!std::is_convertible<Fixture_General, DoubleInputNode>::value);
static_assert(!std::is_convertible<TriggerNode, BoolInputNode>::value);
static_assert(std::is_convertible<DoubleInputNode, FbDoNode>::value);
static_assert(std::is_convertible<FbDoNode, DoubleInputNode>::value);

TEST_F(AccessClassesTest, TypedNullCheckKeepsTheTypeAndNamesAMissingNode) {
    Fixture_General general = checkNotNull(root.getGeneral(), "root.getGeneral()");
    DoubleInputNode flow = checkNotNull(general.getImp_Qn(), "general.getImp_Qn()");
    EXPECT_EQ(flow, tree->find("General.Imp_Qn"));
    Fixture_Sulfur_Group group;  // no node
    try {
        checkNotNull(group.getDeep(), "group.getDeep()");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        const std::string text = error.what();
        const std::string tail = ":25 group.getDeep() is NULL";
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    }
}

TEST_F(AccessClassesTest, AMissingNodeGivesNullGetters) {
    Fixture_General none;
    EXPECT_EQ(none.getA_gen(), nullptr);
    auto smaller = host::HostTree::fromJson(R"({"root": {"children": [{"name": "x"}]}})");
    EXPECT_EQ(Fixture_Root(smaller->root()).getGeneral(), nullptr);
}

TEST(AccessClassesRootDeathTest, NullTreeFailsTheAssertion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FbDoTree* none = nullptr;
    EXPECT_EXIT(GetRootNodeOfTree(none), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "pTheTree \\(model/gen/Fixture_AccessClasses:");
}

}  // namespace
