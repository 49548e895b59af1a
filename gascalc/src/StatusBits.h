// Bits of the value status word that the calculation sets and tests.
#pragma once

#include <cstdint>

namespace status {

constexpr uint32_t kNotInUse = 0x1;      // printed "OOU": not computed, or source not in use
constexpr uint32_t kInit = 0x2;          // printed "INIT"
constexpr uint32_t kBelowLimit = 0x100;  // printed "OLL"
constexpr uint32_t kAboveLimit = 0x200;  // printed "OUL"
constexpr uint32_t kInvalid = 0x400;     // printed "OOC": the value is not valid
constexpr uint32_t kBelowWarning = 0x4000;
constexpr uint32_t kAboveWarning = 0x8000;
constexpr uint32_t kBadInput = 0x178f;     // an input with any of these bits is not good
constexpr uint32_t kFaultFlags = 0x108d;   // fault flags a LOP level keeps usable
constexpr uint32_t kLopMask = 0x07000000;  // bits 24 to 26: level of the value's producer

inline bool IsBad(uint32_t word) {
    return (word & kBadInput) != 0;
}

// kInvalid when `condition` holds, else 0.
inline uint32_t InvalidIf(bool condition) {
    return condition ? kInvalid : 0u;
}

}  // namespace status
