// The health monitor in scenario runs: the example reports the checksums of its files and of the
// running program's code after the triggers, and a pass ends, in its virtual time, whatever kind
// of path "files.txt" lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "HealthChecksums.h"
#include "HostTrace.h"
#include "ScenarioRunner.h"
#include "ScratchFolder.h"
#include "SysHSmonTrace.h"
#include "Tarvo.h"

namespace fs = std::filesystem;
using namespace healthtest;

namespace {

const std::string kExampleDir = std::string(EXAMPLES_DIR) + "/health-monitor/";

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    EXPECT_FALSE(contents.str().empty()) << path;
    return contents.str();
}

// The checksum of the running program's code range, as the monitor makes it every pass.
uint32_t codeChecksum() {
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    EXPECT_EQ(Tarvo_GetCodeRange(&codeStart, &codeEnd), Success);
    const size_t codeLength =
        static_cast<const uint8_t*>(codeEnd) - static_cast<const uint8_t*>(codeStart) + 4;
    return checksumOfBytes(codeStart, codeLength);
}

// (time, 'D' directory or 'T' total, value) of each report the system manager received.
using Report = std::tuple<double, char, uint32_t>;
std::vector<Report> reportsOf(const sim::RunResult& result) {
    std::vector<Report> reports;
    for (const sim::Event& event : result.events) {
        if (event.kind == sim::EventKind::DirChecksum) {
            reports.emplace_back(event.time, 'D', event.value);
        } else if (event.kind == sim::EventKind::Checksum) {
            reports.emplace_back(event.time, 'T', event.value);
        }
    }
    return reports;
}

}  // namespace

TEST(HealthScenarioTest, ExampleReportsItsChecksumsAfterTheTriggers) {
    sim::Scenario scenario = sim::loadScenario(kExampleDir + "scenario.json");
    const sim::RunResult result = sim::runScenario(scenario);
    ASSERT_TRUE(result.completed) << result.failure;
    EXPECT_EQ(result.exitCode(), 0);

    // Directory: par/calibration.txt alone (Demo.par is the program's own, archive/ a folder).
    const uint32_t dirSum =
        dirChecksumOf({{"calibration.txt", contentsOf(kExampleDir + "par/calibration.txt")}});
    // Mode 4: the total covers the list checksum and the code checksum.
    const uint32_t listSum =
        checksumOfSums({checksumOfText(contentsOf(kExampleDir + "listed/recipe.txt")),
                        checksumOfText(contentsOf(kExampleDir + "listed/limits.txt"))});
    const uint32_t total = checksumOfSums({listSum, codeChecksum()});
    EXPECT_EQ(reportsOf(result),
              (std::vector<Report>{{10.0, 'D', dirSum}, {10.0, 'T', total}, {40.0, 'T', total}}));
}

// A folder made at run time from the example's: its parameter directory also holds a FIFO, a
// link to a device and a link loop, and "files.txt" lists a recipe, the path under test, then
// the limits. The monitor's passes must end at 10 s and 40 s of virtual time with the checksums
// and traces of that path kind; a path it opened for reading would stop the run instead.
TEST(HealthScenarioTest, PassEndsInItsVirtualTimeWhateverKindOfPathIsListed) {
    const RealTimeLimit limit(120);
    struct PathKind {
        const char* what;
        std::function<void(const fs::path&)> make;
        bool regular;
    };
    const PathKind kinds[] = {
        {"regular file", [](const fs::path& p) { std::ofstream(p) << "listed contents"; }, true},
        {"missing", [](const fs::path&) {}, false},
        {"directory", [](const fs::path& p) { fs::create_directories(p); }, false},
        {"FIFO", makeFifo, false},
        {"link to a device", makeDeviceLink, false},
        {"link loop", makeLinkLoop, false},
    };
    const std::string recipe = contentsOf(kExampleDir + "listed/recipe.txt");
    const std::string limits = contentsOf(kExampleDir + "listed/limits.txt");
    const uint32_t dirSum =
        dirChecksumOf({{"calibration.txt", contentsOf(kExampleDir + "par/calibration.txt")}});
    const uint32_t code = codeChecksum();
    for (const PathKind& kind : kinds) {
        SCOPED_TRACE(kind.what);
        const ScratchFolder scenarioFolder;
        // The program's base path.
        const fs::path folder = fs::path(scenarioFolder.path()) / "work";
        const std::string base = folder.string() + "/";
        fs::create_directories(folder);
        fs::copy(kExampleDir + "par", folder / "par", fs::copy_options::recursive);
        fs::copy(kExampleDir + "listed", folder / "listed", fs::copy_options::recursive);
        makeFifo(folder / "par" / "pipe");
        makeDeviceLink(folder / "par" / "zero");
        makeLinkLoop(folder / "par" / "loop");
        kind.make(folder / "listed" / "entry");
        std::ofstream(folder / "files.txt")
            << "+listed/recipe.txt\n+listed/entry\n+listed/limits.txt\n";
        const sim::Scenario scenario = sim::parseScenario(
            R"({ "program": "test", "keepFiles": true,
                 "selfInfo": { "mode": 4, "asName": "HealthAS", "parPrefix": "Demo",
                               "parDir": "par", "basePath": "work" },
                 "steps": [ { "advance": 10.0, "command": "cycle" },
                            { "advance": 30.0, "command": "cycle" } ] })",
            scenarioFolder.path());
        sim::RunSettings settings;
        settings.traceLevel = 7;  // the file points of the list
        host::TraceCapture capture;
        const sim::RunResult result = sim::runScenario(scenario, settings);
        ASSERT_TRUE(result.completed) << result.failure;

        // A refused path stops the list: its checksum keeps the initial value.
        const uint32_t listSum =
            kind.regular
                ? checksumOfSums({checksumOfText(recipe), checksumOfText("listed contents"),
                                  checksumOfText(limits)})
                : 0u;
        const uint32_t total = checksumOfSums({listSum, code});
        EXPECT_EQ(
            reportsOf(result),
            (std::vector<Report>{{10.0, 'D', dirSum}, {10.0, 'T', total}, {40.0, 'T', total}}));
        std::vector<std::string> listed;
        for (const host::TraceRecord& record : capture.withId(hsmon::kTraceListedFile)) {
            listed.push_back(record.textArg(1));
        }
        const std::vector<host::TraceRecord> failed = capture.withId(hsmon::kTraceListedFileFailed);
        if (kind.regular) {
            EXPECT_EQ(listed,
                      (std::vector<std::string>{base + "listed/recipe.txt", base + "listed/entry",
                                                base + "listed/limits.txt"}));
            EXPECT_TRUE(failed.empty());
            EXPECT_TRUE(capture.contains(hsmon::kTraceListChecksum));
        } else {
            EXPECT_EQ(listed, std::vector<std::string>{base + "listed/recipe.txt"});
            ASSERT_EQ(failed.size(), 1u);
            EXPECT_EQ(failed[0].textArg(0), "Demo");
            EXPECT_EQ(failed[0].textArg(1), base + "listed/entry");
            EXPECT_FALSE(capture.contains(hsmon::kTraceListChecksum));
        }
        EXPECT_FALSE(capture.contains(hsmon::kTraceDirFileFailed));
    }
}
