// Vesk-Prog on the host: runs the program through a scenario against the simulated system
// manager and display service (see sim/RunnerCommandLine.h for the command line). Without a
// scenario argument it runs the demo scenario.
#include <cstring>
#include <iterator>
#include <vector>

#include "RunnerCommandLine.h"
#include "Veskmain.h"

namespace {

const sim::Program kPrograms[] = {{"Vesk-Prog", VeskProgramMain}};

// The demo scenario, by its path in the source tree.
char kDemoScenario[] = VESK_DEMO_SCENARIO;

// True when the command line names a scenario: an argument that is no option and no option's
// value.
bool hasScenarioArgument(int argc, char** argv) {
    const char* const optionsWithValue[] = {"--program", "--trace", "--trace-level"};
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') {
            return true;
        }
        for (const char* option : optionsWithValue) {
            if (std::strcmp(argv[i], option) == 0) {
                ++i;  // its value follows
                break;
            }
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    if (!hasScenarioArgument(argc, argv)) {
        arguments.insert(arguments.begin() + 1, kDemoScenario);
    }
    return sim::runnerMain(static_cast<int>(arguments.size()), arguments.data(),
                           {std::begin(kPrograms), std::end(kPrograms)});
}
