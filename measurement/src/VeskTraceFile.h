// The trace file that the application object shares with the data-set file it keeps, and the
// points of it that each one owns.
#pragma once

#include <cstdint>

namespace vesk_trace {

// Trace file 3: the application object (points 0 to 12) and the data-set file.
constexpr uint32_t kFile = 3;
// The data-set file's point: a stale temporary too deep to clear.
constexpr uint32_t kDataSetTooDeepPoint = 13;

}  // namespace vesk_trace
