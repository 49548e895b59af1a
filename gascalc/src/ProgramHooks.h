// The life-cycle hooks of the gas calculation program and its tree-change callback. The
// system-manager client calls every hook on the address space's initial task with pAsInfo;
// each returns 0 on success or an error code for the client's error check. The hooks catch no
// exception: one that leaves a hook ends in the program entry's handlers.
#pragma once

#include "AsInfo.h"

// The program's hook set (slots 3, 4, 5, 7, 8, 9, 12, 13, 16, 18, 19, 21; the others empty).
const SysManHookTable& CalorantHooks();

// State 3: fills the gas property tables.
int OnInitialize(AsInfo* pAsInfo);
// State 17: loads the parameters through the framework's parameter service; reports its result.
int OnLoadParameters(AsInfo* pAsInfo);
// State 4: starts the tree, builds the preprocessing object, registers the change callback,
// counts the first change and makes the taste. 1 without a tree or when the callback cannot be
// registered (no taste then).
int OnFbDO(AsInfo* pAsInfo);
// Preprocessing set-up of the tree by taste (called by OnFbDO): 0, or 1 on failure.
int FbDOPre(AsInfo* pAsInfo);
// State 5: starts the framework's components; returns the third start's result.
int OnServicesStart(AsInfo* pAsInfo);
// State 8, first: the framework's task set-up, then the display client's start (its result).
int OnServicesTaskSetup(AsInfo* pAsInfo);
// State 8, second.
int OnTaskSetup(AsInfo* pAsInfo);
// State 16, second: binds the active layout's names; 1 without a taste or for an unknown kind.
int OnTasteSetup(AsInfo* pAsInfo);
// RUN: makes the 12-component calculator (null in the block when no storage was left).
int OnRun(AsInfo* pAsInfo);
// One cycle: tree access, preprocessing restart after a tree change, preprocessing pass,
// calculation cycle. The tree access is closed however the cycle ends.
int OnProcess(AsInfo* pAsInfo);
// Shutdown: the program persists nothing.
int OnShutdown(AsInfo* pAsInfo);
// Timer events: nothing to do.
int OnTimer(AsInfo* pAsInfo, uint32_t timerId, uint32_t status);

// Called by the framework after each tree change, on a task of its own: counts the change for
// the preprocessing restart and the parameter reload. Returns 1.
int OnTreeChanged(void* argument);
