// Shared pieces of the host framework's source files (not part of the seam).
#pragma once

#include <cstdint>
#include <string>

#include "AsInfo.h"

namespace host::detail {

// Name of `pAsInfo` (bounded by its field), or of the registered block when it is null; "" when
// neither exists.
std::string asNameOf(const AsInfo* pAsInfo);

// The phase set last.
std::string phaseNow();

// Why the address space stops, for the line of its fatal stop: the texts of the fatal reports
// made since the previous call, else the text arguments of the last trace point of an error
// level (3 or below) written since then; "" when there is neither. Forgets both.
std::string takeStopReason();
// The text arguments of the last error-level trace point with any written since the previous
// call ("" none), joined by ": ". Forgets it.
std::string takeErrorTraceText();

// Per-file parts of resetFramework().
void resetAsInfo();
void resetLogs();
void resetFatalStops();
void resetSettings();
void resetDisplayContext();

}  // namespace host::detail
