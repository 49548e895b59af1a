// Choice and run of the compressibility method: "CalcMethod" (base states) and MeasCalcMethod
// (measuring state) translated into one of 22 method indices, one dispatcher that runs the
// method of an index with the inputs it needs, tests exactly those inputs and records their use.
#pragma once

#include <cstdint>

#include "Aga8Detail.h"
#include "BaseConditions.h"
#include "CompositionInput.h"

constexpr int32_t kMethodIndexCount = 22;
constexpr int32_t kMethodIndexCalculator12 = 17;

// Result of one compressibility evaluation; each evaluation site has its own AGA8 cache.
struct ZResult {
    Aga8State aga8;
    int32_t success;        // the method ran and every input it used is usable
    int32_t notFullyValid;  // not success, or an input it used carries a bit of 0x178f
    int32_t constantMethod;
    double Z;  // 1.0 after any failure
};

// One base state.
struct StateCalc {
    double p;  // bar
    double t;  // degC
    ZResult zResult;
    double K;
    int32_t kValid;
    double C;
    int32_t kOk;
    uint32_t statusZ, statusK, statusC;
};

// Which inputs the selected methods used in this cycle (OR of 1 per use).
struct InputUseMarks {
    uint32_t calculationFailed;  // set by the event messages
    uint32_t heatingValue;
    uint32_t baseDensity;
    uint32_t relativeDensity;
    uint32_t component[kComponentCount];
    uint32_t composition;
};

// Reduced density and derivative term of the 12-component calculator at the measuring state.
struct Aga8x12Results {
    double reducedDensity;
    double derivativeTerm;
};

// 1 when a value of status `word` cannot be used: INIT, or a fault flag (0x108d) without a LOP
// level that vouches for it.
int32_t IsValueUnusable(const uint32_t& word);

// Runs the method of `index` at p (bar) and T (K) into zResult (Z, notFullyValid) and ORs its
// input use into the block's marks. Returns 1 when the method succeeded on usable inputs; an
// index outside 0 to 21 is rejected (traced). Index 0 needs `baseRecord`.
int32_t CalcZByMethodIndex(int32_t index, double p, double T, ZResult& zResult, int32_t option,
                           BaseConditionRecord* baseRecord);

// The method of "CalcMethod" for a base state; stores and returns zResult.success (0 for a
// rejected code, with Z 1.0).
int32_t CalcZByCalcMethod(double p, double T, ZResult& zResult, BaseConditionRecord* baseRecord);

// The method of MeasCalcMethod for the measuring state; stores and returns zResult.success.
int32_t CalcZmByMeasMethod(double p, double T, ZResult& zResult);

// The method index of a "CalcMethod" code, or -1 (the constant method and codes outside the
// table); the same for a MeasCalcMethod code.
int32_t MethodIndexOfCalcMethod(int32_t code);
int32_t MethodIndexOfMeasCalcMethod(int32_t code);
