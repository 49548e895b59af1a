// Numbers of the protocol between the system manager and the system-manager client, shared by
// the client (libSysman), the simulated system manager and the scenario runner so that they
// cannot drift apart. The message layouts are in Sysmanlib.h and AsInfo.h.
#pragma once

#include <cstdint>

// Command codes: first word of a command message on the address space's command end.
enum SysManCommandCode : uint32_t {
    kSysManCmdConnectOffered = 1,       // connect a service another address space offers
    kSysManCmdConnectStarted = 2,       // connect the service the component started last asked for
    kSysManCmdConnectStartedQuiet = 3,  // as 2; the trace carries no service name
    kSysManCmdReleaseService = 4,       // release the service whose activity id is the argument
    kSysManCmdState = 5,                // perform the current state
    kSysManCmdShutdown = 20,
    kSysManCmdRun = 21,        // RUN
    kSysManCmdState27 = 27,    // perform the current state, as 5
    kSysManCmdTrigger = 40,    // cycle trigger: onProcess with sub-code 1
    kSysManCmdFlagWord = 42,   // the argument becomes the flag word
    kSysManCmdProcess = 43,    // onProcess without trigger reports
    kSysManCmdTrigger48 = 48,  // trigger: onTrigger48 with sub-code 1
    kSysManCmdCommand50 = 50,  // onCommand50 with the argument word
    kSysManCmdTrigger51 = 51,  // trigger: onTrigger51 with sub-code 1
};

// Argument word of the trigger commands: the sub-code in bits 0 to 3; sub-code 1 is the cycle.
constexpr uint32_t kSysManTriggerSubCodeMask = 0xFu;
constexpr uint32_t kSysManTriggerSubCodeCycle = 1;

// Registration: the immediate word of the start message, and the answer code that accepts the
// registration (the same code accepts a state reply, kSysmanlibAnswerOk).
constexpr uint32_t kSysManStartMessageCode = 23;
constexpr uint32_t kSysManAnswerAccepted = 22;

// Codes the client sends with Sysmanlib_SendCode.
constexpr uint32_t kSysManCodeServiceConnected = 2;  // after command 1
constexpr uint32_t kSysManCodeShutDown = 25;         // the action of state 13

// State codes the protocol itself relies on.
constexpr uint32_t kSysManStateComponentStart = 1;  // the component walk
constexpr uint32_t kSysManStateReady = 12;          // after the start-up; RUN answers it
constexpr uint32_t kSysManStateShutdown = 13;
constexpr uint32_t kSysManStateRunning = 14;

// Reply code of state 1 when a component was started (the walk goes on).
constexpr uint32_t kSysManReplyComponentStarted = 0;

// Password of the resource manager's protected resources ("RealTimeClock",
// "ConfigurationIODevice").
constexpr char kSysManResourcePassword[] = "!lanternmeadows";
