// The system-manager client: starts an address space, registers it with the system manager and
// serves the system manager's commands and states for the rest of its life, calling the
// program through the hooks of the block's SysManHookTable.
//
// Everything here runs on the address space's initial task unless a comment says otherwise.
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "KernelTypes.h"

// ---- Start ---------------------------------------------------------------------------------

// Creates the address-space block, registers it with the framework and the system manager and
// runs the command loop; returns only when the block cannot be created. The code range from
// `pCodeStart` to `pCodeEnd` (the program's last code word, included) is what the health
// monitor checksums; a range whose end is not above its start means no health monitor.
// `szRelease` (may be null) is sent to the system manager; `pStartTable` (null-terminated,
// may be null) is walked in state 1; `szRegName` (may be null) names the registration;
// `pHooks` (may be null: the program's default set, SysManRegisterDefaultHooks) is copied
// whole; `nSetupArgument` is handed to the framework's set-up.
void SysManStart(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                 const ComponentStartFunction* pStartTable, const char* szRegName,
                 const SysManHookTable* pHooks, uint32_t nSetupArgument);

// SysManStart with no registration name and the program's default hooks (what programs call).
void SysManStartDefault(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                        const ComponentStartFunction* pStartTable, uint32_t nSetupArgument);

// SysManStart with a registration name and the program's default hooks.
void SysManStartNamed(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                      const ComponentStartFunction* pStartTable, const char* szRegName,
                      uint32_t nSetupArgument);

// SysManStart with the given hooks, no code range, no release string and no name.
void SysManStartWithHooks(const SysManHookTable* pHooks, const ComponentStartFunction* pStartTable);

// ---- Default hooks -------------------------------------------------------------------------

// Makes `pHooks` (copied at the start; may be null: none) the hook set that SysManStart
// installs when it is given no table. Each program's entry (its `main`) registers its own set
// right before it starts the client, so that several programs linked into one process (the
// scenario runner) each start with their own set. Any task.
void SysManRegisterDefaultHooks(const SysManHookTable* pHooks);

// The registered default set, or null when none is registered. Any task.
const SysManHookTable* SysManDefaultHooks();

// ---- Supervision ---------------------------------------------------------------------------

// Receives the supervision record on `hConnection` (clock, a spare object, the alarm time, the
// periodic flag) into a record that lives as long as the address space, stored in `*ppRecord`.
// Returns the kernel's result; ResourceNotAvailable when no record could be allocated.
Error receiveSupervision(Connection hConnection, SupervisionRecord** ppRecord);

// Sets the record's clock alarm afresh: periodic flag, no start time, the record's time.
// NULLObjectSpecified for a null record; otherwise the kernel's result.
Error armSupervision(const SupervisionRecord* pRecord);

// Clears the record's clock alarm. NULLObjectSpecified for a null record.
Error clearSupervision(const SupervisionRecord* pRecord);

// ---- Command loop, states, timers ----------------------------------------------------------

// Serves the activities of the initial task for ever: commands (activity 1), the one-second
// alarm (3), timers (2001 to 3001) and service activities. Never returns.
void SysManCommandLoop(AsInfo* pAsInfo);

// Performs the action of the current state (nStateCode) and sends its reply code; the system
// manager's answer names the next state.
void SysManHandleState(AsInfo* pAsInfo);

// Makes `nStateCode` the current state when the framework's state table has it: returns 1;
// otherwise 0 and nothing changes.
int SysManSetState(AsInfo* pAsInfo, uint32_t nStateCode);

// Starts the one-second alarm (activity 3), arming the supervision in modes 3 and 4. An alarm
// already started is left as it is.
void SysManStartAlarm(AsInfo* pAsInfo);

// A timer activity completed: calls the onTimer hook with (id, status) unless the address space
// is in state 13.
void SysManTimerEvent(AsInfo* pAsInfo, uint32_t nActivityId, Error nStatus);

// Traces the memory the address space uses, with `szLabel` when given; returns the number of
// 4096-byte pages, 0 when no count was obtained (or the memory pool is not in use).
uint32_t SysManTraceMemory(AsInfo* pAsInfo, const char* szLabel);

// Alive trigger of an application: re-arms the supervision while the one-second alarm runs
// (not in state 13). `pmyInfo` and its pSelfInfoInt must be set (asserted). Any task.
void SysManTrigger(AsInfo* pmyInfo);
