// Trace points of the gas calculation program's shell. Identifier = (source-file number << 16) |
// (point number << 4) | level; every point carries the program's trace selector.
#pragma once

#include <cstdint>

#include "TarvoTrace.h"

namespace calorant {

// Source-file numbers: the cycle, and program entry with binding and display.
constexpr uint32_t kTraceFileCycle = 0xE;
constexpr uint32_t kTraceFileProgram = 0xF;

// Display: a method code without a label (level 3: the code).
constexpr uint32_t kTraceMethodNotShown = 0xF0003;

// Program entry and hooks.
constexpr uint32_t kTraceTreeChanged = 0xF0017;          // level 7
constexpr uint32_t kTraceLoadParameters = 0xF0027;       // level 7
constexpr uint32_t kTraceParameterService = 0xF0031;     // level 1: code, text
constexpr uint32_t kTraceFbDoStart = 0xF0047;            // level 7
constexpr uint32_t kTraceTreeStartFailed = 0xF0051;      // level 1: code, text
constexpr uint32_t kTraceNoTree = 0xF0063;               // level 3: address-space name
constexpr uint32_t kTracePreprocessingFailed = 0xF0071;  // level 1: code, text
// Hooks that find no taste, and a cycle without preprocessing object (level 3, no arguments).
constexpr uint32_t kTraceNoTaste = 0xF01D3;
constexpr uint32_t kTracePreprocessingSkipped = 0xF01E3;
// The framework gave no taste name; the Default layout is used (level 3).
constexpr uint32_t kTraceNoTasteName = 0xF01F3;

// Binding.
constexpr uint32_t kTraceElementHandleZero = 0xF0085;    // name
constexpr uint32_t kTraceImportFound = 0xF0096;          // name, reference
constexpr uint32_t kTraceImportWithoutSource = 0xF00A5;  // name
constexpr uint32_t kTraceSourceNotALine = 0xF00B5;       // reference, name
constexpr uint32_t kTraceBeforeLookup = 0xF00C6;         // target, reference, attribute, path
constexpr uint32_t kTraceAliasNotValid = 0xF00D5;        // attribute, reference, name
constexpr uint32_t kTraceAliasBound = 0xF00E7;           // name, reference, path, alias text
constexpr uint32_t kTracePlainNodeBound = 0xF00F7;       // name, node handle
constexpr uint32_t kTraceDefaultEntry = 0xF0107;
constexpr uint32_t kTraceDefaultNoTree = 0xF0113;
constexpr uint32_t kTraceDefaultFailed = 0xF0123;  // exception text
constexpr uint32_t kTraceZm1Entry = 0xF0137;
constexpr uint32_t kTraceZm1NoTree = 0xF0143;
constexpr uint32_t kTraceZm1RhobQueryYes = 0xF0157;
constexpr uint32_t kTraceZm1RhobQueryNo = 0xF0167;
constexpr uint32_t kTraceZm1RdQueryYes = 0xF0177;
constexpr uint32_t kTraceZm1RdQueryNo = 0xF0187;
constexpr uint32_t kTraceZm1Failed = 0xF0193;  // exception text
constexpr uint32_t kTraceBm1Entry = 0xF01A7;
constexpr uint32_t kTraceBm1NoTree = 0xF01B3;
constexpr uint32_t kTraceBm1Failed = 0xF01C3;  // exception text

// A node bound without the null check is missing: its name is left out (level 3: the name).
constexpr uint32_t kTraceUncheckedNodeMissing = 0xF0213;

// Cycle.
constexpr uint32_t kTraceReload = 0xE0107;  // level 7
// A cycle without the 12-component calculator (the Run hook got no storage): level 3.
constexpr uint32_t kTraceNoCalculator = 0xE0113;

// The selector byte of the program's own trace points.
inline uint32_t TraceSelector() {
    return Tarvo_GetTraceSelector();
}

}  // namespace calorant

// Emits a trace point of the program when enabled.
#define CALORANT_TRACE(id, ...) TARVO_TRACE(::calorant::TraceSelector(), (id), __VA_ARGS__)
