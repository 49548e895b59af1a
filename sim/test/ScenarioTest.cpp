// Reading scenario files: the keys, their defaults, and the refusal of bad input with one line
// naming the file, the step and the key.
#include <gtest/gtest.h>

#include <limits>

#include <cmath>

#include <fstream>
#include <stdexcept>

#include "AsInfo.h"
#include "ProgramRegistry.h"
#include "RunnerCommandLine.h"
#include "Scenario.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestFolder.h"

using sim::parseScenario;

TEST(ScenarioTest, DefaultsAndFilesRelativeToTheScenario) {
    const sim::Scenario scenario = parseScenario(
        R"({ "tree": "t.json", "dictionary": "/abs/d.json", "selfInfo": { "basePath": "d/" } })",
        "/scenarios");
    EXPECT_EQ(scenario.program, "") << "the executable's own program";
    EXPECT_EQ(scenario.self.mode, 3u);
    EXPECT_EQ(scenario.answerCode, 22u);
    EXPECT_EQ(scenario.treeFile, "/scenarios/t.json");
    EXPECT_EQ(scenario.dictionaryFile, "/abs/d.json");
    EXPECT_EQ(scenario.baseFolder, "/scenarios/d/");
    EXPECT_EQ(parseScenario("{}", "/scenarios").baseFolder, "") << "no base folder to copy";
    EXPECT_EQ(scenario.startUpStates, sim::kStartUpStates);
    EXPECT_FALSE(scenario.keepFiles);
    EXPECT_TRUE(scenario.shutdown);
    EXPECT_TRUE(scenario.steps.empty());
}

TEST(ScenarioTest, CommandsMapToTheirCodesAndArguments) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [
        { "command": "cycle" }, { "command": "cycle", "argument": 33 },
        { "command": "process" }, { "command": "flag", "argument": 9 },
        { "command": "command50", "argument": 4 }, { "command": "run" },
        { "command": "shutdown" }, { "command": "trigger", "code": 48, "argument": 2 },
        { "command": "trigger", "code": 51, "argument": 17 }, { "command": "raw", "code": 6 },
        { "command": "state" }, { "command": "connectOffered" },
        { "command": "connectStarted" }, { "command": "connectStartedQuiet" },
        { "command": "releaseService", "argument": 7 }, { "command": "restart" } ] })",
                                                 "");
    const struct {
        uint32_t code;
        uint32_t argument;
        bool cycle;
        bool service;
    } expected[] = {
        {40, 1, true, false},  {40, 33, true, false}, {43, 0, true, false},  {42, 9, false, false},
        {50, 4, false, false}, {21, 0, false, false}, {20, 0, false, false}, {48, 2, false, false},
        {51, 17, true, false}, {6, 0, false, false},  {5, 0, false, false},  {1, 0, false, true},
        {2, 0, false, true},   {3, 0, false, true},   {4, 7, false, false},  {0, 0, false, false}};
    ASSERT_EQ(scenario.steps.size(), std::size(expected));
    for (size_t i = 0; i < scenario.steps.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(scenario.steps[i].command);
        EXPECT_EQ(scenario.steps[i].command->code, expected[i].code);
        EXPECT_EQ(scenario.steps[i].command->argument, expected[i].argument);
        EXPECT_EQ(scenario.steps[i].command->isCycle(), expected[i].cycle);
        EXPECT_EQ(scenario.steps[i].command->isService(), expected[i].service);
        EXPECT_EQ(scenario.steps[i].command->isRestart(), i + 1 == scenario.steps.size());
        EXPECT_EQ(scenario.steps[i].number, i + 1);
    }
}

TEST(ScenarioTest, ServiceCommandsCarryTheirDescription) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [
        { "command": "connectOffered",
          "service": { "name": "Offered", "activityId": 77, "connections": 1 } },
        { "command": "connectStarted", "service": { "name": "S" } } ] })",
                                                 "");
    const sim::ServiceOffer& first = scenario.steps[0].command->service;
    EXPECT_EQ(first.name, "Offered");
    EXPECT_EQ(first.activityId, 77u);
    EXPECT_EQ(first.connections, 1u);
    EXPECT_EQ(scenario.steps[1].command->service.connections, 2u) << "both by default";
}

TEST(ScenarioTest, StepSettingsDisplayTimeFilesAndExpectations) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [ {
        "write": { "par/param.new": { "text": "p" }, "b.bin": { "hex": "00ff" } },
        "set": { "A.B": { "value": 1.5, "status": 8, "inUse": false, "change": false },
                 "A.T": { "text": "zone" }, "A.C": { "choice": 1 } },
        "display": [ { "item": 100, "code": 2, "u32": 258 }, { "item": 3, "code": 26, "text": "ab" } ],
        "advance": 2.5, "command": "cycle", "cycleData": [258],
        "expect": { "A.C": { "value": 3, "tolerance": 0.01, "status": 0 },
                    "A.T": { "text": "zone" }, "A.U": { "choice": 0, "inUse": true } },
        "events": { "inOrder": [ { "kind": "StateReply", "value": 28, "detail": 12 } ],
                    "absent": [ { "kind": "FatalStop" } ] },
        "displaySent": { "inOrder": [ { "item": 100, "code": 29, "payload": "0A0b" } ] },
        "files": { "x.dat": { "exists": true, "size": 4, "offset": 2, "bytes": "0102" },
                   "gone": { "exists": false } } } ] })",
                                                 "");
    const sim::Step& step = scenario.steps.at(0);
    ASSERT_EQ(step.write.size(), 2u);
    EXPECT_EQ(step.write[0].path, "b.bin");
    EXPECT_EQ(step.write[0].bytes, (std::vector<uint8_t>{0x00, 0xff}));
    EXPECT_EQ(step.write[1].bytes, (std::vector<uint8_t>{'p'}));
    ASSERT_EQ(step.inputs.size(), 3u);
    EXPECT_EQ(step.inputs[0].path, "A.B");
    EXPECT_EQ(step.inputs[0].value, 1.5);
    EXPECT_EQ(step.inputs[0].status, 8u);
    EXPECT_EQ(step.inputs[0].inUse, false);
    EXPECT_FALSE(step.inputs[0].change);
    EXPECT_EQ(step.inputs[1].choice, 1u);
    EXPECT_TRUE(step.inputs[1].change) << "changes are delivered by default";
    EXPECT_EQ(step.inputs[2].text, "zone");
    ASSERT_EQ(step.display.size(), 2u);
    EXPECT_EQ(step.display[0].payload, (std::vector<uint8_t>{2, 1, 0, 0}));
    EXPECT_EQ(step.display[1].payload, (std::vector<uint8_t>{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(step.advanceSeconds, 2.5);
    EXPECT_EQ(step.command->cycleData, (std::vector<uint8_t>{2, 1, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(step.expectations.size(), 3u);
    EXPECT_EQ(step.expectations[0].tolerance, 0.01);
    EXPECT_EQ(step.expectations[0].status, 0u);
    EXPECT_EQ(step.expectations[1].text, "zone");
    EXPECT_EQ(step.expectations[2].choice, 0u);
    EXPECT_EQ(step.expectations[2].inUse, true);
    ASSERT_EQ(step.events.inOrder.size(), 1u);
    EXPECT_EQ(step.events.inOrder[0].kind, sim::EventKind::StateReply);
    EXPECT_EQ(step.events.inOrder[0].detail, 12u);
    EXPECT_EQ(step.events.absent.at(0).kind, sim::EventKind::FatalStop);
    EXPECT_EQ(step.displaySent.inOrder.at(0).payload, (std::vector<uint8_t>{0x0a, 0x0b}));
    ASSERT_EQ(step.files.size(), 2u);
    EXPECT_EQ(step.files[0].exists, false);
    EXPECT_EQ(step.files[1].size, 4u);
    EXPECT_EQ(step.files[1].offset, 2u);
}

TEST(ScenarioTest, DisplayContextAndDisplayStateExpectations) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [
        { "displayContext": "Calorant.I1.PP.PP_5", "display": [ { "item": 64000, "code": 3 } ],
          "displayState": {
            "64101": { "list": true, "entries": ["Pressure", "\u00b0C"], "selection": -1 },
            "64202": { "bind": "Lines.L1_1" }, "64205": { "text": "in use" },
            "2000": { "languageKey": "SGERG_LR", "hidden": false, "enabled": true },
            "4294967295": { "key": "" } } },
        { "displayContext": null }, {} ] })",
                                                 "");
    const sim::Step& first = scenario.steps.at(0);
    EXPECT_TRUE(first.setsDisplayContext);
    EXPECT_EQ(first.displayContext, "Calorant.I1.PP.PP_5");
    ASSERT_EQ(first.displayState.size(), 5u);
    // Ordered by the key's text, as JSON objects are read.
    const sim::DisplayItemExpectation& label = first.displayState[0];
    EXPECT_EQ(label.itemId, 2000u);
    EXPECT_EQ(label.languageTextKey, "SGERG_LR");
    EXPECT_EQ(label.hidden, false);
    EXPECT_EQ(label.enabled, true);
    EXPECT_FALSE(label.boundParameter || label.text || label.textKey || label.isList ||
                 label.entries || label.selection);
    EXPECT_EQ(first.displayState[1].itemId, 4294967295u);
    EXPECT_EQ(first.displayState[1].textKey, "");
    const sim::DisplayItemExpectation& list = first.displayState[2];
    EXPECT_EQ(list.itemId, 64101u);
    EXPECT_EQ(list.isList, true);
    EXPECT_EQ(list.entries, (std::vector<std::u16string>{u"Pressure", u"\u00b0C"}));
    EXPECT_EQ(list.selection, -1);
    EXPECT_EQ(first.displayState[3].boundParameter, "Lines.L1_1");
    EXPECT_EQ(first.displayState[4].text, u"in use");
    EXPECT_TRUE(scenario.steps[1].setsDisplayContext);
    EXPECT_EQ(scenario.steps[1].displayContext, std::nullopt) << "null: no context";
    EXPECT_FALSE(scenario.steps[2].setsDisplayContext);
}

// The longest text a display record holds is read; the non-finite values as the tree model
// writes them, and -0.0 with its sign.
TEST(ScenarioTest, LongestDisplayTextAndNonFiniteValuesAreRead) {
    const sim::Scenario scenario =
        sim::parseScenario(R"({ "steps": [ { "display": [ { "item": 1, "code": 26, "text": ")" +
                               std::string(743, 'x') + R"(" } ],
            "set": { "A": { "value": "NaN" }, "B": { "value": "Infinity" },
                     "C": { "value": "-Infinity" }, "D": { "value": -0.0 } },
            "expect": { "A": { "value": "NaN" } } } ] })",
                           "", "s.json");
    const sim::Step& step = scenario.steps.at(0);
    EXPECT_EQ(step.display.at(0).payload.size(), 1488u);
    ASSERT_EQ(step.inputs.size(), 4u);
    EXPECT_TRUE(std::isnan(*step.inputs[0].value));
    EXPECT_EQ(*step.inputs[1].value, std::numeric_limits<double>::infinity());
    EXPECT_EQ(*step.inputs[2].value, -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(*step.inputs[3].value == 0.0 && std::signbit(*step.inputs[3].value));
    EXPECT_TRUE(std::isnan(*step.expectations.at(0).value));
}

TEST(ScenarioTest, DisplayTextsAreReadAsUtf8) {
    const sim::Scenario scenario = parseScenario(
        R"({ "steps": [ { "display": [ { "item": 3, "code": 29, "text": "\u00b0C" } ] } ] })", "");
    EXPECT_EQ(scenario.steps.at(0).display.at(0).payload,
              (std::vector<uint8_t>{0xb0, 0, 'C', 0, 0, 0}))
        << "one UTF-16 character for the two UTF-8 bytes of the degree sign";
}

TEST(ScenarioTest, PhasesFollowTheStartUpOfEachLife) {
    const sim::Scenario scenario = parseScenario(R"({ "startUp": [3, 4, 6, 11], "steps": [
        { "phase": "registered" }, { "phase": 0 }, { "phase": 1 }, { "phase": 4 },
        { "phase": 4 }, { "phase": 11 }, {}, { "command": "restart" },
        { "phase": "registered" }, { "phase": "run" } ] })",
                                                 "");
    const struct {
        sim::PhaseKind kind;
        uint32_t state;
        size_t rank;
    } expected[] = {
        {sim::PhaseKind::Registered, 0, 0}, {sim::PhaseKind::AfterState, 0, 1},
        {sim::PhaseKind::AfterState, 1, 2}, {sim::PhaseKind::AfterState, 4, 4},
        {sim::PhaseKind::AfterState, 4, 4}, {sim::PhaseKind::AfterState, 11, 6},
        {sim::PhaseKind::Run, 0, 7},        {sim::PhaseKind::Run, 0, 7},
        {sim::PhaseKind::Registered, 0, 0}, {sim::PhaseKind::Run, 0, 7},
    };
    ASSERT_EQ(scenario.steps.size(), std::size(expected));
    for (size_t i = 0; i < scenario.steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(scenario.steps[i].phase.kind, expected[i].kind);
        EXPECT_EQ(scenario.steps[i].phase.state, expected[i].state);
        EXPECT_EQ(scenario.steps[i].phase.rank, expected[i].rank);
    }
}

// Each mistake is refused with one line naming the file, the place and the key.
TEST(ScenarioTest, BadInputIsRefusedNamingFileStepAndKey) {
    const struct {
        std::string json;
        const char* message;
    } cases[] = {
        {R"({ "steps": [ { "comand": "cycle" } ] })", "s.json: step 1: \"comand\": unknown key"},
        {R"({ "tre": "t.json" })", "s.json: \"tre\": unknown key"},
        {R"({ "selfInfo": { "basePath": "/" } })",
         "s.json: selfInfo: \"basePath\": must be relative to the scenario's folder"},
        {R"({ "selfInfo": { "mode": 1e20 } })", "selfInfo: \"mode\": must be a whole number"},
        {R"({ "selfInfo": { "mode": -1 } })", "selfInfo: \"mode\": must be a whole number"},
        {R"({ "selfInfo": { "language": 256 } })",
         "\"language\": must be a whole number from 0 to 255"},
        {R"({ "language": 1e10 })", "s.json: \"language\": must be a whole number from 0 to 255"},
        {R"({ "instance": 1.5 })", "\"instance\": must be a whole number"},
        {R"({ "answerCode": 4294967296 })", "\"answerCode\": must be a whole number"},
        {R"({ "runCycleData": [1e30] })", "\"runCycleData\": must be an array of up to 3 whole"},
        {R"({ "runCycleData": [-1] })", "\"runCycleData\": must be an array of up to 3 whole"},
        {R"({ "runCycleData": [1, 2, 3, 4] })", "\"runCycleData\": must be an array of up to 3"},
        {R"({ "runCycleData": 5 })", "\"runCycleData\": must be an array"},
        {R"({ "steps": [ { "command": "trigger", "code": 1e10 } ] })",
         "step 1: \"code\": must be a whole number from 0 to 4294967295"},
        {R"({ "steps": [ { "command": "trigger" } ] })", "step 1: \"code\": is needed"},
        {R"({ "steps": [ { "command": "cycle", "code": 40 } ] })",
         "step 1: \"code\": belongs only"},
        {R"({ "steps": [ { "argument": 1 } ] })", "step 1: \"argument\": belongs to a \"command\""},
        {R"({ "steps": [ { "command": "cycle", "argument": -3 } ] })", "step 1: \"argument\""},
        {R"({ "steps": [ { "command": "cycle", "cycleData": [1, 2, 3, 4] } ] })",
         "step 1: \"cycleData\""},
        {R"({ "steps": [ { "command": "reboot" } ] })", "step 1: \"command\": unknown command"},
        {R"({ "steps": [ { "command": 5 } ] })", "step 1: \"command\": must be a string"},
        {R"({ "steps": [ { "advance": -1 } ] })", "step 1: \"advance\": must be a finite number"},
        {R"({ "steps": [ { "advance": 1e9 } ] })", "step 1: \"advance\": must be a finite number"},
        {R"({ "steps": [ { "advance": 1e20 } ] })", "step 1: \"advance\""},
        {R"({ "steps": [ { "advance": "1" } ] })", "step 1: \"advance\""},
        {R"({ "steps": [ { "display": [ { "item": 1, "code": 2, "u32": 5e9 } ] } ] })",
         "step 1: display[0]: \"u32\""},
        {R"({ "steps": [ { "display": [ { "item": 1 } ] } ] })", "step 1: display[0]: needs"},
        {R"({ "steps": [ { "set": { "A": { "valu": 1 } } } ] })",
         "step 1: set \"A\": \"valu\": unknown key"},
        {R"({ "steps": [ { "set": { "A": { "status": 1.5 } } } ] })", "set \"A\": \"status\""},
        {R"({ "steps": [ { "set": { "A": { "choice": 2 } } } ] })", "set \"A\": \"choice\""},
        {R"({ "steps": [ { "expect": { "A": { "value": 1, "tolerance": -1 } } } ] })",
         "step 1: expect \"A\": \"tolerance\": must be a finite number from 0"},
        {R"({ "steps": [ { "expect": { "A": { "tolerance": 1 } } } ] })",
         "step 1: expect \"A\": expects nothing"},
        {R"({ "steps": [ { "expect": { "A": { "value": "x" } } } ] })", "expect \"A\": \"value\""},
        {R"({ "steps": [ { "set": { "A": { "value": "nan" } } } ] })",
         "step 1: set \"A\": \"value\": must be a number, \"NaN\", \"Infinity\", \"-Infinity\", "
         "true or false"},
        {R"({ "steps": [ { "set": { "A": { "value": null } } } ] })", "set \"A\": \"value\""},
        {R"({ "steps": [ { "command": "cycle", "freshTree": true } ] })",
         "step 1: \"freshTree\": belongs to a \"restart\""},
        {R"({ "steps": [ { "freshTree": true } ] })", "step 1: \"freshTree\": belongs to a"},
        {R"({ "noTraceUpToLevel": 16 })", "\"noTraceUpToLevel\": must be a whole number"},
        {R"({ "steps": [ {}, { "display": [ { "item": 1, "code": 26, "text": ")" +
             std::string(744, 'x') + R"(" } ] } ] })",
         "step 2: display[0]: \"text\": makes a display record of 1502 bytes; a record holds at "
         "most 1500"},
        {R"({ "steps": [ { "events": { "inOrder": [ { "kind": "Nothing" } ] } } ] })",
         "step 1: events: inOrder[0]: \"kind\": unknown event kind"},
        {R"({ "steps": [ { "events": { "first": [] } } ] })", "step 1: events: \"first\": unknown"},
        {R"({ "steps": [ { "displaySent": { "absent": [ { "payload": "abc" } ] } } ] })",
         "displaySent: absent[0]: \"payload\": must be pairs of hexadecimal digits"},
        {R"({ "steps": [ { "files": { "../x": { "exists": true } } } ] })",
         "step 1: files: \"../x\": a file must lie below the base path"},
        {R"({ "files": { "/etc/x": { "text": "" } } })", "\"/etc/x\": a file must lie below"},
        {R"({ "files": { "a": { } } })", "files \"a\": needs \"text\", \"hex\" or \"from\""},
        {R"({ "files": { "a": { "from": "missing.bin" } } })", "\"from\": cannot read"},
        {R"({ "steps": [ { "files": { "a": { "offset": 1 } } } ] })", "\"offset\": goes with"},
        {R"({ "steps": [ { "files": { "a": { "size": -1 } } } ] })", "files \"a\": \"size\""},
        {R"({ "steps": [ { "phase": "start" } ] })", "step 1: \"phase\": must be"},
        {R"({ "steps": [ { "phase": 9 } ] })", "step 1: \"phase\": must be"},
        {R"({ "steps": [ {}, { "phase": 8 } ] })",
         "step 2: \"phase\": comes before the phase of an earlier step"},
        {R"({ "steps": [ { "phase": 8, "command": "restart" } ] })",
         "step 1: \"command\": a restart belongs to the run phase"},
        {R"({ "steps": [ { "command": "restart", "expect": { "A": { "value": 1 } } } ] })",
         "step 1: \"command\": a restart step checks only events and files"},
        {R"({ "steps": [ { "displayContext": 5 } ] })",
         "step 1: \"displayContext\": must be a text or null"},
        {R"({ "steps": [ { "displayState": [] } ] })",
         "step 1: displayState: must be a JSON object"},
        {R"({ "steps": [ { "displayState": { "abc": { "hidden": true } } } ] })",
         "step 1: displayState \"abc\": is not an item id"},
        {R"({ "steps": [ { "displayState": { "-1": { "hidden": true } } } ] })",
         "displayState \"-1\": is not an item id"},
        {R"({ "steps": [ { "displayState": { "4294967296": { "hidden": true } } } ] })",
         "displayState \"4294967296\": is not an item id"},
        {R"({ "steps": [ { "displayState": { "1e3": { "hidden": true } } } ] })",
         "displayState \"1e3\": is not an item id"},
        {R"({ "steps": [ { "displayState": { "": { "hidden": true } } } ] })",
         "displayState \"\": is not an item id"},
        {R"({ "steps": [ { "displayState": { "2000": { "hiden": true } } } ] })",
         "step 1: displayState \"2000\": \"hiden\": unknown key"},
        {R"({ "steps": [ { "displayState": { "2000": {} } } ] })",
         "displayState \"2000\": checks nothing"},
        {R"({ "steps": [ { "displayState": { "2000": { "hidden": 1 } } } ] })",
         "displayState \"2000\": \"hidden\": must be true or false"},
        {R"({ "steps": [ { "displayState": { "2000": { "enabled": "yes" } } } ] })",
         "displayState \"2000\": \"enabled\""},
        {R"({ "steps": [ { "displayState": { "2000": { "list": null } } } ] })",
         "displayState \"2000\": \"list\""},
        {R"({ "steps": [ { "displayState": { "2000": { "selection": -2 } } } ] })",
         "displayState \"2000\": \"selection\": must be a whole number from -1"},
        {R"({ "steps": [ { "displayState": { "2000": { "selection": 2147483648 } } } ] })",
         "displayState \"2000\": \"selection\""},
        {R"({ "steps": [ { "displayState": { "2000": { "selection": 0.5 } } } ] })",
         "displayState \"2000\": \"selection\""},
        {R"({ "steps": [ { "displayState": { "2000": { "entries": "a" } } } ] })",
         "displayState \"2000\": \"entries\": must be an array of texts"},
        {R"({ "steps": [ { "displayState": { "2000": { "entries": ["a", 1] } } } ] })",
         "\"entries\": must be an array of texts"},
        {R"({ "steps": [ { "displayState": { "2000": { "bind": 7 } } } ] })",
         "displayState \"2000\": \"bind\""},
        {R"({ "steps": [ { "displayState": { "2000": { "text": false } } } ] })",
         "displayState \"2000\": \"text\""},
        {R"({ "steps": [ { "displayState": { "2000": { "languageKey": [] } } } ] })",
         "displayState \"2000\": \"languageKey\""},
        {R"({ "steps": [ { "displayState": { "2000": { "key": 1 } } } ] })",
         "displayState \"2000\": \"key\""},
        {R"({ "steps": [ { "command": "restart", "displayState": { "1": { "hidden": true } } } ] })",
         "step 1: \"command\": a restart step checks only events and files"},
        {R"({ "startUp": [3, 12] })", "\"startUp\": must list distinct state codes"},
        {R"({ "startUp": [3, 3] })", "\"startUp\": must list distinct"},
        {R"({ "startUp": [] })", "\"startUp\": must list at least one state"},
        {R"({ "testProgram": { "failingSlot": 22 } })", "testProgram: \"failingSlot\""},
        {R"({ "outputs": [1] })", "\"outputs\": must be an array of parameter names"},
        {R"({ "steps": {} })", "\"steps\": must be an array"},
        {R"({ "steps": [ 5 ] })", "step 1: must be a JSON object"},
        {R"({ "keepFiles": 1 })", "\"keepFiles\": must be true or false"},
        {R"({ "keepFiles": true })", "s.json: \"keepFiles\": needs a \"basePath\""},
        {R"([1])", "s.json: must be a JSON object"},
        {R"({ "steps": [ )", "s.json: invalid JSON"},
        // A key an object names twice, wherever the object stands.
        {R"({ "steps": [], "steps": [] })", "s.json: \"steps\": named twice"},
        {R"({ "steps": [ {}, { "set": { "Demo.In": { "value": 1 }, "Demo.In": { "value": 2 } } } ] })",
         "s.json: step 2: set: \"Demo.In\": named twice"},
        {R"({ "steps": [ { "set": { "Demo.In": { "value": 1, "value": 2 } } } ] })",
         "s.json: step 1: set \"Demo.In\": \"value\": named twice"},
        {R"({ "steps": [ { "command": "cycle", "comment": "", "command": "restart" } ] })",
         "s.json: step 1: \"command\": named twice"},
        {R"({ "selfInfo": { "basePath": "a/", "basePath": "b/" } })",
         "s.json: selfInfo: \"basePath\": named twice"},
        {R"({ "steps": [ 5, { "events": { "inOrder": [ 1, [], { "kind": "Code", "kind": "Start" } ] } } ] })",
         "s.json: step 2: events: inOrder[2]: \"kind\": named twice"},
        {R"({ "files": { "a.txt": { "text": "x", "text": "y" } } })",
         "s.json: files \"a.txt\": \"text\": named twice"},
        {R"({ "a\nb": 1, "a\nb": 2 })", "s.json: \"a\\u000ab\": named twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        try {
            parseScenario(c.json, "/nowhere", "s.json");
            ADD_FAILURE() << "accepted";
        } catch (const sim::ScenarioError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
            EXPECT_EQ(message.rfind("s.json", 0), 0u) << "starts with the file: " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
        }
    }
}

// The same key in different objects is no repetition.
TEST(ScenarioTest, AKeyMayStandOnceInEachObject) {
    const sim::Scenario scenario = parseScenario(
        R"({ "comment": "", "steps": [ { "comment": "", "command": "cycle" },
             { "comment": "", "command": "cycle", "events": { "inOrder": [ { "kind": "Code" },
               { "kind": "Code" } ] } } ] })",
        "", "s.json");
    EXPECT_EQ(scenario.steps.size(), 2u);
}

// A scenario file whose step names a key twice is refused by the runner before the run: exit
// status 3, one line on stderr, no report.
TEST(ScenarioTest, TheRunnerRefusesAFileWithAKeyNamedTwiceBeforeTheRun) {
    const TestFolder folder;
    const std::string file = folder.path() + "/twice.json";
    std::ofstream(file) << R"({ "tree": ")" << EXAMPLES_DIR << R"(/test-address-space/tree.json",
        "steps": [ { "command": "cycle" },
                   { "set": { "Demo.In": { "value": 1 }, "Demo.In": { "value": 2 } } } ] })";
    EXPECT_THROW(sim::loadScenario(file), sim::ScenarioError);
    std::string runner = "scenario_runner";
    std::string argument = file;
    char* argv[] = {runner.data(), argument.data()};
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = sim::runnerMain(2, argv, sim::defaultPrograms());
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, sim::kExitBadInput);
    EXPECT_EQ(errors, "scenario_runner: " + file + ": step 2: set: \"Demo.In\": named twice\n");
    EXPECT_EQ(out, "") << "nothing ran";
}

TEST(ScenarioTest, AdvancesMustFitTheVirtualClockTogether) {
    std::string steps;
    const int count = static_cast<int>(sim::kMaxScenarioSeconds / sim::kMaxAdvanceSeconds) + 1;
    for (int i = 0; i < count; ++i) {
        steps += std::string(i > 0 ? "," : "") + R"({ "advance": 2678400 })";
    }
    try {
        parseScenario(R"({ "steps": [)" + steps + "] }", "", "s.json");
        ADD_FAILURE() << "accepted";
    } catch (const sim::ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("more than the virtual clock holds"),
                  std::string::npos)
            << error.what();
    }
}

TEST(ScenarioTest, MissingFileIsNamed) {
    try {
        sim::loadScenario("/nonexistent/scenario.json");
        ADD_FAILURE() << "accepted";
    } catch (const sim::ScenarioError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "/nonexistent/scenario.json: cannot read the scenario file");
    }
}

TEST(SelfInformationTest, FieldsSitAtTheirOffsetsAndAreCutToTheirFields) {
    sim::SelfInfoSettings settings;
    settings.mode = 0x01020304;
    settings.asName = std::string(40, 'A');
    settings.basePath = "/base/";
    settings.language = 1;
    settings.instance = 2;
    settings.traceSelector = 9;
    const std::vector<uint8_t> bytes = sim::buildSelfInformation(settings);
    ASSERT_EQ(bytes.size(), kSelfInfoSize);
    EXPECT_EQ(bytes[0], 0x04) << "little-endian mode";
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(std::string(bytes.begin() + kSelfInfoAsNameOffset,
                          bytes.begin() + kSelfInfoAsNameOffset + 32),
              std::string(32, 'A'));
    EXPECT_EQ(bytes[kSelfInfoBasePathOffset], '/');
    EXPECT_EQ(bytes[kSelfInfoLanguageOffset], 1);
    EXPECT_EQ(bytes[kSelfInfoInstanceOffset], 2);
    EXPECT_EQ(bytes[kSelfInfoTraceSelectorOffset], 9);
}
