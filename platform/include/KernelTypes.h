// Kernel object handles, buffer descriptors and time values shared by the kernel calls
// (Kernel.h) and by the per-address-space block (AsInfo.h).
#pragma once

#include <cstdint>

struct KernelObjectRecord;

// Every kernel object is reached through an opaque handle; 0 (nullptr) is "no object".
// Handles are never dereferenced by callers; a closed handle is detected by the kernel
// (ObjectIsNotValid), never reused.
typedef KernelObjectRecord* Object;
typedef Object Task;
typedef Object Connection;
typedef Object Activity;
typedef Object Semaphore;
typedef Object Clock;
typedef Object Link;
typedef Object AddressSpace;
typedef Object Condition;

// Result code of a kernel call: 0 is success, every other value a failure.
// KernelErrorName (Kernel.h) gives each code's name as text.
typedef int32_t Error;
enum : Error {
    Success = 0,
    ObjectIsNotValid = 2,        // the handle is unknown or closed
    IncorrectObjectType = 3,     // the handle denotes another kind of object than the call needs
    IllegalParameter = 11,       // an argument is out of its range (null pointer, bad flag, ...)
    NULLObjectSpecified = 16,    // a null handle where an object is needed
    AlreadyOwned = 18,           // the caller already owns the lock it waits for
    ConnectionClosed = 30,       // the other end of the connection is closed
    BufferTooSmall = 31,         // a message did not fit the receiver's descriptors
    BufferKindMismatch = 32,     // sender's and receiver's descriptor kinds differ
    ActivityBusy = 33,           // the activity already has an operation outstanding
    TaskHasEnded = 34,           // the task has ended; it can no longer run or halt
    WouldBlock = 42,             // a call that must not wait would have to
    WaitingForAReply = 81,       // an asynchronous operation completed and waits for its reply
    UnknownResourceName = 136,   // no resource is registered under the requested name
    IncorrectPassword = 137,     // the resource exists, the password does not match
    ResourceNotAvailable = 138,  // the semaphore (or resource) is taken
    CallerDoesntOwnTheSemaphore = 140,       // release by a task that does not own the lock
    OperationTimedOut = 209,                 // a timed wait ran out
    NotOwner = CallerDoesntOwnTheSemaphore,  // the same code, older spelling
    TimeoutError = OperationTimedOut,        // the same code, older spelling
};

// Kernel time: whole seconds and a binary fraction of a second (2^-32 s units).
struct Time {
    int32_t Seconds;
    uint32_t Fraction;
};

// Buffer kinds of a message descriptor.
enum : uint32_t {
    ImmediateBuffer = 0,  // address and length words carry data
    DataBuffer = 1,       // address points to Length bytes
    ObjectBuffer = 2,     // an object handle is handed over in the address word
    LinkBuffer = 3,       // a link to an object is handed over in the address word
    LastBuffer = 0x80,    // ORed into the kind of the message's last descriptor
};

// One descriptor of a kernel message. Addresses are pointer-sized on this host.
struct Buffer {
    uint32_t BufferType;
    uintptr_t TheAddress;
    uintptr_t Length;
    uint32_t Transferred;
};

// Kernel messages of the system-manager protocol are four descriptors.
typedef Buffer KernelMessage[4];

// Handle of a local mutex of the basic library; 0 is "no mutex".
typedef uintptr_t LocalMutex;

// Entry function of a task made by createTask. A task learns its context through its
// identification word (GetTaskIdentification(CurrentTask(), ...)).
typedef void (*TaskEntry)(void);
