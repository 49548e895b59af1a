// What the simulated system manager saw of an address space, in the order it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

enum class EventKind {
    RegistrationName,  // text: the registration name (on "conSysManCmd")
    Start,             // value: start code; detail: 1 when the task link and the connection came
    Release,           // text: release string; detail: its length with the NUL; value: 1 when
                       // the link to the address space came
    StartText,         // text: start text; detail: its length
    Registered,        // semSysMan released
    Command,           // value: command code; detail: argument word (sent by the system manager)
    StateReply,        // value: reply code; detail: the state it answers
    Code,              // value: the code
    ServiceRequested,  // text: service name ("" when none)
    ServiceReleased,   // text: service name; value: its activity id
    TriggerProcessed,  // value: the state code
    TriggerDone,
    Checksum,            // value: pass total
    DirChecksum,         // value: directory checksum
    SupervisionArmed,    // the address space set the supervision clock's alarm
    SupervisionCleared,  // the address space cleared it
    SupervisionExpired,  // the supervision clock's alarm went off (the arming came too late)
    FatalStop,           // value: the code; text: the message
    TaskFault,           // text: what escaped the task
};

// Name of the kind ("StateReply", ...).
const char* eventName(EventKind kind);
// True for the kinds that stop the program: a fatal stop and a fault that escaped a task.
bool isFatal(EventKind kind);
// What a command code of the system manager asks for ("state", "RUN", "trigger", ...); "" for a
// code without a name.
const char* commandName(uint32_t code);
// What the address space does in a state ("load parameters", "FbDO", "ready", ...); "" for a
// state that only replies.
const char* stateName(uint32_t state);
// The kind of a name; false when no kind has it.
bool eventKindFromName(const std::string& name, EventKind* kind);

struct Event {
    EventKind kind;
    double time;  // seconds on the time source
    uint32_t value = 0;
    uint32_t detail = 0;
    std::string text;
    // Consecutive armings merged into this one (SystemManagerOptions::mergeRepeatedArmings):
    // how many, and the time of the last.
    uint32_t repeats = 1;
    double lastTime = 0.0;
    // The scenario step being performed when it was recorded (SystemManager::setStep); 0 for
    // the life cycle that the runner drives between steps.
    size_t step = 0;
};

}  // namespace sim
