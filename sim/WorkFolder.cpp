#include "WorkFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScenarioFields.h"

namespace sim {

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string path) {
    return !path.empty() && path.back() == '/' ? path : path + "/";
}

std::string makeTemporaryFolder(const std::string& scenarioFile) {
    const char* root = std::getenv("TMPDIR");
    std::string pattern =
        withSlash(root != nullptr && *root != '\0' ? root : "/tmp") + "scenario-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw ScenarioError(scenarioFile + ": cannot make a temporary work folder");
    }
    return pattern;
}

}  // namespace

bool readFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    bytes->assign(text.begin(), text.end());
    return true;
}

WorkFolder::WorkFolder(const std::string& baseFolder, bool keep, const std::string& scenarioFile)
    : myScenarioFile(scenarioFile), myTemporary(!keep) {
    std::string problem;
    if (keep) {
        std::error_code error;
        fs::create_directories(baseFolder, error);
        myPath = withSlash(baseFolder);
        problem = fs::is_directory(myPath) ? "" : "cannot make " + sim::quoted(myPath);
    } else {
        myPath = withSlash(makeTemporaryFolder(scenarioFile));
        if (!baseFolder.empty()) {
            problem = fs::is_directory(baseFolder) ? copyBaseFolder(baseFolder)
                                                   : "no folder " + sim::quoted(baseFolder) +
                                                         " (relative to the scenario's folder)";
        }
    }
    if (!problem.empty()) {
        removeTemporary();
        throw ScenarioError(scenarioFile + ": \"basePath\": " + problem);
    }
    try {
        myScratch = withSlash(makeTemporaryFolder(scenarioFile));
    } catch (const ScenarioError&) {
        removeTemporary();
        throw;
    }
}

void WorkFolder::removeTemporary() const {
    std::error_code ignored;
    if (myTemporary) {
        fs::remove_all(myPath, ignored);
    }
    if (!myScratch.empty()) {
        fs::remove_all(myScratch, ignored);
    }
}

std::string WorkFolder::copyBaseFolder(const std::string& baseFolder) const {
    std::error_code error;
    const std::string source = withSlash(fs::weakly_canonical(baseFolder, error).string());
    if (!error && withSlash(fs::weakly_canonical(myPath, error).string()).rfind(source, 0) == 0) {
        return "the base folder " + sim::quoted(baseFolder) +
               " holds the temporary folders; give the program a folder of its own";
    }
    fs::copy(baseFolder, myPath, fs::copy_options::recursive, error);
    return error ? "cannot copy " + sim::quoted(baseFolder) + ": " + error.message() : "";
}

WorkFolder::~WorkFolder() {
    removeTemporary();
}

void WorkFolder::layOut(const std::vector<FileContent>& files, const std::string& place) const {
    for (const FileContent& content : files) {
        const fs::path path = pathOf(content.path);
        std::error_code error;
        fs::create_directories(path.parent_path(), error);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(content.bytes.data()),
                   static_cast<std::streamsize>(content.bytes.size()));
        if (!file) {
            throw ScenarioError(myScenarioFile + ": " + place + ": " + sim::quoted(content.path) +
                                ": cannot write the file");
        }
    }
}

}  // namespace sim
