#include "ScenarioRunner.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "AlternativeWatch.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "OverwriteWatch.h"
#include "ParameterValidator.h"
#include "ProgramTrees.h"
#include "ScenarioFields.h"
#include "ScenarioReport.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "StepQueue.h"
#include "StopSignals.h"
#include "SysManProtocol.h"
#include "WorkFolder.h"

namespace sim {
namespace {

// What the simulated system manager hands out as supervision time: longer than the one-second
// arming, so that the supervision expires only when the program stops arming it.
constexpr Time kSupervisionTime{3, 0};

// A step's advance of virtual time goes in slices of this length at most, so that a stop
// request is seen between them.
constexpr std::chrono::seconds kAdvanceSlice{60};

double seconds(Time time) {
    return time.Seconds + static_cast<double>(time.Fraction) / 4294967296.0;
}

std::string stepPlace(const Scenario& scenario, size_t step) {
    return scenario.file + ": step " + std::to_string(step);
}

void checkTraceLog(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::ofstream file(path, std::ios::trunc);
    if (!file) {
        throw ScenarioError("--trace: cannot write " + sim::quoted(path));
    }
}

// Checks the dictionary, and makes the tree from its model (null when the scenario gives
// none) to check the names of parameters against.
std::unique_ptr<host::HostTree> loadFiles(const Scenario& scenario) {
    if (!scenario.dictionaryFile.empty()) {
        const std::string problem = host::loadTextDictionary(scenario.dictionaryFile);
        if (!problem.empty()) {
            throw ScenarioError(scenario.file + ": \"dictionary\": " + problem);
        }
    }
    if (scenario.treeFile.empty()) {
        if (!scenario.outputs.empty() || scenario.testProgram.useTree) {
            throw ScenarioError(scenario.file +
                                ": \"tree\": the scenario names parameters "
                                "but gives no tree");
        }
        return nullptr;
    }
    try {
        return host::HostTree::fromFile(scenario.treeFile);
    } catch (const std::exception& error) {
        throw ScenarioError(scenario.file + ": \"tree\": " + error.what());
    }
}

// The scenario's steps, each checked against `tree` (when there is one, after the check that it
// fits `program`) before the run.
std::unique_ptr<StepQueue> checkedSteps(const Scenario& scenario, const std::string& program,
                                        const WorkFolder& folder, const host::HostTree* tree) {
    std::optional<ParameterValidator> validator;
    if (tree != nullptr) {
        checkTreeFitsProgram(scenario, program, *tree);
        validator.emplace(scenario, *tree);
        validator->validate();
    }
    return std::make_unique<StepQueue>(scenario, folder.scratchFile("steps"),
                                       [&validator](const Step& step) {
                                           if (validator) {
                                               validator->validateStep(step);
                                           }
                                       });
}

// The level of the points written: the one asked for, and at least every level the scenario
// checks for its absence.
uint32_t traceLevel(const Scenario& scenario, const RunSettings& settings) {
    return std::max(settings.traceLevel, scenario.noTraceUpToLevel.value_or(0));
}

// The check that no trace point of the scenario's level or below was written in the run.
CheckResult checkNoTrace(const Scenario& scenario, const host::TraceWatch& watch) {
    const std::vector<host::TraceRecord> found = watch.records();
    std::string actual = std::to_string(found.size()) + " written";
    if (!found.empty()) {
        actual += ", the first: " + host::formatTrace(found.front());
    }
    return CheckResult{
        scenario.stepCount,
        "no trace at level " + std::to_string(*scenario.noTraceUpToLevel) + " or below in the run",
        actual, found.empty()};
}

// Hands `check` to the recorder and counts it in `result` when it failed.
void recordCheck(RunResult& result, RunRecorder& recorder, const CheckResult& check) {
    result.failedChecks += check.passed ? 0 : 1;
    recorder.check(check);
}

class Run {
  public:
    // Gives the first life `tree` (null: the program makes its own from the model).
    Run(const Scenario& scenario, const RunSettings& settings, ProgramMain entry,
        const WorkFolder& folder, StepQueue& steps, std::unique_ptr<host::HostTree> tree,
        RunRecorder& recorder)
        : myScenario(scenario),
          mySettings(settings),
          myEntry(entry),
          myFolder(folder),
          mySteps(steps),
          myTree(std::move(tree)),
          myRecorder(recorder),
          myAlternatives(scenario.outputs) {}

    ~Run() { endLife(); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    RunResult execute() {
        myFolder.layOut(myScenario.files, "\"files\"");
        bool restarted = true;
        while (restarted) {
            restarted = false;
            if (!runLife(restarted)) {
                return finish();
            }
        }
        stopIfAsked(false);
        myResult.completed = true;
        return finish();
    }

  private:
    // ---- Lives ----

    void configureHost() {
        host::resetKernel();
        host::resetFramework();
        host::useVirtualTime(myClock);
        host::resetTraceSettings();
        host::setTraceLevel(traceLevel(myScenario, mySettings));
        host::setTraceLogFile(mySettings.traceLog);
        host::setTasteName(myScenario.taste);
        host::setLanguage(myScenario.language);
        host::setInstanceIndex(myScenario.instance);
        if (!myScenario.dictionaryFile.empty()) {
            host::loadTextDictionary(myScenario.dictionaryFile);
        }
        if (myFreshTree) {
            host::dropAddressSpaceTree();  // else the tree of the life before goes on
        }
        host::setTreeModelFile(myScenario.treeFile);
        if (myTree) {
            host::prepareAddressSpaceTree(std::move(myTree));  // made for the names' check
        }
        configureTestAddressSpace(myScenario.testProgram);
    }

    void beginLife() {
        configureHost();
        SystemManagerOptions options;
        options.self = myScenario.self;
        options.self.basePath = myFolder.basePath();
        options.answerCode = myScenario.answerCode;
        options.supervisionTime = kSupervisionTime;
        options.mergeRepeatedArmings = true;
        myDisplay = std::make_unique<DisplayService>();
        myManager = std::make_unique<SystemManager>(options);
        ProgramMain entry = myEntry;
        myManager->watchTask(host::spawnTask(myScenario.self.asName.c_str(), [entry] { entry(); }));
        myEventMark = 0;
        myEventsPassed = 0;
        myShutDown = false;
        ++myResult.lives;
    }

    // Keeps what the life recorded and ends it as the device ends an address space: its tasks,
    // then what its memory held in the tree (the tree itself stays), then its kernel objects.
    void endLife() {
        if (!myManager) {
            return;
        }
        passEvents(myManager->eventCount());
        takeDisplaySent();
        myRecorder.displayState(myDisplay->model().dump());
        myClock = host::currentTime();
        myOverwrites.clear();
        myAlternatives.clear();
        host::endAllTasks();
        host::keepAddressSpaceTree();
        myManager.reset();
        myDisplay.reset();
    }

    // One life: the start-up with the steps of its phases, RUN, the steps of the run phase up
    // to a restart (`restarted`) or the end, the shutdown. False when it did not complete.
    bool runLife(bool& restarted) {
        beginLife();
        const std::string life = "life " + std::to_string(myResult.lives) + ": ";
        if (!myManager->awaitRegistration()) {
            return fail(life + "the registration did not complete");
        }
        const std::vector<uint32_t>& states = myScenario.startUpStates;
        size_t rank = 0;
        bool ok = stepsOfRank(rank++) && myManager->runState(kSysManStateComponentStart) &&
                  stepsOfRank(rank++) && myManager->walkComponents(states.front()) &&
                  stepsOfRank(rank++);
        for (size_t i = 1; ok && i <= states.size(); ++i) {
            ok = myManager->runState(i < states.size() ? states[i] : kSysManStateReady) &&
                 stepsOfRank(rank++);
        }
        if (!ok || !myManager->run(myScenario.runCycleData)) {
            return fail(myFailure.empty() ? life + "the start-up did not complete" : myFailure);
        }
        if (!stepsOfRank(rank)) {
            return fail(myFailure);
        }
        if (!myManager) {
            restarted = true;  // a restart step ended the life; the steps left are the next's
            return true;
        }
        if (myScenario.shutdown && !myShutDown && !myManager->shutdown()) {
            return fail(life + "the shutdown did not complete");
        }
        endLife();
        return true;
    }

    // Hands the recorder the events of the life before index `end`, then forgets them.
    void passEvents(size_t end) { passEvents(myManager->eventsFrom(myEventsPassed), end); }
    // The same with the events from index myEventsPassed on, `unpassed`, already at hand.
    void passEvents(const std::vector<Event>& unpassed, size_t end) {
        for (const Event& event : unpassed) {
            if (myEventsPassed == end) {
                break;
            }
            myResult.fatalStop = myResult.fatalStop || isFatal(event.kind);
            myRecorder.event(event);
            ++myEventsPassed;
        }
        myManager->forgetEventsBefore(myEventsPassed);
    }

    // Performs the steps of the phase `rank`; a restart step ends the life and the loop.
    bool stepsOfRank(size_t rank) {
        for (const Step* next = mySteps.next(); next != nullptr && next->phase.rank == rank;
             next = mySteps.next()) {
            stopIfAsked(false);
            ++myResult.steps;
            myLastStep = next->number;
            myManager->setStep(next->number);
            const bool performed = performStep(*next);
            if (myManager) {
                myManager->setStep(0);  // (a restart step ended the life and its manager)
            }
            const bool restarted = next->command && next->command->isRestart();
            const size_t number = next->number;
            mySteps.pop();  // `next` is gone from here on
            if (!performed) {
                myFailure = "step " + std::to_string(number) + " did not complete";
                return false;
            }
            if (restarted) {
                return true;
            }
        }
        return true;
    }

    bool fail(const std::string& failure) {
        myResult.failure = failure;
        endLife();
        return false;
    }

    // ---- Steps ----

    bool performStep(const Step& step) {
        myFolder.layOut(step.write, "step " + std::to_string(step.number) + ": \"write\"");
        setParameters(step);
        if (step.setsDisplayContext) {
            myDisplay->setContext(step.displayContext);
        }
        for (const DisplayInjection& injection : step.display) {
            myDisplay->deliver(injection.itemId, injection.commandCode, injection.payload);
        }
        if (!advance(step.advanceSeconds)) {
            return false;
        }
        if (step.command && step.command->isRestart()) {
            const bool ended = restart(step);
            checkSequences(step);  // on what the ended life recorded
            checkFiles(step);
            return ended;
        }
        if (step.command && !sendCommand(step.number, *step.command, step.comment)) {
            return false;
        }
        for (const Expectation& expectation : step.expectations) {
            record(checkParameter(step.number, expectation));
        }
        for (const DisplayItemExpectation& expectation : step.displayState) {
            record(checkDisplayItem(step.number, expectation, myDisplay->model()));
        }
        checkSequences(step);
        checkFiles(step);
        return !myManager->stopped();
    }

    // Moves virtual time on by `seconds` a slice at a time, stopping between slices when
    // asked to; false when the time source refused it.
    bool advance(double seconds) {
        std::chrono::nanoseconds left(static_cast<int64_t>(std::llround(seconds * 1e9)));
        while (left.count() > 0) {
            stopIfAsked(true);
            const std::chrono::nanoseconds slice =
                std::min<std::chrono::nanoseconds>(left, kAdvanceSlice);
            if (!myManager->advance(slice)) {
                return false;
            }
            left -= slice;
        }
        return true;
    }

    // Throws RunStopped when a signal asked for a stop; `inStep`: within the last step begun,
    // else after it.
    void stopIfAsked(bool inStep) const {
        const int signal = mySettings.stopSignal != nullptr ? mySettings.stopSignal->load() : 0;
        if (signal == 0) {
            return;
        }
        throw RunStopped(signal, myScenario.file,
                         myLastStep == 0
                             ? "before the first step"
                             : (inStep ? "in step " : "after step ") + std::to_string(myLastStep));
    }

    void setParameters(const Step& step) {
        if (step.inputs.empty()) {
            return;
        }
        host::HostTree* tree = host::addressSpaceTree();
        if (tree == nullptr) {
            throw ScenarioError(stepPlace(myScenario, step.number) +
                                ": \"set\": the program has no tree in this phase");
        }
        bool changed = false;
        for (const InputSetting& input : step.inputs) {
            try {
                applySetting(*tree, input);
            } catch (const std::exception& error) {
                throw ScenarioError(stepPlace(myScenario, step.number) + ": set " +
                                    sim::quoted(input.path) + ": " + error.what());
            }
            changed = changed || input.change;
            myOverwrites.watch(step.number, input);
            myAlternatives.watch(step.number, input.path);
        }
        if (changed) {
            tree->deliverChanges();
            host::waitForQuiescence();
        }
    }

    // Writes one setting; marks the change unless it is written quietly.
    static void applySetting(host::HostTree& tree, const InputSetting& input) {
        if (input.value) {
            tree.setDouble(input.path, *input.value);
        }
        if (input.text) {
            tree.setText(input.path, host::treeTextFromUtf8(*input.text));
        }
        if (input.choice) {
            tree.setSelectedChoice(input.path, *input.choice);
        }
        if (input.status) {
            tree.setStatus(input.path, *input.status);
        }
        if (input.inUse) {
            tree.setInUse(input.path, *input.inUse);
        }
        if (input.change) {
            tree.markChanged();
        }
    }

    bool sendCommand(size_t number, const ScenarioCommand& command, const std::string& comment) {
        bool sent = false;
        if (command.code == kSysManCmdRun) {
            sent = myManager->run(command.cycleData);
        } else if (command.code == kSysManCmdShutdown) {
            sent = myManager->shutdown();
            myShutDown = true;
        } else if (command.isService()) {
            sent = myManager->sendServiceCommand(command.code, command.service);
        } else {
            sent = myManager->sendCommand(command.code, command.argument, command.cycleData);
        }
        if (sent && command.isCycle()) {
            CycleRow row{number, seconds(host::currentTime()), command.name, {}, comment};
            for (const std::string& path : myScenario.outputs) {
                row.outputs.push_back(readOutput(path));
            }
            myRecorder.row(row);
            myOverwrites.afterCycle(number, myWarnings);
            if (const host::HostTree* tree = host::addressSpaceTree()) {
                myAlternatives.afterCycle(number, *tree, myWarnings);
            } else {
                myAlternatives.clear();
            }
        }
        return sent;
    }

    // Shuts the life down (unless a step did) and ends it; the events it recorded since the
    // previous step stay available to the step's checks.
    bool restart(const Step& step) {
        const bool shutDown = myShutDown || myManager->shutdown();
        myStepEvents = myManager->eventsFrom(myEventMark);
        myEventMark = 0;
        endLife();
        myFreshTree = step.freshTree;
        if (!shutDown) {
            myFailure = "step " + std::to_string(step.number) + ": the shutdown did not complete";
        }
        return shutDown;
    }

    // Checks what was recorded since the previous step; the events before the last are final
    // then (only the last can take a repeated arming) and go to the recorder.
    void checkSequences(const Step& step) {
        if (myManager) {
            // The events not yet passed: the last of the previous step's, then this step's.
            const std::vector<Event> unpassed = myManager->eventsFrom(myEventsPassed);
            const auto stepStart =
                unpassed.begin() + static_cast<std::ptrdiff_t>(
                                       std::min(myEventMark - myEventsPassed, unpassed.size()));
            myStepEvents.assign(stepStart, unpassed.end());
            myEventMark += myStepEvents.size();
            if (myEventMark > 0) {
                passEvents(unpassed, myEventMark - 1);
            }
        }
        append(checkEvents(step.number, step.events, myStepEvents));
        myStepEvents.clear();
        const std::vector<host::SentCommand> recent = takeDisplaySent();
        if (!step.displaySent.empty() && myDisplay) {
            append(checkDisplay(step.number, step.displaySent, recent));
        }
    }

    // Hands the records the display peer received since the last call to the recorder; they are
    // then kept no longer.
    std::vector<host::SentCommand> takeDisplaySent() {
        if (!myDisplay) {
            return {};
        }
        std::vector<host::SentCommand> recent = myDisplay->takeSent();
        for (const host::SentCommand& sent : recent) {
            const std::string payload = DisplayModel::payloadText(sent.commandCode, sent.payload);
            myRecorder.displaySent(std::to_string(sent.itemId) + " " +
                                   std::to_string(sent.commandCode) +
                                   (payload.empty() ? "" : " " + payload));
        }
        return recent;
    }

    void checkFiles(const Step& step) {
        for (const FileCheck& check : step.files) {
            record(checkFile(step.number, myFolder.basePath(), check));
        }
    }

    void append(const std::vector<CheckResult>& checks) {
        for (const CheckResult& check : checks) {
            record(check);
        }
    }

    void record(const CheckResult& check) { recordCheck(myResult, myRecorder, check); }

    RunResult finish() {
        endLife();
        for (const std::string& warning : myWarnings.lines()) {
            myRecorder.warning(warning);
        }
        if (!myResult.completed && myResult.failure.empty()) {
            myResult.failure = myFailure;
        }
        return std::move(myResult);
    }

    const Scenario& myScenario;
    const RunSettings& mySettings;
    ProgramMain myEntry;
    const WorkFolder& myFolder;
    StepQueue& mySteps;
    std::unique_ptr<host::HostTree> myTree;  // for the first life
    RunRecorder& myRecorder;
    std::unique_ptr<DisplayService> myDisplay;
    std::unique_ptr<SystemManager> myManager;
    RunResult myResult;     // the summary: no records
    Time myClock{0, 0};     // where the next life's time starts
    size_t myLastStep = 0;  // the number of the last step begun, 0 before the first
    size_t myEventMark = 0;
    size_t myEventsPassed = 0;        // to the recorder, of the life's events
    std::vector<Event> myStepEvents;  // recorded since the previous step
    bool myShutDown = false;
    bool myFreshTree = true;  // the next life starts with a tree made from the model
    std::string myFailure;
    OverwriteWatch myOverwrites;      // what the steps set, until the next cycle
    AlternativeWatch myAlternatives;  // likewise, and the outputs
    RunWarnings myWarnings;           // handed to the recorder at the end of the run
};

// Keeps every record of the run, for RunResult.
class KeepingRecorder : public RunRecorder {
  public:
    void start(const WorkFolder& /*folder*/) override {}
    void event(const Event& event) override { myKept.events.push_back(event); }
    void row(const CycleRow& row) override { myKept.rows.push_back(row); }
    void check(const CheckResult& check) override { myKept.checks.push_back(check); }
    void displaySent(const std::string& record) override { myKept.displaySent.push_back(record); }
    void displayState(const std::string& dump) override { myKept.displayStates.push_back(dump); }
    void warning(const std::string& line) override { myKept.warnings.push_back(line); }
    void finish(const RunResult& /*summary*/) override {}

    // Gives `result` the records.
    void moveInto(RunResult& result) {
        result.events = std::move(myKept.events);
        result.rows = std::move(myKept.rows);
        result.checks = std::move(myKept.checks);
        result.displaySent = std::move(myKept.displaySent);
        result.displayStates = std::move(myKept.displayStates);
        result.warnings = std::move(myKept.warnings);
    }

  private:
    RunResult myKept;
};

// Back to a clean host after a run, also after a failed one.
void cleanUpHost() {
    host::dropAddressSpaceTree();
    host::setTreeModelFile("");
    configureTestAddressSpace({});
    host::setTraceLogFile("");
    host::resetKernel();
    host::resetFramework();
}

}  // namespace

int RunResult::exitCode() const {
    if (fatalStop || !completed) {
        return kExitStopped;
    }
    return failedChecks > 0 ? kExitExpectationFailed : kExitPassed;
}

RunResult runScenario(const Scenario& scenario, const RunSettings& settings,
                      RunRecorder& recorder) {
    std::string name = settings.program.empty() ? scenario.program : settings.program;
    if (name.empty() && !settings.programs.empty()) {
        name = settings.programs.front().name;
    }
    const ProgramMain entry = findProgram(settings.programs, name);
    if (entry == nullptr) {
        throw ScenarioError(scenario.file + ": \"program\": unknown program " + sim::quoted(name) +
                            " (known: " + programNames(settings.programs) + ")");
    }
    checkTraceLog(settings.traceLog);
    host::resetFramework();
    std::unique_ptr<host::HostTree> tree = loadFiles(scenario);
    const WorkFolder folder(scenario.baseFolder, scenario.keepFiles, scenario.file);
    if (folder.basePath().size() >= sizeof(SelfInformation::szBasePath)) {
        throw ScenarioError(scenario.file + ": \"basePath\": the work folder's path " +
                            sim::quoted(folder.basePath()) +
                            " is too long for the self-information");
    }
    const std::unique_ptr<StepQueue> steps = checkedSteps(scenario, name, folder, tree.get());
    try {
        std::optional<host::TraceWatch> watch;
        if (scenario.noTraceUpToLevel) {
            watch.emplace(*scenario.noTraceUpToLevel);
        }
        recorder.start(folder);
        RunResult result =
            Run(scenario, settings, entry, folder, *steps, std::move(tree), recorder).execute();
        cleanUpHost();  // the tree's end counts too
        if (watch) {
            recordCheck(result, recorder, checkNoTrace(scenario, *watch));
        }
        recorder.finish(result);
        return result;
    } catch (...) {
        cleanUpHost();
        throw;
    }
}

RunStopped::RunStopped(int signal, const std::string& file, const std::string& where)
    : std::runtime_error(file + ": stopped by " + StopSignals::nameOf(signal) + " " + where),
      mySignal(signal) {}

RunResult runScenario(const Scenario& scenario, const RunSettings& settings) {
    KeepingRecorder keeping;
    RunResult result = runScenario(scenario, settings, keeping);
    keeping.moveInto(result);
    return result;
}

int runAndPrint(const Scenario& scenario, const RunSettings& settings, std::ostream& out, bool csv,
                bool handshake) {
    ReportWriter writer(scenario, out, csv, handshake);
    return runScenario(scenario, settings, writer).exitCode();
}

}  // namespace sim
