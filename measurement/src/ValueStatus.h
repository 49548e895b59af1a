// The value status word that travels with every value of the parameter tree: its flag bits,
// the usability mask of the measurement code and its text form for traces.
#pragma once

#include <cstdint>

enum : uint32_t {
    kStatusOutOfUse = 0x1,      // "OOU": the node is not in use
    kStatusOutOfOrder = 0x80,   // "OOO": nothing usable has entered the value yet
    kStatusLowerLimit = 0x100,  // "OLL": at or below the lower limit
    kStatusUpperLimit = 0x200,  // "OUL": at or above the upper limit
    kStatusNotUsable = 0x178f,  // any of these bits makes a value unusable for measurement
};

// True when the word has none of the bits that make a value unusable.
inline bool isUsable(uint32_t status) {
    return (status & kStatusNotUsable) == 0;
}

// The text form of a status word, held in place (making it allocates nothing, so a trace may
// carry it from a steady cycle).
class StatusText {
  public:
    // The zero-terminated text; valid while this object lives.
    const char* c_str() const { return myText; }

  private:
    friend StatusText statusToString(uint32_t status);
    // The longest text: every flag (78 characters) and the fields at their maxima (30).
    char myText[112] = {};
};

// The text form of a status word: the texts of the set flags 0-11 ("OOU, " ... "TEST, "), then
// "SET: s, OVR: o, NEW: n, LOP: l" with the four fields in decimal.
StatusText statusToString(uint32_t status);
