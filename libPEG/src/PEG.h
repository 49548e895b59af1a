// The display-service client: connects the program to the display service "ZUB_PEG_Service",
// hands every command of the service to the program's display entry on the client's own task,
// and sends commands to display items.
//
// Tasks. PEG_initComponent, PEG_connect and PEG_start run on the address space's initial task
// (the system-manager client and the hooks). Commands arrive on the client task, one at a
// time, in arrival order. The senders run on their caller's task, take no lock and never wait
// for the display service or for the client task, so a sender may be called while any lock is
// held; this file holds none of its own.
//
// Sending. Every sender takes the service object of the display service and sends through its
// client (ServiceObject::pClient). A null service object, or one without a client, sends
// nothing; senders with a result then return 0. Item id and command code travel beside the
// payload; the payload is little-endian: u32 values as 4 bytes (several in argument order),
// narrow texts with their NUL (length + 1 bytes), UTF-16 texts with their terminator
// ((length + 1) x 2 bytes). A payload larger than a record can carry
// (kServiceRecordMax - kServiceRecordHeader bytes) is not sent.
#pragma once

#include <cstdint>

#include "KernelTypes.h"
#include "PEGCommand.h"
#include "ServiceClient.h"
#include "TarvoText.h"

struct AsInfo;

// The service the client needs.
extern const char kPEGServiceName[];  // "ZUB_PEG_Service"

// ---- Component entry and control (initial task) -------------------------------------------

// The component entry of the start table. With `ppServiceName` it stores kPEGServiceName
// there; with a service object it runs PEG_connect(pAsInfo, service object, null). Returns 0.
int PEG_initComponent(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);

// Creates the client of `pService` once: a service object that has a client already keeps it.
// A service object missing a connection object is reported (ServiceNotAvailable, 216, through
// Tarvo_ReportError) and gets its client all the same. Sets pAsInfo->pDisplayService. `pTask`:
// null creates the client task (16384-byte stack, named after the service); pointing to 0
// creates a task named "PEG_StartupTask" and writes its handle back; pointing to a task uses
// that task. Task, activity and open failures are traced or reported, never thrown. Returns 0;
// nothing is created for a null block or service object. Creating the client begins the
// display side's life (PEGDispatcher::beginLife; a lock that cannot be made is reported as
// ResourceNotAvailable, 138): this is the address space's one display client, created before
// the screens are built.
int PEG_connect(AsInfo* pAsInfo, ServiceObject* pService, Task* pTask);

// Starts the client of pAsInfo->pDisplayService: sends command 1 to item 0 and starts the
// client task. Returns the send's result; 16 (NULLObjectSpecified, traced) when there is no
// display service object or it has no client.
int PEG_start(AsInfo* pAsInfo);

// The program's display entry, defined by every program that links the client: called on the
// client task with the service object and each complete command record (at least its 12-byte
// header; shorter records are answered 0 without a call). Its result answers the record.
int OnPegEvent(ServiceObject* pService, const PEGCommand* pCommand);

// The client of one display service object. Lives until the address space ends; destroying it
// (on a task other than the client task, while no sender uses it) leaves the service and clears
// the service object's client pointer.
class PEG_Lib : public ServiceClient {
  public:
    static constexpr uint32_t kTaskStackSize = 16384;
    static constexpr uint32_t kTaskPriority = 135;

    // See PEG_connect for `pTask`.
    PEG_Lib(AsInfo* pAsInfo, ServiceObject* pService, Task* pTask);
    ~PEG_Lib() override;

    // PEG_start's work for this client.
    int start() override;
    // Client task: hands a complete record to OnPegEvent and returns its result; 0 for a
    // record shorter than its header (traced).
    int onCommand(const void* pRecord, uint32_t length) override;

    Task task() const { return myTask; }

  private:
    void createTask(AsInfo* pAsInfo, Task* pTask);

    Task myTask = nullptr;
};

// ---- Senders (any task; see the file comment) ------------------------------------------------

// Code `code` with the u32 `value`; returns the send's result (ServiceClient::send).
int PEG_sendCommandValue(ServiceObject* pService, uint32_t itemId, uint32_t code, uint32_t value);
// Code 29 with `length` bytes at `pData` through ServiceClient::send; returns its result.
int PEG_sendValueDataDirect(ServiceObject* pService, uint32_t itemId, const void* pData,
                            uint32_t length);
// The number of records waiting for the client task (ServiceClient::query); 0 without client.
uint32_t PEG_queryClient(ServiceObject* pService);

// Commands without payload.
void PEG_command10(ServiceObject* pService, uint32_t itemId);
void PEG_enable(ServiceObject* pService, uint32_t itemId);   // 22: the item can be used
void PEG_disable(ServiceObject* pService, uint32_t itemId);  // 23: the item cannot be used
void PEG_setEnabled(ServiceObject* pService, uint32_t itemId, bool enabled);  // 22 or 23
void PEG_command25(ServiceObject* pService, uint32_t itemId);
void PEG_command28(ServiceObject* pService, uint32_t itemId);  // clears a selection box
void PEG_command48(ServiceObject* pService, uint32_t itemId);
void PEG_command51(ServiceObject* pService, uint32_t itemId);
void PEG_command58(ServiceObject* pService, uint32_t itemId);

// Narrow texts. A null text sends code 18 without payload (41 and 30: their own code without
// payload); PEG_bindParameter sends nothing for a null name, PEG_sendNarrowText42 nothing for
// a null or empty text.
void PEG_setText(ServiceObject* pService, uint32_t itemId, const char* text);            // 18
void PEG_setLanguageTextKey(ServiceObject* pService, uint32_t itemId, const char* key);  // 19
void PEG_sendNarrowText20(ServiceObject* pService, uint32_t itemId, const char* text);   // 20
void PEG_sendNarrowText27(ServiceObject* pService, uint32_t itemId, const char* text);   // 27
void PEG_setTextKey(ServiceObject* pService, uint32_t itemId, const char* key);          // 30
void PEG_bindParameter(ServiceObject* pService, uint32_t itemId, const char* name);      // 37
void PEG_sendNarrowText41(ServiceObject* pService, uint32_t itemId, const char* text);   // 41
void PEG_sendNarrowText42(ServiceObject* pService, uint32_t itemId, const char* text);   // 42
// 49 with `word`, then as PEG_setText.
void PEG_setTextWithWord49(ServiceObject* pService, uint32_t itemId, const char* text,
                           uint32_t word);

// UTF-16 texts. A null text sends code 18 without payload (31 and 32: their own code).
void PEG_setWideText(ServiceObject* pService, uint32_t itemId, const char16_t* text);     // 26
void PEG_sendWideText31(ServiceObject* pService, uint32_t itemId, const char16_t* text);  // 31
void PEG_sendWideText32(ServiceObject* pService, uint32_t itemId, const char16_t* text);  // 32
// 49 with `word`, then as PEG_setWideText.
void PEG_setWideTextWithWord49(ServiceObject* pService, uint32_t itemId, const char16_t* text,
                               uint32_t word);

// Values.
void PEG_sendWords11to13(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b,
                         uint32_t c);  // 11 with a, 12 with b, 13 with c
void PEG_sendValue(ServiceObject* pService, uint32_t itemId, uint32_t value);  // 29 (selection)
// 29 with `length` bytes at `pData`; nothing for a null address or a length of 0.
void PEG_sendValueData(ServiceObject* pService, uint32_t itemId, const void* pData,
                       uint32_t length);
void PEG_sendByte35(ServiceObject* pService, uint32_t itemId, uint8_t value);
void PEG_sendWord36(ServiceObject* pService, uint32_t itemId, uint32_t value);
void PEG_sendWord38(ServiceObject* pService, uint32_t itemId, uint32_t value);
// 39: 1 hides the item, 0 shows it.
void PEG_setHidden(ServiceObject* pService, uint32_t itemId, uint32_t value);
void PEG_sendByte40(ServiceObject* pService, uint32_t itemId, uint8_t value);
void PEG_sendTriple43(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b, uint32_t c);
// 43 with pair[0], pair[1], c; nothing for a null pair.
void PEG_sendPairAndWord43(ServiceObject* pService, uint32_t itemId, const uint32_t* pair,
                           uint32_t c);
void PEG_sendTriple44(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b, uint32_t c);
void PEG_sendWord45(ServiceObject* pService, uint32_t itemId, uint32_t value);
void PEG_sendPair46(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b);
void PEG_sendPair47(ServiceObject* pService, uint32_t itemId, uint32_t a, uint32_t b);
void PEG_sendWord49(ServiceObject* pService, uint32_t itemId, uint32_t value);
void PEG_sendWord50(ServiceObject* pService, uint32_t itemId, uint32_t value);
// 53 with the 8-byte elements up to and including the first zero element; a null or empty
// string sends 53 without payload.
void PEG_sendElements53(ServiceObject* pService, uint32_t itemId, const uint64_t* elements);
void PEG_sendWord54(ServiceObject* pService, uint32_t itemId, uint32_t value);
// 55 with the 8 bytes at `bytes`; nothing for a null address.
void PEG_sendBytes55(ServiceObject* pService, uint32_t itemId, const uint8_t* bytes);
void PEG_sendWord56(ServiceObject* pService, uint32_t itemId, uint32_t value);
void PEG_sendWord57(ServiceObject* pService, uint32_t itemId, uint32_t value);

// ---- Time texts --------------------------------------------------------------------------------

// Formats `pTs` by the dictionary pattern of `pFormatKey` in `language` (0 first, non-zero
// second) into `pTimeString` (`nMaxlen` bytes, so nMaxlen / 2 - 1 characters and the
// terminator) and returns `pTimeString`. A missing record, buffer or key, or an nMaxlen of 2 or
// less, is an assertion failure (does not return). A failed formatting is traced and leaves
// the buffer as the framework left it (at least the empty text).
char16_t* PEG_formatTime(const TarvoTimeRecord* pTs, char16_t* pTimeString, uint32_t nMaxlen,
                         const char* pFormatKey, int language);
// PEG_formatTime, then, when the record's daylight-saving bit is set and the dictionary has
// "TimeCron._DST_short_LR", a blank and that text when both still fit the buffer.
char16_t* PEG_formatTimeDst(const TarvoTimeRecord* pTs, char16_t* pTimeString, uint32_t nMaxlen,
                            const char* pFormatKey, int language);

// Code 26 with the record formatted (at most 31 characters) in the address space's language.
void PEG_sendFormattedTime(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs,
                           const char* pFormatKey);
void PEG_sendFormattedTimeDst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs,
                              const char* pFormatKey);
// The same with the keys "TimeCron.KEY_TimeFmt_D1_LR", "..._D2_LR" and "..._Hms_LR".
void PEG_sendTimeD1(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs);
void PEG_sendTimeD2(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs);
void PEG_sendTimeHms(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs);
void PEG_sendTimeD1Dst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs);
void PEG_sendTimeD2Dst(ServiceObject* pService, uint32_t itemId, const TarvoTimeRecord* pTs);
// Code 20 with the text "TimeCron.KEY_EmptyTime_D1_LR" / "TimeCron.KEY_EmptyTime_D2_LR".
void PEG_sendEmptyTimeD1(ServiceObject* pService, uint32_t itemId);
void PEG_sendEmptyTimeD2(ServiceObject* pService, uint32_t itemId);
