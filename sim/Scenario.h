// A scenario: one run of an address space against the simulated system manager, read from a
// JSON file.
//
//   {
//     "program": "test",                       address space to run (ProgramRegistry.h)
//     "selfInfo": { "mode": 3, "asName": "DemoAS", "parPrefix": "Demo", "parDir": "par",
//                   "basePath": "./", "parText": "...", "traceSelector": 0,
//                   "language": 0, "instance": 1 },
//     "taste": "", "language": 0, "instance": 1,  framework settings (optional)
//     "tree": "tree.json", "dictionary": "texts.json",  files relative to the scenario
//     "answerCode": 22,                        registration answer (tests of a refusal)
//     "testProgram": { "useTree": true, "input": "Demo.In", "output": "Demo.Out",
//                      "failingSlot": -1, "failCode": 1 },   options of the "test" program
//     "runCycleData": [1, 2, 3],               up to three 8-byte values sent with RUN
//     "outputs": ["Demo.Out"],                 parameters recorded after every cycle
//     "steps": [
//       { "set": { "Demo.In": { "value": 1.5, "status": 0, "inUse": true } },
//         "display": [ { "item": 100, "code": 2, "u32": 7 }, { "item": 3, "code": 26,
//                        "text": "abc" } ],
//         "advance": 1.5,
//         "command": "cycle",                  cycle (40, sub-code 1), process (43),
//                                              trigger (code 40/48/51 + argument), flag (42),
//                                              command50, run, shutdown, or raw (code)
//         "code": 48, "argument": 1, "cycleData": [7],
//         "expect": { "Demo.Out": { "value": 3.0, "tolerance": 1e-9, "status": 0 } } }
//     ],
//     "shutdown": true                         send the shutdown command at the end
//   }
//
// Each step does, in this order: set inputs, deliver display commands, advance time, send the
// command, check the expectations.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SimSystemManager.h"
#include "TestAddressSpace.h"

namespace sim {

struct InputSetting {
    std::string path;
    std::optional<double> value;
    std::optional<uint32_t> status;
    std::optional<bool> inUse;
};

struct DisplayInjection {
    uint32_t itemId = 0;
    uint32_t commandCode = 0;
    std::vector<uint8_t> payload;
};

struct ScenarioCommand {
    std::string name;  // as written in the step
    uint32_t code = 0;
    uint32_t argument = 0;
    std::vector<uint8_t> cycleData;
    // True for the commands that run one cycle of the process or trigger hooks (40, 48, 51 with
    // sub-code 1, 43): their outputs are recorded.
    bool isCycle() const;
};

struct Expectation {
    std::string path;
    double value = 0.0;
    double tolerance = 0.0;
    std::optional<uint32_t> status;
};

struct Step {
    std::vector<InputSetting> inputs;
    std::vector<DisplayInjection> display;
    double advanceSeconds = 0.0;
    std::optional<ScenarioCommand> command;
    std::vector<Expectation> expectations;
};

struct Scenario {
    std::string program = "test";
    SelfInfoSettings self;
    uint32_t answerCode = 22;
    std::string taste;
    std::optional<uint8_t> language;
    std::optional<uint8_t> instance;
    std::string treeFile;        // absolute or relative to the working directory after loading
    std::string dictionaryFile;  // likewise
    TestAddressSpaceOptions testProgram;
    std::vector<uint8_t> runCycleData;
    std::vector<std::string> outputs;
    std::vector<Step> steps;
    bool shutdown = true;
};

// Reads a scenario file; file names inside are taken relative to the file's folder. Throws
// std::runtime_error naming what is wrong.
Scenario loadScenario(const std::string& path);
// The same from JSON text, with file names relative to `folder`.
Scenario parseScenario(const std::string& json, const std::string& folder);

}  // namespace sim
