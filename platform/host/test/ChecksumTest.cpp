#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "TempPath.h"

namespace {

uint32_t checksumOf(const std::string& bytes) {
    uint32_t sum;
    checksumInit(&sum);
    checksumUpdate(&sum, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return sum;
}

// Check values of CRC-32 (IEEE 802.3) from the published catalogue of CRC algorithms
// ("CRC-32/ISO-HDLC", check value of "123456789") and zlib's crc32.
TEST(ChecksumTest, KnownValues) {
    EXPECT_EQ(checksumOf(""), 0u);
    EXPECT_EQ(checksumOf("123456789"), 0xCBF43926u);
    EXPECT_EQ(checksumOf("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
    EXPECT_EQ(checksumOf(std::string(1, '\0')), 0xD202EF8Du);
}

TEST(ChecksumTest, UpdatesInPiecesEqualOneUpdate) {
    uint32_t sum;
    checksumInit(&sum);
    checksumUpdate(&sum, "1234", 4);
    checksumUpdate(&sum, "", 0);
    checksumUpdate(&sum, nullptr, 5);  // adds nothing
    checksumUpdate(&sum, "56789", 5);
    EXPECT_EQ(sum, 0xCBF43926u);
    checksumUpdate(nullptr, "1", 1);  // no checksum: nothing happens
}

// The checksum bit by bit, as the polynomial defines it.
uint32_t bitwiseChecksum(const std::vector<uint8_t>& bytes, size_t first, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = first; i < first + length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
    }
    return ~crc;
}

// Long buffers at every start offset and length around the eight-byte steps, and the same
// buffer in uneven pieces, give the checksum of the bitwise definition.
TEST(ChecksumTest, LongBuffersAtAnyOffsetAndLengthMatchTheBitwiseDefinition) {
    std::vector<uint8_t> bytes(4133);
    uint32_t seed = 12345u;
    for (uint8_t& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    for (size_t first = 0; first < 9; ++first) {
        for (size_t length : {size_t{7}, size_t{8}, size_t{9}, size_t{15}, size_t{16}, size_t{17},
                              size_t{4096}, bytes.size() - first}) {
            uint32_t sum;
            checksumInit(&sum);
            checksumUpdate(&sum, bytes.data() + first, static_cast<uint32_t>(length));
            EXPECT_EQ(sum, bitwiseChecksum(bytes, first, length))
                << "from " << first << ", " << length << " bytes";
        }
    }
    uint32_t pieces;
    checksumInit(&pieces);
    size_t done = 0;
    for (size_t piece = 1; done < bytes.size(); piece = piece * 3 + 1) {
        const size_t now = std::min(piece, bytes.size() - done);
        checksumUpdate(&pieces, bytes.data() + done, static_cast<uint32_t>(now));
        done += now;
    }
    EXPECT_EQ(pieces, bitwiseChecksum(bytes, 0, bytes.size()));
}

class FileChecksumTest : public ::testing::Test {
  protected:
    void TearDown() override { std::remove(path.c_str()); }
    std::string path = testTempPath("framework_checksum.bin");
};

TEST_F(FileChecksumTest, ChecksumOfTheFileContents) {
    std::string contents(10000, '\0');
    for (size_t i = 0; i < contents.size(); ++i) {
        contents[i] = static_cast<char>(i * 7 + 3);  // more than one read chunk
    }
    std::ofstream(path, std::ios::binary) << contents;
    uint32_t sum = 0;
    ASSERT_EQ(Tarvo_FileChecksum(path.c_str(), &sum), Success);
    EXPECT_EQ(sum, checksumOf(contents));
}

TEST_F(FileChecksumTest, FailuresLeaveTheChecksumUntouched) {
    uint32_t sum = 0x12345678;
    EXPECT_EQ(Tarvo_FileChecksum(path.c_str(), &sum), TarvoFileNotReadable);  // missing
    EXPECT_EQ(Tarvo_FileChecksum(::testing::TempDir().c_str(), &sum), TarvoFileNotReadable);
    EXPECT_EQ(Tarvo_FileChecksum(nullptr, &sum), IllegalParameter);
    EXPECT_EQ(Tarvo_FileChecksum(path.c_str(), nullptr), IllegalParameter);
    EXPECT_EQ(sum, 0x12345678u);
}

}  // namespace
