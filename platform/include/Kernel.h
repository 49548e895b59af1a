// Calls of the kernel, the resource manager and the basic library's task, lock and time
// services that the system's code makes.
//
// Common rules:
// - Every call returning Error gives Success (0) or one of the codes of KernelTypes.h; on a
//   failure no output argument is written and nothing changes.
// - Handles: a null handle where an object is needed gives NULLObjectSpecified, a closed or
//   unknown one ObjectIsNotValid, a handle of another kind IncorrectObjectType.
// - "Blocking" calls suspend the calling task until their condition holds. Any task may make
//   any call unless its comment says otherwise.
// - Time: every clock, time-out, alarm and sleep runs on the one time source of the address
//   space (real time in an interactive run, virtual time in tests and scenarios; see
//   HostKernel.h). Time values are relative intervals unless a comment says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "KernelTypes.h"

// ---- Error names ----------------------------------------------------------------------------

// The name of a kernel code as text ("Success", "ResourceNotAvailable", "OperationTimedOut",
// ...); "UnknownError" for a code that has no name. Never null; the text is static.
const char* KernelErrorName(Error code);

// ---- Tasks ----------------------------------------------------------------------------------

// The calling task's handle. The handle stays valid for the task's life; tasks of the host that
// the kernel did not create (the process's first thread) get one on their first call.
Task CurrentTask(void);

// Creates a halted task that will run `entry` once RunTask starts it. `name` (may be null: "")
// is kept for GetTaskName, `priority` (0 lowest, 255 highest) and `stackSize` (bytes, 0 for the
// default) are kept; the host schedules every task alike. Stores the handle in `*task`.
// IllegalParameter for a null entry, null `task` or a priority above 255.
Error createTask(const char* name, uint32_t priority, uint32_t stackSize, TaskEntry entry,
                 Task* task);

// Starts a task made by createTask, or lets a halted task go on. A task that already runs is
// left as it is (Success). TaskHasEnded for an ended task.
Error RunTask(Task task);

// Halts a task: it stops at its next blocking call (at once when it halts itself) and stays
// there until RunTask lets it go on. A wait that is satisfied while the task is halted still
// takes effect; the task only goes on later. TaskHasEnded for an ended task.
Error HaltTask(Task task);

// Ends the calling task with `code` (kept for the host, HostKernel.h). Does not return. Only
// tasks made by createTask may end themselves; elsewhere it throws std::logic_error.
[[noreturn]] void exitTask(Error code);

// Non-zero while the calling task is being ended (exitTask, or the end of the address space)
// and its code unwinds: a handler that catches every exception must let that unwinding go on
// (rethrow). 0 otherwise, and on tasks the kernel did not create.
int TaskIsEnding(void);

// Copies the task's name into `buffer` (`maxLength` bytes): at most `maxLength` characters,
// then a NUL when fewer were copied. Callers that need a terminated text pass one byte less than
// their buffer and terminate it at `*length`. Stores the number of characters copied in
// `*length` (may be null). IllegalParameter for a null buffer.
Error GetTaskName(Task task, char* buffer, uint32_t maxLength, uint32_t* length);

// The task's identification word: a value the task's creator gives it (typically a pointer to
// the task's context). 0 until set.
Error SetTaskIdentification(Task task, uintptr_t identification);
Error GetTaskIdentification(Task task, uintptr_t* identification);

// Enrols `task` with the address space's error handler: an exception that escapes the task's
// entry function is then reported to that handler (HostKernel.h) instead of ending the process.
Error installTaskErrorHandler(Task task);

// ---- Objects --------------------------------------------------------------------------------

// Closes one handle of any kernel object. The object itself goes away with its last handle
// (handles handed over in messages and resources count): tasks and activities waiting on it are
// woken with ObjectIsNotValid (ConnectionClosed on the other end of a connection). Closing a
// task's handle does not stop the task. The system clock and the address space are never
// closed (IllegalParameter).
Error closeKernelObject(Object object);

// Well-known objects of the address space by index: 1 is the address space itself. Null for
// any other index.
Object objectByIndex(uint32_t index);

// Makes a link to `object` (any kind) and stores it in `*link`. A link is handed over in a
// message descriptor of kind LinkBuffer; the receiver gets a link of its own to the same object.
Error createObjectLink(Object object, Link* link);

// Atomically replaces `*word` by (`*word` & ~clearMask) | setMask and stores the value it had
// before in `*oldValue` (may be null). IllegalParameter for a null word. Any task, lock-free.
Error atomicModifyWord(uint32_t* word, uint32_t* oldValue, uint32_t clearMask, uint32_t setMask);

// Whether the platform's memory pool serves this address space's allocations (non-zero: yes).
int memoryPoolInUse(void);

// Number of 4096-byte pages of memory the address space uses, into `*pages`.
Error addressSpaceMemoryPages(AddressSpace space, uint32_t* pages);

// ---- Connections ----------------------------------------------------------------------------

// Creates a connection: two ends, each handed to one party. A message sent on one end is
// received on the other.
Error CreateConnection(Connection* first, Connection* second);

// Sends the message `message` (descriptors up to and including the one whose kind carries
// LastBuffer; null for a message without descriptors) to the other end and blocks until a
// receiver has taken it (rendezvous). Descriptor i goes to the receiver's descriptor i:
// ImmediateBuffer copies the address and length words; DataBuffer copies the bytes and sets
// Transferred on both sides to the number copied; ObjectBuffer hands the object over (the
// receiver gets a handle of its own in its address word, null stays null); LinkBuffer does the
// same with a link to the object. Results: BufferTooSmall when data or descriptors did not fit
// (what fits is delivered), BufferKindMismatch when a receiver descriptor has another kind,
// ConnectionClosed when the other end is closed. The receiver gets the same result.
Error SynchronousSend(Connection connection, Buffer* message);

// Blocks until a message arrives on `object` and takes it into `message`, as SynchronousSend
// describes. On a semaphore (with a null message) the call waits for the semaphore and obtains
// it, as WaitForSemaphore; on a clock it waits for the clock's next alarm.
Error SynchronousReceive(Object object, Buffer* message);

// ---- Activities -----------------------------------------------------------------------------

// Creates an activity of `task`, the only task that waits for its completions. `priority` and
// `flags` are kept; `id` is what WaitForActivity reports when the activity completes.
Error CreateActivity(Task task, uint32_t priority, uint32_t flags, uint32_t id, Activity* activity);

// Starts a receive on `object` for `activity` and returns at once. When a message arrives (a
// connection end), the semaphore is obtained (a semaphore) or the clock's alarm expires (a
// clock; a null message), the activity completes with the result SynchronousReceive would
// give. `message` must stay valid until then. ActivityBusy when the activity already has an
// operation outstanding or a completion not yet waited for.
Error AsynchronousReceive(Activity activity, Object object, Buffer* message);

// Cancels the operation outstanding on `activity` and drops a completion of it not yet waited
// for; the activity can be used again. `reserved` must be 0 (IllegalParameter otherwise).
Error ResetActivity(Activity activity, uint32_t reserved);

// Blocks until one of the calling task's activities completes (completions are taken in the
// order they happened) and stores that activity's id in `*id` and the completed operation's
// result in `*status` (may be null). IllegalParameter for a null `id`.
Error WaitForActivity(uint32_t* id, Error* status);

// ---- Semaphores -----------------------------------------------------------------------------

// A counting semaphore holding `value` counts.
Error CreateSemaphore(uint32_t value, Semaphore* semaphore);

// A binary semaphore, created free (one count); a release of a free one leaves it free.
Error CreateBinarySemaphore(Semaphore* semaphore);

// A highest-locker semaphore: a lock with an owner. `value` 1 creates it free, 0 owned by the
// calling task; IllegalParameter for other values. Only the owner may release it.
Error CreateHighestLockerSemaphore(uint32_t value, Semaphore* semaphore);

// Blocks until the semaphore has a count and takes it (a highest-locker semaphore: until it is
// free, and the caller becomes its owner; AlreadyOwned when the caller owns it already).
Error WaitForSemaphore(Semaphore semaphore);

// Takes a count without blocking; ResourceNotAvailable when there is none (or the lock is
// owned; AlreadyOwned when by the caller).
Error TryToObtainSemaphore(Semaphore semaphore);

// As WaitForSemaphore, but gives up after `timeout` measured on `clock` (null: the system
// clock) and returns OperationTimedOut. A zero time-out only tries. IllegalParameter for a
// null time-out or a negative one.
Error TimedWaitForSemaphore(Semaphore semaphore, Clock clock, const Time* timeout);

// Gives a count back, or hands it to the task (or activity) that waits longest.
// CallerDoesntOwnTheSemaphore when a task that does not own a highest-locker semaphore
// releases it.
Error ReleaseSemaphore(Semaphore semaphore);

// Closes the semaphore handle (as closeKernelObject).
Error CloseSemaphore(Semaphore semaphore);

// ---- Conditions -----------------------------------------------------------------------------

// Creates a condition guarded by the semaphore `lock` (a binary or highest-locker semaphore
// used as a lock). `reserved` must be 0.
Error CreateCondition(Condition* condition, Semaphore lock, uint32_t reserved);

// The caller holds the condition's lock. Releases the lock, blocks until the condition is
// signalled (or `timeout` on `clock` runs out: OperationTimedOut; a null `timeout` waits
// without limit), then obtains the lock again before returning, whatever the result.
Error WaitForCondition(Condition condition, Clock clock, const Time* timeout);

// Wakes the task that waits longest on the condition; nothing when none waits.
Error SignalCondition(Condition condition);

// Wakes every task that waits on the condition.
Error BroadcastCondition(Condition condition);

// Closes the condition handle (as closeKernelObject).
Error CloseCondition(Condition condition);

// ---- Local mutexes (basic library) ----------------------------------------------------------

// A mutex for the tasks of this address space, created free; its handle into `*mutex`.
Error CreateLocalMutex(LocalMutex* mutex);

// Blocks until the mutex is free and makes the caller its owner. AlreadyOwned when the caller
// owns it already (the mutex does not nest).
Error WaitForLocalMutex(LocalMutex mutex);

// Frees the mutex and hands it to the task that waits longest. NotOwner when the caller does
// not own it.
Error ReleaseLocalMutex(LocalMutex mutex);

// Closes the mutex; tasks waiting for it are woken with ObjectIsNotValid.
Error CloseLocalMutex(LocalMutex mutex);

// ---- Clocks and time ------------------------------------------------------------------------

// The address space's system clock; never closed.
Clock GetSystemClock(void);

// The current time of `clock`: time since the time source's epoch (the Unix epoch in real
// time, the start value in virtual time).
Error GetClockTime(Clock clock, Time* time);

// Creates a clock that reads `base`'s time and carries an alarm of its own. `flags` are kept.
Error CreateVirtualClock(Clock base, uint32_t flags, Clock* clock);

// Sets the clock's alarm: it expires first at `start` (absolute clock time) or, with a null
// `start`, one `interval` from now; when `periodic` is non-zero it then expires every
// `interval`. A null `interval` with a null `start` (periodic 0) clears the alarm. Each expiry
// completes a receive waiting on the clock (SynchronousReceive, AsynchronousReceive); expiries
// that nobody waits for are kept as one pending expiry. IllegalParameter for a periodic alarm
// without a positive interval or a negative time.
Error SetClockAlarm(Clock clock, uint32_t periodic, const Time* start, const Time* interval);

// ---- Resources ------------------------------------------------------------------------------

// Gives the caller a handle of its own to the object registered under `name` with the resource
// manager. UnknownResourceName when no such resource exists, IncorrectPassword when `password`
// (null counts as "") does not match the registration.
Error RequestResource(Object* object, const char* name, const char* password);

// ---- Basic library --------------------------------------------------------------------------

namespace basiclib {
// The basic library's sleep: blocks the calling task for `seconds` on the address space's time
// source and returns 0. (Named apart from the C library's ::sleep, which sleeps in real time.)
unsigned int sleep(unsigned int seconds);

// The basic library's stream file calls, as the C library's: fopen gives null on failure,
// fread and fwrite the count of items transferred (after a short fread, the stream's end-of-file
// indicator tells a short file from a read error), fflush and fclose EOF on failure (fclose
// releases the stream in any case), rename and remove non-zero on failure (and change nothing).
// Each failure leaves the reason in errno. Any task. On the host an injected failure (failNextCall
// with the call's name, or host::failNextFileCall to choose the errno) makes the call fail without
// effect.
std::FILE* fopen(const char* path, const char* mode);
std::size_t fread(void* data, std::size_t size, std::size_t count, std::FILE* stream);
std::size_t fwrite(const void* data, std::size_t size, std::size_t count, std::FILE* stream);
int fflush(std::FILE* stream);
int fclose(std::FILE* stream);
int rename(const char* from, const char* to);
int remove(const char* path);
// Forces what was written and flushed to the stream's file onto the medium. 0, or -1 with errno
// (injection name "fsync").
int fsync(std::FILE* stream);
// Forces the entries of the directory `path` (names created, renamed or removed in it) onto the
// medium. 0, or -1 with errno (injection name "syncDirectory").
int syncDirectory(const char* path);
// Removes the entry `name` of the directory open as the descriptor `directory`, as the C
// library's unlinkat: with `flags` 0 a file or a symbolic link itself (never what it points
// at), with AT_REMOVEDIR an empty directory. 0, or -1 with errno (injection name "unlinkat").
int unlinkat(int directory, const char* name, int flags);
// On the host, fopen, rename and unlinkat first run the action a test has set for the next
// call of their name (host::runAtNextCall): something that happens at that moment of the
// caller's work.
}  // namespace basiclib
