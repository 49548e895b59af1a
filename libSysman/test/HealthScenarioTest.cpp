// The health-monitor example: the reports after the cycle triggers carry the checksums of the
// example's files and of the running program's code.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "HealthChecksums.h"
#include "ScenarioRunner.h"
#include "Tarvo.h"

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
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&codeStart, &codeEnd), Success);
    const size_t codeLength =
        static_cast<const uint8_t*>(codeEnd) - static_cast<const uint8_t*>(codeStart) + 4;
    const uint32_t total = checksumOfSums({listSum, checksumOfBytes(codeStart, codeLength)});

    // (time, 'D' directory or 'T' total, value) of each report.
    std::vector<std::tuple<double, char, uint32_t>> reports;
    for (const sim::Event& event : result.events) {
        if (event.kind == sim::EventKind::DirChecksum) {
            reports.emplace_back(event.time, 'D', event.value);
        } else if (event.kind == sim::EventKind::Checksum) {
            reports.emplace_back(event.time, 'T', event.value);
        }
    }
    EXPECT_EQ(reports, (std::vector<std::tuple<double, char, uint32_t>>{
                           {10.0, 'D', dirSum}, {10.0, 'T', total}, {40.0, 'T', total}}));
}
