// Trace points and shared constants of the display-service client's sources.
#pragma once

#include <cstdint>

#include "TarvoTrace.h"

namespace peg_detail {

constexpr uint32_t kTraceFile = 0x36;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceNoClient = TraceId(kTraceFile, 0, 3),
    kTraceFormatFailed = TraceId(kTraceFile, 1, 4),
    kTraceFormatDstFailed = TraceId(kTraceFile, 2, 4),
    kTraceStartupTaskNotEnrolled = TraceId(kTraceFile, 3, 1),
    kTraceTaskNotEnrolled = TraceId(kTraceFile, 4, 1),
    kTraceActivityFailed = TraceId(kTraceFile, 5, 1),
    kTraceStartFailed = TraceId(kTraceFile, 6, 1),
    kTraceShortRecord = TraceId(kTraceFile, 7, 3),
};

// Path reported by this library's assertions.
constexpr const char* kSourcePath = "libPEG/src/PEG";

}  // namespace peg_detail
