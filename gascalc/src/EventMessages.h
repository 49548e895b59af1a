// The layout's messages under its Events node, written every cycle from the status words of the
// inputs and results: limit, warning and failure messages of pressure, temperature and the
// imported values, the limit messages of the components, the conversion-factor failure and the
// calculation failure.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "FbDo/FbDoValueNode.h"

// Children of an Events node that can hold a message (the Default layout's 0..84).
constexpr uint32_t kEventMessageChildren = 85;

// The active layout's Events node and its message nodes with their leaves, by child index (null
// where the node has no such child), found at every reload.
struct EventMessageNodes {
    FbDoNode events;
    FbDoValueNode message[kEventMessageChildren];
};

// Reload: finds the Events node of the taste's layout and its message nodes; all null without a
// taste, for another layout kind or when the layout's Events node is missing.
void FindEventMessageNodes();

// The last step of the cycle, through the nodes of the last reload. Writes nothing without a
// taste, for another layout kind or when the layout's Events node is missing (traced).
void WriteEventsStep();
