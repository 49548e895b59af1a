// Kernel object handles, buffer descriptors and time values shared by the kernel calls
// (Kernel.h) and by the per-address-space block (AsInfo.h).
#pragma once

#include <cstdint>

struct KernelObjectRecord;

// Every kernel object is reached through an opaque handle; 0 (nullptr) is "no object".
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
typedef int32_t Error;
enum : Error {
    Success = 0,
    ObjectIsNotValid = 2,
    ResourceNotAvailable = 8,
    IllegalParameter = 11,
    TimeoutError = 17,
    AlreadyOwned = 18,
    NotOwner = 19,
    ConnectionClosed = 30,
    BufferTooSmall = 31,
    WouldBlock = 42,
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

// Handle of a local mutex of the basic library.
typedef uintptr_t LocalMutex;
