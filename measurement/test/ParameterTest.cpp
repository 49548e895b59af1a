#include <gtest/gtest.h>

#include <memory>

#include "HostTrace.h"
#include "Parameter.h"
#include "TreeFixture.h"
#include "UpdatableRegistry.h"

namespace {

class ParameterTest : public TreeFixture {
  protected:
    ParameterTest() {
        // Drop a change a previous test may have left marked.
        UpdatableRegistry::instance().updateAllIfChanged();
    }
    UpdatableRegistry& registry = UpdatableRegistry::instance();
};

TEST_F(ParameterTest, StartsWithTheNodeValueOrTheDefault) {
    tree->setDouble("Oxygen.SNo1.UAL_O2", 2.5);
    tree->setUnsigned("General.PowerOn_Delay", 7);
    tree->setInUse("Oxygen.SNo1.UWL_O2", false);
    DoubleParameter limit(node("Oxygen.SNo1.UAL_O2"), 9.0);
    UnsignedParameter delay(node("General.PowerOn_Delay"), 3);
    DoubleParameter unused(node("Oxygen.SNo1.UWL_O2"), 9.0);
    EXPECT_EQ(limit.value, 2.5);
    EXPECT_TRUE(limit.valid);
    EXPECT_EQ(delay.value, 7u);
    EXPECT_TRUE(delay.valid);
    EXPECT_EQ(unused.value, 9.0);
    EXPECT_FALSE(unused.valid);
}

TEST_F(ParameterTest, CopiesRegisterAndCarryTheCachedValue) {
    host::setTraceLevel(7);
    host::TraceCapture traces;
    const std::size_t before = registry.memberCount();
    auto source = std::make_unique<DoubleParameter>(node("Oxygen.SNo1.UAL_O2"), 1.0);
    tree->setDouble("Oxygen.SNo1.UAL_O2", 8.0);  // not read by the copy
    DoubleParameter copy(*source);
    EXPECT_EQ(copy.value, 0.0);
    EXPECT_TRUE(copy.valid);
    EXPECT_EQ(registry.memberCount(), before + 2);
    source.reset();
    EXPECT_EQ(registry.memberCount(), before + 1);
    auto added = traces.withId(0x7);
    auto removed = traces.withId(0x17);
    ASSERT_EQ(added.size(), 2u);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(added[1].intArg(0), static_cast<int32_t>(before + 2));
    EXPECT_EQ(removed[0].intArg(0), static_cast<int32_t>(before + 1));

    registry.markChanged();
    EXPECT_TRUE(registry.updateAllIfChanged());
    EXPECT_EQ(copy.value, 8.0);  // the copy is still a member
    host::resetTraceSettings();
}

TEST_F(ParameterTest, UpdatesOnlyAfterAMarkedChangeAndOnce) {
    host::setTraceLevel(7);
    DoubleParameter limit(node("Oxygen.SNo1.UAL_O2"), 1.0);
    tree->setDouble("Oxygen.SNo1.UAL_O2", 4.0);
    host::TraceCapture traces;
    EXPECT_FALSE(registry.updateAllIfChanged());
    EXPECT_EQ(limit.value, 0.0);
    registry.markChanged();
    registry.markChanged();
    EXPECT_TRUE(registry.updateAllIfChanged());
    EXPECT_EQ(limit.value, 4.0);
    EXPECT_FALSE(registry.updateAllIfChanged());
    EXPECT_EQ(traces.withId(0x27).size(), 1u);
    EXPECT_EQ(traces.withId(0x37).size(), 1u);

    tree->setInUse("Oxygen.SNo1.UAL_O2", false);  // out of use after a change: the default
    registry.markChanged();
    registry.updateAllIfChanged();
    EXPECT_EQ(limit.value, 1.0);
    EXPECT_FALSE(limit.valid);
    host::resetTraceSettings();
}

// The change callback of the program: marks the registry on the framework's task.
int onTreeChanged(void*) {
    UpdatableRegistry::instance().markChanged();
    return 0;
}

TEST_F(ParameterTest, ReReadsAfterTheChangeCallback) {
    AsInfo* block = addressSpace();
    tree->install(block);
    ASSERT_EQ(FbDo_RegisterChangeCallback(block, &onTreeChanged), 0);
    UnsignedParameter delay(node("General.StartUp_Delay"), 0);
    for (uint32_t value : {5u, 9u}) {
        tree->changeUnsigned("General.StartUp_Delay", value);
        EXPECT_EQ(delay.value, value == 5u ? 0u : 5u);  // nothing read before the next cycle
        ASSERT_GE(tree->deliverChanges(), 1u);
        EXPECT_TRUE(registry.updateAllIfChanged());
        EXPECT_EQ(delay.value, value);
        EXPECT_TRUE(delay.valid);
    }
}

}  // namespace
