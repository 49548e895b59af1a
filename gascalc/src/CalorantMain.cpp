// Calorant-Prog on the host: the program against the simulated system manager and display
// service, driven by a scenario (docs/scenarios.md); without one it runs its demo scenario
// (examples/calorant). The command line is the scenario runner's (RunnerCommandLine.h).
#include <iterator>

#include "CalorantProgram.h"
#include "RunnerCommandLine.h"

namespace {

const sim::Program kPrograms[] = {{"Calorant-Prog", CalorantProgramMain}};

}  // namespace

int main(int argc, char** argv) {
    return sim::runnerMain(argc, argv, {std::begin(kPrograms), std::end(kPrograms)},
                           CALORANT_DEMO_SCENARIO);
}
