// The folder a scenario's program works in (its base path): a fresh temporary folder with a
// copy of the scenario's base folder, removed again at the end, or the base folder itself when
// the scenario keeps its files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Scenario.h"

namespace sim {

// Reads a whole file into `bytes`; false when it cannot be read.
bool readFileBytes(const std::string& path, std::vector<uint8_t>* bytes);

class WorkFolder {
  public:
    // Makes the folder: a temporary one, with a copy of `baseFolder` when that is given; or,
    // when `keep`, `baseFolder` itself, made when missing. Throws ScenarioError naming
    // `scenarioFile` when it cannot, when `baseFolder` is given but no folder (and not kept),
    // or when it holds the temporary folders.
    WorkFolder(const std::string& baseFolder, bool keep, const std::string& scenarioFile);
    // Removes a temporary folder with everything in it.
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // The folder's path, ending in "/".
    const std::string& basePath() const { return myPath; }
    // The path of a file below the folder.
    std::string pathOf(const std::string& relative) const { return myPath + relative; }
    // Writes `files` (making their folders). Throws ScenarioError naming `place`.
    void layOut(const std::vector<FileContent>& files, const std::string& place) const;

  private:
    // Copies `baseFolder`'s content into the temporary folder; what went wrong, or "".
    std::string copyBaseFolder(const std::string& baseFolder) const;

    std::string myPath;
    std::string myScenarioFile;
    bool myTemporary;
};

}  // namespace sim
