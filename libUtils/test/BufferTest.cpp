#include "util/Buffer.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "HostTrace.h"

namespace {

uintptr_t addr(const uint8_t* p) {
    return reinterpret_cast<uintptr_t>(p);
}
uint32_t word(const uint8_t* p) {
    return static_cast<uint32_t>(addr(p));
}

// The text of the exception `action` throws as E, or "" when it throws nothing.
template <typename E>
std::string thrownText(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& error) {
        return error.what();
    }
    return "";
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Range error text thrown from the library source at `line`.
std::string sourceText(int line, const std::string& message) {
    return "libUtils/Buffer.cpp:" + std::to_string(line) + " " + message;
}

std::string outOfRange(uintptr_t p, uintptr_t l) {
    return "position " + std::to_string(p) + " out of buffer range " + std::to_string(l);
}

class BufferTest : public ::testing::Test {
  protected:
    std::array<uint8_t, 8> bytes{};
    Buff buffer{bytes.data(), static_cast<uint32_t>(bytes.size())};
    host::TraceCapture traces;
};

TEST_F(BufferTest, DefaultBufferHasEveryFieldZero) {
    Buff empty;
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(empty.position(), nullptr);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.maxSize(), 0u);
    EXPECT_EQ(empty.remaining(), 0u);
}

TEST(BufferConstruction, NullArrayIsValidOnlyWhenEmpty) {
    Buff empty(nullptr, 0);
    EXPECT_EQ(empty.size(), 0u);
    std::string text = thrownText<std::runtime_error>([] { Buff bad(nullptr, 1); });
    EXPECT_TRUE(endsWith(text, sourceText(45, "Invalid parameter"))) << text;
}

TEST_F(BufferTest, WriteEndingExactlyAtEndSucceedsAndNextByteFails) {
    const uint32_t value = 0x04030201;
    buffer.skip(4);
    buffer.write(&value, 4);
    EXPECT_EQ(buffer.position(), bytes.data() + 8);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[7], 4);

    const uint8_t one = 9;
    const uint8_t* end = bytes.data() + 8;
    std::string text = thrownText<std::range_error>([&] { buffer.write(&one, 1); });
    EXPECT_TRUE(endsWith(text, sourceText(60, outOfRange(addr(end) + 1, addr(end))))) << text;
    EXPECT_EQ(buffer.position(), end);
    auto records = traces.withId(0x680003);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(records[0].intArg(0)), word(bytes.data()));
    EXPECT_EQ(static_cast<uint32_t>(records[0].intArg(1)), word(end));
    EXPECT_EQ(records[0].intArg(2), 1);
    EXPECT_EQ(static_cast<uint32_t>(records[0].intArg(3)), word(end));
}

TEST_F(BufferTest, HugeCountsCannotWrapPastTheChecks) {
    const uint32_t huge = std::numeric_limits<uint32_t>::max();
    buffer.skip(2);
    EXPECT_THROW(buffer.write(bytes.data(), huge), std::range_error);
    EXPECT_THROW(buffer.skip(huge), std::range_error);
    EXPECT_THROW(buffer.skipBack(huge), std::range_error);
    EXPECT_THROW(buffer.writeHex(bytes.data(), huge), std::range_error);
    EXPECT_THROW(buffer.writeHex(bytes.data(), huge / 2 + 1), std::range_error);
    EXPECT_THROW(buffer.readString(huge), std::range_error);
    EXPECT_EQ(buffer.offset(), 2u);
}

TEST_F(BufferTest, EachTracedRangeCheckNamesItsLineAndPoint) {
    struct Case {
        const char* name;
        std::function<void(Buff&)> action;
        int line;
        uint32_t traceId;
    };
    Buff nine;  // 9 bytes, larger than the 8-byte buffer
    std::array<uint8_t, 9> nineBytes{};
    nine = Buff(nineBytes.data(), 9);
    const std::vector<Case> cases = {
        {"writeBuff", [&](Buff& b) { b.writeBuff(nine); }, 72, 0x680013},
        {"skip", [](Buff& b) { b.skip(9); }, 100, 0x680033},
        {"skipBack", [](Buff& b) { b.skipBack(1); }, 111, 0x680043},
    };
    for (const Case& c : cases) {
        traces.clear();
        std::string text = thrownText<std::range_error>([&] { c.action(buffer); });
        EXPECT_NE(text.find("libUtils/Buffer.cpp:" + std::to_string(c.line) + " position "),
                  std::string::npos)
            << c.name << ": " << text;
        EXPECT_TRUE(traces.contains(c.traceId)) << c.name;
        EXPECT_EQ(buffer.offset(), 0u) << c.name;
    }
}

TEST_F(BufferTest, SetPositionAcceptsTheSizeAndRejectsOneMore) {
    buffer.setPosition(8);
    EXPECT_EQ(buffer.remaining(), 0u);
    std::string text = thrownText<std::range_error>([&] { buffer.setPosition(9); });
    EXPECT_TRUE(endsWith(text, sourceText(89, "position 9 out of buffer range 8"))) << text;
    auto records = traces.withId(0x680023);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(2), 9);  // offset
    EXPECT_EQ(records[0].intArg(3), 8);  // size
    EXPECT_EQ(buffer.offset(), 8u);
}

TEST_F(BufferTest, SkipBackExactlyToDataSucceeds) {
    buffer.skip(3);
    buffer.skipBack(3);
    EXPECT_EQ(buffer.position(), bytes.data());
    std::string text = thrownText<std::range_error>([&] { buffer.skipBack(1); });
    EXPECT_TRUE(
        endsWith(text, sourceText(111, outOfRange(addr(bytes.data()) - 1, addr(bytes.data())))))
        << text;
}

TEST_F(BufferTest, ResizeShrinksToThePositionAndGrowsBackToMaxSize) {
    buffer.skip(3);
    std::string text = thrownText<std::range_error>([&] { buffer.resize(9); });
    EXPECT_TRUE(endsWith(text, sourceText(160, "new size 9 > mas size8"))) << text;
    text = thrownText<std::range_error>([&] { buffer.resize(2); });
    EXPECT_TRUE(
        endsWith(text, sourceText(165, outOfRange(addr(bytes.data()) + 3, addr(bytes.data()) + 2))))
        << text;
    EXPECT_EQ(buffer.size(), 8u);

    buffer.resize(3);
    EXPECT_EQ(buffer.size(), 3u);
    EXPECT_EQ(buffer.remaining(), 0u);
    EXPECT_EQ(buffer.maxSize(), 8u);
    buffer.resize(8);
    EXPECT_EQ(buffer.remaining(), 5u);
}

TEST_F(BufferTest, IndexChecksBothOverloads) {
    buffer[7] = 0x5a;
    const Buff& constant = buffer;
    EXPECT_EQ(constant[7], 0x5a);

    std::string text = thrownText<std::range_error>([&] { buffer[8] = 1; });
    EXPECT_TRUE(endsWith(text, sourceText(177, "Index 8 out of range 8"))) << text;
    auto records = traces.withId(0x680053);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 8);
    EXPECT_EQ(records[0].intArg(1), 8);

    traces.clear();
    text = thrownText<std::range_error>([&] { (void)constant[8]; });
    EXPECT_TRUE(endsWith(text, sourceText(208, "Index 8 out of range 8"))) << text;
    EXPECT_TRUE(traces.records().empty());
}

TEST_F(BufferTest, StringsWithoutTerminator) {
    buffer.writeString("abcde");
    EXPECT_EQ(buffer.offset(), 5u);
    std::string text = thrownText<std::range_error>([&] { buffer.writeString("wxyz"); });
    EXPECT_TRUE(endsWith(text, sourceText(187, "No more space left in buffer"))) << text;

    buffer.rewind();
    EXPECT_EQ(buffer.readString(5), "abcde");
    text = thrownText<std::range_error>([&] { buffer.readString(4); });
    EXPECT_TRUE(endsWith(text, sourceText(197, "no more space left in buffer"))) << text;
    EXPECT_EQ(buffer.offset(), 5u);
}

TEST_F(BufferTest, WriteHexNeedsTwoCharactersAByteAndAZero) {
    const uint8_t source[] = {0xA5, 0x0F};
    buffer.skip(3);
    buffer.writeHex(source, 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 3), "A50F");
    EXPECT_EQ(buffer.remaining(), 0u);

    buffer.setPosition(4);  // 4 bytes of room: one short
    std::string text = thrownText<std::range_error>([&] { buffer.writeHex(source, 2); });
    EXPECT_TRUE(endsWith(text, sourceText(231, "no more space left in buffer"))) << text;
    EXPECT_EQ(buffer.offset(), 4u);
}

TEST_F(BufferTest, ValuesAreStoredLittleEndianByteByByte) {
    buffer.writeValue<uint32_t>(0x11223344u);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(bytes[3], 0x11);
    buffer.rewind();
    EXPECT_EQ(buffer.readValue<uint32_t>(), 0x11223344u);

    buffer.rewind();
    buffer.writeValue(1.0);  // IEEE-754: 0x3FF0000000000000
    const std::array<uint8_t, 8> one = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(bytes, one);
    buffer.rewind();
    EXPECT_EQ(buffer.readValue<double>(), 1.0);
}

TEST_F(BufferTest, ShortReadAndWriteOfValuesLeaveThePosition) {
    buffer.setPosition(5);  // 3 bytes left
    std::string text = thrownText<std::range_error>([&] { buffer.readValue<uint32_t>(); });
    EXPECT_EQ(text, "util/Buffer.h:277 no more space left in buffer");
    text = thrownText<std::range_error>([&] { buffer.writeValue<uint32_t>(1); });
    EXPECT_EQ(text, "util/Buffer.h:239 no more space left in buffer");
    EXPECT_EQ(buffer.offset(), 5u);
}

TEST(BufferCompare, SamePointerOrEqualContents) {
    std::array<uint8_t, 4> first = {1, 2, 3, 4};
    std::array<uint8_t, 4> second = {1, 2, 3, 4};
    Buff a(first.data(), 4);
    Buff b(second.data(), 4);
    EXPECT_TRUE(a == b);
    second[3] = 9;
    EXPECT_TRUE(a != b);
    Buff shorter(second.data(), 3);
    Buff prefix(first.data(), 3);
    EXPECT_TRUE(shorter != a);
    EXPECT_TRUE(prefix != a);
}

TEST(BufferClear, ZeroesBytesAndKeepsPosition) {
    std::array<uint8_t, 3> bytes = {7, 8, 9};
    Buff buffer(bytes.data(), 3);
    buffer.skip(2);
    buffer.clear();
    EXPECT_EQ(bytes, (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(buffer.offset(), 2u);
}

TEST(ManagedBuffer, SizedConstructorOwnsAWritableArray) {
    ManagedBuff owned(16);
    EXPECT_EQ(owned.size(), 16u);
    EXPECT_EQ(owned.maxSize(), 16u);
    EXPECT_EQ(owned.position(), owned.data());
    owned.writeValue(2.5);
    owned.rewind();
    EXPECT_EQ(owned.readValue<double>(), 2.5);
}

TEST(ManagedBuffer, AdoptingConstructorsTakeTheArray) {
    uint8_t* array = new uint8_t[4]{1, 2, 3, 4};
    {
        ManagedBuff adopted(array, 4);
        EXPECT_EQ(array, nullptr);
        EXPECT_EQ(adopted[3], 4);
    }
    ManagedBuff byPointer(new uint8_t[2]{5, 6}, 2);
    EXPECT_EQ(byPointer[1], 6);
    uint8_t* none = nullptr;
    EXPECT_THROW(ManagedBuff(none, 1), std::runtime_error);
}

TEST(Concat, JoinsBothBuffersAtTheFirstOffset) {
    std::array<uint8_t, 3> first = {1, 2, 3};
    std::array<uint8_t, 5> second = {4, 5, 6, 7, 8};
    Buff a(first.data(), 3);
    Buff b(second.data(), 5);
    a.skip(2);
    b.skip(1);
    boost::shared_ptr<ManagedBuff> joined = concat(a, b);
    ASSERT_EQ(joined->size(), 8u);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ((*joined)[i], i + 1);
    }
    EXPECT_EQ(joined->offset(), 2u);
    EXPECT_EQ(a.offset(), 2u);
    EXPECT_EQ(b.offset(), 1u);
}

}  // namespace
