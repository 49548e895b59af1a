// The program's code range: its executable segment, ending in the marker word.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "Tarvo.h"

namespace {

int aFunctionOfTheProgram(int value) {
    return value * 3 + 1;
}

}  // namespace

TEST(CodeRangeTest, RangeHoldsTheProgramsCodeAndEndsInTheMarker) {
    const void* start = nullptr;
    const void* end = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&start, &end), Success);
    ASSERT_NE(start, nullptr);
    ASSERT_NE(end, nullptr);
    const auto first = reinterpret_cast<uintptr_t>(start);
    const auto last = reinterpret_cast<uintptr_t>(end);
    ASSERT_LT(first, last);
    EXPECT_EQ(last % 4, 0u);
    uint32_t word = 0;
    std::memcpy(&word, end, sizeof(word));
    EXPECT_EQ(word, 0x600DBEEFu);
    EXPECT_EQ(word, kCodeEndMarker);
    // The range covers functions of the program, of the platform and of the test framework.
    const auto inRange = [&](uintptr_t address) { return address >= first && address < last; };
    EXPECT_TRUE(inRange(reinterpret_cast<uintptr_t>(&aFunctionOfTheProgram)));
    EXPECT_TRUE(inRange(reinterpret_cast<uintptr_t>(&Tarvo_GetCodeRange)));
    EXPECT_TRUE(inRange(reinterpret_cast<uintptr_t>(&checksumUpdate)));
    EXPECT_EQ(aFunctionOfTheProgram(2), 7);
    // The length the client derives (end - start + 4) fits its 32-bit field.
    EXPECT_LE(last - first + 4, uintptr_t{UINT32_MAX});
}

TEST(CodeRangeTest, SameRangeOnEveryCall) {
    const void* start1 = nullptr;
    const void* end1 = nullptr;
    const void* start2 = nullptr;
    const void* end2 = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&start1, &end1), Success);
    ASSERT_EQ(Tarvo_GetCodeRange(&start2, &end2), Success);
    EXPECT_EQ(start1, start2);
    EXPECT_EQ(end1, end2);
}

TEST(CodeRangeTest, NullOutputsAreRefused) {
    const void* start = &start;
    EXPECT_EQ(Tarvo_GetCodeRange(&start, nullptr), IllegalParameter);
    EXPECT_EQ(Tarvo_GetCodeRange(nullptr, &start), IllegalParameter);
    EXPECT_EQ(start, &start) << "nothing written";
}
