// scenario_runner: drives the test address space through a scenario file and prints what
// happened; see RunnerCommandLine.h. The device programs have binaries of their own
// (ProgramRegistry.h), since each defines the link-time entries its libraries call.
#include "RunnerCommandLine.h"

int main(int argc, char** argv) {
    return sim::runnerMain(argc, argv, sim::defaultPrograms());
}
