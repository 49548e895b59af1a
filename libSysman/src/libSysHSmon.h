// The health monitor of the address space: the task "AsHealthTask" that checksums the program's
// code range (and on its first pass the parameter directory and the files of "files.txt"), and
// the report of each finished pass to the system manager.
#pragma once

#include "AsInfo.h"

// Starts the health monitor's task for `pAsInfo` (which must have a code range); every failure
// goes to the fatal check. Called once per address space, by the RUN command.
void HSmonStart(AsInfo* pAsInfo);

// Reports a pass that has ended since the last report: the directory checksum with the first
// pass, then the pass total. Returns the error code of the last report made, 0 when nothing was
// reported. The command loop's task, after each trigger with sub-code 1.
int HSmonReport(AsInfo* pAsInfo);
