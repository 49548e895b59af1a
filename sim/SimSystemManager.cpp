#include "SimSystemManager.h"

#include <algorithm>
#include <cstring>

#include "AsInfo.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "SysManProtocol.h"
#include "Sysmanlib.h"

namespace sim {
namespace {

constexpr size_t kMaxWalk = 64;

double seconds(Time time) {
    return time.Seconds + static_cast<double>(time.Fraction) / 4294967296.0;
}

void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void putText(std::vector<uint8_t>& bytes, size_t offset, size_t fieldSize,
             const std::string& text) {
    std::copy_n(text.begin(), std::min(text.size(), fieldSize), bytes.begin() + offset);
}

std::string textOf(const char* buffer, uintptr_t transferred) {
    return std::string(buffer, strnlen(buffer, transferred));
}

}  // namespace

const std::vector<uint32_t> kStartUpStates = {3, 17, 4, 5, 16, 7, 8, 11};

std::vector<uint8_t> buildSelfInformation(const SelfInfoSettings& settings) {
    std::vector<uint8_t> bytes(kSelfInfoSize, 0);
    putU32(bytes, kSelfInfoModeOffset, settings.mode);
    putText(bytes, kSelfInfoParPrefixOffset, sizeof(SelfInformation::szParPrefix),
            settings.parPrefix);
    putText(bytes, kSelfInfoParDirOffset, sizeof(SelfInformation::szParDir), settings.parDir);
    putText(bytes, kSelfInfoAsNameOffset, sizeof(SelfInformation::szAsName), settings.asName);
    putText(bytes, kSelfInfoBasePathOffset, sizeof(SelfInformation::szBasePath), settings.basePath);
    putText(bytes, kSelfInfoParTextOffset, sizeof(SelfInformation::szParText), settings.parText);
    bytes[kSelfInfoLanguageOffset] = settings.language;
    bytes[kSelfInfoInstanceOffset] = settings.instance;
    bytes[kSelfInfoTraceSelectorOffset] = settings.traceSelector;
    return bytes;
}

SystemManager::SystemManager(SystemManagerOptions options)
    : myOptions(std::move(options)), myNextActivityId(myOptions.firstServiceActivityId) {
    // A stopped address space stays parked in a kernel wait, so that the simulation sees it
    // quiescent and the kernel reset can end it.
    host::setFatalStopObserver([this](const host::FatalStop& stop) {
        record(EventKind::FatalStop, static_cast<uint32_t>(stop.code), 0, stop.message);
    });
    host::setFatalStopAction(host::FatalStopAction::Park);
    host::setTaskFaultHandler([this](Task, const char* what) {
        record(EventKind::TaskFault, 0, 0, what != nullptr ? what : "");
    });
    registerResources();
    host::setClockAlarmObserver(
        [this](Clock clock, bool armed, Time now) { observeClockAlarm(clock, armed, now); });
    host::spawnTask("SimSysMan", [this] { registrationTask(); });
    host::spawnTask("SimSysManCmd", [this] { nameTask(); });
    host::spawnTask("SimSupervision", [this] { supervisionTask(); });
}

SystemManager::~SystemManager() {
    host::setClockAlarmObserver(nullptr);
    host::resetKernel();
    host::setFatalStopObserver(nullptr);
    host::setFatalStopAction(host::FatalStopAction::Exit);
}

void SystemManager::registerResources() {
    auto omitted = [this](const char* name) {
        const auto& list = myOptions.omittedResources;
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    auto offer = [&](const char* name, Object object, const char* password) {
        if (!omitted(name)) {
            host::registerResource(name, object, password);
        }
    };
    Connection clientStart = nullptr;
    Connection clientCommand = nullptr;
    Connection device = nullptr;
    Connection deviceEnd = nullptr;
    Clock realTimeClock = nullptr;
    CreateConnection(&clientStart, &myStartEnd);
    CreateConnection(&clientCommand, &myNameEnd);
    CreateConnection(&device, &deviceEnd);
    CreateSemaphore(0, &myStartSemaphore);
    CreateVirtualClock(GetSystemClock(), 0, &realTimeClock);
    CreateVirtualClock(GetSystemClock(), 0, &mySupervisionClock);
    offer("conSysManStart", clientStart, "");
    offer("conSysManCmd", clientCommand, "");
    offer("semSysMan", myStartSemaphore, "");
    offer("RealTimeClock", realTimeClock, kSysManResourcePassword);
    offer("ConfigurationIODevice", device, kSysManResourcePassword);
}

void SystemManager::record(EventKind kind, uint32_t value, uint32_t detail, std::string text) {
    recordAt(seconds(host::currentTime()), kind, value, detail, std::move(text));
}

void SystemManager::recordAt(double time, EventKind kind, uint32_t value, uint32_t detail,
                             std::string text) {
    std::lock_guard<std::mutex> lock(myMutex);
    myStopReported = myStopReported || isFatal(kind);
    const bool merge = myOptions.mergeRepeatedArmings && kind == EventKind::SupervisionArmed &&
                       !myEvents.empty() && myEvents.back().kind == EventKind::SupervisionArmed;
    if (merge) {
        ++myEvents.back().repeats;
        myEvents.back().lastTime = time;
        return;
    }
    myEvents.push_back(Event{kind, time, value, detail, std::move(text), 1, time, myStep});
}

void SystemManager::setStep(size_t step) {
    std::lock_guard<std::mutex> lock(myMutex);
    myStep = step;
}

void SystemManager::observeClockAlarm(Clock clock, bool armed, Time now) {
    if (host::sameObject(clock, mySupervisionClock)) {
        recordAt(seconds(now), armed ? EventKind::SupervisionArmed : EventKind::SupervisionCleared,
                 0, 0, {});
    }
}

void SystemManager::registrationTask() {
    char regName[kRegNameSize] = {};
    Buffer start[4] = {
        {ImmediateBuffer, 0, 0, 0},
        {LinkBuffer, 0, 0, 0},
        {ObjectBuffer, 0, 0, 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(regName), sizeof(regName), 0},
    };
    if (SynchronousReceive(myStartEnd, start) != Success) {
        return;
    }
    const auto commandEnd = reinterpret_cast<Connection>(start[2].TheAddress);
    record(EventKind::Start, static_cast<uint32_t>(start[0].TheAddress),
           start[1].TheAddress != 0 && commandEnd != nullptr ? 1 : 0,
           textOf(regName, start[3].Transferred));
    {
        std::lock_guard<std::mutex> lock(myMutex);
        myCommandEnd = commandEnd;
    }
    exchangeRegistration(commandEnd);
}

bool SystemManager::exchangeRegistration(Connection commandEnd) {
    Connection link = nullptr;
    Connection clientLink = nullptr;
    CreateConnection(&link, &clientLink);
    std::vector<uint8_t> selfInfo = buildSelfInformation(myOptions.self);
    Buffer answer[4] = {
        {ImmediateBuffer, myOptions.answerCode, 0, 0},
        {ObjectBuffer, reinterpret_cast<uintptr_t>(clientLink), 0, 0},
        {ObjectBuffer, 0, 0, 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(selfInfo.data()), selfInfo.size(), 0},
    };
    if (SynchronousSend(commandEnd, answer) != Success) {
        return false;
    }
    char release[kStartTextSize] = {};
    char startText[kStartTextSize] = {};
    Buffer second[4] = {
        {ImmediateBuffer, 0, 0, 0},
        {LinkBuffer, 0, 0, 0},
        {DataBuffer, reinterpret_cast<uintptr_t>(release), sizeof(release), 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(startText), sizeof(startText), 0},
    };
    if (SynchronousReceive(link, second) != Success) {
        return false;
    }
    record(EventKind::Release, second[1].TheAddress != 0 ? 1 : 0,
           static_cast<uint32_t>(second[2].Transferred), textOf(release, second[2].Transferred));
    record(EventKind::StartText, 0, static_cast<uint32_t>(second[3].Transferred),
           std::string(startText, second[3].Transferred));
    Buffer supervision[4] = {
        {ObjectBuffer, reinterpret_cast<uintptr_t>(mySupervisionClock), 0, 0},
        {ObjectBuffer, 0, 0, 0},
        {ImmediateBuffer, static_cast<uintptr_t>(myOptions.supervisionTime.Seconds),
         myOptions.supervisionTime.Fraction, 0},
        {ImmediateBuffer | LastBuffer, myOptions.supervisionPeriodic, 0, 0},
    };
    if (SynchronousSend(commandEnd, supervision) != Success) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(myMutex);
        myRegistered = true;
    }
    record(EventKind::Registered);
    ReleaseSemaphore(myStartSemaphore);
    linkTask(link);
    return true;
}

void SystemManager::linkTask(Connection link) {
    for (;;) {
        char payload[kCommandDataSize] = {};
        Buffer message[3] = {
            {ImmediateBuffer, 0, 0, 0},
            {ImmediateBuffer, 0, 0, 0},
            {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(payload), sizeof(payload), 0},
        };
        const Error result = SynchronousReceive(link, message);
        if (result != Success && result != BufferTooSmall) {
            return;
        }
        handleLinkMessage(link, message, payload);
    }
}

void SystemManager::handleLinkMessage(Connection link, const Buffer* message, const char* payload) {
    const auto kind = static_cast<uint32_t>(message[0].TheAddress);
    const auto argument = static_cast<uint32_t>(message[0].Length);
    const auto argument2 = static_cast<uint32_t>(message[1].TheAddress);
    const std::string text = textOf(payload, message[2].Transferred);
    switch (kind) {
        case kSysmanlibStateReply: {
            record(EventKind::StateReply, argument, argument2);
            uint32_t next = 0;
            {
                std::lock_guard<std::mutex> lock(myMutex);
                const bool walking = argument2 == kSysManStateComponentStart &&
                                     argument == kSysManReplyComponentStarted;
                next = walking ? kSysManStateComponentStart : myNextState;
            }
            Buffer answer[1] = {{ImmediateBuffer | LastBuffer, myOptions.stateAnswerCode, next, 0}};
            SynchronousSend(link, answer);
            break;
        }
        case kSysmanlibCode:
            record(EventKind::Code, argument);
            break;
        case kSysmanlibRequestService:
            record(EventKind::ServiceRequested, 0, 0, text);
            break;
        case kSysmanlibTriggerProcessed:
            record(EventKind::TriggerProcessed, argument);
            break;
        case kSysmanlibTriggerDone:
            record(EventKind::TriggerDone);
            break;
        case kSysmanlibChecksum:
            record(EventKind::Checksum, argument);
            break;
        case kSysmanlibDirChecksum:
            record(EventKind::DirChecksum, argument);
            break;
        case kSysmanlibReleaseService:
            record(EventKind::ServiceReleased, argument, 0, text);
            break;
        default:
            break;
    }
}

void SystemManager::nameTask() {
    for (;;) {
        char name[kRegNameSize] = {};
        Buffer message[2] = {
            {ImmediateBuffer, 0, 0, 0},
            {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(name), sizeof(name), 0},
        };
        if (SynchronousReceive(myNameEnd, message) != Success) {
            return;
        }
        record(EventKind::RegistrationName, static_cast<uint32_t>(message[0].TheAddress), 0,
               textOf(name, message[1].Transferred));
    }
}

void SystemManager::supervisionTask() {
    while (SynchronousReceive(mySupervisionClock, nullptr) == Success) {
        record(EventKind::SupervisionExpired);
    }
}

void SystemManager::watchTask(Task task) {
    std::lock_guard<std::mutex> lock(myMutex);
    myWatchedTask = task;
}

bool SystemManager::awaitRegistration() {
    host::waitForQuiescence();
    return registered();
}

bool SystemManager::registered() const {
    std::lock_guard<std::mutex> lock(myMutex);
    return myRegistered;
}

bool SystemManager::stopped() const {
    Task watched = nullptr;
    {
        std::lock_guard<std::mutex> lock(myMutex);
        if (myStopReported) {
            return true;
        }
        watched = myWatchedTask;
    }
    host::TaskInfo info;
    return watched != nullptr && host::describeTask(watched, &info) == Success &&
           info.state == host::TaskState::Ended;
}

bool SystemManager::sendCommand(uint32_t code, uint32_t argument, const std::vector<uint8_t>& data,
                                Connection object1, Connection object2) {
    Connection commandEnd = nullptr;
    {
        std::lock_guard<std::mutex> lock(myMutex);
        commandEnd = myRegistered ? myCommandEnd : nullptr;
    }
    if (commandEnd == nullptr || stopped()) {
        return false;
    }
    record(EventKind::Command, code, argument);
    Buffer message[4] = {
        {ImmediateBuffer, code, argument, 0},
        {ObjectBuffer, reinterpret_cast<uintptr_t>(object1), 0, 0},
        {ObjectBuffer, reinterpret_cast<uintptr_t>(object2), 0, 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(data.data()), data.size(), 0},
    };
    const Error result = SynchronousSend(commandEnd, message);
    host::waitForQuiescence();
    return result == Success && !stopped();
}

void SystemManager::setNextState(uint32_t state) {
    std::lock_guard<std::mutex> lock(myMutex);
    myNextState = state;
}

bool SystemManager::runState(uint32_t nextState) {
    setNextState(nextState);
    return sendCommand(kSysManCmdState, 0);
}

std::vector<uint8_t> SystemManager::serviceDescription(uint32_t activityId,
                                                       const std::string& name) const {
    std::vector<uint8_t> description(kCommandDataSize, 0);
    putU32(description, kServiceDescActivityIdOffset, activityId);
    putText(description, kServiceDescNameOffset, kServiceDescNameSize - 1, name);
    return description;
}

bool SystemManager::sendServiceCommand(uint32_t code, const ServiceOffer& offer) {
    Connection objects[2] = {nullptr, nullptr};
    for (uint32_t i = 0; i < offer.connections && i < 2; ++i) {
        Connection peer = nullptr;
        CreateConnection(&objects[i], &peer);
    }
    return sendCommand(code, 0, serviceDescription(offer.activityId, offer.name), objects[0],
                       objects[1]);
}

bool SystemManager::connectRequestedService() {
    std::optional<Event> request = lastEvent(EventKind::ServiceRequested);
    if (!request || request->text.empty()) {
        return sendCommand(kSysManCmdConnectStartedQuiet, 0);
    }
    return sendServiceCommand(kSysManCmdConnectStarted,
                              ServiceOffer{request->text, myNextActivityId++, 2});
}

bool SystemManager::walkComponents(uint32_t afterWalk) {
    bool ok = runState(afterWalk);
    for (size_t walked = 0; ok && walked < kMaxWalk; ++walked) {
        std::optional<Event> reply = lastEvent(EventKind::StateReply);
        if (!reply || reply->detail != kSysManStateComponentStart ||
            reply->value != kSysManReplyComponentStarted) {
            break;
        }
        ok = connectRequestedService();
    }
    return ok;
}

bool SystemManager::startUp() {
    bool ok = runState(kSysManStateComponentStart) && walkComponents(kStartUpStates.front());
    for (size_t i = 1; ok && i < kStartUpStates.size(); ++i) {
        ok = runState(kStartUpStates[i]);
    }
    return ok && runState(kReadyState);
}

bool SystemManager::run(const std::vector<uint8_t>& cycleData, uint32_t nextState) {
    setNextState(nextState);
    return sendCommand(kSysManCmdRun, 0, cycleData);
}

bool SystemManager::trigger(uint32_t code, uint32_t argument,
                            const std::vector<uint8_t>& cycleData) {
    return sendCommand(code, argument, cycleData);
}

bool SystemManager::shutdown() {
    setNextState(kShutdownState);
    return sendCommand(kSysManCmdShutdown, 0);
}

bool SystemManager::advance(std::chrono::nanoseconds duration) {
    return host::advanceTime(duration) == Success;
}

std::vector<Event> SystemManager::events() const {
    std::lock_guard<std::mutex> lock(myMutex);
    return std::vector<Event>(myEvents.begin(), myEvents.end());
}

size_t SystemManager::eventCount() const {
    std::lock_guard<std::mutex> lock(myMutex);
    return myForgottenEvents + myEvents.size();
}

std::vector<Event> SystemManager::eventsFrom(size_t first) const {
    std::lock_guard<std::mutex> lock(myMutex);
    const size_t from = std::max(first, myForgottenEvents) - myForgottenEvents;
    if (from >= myEvents.size()) {
        return {};
    }
    return std::vector<Event>(myEvents.begin() + static_cast<std::ptrdiff_t>(from), myEvents.end());
}

std::vector<Event> SystemManager::events(EventKind kind) const {
    std::lock_guard<std::mutex> lock(myMutex);
    std::vector<Event> found;
    std::copy_if(myEvents.begin(), myEvents.end(), std::back_inserter(found),
                 [kind](const Event& event) { return event.kind == kind; });
    return found;
}

std::optional<Event> SystemManager::lastEvent(EventKind kind) const {
    std::lock_guard<std::mutex> lock(myMutex);
    for (auto it = myEvents.rbegin(); it != myEvents.rend(); ++it) {
        if (it->kind == kind) {
            return *it;
        }
    }
    return std::nullopt;
}

void SystemManager::clearEvents() {
    std::lock_guard<std::mutex> lock(myMutex);
    myEvents.clear();
    myForgottenEvents = 0;
}

void SystemManager::forgetEventsBefore(size_t first) {
    std::lock_guard<std::mutex> lock(myMutex);
    while (myEvents.size() > 1 && myForgottenEvents < first) {
        myEvents.pop_front();
        ++myForgottenEvents;
    }
}

}  // namespace sim
