// Every scenario file kept in the repository (the examples and the end-to-end scenarios of the
// programs) loads, and asserts the graveness of trace its run may write (noTraceUpToLevel).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Scenario.h"

namespace {

namespace fs = std::filesystem;

// A folder the search skips: hidden ones (.git) and build trees.
bool skipped(const fs::path& folder) {
    const std::string name = folder.filename().string();
    return name.empty() || name.front() == '.' || name.rfind("build", 0) == 0;
}

// True for a JSON file whose root object has "steps": a scenario (tree models and dictionaries
// have none).
bool isScenario(const fs::path& file) {
    std::ifstream in(file);
    const nlohmann::json document = nlohmann::json::parse(in, nullptr, false);
    return document.is_object() && document.contains("steps");
}

// The scenario files below `root`, sorted.
std::vector<std::string> scenarioFiles(const fs::path& root) {
    std::vector<std::string> found;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->is_directory() && skipped(it->path())) {
            it.disable_recursion_pending();
        } else if (it->is_regular_file() && it->path().extension() == ".json" &&
                   isScenario(it->path())) {
            found.push_back(it->path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(RepositoryScenariosTest, EveryScenarioSetsNoTraceUpToLevel) {
    const std::vector<std::string> files = scenarioFiles(REPOSITORY_DIR);
    // The search must see the examples, which scripts/run finds by their own pattern.
    for (const auto& example : fs::directory_iterator(EXAMPLES_DIR)) {
        const fs::path scenario = example.path() / "scenario.json";
        if (fs::exists(scenario)) {
            EXPECT_NE(std::find(files.begin(), files.end(), scenario.string()), files.end())
                << scenario << " was not found";
        }
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const sim::Scenario scenario = sim::loadScenario(file);
        EXPECT_TRUE(scenario.noTraceUpToLevel.has_value())
            << file << " does not set \"noTraceUpToLevel\"";
    }
}

}  // namespace
