// Reading scenario files.
#include <gtest/gtest.h>

#include <stdexcept>

#include "AsInfo.h"
#include "Scenario.h"

using sim::parseScenario;

TEST(ScenarioTest, DefaultsAndFilesRelativeToTheScenario) {
    const sim::Scenario scenario =
        parseScenario(R"({ "tree": "t.json", "dictionary": "/abs/d.json" })", "/scenarios");
    EXPECT_EQ(scenario.program, "test");
    EXPECT_EQ(scenario.self.mode, 3u);
    EXPECT_EQ(scenario.answerCode, 22u);
    EXPECT_EQ(scenario.treeFile, "/scenarios/t.json");
    EXPECT_EQ(scenario.dictionaryFile, "/abs/d.json");
    EXPECT_TRUE(scenario.shutdown);
    EXPECT_TRUE(scenario.steps.empty());
}

TEST(ScenarioTest, CommandsMapToTheirCodesAndArguments) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [
        { "command": "cycle" }, { "command": "cycle", "argument": 33 },
        { "command": "process" }, { "command": "flag", "argument": 9 },
        { "command": "command50", "argument": 4 }, { "command": "run" },
        { "command": "shutdown" }, { "command": "trigger", "code": 48, "argument": 2 },
        { "command": "raw", "code": 6 } ] })",
                                                 "");
    const struct {
        uint32_t code;
        uint32_t argument;
        bool cycle;
    } expected[] = {{40, 1, true},  {40, 33, true}, {43, 0, true},  {42, 9, false}, {50, 4, false},
                    {21, 0, false}, {20, 0, false}, {48, 2, false}, {6, 0, false}};
    ASSERT_EQ(scenario.steps.size(), std::size(expected));
    for (size_t i = 0; i < scenario.steps.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(scenario.steps[i].command);
        EXPECT_EQ(scenario.steps[i].command->code, expected[i].code);
        EXPECT_EQ(scenario.steps[i].command->argument, expected[i].argument);
        EXPECT_EQ(scenario.steps[i].command->isCycle(), expected[i].cycle);
    }
}

TEST(ScenarioTest, StepInputsDisplayTimeAndExpectations) {
    const sim::Scenario scenario = parseScenario(R"({ "steps": [ {
        "set": { "A.B": { "value": 1.5, "status": 8, "inUse": false } },
        "display": [ { "item": 100, "code": 2, "u32": 258 }, { "item": 3, "code": 26, "text": "ab" } ],
        "advance": 2.5, "command": "cycle", "cycleData": [258],
        "expect": { "A.C": { "value": 3, "tolerance": 0.01, "status": 0 } } } ] })",
                                                 "");
    const sim::Step& step = scenario.steps.at(0);
    ASSERT_EQ(step.inputs.size(), 1u);
    EXPECT_EQ(step.inputs[0].path, "A.B");
    EXPECT_EQ(step.inputs[0].value, 1.5);
    EXPECT_EQ(step.inputs[0].status, 8u);
    EXPECT_EQ(step.inputs[0].inUse, false);
    ASSERT_EQ(step.display.size(), 2u);
    EXPECT_EQ(step.display[0].payload, (std::vector<uint8_t>{2, 1, 0, 0}));
    EXPECT_EQ(step.display[1].payload, (std::vector<uint8_t>{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(step.advanceSeconds, 2.5);
    EXPECT_EQ(step.command->cycleData, (std::vector<uint8_t>{2, 1, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(step.expectations.size(), 1u);
    EXPECT_EQ(step.expectations[0].tolerance, 0.01);
    EXPECT_EQ(step.expectations[0].status, 0u);
}

TEST(ScenarioTest, MistakesAreNamed) {
    const char* wrong[] = {
        R"({ "steps": [ { "command": "reboot" } ] })",
        R"({ "steps": [ { "advance": -1 } ] })",
        R"({ "steps": [ { "command": "trigger" } ] })",
        R"({ "steps": [ )",
    };
    for (const char* text : wrong) {
        SCOPED_TRACE(text);
        EXPECT_THROW(parseScenario(text, ""), std::runtime_error);
    }
    EXPECT_THROW(sim::loadScenario("/nonexistent/scenario.json"), std::runtime_error);
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
