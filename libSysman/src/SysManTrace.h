// Trace points of the system-manager client (file 0xc, selector 0).
#pragma once

#include <cstdint>

#include "TarvoTrace.h"

namespace sysman {

constexpr uint32_t kTraceFile = 0xc;

// Start and registration.
constexpr uint32_t kTraceStart = 0xc0007;
constexpr uint32_t kTraceNoAsInfo = 0xc0012;           // requested size
constexpr uint32_t kTraceAlreadyRegistered = 0xc0023;  // registered value
constexpr uint32_t kTraceNoErrorHandler = 0xc0083;
constexpr uint32_t kTraceNoCmdConnection = 0xc00a3;    // resource name
constexpr uint32_t kTraceNoStartConnection = 0xc00d3;  // resource name
constexpr uint32_t kTraceNoSemaphore = 0xc00f3;        // resource name
constexpr uint32_t kTraceBadAnswer = 0xc0173;          // AS name, answer code
constexpr uint32_t kTraceAnswered = 0xc0187;           // AS name
constexpr uint32_t kTraceSetupFailed = 0xc01a3;        // AS name
constexpr uint32_t kTraceStartTextTooLong = 0xc01d3;   // AS name, text
constexpr uint32_t kTraceRegistered = 0xc01f7;         // AS name
constexpr uint32_t kTraceLoopReturned = 0xc0203;       // AS name
constexpr uint32_t kTraceNoDefaultHooks = 0xc03b3;

// Command loop, states and timers.
constexpr uint32_t kTraceState = 0xc0216;               // AS name, nStateIndex
constexpr uint32_t kTraceNoConfigDevice = 0xc0221;      // code, kernel error name
constexpr uint32_t kTraceParamNewFound = 0xc0237;       // szParText
constexpr uint32_t kTraceTerminate = 0xc0247;           // AS name (state 18)
constexpr uint32_t kTraceMemoryFailed = 0xc0261;        // code, kernel error name
constexpr uint32_t kTraceMemoryLabel = 0xc0275;         // AS name, label, pages, bytes
constexpr uint32_t kTraceMemory = 0xc0285;              // AS name, pages, bytes
constexpr uint32_t kTraceParamNewNotRemoved = 0xc0293;  // path, szParText
constexpr uint32_t kTraceParamNewRemoved = 0xc02a7;     // szParText
constexpr uint32_t kTraceTriggerSubCode = 0xc02b3;      // argument word
constexpr uint32_t kTraceNoState13 = 0xc02d7;
constexpr uint32_t kTraceCommand1 = 0xc02e5;             // AS name, service name
constexpr uint32_t kTraceCommand2 = 0xc02f5;             // AS name, service name
constexpr uint32_t kTraceCommand3 = 0xc0305;             // AS name
constexpr uint32_t kTraceCommand4 = 0xc0317;             // AS name
constexpr uint32_t kTraceServiceReleased = 0xc0326;      // service name, activity id
constexpr uint32_t kTraceAlarmTick = 0xc0337;            // AS name
constexpr uint32_t kTraceActivityError = 0xc0343;        // AS name, id, kernel error name
constexpr uint32_t kTraceNoService = 0xc0357;            // AS name, id
constexpr uint32_t kTraceAliveArmed = 0xc0367;           // AS name
constexpr uint32_t kTraceAliveNoAlarm = 0xc0377;         // AS name
constexpr uint32_t kTraceNoStartedEntry = 0xc0383;       // AS name, command code, nStartIndex
constexpr uint32_t kTraceParamNewPathTooLong = 0xc0393;  // AS name, path length
constexpr uint32_t kTraceAlarmRunning = 0xc03a5;         // AS name

}  // namespace sysman
