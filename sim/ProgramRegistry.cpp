#include "ProgramRegistry.h"

#include "TestAddressSpace.h"

namespace sim {

std::vector<Program> defaultPrograms() {
    return {{"test", testProgramMain}};
}

ProgramMain findProgram(const std::vector<Program>& programs, const std::string& name) {
    for (const Program& program : programs) {
        if (name == program.name) {
            return program.main;
        }
    }
    return nullptr;
}

std::string programNames(const std::vector<Program>& programs) {
    std::string names;
    for (const Program& program : programs) {
        names += (names.empty() ? "" : ", ") + std::string(program.name);
    }
    return names;
}

}  // namespace sim
