// The framework's running checksum (CRC-32, IEEE 802.3) and the file checksum.
#include <array>
#include <cstdio>

#include "Tarvo.h"

namespace {

// Eight tables for taking eight bytes a step: table k gives the CRC of a byte followed by k
// zero bytes; table 0 is the classic byte table.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        tables[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n) {
        for (size_t k = 1; k < tables.size(); ++k) {
            const uint32_t previous = tables[k - 1][n];
            tables[k][n] = tables[0][previous & 0xFFu] ^ (previous >> 8);
        }
    }
    return tables;
}

constexpr CrcTables kCrc = makeCrcTables();

uint32_t crcBytes(uint32_t crc, const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        crc = kCrc[0][(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

// Eight bytes a step (the bytes are read one by one: no alignment or byte order is assumed).
uint32_t crcEights(uint32_t crc, const uint8_t* bytes, size_t steps) {
    for (size_t step = 0; step < steps; ++step, bytes += 8) {
        const uint32_t low = crc ^ (bytes[0] | (uint32_t{bytes[1]} << 8) |
                                    (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24));
        crc = kCrc[7][low & 0xFFu] ^ kCrc[6][(low >> 8) & 0xFFu] ^ kCrc[5][(low >> 16) & 0xFFu] ^
              kCrc[4][low >> 24] ^ kCrc[3][bytes[4]] ^ kCrc[2][bytes[5]] ^ kCrc[1][bytes[6]] ^
              kCrc[0][bytes[7]];
    }
    return crc;
}

// The running checksum `checksum` carried on over `length` bytes.
uint32_t crcOf(uint32_t checksum, const uint8_t* bytes, size_t length) {
    const size_t steps = length / 8;
    const uint32_t crc = crcEights(~checksum, bytes, steps);
    return ~crcBytes(crc, bytes + steps * 8, length % 8);
}

}  // namespace

void checksumInit(uint32_t* checksum) {
    if (checksum != nullptr) {
        *checksum = 0;
    }
}

void checksumUpdate(uint32_t* checksum, const void* data, uint32_t length) {
    if (checksum == nullptr || data == nullptr) {
        return;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    *checksum = crcOf(*checksum, bytes, length);
}

int32_t Tarvo_FileChecksum(const char* path, uint32_t* checksum) {
    if (path == nullptr || checksum == nullptr) {
        return IllegalParameter;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return TarvoFileNotReadable;
    }
    uint32_t sum = 0;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        checksumUpdate(&sum, chunk, static_cast<uint32_t>(got));
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return TarvoFileNotReadable;
    }
    *checksum = sum;
    return Success;
}
