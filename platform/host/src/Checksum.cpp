// The framework's running checksum (CRC-32, IEEE 802.3) and the file checksum.
#include <array>
#include <cstdio>

#include "Tarvo.h"

namespace {

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

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
    uint32_t crc = ~*checksum;
    for (uint32_t i = 0; i < length; ++i) {
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    }
    *checksum = ~crc;
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
