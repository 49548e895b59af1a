// The per-address-space block of the system-manager client. Its layout is shared between the
// client (which creates and fills it) and the framework (which keeps a pointer to it, fills
// pTheTree and reads the self-information, the text service and the display service).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "KernelTypes.h"

struct AsInfo;
struct FbDoTree;

// Sizes of the wire and text areas of the block.
enum : uint32_t {
    kSelfInfoSize = 1268,
    kCommandDataSize = 1500,
    kStartTextSize = 1500,
    kRegNameSize = 1500,
    kCycleDataSize = 24,
};

// Self-information received from the system manager: byte offsets of the fields the
// programs read. The block's first kSelfInfoSize bytes are exactly this wire image.
enum : uint32_t {
    kSelfInfoModeOffset = 0,
    kSelfInfoParPrefixOffset = 8,
    kSelfInfoParDirOffset = 40,
    kSelfInfoAsNameOffset = 72,
    kSelfInfoBasePathOffset = 104,
    kSelfInfoParTextOffset = 360,
    kSelfInfoLanguageOffset = 1128,
    kSelfInfoInstanceOffset = 1129,
    kSelfInfoTraceSelectorOffset = 1132,
};

struct SelfInformation {
    uint32_t nMode;
    uint32_t reserved4;
    char szParPrefix[32];
    char szParDir[32];
    char szAsName[32];
    char szBasePath[256];
    char szParText[768];  // up to the language byte; NUL-terminated inside its room
    uint8_t nLanguage;    // 0 first language, non-zero second (read by the framework)
    uint8_t nInstance;    // 1-based instance index (read by the framework)
    uint8_t reserved1130[2];
    uint8_t nTraceSelector;
    uint8_t reserved1133[kSelfInfoSize - 1133];
};
static_assert(sizeof(SelfInformation) == kSelfInfoSize, "self-information is a wire image");
static_assert(offsetof(SelfInformation, szParPrefix) == kSelfInfoParPrefixOffset, "layout");
static_assert(offsetof(SelfInformation, szParDir) == kSelfInfoParDirOffset, "layout");
static_assert(offsetof(SelfInformation, szAsName) == kSelfInfoAsNameOffset, "layout");
static_assert(offsetof(SelfInformation, szBasePath) == kSelfInfoBasePathOffset, "layout");
static_assert(offsetof(SelfInformation, szParText) == kSelfInfoParTextOffset, "layout");
static_assert(offsetof(SelfInformation, nLanguage) == kSelfInfoLanguageOffset, "layout");
static_assert(offsetof(SelfInformation, nInstance) == kSelfInfoInstanceOffset, "layout");
static_assert(offsetof(SelfInformation, nTraceSelector) == kSelfInfoTraceSelectorOffset, "layout");

// Hook signatures. Every hook returns 0 on success; a non-zero result goes to the fatal check.
typedef int (*SysManHook)(AsInfo* pAsInfo);
typedef int (*SysManConnectedHook)(void);
typedef int (*SysManStartTextHook)(char* text, uint32_t size);
typedef int (*SysManArgumentHook)(AsInfo* pAsInfo, uint32_t argument);
typedef int (*SysManTimerHook)(AsInfo* pAsInfo, uint32_t timerId, uint32_t status);

// The 22 hook slots through which the life cycle calls a program; a null slot is skipped.
struct SysManHookTable {
    SysManConnectedHook onConnected;   // 0: once after the registration answer
    SysManStartTextHook getStartText;  // 1: fills the start text
    SysManHook slot2;                  // 2: never called
    SysManHook onInitialize;           // 3: state 3
    SysManHook onLoadParameters;       // 4: state 17
    SysManHook onFbDO;                 // 5: state 4
    SysManHook onCreate;               // 6: state 16, first
    SysManHook onServicesStart;        // 7: state 5
    SysManHook onServicesTaskSetup;    // 8: state 8, first
    SysManHook onTaskSetup;            // 9: state 8, second
    SysManHook onStart;                // 10: state 11
    SysManHook slot11;                 // 11: never called
    SysManHook onSetup;                // 12: state 16, second
    SysManHook onRun;                  // 13: command 21 (RUN)
    SysManArgumentHook onCommand50;    // 14: command 50
    SysManHook onTrigger48;            // 15: command 48, sub-code 1
    SysManHook onProcess;              // 16: command 43; command 40, sub-code 1
    SysManHook onTrigger51;            // 17: command 51, sub-code 1
    SysManHook onShutdown;             // 18: command 20
    SysManTimerHook onTimer;           // 19: timer activities 2001 to 3001
    SysManHook onFlagChange;           // 20: command 42 or trigger bit 5 changed
    SysManHook onLoopStart;            // 21: once when the command loop starts
};
static_assert(sizeof(SysManHookTable) == 22 * sizeof(void*), "22 hook slots");

// A component entry: called with a name pointer to learn the service it needs, and again with
// the service object once that service is connected.
typedef int (*ComponentStartFunction)(AsInfo* pAsInfo, const char** ppServiceName,
                                      void* pServiceObject);

// Supervision record received at the end of the registration.
struct SupervisionRecord {
    Clock clock;
    Object spare;
    Time alarmTime;
    uint32_t periodic;
};

typedef int (*TriggerHandler)(AsInfo* pAsInfo, uint32_t argument);

// The health fields are shared with the framework's layout: each atomic word is a plain 32-bit
// word in memory.
static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "atomic health words keep the block's layout");

struct AsInfo {
    SelfInformation selfInfo;
    Buffer rxMsg[4];
    uint8_t rxData[kCommandDataSize];
    FbDoTree* pTheTree;
    uint32_t frameworkWord0;
    TriggerHandler pfnTriggerHandler;
    void* pDisplayService;
    void* pTextService;
    void* frameworkWords[4];
    uint32_t nFlagWord;
    Object hConfigIODevice;
    AsInfo* pSelfInfoInt;
    Buffer txMsg[4];
    char szStartText[kStartTextSize];
    char szRegName[kRegNameSize];
    const ComponentStartFunction* pStartTable;
    int32_t nStartIndex;
    SysManHookTable hooks;
    uint32_t nStateIndex;
    uint32_t nStateCode;
    Connection hCmdConnection;
    Connection hOwnEnd;
    Connection hLink;
    Activity hCmdActivity;
    Activity hSecondActivity;
    SupervisionRecord* pSupervision;
    Time tAlarmPeriod;
    Clock hAlarmClock;
    Activity hAlarmActivity;
    uint32_t bAlarmStarted;
    void* hServiceRegistry;
    Object hRealTimeClock;
    // Health monitor. Its task writes nHealthDirSum and nHealthTotal, then publishes them by
    // increasing nHealthPass (release); the command loop reads nHealthPass (acquire), then the
    // two checksums. nHealthReported and hHealthTask belong to the command loop; pCodeStart and
    // nCodeLength are set before the task starts and never change.
    std::atomic<uint32_t> nHealthPass;    // completed passes; 0 before the first
    uint32_t nHealthReported;             // nHealthPass at the last report
    std::atomic<uint32_t> nHealthTotal;   // total of the last pass; 0 before the first
    std::atomic<uint32_t> nHealthDirSum;  // directory checksum of the first pass
    const uint8_t* pCodeStart;
    uint32_t nCodeLength;
    std::atomic<uint32_t> nHealthState;  // 1 count-down, 2 checksum the code, 3 finish the pass
    Task hHealthTask;
    std::atomic<uint32_t> nHealthCountdown;  // seconds before the next pass
    // Last trigger argument.
    uint32_t bTrigBit4;
    uint32_t bTrigBit8;
    uint32_t bTrigBit9;
    uint32_t bTrigBit10;
    uint32_t nCycleDataFlag;
    uint8_t cycleData[kCycleDataSize];
    uint32_t bParamNew;
};
