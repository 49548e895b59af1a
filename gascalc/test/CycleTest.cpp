// The hooks driven directly: FbDO set-up, the cycle's preprocessing restart and parameter
// reload after tree changes, the commits per cycle, the method parameters, and the failure
// paths the program guards.
#include <stdexcept>

#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantFixture.h"
#include "CalorantTrace.h"
#include "HostKernel.h"
#include "MethodParameters.h"
#include "ZUB_Preprocessing.h"

namespace {

using calorant_test::CalorantFixture;
using calorant_test::modelNode;
using calorant_test::removeModelNode;
using namespace calorant;

class CycleTest : public CalorantFixture {
  protected:
    int cycle() { return OnProcess(asInfo.get()); }
    size_t reloads() const { return traces.withId(kTraceReload).size(); }
    // Delivers `count` tree changes between cycles through the registered callback.
    void changeTree(int count) {
        for (int i = 0; i < count; ++i) {
            tree().changeDouble("Base1.ZmZb_on_error", 0.9 + 0.01 * i);
        }
        EXPECT_EQ(tree().deliverChanges(), static_cast<uint32_t>(count));
    }
};

TEST_F(CycleTest, FbDoSetsUpTreeTastePreprocessingAndTheFirstChange) {
    const struct {
        const char* taste;
        TasteKind kind;
        uint32_t groups;
    } cases[] = {{"Default", kTasteDefault, 18}, {"ZM1", kTasteZM1, 18}, {"BM1", kTasteBM1, 18}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        ASSERT_EQ(startLayout(c.taste), 0);
        EXPECT_EQ(ProgramContext::tree.Load(), asInfo->pTheTree);
        EXPECT_EQ(ProgramContext::pAsInfo, asInfo.get());
        ASSERT_NE(ProgramContext::myTaste.Load(), nullptr);
        EXPECT_EQ(ProgramContext::myTaste.Load()->kind(), c.kind);
        EXPECT_TRUE(ProgramContext::preprocessingReady);
        EXPECT_EQ(GetNumberOfPPGroups(ProgramContext::tree.Load()), c.groups);
        EXPECT_EQ(calcBlock.parameterChanges.Load(), 1u);
        EXPECT_EQ(ProgramContext::treeChanges.Load(), 1u);
    }
    const std::vector<std::string> phases = host::phases();
    const std::vector<std::string> expected = {"Calorant FbDO start", "Calorant FbDO-Pre start",
                                               "Calorant FbDO-Pre end", "Calorant FbDO end"};
    ASSERT_GE(phases.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(phases.end() - 4, phases.end()), expected);
}

TEST_F(CycleTest, FbDoWithoutTreeFailsWithoutCallbackOrTaste) {
    // No model: the tree start fails, is traced and reported, and no tree exists.
    host::setTasteName("BM1");
    EXPECT_EQ(OnFbDO(asInfo.get()), 1);
    EXPECT_EQ(ProgramContext::myTaste.Load(), nullptr);
    EXPECT_EQ(calcBlock.parameterChanges.Load(), 0u);
    EXPECT_TRUE(traces.contains(kTraceTreeStartFailed));
    ASSERT_TRUE(traces.contains(kTraceNoTree));
    ASSERT_FALSE(host::reports().empty());
    EXPECT_EQ(host::reports().back().code, TarvoFileNotReadable);
    // The set-up and a cycle go on without a taste: traced, no crash.
    traces.clear();
    EXPECT_EQ(OnTasteSetup(asInfo.get()), 1);
    EXPECT_EQ(OnProcess(asInfo.get()), 0);
    EXPECT_TRUE(traces.contains(kTraceNoTaste));
    EXPECT_TRUE(traces.contains(kTracePreprocessingSkipped));
}

TEST_F(CycleTest, FailedPreprocessingSetUpIsRememberedAndSkippedEachCycle) {
    // No lock for the preprocessing object: the set-up fails and stores no object.
    host::failNextCall("CreateLocalMutex", ResourceNotAvailable);
    ASSERT_EQ(startLayout("Default"), 0);
    ASSERT_FALSE(ProgramContext::preprocessingReady);
    EXPECT_EQ(GetNumberOfPPGroups(ProgramContext::tree.Load()), 0u);
    EXPECT_TRUE(traces.contains(kTracePreprocessingFailed));
    EXPECT_NE(ProgramContext::myTaste.Load(), nullptr);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(traces.withId(kTracePreprocessingSkipped).size(), 2u);
    EXPECT_EQ(reloads(), 1u);
}

TEST_F(CycleTest, FirstCycleReloadsAndLaterOnesOnlyAfterAChange) {
    ASSERT_EQ(bindLayout("Default"), 0);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 1u);
    EXPECT_EQ(ProgramContext::treeChangesHandled.Load(), 1u);
    EXPECT_EQ(calcBlock.parameterChangesHandled.Load(), 1u);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 1u);
    // Three changes between two cycles: one restart and one reload.
    changeTree(3);
    EXPECT_EQ(traces.withId(kTraceTreeChanged).size(), 3u);
    EXPECT_EQ(calcBlock.parameterChanges.Load(), 4u);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 2u);
    EXPECT_EQ(ProgramContext::treeChangesHandled.Load(), 4u);
    EXPECT_EQ(calcBlock.methodParameters.constantK1, 0.92);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 2u);
}

TEST_F(CycleTest, AChangeCountedDuringTheReloadReloadsAgainNextCycle) {
    ASSERT_EQ(bindLayout("ZM1"), 0);
    ASSERT_EQ(cycle(), 0);
    ASSERT_EQ(reloads(), 1u);
    // The reload takes the count it read first; one counted later stays pending.
    const uint32_t read = calcBlock.parameterChanges.Load();
    calcBlock.parameterChanges.Increment();
    calcBlock.parameterChangesHandled.Store(read);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 2u);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(reloads(), 2u);
}

TEST_F(CycleTest, EachCycleCommitsThePreprocessingAndEachFinishedGroup) {
    ASSERT_EQ(bindLayout("BM1"), 0);
    const uint32_t before = tree().commitCount();
    ASSERT_EQ(cycle(), 0);
    // The preprocessing pass, the composition, the ISO 6976 and the AGA8 results, both passes of
    // the density conversion, the heating values and the conversion results.
    EXPECT_EQ(tree().commitCount(), before + 8);
    FinishTreeCycle();
    FinishTreeCycle();
    EXPECT_EQ(tree().commitCount(), before + 10);
    // The tree access is free again after the cycle.
    EXPECT_EQ(FbDo_BeginTreeAccess(ProgramContext::tree.Load()), 0);
    EXPECT_EQ(FbDo_EndTreeAccess(ProgramContext::tree.Load()), 0);
}

TEST_F(CycleTest, TreeAccessIsClosedWhenAnExceptionLeavesTheCycle) {
    ASSERT_EQ(bindLayout("Default"), 0);
    // A taste without a selected kind makes the reload's accessors throw.
    class Unselected : public Taste {};
    Taste* selected = ProgramContext::myTaste.Load();
    Unselected unselected;
    ProgramContext::myTaste.Store(&unselected);
    EXPECT_THROW(cycle(), std::runtime_error);
    ProgramContext::myTaste.Store(selected);
    EXPECT_EQ(FbDo_BeginTreeAccess(ProgramContext::tree.Load()), 0);
    EXPECT_EQ(FbDo_EndTreeAccess(ProgramContext::tree.Load()), 0);
}

TEST_F(CycleTest, MethodParametersAreReadAtTheReloadPerLayout) {
    const struct {
        const char* taste;
        const char* method;
        bool optionalBase;
    } cases[] = {{"Default", "8", true}, {"ZM1", "7", false}, {"BM1", "8", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        ASSERT_EQ(bindLayout(c.taste), 0);
        const std::string method = c.method;
        tree().setInteger(method + ".CalcMethod", 9);
        tree().setInteger(method + ".MeasCalcMethod", 8);
        tree().setUnsigned(method + ".CalcMethodOption", 3);
        tree().setDouble("Base1.ZmZb_on_error", 0.97);
        if (c.optionalBase) {
            tree().setSelectedChoice("OptionalBaseOutput", 1);
            tree().setDouble("OptionalBaseOutput.On.ZmZb_on_error", 0.95);
        }
        // Before the first reload every code is 0.
        EXPECT_EQ(calcBlock.methodParameters.calcMethod.Load(), 0);
        ASSERT_EQ(cycle(), 0);
        const MethodParameters& parameters = calcBlock.methodParameters;
        EXPECT_EQ(parameters.calcMethod.Load(), 9);
        EXPECT_EQ(parameters.measCalcMethod, 8);
        EXPECT_EQ(parameters.option, 3u);
        EXPECT_EQ(parameters.constantK1, 0.97);
        // Without a bound OptionalBaseOutput the second constant keeps its value.
        EXPECT_EQ(parameters.constantK2, c.optionalBase ? 0.95 : 0.0);
        EXPECT_EQ(calcBlock.optionalOutputs.optionalBaseOutput,
                  c.optionalBase ? node("OptionalBaseOutput.On") : nullptr);
    }
}

TEST_F(CycleTest, OptionalOutputsBindOnlyTheirSecondAlternative) {
    ASSERT_EQ(bindLayout("Default"), 0);
    tree().setSelectedChoice("ExtendedOutput", 1);
    tree().setSelectedChoice("OptionalBaseOutput", 2);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(calcBlock.optionalOutputs.extendedOutput, node("ExtendedOutput.On"));
    EXPECT_EQ(calcBlock.optionalOutputs.optionalBaseOutput, nullptr);
    ASSERT_EQ(traces.withId(0x70023).size(), 1u);
    EXPECT_EQ(traces.withId(0x70023)[0].intArg(0), 2);
    EXPECT_TRUE(traces.contains(0x70047));
    // Codes as read, out of range included: they are rejected where they are used.
    tree().setInteger("8.CalcMethod", 99);
    tree().setSelectedChoice("ExtendedOutput", 0);
    changeTree(1);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(calcBlock.methodParameters.calcMethod.Load(), 99);
    EXPECT_EQ(calcBlock.optionalOutputs.extendedOutput, nullptr);
    EXPECT_TRUE(traces.contains(0x70037));
}

TEST_F(CycleTest, RunMakesTheCalculatorAndTheOtherHooksAnswerZero) {
    ASSERT_EQ(OnInitialize(asInfo.get()), 0);
    ASSERT_EQ(OnRun(asInfo.get()), 0);
    EXPECT_NE(calcBlock.aga8Calculator12, nullptr);
    EXPECT_EQ(OnTaskSetup(asInfo.get()), 0);
    EXPECT_EQ(OnShutdown(asInfo.get()), 0);
    EXPECT_EQ(OnTimer(asInfo.get(), 2001, 0), 0);
    const std::vector<std::string> phases = host::phases();
    for (const char* phase : {"Calorant Initialize", "Calorant Run", "Calorant TaskSetup"}) {
        EXPECT_NE(std::find(phases.begin(), phases.end(), phase), phases.end()) << phase;
    }
}

TEST_F(CycleTest, LoadParametersReportsTheParameterServiceResult) {
    // Without a model the parameter service fails: traced with its text, reported, result 0.
    EXPECT_EQ(OnLoadParameters(asInfo.get()), 0);
    EXPECT_TRUE(traces.contains(kTraceLoadParameters));
    const auto failures = traces.withId(kTraceParameterService);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].intArg(0), TarvoFileNotReadable);
    EXPECT_EQ(failures[0].textArg(1), Tarvo_ErrorText(TarvoFileNotReadable));
    ASSERT_FALSE(host::reports().empty());
    EXPECT_EQ(host::reports().back().code, TarvoFileNotReadable);
}

}  // namespace
