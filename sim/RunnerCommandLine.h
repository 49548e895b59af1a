// The command line of a runner executable (scenario_runner, and each program's own binary):
//   <runner> [SCENARIO] [--program NAME] [--csv] [--handshake] [--trace FILE] [--trace-level N]
// `programs` lists the programs the executable can start (ProgramRegistry.h); --program chooses
// one instead of the scenario's "program"; --handshake prints every start-up and hand-shake in full
// (ScenarioReport.h). SCENARIO may be left out when `demoScenario` names the executable's
// default demo scenario, which then runs. Returns the exit status:
// kExitPassed, kExitExpectationFailed, kExitStopped, or kExitBadInput when the scenario or the
// command line cannot be used (one line on stderr names the file, the step and the key).
// SIGINT, SIGTERM or SIGHUP stop a run (StopSignals.h): its folders are removed, one line on
// stderr names the signal and the step, and the process ends by that signal instead.
#pragma once

#include <string>
#include <vector>

#include "ProgramRegistry.h"

namespace sim {

int runnerMain(int argc, char** argv, const std::vector<Program>& programs,
               const std::string& demoScenario = "");

}  // namespace sim
