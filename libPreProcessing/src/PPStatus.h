// Value status bits and level masks that the preprocessing lines and groups test and build.
#pragma once

#include <cstdint>

namespace PreProcessing {

// Flags of a value status word.
enum : uint32_t {
    kStatusOOU = 0x1,
    kStatusINIT = 0x2,
    kStatusNOT_AVAIL = 0x4,
    kStatusOOS = 0x8,
    kStatusOOO = 0x80,
    kStatusOLL = 0x100,
    kStatusOUL = 0x200,
    kStatusOOC = 0x400,
    kStatusLowerWarning = 0x4000,  // lower warning limit passed
    kStatusUpperWarning = 0x8000,  // upper warning limit passed
};

// A level is not good with any of these (OOU, NOT_AVAIL, OOO, OLL, OUL, OOC and bit 12).
constexpr uint32_t kBadFlags = 0x1785;
// A level read with any of these is not evaluated this cycle (the bad flags and OOS).
constexpr uint32_t kReadRejectingFlags = 0x178d;
// Both warning-limit bits.
constexpr uint32_t kWarningFlags = kStatusLowerWarning | kStatusUpperWarning;
// A level read with any of these is not available to the fallbacks.
constexpr uint32_t kUnavailableFlags = kStatusINIT | kStatusNOT_AVAIL | kStatusOOS;

// The LOP field (bits 24-26): the level a line output was taken from, 0..7.
constexpr uint32_t kLopShift = 24;
constexpr uint32_t kLopMask = 0x7u << kLopShift;

// Returns `status` with its LOP field set to `level` (only the low three bits of it).
constexpr uint32_t withLop(uint32_t status, uint32_t level) {
    return (status & ~kLopMask) | ((level << kLopShift) & kLopMask);
}

// The LOP field of `status`.
constexpr uint32_t lopOf(uint32_t status) {
    return (status & kLopMask) >> kLopShift;
}

// Levels 1..6 are bits 0..5 of a level mask; `level 7` (the substitute) never appears in one.
constexpr uint32_t kLevelCount = 6;
constexpr uint32_t kSubstituteLevel = 7;
constexpr uint32_t kAllLevelsMask = 0x7f;  // bits 0..6, as the group masks start out

// Bit of level 1..6 in a level mask; 0 for any other level.
constexpr uint32_t levelBit(uint32_t level) {
    return (level >= 1 && level <= kLevelCount) ? (1u << (level - 1)) : 0u;
}

}  // namespace PreProcessing
