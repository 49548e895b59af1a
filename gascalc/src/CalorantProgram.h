// The entry of the gas calculation program (Calorant-Prog): the body of the device's main.
#pragma once

#include "AsInfo.h"

// Clears the program data block, registers the program's hook set as the default set and hands
// control to the system-manager client, which runs the address space and does not return in
// normal running. An exception that leaves the client is reported through the framework's fatal
// report (with the address space's name, or "unknown AS"; "unknown" for a non-standard
// exception). Returns 0. Initial task.
int CalorantProgramMain();

// Frees what a run's hooks made (its taste and 12-component calculator; the device frees them
// with the address space) and clears the program's context and data block. No task of that run
// may still run.
void ForgetCalorantRun();

// The program's component start table: framework components at positions 1 to 4 and 6, the
// display-service client's PEG_initComponent fifth; null-terminated.
const ComponentStartFunction* CalorantStartTable();
