// The scenario runner's command line, for the runner executable and for program executables
// that register themselves (ProgramRegistry.h) and run scenarios of their own:
//   <runner> SCENARIO [--csv] [--trace FILE] [--trace-level N]
// Returns the exit status: 0 all went as expected, 1 an expectation failed, 2 a fatal stop or
// an incomplete run, 3 the scenario could not be read or run (and the command line's own
// codes for a wrong command line).
#pragma once

namespace sim {

int runnerMain(int argc, char** argv);

}  // namespace sim
