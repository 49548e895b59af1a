// Trace points of the framework. A point is identified by
//   (source-file number << 16) | (point number << 4) | level
// and is written only when Tarvo_TraceEnabled reports it enabled. The format word describes the
// variadic arguments: three bits an argument, the first in bits 27-29, the next in 24-26, and
// so on; a code of 0 ends the list.
#pragma once

#include <cstdint>

// Argument codes of the format word.
enum : uint32_t {
    kTraceArgEnd = 0,
    kTraceArgText = 1,    // const char*, NUL-terminated
    kTraceArgDouble = 2,  // double
    kTraceArgInt = 4,     // 32-bit integer (int32_t or uint32_t)
    kTraceArgText16 = 7,  // const char16_t*, NUL-terminated UTF-16
};

// Builds a trace identifier from its parts.
constexpr uint32_t TraceId(uint32_t fileNumber, uint32_t point, uint32_t level) {
    return (fileNumber << 16) | (point << 4) | level;
}

// Builds a format word from up to nine argument codes, first argument first.
constexpr uint32_t TraceFormat(uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0, uint32_t a4 = 0,
                               uint32_t a5 = 0, uint32_t a6 = 0, uint32_t a7 = 0, uint32_t a8 = 0,
                               uint32_t a9 = 0) {
    return (a1 << 27) | (a2 << 24) | (a3 << 21) | (a4 << 18) | (a5 << 15) | (a6 << 12) | (a7 << 9) |
           (a8 << 6) | (a9 << 3);
}

// The trace selector byte of the programs' own source files; the system-manager client sets it
// from the self-information at registration. Shared libraries pass selector 0.
// Any task may read it.
uint8_t Tarvo_GetTraceSelector();
void Tarvo_SetTraceSelector(uint8_t selector);

// Non-zero when the point `id` is enabled for `selector`. Cheap; any task.
int Tarvo_TraceEnabled(uint32_t selector, uint32_t id);

// Writes one trace point with the arguments the format word describes to the run's trace log.
// Callers test Tarvo_TraceEnabled first. Any task.
void Tarvo_Trace(uint32_t selector, uint32_t id, uint32_t format, ...);

// Emits a trace point when enabled: TRACE(selector, id, format, args...).
#define TARVO_TRACE(selector, id, ...)                  \
    do {                                                \
        if (Tarvo_TraceEnabled((selector), (id))) {     \
            Tarvo_Trace((selector), (id), __VA_ARGS__); \
        }                                               \
    } while (0)
