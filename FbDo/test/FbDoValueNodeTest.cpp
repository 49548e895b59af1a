// A value node with its leaves: the leaves found with the node, and the bool write through them.
#include <gtest/gtest.h>

#include "FbDo/FbDoValueNode.h"
#include "HostTree.h"

namespace {

constexpr const char* kModel = R"({"root": {"children": [
    {"name": "flag", "kind": "bool", "value": false, "status": 5},
    {"name": "group", "children": [{"name": "x", "kind": "double"}]}]}})";

TEST(FbDoValueNode, ValueNodeCarriesItsValueAndStatusLeaves) {
    auto tree = host::HostTree::fromJson(kModel);
    const FbDoNode flag = tree->find("flag");
    const FbDoValueNode found = FindValueNode(flag);
    EXPECT_EQ(found.node, flag);
    EXPECT_EQ(found.value, FbDo_FindLeaf(flag, kFbDoLeafValue));
    EXPECT_EQ(found.status, FbDo_FindLeaf(flag, kFbDoLeafStatus));
    EXPECT_NE(found.value, nullptr);
    EXPECT_NE(found.status, nullptr);
}

TEST(FbDoValueNode, StructureOrMissingNodeHasNoLeaves) {
    auto tree = host::HostTree::fromJson(kModel);
    const FbDoValueNode group = FindValueNode(tree->find("group"));
    EXPECT_EQ(group.node, tree->find("group"));
    EXPECT_EQ(group.value, nullptr);
    EXPECT_EQ(group.status, nullptr);
    const FbDoValueNode none = FindValueNode(nullptr);
    EXPECT_EQ(none.node, nullptr);
    EXPECT_EQ(none.value, nullptr);
    EXPECT_EQ(none.status, nullptr);
    EXPECT_NE(WriteBoolValue(none, 1, nullptr), 0);
}

TEST(FbDoValueNode, BoolWriteKeepsOrSetsTheStatus) {
    auto tree = host::HostTree::fromJson(kModel);
    const FbDoValueNode flag = FindValueNode(tree->find("flag"));
    EXPECT_EQ(WriteBoolValue(flag, 1, nullptr), 0);
    EXPECT_TRUE(tree->boolValue("flag"));
    EXPECT_EQ(tree->status("flag"), 5u);
    const uint32_t status = 0;
    EXPECT_EQ(WriteBoolValue(flag, 0, &status), 0);
    EXPECT_FALSE(tree->boolValue("flag"));
    EXPECT_EQ(tree->status("flag"), 0u);
}

}  // namespace
