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
        case EventKind::FatalStop:
            return "FatalStop";
        case EventKind::TaskFault:
            return "TaskFault";
    }
    return "?";
}

}  // namespace sim
