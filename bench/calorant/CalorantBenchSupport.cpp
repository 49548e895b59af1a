#include "CalorantBenchSupport.h"

#include <benchmark/benchmark.h>

#include "CalcBlock.h"
#include "CalorantProgram.h"
#include "HostFramework.h"
#include "HostTree.h"
#include "Iso6976.h"
#include "MethodSelection.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"
#include "Tarvo.h"
#include "Taste.h"

namespace calorant_bench {

CalorantSetUp::CalorantSetUp(const std::string& taste) {
    host::resetFramework();
    ClearCalcBlock();
    ProgramContext::Clear();
    Sysmanlib_AsInfo_Register(myAsInfo.get());
    host::setTreeModelFile(std::string(CALORANT_MODEL_DIR) + "/Calorant" + taste + ".json");
    host::setTasteName(taste);
    ok = OnInitialize(myAsInfo.get()) == 0 && OnFbDO(myAsInfo.get()) == 0 &&
         OnTasteSetup(myAsInfo.get()) == 0 && OnRun(myAsInfo.get()) == 0 &&
         OnProcess(myAsInfo.get()) == 0;  // the first cycle reloads
}

CalorantSetUp::~CalorantSetUp() {
    ForgetCalorantRun();
    host::dropAddressSpaceTree();
    host::setTreeModelJson("");
    host::resetFramework();
}

void runCycleNumerics(const Taste& taste, double p) {
    const double* composition = calcBlock.composition.normalised.value;
    const BaseConditionRecord& source = calcBlock.baseConditions.source;
    BaseConditionRecord& result = calcBlock.baseConditions.result;
    BaseConditionRecord& optional = calcBlock.baseConditions.optionalBase;
    Aga8ResultRecords& aga8 = calcBlock.aga8Results;
    StateConversionRecords& conversion = calcBlock.conversion;
    if (taste.getSourceIso6976() != nullptr) {
        Iso6976Properties(calcBlock.iso6976.result, composition, source.basePressure,
                          source.baseTemperature, source.airDensity, source.airZ,
                          static_cast<RefConditionSet>(source.set));
    }
    for (int mode = 0; mode < 2; ++mode) {
        benchmark::DoNotOptimize(
            Aga8ZDensity(aga8.state[mode], source.basePressure, source.baseTemperature,
                         aga8.composition, &aga8.mode[mode].z, calcBlock.aga8RangeFlags,
                         aga8.rangeCheck != 0 ? 1 : 0, static_cast<uint8_t>(mode), nullptr));
    }
    Aga8Calculator12& calculator = *calcBlock.aga8Calculator12;
    calculator.setComposition(composition);
    if (taste.getSourceAga8Calc12() != nullptr) {
        double Z = 1.0;
        benchmark::DoNotOptimize(
            calculator.solveDensity(source.basePressure, source.baseTemperature, Z));
    }
    benchmark::DoNotOptimize(
        CalcZmByMeasMethod(p, conversion.input.TWork, conversion.meas.zResult));
    benchmark::DoNotOptimize(CalcZByCalcMethod(result.basePressure, result.baseTemperature,
                                               conversion.state[0].zResult, &result));
    benchmark::DoNotOptimize(CalcZByCalcMethod(optional.basePressure, optional.baseTemperature,
                                               conversion.state[1].zResult, &optional));
}

}  // namespace calorant_bench
