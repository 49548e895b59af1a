// Vesk-Prog on the host: the program against the simulated system manager and display service,
// driven by a scenario (docs/scenarios.md); without one it runs its demo scenario
// (examples/vesk). The command line is the scenario runner's (RunnerCommandLine.h).
#include <iterator>

#include "RunnerCommandLine.h"
#include "Veskmain.h"

namespace {

const sim::Program kPrograms[] = {{"Vesk-Prog", VeskProgramMain}};

}  // namespace

int main(int argc, char** argv) {
    return sim::runnerMain(argc, argv, {std::begin(kPrograms), std::end(kPrograms)},
                           VESK_DEMO_SCENARIO);
}
