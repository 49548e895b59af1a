// A command record of the display service as it arrived, read within its length.
//
// Wire layout, little-endian, at any byte alignment:
//   bytes 0-3  item id        bytes 4-7  command code
//   bytes 8-11 not read       bytes 12-  payload: a u32 (a selection index) or a
//                                         NUL-terminated UTF-16 text; most commands carry none
#pragma once

#include <cstdint>
#include <string>

class PEGCommand {
  public:
    static constexpr uint32_t kHeaderSize = 12;

    // A view of `length` bytes at `bytes`; the record is not copied and must outlive the view.
    PEGCommand(const void* bytes, uint32_t length);

    // True when the record holds at least its header; a shorter record has no item and no
    // command (both read 0) and no payload.
    bool complete() const { return myLength >= kHeaderSize; }

    uint32_t itemId() const;
    uint32_t commandCode() const;

    // The u32 at the start of the payload; false (and `value` untouched) when the payload is
    // shorter than 4 bytes.
    bool payloadWord(uint32_t& value) const;
    // The payload's u32 as a selection index: values above INT32_MAX (0xFFFFFFFF among them)
    // name no entry and read -1. False (and `index` untouched) as payloadWord.
    bool payloadIndex(int32_t& index) const;
    // The UTF-16 text at the start of the payload, up to its terminator or to the record's
    // end, whichever comes first (an odd last byte is not a character).
    std::u16string payloadText() const;

    const uint8_t* bytes() const { return myBytes; }
    uint32_t length() const { return myLength; }

  private:
    uint32_t wordAt(uint32_t offset) const;

    const uint8_t* myBytes;
    uint32_t myLength;
};
