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

// Per-file parts of resetFramework().
void resetAsInfo();
void resetLogs();
void resetFatalStops();
void resetSettings();
void resetDisplayContext();

}  // namespace host::detail
