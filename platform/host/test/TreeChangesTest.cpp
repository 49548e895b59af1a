// Change callbacks: registration, delivery on a framework task, one call per change.
#include <gtest/gtest.h>

#include "HostFramework.h"
#include "TreeTestModel.h"

namespace {

struct CallbackLog {
    int calls = 0;
    void* argument = nullptr;
    int accessWhileCalled = -1;  // FbDo_BeginTreeAccess result inside the callback
    FbDoTree* tree = nullptr;
};

CallbackLog gLog;

int recordChange(void* argument) {
    ++gLog.calls;
    gLog.argument = argument;
    gLog.accessWhileCalled = FbDo_BeginTreeAccess(gLog.tree);
    return 1;
}

int otherCallback(void*) {
    gLog.calls += 100;
    return 1;
}

class TreeChangesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gLog = CallbackLog{};
        gLog.tree = tree->tree();
        tree->install(asInfo.get());
    }

    std::unique_ptr<AsInfo> asInfo = std::make_unique<AsInfo>();
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
};

TEST_F(TreeChangesTest, EachMarkedChangeCallsTheCallbackOnceOnAFrameworkTask) {
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), recordChange), 0);
    tree->changeDouble("D", 1.0);
    tree->changeUnsigned("U", 2);
    tree->markChanged();
    EXPECT_EQ(tree->pendingChanges(), 3u);
    EXPECT_EQ(gLog.calls, 0);  // nothing runs before the host delivers
    EXPECT_EQ(tree->deliverChanges(), 3u);
    EXPECT_EQ(gLog.calls, 3);
    EXPECT_EQ(gLog.argument, asInfo.get());
    // The framework task holds the tree access while it calls: no overlap with a cycle.
    EXPECT_EQ(gLog.accessWhileCalled, AlreadyOwned);
    EXPECT_EQ(tree->pendingChanges(), 0u);
    EXPECT_EQ(tree->deliverChanges(), 0u);
    EXPECT_EQ(tree->doubleValue("D"), 1.0);
    EXPECT_EQ(FbDo_BeginTreeAccess(tree->tree()), 0);  // released again
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), 0);
}

TEST_F(TreeChangesTest, PlainSettersMarkNoChange) {
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), recordChange), 0);
    tree->setDouble("D", 3.0);
    tree->setBool("General.TrigAvg_Hour", true);
    EXPECT_EQ(tree->deliverChanges(), 0u);
    EXPECT_EQ(gLog.calls, 0);
}

TEST_F(TreeChangesTest, WithoutCallbackChangesAreDropped) {
    tree->markChanged();
    EXPECT_EQ(tree->deliverChanges(), 0u);
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), recordChange), 0);
    EXPECT_EQ(tree->deliverChanges(), 0u);
    EXPECT_EQ(gLog.calls, 0);
}

TEST_F(TreeChangesTest, RegisteringAgainReplacesTheCallback) {
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), recordChange), 0);
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), otherCallback), 0);
    tree->markChanged();
    EXPECT_EQ(tree->deliverChanges(), 1u);
    EXPECT_EQ(gLog.calls, 100);
}

TEST_F(TreeChangesTest, CallbackRegisteredBeforeTheTreeIsBoundWhenTheTreeIsInstalled) {
    auto early = std::make_unique<AsInfo>();
    ASSERT_EQ(FbDo_RegisterChangeCallback(early.get(), recordChange), 0);
    tree->install(early.get());
    tree->markChanged();
    EXPECT_EQ(tree->deliverChanges(), 1u);
    EXPECT_EQ(gLog.argument, early.get());
}

TEST_F(TreeChangesTest, RefusesNullArgumentsAndDeliveryUnderOwnAccess) {
    EXPECT_NE(FbDo_RegisterChangeCallback(nullptr, recordChange), 0);
    EXPECT_NE(FbDo_RegisterChangeCallback(asInfo.get(), nullptr), 0);
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), 0);
    tree->markChanged();
    EXPECT_THROW(tree->deliverChanges(), std::logic_error);
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), 0);
}

TEST_F(TreeChangesTest, DestroyedTreeTakesItsCallbacksAlong) {
    ASSERT_EQ(FbDo_RegisterChangeCallback(asInfo.get(), recordChange), 0);
    tree.reset();
    auto next = treetest::makeTree();
    next->markChanged();
    EXPECT_EQ(next->deliverChanges(), 0u);
    EXPECT_EQ(gLog.calls, 0);
}

}  // namespace
