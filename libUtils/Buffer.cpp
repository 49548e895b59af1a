#include "util/Buffer.h"

#include <boost/make_shared.hpp>

#include "TarvoTrace.h"

namespace {

// Trace file number of the byte buffer; the shared libraries trace with selector 0.
constexpr uint32_t kTraceFile = 0x68;
constexpr uint32_t kSelector = 0;
constexpr uint32_t kFourInts = TraceFormat(kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt);

constexpr uint32_t kWriteTrace = TraceId(kTraceFile, 0, 3);
constexpr uint32_t kWriteBuffTrace = TraceId(kTraceFile, 1, 3);
constexpr uint32_t kSetPositionTrace = TraceId(kTraceFile, 2, 3);
constexpr uint32_t kSkipTrace = TraceId(kTraceFile, 3, 3);
constexpr uint32_t kSkipBackTrace = TraceId(kTraceFile, 4, 3);
constexpr uint32_t kIndexTrace = TraceId(kTraceFile, 5, 3);

// An address or count as the 32-bit trace argument (the low word of a host address).
uint32_t traceWord(uintptr_t value) {
    return static_cast<uint32_t>(value);
}

uintptr_t address(const uint8_t* p) {
    return reinterpret_cast<uintptr_t>(p);
}

// "<this file>:<line> <message>", with the source path the same whatever the build's paths are.
std::string errorText(int line, const std::string& message) {
    return std::string("libUtils/Buffer.cpp:") + std::to_string(line) + " " + message;
}

[[noreturn]] void failIndex(int line, uint32_t index, uint32_t size) {
    throw std::range_error(errorText(
        line, "Index " + std::to_string(index) + " out of range " + std::to_string(size)));
}

}  // namespace

Buff::Buff(uint8_t* data, uint32_t size)
    : myData(data), mySize(size), myMaxSize(size), myPosition(data) {
    if (data == nullptr && size != 0) {
        throw std::runtime_error(errorText(45, "Invalid parameter"));
    }
    myEnd = data + size;  // formed only after the check: never an offset from a null pointer
}

void Buff::failOutOfRange(int line, uintptr_t p, uintptr_t l, uint32_t traceId, uint32_t n) const {
    if (traceId != 0) {
        TARVO_TRACE(kSelector, traceId, kFourInts, traceWord(address(myData)),
                    traceWord(address(myPosition)), n, traceWord(address(myEnd)));
    }
    throw std::range_error(errorText(
        line, "position " + std::to_string(p) + " out of buffer range " + std::to_string(l)));
}

void Buff::write(const void* source, uint32_t n) {
    if (n > remaining()) {
        failOutOfRange(60, address(myPosition) + n, address(myEnd), kWriteTrace, n);
    }
    if (n != 0) {
        std::memcpy(myPosition, source, n);
    }
    myPosition += n;
}

void Buff::writeBuff(const Buff& other) {
    if (other.mySize > remaining()) {
        failOutOfRange(72, address(myPosition) + other.mySize, address(myEnd), kWriteBuffTrace,
                       other.mySize);
    }
    if (other.mySize != 0) {
        std::memcpy(myPosition, other.myData, other.mySize);
    }
    myPosition += other.mySize;
}

void Buff::setPosition(uint32_t offset) {
    if (offset > mySize) {
        TARVO_TRACE(kSelector, kSetPositionTrace, kFourInts, traceWord(address(myData)),
                    traceWord(address(myPosition)), offset, mySize);
        failOutOfRange(89, offset, mySize, 0, offset);
    }
    myPosition = myData + offset;
}

void Buff::skip(uint32_t n) {
    if (n > remaining()) {
        failOutOfRange(100, address(myPosition) + n, address(myEnd), kSkipTrace, n);
    }
    myPosition += n;
}

void Buff::skipBack(uint32_t n) {
    if (n > offset()) {
        failOutOfRange(111, address(myPosition) - n, address(myData), kSkipBackTrace, n);
    }
    myPosition -= n;
}

void Buff::resize(uint32_t n) {
    if (n > myMaxSize) {
        throw std::range_error(errorText(
            160, "new size " + std::to_string(n) + " > mas size" + std::to_string(myMaxSize)));
    }
    if (n < offset()) {
        failOutOfRange(165, address(myPosition), address(myData) + n, 0, n);
    }
    myEnd = myData + n;
    mySize = n;
}

void Buff::clear() {
    if (mySize != 0) {
        std::memset(myData, 0, mySize);
    }
}

uint8_t& Buff::operator[](uint32_t index) {
    if (index >= mySize) {
        TARVO_TRACE(kSelector, kIndexTrace, TraceFormat(kTraceArgInt, kTraceArgInt), index, mySize);
        failIndex(177, index, mySize);
    }
    return myData[index];
}

const uint8_t& Buff::operator[](uint32_t index) const {
    if (index >= mySize) {
        failIndex(208, index, mySize);
    }
    return myData[index];
}

void Buff::writeString(const std::string& text) {
    if (text.size() > remaining()) {
        throw std::range_error(errorText(187, "No more space left in buffer"));
    }
    if (!text.empty()) {
        std::memcpy(myPosition, text.data(), text.size());
    }
    myPosition += text.size();
}

std::string Buff::readString(uint32_t n) {
    if (n > remaining()) {
        throw std::range_error(errorText(197, "no more space left in buffer"));
    }
    std::string text(reinterpret_cast<const char*>(myPosition), n);
    myPosition += n;
    return text;
}

void Buff::writeHex(const uint8_t* bytes, uint32_t n) {
    // Room for 2n + 1 bytes, tested without forming 2n + 1 (which could wrap).
    const uint32_t room = remaining();
    if (room == 0 || n > (room - 1) / 2) {
        throw std::range_error(errorText(231, "no more space left in buffer"));
    }
    static const char kDigits[] = "0123456789ABCDEF";
    for (uint32_t i = 0; i < n; ++i) {
        *myPosition++ = static_cast<uint8_t>(kDigits[bytes[i] >> 4]);
        *myPosition++ = static_cast<uint8_t>(kDigits[bytes[i] & 0x0f]);
    }
    *myPosition++ = 0;
}

uint32_t Buff::offset() const {
    return myPosition > myData ? static_cast<uint32_t>(myPosition - myData) : 0;
}

uint32_t Buff::remaining() const {
    return myEnd > myPosition ? static_cast<uint32_t>(myEnd - myPosition) : 0;
}

bool operator==(const Buff& a, const Buff& b) {
    if (a.data() == b.data() && a.size() == b.size()) {
        return true;
    }
    if (a.size() != b.size()) {
        return false;
    }
    return a.size() == 0 || std::memcmp(a.data(), b.data(), a.size()) == 0;
}

bool operator!=(const Buff& a, const Buff& b) {
    return !(a == b);
}

ManagedBuff::ManagedBuff(uint32_t n) : Buff(new uint8_t[n], n) {}

ManagedBuff::ManagedBuff(uint8_t* const& data, uint32_t n) : Buff(data, n) {}

ManagedBuff::ManagedBuff(uint8_t*& data, uint32_t n) : Buff(data, n), myOwner(data) {
    data = nullptr;
}

ManagedBuff::~ManagedBuff() {
    delete[](myOwner != nullptr ? myOwner : data());
}

boost::shared_ptr<ManagedBuff> concat(const Buff& a, const Buff& b) {
    boost::shared_ptr<ManagedBuff> joined = boost::make_shared<ManagedBuff>(a.size() + b.size());
    joined->write(a.data(), a.size());
    joined->write(b.data(), b.size());
    joined->setPosition(a.offset());
    return joined;
}
