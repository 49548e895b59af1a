#include "SimEvents.h"

#include "SysManProtocol.h"

namespace sim {

namespace {

struct CodeName {
    uint32_t code;
    const char* name;
};

constexpr CodeName kCommandNames[] = {
    {kSysManCmdConnectOffered, "connect offered"},
    {kSysManCmdConnectStarted, "connect started"},
    {kSysManCmdConnectStartedQuiet, "connect started quietly"},
    {kSysManCmdReleaseService, "release service"},
    {kSysManCmdState, "state"},
    {kSysManCmdShutdown, "shutdown"},
    {kSysManCmdRun, "RUN"},
    {kSysManCmdState27, "state"},
    {kSysManCmdTrigger, "trigger"},
    {kSysManCmdFlagWord, "flag word"},
    {kSysManCmdProcess, "process"},
    {kSysManCmdTrigger48, "trigger 48"},
    {kSysManCmdCommand50, "command 50"},
    {kSysManCmdTrigger51, "trigger 51"},
};

// The states with an action of their own (the others only reply).
constexpr CodeName kStateNames[] = {
    {0, "resources"},
    {kSysManStateComponentStart, "components"},
    {3, "initialize"},
    {4, "FbDO"},
    {5, "services start"},
    {7, "alarm"},
    {8, "task setup"},
    {11, "start"},
    {kSysManStateReady, "ready"},
    {kSysManStateShutdown, "shutdown"},
    {kSysManStateRunning, "running"},
    {16, "create"},
    {17, "load parameters"},
    {18, "terminate"},
};

template <size_t Count>
const char* nameOf(const CodeName (&names)[Count], uint32_t code) {
    for (const CodeName& entry : names) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return "";
}

}  // namespace

const char* commandName(uint32_t code) {
    return nameOf(kCommandNames, code);
}

const char* stateName(uint32_t state) {
    return nameOf(kStateNames, state);
}

bool isFatal(EventKind kind) {
    return kind == EventKind::FatalStop || kind == EventKind::TaskFault;
}

const char* eventName(EventKind kind) {
    switch (kind) {
        case EventKind::RegistrationName:
            return "RegistrationName";
        case EventKind::Start:
            return "Start";
        case EventKind::Release:
            return "Release";
        case EventKind::StartText:
            return "StartText";
        case EventKind::Registered:
            return "Registered";
        case EventKind::Command:
            return "Command";
        case EventKind::StateReply:
            return "StateReply";
        case EventKind::Code:
            return "Code";
        case EventKind::ServiceRequested:
            return "ServiceRequested";
        case EventKind::ServiceReleased:
            return "ServiceReleased";
        case EventKind::TriggerProcessed:
            return "TriggerProcessed";
        case EventKind::TriggerDone:
            return "TriggerDone";
        case EventKind::Checksum:
            return "Checksum";
        case EventKind::DirChecksum:
            return "DirChecksum";
        case EventKind::SupervisionArmed:
            return "SupervisionArmed";
        case EventKind::SupervisionCleared:
            return "SupervisionCleared";
        case EventKind::SupervisionExpired:
            return "SupervisionExpired";
        case EventKind::FatalStop:
            return "FatalStop";
        case EventKind::TaskFault:
            return "TaskFault";
    }
    return "?";
}

bool eventKindFromName(const std::string& name, EventKind* kind) {
    for (int value = 0; value <= static_cast<int>(EventKind::TaskFault); ++value) {
        if (name == eventName(static_cast<EventKind>(value))) {
            *kind = static_cast<EventKind>(value);
            return true;
        }
    }
    return false;
}

}  // namespace sim
