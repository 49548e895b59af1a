#include "SimEvents.h"

namespace sim {

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
