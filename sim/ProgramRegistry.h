// The address spaces the scenario runner can start, by name. "test" (the test address space)
// is always there; a program joins with a ProgramRegistration object of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sim {

// The body of an address space's initial task (a program's entry); it does not return while
// the address space runs.
using ProgramEntry = std::function<void()>;

// Adds (or replaces) a program. Any thread, before the run.
void registerProgram(const std::string& name, ProgramEntry entry);
// The entry of `name`, or an empty function.
ProgramEntry findProgram(const std::string& name);
std::vector<std::string> programNames();

struct ProgramRegistration {
    ProgramRegistration(const std::string& name, ProgramEntry entry) {
        registerProgram(name, std::move(entry));
    }
};

}  // namespace sim
