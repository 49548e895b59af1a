// Runs a fixed number of steady cycles of the gas calculation program on one layout, for an
// instruction count under callgrind, with the measuring pressure changing every cycle:
//
//     calorant_cycle_probe <Default|ZM1|BM1> <cycle|calc|numerics> <count>
//
// "cycle" runs the process hook (tree access, preprocessing, commit, calculation cycle),
// "calc" the calculation cycle alone, "numerics" the cycle's gas-property calls alone. The
// instructions of one cycle are the difference of two runs with different counts divided by
// the difference of the counts; the set-up cancels out. A part of the cycle is measured the same
// way with callgrind's --collect-atstart=no --toggle-collect=<function>, for instance
// DoPreprocessing or WriteEventsStep. Exits non-zero when the program does not set up or a
// cycle fails.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "CalcCycle.h"
#include "CalorantBenchSupport.h"
#include "HostTree.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"

namespace {

using calorant_bench::kLivePressures;

// `count` process-hook cycles, each after a new pressure on both levels of the pressure line.
bool runProcessCycles(AsInfo* asInfo, long count) {
    host::HostTree* tree = host::addressSpaceTree();
    const FbDoNode level1 = tree->at("Lines.L1_1");
    const FbDoNode level2 = tree->at("Lines.L1_2");
    for (long turn = 0; turn < count; ++turn) {
        const double p = kLivePressures[turn % 2];
        FbDo_WriteDouble(level1, p, nullptr);
        FbDo_WriteDouble(level2, p, nullptr);
        if (OnProcess(asInfo) != 0) {
            return false;
        }
    }
    return true;
}

// `count` calculation cycles, each after a new pressure on the pressure line's output.
void runCalcCycles(long count) {
    const FbDoNode pressure = host::addressSpaceTree()->at("PP.PP_1.Out");
    for (long turn = 0; turn < count; ++turn) {
        FbDo_WriteDouble(pressure, kLivePressures[turn % 2], nullptr);
        RunCalcCycle();
    }
}

void runNumerics(long count) {
    const Taste& layout = *ProgramContext::myTaste.Load();
    for (long turn = 0; turn < count; ++turn) {
        calorant_bench::runCycleNumerics(layout, kLivePressures[turn % 2]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 0;
    if (count <= 0) {
        std::cerr
            << "usage: calorant_cycle_probe <Default|ZM1|BM1> <cycle|calc|numerics> <count>\n";
        return 2;
    }
    calorant_bench::CalorantSetUp program(argv[1]);
    if (!program.ok) {
        std::cerr << "the program did not set up on layout " << argv[1] << '\n';
        return 1;
    }
    if (std::strcmp(argv[2], "cycle") == 0) {
        return runProcessCycles(program.asInfo(), count) ? 0 : 1;
    }
    if (std::strcmp(argv[2], "calc") == 0) {
        runCalcCycles(count);
        return 0;
    }
    if (std::strcmp(argv[2], "numerics") == 0) {
        runNumerics(count);
        return 0;
    }
    std::cerr << "unknown part " << argv[2] << '\n';
    return 2;
}
