#include "MethodParameters.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ProgramContext.h"
#include "Taste.h"

namespace {

constexpr double kDefaultRatio = 1.0;
constexpr uint32_t kConstantK2Child = 2;

int32_t readInteger(FbDoNode node) {
    return FbDo_ReadInteger(node, 0, FbDo_FindLeaf(node, kFbDoLeafValue),
                            FbDo_FindLeaf(node, kFbDoLeafStatus), nullptr, 0);
}

uint32_t readUnsigned(FbDoNode node) {
    return FbDo_ReadUnsigned(node, 0, FbDo_FindLeaf(node, kFbDoLeafValue),
                             FbDo_FindLeaf(node, kFbDoLeafStatus), nullptr, 0);
}

}  // namespace

void ReadMethodParameters() {
    const Taste* taste = ProgramContext::myTaste;
    if (taste == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoTaste, TraceFormat());
        return;
    }
    MethodParameters& parameters = calcBlock.methodParameters;
    parameters.calcMethod.Store(readInteger(taste->getCalcMethod()));
    parameters.measCalcMethod = readInteger(taste->getMeasCalcMethod());
    parameters.option = readUnsigned(taste->getCalcMethodOption());
    parameters.constantK1 = FbDo_ReadDouble(taste->getBase1Const(), kDefaultRatio, nullptr, 0);
    const FbDoNode optionalBase = calcBlock.optionalOutputs.optionalBaseOutput;
    if (optionalBase != nullptr) {
        parameters.constantK2 = FbDo_ReadDouble(FbDo_GetChild(optionalBase, kConstantK2Child),
                                                kDefaultRatio, nullptr, 0);
    }
}
