// Calls of the framework library: address-space information, fatal stops, reports and
// assertions, phases, access rights, framework tasks, the debug allocator, the exit-time
// destructor list, the taste name and the framework's component entries. Texts, service
// clients, checksums and file helpers have headers of their own, included here.
//
// Result codes are 0 on success; every other value is a failure that callers hand to
// Tarvo_ReportError or Tarvo_CheckFatal. All calls may be made from any task unless a comment
// says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AsInfo.h"
#include "KernelTypes.h"
#include "ServiceClient.h"
#include "TarvoFiles.h"
#include "TarvoText.h"
#include "TarvoTrace.h"

// Result codes of the framework (kernel codes, KernelTypes.h, are used as they stand).
enum : int32_t {
    ServiceNotAvailable = 216,       // the service is not connected or not usable
    TarvoAccessDenied = 4001,        // Tarvo_CheckAccess: the right is not granted
    TarvoAssertionFailed = 4002,     // the fatal code of a failed assertion
    TarvoFileNotReadable = 4003,     // a file could not be opened or read
    TarvoNotRegistered = 4004,       // the address-space block is not the registered one
    TarvoServiceTaskUnknown = 4005,  // the task was not created by Tarvo_CreateTask
    TarvoNoCodeRange = 4006          // the program's image does not end its code in the marker
};

// ---- Address-space information ------------------------------------------------------------------

// The registered address-space block, or null before Sysmanlib_AsInfo_Register.
AsInfo* Sysmanlib_AsInfo_GetCurrent();

// Name of the address space (szAsName of the registered block); "" when none is registered or
// the name is not terminated inside its field. Never null.
const char* Sysmanlib_AsInfo_GetName();

// Display language: 0 the first language, any other value the second (callers that look texts
// up pass 1 for it). Taken as it stands from the registered block's self-information
// (nLanguage) unless the host overrides it; 0 when no block is registered.
int Sysmanlib_AsInfo_GetLanguage();

// 1-based instance index of the address space (nInstance of the self-information unless the
// host overrides it); 0 when there is none (no block registered, or an index of 0).
uint32_t Sysmanlib_AsInfo_GetInstanceIndex();

// Non-zero when a block is registered.
int Sysmanlib_AsInfo_IsRegistered();

// The number of blocks registered so far in this address space (traced by the client when it
// finds one already registered).
int32_t Sysmanlib_AsInfo_Registered();

// Registers `pAsInfo` as the address space's block. Returns 0; IllegalParameter for a null
// block, AlreadyOwned when another block is registered (the registration is kept).
int32_t Sysmanlib_AsInfo_Register(AsInfo* pAsInfo);

// Finishes the registration once the self-information is in the block: checks that `pAsInfo`
// is the registered block and connects the framework's text service (pTextService, whose client
// is the text dictionary). `argument` is kept for the framework (0 in both programs).
// Returns non-zero on success, 0 when `pAsInfo` is null or not the registered block.
int Sysmanlib_AsInfo_Setup(AsInfo* pAsInfo, uint32_t argument);

// ---- Fatal stops, reports, assertions -----------------------------------------------------------

// 0 does nothing. Any other code stops the address space and never returns: the stop is
// recorded (code, address-space name, phase) and traced, a line is written to stderr,
// and the host's fatal-stop action follows (by default the process exits with status 70; see
// HostFramework.h). `pAsInfo` may be null.
void Tarvo_CheckFatal(int32_t code, AsInfo* pAsInfo);

// 0 does nothing. Any other code is appended to the address space's report log (code,
// address-space name, phase) and traced; returns. `pAsInfo` may be null.
void Tarvo_ReportError(int32_t code, AsInfo* pAsInfo);

// Reports a fatal failure of the program (an exception that reached main): appends (name,
// text, source path) to the fatal-report log, traces it and writes a line to stderr; returns.
// What follows is the caller's (main returns). Null texts are reported as "".
void Tarvo_FatalReport(const char* asName, const char* text, const char* sourcePath);

// A failed assertion of `expression` at `sourcePath`:`line`: recorded, written to stderr and
// ended like Tarvo_CheckFatal(TarvoAssertionFailed). Never returns.
[[noreturn]] void Tarvo_AssertFailed(const char* expression, const char* sourcePath, uint32_t line);

// A constant text for a framework result code ("ServiceNotAvailable", "AccessDenied", ...) or
// a kernel code (its KernelErrorName: "Success", "ObjectIsNotValid", ..., "UnknownError" for a
// code without a name). Never null.
const char* Tarvo_ErrorText(int32_t code);

// Marks the phase the address space is in (copied; a null text is ""). Fatal stops and
// reports carry the phase current at that moment.
void Tarvo_SetPhase(const char* text);

// ---- Access rights ------------------------------------------------------------------------------

// 0 when the current user has access right `right` (0 to 31), TarvoAccessDenied otherwise
// (also for a null block or a right above 31). The host grants every right unless told
// otherwise (HostFramework.h).
int32_t Tarvo_CheckAccess(AsInfo* pAsInfo, uint32_t right);

// ---- Framework tasks ----------------------------------------------------------------------------

// Creates a halted task of the framework for a service client, with `stackSize` bytes of stack
// and the name `name` (may be null), and stores its handle in `*pTask`. The task runs once it is
// given to Tarvo_StartServiceTask. Returns 0 or the kernel's code; `*pTask` is untouched on
// failure. Initial task (or the task that builds the client).
Error Tarvo_CreateTask(AsInfo* pAsInfo, uint32_t stackSize, Task* pTask, const char* name);

// Starts `task` (made by Tarvo_CreateTask) at kernel priority `priority` as the service task of
// every open service client of `pAsInfo` that has no task yet: from then on each record that
// the client's service sends is handed to that client's onCommand on this task, one at a time,
// in arrival order. Returns 0, IllegalParameter for a null block, TarvoServiceTaskUnknown for
// a task not made by Tarvo_CreateTask or already started, or the kernel's code.
Error Tarvo_StartServiceTask(AsInfo* pAsInfo, Task task, uint32_t priority);

// ---- Memory and exit-time destructors -----------------------------------------------------------

// A zero-filled block of `size` bytes, or null when `size` is 0 or no memory is left. `tag`,
// `sourcePath`, `line` and `flag` describe the allocation for the debug log. Blocks are never
// freed: they live as long as the address space (the address-space block is one of them).
void* Tarvo_DebugAlloc(uint32_t tag, size_t size, const char* sourcePath, uint32_t line,
                       uint32_t flag);

// One entry of the exit-time destructor list; the caller owns the record (static storage).
struct StaticDestructorRecord {
    StaticDestructorRecord* next;  // kept by the framework
    void* object;                  // handed to the destructor
    void (*destructor)(void* object);
};

// Adds `record` to the list; at normal exit the destructors run, the last registered first.
// A null record, or one without a destructor, is ignored. A fatal stop runs none.
void registerStaticDestructor(StaticDestructorRecord* record);

// ---- Taste --------------------------------------------------------------------------------------

// Name of the parameter layout ("taste") the address space runs, NUL-terminated; "" when it has
// none or `pAsInfo` is null. The text stays valid for the life of the address space.
const char* Tarvo_GetTasteName(AsInfo* pAsInfo);

// ---- Framework components -----------------------------------------------------------------------

// Entries of the framework's modules for the component start table (ComponentStartFunction).
// Called with `ppServiceName`, an entry stores the name of the service it needs
// ("Tarvo.Component1" ... "Tarvo.Component6"); called with the connected service object, it
// keeps it. Both return 0; IllegalParameter for a null block.
int Tarvo_Component1Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);
int Tarvo_Component2Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);
int Tarvo_Component3Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);
int Tarvo_Component4Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);
int Tarvo_Component5Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);
int Tarvo_Component6Init(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);

// Start steps of the framework's modules, called by the programs' hooks (services start, task
// set-up). Each returns 0, or IllegalParameter for a null block.
int Tarvo_Component1Start(AsInfo* pAsInfo);
int Tarvo_Component2Start(AsInfo* pAsInfo);
int Tarvo_Component3Start(AsInfo* pAsInfo);
int Tarvo_Component4TaskSetup(AsInfo* pAsInfo);
