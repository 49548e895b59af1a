#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "FrameworkTestSupport.h"
#include "ScratchFolder.h"

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

std::vector<uint8_t> pseudoRandomBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t seed = 12345u;
    for (uint8_t& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    return bytes;
}

uint32_t checksumOf(const std::vector<uint8_t>& bytes, size_t first, size_t length) {
    uint32_t sum;
    checksumInit(&sum);
    checksumUpdate(&sum, bytes.data() + first, static_cast<uint32_t>(length));
    return sum;
}

// The checksum of `bytes` added in pieces of the sizes `next` gives one after another.
template <typename NextPiece>
uint32_t checksumInPieces(const std::vector<uint8_t>& bytes, NextPiece next) {
    uint32_t sum;
    checksumInit(&sum);
    for (size_t done = 0; done < bytes.size();) {
        const size_t now = std::min(next(), bytes.size() - done);
        checksumUpdate(&sum, bytes.data() + done, static_cast<uint32_t>(now));
        done += now;
    }
    return sum;
}

// Buffers at every start offset within a 16-byte block and every length up to a few 64-byte
// blocks (the eight-byte steps, 16-byte blocks and 64-byte folds with every tail), and the
// same buffer in uneven pieces, give the checksum of the bitwise definition.
TEST(ChecksumTest, LongBuffersAtAnyOffsetAndLengthMatchTheBitwiseDefinition) {
    const std::vector<uint8_t> bytes = pseudoRandomBytes(4133);
    for (size_t first = 0; first < 16; ++first) {
        std::vector<size_t> lengths{4096, bytes.size() - first};
        for (size_t length = 0; length <= 300; ++length) {
            lengths.push_back(length);
        }
        for (size_t length : lengths) {
            ASSERT_EQ(checksumOf(bytes, first, length), bitwiseChecksum(bytes, first, length))
                << "from " << first << ", " << length << " bytes";
        }
    }
    size_t piece = 1;
    EXPECT_EQ(checksumInPieces(bytes, [&piece] { return std::exchange(piece, piece * 3 + 1); }),
              bitwiseChecksum(bytes, 0, bytes.size()));
}

// A code segment's worth (over a mebibyte, odd length) at offsets off every block boundary, and
// in pieces that start and end anywhere within the 64-byte folds.
TEST(ChecksumTest, LargeBufferWholeAndInPiecesMatchesTheBitwiseDefinition) {
    const std::vector<uint8_t> bytes = pseudoRandomBytes((size_t{1} << 20) + 4133);
    for (size_t first : {size_t{0}, size_t{1}, size_t{7}, size_t{13}}) {
        EXPECT_EQ(checksumOf(bytes, first, bytes.size() - first),
                  bitwiseChecksum(bytes, first, bytes.size() - first))
            << "from " << first;
    }
    const uint32_t whole = bitwiseChecksum(bytes, 0, bytes.size());
    size_t piece = 1;
    EXPECT_EQ(checksumInPieces(bytes, [&piece] { return std::exchange(piece, piece * 3 + 1); }),
              whole);
    const size_t uneven[] = {63, 64, 65, 15, 17, 4097, 100003, 1, 127, 129, 80};
    size_t next = 0;
    EXPECT_EQ(checksumInPieces(bytes, [&] { return uneven[next++ % std::size(uneven)]; }), whole);
}

// The carry-less multiplication is used where the processor offers it (else every test above
// checks the byte tables only).
TEST(ChecksumTest, FoldsWhereTheProcessorCanMultiplyWithoutCarry) {
#if defined(__x86_64__)
    EXPECT_EQ(host::detail::checksumFolds(),
              __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"));
#else
    EXPECT_FALSE(host::detail::checksumFolds());
#endif
}

// Folding and the byte tables agree from any running checksum, for lengths from one block to a
// mebibyte with every tail.
TEST(ChecksumTest, FoldingAgreesWithTheByteTables) {
    if (!host::detail::checksumFolds()) {
        GTEST_SKIP() << "this processor has no carry-less multiplication";
    }
    const std::vector<uint8_t> bytes = pseudoRandomBytes((size_t{1} << 20) + 64);
    for (uint32_t start : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, 0xCBF43926u}) {
        for (size_t length :
             {size_t{64}, size_t{65}, size_t{79}, size_t{80}, size_t{127}, size_t{128}, size_t{191},
              size_t{4111}, size_t{1} << 20, (size_t{1} << 20) + 63}) {
            for (size_t first : {size_t{0}, size_t{1}}) {
                uint32_t sum = start;
                checksumUpdate(&sum, bytes.data() + first, static_cast<uint32_t>(length));
                EXPECT_EQ(sum, host::detail::checksumBySlicing(start, bytes.data() + first, length))
                    << "from " << start << ", " << length << " bytes at " << first;
            }
        }
    }
}

class FileChecksumTest : public ::testing::Test {
  protected:
    const ScratchFolder folder;
    const std::string path = folder.pathOf("checksum.bin");
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
    EXPECT_EQ(Tarvo_FileChecksum(folder.path().c_str(), &sum), TarvoFileNotReadable);
    EXPECT_EQ(Tarvo_FileChecksum(nullptr, &sum), IllegalParameter);
    EXPECT_EQ(Tarvo_FileChecksum(path.c_str(), nullptr), IllegalParameter);
    EXPECT_EQ(sum, 0x12345678u);
}

// What is no regular file is refused without waiting for it or reading it: an ordinary open of a
// FIFO waits for a writer, and a FIFO or a device would be read without end. The alarm ends the
// test program should the checksum hang.
TEST_F(FileChecksumTest, NoRegularFileIsWaitedForOrRead) {
    const std::string fifo = folder.pathOf("checksum.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0) << std::strerror(errno);
    alarm(30);
    for (const std::string& other : {fifo, std::string("/dev/zero")}) {
        uint32_t sum = 0x12345678;
        EXPECT_EQ(Tarvo_FileChecksum(other.c_str(), &sum), TarvoFileNotReadable) << other;
        EXPECT_EQ(sum, 0x12345678u);
    }
    alarm(0);
}

}  // namespace
