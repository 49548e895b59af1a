// The programs a scenario runner can start, by name.
//
// Convention for a program (Vesk-Prog, Calorant-Prog, the test address space):
// - The program is a static library exposing one plain function, the body of the device's
//   `main`, for example `int VeskProgramMain()`. That function registers the program's default
//   hook set (SysManRegisterDefaultHooks) right before it calls SysManStartDefault, which does
//   not return while the address space runs; it returns only when the client could not start.
// - No static registrar anywhere: the runner executable lists its programs explicitly in one
//   table in its own source (RunnerMain.cpp), for example
//       const sim::Program kPrograms[] = {{"test", sim::testProgramMain},
//                                         {"vesk", VeskProgramMain}};
//   and hands it to runnerMain. A scenario's "program" key or the `--program` option chooses
//   one. Because each entry registers its hooks when it runs, linking several programs into one
//   runner cannot drop or swap their registrations.
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
