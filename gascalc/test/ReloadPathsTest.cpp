// The paths around the parameter reload that need a fault or a change at a fixed point: a tree
// change delivered while the reload runs, a change callback the framework refuses, and an
// import without its data-reference leaf at the layout binding.
#include <string>

#include "CalcBlock.h"
#include "CalorantFixture.h"
#include "CalorantTrace.h"
#include "HostKernel.h"
#include "HostTree.h"
#include "MethodParameters.h"

namespace {

using calorant_test::CalorantFixture;
using namespace calorant;

class ReloadPathsTest : public CalorantFixture {
  protected:
    void TearDown() override {
        host::resetKernel();  // drops an injected failure or action a test left unused
        CalorantFixture::TearDown();
    }

    int cycle() { return OnProcess(asInfo.get()); }
    size_t reloads() const { return traces.withId(kTraceReload).size(); }
};

TEST_F(ReloadPathsTest, AChangeDeliveredWhileTheReloadRunsMakesTheNextCycleReloadAgain) {
    ASSERT_EQ(bindLayout("Default"), 0);
    ASSERT_EQ(cycle(), 0);
    ASSERT_EQ(reloads(), 1u);
    tree().changeDouble("Base1.ZmZb_on_error", 0.91);
    ASSERT_EQ(tree().deliverChanges(), 1u);
    // The framework's task reports the next change while the reload binds the optional outputs
    // (the cycle holds the tree access meanwhile).
    uint32_t delivered = 0;
    host::runAtNextCall("FbDo_GetChoice", [this, &delivered] {
        tree().changeDouble("Base1.ZmZb_on_error", 0.93);
        delivered = host::deliverChangesDuringAccess(tree());
    });
    ASSERT_EQ(cycle(), 0);
    ASSERT_EQ(delivered, 1u) << "the change arrived during the reload";
    EXPECT_EQ(reloads(), 2u);
    EXPECT_EQ(calcBlock.parameterChanges.Load(), 3u);
    EXPECT_EQ(calcBlock.parameterChangesHandled.Load(), 2u) << "the count read before the reload";

    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 3u) << "the change counted during the reload is reloaded";
    EXPECT_EQ(calcBlock.parameterChangesHandled.Load(), 3u);
    EXPECT_NEAR(calcBlock.methodParameters.constantK1, 0.93, 1e-12);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 3u) << "and then no more";
}

TEST_F(ReloadPathsTest, ARefusedChangeCallbackEndsTheFbDoHookWithoutTasteOrFirstReload) {
    host::failNextCall("FbDo_RegisterChangeCallback", ResourceNotAvailable);
    EXPECT_EQ(startLayout("Default"), 1);
    EXPECT_TRUE(ProgramContext::preprocessingReady) << "set up before the registration";
    EXPECT_EQ(ProgramContext::myTaste.Load(), nullptr);
    EXPECT_EQ(calcBlock.parameterChanges.Load(), 0u);
    EXPECT_EQ(ProgramContext::treeChanges.Load(), 0u);
    EXPECT_EQ(host::currentPhase(), "Calorant FbDO-Pre end");
    EXPECT_TRUE(host::reports().empty()) << "the hook's result is the only report";

    // No callback is registered: a later change reaches no program.
    tree().changeDouble("Base1.ZmZb_on_error", 0.91);
    EXPECT_EQ(tree().deliverChanges(), 0u);
    EXPECT_FALSE(traces.contains(kTraceTreeChanged));
    EXPECT_EQ(calcBlock.parameterChanges.Load(), 0u);
}

TEST_F(ReloadPathsTest, AnImportWithoutDataReferenceLeafFailsTheLayoutBinding) {
    const struct {
        const char* taste;
        uint32_t failedTrace;
    } cases[] = {{"Default", kTraceDefaultFailed}, {"BM1", kTraceBm1Failed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        traces.clear();
        ASSERT_EQ(startLayout(c.taste), 0);
        // The first aliased import, the higher heating value's, has no data-reference leaf.
        host::failNextCall("FbDo_FindLeaf", IllegalParameter);
        EXPECT_EQ(OnTasteSetup(asInfo.get()), 1);
        ASSERT_EQ(traces.withId(c.failedTrace).size(), 1u);
        EXPECT_EQ(traces.withId(c.failedTrace)[0].textArg(0),
                  "src/Calorant:399 import node has no Dr Leaf for aliasCL_LOP");
        EXPECT_TRUE(committed().empty()) << "no name of the layout is published";

        // With the leaf the same set-up binds the layout.
        EXPECT_EQ(OnTasteSetup(asInfo.get()), 0);
        EXPECT_FALSE(committed().empty());
    }
}

}  // namespace
