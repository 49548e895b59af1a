// The program's connection to its display-service client. The program names the client in its
// component start table, starts it in the task set-up and sends its display commands through it;
// which client that is gets decided where the program is linked, by connecting a port. Until a
// port is connected the program runs without display: its component entry names no service, the
// start does nothing and no command is sent.
#pragma once

#include <cstdint>

#include "AsInfo.h"

struct CalorantDisplayPort {
    // The client's component entry (ComponentStartFunction contract: names the service it needs
    // when asked, creates the client when given the service object).
    ComponentStartFunction initComponent;
    // Starts the client of the service object kept in AsInfo; returns its result.
    int (*start)(AsInfo* pAsInfo);
    // Sends command 39 for the item with the 4-byte value (1 hide, 0 show) through the service
    // object that came with a display command.
    void (*setHidden)(void* serviceObject, uint32_t itemId, uint32_t value);
    // Sends command 19 for the item with the key text and its NUL.
    void (*setLanguageTextKey)(void* serviceObject, uint32_t itemId, const char* key);
};

// Connects (or, with null members, disconnects) the display client. Before the address space
// starts; any task.
void ConnectCalorantDisplayPort(const CalorantDisplayPort& port);

// Entry 5 of the component start table: the port's entry, or (no port) 0 without naming a
// service (traced).
int CalorantDisplayInitComponent(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);

// The port's start, or (no port) 0 (traced).
int CalorantDisplayStart(AsInfo* pAsInfo);

// Display commands through the port; nothing without one. Display task.
void CalorantSetHidden(void* serviceObject, uint32_t itemId, uint32_t value);
void CalorantSetLanguageTextKey(void* serviceObject, uint32_t itemId, const char* key);
