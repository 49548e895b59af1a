// Source-attribute aliases and the name table of the calculation program's binding.
#include <gtest/gtest.h>

#include "TreeTestModel.h"

namespace {

class TreeBindingTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    FbDoTree* doTree = tree->tree();

    uint32_t handleOf(const char* path) { return FbDo_NodeHandle(tree->at(path)); }
};

TEST_F(TreeBindingTest, AliasFollowsTheImportToItsSourceAttribute) {
    FbDoAlias subst = FbDo_LookupAlias(doTree, "subst", "p_imp");
    ASSERT_NE(subst, nullptr);
    EXPECT_NE(FbDo_AliasValid(subst, 0), 0);
    EXPECT_EQ(*FbDo_AliasHandle(subst, 0), handleOf("PP.PP_1.Subst"));
    std::string text;
    EXPECT_EQ(FbDo_AliasText(subst, &text, 0), 0);
    EXPECT_EQ(text, "p_imp:subst -> PP.PP_1.Subst");
    // Through two imports, and the source's other attribute.
    EXPECT_EQ(*FbDo_AliasHandle(FbDo_LookupAlias(doTree, "min", "chain_imp"), 0),
              handleOf("PP.PP_1.LoLim"));
    // The import's own attribute comes first.
    EXPECT_EQ(*FbDo_AliasHandle(FbDo_LookupAlias(doTree, "max", "p_imp"), 0), handleOf("D"));
}

TEST_F(TreeBindingTest, UnknownAttributeGivesAnInvalidAliasWithHandleZero) {
    FbDoAlias alias = FbDo_LookupAlias(doTree, "ALev1", "p_imp");
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(FbDo_AliasValid(alias, 0), 0);
    EXPECT_EQ(*FbDo_AliasHandle(alias, 0), 0u);
    FbDoAlias unconnected = FbDo_LookupAlias(doTree, "subst", "free_imp");
    ASSERT_NE(unconnected, nullptr);
    EXPECT_EQ(FbDo_AliasValid(unconnected, 0), 0);
}

TEST_F(TreeBindingTest, PathWithoutNodeGivesNoAlias) {
    EXPECT_EQ(FbDo_LookupAlias(doTree, "min", "MeasCond.p_imp"), nullptr);
    EXPECT_EQ(FbDo_LookupAlias(doTree, nullptr, "p_imp"), nullptr);
    // Calls on a missing alias stay safe: the handle address reads 0.
    EXPECT_EQ(*FbDo_AliasHandle(nullptr, 0), 0u);
    EXPECT_EQ(FbDo_AliasValid(nullptr, 0), 0);
    std::string text = "old";
    EXPECT_NE(FbDo_AliasText(nullptr, &text, 0), 0);
    EXPECT_EQ(text, "");
}

TEST_F(TreeBindingTest, SameLookupGivesTheSameAliasAndOnlyElementZeroExists) {
    FbDoAlias first = FbDo_LookupAlias(doTree, "subst", "p_imp");
    EXPECT_EQ(FbDo_LookupAlias(doTree, "subst", "p_imp"), first);
    EXPECT_NE(FbDo_LookupAlias(doTree, "min", "p_imp"), first);
    EXPECT_EQ(*FbDo_AliasHandle(first, 1), 0u);
    EXPECT_EQ(FbDo_AliasValid(first, 1), 0);
}

TEST_F(TreeBindingTest, CommittedTableGoesToTheTreeOfTheVarNode) {
    NodeVarTable table(handleOf("General"));
    nameTableInsert(table, "p", handleOf("D"));
    nameTableInsert(table, "CalcMethod", handleOf("U"));
    EXPECT_TRUE(tree->committedNames().empty());  // nothing before the commit
    ASSERT_EQ(nameTableCommit(table), 0);
    EXPECT_EQ(tree->committedNames().size(), 2u);
    EXPECT_EQ(tree->committedNode("p"), tree->find("D"));
    EXPECT_EQ(tree->committedNode("CalcMethod"), tree->find("U"));
    EXPECT_EQ(tree->committedNode("t"), nullptr);
}

TEST_F(TreeBindingTest, NameInsertedTwiceKeepsTheLastHandle) {
    NodeVarTable table(handleOf("General"));
    nameTableInsert(table, "p", handleOf("D"));
    nameTableInsert(table, "p", handleOf("I"));
    ASSERT_EQ(nameTableCommit(table), 0);
    EXPECT_EQ(tree->committedNode("p"), tree->find("I"));
}

TEST_F(TreeBindingTest, TableWithoutVarNodeGoesToTheTreeOfItsNodes) {
    NodeVarTable table(0);
    nameTableInsert(table, "p", handleOf("D"));
    ASSERT_EQ(nameTableCommit(table), 0);
    EXPECT_EQ(tree->committedNode("p"), tree->find("D"));
    EXPECT_NE(nameTableCommit(NodeVarTable(0)), 0);
}

}  // namespace
