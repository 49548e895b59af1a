#include "ProgramRegistry.h"

#include <map>
#include <mutex>

#include "TestAddressSpace.h"

namespace sim {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, ProgramEntry> programs{{"test", runTestAddressSpace}};
};

Registry& registry() {
    static Registry* instance = new Registry();
    return *instance;
}

}  // namespace

void registerProgram(const std::string& name, ProgramEntry entry) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().programs[name] = std::move(entry);
}

ProgramEntry findProgram(const std::string& name) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    auto found = registry().programs.find(name);
    return found != registry().programs.end() ? found->second : ProgramEntry();
}

std::vector<std::string> programNames() {
    std::lock_guard<std::mutex> lock(registry().mutex);
    std::vector<std::string> names;
    for (const auto& entry : registry().programs) {
        names.push_back(entry.first);
    }
    return names;
}

}  // namespace sim
