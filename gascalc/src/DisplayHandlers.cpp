#include "DisplayHandlers.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ProgramContext.h"
#include "Taste.h"
#include "ZUB_Preprocessing.h"

using namespace calorant;

namespace {

constexpr uint32_t kCommandOpen = 2;
constexpr uint32_t kCommandOpenAgain = 3;
constexpr uint32_t kCommandRefresh = 7;
constexpr uint32_t kItemGroupSize = 1000;
constexpr uint32_t kPreprocessingEntryGroup = 1;
constexpr uint32_t kCalcMethodGroup = 2;

constexpr uint32_t kItemPreprocessingEntry = 1701;
constexpr uint32_t kItemLabel = 2000;
constexpr uint32_t kItemConstant = 2100;
constexpr uint32_t kItemSgerg = 2200;
constexpr uint32_t kItemAga8 = 2300;
constexpr uint32_t kItemDensityInputs[] = {2220, 2230};
constexpr uint32_t kItemCO2Input = 2240;
constexpr uint32_t kItemH2Input = 2250;
constexpr uint32_t kItemN2Input = 2260;

constexpr uint32_t kShown = 0;
constexpr uint32_t kHidden = 1;

// Methods that take carbon dioxide, hydrogen and nitrogen as a separate input.
constexpr int32_t kCO2InputMethods[] = {4, 6, 8, 9, 11, 13, 20, 22};
constexpr int32_t kH2InputMethods[] = {6, 7, 11, 12, 20, 21, 22, 23};
constexpr int32_t kN2InputMethods[] = {5, 7, 8, 10, 12, 13, 21, 23};

template <size_t N>
bool isOneOf(int32_t method, const int32_t (&methods)[N]) {
    for (int32_t listed : methods) {
        if (listed == method) {
            return true;
        }
    }
    return false;
}

bool isSgergMethod(int32_t method) {
    return (method >= 4 && method <= 13) || (method >= 20 && method <= 23);
}

void showGroups(ServiceObject* pService, uint32_t constant, uint32_t sgerg, uint32_t aga8) {
    PEG_setHidden(pService, kItemConstant, constant);
    PEG_setHidden(pService, kItemSgerg, sgerg);
    PEG_setHidden(pService, kItemAga8, aga8);
}

// A ZM1 density input line is shown when its input is in use and its state is good.
uint32_t densityInputVisibility(FbDoNode rhob, uint32_t child) {
    FbDoNode input = FbDo_GetChild(rhob, child);
    const bool shown =
        rhob != nullptr && FbDo_QueryNodeState(input) == 0 && FbDo_IsActive(input) != 0;
    return shown ? kShown : kHidden;
}

}  // namespace

int OnPegEvent(ServiceObject* pService, const PEGCommand* pCommand) {
    // Without a tree (a failed FbDO hook) there is no preprocessing page, whose entry points
    // would stop the address space on the missing tree.
    FbDoTree* tree = ProgramContext::tree.Load();
    if (pCommand == nullptr || !pCommand->complete() ||
        (tree != nullptr && HandlePreprocessingDisplayEvent(tree, pCommand) != 0)) {
        return 0;
    }
    switch (pCommand->itemId() / kItemGroupSize) {
        case kPreprocessingEntryGroup:
            ShowPreprocessingEntry(pService, pCommand);
            break;
        case kCalcMethodGroup:
            ShowCalcMethod(pService, pCommand);
            break;
        default:
            break;
    }
    return 0;
}

int ShowPreprocessingEntry(ServiceObject* pService, const PEGCommand* pCommand) {
    if (pCommand != nullptr && pCommand->commandCode() == kCommandOpen) {
        FbDoTree* tree = ProgramContext::tree.Load();
        const uint32_t groups = tree != nullptr ? GetNumberOfPPGroups(tree) : 0;
        PEG_setHidden(pService, kItemPreprocessingEntry, groups == 0 ? kHidden : kShown);
    }
    return 0;
}

int ShowCalcMethod(ServiceObject* pService, const PEGCommand* pCommand) {
    const uint32_t code = pCommand != nullptr ? pCommand->commandCode() : 0;
    if (code != kCommandOpen && code != kCommandOpenAgain && code != kCommandRefresh) {
        return 0;
    }
    const int32_t method = calcBlock.methodParameters.calcMethod.Load();
    if (method == 2 || method == 3) {
        showGroups(pService, kHidden, kHidden, kShown);
        PEG_setLanguageTextKey(pService, kItemLabel, "AGA8_DC92_LR");
    } else if (isSgergMethod(method)) {
        showGroups(pService, kHidden, kShown, kHidden);
        ShowSgergInputs(pService, method);
        PEG_setLanguageTextKey(pService, kItemLabel, "SGERG_LR");
    } else if (method == kCalcMethodConstant) {
        showGroups(pService, kShown, kHidden, kHidden);
        PEG_setLanguageTextKey(pService, kItemLabel, "C_CONST_LR");
    } else if (method <= kCalcMethodFirst || method > kCalcMethodLast) {
        CALORANT_TRACE(kTraceMethodNotShown, TraceFormat(kTraceArgInt), method);
    }
    return 0;
}

void ShowSgergInputs(ServiceObject* pService, int32_t method) {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste != nullptr && taste->kind() == kTasteZM1) {
        const FbDoNode rhob = taste->getRhobZM1();
        for (uint32_t child = 0; child < 2; ++child) {
            PEG_setHidden(pService, kItemDensityInputs[child], densityInputVisibility(rhob, child));
        }
    }
    PEG_setHidden(pService, kItemCO2Input, isOneOf(method, kCO2InputMethods) ? kShown : kHidden);
    PEG_setHidden(pService, kItemH2Input, isOneOf(method, kH2InputMethods) ? kShown : kHidden);
    PEG_setHidden(pService, kItemN2Input, isOneOf(method, kN2InputMethods) ? kShown : kHidden);
}
