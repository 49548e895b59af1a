// Shared piece of the framework's system-manager calls (not part of the seam).
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "KernelTypes.h"

namespace host::detail {

// Sends one message of `kind` to the system manager on `pAsInfo`'s link (the format of
// Sysmanlib.h) with two arguments and an optional payload of `length` bytes. Returns the kernel's
// result; IllegalParameter for a null block.
Error sendToSystemManager(const AsInfo* pAsInfo, uint32_t kind, uint32_t argument1,
                          uint32_t argument2, const void* payload, uint32_t length);

}  // namespace host::detail
