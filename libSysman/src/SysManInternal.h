// Pieces shared by the sources of the system-manager client (not part of its interface).
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "SysManProtocol.h"
#include "SysManText.h"

namespace sysman {

// Activity ids of the initial task.
constexpr uint32_t kCommandActivity = 1;
constexpr uint32_t kSecondActivity = 2;
constexpr uint32_t kAlarmActivity = 3;

// Password of the resource manager's protected resources.
constexpr const char* kResourcePassword = kSysManResourcePassword;

// The address-space name of the self-information, bounded to its field.
inline BoundedText<sizeof(SelfInformation::szAsName)> AsName(const AsInfo* pAsInfo) {
    return BoundedText<sizeof(SelfInformation::szAsName)>(pAsInfo->selfInfo.szAsName);
}

// Sets up the command receive descriptors (immediate, object, object, the data area) and starts
// the receive of the next command on the command end; stops the address space on failure.
void armCommandReceive(AsInfo* pAsInfo);

// Copies the first bytes of the command data into cycleData, bracketed by the change flag.
void copyCycleData(AsInfo* pAsInfo);

// Performs the command in rxMsg / rxData (the command loop's activity 1).
void dispatchCommand(AsInfo* pAsInfo);

// Calls a hook when it is set and hands its result to the fatal check.
void callHook(AsInfo* pAsInfo, SysManHook hook);

// Builds "<base path><parameter directory>/param.new" into `path` (256 bytes). False, after a
// trace, when the path does not fit.
bool paramNewPath(const AsInfo* pAsInfo, char (&path)[256]);

}  // namespace sysman
