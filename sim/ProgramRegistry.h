// The programs a runner executable can start, by name.
//
// Convention for a program (Vesk-Prog, Calorant-Prog, the test address space):
// - The program is a static library exposing one plain function, the body of the device's
//   `main`, for example `int VeskProgramMain()`. That function registers the program's default
//   hook set (SysManRegisterDefaultHooks) right before it calls SysManStartDefault, which does
//   not return while the address space runs; it returns only when the client could not start.
// - No static registrar anywhere: each executable lists its programs explicitly in one table
//   in its own source and hands it to runnerMain (RunnerCommandLine.h). A scenario's "program"
//   key or the `--program` option chooses one; a scenario without "program" runs the table's
//   first. Because each entry registers its hooks when it runs, linking several programs into
//   one executable cannot drop or swap their registrations.
// - One program per executable where link-time entries collide. A library may call an entry
//   that each program defines, for example the display client's `OnPegEvent`; two programs
//   that each define it cannot share an executable. So each device program has its own
//   binary, named after it, with a table of that one program and a default demo scenario that
//   runs when the command line names none:
//       gascalc/src/CalorantMain.cpp       Calorant-Prog   examples/calorant
//       measurement/src/VeskProgRunner.cpp Vesk-Prog       examples/vesk
//   Each hands its table and its demo scenario to runnerMain.
//   The program's library makes the linker take its entry in (target_link_options
//   `--undefined`), since the calling library is read after it. `scenario_runner`
//   (RunnerMain.cpp) holds the test address space ("test"), which defines no such entry.
//   scripts/run picks the executable for each scenario by its "program" key.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The body of a program's `main`; runs on the address space's initial task.
using ProgramMain = int (*)();

struct Program {
    const char* name;
    ProgramMain main;
};

// The programs a run may choose from; the test address space ("test") by default.
std::vector<Program> defaultPrograms();

// The entry of `name` in `programs`, or null.
ProgramMain findProgram(const std::vector<Program>& programs, const std::string& name);

// The names of `programs`, separated by ", " (for messages).
std::string programNames(const std::vector<Program>& programs);

}  // namespace sim
