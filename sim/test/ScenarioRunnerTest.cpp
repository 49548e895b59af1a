// Scenario runs of the test address space through its lives: phases, parameter changes,
// service commands, restarts, files, and every kind of expectation with its exit code.
#include <gtest/gtest.h>
#include <cmath>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FbDo.h"
#include "HostService.h"
#include "HostTree.h"
#include "RunnerCommandLine.h"
#include "ScenarioChecks.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestAddressSpace.h"
#include "TestFolder.h"
#include "WorkFolder.h"
#include "libSysman.h"

namespace {

const std::string kExampleFolder = std::string(EXAMPLES_DIR) + "/test-address-space";
const std::string kExample = kExampleFolder + "/scenario.json";

// A scenario on the example's tree and base folder: the test program with its tree, change
// counter and saved file, `extra` top-level keys and `steps`.
sim::Scenario scenarioWith(const std::string& steps, const std::string& extra = "") {
    return sim::parseScenario(
        R"({ "tree": "tree.json", "selfInfo": { "basePath": "data/" },
             "testProgram": { "useTree": true, "changeCounter": "Demo.Changes",
                              "savedFile": "saved.txt", "restoredOutput": "Demo.Restored" },
             "outputs": ["Demo.Out"], )" +
            extra + R"( "steps": [ )" + steps + " ] }",
        kExampleFolder, "t.json");
}

std::vector<std::string> failedChecks(const sim::RunResult& result) {
    std::vector<std::string> failed;
    for (const sim::CheckResult& check : result.checks) {
        if (!check.passed) {
            failed.push_back(check.expected + " / " + check.actual);
        }
    }
    return failed;
}

std::string printed(const sim::Scenario& scenario, const sim::RunResult& result, bool csv,
                    bool handshake = false) {
    std::ostringstream out;
    sim::printRunResult(scenario, result, out, csv, handshake);
    return out.str();
}

// The lines of the events table of a printed report: between its head and the first empty line.
std::string eventLines(const std::string& report) {
    const size_t start = report.find('\n') + 1;
    return report.substr(start, report.find("\n\n") + 1 - start);
}

// Events that differ from a normal hand-shake, and how.
struct UnusualEvents {
    const char* what;
    std::vector<sim::Event> events;
};

// Expects the aligned report to print each event of each of `cases` on its line, none summed up
// in a line named `summedUp`.
void expectPrintedInFull(const sim::Scenario& scenario, const std::vector<UnusualEvents>& cases,
                         const char* summedUp) {
    sim::RunResult result;
    for (const UnusualEvents& c : cases) {
        SCOPED_TRACE(c.what);
        result.events = c.events;
        const std::string lines = eventLines(printed(scenario, result, false));
        EXPECT_EQ(lines.find(summedUp), std::string::npos) << lines;
        EXPECT_EQ(static_cast<size_t>(std::count(lines.begin(), lines.end(), '\n')),
                  c.events.size())
            << lines;
    }
}

// The runs' work and scratch folders, and every file a test writes, go to a folder of its own.
class ScenarioRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override { scratch.holdTemporaries(); }

    // Runs `scenario` and expects it to complete without a fatal stop.
    sim::RunResult runCompleted(const sim::Scenario& scenario) {
        sim::RunResult result = sim::runScenario(scenario);
        EXPECT_TRUE(result.completed) << result.failure;
        EXPECT_FALSE(result.fatalStop);
        return result;
    }

    TestFolder scratch;
};

TEST_F(ScenarioRunnerTest, ExampleRunsThroughTwoLivesAndMeetsItsExpectations) {
    const sim::Scenario scenario = sim::loadScenario(kExample);
    const sim::RunResult result = runCompleted(scenario);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed);
    EXPECT_EQ(result.lives, 2u);
    EXPECT_TRUE(failedChecks(result).empty()) << failedChecks(result).front();
    EXPECT_EQ(result.checks.size(), 22u);
    ASSERT_EQ(result.rows.size(), 5u) << "four cycles and the trigger 48 with sub-code 1";
    EXPECT_EQ(result.rows[1].outputs.at(0).value, 2.5);
    EXPECT_EQ(result.rows[1].outputs.at(0).status, 8u);
    EXPECT_EQ(result.displaySent, (std::vector<std::string>{"100 29 02000000"}));
    const std::string csv = printed(scenario, result, true);
    EXPECT_NE(csv.find("step,time,command,Demo.Out,Demo.Out.status,Demo.Changes"),
              std::string::npos);
    EXPECT_NE(csv.find("3,1.000,cycle,2.5,0x8,1,0x0"), std::string::npos) << csv;
}

// The display model through the test address space, whose display client answers each record
// with a selection (29) of the record's code: item states hold and fail by each field, and the
// display each life left is printed.
TEST_F(ScenarioRunnerTest, DisplayStateIsCheckedAndPrintedPerLife) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "display": [ { "item": 100, "code": 2 }, { "item": 7, "code": 5 } ],
             "displayState": { "100": { "selection": 2 }, "7": { "selection": 5 } } },
           { "display": [ { "item": 100, "code": 9 } ],
             "displayState": { "100": { "selection": 9 } } },
           { "command": "restart" },
           { "display": [ { "item": 300, "code": 1 } ],
             "displayState": { "300": { "selection": 1 } } })");
    const sim::RunResult result = runCompleted(scenario);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
    EXPECT_EQ(result.checks.size(), 4u);
    ASSERT_EQ(result.displayStates.size(), 2u);
    EXPECT_EQ(result.displayStates[0], "7 selection=5\n100 selection=9\n");
    EXPECT_EQ(result.displayStates[1], "300 selection=1\n") << "a new display each life";
    const std::string text = printed(scenario, result, false);
    EXPECT_NE(text.find("display state at the end of life 1:\n7 selection=5\n100 selection=9\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("display state at the end of life 2:\n300 selection=1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("ok     step 2 display item 100 selection=9, got 100 selection=9"),
              std::string::npos)
        << text;
    // Nothing shown: no display state printed.
    const sim::Scenario quiet = scenarioWith(R"({ "command": "cycle" })");
    EXPECT_EQ(printed(quiet, runCompleted(quiet), false).find("display state"), std::string::npos);
}

TEST_F(ScenarioRunnerTest, EachFailedExpectationGivesExitCodeOne) {
    const struct {
        const char* steps;
        const char* failed;
    } cases[] = {
        {R"({ "command": "cycle", "expect": { "Demo.Out": { "value": 1.5 } } })",
         "Demo.Out expected 1.5 +- 0 / 1 status 0x0"},
        {R"({ "command": "cycle", "expect": { "Demo.Out": { "value": 1, "status": 4 } } })",
         "Demo.Out expected 1 +- 0 status 0x4 NOT_AVAIL / 1 status 0x0"},
        {R"({ "command": "cycle", "expect": { "Demo.Out": { "status": 1025 } } })",
         "Demo.Out status 0x401 OOU OOC / 1 status 0x0"},
        // A value that failed reads apart from the one expected, however near.
        {R"({ "set": { "Demo.In": { "value": 0.1 } }, "command": "cycle",
              "expect": { "Demo.Out": { "value": 0.20000000000000004 } } })",
         "Demo.Out expected 0.20000000000000004 +- 0 / 0.2 status 0x0"},
        {R"({ "set": { "Demo.In": { "value": 5.0000000005 } }, "command": "cycle",
              "expect": { "Demo.Out": { "value": 10, "tolerance": 1e-10 } } })",
         "Demo.Out expected 10 +- 1e-10 / 10.000000001 status 0x0"},
        {R"({ "set": { "Demo.Label": { "text": "a" } },
              "expect": { "Demo.Label": { "text": "b" } } })",
         "Demo.Label text \"b\" / text \"a\""},
        {R"({ "expect": { "Demo.Unit": { "choice": 1 } } })", "Demo.Unit choice 1 / choice 0"},
        {R"({ "expect": { "Demo.Out": { "text": "x" } } })", "Demo.Out text \"x\" / no text"},
        {R"({ "command": "cycle", "events": { "inOrder": [ { "kind": "TriggerDone" },
              { "kind": "TriggerProcessed" } ] } })",
         "events in order: TriggerDone, TriggerProcessed / missing from TriggerProcessed on"},
        {R"({ "command": "cycle", "events": { "absent": [ { "kind": "Command", "value": 40 } ] } })",
         "events absent: Command value 40 / 1 found"},
        {R"({ "command": "process", "events": { "inOrder": [ { "kind": "TriggerDone" } ] } })",
         "events in order: TriggerDone / missing from TriggerDone on ("},
        {R"({ "display": [ { "item": 100, "code": 2, "u32": 7 } ],
              "displaySent": { "inOrder": [ { "item": 100, "code": 30 } ] } })",
         "display in order: record item 100 code 30 / missing from record item 100 code 30 on"},
        {R"({ "display": [ { "item": 100, "code": 2, "u32": 7 } ],
              "displaySent": { "absent": [ { "payload": "02000000" } ] } })",
         "display absent: record payload 02000000 / 1 found"},
        {R"({ "display": [ { "item": 100, "code": 2 } ],
              "displayState": { "100": { "selection": 3 } } })",
         "display item 100 selection=3 / 100 selection=2"},
        {R"({ "display": [ { "item": 100, "code": 2 } ],
              "displayState": { "100": { "selection": 2, "hidden": false } } })",
         "display item 100 selection=2 hidden=0 / 100 selection=2"},
        {R"({ "display": [ { "item": 100, "code": 2 } ],
              "displayState": { "100": { "list": true } } })",
         "display item 100 list=1 / 100 selection=2"},
        {R"({ "displayState": { "100": { "text": "x" } } })",
         "display item 100 text=\"x\" / nothing sent to it"},
        {R"({ "write": { "a.bin": { "hex": "010203" } },
              "files": { "a.bin": { "size": 3, "offset": 1, "bytes": "0203" } } },
            { "files": { "a.bin": { "offset": 2, "bytes": "0304" } } })",
         "file \"a.bin\" bytes 0304 at 2 / size 3, bytes "},
        {R"({ "files": { "nothing.bin": { "exists": true } } })",
         "file \"nothing.bin\" exists / absent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        const sim::Scenario scenario = scenarioWith(c.steps);
        const sim::RunResult result = runCompleted(scenario);
        EXPECT_EQ(result.exitCode(), sim::kExitExpectationFailed);
        const std::vector<std::string> failed = failedChecks(result);
        ASSERT_EQ(failed.size(), 1u);
        EXPECT_EQ(failed[0].rfind(c.failed, 0), 0u) << failed[0];
        EXPECT_NE(printed(scenario, result, false).find("FAILED step "), std::string::npos);
    }
}

TEST_F(ScenarioRunnerTest, FatalStopEndsTheRunWithExitCodeTwo) {
    sim::Scenario scenario = scenarioWith(R"({ "command": "cycle" }, { "command": "cycle" })");
    scenario.testProgram.failingSlot = 16;
    scenario.testProgram.failCode = 77;
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_TRUE(result.fatalStop);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failure, "step 1 did not complete");
    EXPECT_EQ(result.exitCode(), sim::kExitStopped);
    size_t stops = 0;
    for (const sim::Event& event : result.events) {
        stops += event.kind == sim::EventKind::FatalStop && event.value == 77 ? 1 : 0;
    }
    EXPECT_EQ(stops, 1u);
    const std::string report = printed(scenario, result, false);
    EXPECT_NE(report.find("fatal stop of the address space\n  FATAL STOP: address space"),
              std::string::npos)
        << report;
}

// The aligned event table names commands and states beside their numbers; CSV keeps the text
// column as recorded.
TEST_F(ScenarioRunnerTest, EventTableNamesCommandsAndStates) {
    const sim::Scenario scenario = scenarioWith("");
    sim::RunResult result;
    const struct {
        sim::EventKind kind;
        uint32_t value;
        uint32_t detail;
        const char* line;
    } cases[] = {
        {sim::EventKind::Command, 5, 0, "Command            5           0       state\n"},
        {sim::EventKind::Command, 21, 0, "Command            21          0       RUN\n"},
        {sim::EventKind::Command, 40, 1, "Command            40          1       trigger\n"},
        {sim::EventKind::Command, 99, 0, "Command            99          0       \n"},
        {sim::EventKind::StateReply, 28, 17,
         "StateReply         28          17      load parameters\n"},
        {sim::EventKind::StateReply, 29, 6, "StateReply         29          6       \n"},
        {sim::EventKind::TriggerProcessed, 14, 0,
         "TriggerProcessed   14          0       running\n"},
    };
    for (const auto& c : cases) {
        result.events.push_back(sim::Event{c.kind, 0.0, c.value, c.detail, "", 1, 0.0});
    }
    const std::string table = printed(scenario, result, false);
    for (const auto& c : cases) {
        EXPECT_NE(table.find(c.line), std::string::npos) << c.line << table;
    }
    EXPECT_NE(printed(scenario, result, true).find("Command,5,0,\"\"\n"), std::string::npos);
    // A text with control characters prints escaped, on its event's line.
    result.events = {sim::Event{sim::EventKind::ServiceRequested, 0.0, 0, 0, "S\n\x1b[2J", 1, 0.0}};
    EXPECT_EQ(eventLines(printed(scenario, result, false)),
              "-     0.000     ServiceRequested   0           0       S\\u000a\\u001b[2J\n");
    EXPECT_NE(printed(scenario, result, true).find(",\"S\\u000a\\u001b[2J\"\n"), std::string::npos);
}

// Each event carries the step being performed when it came; the life cycle that the runner
// drives between steps (the start-up, the shutdown at the end) carries none.
TEST_F(ScenarioRunnerTest, EventsCarryTheStepThatCausedThem) {
    const sim::RunResult result = runCompleted(scenarioWith(
        R"({ "command": "cycle" }, { "advance": 2 }, { "command": "restart" },
           { "command": "cycle" })"));
    std::vector<size_t> triggerSteps;
    std::vector<size_t> shutdownSteps;
    size_t armedInStep2 = 0;
    for (const sim::Event& event : result.events) {
        SCOPED_TRACE(sim::eventName(event.kind));
        if (event.kind == sim::EventKind::Command && event.value == 40) {
            triggerSteps.push_back(event.step);
        } else if (event.kind == sim::EventKind::Command && event.value == 20) {
            shutdownSteps.push_back(event.step);
        } else if (event.kind == sim::EventKind::SupervisionArmed && event.step == 2) {
            armedInStep2 += event.repeats;
        } else if (event.kind == sim::EventKind::Start ||
                   (event.kind == sim::EventKind::Command && event.value == 5)) {
            EXPECT_EQ(event.step, 0u);
        }
    }
    EXPECT_EQ(triggerSteps, (std::vector<size_t>{1, 4}));
    EXPECT_EQ(shutdownSteps, (std::vector<size_t>{3, 0})) << "the restart's, then the run's end";
    EXPECT_EQ(armedInStep2, 2u) << "one arming each second of the advance";
}

// A trigger command whose TriggerProcessed (in the running state 14) and TriggerDone came in
// this order within its step prints nothing in the aligned table; in another state the three
// are summed up in one line beside the step; anything else, or anything between, prints as it
// is. With the hand-shake asked for, and in CSV, every event has a line of its own.
TEST_F(ScenarioRunnerTest, TriggerHandshakesThatEndAsExpectedPrintNothing) {
    using sim::EventKind;
    const auto event = [](EventKind kind, uint32_t value, uint32_t detail, size_t step) {
        return sim::Event{kind, 1.5, value, detail, "", 1, 1.5, step};
    };
    const sim::Event command = event(EventKind::Command, 40, 1, 3);
    const sim::Event processed = event(EventKind::TriggerProcessed, 14, 0, 3);
    const sim::Event done = event(EventKind::TriggerDone, 0, 0, 3);
    const std::string commandLine =
        "3     1.500     Command            40          1       trigger\n";
    const std::string processedLine =
        "3     1.500     TriggerProcessed   14          0       running\n";
    const std::string doneLine = "3     1.500     TriggerDone        0           0       \n";
    const struct {
        std::vector<sim::Event> events;
        std::string printed;
    } cases[] = {
        {{command, processed, done}, ""},
        {{event(EventKind::Command, 48, 1, 2), event(EventKind::TriggerProcessed, 12, 0, 2),
          event(EventKind::TriggerDone, 0, 0, 2), command, processed, done},
         "2     1.500     Handshake          48          1       trigger 48 processed in state 12 "
         "(ready), done\n"},
        {{command, processed, event(EventKind::Checksum, 9, 0, 3), done},
         commandLine + processedLine + "3     1.500     Checksum           9           0       \n" +
             doneLine},
        {{command, done}, commandLine + doneLine},
        {{command}, commandLine},
        {{command, event(EventKind::TriggerProcessed, 14, 0, 4),
          event(EventKind::TriggerDone, 0, 0, 4)},
         commandLine + "4     1.500     TriggerProcessed   14          0       running\n" +
             "4     1.500     TriggerDone        0           0       \n"},
        {{event(EventKind::Command, 5, 0, 0), event(EventKind::StateReply, 28, 12, 0)},
         "-     1.500     Command            5           0       state\n"
         "-     1.500     StateReply         28          12      ready\n"},
    };
    const sim::Scenario scenario = scenarioWith("");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        sim::RunResult result;
        result.events = c.events;
        EXPECT_EQ(eventLines(printed(scenario, result, false)), c.printed);
        const std::string full = eventLines(printed(scenario, result, false, true));
        EXPECT_EQ(static_cast<size_t>(std::count(full.begin(), full.end(), '\n')), c.events.size());
        EXPECT_EQ(full.find("Handshake"), std::string::npos);
        const std::string csv = printed(scenario, result, true);
        EXPECT_EQ(csv.rfind("event_step,time,event,value,detail,text\n", 0), 0u);
        EXPECT_EQ(static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')),
                  c.events.size() + 5)
            << "the events, the heads of both tables, two empty lines and the run's line";
    }
    sim::RunResult result;
    result.events = {command, processed, done};
    EXPECT_NE(printed(scenario, result, true).find("\n3,1.500000,Command,40,1,\"\"\n"),
              std::string::npos);
    EXPECT_EQ(eventLines(printed(scenario, result, false, true)),
              commandLine + processedLine + doneLine);
}

// The events of a normal start-up of a life with the start-up states 3 and 11: registration,
// state 0, the component walk connecting one service, the states in order, RUN and ready.
std::vector<sim::Event> normalStartUp() {
    using sim::EventKind;
    const auto event = [](EventKind kind, uint32_t value, uint32_t detail, std::string text = "") {
        return sim::Event{kind, 2.0, value, detail, std::move(text), 1, 2.0, 0};
    };
    return {event(EventKind::Start, 23, 1),
            event(EventKind::Release, 1, 3, "R1"),
            event(EventKind::StartText, 0, 0),
            event(EventKind::Registered, 0, 0),
            event(EventKind::Code, 1, 0),
            event(EventKind::Command, 5, 0),
            event(EventKind::StateReply, 28, 0),
            event(EventKind::Command, 5, 0),
            event(EventKind::ServiceRequested, 0, 0, "S1"),
            event(EventKind::StateReply, 0, 1),
            event(EventKind::Command, 2, 0),
            event(EventKind::StateReply, 28, 1),
            event(EventKind::Command, 5, 0),
            event(EventKind::SupervisionArmed, 0, 0),
            event(EventKind::StateReply, 28, 3),
            event(EventKind::Command, 5, 0),
            event(EventKind::StateReply, 28, 11),
            event(EventKind::Command, 21, 0),
            event(EventKind::SupervisionArmed, 0, 0),
            event(EventKind::StateReply, 28, 12)};
}

// A normal start-up is one line per life in the aligned table; one that differs anywhere (an
// event out of place, a reply or a state not the expected one, a fatal stop, a start-up that
// never reaches ready, a step's event within it) prints every event. The hand-shakes in full
// and CSV print every event.
TEST_F(ScenarioRunnerTest, ANormalStartUpIsOneLinePerLife) {
    const sim::Scenario scenario = scenarioWith("", R"("startUp": [3, 11],)");
    const std::vector<sim::Event> normal = normalStartUp();
    const std::string line =
        "-     2.000     StartUp            23          1       life 1: release \"R1\", 1 service "
        "connected, states 0 1 3 11 12 done, RUN, ready\n";
    // Changes of the normal start-up: (index of the event, what it becomes).
    const auto changed = [&normal](size_t index, uint32_t value, uint32_t detail) {
        std::vector<sim::Event> events = normal;
        events[index].value = value;
        events[index].detail = detail;
        return events;
    };
    std::vector<sim::Event> withFatalStop = normal;
    withFatalStop.insert(withFatalStop.begin() + 14,
                         sim::Event{sim::EventKind::FatalStop, 2.0, 5, 0, "stop", 1, 2.0, 0});
    std::vector<sim::Event> withStepEvent = normal;
    withStepEvent[12].step = 1;
    const std::vector<UnusualEvents> unusual{
        {"a refused state", changed(14, 29, 3)},
        {"another state answered", changed(14, 28, 4)},
        {"a walk reply of another state", changed(9, 0, 3)},
        {"a start without its link", changed(0, 23, 0)},
        {"a release without its link", changed(1, 0, 3)},
        {"an unknown code", changed(4, 7, 0)},
        {"a raw command", changed(5, 99, 0)},
        {"a fatal stop", withFatalStop},
        {"a step's command within the start-up", withStepEvent},
        {"no ready", std::vector<sim::Event>(normal.begin(), normal.end() - 1)},
    };
    sim::RunResult result;
    result.events = normal;
    result.events.insert(result.events.end(), normal.begin(), normal.end());
    std::string twoLives = line + line;
    twoLives.replace(twoLives.find("life 1", line.size()), 6, "life 2");
    EXPECT_EQ(eventLines(printed(scenario, result, false)), twoLives);
    const std::string full = eventLines(printed(scenario, result, false, true));
    EXPECT_EQ(static_cast<size_t>(std::count(full.begin(), full.end(), '\n')), 2 * normal.size());
    const std::string csv = printed(scenario, result, true);
    EXPECT_EQ(csv.find("StartUp"), std::string::npos);
    expectPrintedInFull(scenario, unusual, "StartUp");
}

// A normal shutdown is one line in the aligned table: its command, the armings, the shutdown
// code, state 13 answered as done and the supervision cleared, in one step. One that differs
// (a refused state, another code, an event of another step, no clearing) prints every event;
// the hand-shakes in full and CSV print every event.
TEST_F(ScenarioRunnerTest, ANormalShutdownIsOneLine) {
    using sim::EventKind;
    const auto event = [](EventKind kind, uint32_t value, uint32_t detail, size_t step = 4) {
        return sim::Event{kind, 3.0, value, detail, "", 1, 3.0, step};
    };
    const std::vector<sim::Event> normal{
        event(EventKind::Command, 20, 0), event(EventKind::SupervisionArmed, 0, 0),
        event(EventKind::Code, 25, 0), event(EventKind::StateReply, 0, 13),
        event(EventKind::SupervisionCleared, 0, 0)};
    const auto changed = [&normal](size_t index, const sim::Event& replacement) {
        std::vector<sim::Event> events = normal;
        events[index] = replacement;
        return events;
    };
    const std::vector<UnusualEvents> unusual{
        {"a refused state", changed(3, event(EventKind::StateReply, 29, 13))},
        {"another code", changed(2, event(EventKind::Code, 7, 0))},
        {"an event of another step", changed(2, event(EventKind::Code, 25, 0, 5))},
        {"an arming after the reply", changed(4, event(EventKind::SupervisionArmed, 0, 0))},
        {"no clearing", std::vector<sim::Event>(normal.begin(), normal.end() - 1)},
    };
    const sim::Scenario scenario = scenarioWith("");
    sim::RunResult result;
    result.events = normal;
    EXPECT_EQ(eventLines(printed(scenario, result, false)),
              "4     3.000     Shutdown           20          0       life 0: state 13 done, "
              "supervision cleared\n");
    const std::string full = eventLines(printed(scenario, result, false, true));
    EXPECT_EQ(static_cast<size_t>(std::count(full.begin(), full.end(), '\n')), normal.size());
    EXPECT_EQ(printed(scenario, result, true).find("Shutdown"), std::string::npos);
    expectPrintedInFull(scenario, unusual, "Shutdown");
}

// The texts of the program and the run are echoed escaped and cut, never inside a UTF-8
// sequence: a fatal stop's text in the events and at the end, why the run did not complete, a
// CSV field's quotes doubled.
TEST_F(ScenarioRunnerTest, FatalStopAndIncompleteRunTextsAreEchoedEscapedAndCut) {
    // "é" is two bytes: the 400th byte is the first of one.
    const std::string longText = std::string(399, 'x') + "\xc3\xa9" + std::string(100, 'y');
    const std::string kept = std::string(399, 'x') + "... (102 more bytes)";
    sim::RunResult result;
    result.events = {sim::Event{sim::EventKind::FatalStop, 1.0, 1, 0, longText, 1, 1.0, 2},
                     sim::Event{sim::EventKind::TaskFault, 1.0, 0, 0, "a\nb\x1b\"c\"", 1, 1.0, 2}};
    result.fatalStop = true;
    result.failure = "step 2: \x1b[2J" + longText;
    const sim::Scenario scenario = scenarioWith("");
    const std::string report = printed(scenario, result, false);
    EXPECT_NE(report.find("FatalStop          1           0       " + kept + "\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\nrun incomplete: step 2: \\u001b[2J" + std::string(400 - 12, 'x') +
                          "... (113 more bytes)\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\n  " + kept + "\n  a\\u000ab\\u001b\\\"c\\\"\n"), std::string::npos)
        << report;
    const std::string csv = printed(scenario, result, true);
    EXPECT_NE(csv.find("\n2,1.000000,TaskFault,0,0,\"a\\u000ab\\u001b\\\"\"c\\\"\"\"\n"),
              std::string::npos)
        << csv;
}

// The last line of a report sums the run up.
TEST_F(ScenarioRunnerTest, TheReportEndsWithOneLineThatSumsTheRunUp) {
    const struct {
        const char* steps;
        int failingSlot;
        const char* line;
    } cases[] = {
        {R"({ "command": "cycle", "expect": { "Demo.Out": { "value": 1 } } },
            { "command": "cycle" })",
         -1,
         "run: 1 life, 2 of 2 steps, 1 check passed, 0 failed, 0 fatal stops, exit status 0 "
         "(passed)\n"},
        {R"({ "command": "cycle", "expect": { "Demo.Out": { "value": 5 }, "Demo.In": { "value": 0.5 } } },
            { "command": "restart" }, { "command": "cycle" })",
         -1,
         "run: 2 lives, 3 of 3 steps, 1 check passed, 1 failed, 0 fatal stops, exit status 1 (an "
         "expectation failed)\n"},
        {R"({ "command": "cycle" }, { "command": "cycle" })", 16,
         "run: 1 life, 1 of 2 steps, 0 checks passed, 0 failed, 1 fatal stop, exit status 2 (a "
         "fatal stop)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        sim::Scenario scenario = scenarioWith(c.steps);
        scenario.testProgram.failingSlot = c.failingSlot;
        const sim::RunResult result = sim::runScenario(scenario);
        for (bool csv : {false, true}) {
            const std::string report = printed(scenario, result, csv);
            const std::string last = "\n" + std::string(c.line);
            ASSERT_GE(report.size(), last.size());
            EXPECT_EQ(report.substr(report.size() - last.size()), last) << report;
        }
    }
}

// A value or status that a step sets and the program writes over by the end of the next cycle
// gives a warning naming the setting, the steps and what the node holds; a setting the program
// leaves, or writes with the same value (-0.0 and 0 alike), gives none. A node written over at
// several cycles gives one line, that of its first time, with the count and the last cycle.
TEST_F(ScenarioRunnerTest, SettingsTheProgramWritesOverGiveOneWarningLinePerNode) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "set": { "Demo.In": { "value": 3 }, "Demo.Out": { "value": 7, "change": false } },
             "command": "cycle" },
           { "set": { "Demo.Out": { "value": 6 }, "Demo.Label": { "text": "x" } },
             "command": "cycle" },
           { "set": { "Demo.Out": { "value": -0.0, "status": 4 } } },
           { "set": { "Demo.In": { "value": 0 } } },
           { "command": "cycle" },
           { "set": { "Demo.Out": { "value": -0.0 } }, "command": "cycle" },
           { "set": { "Demo.Out": { "value": 1 } } },
           { "command": "restart" },
           { "command": "cycle" })");
    const sim::RunResult result = runCompleted(scenario);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed);
    const std::vector<std::string> warnings{
        "step 1: set \"Demo.Out\": the program wrote over it by the end of the cycle of step 1 "
        "(\"value\": 7, now 6); 2 cycles in all, the last of step 5"};
    EXPECT_EQ(result.warnings, warnings);
    const std::string report = printed(scenario, result, false);
    EXPECT_NE(report.find("\nwarning: " + warnings[0] + "\n\nrun: "), std::string::npos) << report;
    // The status the cycle of step 5 wrote over is what that cycle counts.
    const sim::RunResult statusOnly = runCompleted(scenarioWith(
        R"({ "set": { "Demo.In": { "value": 0 }, "Demo.Out": { "value": -0.0, "status": 4 } },
             "command": "cycle" })"));
    EXPECT_EQ(statusOnly.warnings, (std::vector<std::string>{
                                       "step 1: set \"Demo.Out\": the program wrote over it by "
                                       "the end of the cycle of step 1 (\"status\": 4, now 0x0)"}));
}

// A parameter reads as the number it holds: an integer with its sign, an unsigned word whole.
TEST(ScenarioChecksTest, ParametersReadAsTheNumbersTheyHold) {
    host::setTreeModelJson(R"({ "name": "Kinds", "root": { "children": [
        { "name": "Count", "kind": "integer", "value": -3, "status": 4 },
        { "name": "Word", "kind": "unsigned", "value": 4000000000 },
        { "name": "Level", "kind": "double", "value": -0.5 } ] } })");
    AsInfo asInfo{};
    ASSERT_EQ(Tarvo_FbDoPrepare(&asInfo), 0) << host::treeModelError();
    const struct {
        const char* path;
        double value;
        uint32_t status;
    } kCases[] = {{"Count", -3.0, 4}, {"Word", 4000000000.0, 0}, {"Level", -0.5, 0}};
    for (const auto& expected : kCases) {
        const sim::OutputValue found = sim::readOutput(expected.path);
        EXPECT_TRUE(found.found) << expected.path;
        EXPECT_EQ(found.value, expected.value) << expected.path;
        EXPECT_EQ(found.status, expected.status) << expected.path;
    }
    host::dropAddressSpaceTree();
    host::setTreeModelJson("");
}

// The checks of display records print a payload as the display reads it: texts as text when the
// pattern gives the code.
TEST(ScenarioChecksTest, DisplayPatternsPrintTextPayloadsAsText) {
    sim::SequenceExpectation<sim::DisplayPattern> expectation;
    expectation.inOrder = {{510, 26, host::text16Payload(u"warning")},
                           {312, 37, std::vector<uint8_t>{'O', '.', 'M', 0}}};
    expectation.absent = {{std::nullopt, std::nullopt, std::vector<uint8_t>{1, 0}},
                          {410, 29, host::u32Payload(1)}};
    const std::vector<sim::CheckResult> results = sim::checkDisplay(
        3, expectation, {host::SentCommand{510, 26, host::text16Payload(u"warning")}});
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].expected,
              "display in order: record item 510 code 26 payload \"warning\", record item 312 "
              "code 37 payload \"O.M\"");
    EXPECT_EQ(results[0].actual,
              "missing from record item 312 code 37 payload \"O.M\" on (1 "
              "recorded)");
    EXPECT_EQ(results[1].expected, "display absent: record payload 0100");
    EXPECT_EQ(results[2].expected, "display absent: record item 410 code 29 payload 01000000");
}

// Each row of the aligned cycle table ends with its step's comment (on the row's line, control
// characters escaped); CSV keeps the values only.
TEST_F(ScenarioRunnerTest, CycleRowsCarryTheirStepsComment) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "comment": "input 3\ndoubled", "set": { "Demo.In": { "value": 3 } },
             "command": "cycle" })");
    const sim::RunResult result = runCompleted(scenario);
    const std::string table = printed(scenario, result, false);
    EXPECT_NE(table.find(".status comment"), std::string::npos) << table;
    EXPECT_NE(table.find("0x0          input 3\\u000adoubled \n"), std::string::npos) << table;
    EXPECT_EQ(printed(scenario, result, true).find("doubled"), std::string::npos);
}

// A check line keeps to its line: texts of the expectation and of the node print escaped.
TEST_F(ScenarioRunnerTest, CheckLinesPrintTextsEscaped) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "set": { "Demo.Label": { "text": "a\nb" } },
             "expect": { "Demo.Label": { "text": "a\u001bb" } } })");
    const std::string report = printed(scenario, runCompleted(scenario), false);
    EXPECT_NE(
        report.find("\nFAILED step 1 Demo.Label text \"a\\u001bb\", got text \"a\\u000ab\"\n"),
        std::string::npos)
        << report;
}

TEST_F(ScenarioRunnerTest, RefusedRegistrationIsAFatalStop) {
    sim::Scenario scenario = scenarioWith("");
    scenario.answerCode = 21;
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_EQ(result.failure, "life 1: the registration did not complete");
    EXPECT_EQ(result.exitCode(), sim::kExitStopped);
}

TEST_F(ScenarioRunnerTest, ScenariosThatCannotRunAreRefusedNamingFileStepAndKey) {
    const struct {
        const char* steps;
        const char* extra;
        const char* message;
    } cases[] = {
        {"", R"("program": "other",)",
         "t.json: \"program\": unknown program \"other\" (known: test)"},
        {R"({ "set": { "Demo.Inn": { "value": 1 } } })", "",
         "t.json: step 1: set \"Demo.Inn\": no such parameter in the tree"},
        {R"({}, { "expect": { "Demo.Outt": { "value": 1 } } })", "",
         "t.json: step 2: expect \"Demo.Outt\": no such parameter"},
        {"", R"("dictionary": "missing-texts.json",)", "t.json: \"dictionary\": "},
        {R"({ "set": { "Demo.In": { "text": "x" } } })", "",
         "step 1: set \"Demo.In\": the parameter cannot take this setting"},
        {R"({ "set": { "Demo.Label": { "value": 1 } } })", "", "set \"Demo.Label\": the parameter"},
        {R"({ "set": { "Demo.In": { "choice": 1 } } })", "", "set \"Demo.In\": the parameter"},
        {R"({ "set": { "Demo": { "status": 1 } } })", "", "set \"Demo\": the parameter"},
        {R"({ "phase": "registered", "set": { "Demo.In": { "value": 1 } } })", "",
         "t.json: step 1: \"set\": the program has no tree in this phase"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        try {
            sim::runScenario(scenarioWith(c.steps, c.extra));
            ADD_FAILURE() << "ran";
        } catch (const sim::ScenarioError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    try {
        sim::runScenario(sim::parseScenario(
            R"({ "tree": "tree.json", "selfInfo": { "basePath": "examples/health-monitor/" },
                 "testProgram": { "useTree": true }, "steps": [] })",
            kExampleFolder, "t.json"));
        ADD_FAILURE() << "ran on a base path that names no folder";
    } catch (const sim::ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("t.json: \"basePath\": no folder \""),
                  std::string::npos)
            << error.what();
    }
    sim::Scenario outputs = scenarioWith("");
    outputs.outputs.push_back("Demo.Nothing");
    EXPECT_THROW(sim::runScenario(outputs), sim::ScenarioError);
    sim::Scenario missingTree = scenarioWith("");
    missingTree.treeFile = "/nonexistent/tree.json";
    EXPECT_THROW(sim::runScenario(missingTree), sim::ScenarioError);
    sim::RunSettings unwritable;
    unwritable.traceLog = "/nonexistent/folder/run.trace";
    EXPECT_THROW(sim::runScenario(scenarioWith(""), unwritable), sim::ScenarioError);
}

TEST_F(ScenarioRunnerTest, SetStepsReachTheChangeCallbackOncePerChange) {
    const sim::RunResult result = runCompleted(scenarioWith(R"(
        { "set": { "Demo.In": { "value": 2 } },
          "expect": { "Demo.Changes": { "value": 1 }, "Demo.In": { "value": 2 } } },
        { "set": { "Demo.In": { "value": 3 }, "Demo.Label": { "text": "x" } },
          "expect": { "Demo.Changes": { "value": 3 } } },
        { "set": { "Demo.In": { "value": 4, "change": false } }, "command": "cycle",
          "expect": { "Demo.Changes": { "value": 3 }, "Demo.Out": { "value": 8 } } },
        { "set": { "Demo.In": { "inUse": false } },
          "expect": { "Demo.Changes": { "value": 4 }, "Demo.In": { "inUse": false } } })"));
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
}

TEST_F(ScenarioRunnerTest, ServiceCommandsCarryDescriptionsAndConnections) {
    const sim::RunResult result = runCompleted(scenarioWith(R"(
        { "command": "connectOffered",
          "service": { "name": "Offered", "activityId": 77, "connections": 1 },
          "events": { "inOrder": [ { "kind": "Command", "value": 1 },
                                   { "kind": "Code", "value": 2 } ] } },
        { "command": "releaseService", "argument": 77,
          "events": { "inOrder": [ { "kind": "Command", "value": 4, "detail": 77 },
                                   { "kind": "ServiceReleased", "value": 77,
                                     "text": "Offered" } ] } },
        { "command": "releaseService", "argument": 77,
          "events": { "absent": [ { "kind": "ServiceReleased" } ] } })"));
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
}

// A step's display expectations look at what the display peer received since the previous step,
// whether or not that step looked; every record still reaches the run's record, in order.
TEST_F(ScenarioRunnerTest, DisplayExpectationsLookAtWhatArrivedSinceThePreviousStep) {
    const sim::RunResult result = runCompleted(scenarioWith(
        R"({ "display": [ { "item": 5, "code": 9, "u32": 1 } ] },
           { "display": [ { "item": 6, "code": 7, "u32": 1 } ],
             "displaySent": { "inOrder": [ { "item": 6, "code": 29, "payload": "07000000" } ],
                              "absent": [ { "item": 5 } ] } },
           { "displaySent": { "absent": [ { "code": 29 } ] } })"));
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
    EXPECT_EQ(result.checks.size(), 3u);
    EXPECT_EQ(result.displaySent, (std::vector<std::string>{"5 29 09000000", "6 29 07000000"}));
}

TEST_F(ScenarioRunnerTest, StepsRunBeforeDuringAndAfterTheStartUp) {
    const sim::RunResult result = runCompleted(scenarioWith(
        R"({ "phase": "registered",
             "events": { "inOrder": [ { "kind": "Registered" } ],
                         "absent": [ { "kind": "StateReply" } ] } },
           { "phase": 0, "events": { "inOrder": [ { "kind": "StateReply", "detail": 0 } ] } },
           { "phase": 3, "events": { "inOrder": [ { "kind": "StateReply", "value": 28,
                                                   "detail": 3 } ] } },
           { "phase": 8, "display": [ { "item": 5, "code": 9, "u32": 1 } ],
             "displaySent": { "inOrder": [ { "item": 5, "code": 29, "payload": "09000000" } ] },
             "events": { "inOrder": [ { "kind": "StateReply", "value": 24, "detail": 9 } ] } },
           { "phase": 15, "command": "cycle", "expect": { "Demo.Out": { "value": 1 } },
             "events": { "inOrder": [ { "kind": "StateReply", "value": 41, "detail": 10 },
                                      { "kind": "StateReply", "value": 46, "detail": 15 },
                                      { "kind": "TriggerDone" } ] } },
           { "phase": 18, "events": { "inOrder": [ { "kind": "StateReply", "value": 49,
                                                    "detail": 18 } ] } },
           { "events": { "inOrder": [ { "kind": "Command", "value": 21 },
                                      { "kind": "StateReply", "detail": 12 } ] } })",
        R"("startUp": [3, 17, 4, 5, 16, 7, 9, 8, 10, 11, 15, 18],)"));
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
    EXPECT_EQ(result.checks.size(), 10u);
}

TEST_F(ScenarioRunnerTest, RestartFindsTheFilesOfTheFirstLife) {
    const sim::RunResult result = runCompleted(scenarioWith(R"(
        { "set": { "Demo.In": { "value": 3 } }, "command": "cycle",
          "expect": { "Demo.Out": { "value": 6 } },
          "files": { "saved.txt": { "exists": false } } },
        { "write": { "par/param.new": { "text": "p" } }, "advance": 5,
          "command": "restart",
          "files": { "saved.txt": { "size": 2, "bytes": "360a" },
                     "par/param.new": { "exists": true } } },
        { "phase": 11, "expect": { "Demo.Restored": { "value": 6 } } },
        { "files": { "par/param.new": { "exists": false } },
          "events": { "inOrder": [ { "kind": "Command", "value": 21 } ] } })"));
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
    EXPECT_EQ(result.lives, 2u);
    double lastTime = 0.0;
    size_t registrations = 0;
    for (const sim::Event& event : result.events) {
        EXPECT_GE(event.time, lastTime) << "time goes on across the restart";
        lastTime = event.time;
        registrations += event.kind == sim::EventKind::Registered ? 1 : 0;
    }
    EXPECT_EQ(registrations, 2u);
    EXPECT_GE(lastTime, 5.0);
}

// A restart keeps every node's value, status and text, and the change callback of the next
// life (not the ended one's) gets the changes; "freshTree" starts over from the model.
TEST_F(ScenarioRunnerTest, RestartKeepsTheTreeUnlessAFreshOneIsAsked) {
    const struct {
        const char* freshTree;
        const char* expectations;
    } cases[] = {
        {"false", R"("Demo.Out": { "value": 6, "status": 8 }, "Demo.Changes": { "value": 2 },
                     "Demo.Label": { "text": "kept" })"},
        {"true", R"("Demo.Out": { "value": 1, "status": 0 }, "Demo.Changes": { "value": 1 },
                    "Demo.Label": { "text": "" })"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.freshTree);
        const sim::RunResult result = runCompleted(scenarioWith(std::string(R"(
            { "set": { "Demo.In": { "value": 3, "status": 8, "change": false },
                       "Demo.Label": { "text": "kept" } },
              "command": "cycle" },
            { "command": "restart", "freshTree": )") + c.freshTree +
                                                                R"( },
            { "phase": 11, "set": { "Demo.Unit": { "choice": 1 } } },
            { "command": "cycle", "expect": { )" + c.expectations +
                                                                " } }"));
        EXPECT_EQ(result.lives, 2u);
        EXPECT_EQ(result.checks.size(), 3u);
        EXPECT_TRUE(failedChecks(result).empty()) << failedChecks(result).front();
    }
}

// NaN, the infinities and -0.0 reach the program as set; an expected NaN or infinity holds only
// for the same non-finite value.
TEST_F(ScenarioRunnerTest, NonFiniteInputsReachTheProgram) {
    const struct {
        const char* input;
        const char* expected;
        bool passes;
    } cases[] = {
        {R"("NaN")", R"("NaN")", true},
        {R"("Infinity")", R"("Infinity")", true},
        {R"("-Infinity")", R"("-Infinity")", true},
        {R"("Infinity")", R"("-Infinity")", false},
        {R"("NaN")", "0", false},
        {"1", R"("NaN")", false},
        {"-0.0", "0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " " + c.expected);
        const sim::RunResult result = runCompleted(
            scenarioWith(std::string(R"({ "set": { "Demo.In": { "value": )") + c.input +
                         R"( } }, "command": "cycle", "expect": { "Demo.Out": { "value": )" +
                         c.expected + " } } }"));
        ASSERT_EQ(result.checks.size(), 1u);
        EXPECT_EQ(result.checks[0].passed, c.passes) << result.checks[0].actual;
    }
    const sim::RunResult negativeZero = runCompleted(
        scenarioWith(R"({ "set": { "Demo.In": { "value": -0.0 } }, "command": "cycle" })"));
    ASSERT_EQ(negativeZero.rows.size(), 1u);
    EXPECT_TRUE(std::signbit(negativeZero.rows[0].outputs[0].value));
}

// The run's one check that no trace point at or below a level was written: the start-up's
// points of level 5 fail it at 5 and pass it at 4.
TEST_F(ScenarioRunnerTest, NoTraceUpToALevelIsCheckedOverTheWholeRun) {
    for (const uint32_t level : {4u, 5u}) {
        SCOPED_TRACE(level);
        const sim::RunResult result = runCompleted(scenarioWith(
            R"({ "command": "cycle" }, { "command": "restart" }, { "command": "cycle" })",
            R"("noTraceUpToLevel": )" + std::to_string(level) + ","));
        ASSERT_EQ(result.checks.size(), 1u);
        EXPECT_EQ(result.checks[0].step, 3u);
        EXPECT_EQ(result.checks[0].passed, level == 4u) << result.checks[0].actual;
        EXPECT_NE(result.checks[0].expected.find("level " + std::to_string(level)),
                  std::string::npos);
    }
}

TEST_F(ScenarioRunnerTest, RestartAsTheLastStepStartsAndShutsDownTheNextLife) {
    const sim::RunResult result = runCompleted(scenarioWith(R"({ "command": "restart" })"));
    EXPECT_EQ(result.lives, 2u);
    size_t shutdowns = 0;
    for (const sim::Event& event : result.events) {
        shutdowns += event.kind == sim::EventKind::Code && event.value == 25 ? 1 : 0;
    }
    EXPECT_EQ(shutdowns, 2u);
}

TEST_F(ScenarioRunnerTest, FilesAreLaidOutInAFreshCopyUnlessKept) {
    const std::string steps = R"({ "phase": 17, "files": { "par/param.new": { "exists": true },
                                              "README.txt": { "exists": true } } },
                                 { "command": "shutdown",
                                   "files": { "saved.txt": { "exists": true } } })";
    const std::string layout = R"("files": { "par/param.new": { "text": "p" } },)";
    const sim::RunResult copied = runCompleted(scenarioWith(steps, layout));
    EXPECT_EQ(copied.exitCode(), sim::kExitPassed) << failedChecks(copied).front();
    EXPECT_FALSE(std::filesystem::exists(kExampleFolder + "/data/saved.txt"))
        << "the scenario's own folder is left alone";
    EXPECT_FALSE(std::filesystem::exists(kExampleFolder + "/data/par"));

    const std::string kept = scratch.pathOf("kept/");
    std::filesystem::create_directories(kept);
    { std::ofstream(kept + "README.txt") << "kept"; }
    sim::Scenario keeping = scenarioWith(steps, layout + R"("keepFiles": true,)");
    keeping.baseFolder = kept;
    const sim::RunResult result = runCompleted(keeping);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << failedChecks(result).front();
    EXPECT_TRUE(std::filesystem::exists(kept + "saved.txt")) << "the run's files stay";
}

TEST_F(ScenarioRunnerTest, WorkFolderIsEmptyWithoutABasePathAndNeverCopiesItsOwnParent) {
    const sim::Scenario empty = sim::parseScenario(
        R"({ "steps": [ { "files": { "README.txt": { "exists": false } } } ] })", kExampleFolder);
    EXPECT_EQ(runCompleted(empty).exitCode(), sim::kExitPassed);

    // TMPDIR is the folder "tmp" of the test's folder: a base path naming it is refused.
    const std::string folder = scratch.temporaries();
    const sim::Scenario parent =
        sim::parseScenario(R"({ "selfInfo": { "basePath": "./" } })", folder, "p.json");
    try {
        sim::runScenario(parent);
        ADD_FAILURE() << "ran";
    } catch (const sim::ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("p.json: \"basePath\": the base folder"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(scratch.temporariesLeft(), 0u) << "the temporary folder is removed";
}

TEST_F(ScenarioRunnerTest, LongAdvanceKeepsOneEventPerStretchOfArmings) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "advance": 3600, "events": { "absent": [ { "kind": "SupervisionExpired" } ] } })");
    sim::RunSettings settings;
    settings.traceLog = scratch.pathOf("long_advance.trace");
    const sim::RunResult result = sim::runScenario(scenario, settings);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed);
    std::vector<uint8_t> log;
    ASSERT_TRUE(sim::readFileBytes(settings.traceLog, &log));
    EXPECT_GT(std::count(log.begin(), log.end(), '\n'), 5);
    EXPECT_LT(std::count(log.begin(), log.end(), '\n'), 100) << "no line per second by default";
    ASSERT_LT(result.events.size(), 60u);
    uint32_t armings = 0;
    for (const sim::Event& event : result.events) {
        if (event.kind == sim::EventKind::SupervisionArmed) {
            armings += event.repeats;
            EXPECT_LE(event.time, event.lastTime);
        }
    }
    EXPECT_EQ(armings, 3602u) << "RUN, every second, and the shutdown";
    const std::string text = printed(scenario, result, false);
    EXPECT_NE(text.find("3600 armings, the last at 3600.000"), std::string::npos) << text;
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 80);
}

TEST_F(ScenarioRunnerTest, ProgramsAreChosenByNameFromTheRunnersTable) {
    static std::atomic<int> otherStarts{0};
    sim::RunSettings settings;
    settings.programs = {{"test", sim::testProgramMain}, {"other", [] {
                                                              ++otherStarts;
                                                              return sim::testProgramMain();
                                                          }}};
    sim::Scenario scenario = scenarioWith(R"({ "command": "cycle" })", R"("program": "other",)");
    EXPECT_EQ(sim::runScenario(scenario, settings).exitCode(), sim::kExitPassed);
    EXPECT_EQ(otherStarts.load(), 1);
    settings.program = "test";
    EXPECT_EQ(sim::runScenario(scenario, settings).exitCode(), sim::kExitPassed);
    EXPECT_EQ(otherStarts.load(), 1) << "the command line's choice wins";
    // A scenario that names no program runs the first of the table: the executable's own.
    settings.program.clear();
    std::swap(settings.programs.front(), settings.programs.back());
    EXPECT_EQ(sim::runScenario(scenarioWith(R"({ "command": "cycle" })"), settings).exitCode(),
              sim::kExitPassed);
    EXPECT_EQ(otherStarts.load(), 2);
}

// Starts the test program with `hooks` as its default hook set; returns when it could not start.
int startTestProgramWith(const SysManHookTable* hooks) {
    SysManRegisterDefaultHooks(hooks);
    SysManStartDefault(nullptr, nullptr, nullptr, sim::testStartTable(), 0);
    return 1;
}

// A program with a hook set of its own: the test hooks without the process hook.
int quietProgramMain() {
    static SysManHookTable quiet = sim::testHooks();
    quiet.onProcess = nullptr;
    return startTestProgramWith(&quiet);
}

TEST_F(ScenarioRunnerTest, ProgramsLinkedTogetherEachStartWithTheirOwnHooks) {
    sim::RunSettings settings;
    settings.programs = {{"test", sim::testProgramMain}, {"quiet", quietProgramMain}};
    const sim::Scenario scenario = scenarioWith(
        R"({ "set": { "Demo.In": { "value": 2 } }, "command": "cycle",
             "expect": { "Demo.Out": { "value": 4 } } })");
    for (const char* name : {"test", "quiet", "test", "quiet"}) {
        SCOPED_TRACE(name);
        settings.program = name;
        const sim::RunResult result = sim::runScenario(scenario, settings);
        EXPECT_TRUE(result.completed) << result.failure;
        EXPECT_EQ(result.exitCode(),
                  std::string(name) == "test" ? sim::kExitPassed : sim::kExitExpectationFailed);
    }
}

// The test program whose tree is gone at its first cycle and made again from the model at its
// next.
std::atomic<int> cyclesOfTreeDropper{0};
int dropTreeAtFirstCycle(AsInfo* /*pAsInfo*/) {
    if (cyclesOfTreeDropper++ == 0) {
        host::dropAddressSpaceTree();
        return 0;
    }
    return Tarvo_TreeStart(0);
}
int treeDropperMain() {
    static SysManHookTable dropping = sim::testHooks();
    dropping.onProcess = dropTreeAtFirstCycle;
    return startTestProgramWith(&dropping);
}

// A setting in an unselected alternative is warned of at the next cycle; a cycle without a tree
// to check it against forgets it, so that no later cycle blames it.
TEST_F(ScenarioRunnerTest, ACycleWithoutATreeForgetsTheSettingsInAlternatives) {
    const sim::Scenario scenario = scenarioWith(
        R"({ "set": { "Demo.Unit.Imperial": { "inUse": false } }, "command": "cycle" },
           { "command": "cycle" })");
    const std::vector<std::string> warned{
        "step 1: set \"Demo.Unit.Imperial\" at the cycle of step 1: it lies in "
        "\"Demo.Unit.Imperial\", an alternative the choice \"Demo.Unit\" does not select (it "
        "selects \"Demo.Unit.Metric\"); the program does not read it"};
    EXPECT_EQ(runCompleted(scenario).warnings, warned);
    sim::RunSettings settings;
    settings.programs = {{"dropping", treeDropperMain}};
    cyclesOfTreeDropper = 0;
    const sim::RunResult result = sim::runScenario(scenario, settings);
    EXPECT_TRUE(result.completed) << result.failure;
    EXPECT_EQ(cyclesOfTreeDropper.load(), 2) << "the tree is gone in the cycle of step 1 alone";
    EXPECT_EQ(result.warnings, std::vector<std::string>());
}

struct CommandLineRun {
    int code;
    std::string out;
    std::string errors;
};

// runnerMain of the test address space with `executable` and `arguments` as its command line.
CommandLineRun runCommandLine(const std::string& executable,
                              const std::vector<std::string>& arguments,
                              const std::string& demoScenario = "") {
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int code = sim::runnerMain(static_cast<int>(argv.size()), argv.data(),
                                     sim::defaultPrograms(), demoScenario);
    std::string out = ::testing::internal::GetCapturedStdout();
    return CommandLineRun{code, std::move(out), ::testing::internal::GetCapturedStderr()};
}

// The runner's exit codes: one line on stderr names what is wrong with bad input.
TEST(RunnerCommandLineTest, ExitCodesKeepBadInputApart) {
    TestFolder scratch;
    scratch.holdTemporaries();
    const std::string badFile = scratch.pathOf("bad_scenario.json");
    { std::ofstream(badFile) << R"({ "steps": [ { "comand": "cycle" } ] })"; }
    // Scenarios whose event or display expectation fails.
    const std::string base = scratch.pathOf("failing");
    const std::string tree = "\"" + kExampleFolder + "/tree.json\"";
    const std::string eventFile = base + "_event.json";
    const std::string displayFile = base + "_display.json";
    const std::string displayStateFile = base + "_display_state.json";
    // Scenarios refused before the run: a taste whose tree does not fit it, an output naming a
    // structure, a key holding a control character.
    const std::string tasteFile = base + "_taste.json";
    const std::string structureFile = base + "_structure.json";
    const std::string controlFile = base + "_control.json";
    {
        std::ofstream(tasteFile) << R"({ "taste": "ZM1", "tree": ")" << REPOSITORY_DIR
                                 << R"(/gascalc/model/CalorantDefault.json", "steps": [] })";
        std::ofstream(structureFile)
            << R"({ "tree": )" << tree << R"(, "outputs": ["Demo"], "steps": [] })";
        std::ofstream(controlFile) << R"({ "steps": [ { "com\nmand\u001b": "cycle" } ] })";
        std::ofstream(eventFile) << R"({ "tree": )" << tree
                                 << R"(, "steps": [ { "command": "process",
            "events": { "inOrder": [ { "kind": "TriggerDone" } ] } } ] })";
        std::ofstream(displayFile)
            << R"({ "tree": )" << tree << R"(, "steps": [ { "display": [ { "item": 1, "code": 2 } ],
            "displaySent": { "inOrder": [ { "item": 1, "code": 28 } ] } } ] })";
        std::ofstream(displayStateFile)
            << R"({ "tree": )" << tree << R"(, "steps": [ { "display": [ { "item": 1, "code": 2 } ],
            "displayState": { "1": { "hidden": true } } } ] })";
    }
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {{kExample}, sim::kExitPassed, ""},
        {{eventFile}, sim::kExitExpectationFailed, ""},
        {{displayFile}, sim::kExitExpectationFailed, ""},
        {{displayStateFile}, sim::kExitExpectationFailed, ""},
        {{badFile}, sim::kExitBadInput, badFile + ": step 1: \"comand\": unknown key\n"},
        {{tasteFile},
         sim::kExitBadInput,
         tasteFile + ": \"taste\": \"ZM1\" needs a tree of the ZM1 layout"},
        {{structureFile},
         sim::kExitBadInput,
         structureFile + ": \"outputs\" \"Demo\": a structure node, which holds no number; "
                         "name its leaves: Demo.In, Demo.Out, Demo.Changes, Demo.Restored\n"},
        {{controlFile},
         sim::kExitBadInput,
         controlFile + ": step 1: \"com\\u000amand\\u001b\": unknown key\n"},
        {{"/nonexistent.json"}, sim::kExitBadInput, "/nonexistent.json: cannot read"},
        {{kExample, "--program", "none"}, sim::kExitBadInput, "unknown program \"none\""},
        {{kExample, "--trace", "/nonexistent/t.trace"}, sim::kExitBadInput, "--trace: cannot"},
        {{kExample, "--unknown"}, sim::kExitBadInput, ""},
        {{}, sim::kExitBadInput, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments[0]);
        const CommandLineRun run = runCommandLine("scenario_runner", c.arguments);
        EXPECT_EQ(run.code, c.exitCode);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        if (c.exitCode == sim::kExitBadInput && !c.message.empty()) {
            EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        }
    }
}

// A program's own binary: without a scenario it runs its demo scenario; with one, that one.
// Messages carry the binary's name.
TEST(RunnerCommandLineTest, AProgramBinaryRunsItsDemoScenarioWhenGivenNone) {
    TestFolder scratch;
    scratch.holdTemporaries();
    const struct {
        std::vector<std::string> arguments;
        std::string demo;
        int exitCode;
        std::string message;
        std::string printed;
    } cases[] = {
        {{}, kExample, sim::kExitPassed, "", "Demo.Restored"},
        {{}, kExample, sim::kExitPassed, "", "\nrun: 2 lives, "},
        {{}, kExample, sim::kExitPassed, "", "StartUp            23          1       life 1: "},
        {{"--handshake"}, kExample, sim::kExitPassed, "", "TriggerDone"},
        {{"--csv"}, kExample, sim::kExitPassed, "", "step,time,command,Demo.Out"},
        {{"/nonexistent.json"}, kExample, sim::kExitBadInput, "Demo-Prog: /nonexistent.json", ""},
        {{}, "/nonexistent-demo.json", sim::kExitBadInput, "Demo-Prog: /nonexistent-demo.json", ""},
        {{}, "", sim::kExitBadInput, "scenario is required", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.demo + (c.arguments.empty() ? "" : " " + c.arguments[0]));
        const CommandLineRun run = runCommandLine("/some/where/Demo-Prog", c.arguments, c.demo);
        EXPECT_EQ(run.code, c.exitCode);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;
    }
}

}  // namespace
