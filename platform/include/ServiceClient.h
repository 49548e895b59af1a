// Service objects and the service-client base of the framework.
//
// A service object is the framework's record of one service connected to the address space
// (the display service "ZUB_PEG_Service", the text service, ...). A service client talks to one
// service: it sends commands to it and receives the service's command records, each handed to
// onCommand on the client's service task (Tarvo_CreateTask, Tarvo_StartServiceTask in Tarvo.h).
#pragma once

#include <cstdint>

#include "KernelTypes.h"

struct AsInfo;
struct ServiceObject;
class ServiceClient;

enum : uint32_t {
    kServiceNameSize = 64,
    // Largest command record, header included: item id, command code, a word not used, payload.
    kServiceRecordMax = 1500,
    kServiceRecordHeader = 12,
};

// Handler of the completions of a service's activity, called by the command loop with
// (pAsInfo, service object, activity id, status); returns an error code.
typedef int (*ServiceActivityHandler)(AsInfo* pAsInfo, ServiceObject* pService, uint32_t activityId,
                                      Error status);

// One connected service. Made by the system-manager client's connect call from the service
// description and the two connection objects; lives as long as the address space.
struct ServiceObject {
    char szName[kServiceNameSize];      // service name, NUL-terminated
    Connection hConnection1;            // the two connections; the service is usable
    Connection hConnection2;            // only when both are present
    uint32_t nActivityId;               // id of the service's activity
    Activity hActivity;                 // the activity, created by the client's builder
    ServiceClient* pClient;             // the client of this service; null until one exists
    AsInfo* pOwner;                     // the owning address-space block
    ServiceActivityHandler pfnHandler;  // completions of nActivityId; null when absent
    uint32_t nFlags;                    // the connect call's flag word
};

// Base of every service client. Construction connects nothing; open() connects the client to
// its service. A client is destroyed on a task other than its service task; the destructor
// waits until a running onCommand of this client has returned, then leaves the service.
class ServiceClient {
  public:
    // `pAsInfo` is the owning block, `pService` the service object (either may be null; a
    // client without a service object cannot open).
    ServiceClient(AsInfo* pAsInfo, ServiceObject* pService);
    virtual ~ServiceClient();
    ServiceClient(const ServiceClient&) = delete;
    ServiceClient& operator=(const ServiceClient&) = delete;

    // Starts the client's work; the base does nothing and returns 0.
    virtual int start();

    // One command record of the service: bytes 0-3 item id, 4-7 command code, 8-11 not used,
    // payload from byte 12; little-endian, not necessarily aligned. Called on the client's
    // service task, one record at a time. The base ignores it and returns 0.
    virtual int onCommand(const void* pRecord, uint32_t length);

    // Sends one command (item id, command code, `length` payload bytes at `pPayload`) to the
    // service; the same as send().
    virtual int sendCommand(uint32_t itemId, uint32_t commandCode, const void* pPayload,
                            uint32_t length);

    // Number of records of the service that wait for onCommand.
    virtual uint32_t query();

    // Connects to the service named in the service object. Returns 0 (also when already
    // open); IllegalParameter without a service object; ServiceNotAvailable when a connection
    // object is missing or the service does not accept clients; AlreadyOwned when the
    // service already has another client.
    int open();

    // Sends one command to the service: queued for it, never waiting for the service or for
    // the client's task. A null payload sends none (length is then ignored). Returns 0;
    // ServiceNotAvailable when not open; ConnectionClosed when the service has gone;
    // BufferTooSmall when the record would exceed kServiceRecordMax. Any task.
    int send(uint32_t itemId, uint32_t commandCode, const void* pPayload, uint32_t length);

    AsInfo* asInfo() const { return myAsInfo; }
    ServiceObject* serviceObject() const { return myService; }

  private:
    AsInfo* myAsInfo;
    ServiceObject* myService;
};
