// The simulated system manager: owns the named objects the system-manager client asks for,
// answers its registration with a self-information block, drives it through its states and
// commands, and records everything the address space sends back.
//
// The driver (a test or the scenario runner) calls the command functions from its own thread;
// each sends one command and returns once every task of the simulation has reacted
// (quiescence). The simulation works on the host's virtual time.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Kernel.h"
#include "SimEvents.h"
#include "SysManProtocol.h"
#include "Sysmanlib.h"

namespace sim {

// The self-information fields the system manager gives the address space.
struct SelfInfoSettings {
    uint32_t mode = 3;
    std::string parPrefix = "Test";
    std::string parDir = "par";
    std::string asName = "TestAS";
    std::string basePath = "./";
    std::string parText = "new parameters";
    uint8_t language = 0;
    uint8_t instance = 1;
    uint8_t traceSelector = 0;
};

// The 1268-byte self-information of `settings`, little-endian. Each text is cut to its field;
// a text that fills its field whole travels without terminator, as the wire allows.
std::vector<uint8_t> buildSelfInformation(const SelfInfoSettings& settings);

struct SystemManagerOptions {
    SelfInfoSettings self;
    uint32_t answerCode = kSysManAnswerAccepted;    // code of the registration answer
    uint32_t stateAnswerCode = kSysmanlibAnswerOk;  // first word of the answers to state replies
    Time supervisionTime{0, 0};                     // alarm time of the supervision record
    uint32_t supervisionPeriodic = 0;
    uint32_t firstServiceActivityId = 100;      // activity ids given to connected services
    std::vector<std::string> omittedResources;  // named objects not to register (tests)
    // An arming recorded right after an arming is merged into it (Event::repeats), so that a
    // long run keeps one event per stretch of one-second armings.
    bool mergeRepeatedArmings = false;
};

// A service description and the connections a service command hands over.
struct ServiceOffer {
    std::string name;          // "" connects nothing
    uint32_t activityId = 0;   // the service's activity id
    uint32_t connections = 2;  // 0 to 2 connection ends handed over (objects 1 and 2)
};

// The states the start-up walks after the component walk, in this order; then the ready state
// (no hook), which RUN answers, so that RUN repeats no hook.
extern const std::vector<uint32_t> kStartUpStates;
constexpr uint32_t kReadyState = kSysManStateReady;
constexpr uint32_t kRunningState = kSysManStateRunning;
constexpr uint32_t kShutdownState = kSysManStateShutdown;

class SystemManager {
  public:
    // Registers the named objects and starts the system manager's tasks. The host kernel and
    // framework should be fresh (host::resetKernel, host::resetFramework).
    explicit SystemManager(SystemManagerOptions options);
    // Ends the address space and the simulation: every task of the host kernel is ended and
    // the kernel is reset (host::resetKernel).
    ~SystemManager();
    SystemManager(const SystemManager&) = delete;
    SystemManager& operator=(const SystemManager&) = delete;

    // The address space's initial task; once it has ended the address space counts as stopped.
    void watchTask(Task task);

    // Waits until the start-up has settled; true when the registration completed.
    bool awaitRegistration();
    bool registered() const;
    // True once the address space stopped: a fatal stop, a task fault, or its task ended.
    bool stopped() const;

    // Sends one command (code, argument word, data, two objects) on the command connection and
    // waits for quiescence. False (and nothing sent) when the address space is not registered
    // or stopped; false also when the address space stopped while handling it.
    bool sendCommand(uint32_t code, uint32_t argument = 0, const std::vector<uint8_t>& data = {},
                     Connection object1 = nullptr, Connection object2 = nullptr);

    // The state that the answers to the next state replies name (the walk of state 1 goes on
    // by itself while components answer 0).
    void setNextState(uint32_t state);
    // Command 5: the address space performs its current state; the answer names `nextState`.
    bool runState(uint32_t nextState);
    // One step of the component walk: connects the service the component started last asked
    // for (command 2 with the service's description and two connections), or goes on without
    // one (command 3).
    bool connectRequestedService();
    // The component walk: performs state 1 (the answer naming `afterWalk`) and connects the
    // service each started component asks for, until the walk ends.
    bool walkComponents(uint32_t afterWalk);
    // Service command 1, 2 or 3 with `offer`'s description and connections (the connections'
    // other ends are kept until the simulation ends).
    bool sendServiceCommand(uint32_t code, const ServiceOffer& offer);
    // The whole start: state 0, the component walk with its service connections, the states
    // of kStartUpStates, ending in the ready state.
    bool startUp();
    // RUN with the cycle data; the answer names `nextState`.
    bool run(const std::vector<uint8_t>& cycleData = {}, uint32_t nextState = kRunningState);
    // A trigger or cycle command (40, 43, 48, 51, 42, 50) with its argument word.
    bool trigger(uint32_t code, uint32_t argument, const std::vector<uint8_t>& cycleData = {});
    // Command 20; the answers name state 13.
    bool shutdown();
    // Moves virtual time forward; due alarms fire and every task reacts. False when the time
    // source refused the duration.
    bool advance(std::chrono::nanoseconds duration);

    // Events recorded from now on belong to scenario step `step` (Event::step; 0: none).
    void setStep(size_t step);

    // The events kept (every event unless forgotten).
    std::vector<Event> events() const;
    // Number of events so far, forgotten ones included, and the kept events from index `first`
    // on (indexes count every event since the start or clearEvents).
    size_t eventCount() const;
    std::vector<Event> eventsFrom(size_t first) const;
    std::vector<Event> events(EventKind kind) const;
    std::optional<Event> lastEvent(EventKind kind) const;
    void clearEvents();
    // Forgets the events before index `first`, except the last event, which a repeated arming
    // can still change; eventCount and the indexes stay as they were. A long run keeps its log
    // short this way.
    void forgetEventsBefore(size_t first);

  private:
    void registerResources();
    void registrationTask();
    bool exchangeRegistration(Connection commandEnd);
    void linkTask(Connection link);
    void handleLinkMessage(Connection link, const Buffer* message, const char* payload);
    void nameTask();
    void supervisionTask();
    void record(EventKind kind, uint32_t value = 0, uint32_t detail = 0, std::string text = {});
    void recordAt(double time, EventKind kind, uint32_t value, uint32_t detail, std::string text);
    void observeClockAlarm(Clock clock, bool armed, Time now);
    std::vector<uint8_t> serviceDescription(uint32_t activityId, const std::string& name) const;

    SystemManagerOptions myOptions;
    mutable std::mutex myMutex;
    std::deque<Event> myEvents;
    size_t myForgottenEvents = 0;  // events before myEvents.front()
    size_t myStep = 0;             // Event::step of the events recorded now
    uint32_t myNextState = 1;
    Connection myCommandEnd = nullptr;
    bool myRegistered = false;
    bool myStopReported = false;  // a fatal stop or task fault was recorded
    Task myWatchedTask = nullptr;
    uint32_t myNextActivityId;
    Connection myStartEnd = nullptr;
    Connection myNameEnd = nullptr;
    Semaphore myStartSemaphore = nullptr;
    Clock mySupervisionClock = nullptr;
};

}  // namespace sim
