// The echo of texts through a program's own binary: a run of Calorant-Prog whose checks fail on
// names holding characters that look alike, act on the terminal or end a quoted text prints
// FAILED lines that tell each name apart, each name whole however long; the CSV text column
// holds whole texts too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ChildEnvironment.h"
#include "Scenario.h"
#include "ScenarioReport.h"
#include "ScenarioRunner.h"
#include "TestFolder.h"

namespace {

// Runs `program` with `argument`, its standard output written to the new file `outFile` and its
// temporary folders made in `temporaries`; returns its exit status, -1 when it did not run or
// exit.
int runProgram(const std::string& program, const std::string& argument, const std::string& outFile,
               const std::string& temporaries) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    std::string programWord = program;
    std::string argumentWord = argument;
    char* argv[] = {programWord.data(), argumentWord.data(), nullptr};
    const ChildEnvironment environment(temporaries);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environment.envp());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(EchoedTextsEndToEndTest, FailedLinesOfCalorantProgTellAlikeNamesApart) {
    const struct {
        std::string name;
        std::string echoed;
    } names[] = {
        {"a\\nb", "\"a\\\\nb\""},   // a backslash and an n
        {"a\nb", "\"a\\u000ab\""},  // a newline
        {"a\xe2\x80\xae"
         "b",
         "\"a\\u202eb\""},  // a right-to-left override
        {"a\xe2\x80\xa8"
         "b\xe2\x80\xa9"
         "c",
         "\"a\\u2028b\\u2029c\""},             // line, paragraph separators
        {"say \"hi\"", "\"say \\\"hi\\\"\""},  // quotes
        {std::string(300, 'n') + "\n", '"' + std::string(300, 'n') + "\\u000a\""},  // whole
    };
    nlohmann::json set = nlohmann::json::object();
    nlohmann::json expect = nlohmann::json::object();
    std::string failedLines;
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string path = "PP.PP_" + std::to_string(i + 1) + ".Name";
        set[path] = {{"text", names[i].name}};
        expect[path] = {{"text", "zzz"}};
        failedLines +=
            "FAILED step 1 " + path + " text \"zzz\", got text " + names[i].echoed + "\n";
    }
    const nlohmann::json scenario = {
        {"program", "Calorant-Prog"},
        {"selfInfo",
         {{"mode", 3},
          {"asName", "CalorantAS"},
          {"parPrefix", "Calorant"},
          {"parDir", "par"},
          {"basePath", "base/"},
          {"parText", "Calorant parameters"},
          {"traceSelector", 0}}},
        {"taste", "Default"},
        {"tree", std::string(REPOSITORY_DIR) + "/gascalc/model/CalorantDefault.json"},
        {"noTraceUpToLevel", 3},
        {"steps", nlohmann::json::array({{{"set", set}, {"expect", expect}}})}};
    const TestFolder folder;
    // The program's base folder, apart from the temporary folder its run is given.
    std::filesystem::create_directory(folder.pathOf("base"));
    const std::string scenarioFile = folder.path() + "/names.json";
    std::ofstream(scenarioFile) << scenario.dump();
    const std::string reportFile = folder.path() + "/report.txt";

    EXPECT_EQ(runProgram(CALORANT_PROG, scenarioFile, reportFile, folder.temporaries()), 1)
        << "an expectation failed";
    EXPECT_EQ(folder.temporariesLeft(), 0u) << "the run removed its work and scratch folders";
    const std::string report = fileText(reportFile);
    std::string failed;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        failed += line.rfind("FAILED ", 0) == 0 ? line + "\n" : "";
    }
    EXPECT_EQ(failed, failedLines) << report;
    for (const char* raw : {"\r", "\x1b", "\xe2\x80\xae", "\xe2\x80\xa8", "\xe2\x80\xa9"}) {
        EXPECT_EQ(report.find(raw), std::string::npos) << "a raw control in the report";
    }
}

// The CSV text column holds the whole text, escaped, as a quoted field; the aligned report cuts
// the same text.
TEST(EchoedTextsEndToEndTest, TheCsvTextColumnHoldsTheWholeEscapedText) {
    const std::string text = std::string(500, 'x') + "\n\"";
    sim::RunResult result;
    result.events = {sim::Event{sim::EventKind::TaskFault, 1.0, 0, 0, text, 1, 1.0, 2}};
    const sim::Scenario scenario = sim::parseScenario("{}", "", "s.json");
    std::ostringstream csv;
    sim::printRunResult(scenario, result, csv, true);
    EXPECT_NE(csv.str().find("\n2,1.000000,TaskFault,0,0,\"" + std::string(500, 'x') +
                             "\\u000a\\\"\"\"\n"),
              std::string::npos)
        << csv.str();
    std::ostringstream aligned;
    sim::printRunResult(scenario, result, aligned, false);
    EXPECT_NE(aligned.str().find("TaskFault          0           0       " + std::string(400, 'x') +
                                 "... (102 more bytes)\n"),
              std::string::npos)
        << aligned.str();
}

}  // namespace
