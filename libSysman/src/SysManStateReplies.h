// The reply code each state of the system manager is answered with once its action is done.
#pragma once

#include <cstdint>

namespace sysman {

// The usual reply: the state's action is done.
constexpr uint32_t kReplyDone = 28;
// The reply of state 1 when it started an entry of the component start table (in place of the
// table's reply).
constexpr uint32_t kReplyComponentStarted = 0;

struct StateReply {
    uint32_t state;
    uint32_t reply;
};

// States 0 to 18 in order, with their replies. Every code above the table is answered with
// kReplyDone and does nothing.
inline constexpr StateReply kStateReplies[] = {
    {0, kReplyDone}, {1, kReplyDone},  {2, kReplyDone},  {3, kReplyDone}, {4, kReplyDone},
    {5, kReplyDone}, {6, 29},          {7, kReplyDone},  {8, kReplyDone}, {9, 24},
    {10, 41},        {11, kReplyDone}, {12, kReplyDone}, {13, 0},         {14, kReplyDone},
    {15, 46},        {16, kReplyDone}, {17, kReplyDone}, {18, 49},
};
constexpr uint32_t kStateCount = sizeof(kStateReplies) / sizeof(kStateReplies[0]);

constexpr bool stateRepliesInOrder() {
    for (uint32_t i = 0; i < kStateCount; ++i) {
        if (kStateReplies[i].state != i) {
            return false;
        }
    }
    return true;
}
static_assert(stateRepliesInOrder(), "row i of the reply table is state i");

// The reply of `stateCode` from the table; kReplyDone for a code above it.
constexpr uint32_t stateReply(uint32_t stateCode) {
    return stateCode < kStateCount ? kStateReplies[stateCode].reply : kReplyDone;
}

}  // namespace sysman
