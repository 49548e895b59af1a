// scenario_runner: drives a registered program through a scenario file and prints what
// happened; see RunnerCommandLine.h. Each program the runner can start is listed here
// (ProgramRegistry.h).
#include "CalorantProgram.h"
#include "RunnerCommandLine.h"
#include "TestAddressSpace.h"

namespace {

const sim::Program kPrograms[] = {
    {"test", sim::testProgramMain},
    {"Calorant-Prog", CalorantProgramMain},
};

}  // namespace

int main(int argc, char** argv) {
    return sim::runnerMain(argc, argv, {std::begin(kPrograms), std::end(kPrograms)});
}
