// The folder a scenario's program works in (its base path): a fresh temporary folder with a
// copy of the scenario's base folder, removed again at the end, or the base folder itself when
// the scenario keeps its files. Beside it, a temporary folder of the runner's own holds the
// run's scratch files (kept steps, spooled report), out of the program's sight.
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
    // Removes a temporary folder, and the scratch folder, with everything in them.
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // The folder's path, ending in "/".
    const std::string& basePath() const { return myPath; }
    // The path of a file below the folder.
    std::string pathOf(const std::string& relative) const { return myPath + relative; }
    // The path of a scratch file of the run (removed at the end, never in the base path).
    std::string scratchFile(const std::string& name) const { return myScratch + name; }
    // Writes `files` (making their folders). Throws ScenarioError naming `place`.
    void layOut(const std::vector<FileContent>& files, const std::string& place) const;

  private:
    // Copies `baseFolder`'s content into the temporary folder; what went wrong, or "".
    std::string copyBaseFolder(const std::string& baseFolder) const;
    // Removes what the folder made: the temporary base path and the scratch folder.
    void removeTemporary() const;

    std::string myPath;
    std::string myScratch;  // the scratch folder, ending in "/"
    std::string myScenarioFile;
    bool myTemporary;
};

}  // namespace sim
