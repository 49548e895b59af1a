#include "Scenario.h"

#include "ScenarioSteps.h"

#include <algorithm>
#include <fstream>
#include <limits>

#include "HostService.h"
#include "HostTree.h"
#include "ScenarioFields.h"
#include "ServiceClient.h"
#include "SysManProtocol.h"
#include "WorkFolder.h"

namespace sim {
namespace {

using nlohmann::json;

constexpr uint64_t kMaxU32 = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kMaxU8 = std::numeric_limits<uint8_t>::max();
constexpr uint32_t kHighestState = 18;
constexpr uint64_t kMaxTraceLevel = 15;

struct CommandName {
    const char* name;
    uint32_t code;
};

// The commands a step names; "trigger" and "raw" take their code from "code".
constexpr CommandName kCommandNames[] = {
    {"connectOffered", kSysManCmdConnectOffered},
    {"connectStarted", kSysManCmdConnectStarted},
    {"connectStartedQuiet", kSysManCmdConnectStartedQuiet},
    {"releaseService", kSysManCmdReleaseService},
    {"state", kSysManCmdState},
    {"shutdown", kSysManCmdShutdown},
    {"run", kSysManCmdRun},
    {"cycle", kSysManCmdTrigger},
    {"flag", kSysManCmdFlagWord},
    {"process", kSysManCmdProcess},
    {"command50", kSysManCmdCommand50},
    {"restart", 0},
    {"trigger", 0},
    {"raw", 0},
};

// A whole number from 0 to `max` when the member is there.
std::optional<uint32_t> optionalWord(const JsonFields& fields, const char* key,
                                     uint64_t max = kMaxU32) {
    if (!fields.has(key)) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(fields.whole(key, max, 0));
}

// The folder of a file's path ("" for a bare name).
std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string resolve(const std::string& folder, const std::string& file) {
    if (file.empty() || file.front() == '/' || folder.empty()) {
        return file;
    }
    return folder + "/" + file;
}

// Up to three whole numbers, each sent as 8 bytes, little-endian.
std::vector<uint8_t> cycleData(const JsonFields& fields, const char* key) {
    const json& values = fields.at(key);
    if (!fields.has(key)) {
        return {};
    }
    if (!values.is_array() || values.size() > kMaxCycleDataValues) {
        fields.fail(key, "must be an array of up to 3 whole numbers");
    }
    std::vector<uint8_t> bytes;
    for (const json& value : values) {
        uint64_t word = 0;
        if (!wholeNumber(value, std::numeric_limits<uint64_t>::max(), &word)) {
            fields.fail(key, "must be an array of up to 3 whole numbers from 0 to 2^64-1");
        }
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
    }
    return bytes;
}

// A path below the base path: relative, without "..".
std::string relativeFile(const JsonFields& fields, const std::string& path) {
    const bool escapes = path.empty() || path.front() == '/' || path == ".." ||
                         path.rfind("../", 0) == 0 || path.find("/../") != std::string::npos ||
                         (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
    if (escapes) {
        fields.fail(path, "a file must lie below the base path");
    }
    return path;
}

SelfInfoSettings readSelfInfo(const JsonFields& fields) {
    fields.allowOnly({"mode", "parPrefix", "parDir", "asName", "basePath", "parText", "language",
                      "instance", "traceSelector"});
    SelfInfoSettings self;
    self.mode = static_cast<uint32_t>(fields.whole("mode", kMaxU32, self.mode));
    self.parPrefix = fields.text("parPrefix", self.parPrefix);
    self.parDir = fields.text("parDir", self.parDir);
    self.asName = fields.text("asName", self.asName);
    self.basePath = fields.text("basePath", self.basePath);
    self.parText = fields.text("parText", self.parText);
    self.language = static_cast<uint8_t>(fields.whole("language", kMaxU8, self.language));
    self.instance = static_cast<uint8_t>(fields.whole("instance", kMaxU8, self.instance));
    self.traceSelector =
        static_cast<uint8_t>(fields.whole("traceSelector", kMaxU8, self.traceSelector));
    return self;
}

TestAddressSpaceOptions readTestProgram(const JsonFields& fields) {
    fields.allowOnly({"useTree", "input", "output", "failingSlot", "failCode", "startText",
                      "changeCounter", "savedFile", "restoredOutput"});
    TestAddressSpaceOptions options;
    options.useTree = fields.flag("useTree", options.useTree);
    options.input = fields.text("input", options.input);
    options.output = fields.text("output", options.output);
    options.failingSlot = static_cast<int>(fields.signedWhole("failingSlot", -1, 21, -1));
    options.failCode = static_cast<int32_t>(
        fields.signedWhole("failCode", std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max(), options.failCode));
    options.startText = fields.text("startText", options.startText);
    options.changeCounter = fields.text("changeCounter");
    options.savedFile = fields.text("savedFile");
    options.restoredOutput = fields.text("restoredOutput");
    return options;
}

std::vector<uint32_t> readStartUp(const JsonFields& fields) {
    const json& states = fields.at("startUp");
    if (!states.is_array()) {
        fields.fail("startUp", "must be an array of state codes");
    }
    std::vector<uint32_t> list;
    for (const json& state : states) {
        uint64_t code = 0;
        const bool known = wholeNumber(state, kHighestState, &code) &&
                           code != kSysManStateComponentStart && code != 0 &&
                           code != kSysManStateReady && code != kSysManStateShutdown;
        if (!known || std::find(list.begin(), list.end(), code) != list.end()) {
            fields.fail("startUp",
                        "must list distinct state codes from 2 to 18 other than 12 and 13");
        }
        list.push_back(static_cast<uint32_t>(code));
    }
    if (list.empty()) {
        fields.fail("startUp", "must list at least one state");
    }
    return list;
}

// Where a phase stands in a life: registered, state 0, state 1, the start-up list, run.
Phase readPhase(const JsonFields& fields, const std::vector<uint32_t>& startUp) {
    Phase phase;
    phase.rank = startUp.size() + 3;
    if (!fields.has("phase")) {
        return phase;
    }
    const json& value = fields.at("phase");
    if (value.is_string() && value.get<std::string>() == "registered") {
        return Phase{PhaseKind::Registered, 0, 0};
    }
    if (value.is_string() && value.get<std::string>() == "run") {
        return phase;
    }
    uint64_t state = 0;
    if (wholeNumber(value, kHighestState, &state)) {
        if (state <= kSysManStateComponentStart) {
            return Phase{PhaseKind::AfterState, static_cast<uint32_t>(state), state + 1};
        }
        auto found = std::find(startUp.begin(), startUp.end(), state);
        if (found != startUp.end()) {
            return Phase{PhaseKind::AfterState, static_cast<uint32_t>(state),
                         3 + static_cast<size_t>(found - startUp.begin())};
        }
    }
    fields.fail("phase",
                "must be \"registered\", \"run\" or a state of the start-up (0, 1, or "
                "one of \"startUp\")");
}

ScenarioCommand readCommand(const JsonFields& fields) {
    ScenarioCommand command;
    command.name = fields.text("command");
    const auto* named =
        std::find_if(std::begin(kCommandNames), std::end(kCommandNames),
                     [&command](const CommandName& entry) { return command.name == entry.name; });
    if (named == std::end(kCommandNames)) {
        fields.fail("command", "unknown command " + sim::quoted(command.name));
    }
    command.code = named->code;
    if (command.name == "trigger" || command.name == "raw") {
        if (!fields.has("code")) {
            fields.fail("code", "is needed by the command " + sim::quoted(command.name));
        }
        command.code = static_cast<uint32_t>(fields.whole("code", kMaxU32, 0));
    } else if (fields.has("code")) {
        fields.fail("code", "belongs only to the commands \"trigger\" and \"raw\"");
    }
    const uint64_t defaultArgument = command.name == "cycle" ? kSysManTriggerSubCodeCycle : 0;
    command.argument = static_cast<uint32_t>(fields.whole("argument", kMaxU32, defaultArgument));
    command.cycleData = cycleData(fields, "cycleData");
    if (fields.has("service")) {
        if (!command.isService()) {
            fields.fail("service", "belongs only to the service commands 1 to 3");
        }
        const JsonFields service = fields.object("service");
        service.allowOnly({"name", "activityId", "connections"});
        command.service.name = service.text("name");
        command.service.activityId = static_cast<uint32_t>(service.whole("activityId", kMaxU32, 0));
        command.service.connections = static_cast<uint32_t>(service.whole("connections", 2, 2));
    }
    return command;
}

// The "value" of a setting or an expectation: a double as JsonFields::anyDouble reads it, or
// true or false (for bool and trigger nodes) as 1 or 0, which sets `*flag`.
double settingValue(const JsonFields& fields, bool* flag) {
    const json& value = fields.at("value");
    *flag = value.is_boolean();
    if (*flag) {
        return value.get<bool>() ? 1.0 : 0.0;
    }
    double named = 0.0;
    const bool isDouble =
        value.is_number() ||
        (value.is_string() && host::doubleFromName(value.get_ref<const std::string&>(), &named));
    if (!isDouble) {
        fields.fail("value",
                    "must be a number, \"NaN\", \"Infinity\", \"-Infinity\", true or false");
    }
    return fields.anyDouble("value");
}

InputSetting readSetting(const JsonFields& fields, const std::string& path) {
    fields.allowOnly({"value", "text", "choice", "status", "inUse", "change"});
    InputSetting input;
    input.path = path;
    if (fields.has("value")) {
        input.value = settingValue(fields, &input.flagValue);
        input.valueText = fields.at("value").dump();
    }
    if (fields.has("text")) {
        input.text = fields.text("text");
    }
    input.choice = optionalWord(fields, "choice", 1);
    input.status = optionalWord(fields, "status");
    if (fields.has("inUse")) {
        input.inUse = fields.flag("inUse", true);
    }
    input.change = fields.flag("change", true);
    return input;
}

DisplayInjection readDisplay(const JsonFields& fields) {
    fields.allowOnly({"item", "code", "u32", "text"});
    if (!fields.has("item") || !fields.has("code")) {
        fields.fail("", "needs \"item\" and \"code\"");
    }
    DisplayInjection injection;
    injection.itemId = static_cast<uint32_t>(fields.whole("item", kMaxU32, 0));
    injection.commandCode = static_cast<uint32_t>(fields.whole("code", kMaxU32, 0));
    if (fields.has("u32")) {
        injection.payload =
            host::u32Payload(static_cast<uint32_t>(fields.whole("u32", kMaxU32, 0)));
    } else if (fields.has("text")) {
        injection.payload = host::text16Payload(host::treeTextFromUtf8(fields.text("text")));
    }
    if (kServiceRecordHeader + injection.payload.size() > kServiceRecordMax) {
        fields.fail("text", "makes a display record of " +
                                std::to_string(kServiceRecordHeader + injection.payload.size()) +
                                " bytes; a record holds at most " +
                                std::to_string(kServiceRecordMax));
    }
    return injection;
}

Expectation readExpectation(const JsonFields& fields, const std::string& path) {
    fields.allowOnly({"value", "tolerance", "status", "text", "choice", "inUse"});
    Expectation expectation;
    expectation.path = path;
    if (fields.has("value")) {
        bool flag = false;
        expectation.value = settingValue(fields, &flag);
    }
    expectation.tolerance =
        fields.number("tolerance", 0.0, std::numeric_limits<double>::max(), 0.0);
    expectation.status = optionalWord(fields, "status");
    if (fields.has("text")) {
        expectation.text = fields.text("text");
    }
    expectation.choice = optionalWord(fields, "choice", 1);
    if (fields.has("inUse")) {
        expectation.inUse = fields.flag("inUse", true);
    }
    if (!expectation.value && !expectation.status && !expectation.text && !expectation.choice &&
        !expectation.inUse) {
        fields.fail("", "expects nothing (give value, status, text, choice or inUse)");
    }
    return expectation;
}

EventPattern readEventPattern(const JsonFields& fields) {
    fields.allowOnly({"kind", "value", "detail", "text"});
    EventPattern pattern;
    if (!eventKindFromName(fields.text("kind"), &pattern.kind)) {
        fields.fail("kind", "unknown event kind " + sim::quoted(fields.text("kind")));
    }
    pattern.value = optionalWord(fields, "value");
    pattern.detail = optionalWord(fields, "detail");
    if (fields.has("text")) {
        pattern.text = fields.text("text");
    }
    return pattern;
}

// An item id written as an object key: decimal digits, 0 to 2^32-1.
uint32_t itemIdOf(const JsonFields& fields, const std::string& key) {
    const bool digits =
        !key.empty() && key.size() <= 10 &&
        std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoull(key) > kMaxU32) {
        fields.fail("", "is not an item id (0 to 2^32-1)");
    }
    return static_cast<uint32_t>(std::stoull(key));
}

std::vector<std::u16string> textList(const JsonFields& fields, const char* key) {
    const json& list = fields.at(key);
    if (!list.is_array() ||
        !std::all_of(list.begin(), list.end(), [](const json& text) { return text.is_string(); })) {
        fields.fail(key, "must be an array of texts");
    }
    std::vector<std::u16string> texts;
    for (const json& text : list) {
        texts.push_back(host::treeTextFromUtf8(text.get<std::string>()));
    }
    return texts;
}

DisplayItemExpectation readDisplayItem(const JsonFields& fields, const std::string& key) {
    fields.allowOnly({"bind", "text", "languageKey", "key", "list", "entries", "selection",
                      "hidden", "enabled"});
    DisplayItemExpectation expectation;
    expectation.itemId = itemIdOf(fields, key);
    if (fields.has("bind")) {
        expectation.boundParameter = fields.text("bind");
    }
    if (fields.has("text")) {
        expectation.text = host::treeTextFromUtf8(fields.text("text"));
    }
    if (fields.has("languageKey")) {
        expectation.languageTextKey = fields.text("languageKey");
    }
    if (fields.has("key")) {
        expectation.textKey = fields.text("key");
    }
    if (fields.has("list")) {
        expectation.isList = fields.flag("list", false);
    }
    if (fields.has("entries")) {
        expectation.entries = textList(fields, "entries");
    }
    if (fields.has("selection")) {
        expectation.selection = static_cast<int32_t>(
            fields.signedWhole("selection", -1, std::numeric_limits<int32_t>::max(), 0));
    }
    if (fields.has("hidden")) {
        expectation.hidden = fields.flag("hidden", false);
    }
    if (fields.has("enabled")) {
        expectation.enabled = fields.flag("enabled", false);
    }
    if (!fields.has("bind") && !fields.has("text") && !fields.has("languageKey") &&
        !fields.has("key") && !fields.has("list") && !fields.has("entries") &&
        !fields.has("selection") && !fields.has("hidden") && !fields.has("enabled")) {
        fields.fail("",
                    "checks nothing (give bind, text, languageKey, key, list, entries, "
                    "selection, hidden or enabled)");
    }
    return expectation;
}

DisplayPattern readDisplayPattern(const JsonFields& fields) {
    fields.allowOnly({"item", "code", "payload"});
    DisplayPattern pattern;
    pattern.item = optionalWord(fields, "item");
    pattern.code = optionalWord(fields, "code");
    if (fields.has("payload")) {
        pattern.payload = fields.hexBytes("payload");
    }
    return pattern;
}

template <typename Pattern, typename ReadPattern>
SequenceExpectation<Pattern> readSequence(const JsonFields& step, const char* key,
                                          ReadPattern readPattern) {
    SequenceExpectation<Pattern> expectation;
    if (!step.has(key)) {
        return expectation;
    }
    const JsonFields fields = step.object(key);
    fields.allowOnly({"inOrder", "absent"});
    for (const char* list : {"inOrder", "absent"}) {
        if (!fields.has(list)) {
            continue;
        }
        if (!fields.at(list).is_array()) {
            fields.fail(list, "must be an array of patterns");
        }
        std::vector<Pattern>& patterns =
            std::string(list) == "inOrder" ? expectation.inOrder : expectation.absent;
        size_t index = 0;
        for (const json& pattern : fields.at(list)) {
            patterns.push_back(readPattern(
                JsonFields(pattern, fields.file(),
                           fields.place() + ": " + list + "[" + std::to_string(index++) + "]")));
        }
    }
    return expectation;
}

std::vector<FileContent> readFileContents(const JsonFields& owner, const char* key,
                                          const std::string& folder) {
    std::vector<FileContent> contents;
    if (!owner.has(key)) {
        return contents;
    }
    const JsonFields files = owner.object(key);
    for (const auto& [path, spec] : owner.at(key).items()) {
        const JsonFields fields(spec, owner.file(), files.place() + " " + sim::quoted(path));
        fields.allowOnly({"text", "hex", "from"});
        FileContent content{relativeFile(files, path), {}};
        if (fields.has("text")) {
            const std::string text = fields.text("text");
            content.bytes.assign(text.begin(), text.end());
        } else if (fields.has("hex")) {
            content.bytes = fields.hexBytes("hex");
        } else if (fields.has("from")) {
            const std::string source = resolve(folder, fields.text("from"));
            if (!readFileBytes(source, &content.bytes)) {
                fields.fail("from", "cannot read " + sim::quoted(source));
            }
        } else {
            fields.fail("", "needs \"text\", \"hex\" or \"from\"");
        }
        contents.push_back(std::move(content));
    }
    return contents;
}

std::vector<FileCheck> readFileChecks(const JsonFields& step) {
    std::vector<FileCheck> checks;
    if (!step.has("files")) {
        return checks;
    }
    const JsonFields files = step.object("files");
    for (const auto& [path, spec] : step.at("files").items()) {
        const JsonFields fields(spec, step.file(), files.place() + " " + sim::quoted(path));
        fields.allowOnly({"exists", "size", "offset", "bytes"});
        FileCheck check;
        check.path = relativeFile(files, path);
        if (fields.has("exists")) {
            check.exists = fields.flag("exists", true);
        }
        if (fields.has("size")) {
            check.size = fields.whole("size", std::numeric_limits<int64_t>::max(), 0);
        }
        check.offset = fields.whole("offset", std::numeric_limits<int64_t>::max(), 0);
        if (fields.has("bytes")) {
            check.bytes = fields.hexBytes("bytes");
        } else if (fields.has("offset")) {
            fields.fail("offset", "goes with \"bytes\"");
        }
        if (!check.exists && !check.size && !check.bytes) {
            fields.fail("", "checks nothing (give exists, size or bytes)");
        }
        checks.push_back(std::move(check));
    }
    return checks;
}

template <typename Item, typename ReadItem>
std::vector<Item> readNamedObjects(const JsonFields& step, const char* key, ReadItem readItem) {
    std::vector<Item> items;
    if (!step.has(key)) {
        return items;
    }
    const JsonFields named = step.object(key);
    for (const auto& [path, spec] : step.at(key).items()) {
        items.push_back(
            readItem(JsonFields(spec, step.file(), named.place() + " " + sim::quoted(path)), path));
    }
    return items;
}

class StepReader {
  public:
    StepReader(const Scenario& scenario, const std::string& folder)
        : myScenario(scenario), myFolder(folder) {}

    Step read(const json& object, size_t number) {
        const JsonFields fields(object, myScenario.file, "step " + std::to_string(number));
        fields.allowOnly({"comment", "phase", "write", "set", "displayContext", "display",
                          "advance", "command", "code", "argument", "cycleData", "service",
                          "freshTree", "expect", "events", "displaySent", "displayState", "files"});
        Step step;
        step.number = number;
        step.comment = fields.text("comment");
        step.phase = readPhase(fields, myScenario.startUpStates);
        step.write = readFileContents(fields, "write", myFolder);
        step.inputs = readNamedObjects<InputSetting>(fields, "set", readSetting);
        readDisplayContext(fields, step);
        step.display = readDisplays(fields);
        step.advanceSeconds = fields.number("advance", 0.0, kMaxAdvanceSeconds, 0.0);
        myTotalSeconds += step.advanceSeconds;
        if (myTotalSeconds > kMaxScenarioSeconds) {
            fields.fail("advance", "the advances add up to more than the virtual clock holds");
        }
        if (fields.has("command")) {
            step.command = readCommand(fields);
        } else {
            for (const char* key : {"code", "argument", "cycleData", "service", "freshTree"}) {
                if (fields.has(key)) {
                    fields.fail(key, "belongs to a \"command\"");
                }
            }
        }
        step.freshTree = fields.flag("freshTree", false);
        if (fields.has("freshTree") && !step.command->isRestart()) {
            fields.fail("freshTree", "belongs to a \"restart\"");
        }
        step.expectations = readNamedObjects<Expectation>(fields, "expect", readExpectation);
        step.events = readSequence<EventPattern>(fields, "events", readEventPattern);
        step.displaySent = readSequence<DisplayPattern>(fields, "displaySent", readDisplayPattern);
        step.displayState =
            readNamedObjects<DisplayItemExpectation>(fields, "displayState", readDisplayItem);
        step.files = readFileChecks(fields);
        checkOrder(fields, step);
        return step;
    }

  private:
    // A text, or null for no context.
    static void readDisplayContext(const JsonFields& fields, Step& step) {
        if (!fields.has("displayContext")) {
            return;
        }
        const json& context = fields.at("displayContext");
        if (!context.is_string() && !context.is_null()) {
            fields.fail("displayContext", "must be a text or null (no context)");
        }
        step.setsDisplayContext = true;
        if (context.is_string()) {
            step.displayContext = context.get<std::string>();
        }
    }

    static std::vector<DisplayInjection> readDisplays(const JsonFields& fields) {
        std::vector<DisplayInjection> displays;
        if (!fields.has("display")) {
            return displays;
        }
        if (!fields.at("display").is_array()) {
            fields.fail("display", "must be an array of display commands");
        }
        size_t index = 0;
        for (const json& display : fields.at("display")) {
            displays.push_back(readDisplay(
                JsonFields(display, fields.file(),
                           fields.place() + ": display[" + std::to_string(index++) + "]")));
        }
        return displays;
    }

    // Phases go forward within a life; a restart (in the run phase) begins the next life.
    void checkOrder(const JsonFields& fields, const Step& step) {
        if (step.phase.rank < myRank) {
            fields.fail("phase", "comes before the phase of an earlier step of the same life");
        }
        myRank = step.phase.rank;
        if (step.command && step.command->isRestart()) {
            if (step.phase.kind != PhaseKind::Run) {
                fields.fail("command", "a restart belongs to the run phase");
            }
            if (!step.expectations.empty() || !step.displaySent.empty() ||
                !step.displayState.empty()) {
                fields.fail("command", "a restart step checks only events and files");
            }
            myRank = 0;
        }
    }

    const Scenario& myScenario;
    std::string myFolder;
    size_t myRank = 0;
    double myTotalSeconds = 0.0;
};

void readSteps(const JsonFields& root, Scenario& scenario, const std::string& folder) {
    if (!root.has("steps")) {
        return;
    }
    if (!root.at("steps").is_array()) {
        root.fail("steps", "must be an array of steps");
    }
    StepReader reader(scenario, folder);
    for (const json& step : root.at("steps")) {
        scenario.steps.push_back(reader.read(step, scenario.steps.size() + 1));
    }
    scenario.stepCount = scenario.steps.size();
}

std::vector<std::string> readOutputs(const JsonFields& root) {
    std::vector<std::string> outputs;
    const json& list = root.at("outputs");
    if (!root.has("outputs")) {
        return outputs;
    }
    if (!list.is_array() ||
        !std::all_of(list.begin(), list.end(), [](const json& path) { return path.is_string(); })) {
        root.fail("outputs", "must be an array of parameter names");
    }
    for (const json& path : list) {
        outputs.push_back(path.get<std::string>());
    }
    return outputs;
}

Scenario readScenario(const json& document, const std::string& folder, const std::string& file) {
    Scenario scenario;
    scenario.file = file;
    const JsonFields root(document, file, "");
    root.allowOnly({"comment", "program", "selfInfo", "taste", "language", "instance", "tree",
                    "dictionary", "answerCode", "testProgram", "startUp", "runCycleData", "outputs",
                    "files", "keepFiles", "steps", "shutdown", "noTraceUpToLevel"});
    scenario.program = root.text("program", scenario.program);
    if (root.has("selfInfo")) {
        scenario.self = readSelfInfo(root.object("selfInfo"));
        if (!scenario.self.basePath.empty() && scenario.self.basePath.front() == '/') {
            root.object("selfInfo").fail("basePath", "must be relative to the scenario's folder");
        }
    }
    if (root.has("selfInfo") && root.object("selfInfo").has("basePath")) {
        scenario.baseFolder = resolve(folder.empty() ? "." : folder, scenario.self.basePath);
    }
    scenario.answerCode =
        static_cast<uint32_t>(root.whole("answerCode", kMaxU32, scenario.answerCode));
    scenario.taste = root.text("taste");
    if (root.has("language")) {
        scenario.language = static_cast<uint8_t>(root.whole("language", kMaxU8, 0));
    }
    if (root.has("instance")) {
        scenario.instance = static_cast<uint8_t>(root.whole("instance", kMaxU8, 0));
    }
    scenario.treeFile = resolve(folder, root.text("tree"));
    scenario.dictionaryFile = resolve(folder, root.text("dictionary"));
    if (root.has("testProgram")) {
        scenario.testProgram = readTestProgram(root.object("testProgram"));
    }
    if (root.has("startUp")) {
        scenario.startUpStates = readStartUp(root);
    }
    scenario.runCycleData = cycleData(root, "runCycleData");
    scenario.outputs = readOutputs(root);
    scenario.files = readFileContents(root, "files", folder);
    scenario.keepFiles = root.flag("keepFiles", false);
    if (scenario.keepFiles && scenario.baseFolder.empty()) {
        root.fail("keepFiles", "needs a \"basePath\" in \"selfInfo\" to work in");
    }
    readSteps(root, scenario, folder);
    scenario.shutdown = root.flag("shutdown", true);
    if (root.has("noTraceUpToLevel")) {
        scenario.noTraceUpToLevel =
            static_cast<uint32_t>(root.whole("noTraceUpToLevel", kMaxTraceLevel, 0));
    }
    return scenario;
}

}  // namespace

bool ScenarioCommand::isCycle() const {
    const bool trigger =
        code == kSysManCmdTrigger || code == kSysManCmdTrigger48 || code == kSysManCmdTrigger51;
    return code == kSysManCmdProcess ||
           (trigger && (argument & kSysManTriggerSubCodeMask) == kSysManTriggerSubCodeCycle);
}

bool ScenarioCommand::isService() const {
    return code == kSysManCmdConnectOffered || code == kSysManCmdConnectStarted ||
           code == kSysManCmdConnectStartedQuiet;
}

bool ScenarioCommand::isRestart() const {
    return name == "restart";
}

Scenario parseScenario(const std::string& text, const std::string& folder,
                       const std::string& file) {
    refuseDuplicateKeys(text, file);
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception& error) {
        throw ScenarioError(file + ": invalid JSON: " + error.what());
    }
    return readScenario(document, folder, file);
}

struct StepParser::Reader {
    Reader(const Scenario& scenario, const std::string& folder) : reader(scenario, folder) {}
    StepReader reader;
};

StepParser::StepParser(const Scenario& scenario)
    : myReader(std::make_unique<Reader>(scenario, folderOf(scenario.stepsFile))) {}

StepParser::~StepParser() = default;

Step StepParser::parse(const json& object) {
    return myReader->reader.read(object, ++myCount);
}

void streamSteps(const Scenario& scenario,
                 const std::function<void(const Step&, const json&)>& visit) {
    std::ifstream file(scenario.stepsFile);
    if (!file) {
        throw ScenarioError(scenario.file + ": cannot read the scenario file");
    }
    StepParser parser(scenario);
    bool inSteps = false;
    const json::parser_callback_t pick = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth == 1 && event == json::parse_event_t::key) {
            inSteps = parsed == "steps";
            return inSteps;  // the other members are skipped
        }
        const bool stepsValue = inSteps && depth == 1 && event == json::parse_event_t::value;
        const bool stepsObject = inSteps && depth == 1 && event == json::parse_event_t::object_end;
        if (stepsValue || stepsObject) {
            JsonFields(json::object(), scenario.file, "")
                .fail("steps", "must be an array of steps");
        }
        const bool element = event == json::parse_event_t::value ||
                             event == json::parse_event_t::object_end ||
                             event == json::parse_event_t::array_end;
        if (inSteps && depth == 2 && element) {
            visit(parser.parse(parsed), parsed);
            return false;  // done with: not kept in the document
        }
        return true;
    };
    try {
        const json rest = json::parse(file, pick);  // the root without its members
        static_cast<void>(rest);
    } catch (const json::exception& error) {
        throw ScenarioError(scenario.file + ": invalid JSON: " + error.what());
    }
}

Scenario loadScenario(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw ScenarioError(path + ": cannot read the scenario file");
    }
    refuseDuplicateKeys(file, path);
    file.clear();
    file.seekg(0);
    // The members but the steps first, then the steps one at a time: the document is never
    // held whole.
    const json::parser_callback_t skipSteps = [](int depth, json::parse_event_t event,
                                                 json& parsed) {
        return !(depth == 1 && event == json::parse_event_t::key && parsed == "steps");
    };
    json document;
    try {
        document = json::parse(file, skipSteps);
    } catch (const json::exception& error) {
        throw ScenarioError(path + ": invalid JSON: " + error.what());
    }
    Scenario scenario = readScenario(document, folderOf(path), path);
    scenario.stepsFile = path;
    streamSteps(scenario, [&scenario](const Step&, const json&) { ++scenario.stepCount; });
    return scenario;
}

}  // namespace sim
