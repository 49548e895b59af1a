// Bounded byte buffer with a read/write position, an owning variant and typed value transfer.
//
// Every operation that could leave the buffer's range checks first and throws std::range_error
// (text: source path, ":", line, blank, message) without changing anything. The checks compare
// byte counts, never pointers moved past the end, so a huge count cannot wrap past a check.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <boost/shared_ptr.hpp>

// A byte buffer over an array it does not own. Invariants after every successful operation:
// end = data + size, size <= max size, data <= position <= end. Used by one task at a time.
class Buff {
  public:
    // Every field zero: an empty buffer over no array.
    Buff() = default;
    // A buffer of `size` bytes over `data`, positioned at data; max size = size. Throws
    // std::runtime_error "Invalid parameter" when data is null and size is not 0.
    Buff(uint8_t* data, uint32_t size);
    Buff(const Buff&) = default;
    Buff& operator=(const Buff&) = default;
    // Frees nothing: the array stays the caller's.
    virtual ~Buff() = default;

    // Copies n bytes from `source` (not overlapping the buffer) to the position and advances.
    void write(const void* source, uint32_t n);
    // Writes the whole of `other` (its size bytes from its data) at the position.
    void writeBuff(const Buff& other);
    // position := data + offset; offset may equal the size.
    void setPosition(uint32_t offset);
    // Moves the position n bytes forward / back without touching bytes.
    void skip(uint32_t n);
    void skipBack(uint32_t n);
    // size := n (up to max size, and not below the position); max size and position stay.
    void resize(uint32_t n);
    // Sets the size bytes from data to 0; the position stays.
    void clear();
    // position := data.
    void rewind() { myPosition = myData; }

    // The byte data[index]; throws std::range_error when index >= size (the modifiable form
    // also traces the failure).
    uint8_t& operator[](uint32_t index);
    const uint8_t& operator[](uint32_t index) const;

    // Copies the string's characters (no terminating zero) to the position and advances.
    void writeString(const std::string& text);
    // Returns the n bytes at the position as a string and advances past them.
    std::string readString(uint32_t n);
    // Writes each of the n bytes as two upper-case hexadecimal digits, high nibble first, then
    // one zero byte; needs 2n + 1 bytes of room and advances past the zero.
    void writeHex(const uint8_t* bytes, uint32_t n);

    // Writes a 4- or 8-byte value (unsigned integer or double) little-endian at the position.
    template <typename T>
    void writeValue(const T& value);
    // Reads a 4- or 8-byte value stored little-endian at the position and advances.
    template <typename T>
    T readValue();

    uint32_t size() const { return mySize; }
    uint32_t maxSize() const { return myMaxSize; }
    uint8_t* data() { return myData; }
    const uint8_t* data() const { return myData; }
    uint8_t* position() { return myPosition; }
    const uint8_t* position() const { return myPosition; }
    // Bytes written or read since data.
    uint32_t offset() const;
    // Bytes between the position and end.
    uint32_t remaining() const;

  private:
    // Throws the range error "position P out of buffer range L" of `line` after tracing
    // `traceId` (0 = untraced) with data, position, n and end.
    [[noreturn]] void failOutOfRange(int line, uintptr_t p, uintptr_t l, uint32_t traceId,
                                     uint32_t n) const;
    // Throws std::range_error with this header's path, `line` and "no more space left in buffer".
    [[noreturn]] static void failNoSpace(int line) {
        throw std::range_error(std::string("util/Buffer.h:") + std::to_string(line) +
                               " no more space left in buffer");
    }

    uint8_t* myData = nullptr;
    uint32_t mySize = 0;
    uint32_t myMaxSize = 0;
    uint8_t* myEnd = nullptr;
    uint8_t* myPosition = nullptr;
};

// Same data pointer and size, or same size and equal bytes.
bool operator==(const Buff& a, const Buff& b);
bool operator!=(const Buff& a, const Buff& b);

// A Buff that owns its array (from the array form of new) and frees it once on destruction.
// Never copied.
class ManagedBuff : public Buff {
  public:
    // Allocates n bytes (contents not set).
    explicit ManagedBuff(uint32_t n);
    // Adopts the array `data` (the caller must not free it), e.g. the result of new[].
    // Throws like Buff(data, n).
    ManagedBuff(uint8_t* const& data, uint32_t n);
    // Adopts the array held by the caller's variable and sets that variable to null (chosen
    // for every modifiable pointer variable).
    ManagedBuff(uint8_t*& data, uint32_t n);
    ManagedBuff(const ManagedBuff&) = delete;
    ManagedBuff& operator=(const ManagedBuff&) = delete;
    ~ManagedBuff() override;

  private:
    uint8_t* myOwner = nullptr;
};

// A new shared buffer holding the bytes of a, then those of b, positioned at a's offset.
boost::shared_ptr<ManagedBuff> concat(const Buff& a, const Buff& b);

namespace buffer_detail {

// The unsigned integer whose width matches T; only 4- and 8-byte values are transferred.
template <typename T>
struct RawWord {
    static_assert(std::is_arithmetic<T>::value && (sizeof(T) == 4 || sizeof(T) == 8),
                  "Buff transfers 4- or 8-byte arithmetic values only");
    using type = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
};

}  // namespace buffer_detail

template <typename T>
void Buff::writeValue(const T& value) {
    using Word = typename buffer_detail::RawWord<T>::type;
    if (remaining() < sizeof(T)) {
        failNoSpace(239);
    }
    Word word;
    std::memcpy(&word, &value, sizeof(T));
    for (unsigned i = 0; i < sizeof(T); ++i) {
        myPosition[i] = static_cast<uint8_t>(word >> (8u * i));
    }
    myPosition += sizeof(T);
}

template <typename T>
T Buff::readValue() {
    using Word = typename buffer_detail::RawWord<T>::type;
    if (remaining() < sizeof(T)) {
        failNoSpace(277);
    }
    Word word = 0;
    for (unsigned i = 0; i < sizeof(T); ++i) {
        word |= static_cast<Word>(myPosition[i]) << (8u * i);
    }
    myPosition += sizeof(T);
    T value;
    std::memcpy(&value, &word, sizeof(T));
    return value;
}
