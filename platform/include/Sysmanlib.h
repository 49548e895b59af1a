// Framework calls that only the system-manager client makes: the registration name, the state
// table, replies and codes to the system manager, the service registry and the connection of
// services, trigger reports and checksum reports, and the default loop-start hook. (The
// address-space block registry, Sysmanlib_AsInfo_*, is declared in Tarvo.h.)
//
// Wire format of every message the framework sends to the system manager on the address
// space's link (AsInfo::hLink, received in the registration answer), three descriptors:
//   0 immediate: TheAddress = message kind (SysmanlibMessage), Length = first argument
//   1 immediate: TheAddress = second argument, Length = 0
//   2 data buffer, last: payload (a name), or address 0 and length 0
// The state reply is an exchange: the system manager answers on the link with one immediate
// descriptor (last): TheAddress = kSysmanlibAnswerOk, Length = the next state code.
//
// Result codes are kernel codes (KernelTypes.h) or framework codes (Tarvo.h); 0 is success.
// All calls run on the address space's initial task unless a comment says otherwise.
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "KernelTypes.h"
#include "ServiceClient.h"

// Kinds of the messages to the system manager.
enum SysmanlibMessage : uint32_t {
    kSysmanlibStateReply = 1,        // argument 1: reply code; argument 2: state code
    kSysmanlibCode = 2,              // argument 1: the code
    kSysmanlibRequestService = 3,    // payload: service name
    kSysmanlibTriggerProcessed = 4,  // argument 1: state code
    kSysmanlibTriggerDone = 5,
    kSysmanlibChecksum = 6,        // argument 1: total checksum of a health pass
    kSysmanlibDirChecksum = 7,     // argument 1: checksum of the parameter directory
    kSysmanlibReleaseService = 8,  // argument 1: the service's activity id; payload: name
};

// First word of the system manager's answer to a state reply when it accepts the reply.
enum : uint32_t { kSysmanlibAnswerOk = 22 };

// Code sent by Sysmanlib_DefaultLoopStart: the command loop of the address space runs.
enum : uint32_t { kSysmanlibCodeLoopStarted = 1 };

// Service description (the data of the service commands): byte offsets and sizes.
enum : uint32_t {
    kServiceDescActivityIdOffset = 0,  // u32, little-endian: the service's activity id
    kServiceDescNameOffset = 72,       // service name, NUL-terminated inside its field
    kServiceDescNameSize = 32,
};

// ---- Registration ----------------------------------------------------------------------------

// Sends the registration name on `hConnection` (the "conSysManCmd" connection) as one message:
// immediate (kind, word), data buffer (last) with the name and its NUL, bounded to `nSize`
// bytes. `nFlags` is kept for the framework (0). Returns the kernel's result; IllegalParameter
// for a null name or a size of 0.
Error Sysmanlib_SendName(uint32_t nKind, uint32_t nWord, const char* szName, uint32_t nSize,
                         uint32_t nFlags, Connection hConnection);

// ---- States ----------------------------------------------------------------------------------

struct SysmanlibState {
    uint32_t nCode;     // the state code the client dispatches on (0 to 18)
    const char* pName;  // a short name for traces and logs
};
enum : uint32_t { kSysmanlibStateCount = 19 };

// The life-cycle states the system manager may name, one entry a code.
extern const SysmanlibState Sysmanlib_StateTable[kSysmanlibStateCount];

// Index of `code` in Sysmanlib_StateTable, searched from the first entry; -1 when absent.
int32_t Sysmanlib_FindState(uint32_t code);

// Sends the reply code of the current state (nStateCode) and receives the system manager's
// answer, which names the next state: on an accepted answer with a code of the table, stores
// its index in nStateIndex and the code in nStateCode. Returns 0; the kernel's code when the
// exchange failed; IllegalParameter for a null block, a refused answer or an unknown state code
// (the state is then unchanged).
Error Sysmanlib_SendStateReply(AsInfo* pAsInfo, uint32_t nReplyCode);

// Sends a code to the system manager (2: a service was connected for it; 25: the address space
// has shut down). Returns the kernel's result; IllegalParameter for a null block.
Error Sysmanlib_SendCode(AsInfo* pAsInfo, uint32_t nCode);

// ---- Services ------------------------------------------------------------------------------

// A service registry of an address space; its services live as long as the address space.
struct SysmanlibServiceRegistry;

// Creates the registry of the address space `szName` with room for `nCapacity` services.
// `nFlags` is kept. Returns null when `nCapacity` is 0 or no memory is left.
SysmanlibServiceRegistry* Sysmanlib_CreateServiceRegistry(const char* szName, uint32_t nCapacity,
                                                          uint32_t nFlags);

// The registered service whose activity id is `nArgument` (the argument word of the release
// command), or null. The command loop's task.
ServiceObject* Sysmanlib_FindServiceByArgument(SysmanlibServiceRegistry* pRegistry,
                                               uint32_t nArgument);

// The registered service whose activity completed with id `nActivityId`, or null.
ServiceObject* Sysmanlib_FindServiceByActivity(SysmanlibServiceRegistry* pRegistry,
                                               uint32_t nActivityId);

// Connects a service from a service command: builds a service object from the description
// `pDescription` (kCommandDataSize bytes: activity id and the service name, bounded to its
// field) and the connections `hConnection1`, `hConnection2` (either may be null), adds it to the
// block's registry and, when `pfnEntry` is given, calls it with (pAsInfo, null, service object)
// so that the component connects its client. `nFlags` is stored in the service object (1: a
// service offered by another address space to this one). A description without a name connects
// nothing and calls no entry. Returns the entry's result, or IllegalParameter for a null block
// or description, ResourceNotAvailable when the registry is full or missing.
int Sysmanlib_ConnectService(AsInfo* pAsInfo, ComponentStartFunction pfnEntry,
                             const uint8_t* pDescription, Connection hConnection1,
                             Connection hConnection2, uint32_t nFlags);

// Asks the system manager for the service `szName` that a started component needs (null or ""
// when the component needs none: the system manager then goes on without a service). The name is
// bounded to kServiceDescNameSize - 1 characters. Returns the kernel's result; IllegalParameter
// for a null block.
Error Sysmanlib_RequestService(AsInfo* pAsInfo, const char* szName);

// Releases a connected service: removes it from its registry and tells the system manager.
// Returns the kernel's result; IllegalParameter for a null service object or one without owner.
Error Sysmanlib_ReleaseService(ServiceObject* pService);

// ---- Triggers and health reports --------------------------------------------------------------

// Tells the system manager that the cycle work of a trigger command has been done.
Error Sysmanlib_TriggerProcessed(AsInfo* pAsInfo);

// Tells the system manager that a trigger command is finished (of the registered block).
Error Sysmanlib_TriggerDone(void);

// Reports the total checksum of a health pass / the directory checksum of the first pass.
Error Sysmanlib_ReportChecksum(AsInfo* pAsInfo, uint32_t nChecksum);
Error Sysmanlib_ReportDirChecksum(AsInfo* pAsInfo, uint32_t nChecksum);

// ---- Default hooks ---------------------------------------------------------------------------

// Default loop-start hook (slot 21): tells the system manager that the command loop runs
// (code kSysmanlibCodeLoopStarted). Returns the kernel's result.
int Sysmanlib_DefaultLoopStart(AsInfo* pAsInfo);
