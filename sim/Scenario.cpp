#include "Scenario.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "HostService.h"
#include "SysManProtocol.h"

namespace sim {
namespace {

using nlohmann::json;

std::vector<uint8_t> littleEndian64(const json& values) {
    std::vector<uint8_t> bytes;
    for (const json& value : values) {
        const uint64_t word = value.get<uint64_t>();
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
    }
    return bytes;
}

std::string resolve(const std::string& folder, const std::string& file) {
    if (file.empty() || file.front() == '/' || folder.empty()) {
        return file;
    }
    return folder + "/" + file;
}

SelfInfoSettings readSelfInfo(const json& object) {
    SelfInfoSettings self;
    self.mode = object.value("mode", self.mode);
    self.parPrefix = object.value("parPrefix", self.parPrefix);
    self.parDir = object.value("parDir", self.parDir);
    self.asName = object.value("asName", self.asName);
    self.basePath = object.value("basePath", self.basePath);
    self.parText = object.value("parText", self.parText);
    self.language = object.value("language", self.language);
    self.instance = object.value("instance", self.instance);
    self.traceSelector = object.value("traceSelector", self.traceSelector);
    return self;
}

TestAddressSpaceOptions readTestProgram(const json& object) {
    TestAddressSpaceOptions options;
    options.useTree = object.value("useTree", options.useTree);
    options.input = object.value("input", options.input);
    options.output = object.value("output", options.output);
    options.failingSlot = object.value("failingSlot", options.failingSlot);
    options.failCode = object.value("failCode", options.failCode);
    options.startText = object.value("startText", options.startText);
    return options;
}

ScenarioCommand readCommand(const json& step) {
    ScenarioCommand command;
    command.name = step.at("command").get<std::string>();
    command.argument = step.value("argument", 0u);
    command.cycleData = littleEndian64(step.value("cycleData", json::array()));
    if (command.name == "cycle") {
        command.code = kSysManCmdTrigger;
        command.argument = step.value("argument", kSysManTriggerSubCodeCycle);
    } else if (command.name == "process") {
        command.code = kSysManCmdProcess;
    } else if (command.name == "flag") {
        command.code = kSysManCmdFlagWord;
    } else if (command.name == "command50") {
        command.code = kSysManCmdCommand50;
    } else if (command.name == "run") {
        command.code = kSysManCmdRun;
    } else if (command.name == "shutdown") {
        command.code = kSysManCmdShutdown;
    } else if (command.name == "trigger" || command.name == "raw") {
        command.code = step.at("code").get<uint32_t>();
    } else {
        throw std::runtime_error("unknown command \"" + command.name + "\"");
    }
    return command;
}

DisplayInjection readDisplay(const json& object) {
    DisplayInjection injection;
    injection.itemId = object.at("item").get<uint32_t>();
    injection.commandCode = object.at("code").get<uint32_t>();
    if (object.contains("u32")) {
        injection.payload = host::u32Payload(object.at("u32").get<uint32_t>());
    } else if (object.contains("text")) {
        const std::string text = object.at("text").get<std::string>();
        injection.payload = host::text16Payload(std::u16string(text.begin(), text.end()));
    }
    return injection;
}

Step readStep(const json& object) {
    Step step;
    const json settings = object.value("set", json::object());
    for (const auto& [path, setting] : settings.items()) {
        InputSetting input{path, std::nullopt, std::nullopt, std::nullopt};
        if (setting.contains("value")) {
            input.value = setting.at("value").get<double>();
        }
        if (setting.contains("status")) {
            input.status = setting.at("status").get<uint32_t>();
        }
        if (setting.contains("inUse")) {
            input.inUse = setting.at("inUse").get<bool>();
        }
        step.inputs.push_back(input);
    }
    const json displays = object.value("display", json::array());
    for (const json& display : displays) {
        step.display.push_back(readDisplay(display));
    }
    step.advanceSeconds = object.value("advance", 0.0);
    if (step.advanceSeconds < 0.0) {
        throw std::runtime_error("a step advances time by a negative amount");
    }
    if (object.contains("command")) {
        step.command = readCommand(object);
    }
    const json expectations = object.value("expect", json::object());
    for (const auto& [path, expected] : expectations.items()) {
        Expectation expectation{path, expected.at("value").get<double>(),
                                expected.value("tolerance", 0.0), std::nullopt};
        if (expected.contains("status")) {
            expectation.status = expected.at("status").get<uint32_t>();
        }
        step.expectations.push_back(expectation);
    }
    return step;
}

Scenario readScenario(const json& root, const std::string& folder) {
    Scenario scenario;
    scenario.program = root.value("program", scenario.program);
    scenario.self = readSelfInfo(root.value("selfInfo", json::object()));
    scenario.answerCode = root.value("answerCode", scenario.answerCode);
    scenario.taste = root.value("taste", "");
    if (root.contains("language")) {
        scenario.language = root.at("language").get<uint8_t>();
    }
    if (root.contains("instance")) {
        scenario.instance = root.at("instance").get<uint8_t>();
    }
    scenario.treeFile = resolve(folder, root.value("tree", ""));
    scenario.dictionaryFile = resolve(folder, root.value("dictionary", ""));
    scenario.testProgram = readTestProgram(root.value("testProgram", json::object()));
    scenario.runCycleData = littleEndian64(root.value("runCycleData", json::array()));
    scenario.outputs = root.value("outputs", std::vector<std::string>{});
    const json steps = root.value("steps", json::array());
    for (const json& step : steps) {
        scenario.steps.push_back(readStep(step));
    }
    scenario.shutdown = root.value("shutdown", true);
    return scenario;
}

}  // namespace

bool ScenarioCommand::isCycle() const {
    const bool trigger =
        code == kSysManCmdTrigger || code == kSysManCmdTrigger48 || code == kSysManCmdTrigger51;
    return code == kSysManCmdProcess ||
           (trigger && (argument & kSysManTriggerSubCodeMask) == kSysManTriggerSubCodeCycle);
}

Scenario parseScenario(const std::string& text, const std::string& folder) {
    try {
        return readScenario(json::parse(text), folder);
    } catch (const json::exception& error) {
        throw std::runtime_error(std::string("scenario: ") + error.what());
    }
}

Scenario loadScenario(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("scenario: cannot read " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    const size_t slash = path.find_last_of('/');
    return parseScenario(text.str(), slash == std::string::npos ? "" : path.substr(0, slash));
}

}  // namespace sim
