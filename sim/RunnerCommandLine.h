// The scenario runner's command line:
//   <runner> SCENARIO [--program NAME] [--csv] [--trace FILE] [--trace-level N]
// `programs` lists the programs the runner can start (ProgramRegistry.h); --program chooses
// one instead of the scenario's "program". Returns the exit status: kExitPassed,
// kExitExpectationFailed, kExitStopped, or kExitBadInput when the scenario or the command line
// cannot be used (one line on stderr names the file, the step and the key).
#pragma once

#include <vector>

#include "ProgramRegistry.h"

namespace sim {

int runnerMain(int argc, char** argv, const std::vector<Program>& programs);

}  // namespace sim
