#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

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
