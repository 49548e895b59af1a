// The program entry of Vesk-Prog and its life-cycle hooks: the default hook set that the
// system-manager client installs, and the body of the device's main.
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "FbDo.h"

// The body of the program's main: registers the default hook set, hands the initial task to
// the system-manager client, and reports whatever exception escapes it as fatal (with the
// address-space name, or "unknown AS" before one is registered; "unknown" for an exception of
// no standard type). Returns 0 in every case.
int VeskProgramMain();

// The address space's tree as the create hook cached it; null before. Any task.
FbDoTree* VeskTree();

// The hook set of the program (slots 3 to 19 of the client's table).
const SysManHookTable& VeskDefaultHooks();

// The hooks, each on the initial task, one at a time; 0 is success, 1 a failure the client
// treats as fatal. OnTreeChanged is the tree-change callback (a framework task; returns 1).
int OnInitialize(AsInfo* pAsInfo);
int OnLoadParameters(AsInfo* pAsInfo);
int OnFbDO(AsInfo* pAsInfo);
int OnCreate(AsInfo* pAsInfo);
int OnServicesStart(AsInfo* pAsInfo);
int OnServicesTaskSetup(AsInfo* pAsInfo);
int OnTaskSetup(AsInfo* pAsInfo);
int OnStart(AsInfo* pAsInfo);
int OnRun(AsInfo* pAsInfo);
int OnProcess(AsInfo* pAsInfo);
int OnShutdown(AsInfo* pAsInfo);
int OnTimer(AsInfo* pAsInfo, uint32_t timerId, uint32_t status);
int OnTreeChanged(void* argument);
