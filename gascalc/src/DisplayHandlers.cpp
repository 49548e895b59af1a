#include "DisplayHandlers.h"

#include "CalcBlock.h"
#include "CalorantDisplayPort.h"
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

uint32_t readWord(const void* record, uint32_t offset) {
    const auto* bytes = static_cast<const uint8_t*>(record) + offset;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t itemId(const void* record) {
    return readWord(record, 0);
}

uint32_t commandCode(const void* record) {
    return readWord(record, 4);
}

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

void showGroups(void* serviceObject, uint32_t constant, uint32_t sgerg, uint32_t aga8) {
    CalorantSetHidden(serviceObject, kItemConstant, constant);
    CalorantSetHidden(serviceObject, kItemSgerg, sgerg);
    CalorantSetHidden(serviceObject, kItemAga8, aga8);
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
    FbDoTree* tree = ProgramContext::tree;
    if (pCommand == nullptr || !pCommand->complete() ||
        (tree != nullptr && HandlePreprocessingDisplayEvent(tree, pCommand) != 0)) {
        return 0;
    }
    void* serviceObject = pService;
    const void* record = pCommand->bytes();
    switch (itemId(record) / kItemGroupSize) {
        case kPreprocessingEntryGroup:
            ShowPreprocessingEntry(serviceObject, record);
            break;
        case kCalcMethodGroup:
            ShowCalcMethod(serviceObject, record);
            break;
        default:
            break;
    }
    return 0;
}

int ShowPreprocessingEntry(void* serviceObject, const void* record) {
    if (commandCode(record) == kCommandOpen) {
        FbDoTree* tree = ProgramContext::tree;
        const uint32_t groups = tree != nullptr ? GetNumberOfPPGroups(tree) : 0;
        CalorantSetHidden(serviceObject, kItemPreprocessingEntry, groups == 0 ? kHidden : kShown);
    }
    return 0;
}

int ShowCalcMethod(void* serviceObject, const void* record) {
    const uint32_t code = commandCode(record);
    if (code != kCommandOpen && code != kCommandOpenAgain && code != kCommandRefresh) {
        return 0;
    }
    const int32_t method = calcBlock.methodParameters.calcMethod.Load();
    if (method == 2 || method == 3) {
        showGroups(serviceObject, kHidden, kHidden, kShown);
        CalorantSetLanguageTextKey(serviceObject, kItemLabel, "AGA8_DC92_LR");
    } else if (isSgergMethod(method)) {
        showGroups(serviceObject, kHidden, kShown, kHidden);
        ShowSgergInputs(serviceObject, method);
        CalorantSetLanguageTextKey(serviceObject, kItemLabel, "SGERG_LR");
    } else if (method == kCalcMethodConstant) {
        showGroups(serviceObject, kShown, kHidden, kHidden);
        CalorantSetLanguageTextKey(serviceObject, kItemLabel, "C_CONST_LR");
    } else if (method <= kCalcMethodFirst || method > kCalcMethodLast) {
        CALORANT_TRACE(kTraceMethodNotShown, TraceFormat(kTraceArgInt), method);
    }
    return 0;
}

void ShowSgergInputs(void* serviceObject, int32_t method) {
    const Taste* taste = ProgramContext::myTaste;
    if (taste != nullptr && taste->kind() == kTasteZM1) {
        const FbDoNode rhob = taste->getRhobZM1();
        for (uint32_t child = 0; child < 2; ++child) {
            CalorantSetHidden(serviceObject, kItemDensityInputs[child],
                              densityInputVisibility(rhob, child));
        }
    }
    CalorantSetHidden(serviceObject, kItemCO2Input,
                      isOneOf(method, kCO2InputMethods) ? kShown : kHidden);
    CalorantSetHidden(serviceObject, kItemH2Input,
                      isOneOf(method, kH2InputMethods) ? kShown : kHidden);
    CalorantSetHidden(serviceObject, kItemN2Input,
                      isOneOf(method, kN2InputMethods) ? kShown : kHidden);
}
