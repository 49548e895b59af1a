// The framework's running checksum (CRC-32, IEEE 802.3) and the file checksum.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>

#include "HostFramework.h"
#include "Tarvo.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The CRC polynomial P, bit-reflected without its x^32 term: bit k is the coefficient of
// x^(31-k).
constexpr uint32_t kPolynomial = 0xEDB88320u;

// One bit step of the reflected CRC register: the register times x, modulo P.
constexpr uint32_t timesX(uint32_t crc) {
    return (crc & 1u) != 0 ? kPolynomial ^ (crc >> 1) : crc >> 1;
}

// Eight tables for taking eight bytes a step: table k gives the CRC of a byte followed by k
// zero bytes; table 0 is the classic byte table.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = timesX(c);
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

// The CRC register `crc` (not inverted) carried on over `length` bytes by the tables.
uint32_t crcSliced(uint32_t crc, const uint8_t* bytes, size_t length) {
    const size_t steps = length / 8;
    return crcBytes(crcEights(crc, bytes, steps), bytes + steps * 8, length % 8);
}

#if defined(__x86_64__)

// Folding with carry-less multiplication. A 16-byte load holds a polynomial bit-reflected over
// 128 bits (bit k the coefficient of x^(127-k)), the first byte the highest powers; a 64-bit
// half is read the same way over 64 bits. The product of two halves, read over 128 bits, is x
// times the product of their polynomials. Anything may be replaced by a value equal to it
// modulo P; the multipliers below are derived here from P.

// x^n mod P, bit-reflected over 32 bits.
constexpr uint32_t xPowerModP(unsigned n) {
    uint32_t r = 0x80000000u;  // x^0
    for (unsigned i = 0; i < n; ++i) {
        r = timesX(r);
    }
    return r;
}

// The multiplier of a 64-bit half Q for Q x^n (modulo P) read over 128 bits: x^(n-32) mod P,
// reflected and shifted up once, reads as (x^(n-32) mod P) x^31 over 64 bits, and the product
// reads as x Q x^(n-32) x^31 = Q x^n.
constexpr uint64_t foldConstant(unsigned n) {
    return uint64_t{xPowerModP(n - 32)} << 1;
}

static_assert(xPowerModP(31) == 1u && xPowerModP(32) == kPolynomial,
              "x^31 is the register's last bit; x^32 reduces to P without its x^32 term");

// floor(x^64 / P), bit-reflected over 33 bits (bit k the coefficient of x^(32-k)): a
// quotient bit of x^(63-i) is set at each step i that overflows the register.
constexpr uint64_t barrettQuotient() {
    uint64_t quotient = 0;
    uint32_t r = 0x80000000u;
    for (unsigned i = 0; i < 64; ++i) {
        if ((r & 1u) != 0) {
            quotient |= uint64_t{1} << (i - 31);
        }
        r = timesX(r);
    }
    return quotient;
}

// The low half of a block holds its coefficients of x^127..x^64 (the half times x^64), the high
// half those of x^63..x^0: moving a block on by d bits multiplies the low half by x^(d+64) and
// the high half by x^d.
constexpr uint64_t kFold512Low = foldConstant(512 + 64);
constexpr uint64_t kFold512High = foldConstant(512);
constexpr uint64_t kFold128Low = foldConstant(128 + 64);
constexpr uint64_t kFold128High = foldConstant(128);
constexpr uint64_t kFold96 = foldConstant(96);
constexpr uint64_t kBarrettQuotient = barrettQuotient();
// P with its x^32 term, bit-reflected over 33 bits.
constexpr uint64_t kPolynomialFull = (uint64_t{kPolynomial} << 1) | 1u;

constexpr size_t kFoldBlock = 64;

#define CRC_FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

// `block` moved forward by the distance of `constants` (low half: multiplier of the low half)
// plus `next`.
CRC_FOLDING_TARGET __m128i foldInto(__m128i block, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(block, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(block, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

CRC_FOLDING_TARGET __m128i load(const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// The CRC register (32 bits, reflected) of the block `remainder` times x^32, modulo P. Moving the
// bytes down by s (towards the high powers) multiplies what stays by x^(8 s); the low half that
// drops out is added back times x^(64 + 8 s). Two such steps leave the block times x^96 in 64
// bits, V x^64 with V = the block times x^32 (modulo P); Barrett's method reduces V.
CRC_FOLDING_TARGET uint32_t reduce(__m128i remainder) {
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    const __m128i by64 = _mm_set_epi64x(0, static_cast<long long>(kFold128High));
    __m128i r =
        _mm_xor_si128(_mm_clmulepi64_si128(remainder, by64, 0x00), _mm_srli_si128(remainder, 8));
    // The top 32 bits, read as a half, are T x^32: times x^96 gives T x^128.
    const __m128i by32 = _mm_set_epi64x(0, static_cast<long long>(kFold96));
    r = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(r, low32), by32, 0x00),
                      _mm_srli_si128(r, 4));
    // Barrett: the quotient of V by P from its top 32 bits, times P, cancels them; V mod P is
    // left in the second 32-bit word.
    const __m128i barrett = _mm_set_epi64x(static_cast<long long>(kBarrettQuotient),
                                           static_cast<long long>(kPolynomialFull));
    __m128i quotient = _mm_clmulepi64_si128(_mm_and_si128(r, low32), barrett, 0x10);
    quotient = _mm_clmulepi64_si128(_mm_and_si128(quotient, low32), barrett, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(r, quotient), 1));
}

// The CRC register `crc` (not inverted) carried on over `length` bytes, a multiple of 16 and at
// least kFoldBlock: four 128-bit lanes fold 64 bytes a step, then fold into one that takes
// the remaining 16-byte blocks.
CRC_FOLDING_TARGET uint32_t crcFolded(uint32_t crc, const uint8_t* bytes, size_t length) {
    const __m128i by512 =
        _mm_set_epi64x(static_cast<long long>(kFold512High), static_cast<long long>(kFold512Low));
    const __m128i by128 =
        _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));
    __m128i lane0 = _mm_xor_si128(load(bytes), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i lane1 = load(bytes + 16);
    __m128i lane2 = load(bytes + 32);
    __m128i lane3 = load(bytes + 48);
    const uint8_t* const end = bytes + length;
    for (bytes += kFoldBlock; end - bytes >= static_cast<ptrdiff_t>(kFoldBlock);
         bytes += kFoldBlock) {
        lane0 = foldInto(lane0, by512, load(bytes));
        lane1 = foldInto(lane1, by512, load(bytes + 16));
        lane2 = foldInto(lane2, by512, load(bytes + 32));
        lane3 = foldInto(lane3, by512, load(bytes + 48));
    }
    __m128i one = foldInto(foldInto(foldInto(lane0, by128, lane1), by128, lane2), by128, lane3);
    for (; bytes != end; bytes += 16) {
        one = foldInto(one, by128, load(bytes));
    }
    return reduce(one);
}

#undef CRC_FOLDING_TARGET

bool processorCanFold() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#else

bool processorCanFold() {
    return false;
}

#endif

// The running checksum `checksum` carried on over `length` bytes: by folding where the
// processor can and the buffer holds a block for it, the rest (under 16 bytes) by the tables.
uint32_t crcOf(uint32_t checksum, const uint8_t* bytes, size_t length) {
    uint32_t crc = ~checksum;
#if defined(__x86_64__)
    if (length >= kFoldBlock && host::detail::checksumFolds()) {
        const size_t folded = length & ~size_t{15};
        crc = crcFolded(crc, bytes, folded);
        bytes += folded;
        length -= folded;
    }
#endif
    return ~crcSliced(crc, bytes, length);
}

// Opens `path` for reading when it is a regular file (its links followed); null otherwise. The
// open does not wait and the descriptor is checked before anything is read: a FIFO would block
// an ordinary open until a writer comes, and a FIFO or a device would feed the reader without end.
std::FILE* openRegularFile(const char* path) {
    const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status;
    std::FILE* file = nullptr;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        file = ::fdopen(descriptor, "rb");  // reads of a regular file never wait anyway
    }
    if (file == nullptr) {
        ::close(descriptor);
    }
    return file;
}

}  // namespace

namespace host::detail {

uint32_t checksumBySlicing(uint32_t checksum, const void* data, size_t length) {
    return ~crcSliced(~checksum, static_cast<const uint8_t*>(data), length);
}

bool checksumFolds() {
    static const bool folds = processorCanFold();
    return folds;
}

}  // namespace host::detail

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
    std::FILE* file = openRegularFile(path);
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
