// The address space's tree made by the framework's tree calls from the configured model; the
// tree access and the commit.
#include <gtest/gtest.h>

#include "HostFramework.h"
#include "Tarvo.h"
#include "TreeTestModel.h"

namespace {

int releases = 0;
void releasePreprocessing(void* object) {
    ++releases;
    delete static_cast<int*>(object);
}

class TreeLifeCycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetFramework();
        host::setTreeModelJson(treetest::kModel);
    }
    void TearDown() override {
        host::dropAddressSpaceTree();
        host::setTreeModelJson("");
        host::resetFramework();
    }

    std::unique_ptr<AsInfo> asInfo = std::make_unique<AsInfo>();
};

TEST_F(TreeLifeCycleTest, TreeStartMakesTheRegisteredAddressSpacesTree) {
    EXPECT_EQ(Tarvo_TreeStart(0), TarvoNotRegistered);
    ASSERT_EQ(Sysmanlib_AsInfo_Register(asInfo.get()), 0);
    EXPECT_EQ(asInfo->pTheTree, nullptr);
    ASSERT_EQ(Tarvo_TreeStart(0), 0);
    ASSERT_NE(asInfo->pTheTree, nullptr);
    ASSERT_NE(host::addressSpaceTree(), nullptr);
    EXPECT_EQ(asInfo->pTheTree, host::addressSpaceTree()->tree());
    // The root is the tree object's first word.
    EXPECT_EQ(*reinterpret_cast<FbDoNode*>(asInfo->pTheTree), host::addressSpaceTree()->root());
    FbDoTree* made = asInfo->pTheTree;
    EXPECT_EQ(Tarvo_ParameterService(0, 1), 0);
    EXPECT_EQ(Tarvo_FbDoPrepare(asInfo.get()), 0);
    EXPECT_EQ(asInfo->pTheTree, made);  // made once
}

TEST_F(TreeLifeCycleTest, PrepareMakesTheTreeForTheGivenBlock) {
    ASSERT_EQ(Tarvo_FbDoPrepare(asInfo.get()), 0);
    ASSERT_NE(asInfo->pTheTree, nullptr);
    EXPECT_EQ(Tarvo_FbDoPrepare(nullptr), IllegalParameter);
    // Calls that name no tree use the address space's tree.
    EXPECT_NE(FbDo_LookupAlias(nullptr, "subst", "p_imp"), nullptr);
}

TEST_F(TreeLifeCycleTest, MissingOrBrokenModelFailsWithItsReason) {
    ASSERT_EQ(Sysmanlib_AsInfo_Register(asInfo.get()), 0);
    host::setTreeModelJson("");
    EXPECT_EQ(Tarvo_TreeStart(0), TarvoFileNotReadable);
    EXPECT_EQ(host::treeModelError(), "no tree model configured");
    host::setTreeModelFile("/nonexistent/model.json");
    EXPECT_EQ(Tarvo_ParameterService(0, 1), TarvoFileNotReadable);
    EXPECT_NE(host::treeModelError().find("/nonexistent/model.json"), std::string::npos);
    EXPECT_EQ(asInfo->pTheTree, nullptr);
}

TEST_F(TreeLifeCycleTest, DroppingTheTreeEmptiesTheRegisteredBlockAndReleasesPreprocessing) {
    ASSERT_EQ(Sysmanlib_AsInfo_Register(asInfo.get()), 0);
    ASSERT_EQ(Tarvo_TreeStart(0), 0);
    EXPECT_EQ(asInfo->pTheTree->GetPreprocessing(), nullptr);
    asInfo->pTheTree->SetPreprocessing(new int(5), releasePreprocessing);
    EXPECT_NE(asInfo->pTheTree->GetPreprocessing(), nullptr);
    releases = 0;
    host::dropAddressSpaceTree();
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(asInfo->pTheTree, nullptr);
    EXPECT_EQ(host::addressSpaceTree(), nullptr);
}

int changeCalls = 0;
int countChange(void*) {
    ++changeCalls;
    return 0;
}

// The address space ends and its tree stays: the slot's object and the change callbacks go with
// the address space, the values stay, and the next address space gets the same tree.
TEST_F(TreeLifeCycleTest, KeepingTheTreeReleasesWhatTheEndedAddressSpaceHeldInIt) {
    ASSERT_EQ(Sysmanlib_AsInfo_Register(asInfo.get()), 0);
    ASSERT_EQ(Tarvo_TreeStart(0), 0);
    FbDoTree* kept = asInfo->pTheTree;
    kept->SetPreprocessing(new int(5), releasePreprocessing);
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), countChange), 0);
    host::addressSpaceTree()->changeDouble("D", 7.5);
    releases = 0;
    host::keepAddressSpaceTree();
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(kept->GetPreprocessing(), nullptr);
    EXPECT_EQ(asInfo->pTheTree, nullptr);
    changeCalls = 0;
    EXPECT_EQ(host::addressSpaceTree()->deliverChanges(), 0u) << "no callback of the ended one";
    EXPECT_EQ(changeCalls, 0);

    host::resetFramework();
    auto next = std::make_unique<AsInfo>();
    ASSERT_EQ(Sysmanlib_AsInfo_Register(next.get()), 0);
    ASSERT_EQ(Tarvo_TreeStart(0), 0);
    EXPECT_EQ(next->pTheTree, kept);
    EXPECT_EQ(host::addressSpaceTree()->doubleValue("D"), 7.5);
    host::dropAddressSpaceTree();
    EXPECT_EQ(releases, 1) << "released once";
}

TEST(TreeAccessTest, BeginAndEndAreCheckedPerTask) {
    auto tree = treetest::makeTree();
    EXPECT_EQ(FbDo_BeginTreeAccess(nullptr), IllegalParameter);
    EXPECT_EQ(FbDo_EndTreeAccess(nullptr), IllegalParameter);
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), NotOwner);
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), 0);
    EXPECT_EQ(FbDo_BeginTreeAccess(tree->tree()), AlreadyOwned);
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), 0);
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), NotOwner);
}

TEST(TreeAccessTest, CommitsAreCounted) {
    auto tree = treetest::makeTree();
    EXPECT_EQ(tree->commitCount(), 0u);
    EXPECT_EQ(FbDo_CommitPreprocessing(tree->tree()), 0);
    EXPECT_EQ(FbDo_CommitPreprocessing(tree->tree()), 0);
    EXPECT_EQ(tree->commitCount(), 2u);
    EXPECT_NE(FbDo_CommitPreprocessing(nullptr), 0);
}

// A tree held by a static is destroyed after the end of main; the registry of live trees and
// the change callbacks must still be there (a fresh process, so that the registry is made
// after the static).
TEST(TreeLifeTimeTest, TreeHeldByAStaticOutlivesMain) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::unique_ptr<host::HostTree> held;
            held = host::HostTree::fromJson(treetest::kModel);
            static AsInfo block{};
            held->install(&block);
            FbDo_RegisterChangeCallback(&block, [](void*) { return 0; });
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
