// The program's connection to its display-service client. The program names the client in its
// component start table and starts it in the task set-up; which client that is gets decided
// where the program is linked, by connecting a port. Until a port is connected the program runs
// without display: its component entry names no service and the start does nothing.
#pragma once

#include "AsInfo.h"

struct CalorantDisplayPort {
    // The client's component entry (ComponentStartFunction contract: names the service it needs
    // when asked, creates the client when given the service object).
    ComponentStartFunction initComponent;
    // Starts the client of the service object kept in AsInfo; returns its result.
    int (*start)(AsInfo* pAsInfo);
};

// Connects (or, with null members, disconnects) the display client. Before the address space
// starts; any task.
void ConnectCalorantDisplayPort(const CalorantDisplayPort& port);

// Entry 5 of the component start table: the port's entry, or (no port) 0 without naming a
// service (traced).
int CalorantDisplayInitComponent(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject);

// The port's start, or (no port) 0 (traced).
int CalorantDisplayStart(AsInfo* pAsInfo);
