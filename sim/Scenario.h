// A scenario: the lives of one program against the simulated system manager, read from a JSON
// file. docs/scenarios.md lists every key; in short:
//
//   {
//     "comment": "...",                        free text, ignored
//     "program": "test",                       program to run (ProgramRegistry.h); default:
//                                              the executable's own (its table's first)
//     "selfInfo": { "mode": 3, "asName": "DemoAS", "parPrefix": "Demo", "parDir": "par",
//                   "basePath": "data/", "parText": "...", "traceSelector": 0,
//                   "language": 0, "instance": 1 },
//     "taste": "", "language": 0, "instance": 1,  framework settings
//     "tree": "tree.json", "dictionary": "texts.json",
//     "answerCode": 22,                        registration answer (tests of a refusal)
//     "testProgram": { ... },                  options of the "test" program
//     "startUp": [3, 17, 4, 5, 16, 7, 8, 11],  states after the component walk, before 12
//     "runCycleData": [1, 2, 3],               up to three 8-byte values sent with RUN
//     "outputs": ["Demo.Out"],                 parameters recorded after every cycle
//     "files": { "par/param.new": { "text": "x" } },   laid out before the first start
//     "keepFiles": false,                      true: work in the base path itself
//     "steps": [ { "phase": "run", "write": {...}, "set": {...},
//                  "displayContext": "Calorant.I1.PP.PP_1", "display": [...],
//                  "advance": 1.5, "command": "cycle", "code": 48, "argument": 1,
//                  "cycleData": [7], "service": { "name": "S", "activityId": 7,
//                  "connections": 2 }, "freshTree": false,
//                  "expect": {...}, "events": {...}, "displaySent": {...},
//                  "displayState": { "2000": { "languageKey": "SGERG_LR" } },
//                  "files": {...} } ],
//     "shutdown": true,                        send the shutdown command at the end
//     "noTraceUpToLevel": 3                    no trace point of level 3 or below is written
//   }
//
// Every path is relative to the scenario file's folder; the files of "files", "write" and the
// step checks are relative to the base path the program is given. Each step does, in this
// order: write files, set parameters (delivering the changes), set the display context, deliver
// display commands, advance time, send the command, check the expectations. Its phase places it in
// the start-up: "registered" (before state 0), a state code of the start-up (after that state), or
// "run" (after RUN, the default). A "restart" command ends the life; the steps after it belong to
// the next life, which starts in the same process with the same base path and files, and with
// the parameter tree the ended life left (values and statuses kept) unless "freshTree" is true.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SimEvents.h"
#include "SimSystemManager.h"
#include "TestAddressSpace.h"

namespace sim {

// The longest advance of one step: a month, about 30 s of run time at the one-second alarm.
constexpr double kMaxAdvanceSeconds = 31.0 * 24 * 3600;
// The virtual clock's range (whole seconds of a Time): the sum of all advances stays below.
constexpr double kMaxScenarioSeconds = 2147483647.0;
// Values of the cycle data (8 bytes each) that a command carries.
constexpr size_t kMaxCycleDataValues = 3;

struct InputSetting {
    std::string path;
    std::optional<double> value;      // true and false as 1 and 0
    bool flagValue = false;           // the value was given as true or false
    std::string valueText;            // the value as the scenario writes it (JSON)
    std::optional<std::string> text;  // UTF-8
    std::optional<uint32_t> choice;
    std::optional<uint32_t> status;
    std::optional<bool> inUse;
    bool change = true;  // marked changed and delivered to the change callback
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
    ServiceOffer service;  // service commands 1 to 3
    // True for the commands that run one cycle of the process or trigger hooks (40, 48, 51 with
    // sub-code 1, 43): their outputs are recorded.
    bool isCycle() const;
    bool isService() const;
    bool isRestart() const;
};

// Expectation on one parameter after the step; each given field must hold.
struct Expectation {
    std::string path;
    std::optional<double> value;  // true and false as 1 and 0
    double tolerance = 0.0;
    std::optional<uint32_t> status;
    std::optional<std::string> text;  // UTF-8
    std::optional<uint32_t> choice;
    std::optional<bool> inUse;
};

// An event the simulated system manager recorded; each given field must match.
struct EventPattern {
    EventKind kind = EventKind::Command;
    std::optional<uint32_t> value;
    std::optional<uint32_t> detail;
    std::optional<std::string> text;
};

// A record the display peer received from the program; each given field must match.
struct DisplayPattern {
    std::optional<uint32_t> item;
    std::optional<uint32_t> code;
    std::optional<std::vector<uint8_t>> payload;
};

// Patterns that must appear in this order (others may come between), and patterns that must
// not appear, among what was recorded since the previous step of the same life.
template <typename Pattern>
struct SequenceExpectation {
    std::vector<Pattern> inOrder;
    std::vector<Pattern> absent;
    bool empty() const { return inOrder.empty() && absent.empty(); }
};

// Expectation on one item of the display model after the step; each given field must hold.
struct DisplayItemExpectation {
    uint32_t itemId = 0;
    std::optional<std::string> boundParameter;           // "bind"
    std::optional<std::u16string> text;                  // "text"
    std::optional<std::string> languageTextKey;          // "languageKey"
    std::optional<std::string> textKey;                  // "key"
    std::optional<bool> isList;                          // "list"
    std::optional<std::vector<std::u16string>> entries;  // "entries"
    std::optional<int32_t> selection;                    // "selection" (-1: no entry)
    std::optional<bool> hidden;                          // "hidden"
    std::optional<bool> enabled;                         // "enabled"
};

struct FileContent {
    std::string path;  // relative to the base path
    std::vector<uint8_t> bytes;
};

struct FileCheck {
    std::string path;  // relative to the base path
    std::optional<bool> exists;
    std::optional<uint64_t> size;
    uint64_t offset = 0;
    std::optional<std::vector<uint8_t>> bytes;  // expected at `offset`
};

enum class PhaseKind { Registered, AfterState, Run };

struct Phase {
    PhaseKind kind = PhaseKind::Run;
    uint32_t state = 0;  // AfterState
    size_t rank = 0;     // position in the life: registered, state 0, state 1, the start-up, run
};

struct Step {
    size_t number = 0;    // 1-based, in the file
    std::string comment;  // printed beside the step's row of the cycle table
    Phase phase;
    std::vector<FileContent> write;
    std::vector<InputSetting> inputs;
    // The display context of the page shown, set before the display commands when
    // setsDisplayContext (std::nullopt: none).
    bool setsDisplayContext = false;
    std::optional<std::string> displayContext;
    std::vector<DisplayInjection> display;
    double advanceSeconds = 0.0;
    std::optional<ScenarioCommand> command;
    // A restart: the next life starts with a tree made afresh from the model (a device whose
    // parameter store was wiped) instead of the tree the ended life left.
    bool freshTree = false;
    std::vector<Expectation> expectations;
    SequenceExpectation<EventPattern> events;
    SequenceExpectation<DisplayPattern> displaySent;
    std::vector<DisplayItemExpectation> displayState;
    std::vector<FileCheck> files;
};

struct Scenario {
    std::string file = "scenario";  // names the scenario in messages
    std::string program;            // "": the first program of the executable's table
    SelfInfoSettings self;          // basePath as written; the runner gives the work folder
    std::string baseFolder;  // the base path resolved against the scenario's folder ("" none)
    uint32_t answerCode = kSysManAnswerAccepted;
    std::string taste;
    std::optional<uint8_t> language;
    std::optional<uint8_t> instance;
    std::string treeFile;        // resolved against the scenario's folder
    std::string dictionaryFile;  // likewise
    TestAddressSpaceOptions testProgram;
    std::vector<uint32_t> startUpStates = kStartUpStates;
    std::vector<uint8_t> runCycleData;
    std::vector<std::string> outputs;
    std::vector<FileContent> files;
    bool keepFiles = false;
    std::vector<Step> steps;  // parseScenario; empty for loadScenario (see stepsFile)
    // loadScenario leaves the steps in the scenario file, read one at a time when the scenario
    // runs (ScenarioSteps.h): this file; "" when `steps` holds them.
    std::string stepsFile;
    size_t stepCount = 0;  // the steps of the scenario, wherever they are
    bool shutdown = true;
    // No trace point of this level or a lower one (the lower, the graver) may be written in any
    // life of the run; checked once at the end.
    std::optional<uint32_t> noTraceUpToLevel;
};

// Reads a scenario file; file names inside are taken relative to the file's folder. Throws
// ScenarioError naming the file, the step and the key of what is wrong. Every step is read and
// checked, but none is kept (Scenario::stepsFile): the file is parsed as a stream, never held.
Scenario loadScenario(const std::string& path);
// The same from JSON text, with file names relative to `folder` and `file` naming it; the
// steps are kept in Scenario::steps.
Scenario parseScenario(const std::string& json, const std::string& folder,
                       const std::string& file = "scenario");

}  // namespace sim
