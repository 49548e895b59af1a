// Triggers per reader, choice nodes and their alternatives, imports and their sources.
#include <gtest/gtest.h>

#include "TreeTestModel.h"

namespace {

class TreeTriggerTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    FbDoNode trigger = tree->at("General.TrigAvg_Hour");

    bool fired(uint32_t& lastState) {
        uint32_t scratch = 0;
        return FbDo_TriggerFired(trigger, &lastState, FbDo_FindLeaf(trigger, kFbDoLeafValue),
                                 FbDo_FindLeaf(trigger, kFbDoLeafStatus), &scratch) != 0;
    }
};

TEST_F(TreeTriggerTest, FiresOnceForEachFalseToTrueChange) {
    uint32_t last = 0;
    EXPECT_FALSE(fired(last));
    tree->setBool(trigger, true);
    EXPECT_TRUE(fired(last));
    EXPECT_FALSE(fired(last));  // still true: no new firing
    tree->setBool(trigger, false);
    EXPECT_FALSE(fired(last));
    tree->setBool(trigger, true);
    EXPECT_TRUE(fired(last));
}

TEST_F(TreeTriggerTest, EachReaderKeepsItsOwnLastState) {
    uint32_t average = 0;
    uint32_t status = 0;
    tree->setBool(trigger, true);
    EXPECT_TRUE(fired(average));
    EXPECT_TRUE(fired(status));  // a second reader sees the same firing
    EXPECT_FALSE(fired(average));
    EXPECT_FALSE(fired(status));
}

TEST_F(TreeTriggerTest, ReaderPrimedWithTheCurrentValueSeesNoFiring) {
    tree->setBool(trigger, true);
    uint32_t restored = FbDo_ReadBool(trigger, 0, nullptr, nullptr, nullptr, 0);
    EXPECT_FALSE(fired(restored));
    tree->setBool(trigger, false);
    EXPECT_FALSE(fired(restored));
    tree->setBool(trigger, true);
    EXPECT_TRUE(fired(restored));
}

TEST_F(TreeTriggerTest, TriggerNotInUseNeverFiresAndScratchGetsTheStatus) {
    tree->setInUse(trigger, false);
    tree->setStatus(trigger, 0x80);
    tree->setBool(trigger, true);
    uint32_t last = 0;
    uint32_t scratch = 0;
    EXPECT_EQ(FbDo_TriggerFired(trigger, &last, nullptr, nullptr, &scratch), 0);
    EXPECT_EQ(scratch, 0x81u);
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(FbDo_TriggerFired(nullptr, &last, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(FbDo_TriggerFired(trigger, nullptr, nullptr, nullptr, nullptr), 0);
}

class TreeChoiceTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    FbDoNode oxygen = tree->at("Oxygen");
};

TEST_F(TreeChoiceTest, SelectionWordAndAlternatives) {
    EXPECT_EQ(FbDo_SelectedChoice(oxygen), 0x8001u);
    EXPECT_EQ(FbDo_GetChoice(oxygen) & 0x7FFF, 1u);
    EXPECT_EQ(FbDo_GetChoiceNode(oxygen, 0), tree->find("Oxygen.SNo1"));
    EXPECT_EQ(FbDo_SensorSelect(oxygen, 1), tree->find("Oxygen.SNo2"));
    EXPECT_EQ(FbDo_GetChoiceNode(oxygen, 2), nullptr);
    EXPECT_EQ(FbDo_GetChild(FbDo_GetChoiceNode(oxygen, 1), 0), tree->find("Oxygen.SNo2.CV_O2M"));
    // Alternatives are not children.
    EXPECT_EQ(FbDo_FirstChild(oxygen), nullptr);
    EXPECT_EQ(FbDo_NextSibling(FbDo_GetChoiceNode(oxygen, 0)), nullptr);
    tree->setSelectedChoice(oxygen, 0);
    EXPECT_EQ(FbDo_SelectedChoice(oxygen), 0u);
}

TEST_F(TreeChoiceTest, OtherNodesAreNoChoice) {
    EXPECT_EQ(FbDo_SelectedChoice(tree->at("General")), 0u);
    EXPECT_EQ(FbDo_GetChoiceNode(tree->at("General"), 0), nullptr);
    EXPECT_EQ(FbDo_GetChoiceNode(nullptr, 0), nullptr);
    EXPECT_THROW(tree->setSelectedChoice("General", 1), std::invalid_argument);
}

TEST(TreeChoiceModel, MissingAlternativeIsNull) {
    auto tree = host::HostTree::fromJson(R"({"root": {"children": [
        {"name": "Out", "kind": "choice", "selected": 1,
         "alternatives": [null, {"name": "present", "children": [{"name": "x", "kind": "double"}]}]}
    ]}})");
    EXPECT_EQ(FbDo_GetChoiceNode(tree->at("Out"), 0), nullptr);
    EXPECT_EQ(FbDo_SensorSelect(tree->at("Out"), 1), tree->find("Out.present"));
}

class TreeImportTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
};

TEST_F(TreeImportTest, ConnectedImportReadsItsSource) {
    uint32_t status = 0;
    EXPECT_EQ(FbDo_ReadDouble(tree->at("p_imp"), 0.0, &status, 0), 9.75);
    EXPECT_EQ(status, 0x80u);
    tree->setDouble("PP.PP_1.Out", 11.0);
    tree->setStatus("PP.PP_1.Out", 0);
    EXPECT_EQ(FbDo_ReadDoubleWithStatus(tree->at("chain_imp"), 0.0, nullptr, &status, 0), 11.0);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(tree->doubleValue("p_imp"), 11.0);
}

TEST_F(TreeImportTest, ImportIsInUseOnlyWithItsSource) {
    tree->setInUse("PP.PP_1.Out", false);
    uint32_t status = 0;
    EXPECT_EQ(FbDo_ReadDouble(tree->at("p_imp"), -1.0, &status, 0), -1.0);
    EXPECT_EQ(status, 0x81u);
    EXPECT_FALSE(FbDo_IsInUse(tree->at("chain_imp")));
    tree->setInUse("PP.PP_1.Out", true);
    tree->setInUse("p_imp", false);
    EXPECT_FALSE(FbDo_IsInUse(tree->at("chain_imp")));
    EXPECT_EQ(FbDo_ReadDouble(tree->at("chain_imp"), -1.0, nullptr, 0), -1.0);
}

TEST_F(TreeImportTest, UnconnectedImportReadsItsOwnValue) {
    uint32_t status = 0;
    EXPECT_EQ(FbDo_ReadDouble(tree->at("free_imp"), 0.0, &status, 0), 4.0);
    EXPECT_EQ(status, 16u);
    EXPECT_EQ(FbDo_IsConnected(tree->at("free_imp")), 0u);
}

TEST_F(TreeImportTest, DataReferenceNamesTheSource) {
    FbDoLeaf reference = FbDo_FindLeaf(tree->at("p_imp"), kFbDoLeafDataReference);
    std::string text;
    ASSERT_EQ(FbDo_GetDataReference(reference, &text), 0);
    EXPECT_EQ(text, "PP.PP_1.Out");
    EXPECT_EQ(FbDo_DataReferenceTarget(reference), FbDo_NodeHandle(tree->at("PP.PP_1.Out")));
    EXPECT_EQ(FbDo_IsConnected(tree->at("p_imp")), FbDo_NodeHandle(tree->at("PP.PP_1.Out")));
    ASSERT_EQ(FbDo_GetDataReference(FbDo_GetLeaf(tree->at("chain_imp"), 15), &text), 0);
    EXPECT_EQ(text, "p_imp");

    FbDoLeaf none = FbDo_FindLeaf(tree->at("free_imp"), kFbDoLeafDataReference);
    ASSERT_EQ(FbDo_GetDataReference(none, &text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(FbDo_DataReferenceTarget(none), 0u);
    // Not a data-reference leaf, or none at all.
    EXPECT_NE(FbDo_GetDataReference(FbDo_FindLeaf(tree->at("p_imp"), 19), &text), 0);
    EXPECT_EQ(FbDo_DataReferenceTarget(nullptr), 0u);
    EXPECT_EQ(FbDo_IsConnected(tree->at("D")), 0u);
}

}  // namespace
