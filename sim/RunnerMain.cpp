// scenario_runner: drives the test address space (or another registered program) through a
// scenario file and prints what happened; see RunnerCommandLine.h.
#include "RunnerCommandLine.h"

int main(int argc, char** argv) {
    return sim::runnerMain(argc, argv);
}
