// Trace points of the health monitor (file 0xd, selector 0).
#pragma once

#include <cstdint>

namespace hsmon {

// The task.
constexpr uint32_t kTraceNoIdentification = 0xd0161;  // kernel error name
constexpr uint32_t kTraceNoAsInfo = 0xd0171;
constexpr uint32_t kTraceTaskStarted = 0xd0187;       // AS name
constexpr uint32_t kTraceListChecksumNext = 0xd0197;  // AS name (mode 4, first pass)
constexpr uint32_t kTracePass = 0xd01a7;              // AS name, code start (low 32 bits), length
constexpr uint32_t kTraceTotalChanged = 0xd01b4;      // AS name, new total, old total
constexpr uint32_t kTraceFirstTotal = 0xd01c7;        // AS name, total, 0
constexpr uint32_t kTraceTotalUnchanged = 0xd01d7;    // AS name, list, code checksum, total

// The directory checksum.
constexpr uint32_t kTraceBasePathNotEntered = 0xd0027;  // base path, errno
constexpr uint32_t kTraceParDirNotEntered = 0xd0047;    // parameter directory path, errno
constexpr uint32_t kTraceDirNotOpened = 0xd0061;        // directory (not opened, or not read)
constexpr uint32_t kTraceDirFileFailed = 0xd0093;       // prefix, file name
constexpr uint32_t kTraceDirFile = 0xd00a6;             // prefix, file name, checksum

// The list checksum ("files.txt").
constexpr uint32_t kTraceBasePathTooLong = 0xd00d3;    // base path
constexpr uint32_t kTraceListStart = 0xd00e7;          // prefix
constexpr uint32_t kTraceListMissing = 0xd00f3;        // prefix, path
constexpr uint32_t kTraceListNotOpened = 0xd0103;      // prefix, path
constexpr uint32_t kTraceListedPathTooLong = 0xd0113;  // path so far (the base path)
constexpr uint32_t kTraceListedFileFailed = 0xd0133;   // prefix, path
constexpr uint32_t kTraceListedFile = 0xd0147;         // prefix, path, checksum
constexpr uint32_t kTraceListChecksum = 0xd0156;       // prefix, checksum

// Reports.
constexpr uint32_t kTraceDirReportFailed = 0xd01f3;    // code
constexpr uint32_t kTraceTotalReportFailed = 0xd0203;  // code

}  // namespace hsmon
