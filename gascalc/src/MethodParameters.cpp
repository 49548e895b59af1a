#include "MethodParameters.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "NodeReads.h"
#include "ProgramContext.h"
#include "Taste.h"

namespace {

constexpr double kDefaultRatio = 1.0;
constexpr uint32_t kConstantK2Child = 2;

}  // namespace

void ReadMethodParameters() {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoTaste, TraceFormat());
        return;
    }
    MethodParameters& parameters = calcBlock.methodParameters;
    parameters.calcMethod.Store(ReadIntegerParameter(taste->getCalcMethod()));
    parameters.measCalcMethod = ReadIntegerParameter(taste->getMeasCalcMethod());
    parameters.option = ReadUnsignedParameter(taste->getCalcMethodOption());
    parameters.constantK1 = FbDo_ReadDouble(taste->getBase1Const(), kDefaultRatio, nullptr, 0);
    const FbDoNode optionalBase = calcBlock.optionalOutputs.optionalBaseOutput;
    if (optionalBase != nullptr) {
        parameters.constantK2 = FbDo_ReadDouble(FbDo_GetChild(optionalBase, kConstantK2Child),
                                                kDefaultRatio, nullptr, 0);
    }
}
