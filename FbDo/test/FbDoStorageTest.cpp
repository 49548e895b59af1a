// The address space's tree from its block and the root node of a tree.
#include <gtest/gtest.h>

#include <memory>

#include "FbDo/FbDoStorage.h"
#include "HostFramework.h"
#include "HostTree.h"

namespace {

TEST(FbDoStorage, TreeOfABlockMayStillBeNull) {
    auto asInfo = std::make_unique<AsInfo>();
    EXPECT_EQ(GetFbDoTree(asInfo.get()), nullptr);
    auto tree = host::HostTree::fromJson(R"({"root": {"children": [{"name": "a"}]}})");
    tree->install(asInfo.get());
    EXPECT_EQ(GetFbDoTree(asInfo.get()), tree->tree());
}

TEST(FbDoStorage, RootIsTheFirstWordOfTheTree) {
    auto tree = host::HostTree::fromJson(R"({"root": {"children": [{"name": "a"}]}})");
    EXPECT_EQ(GetRootNodeOfTree(tree->tree()), tree->root());
    EXPECT_EQ(FbDo_GetChild(GetRootNodeOfTree(tree->tree()), 0), tree->find("a"));
}

TEST(FbDoStorageDeathTest, NullBlockFailsTheAssertionAtLine310) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(GetFbDoTree(nullptr), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "pAsInfo \\(FbDo/FbDoStorage:310\\)");
}

TEST(FbDoStorageDeathTest, NullTreeFailsTheAssertion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FbDoTree* none = nullptr;
    EXPECT_EXIT(GetRootNodeOfTree(none), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "pTheTree \\(FbDo/FbDoStorage:");
}

}  // namespace
