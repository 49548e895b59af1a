#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Status.h"
#include "ValueStatus.h"

namespace {

TEST(StatusToString, FlagsThenFields) {
    struct Case {
        uint32_t word;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0x0, "SET: 0, OVR: 0, NEW: 0, LOP: 0"},
        {0x201, "OOU, OUL, SET: 0, OVR: 0, NEW: 0, LOP: 0"},
        // OOU and INIT, SET 1, OVR 1, NEW 0, LOP 3
        {0x3 | (1u << 16) | (1u << 18) | (3u << 24), "OOU, INIT, SET: 1, OVR: 1, NEW: 0, LOP: 3"},
        {0x1000, "SET: 0, OVR: 0, NEW: 0, LOP: 0"},
        {0x178f, "OOU, INIT, NOT_AVAIL, OOS, OOO, OLL, OUL, OOC, SET: 0, OVR: 0, NEW: 0, LOP: 0"},
        {0xFFFFFFFF,
         "OOU, INIT, NOT_AVAIL, OOS, HIDDEN, NOT_ACK, LOCKED, OOO, OLL, OUL, OOC, TEST, "
         "SET: 3, OVR: 3, NEW: 7, LOP: 7"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(statusToString(c.word).c_str(), c.text) << std::hex << c.word;
    }
}

TEST(StatusUsability, MaskDecides) {
    EXPECT_TRUE(isUsable(0x70));   // HIDDEN, NOT_ACK, LOCKED
    EXPECT_TRUE(isUsable(0x800));  // TEST
    EXPECT_TRUE(isUsable(0x4000 | 0x8000 | 0x07ff0000));
    for (uint32_t bit : {0x1u, 0x2u, 0x4u, 0x8u, 0x80u, 0x100u, 0x200u, 0x400u, 0x1000u}) {
        EXPECT_FALSE(isUsable(bit)) << std::hex << bit;
    }
}

TEST(StatusObject, ActiveLowBitsClearAndTakeRestoresPolarity) {
    Status status(0x4000);
    status.set(14);
    status.set(0);
    EXPECT_EQ(status.get(), 0x0001u);
    status.set(14);
    EXPECT_EQ(status.get(), 0x0001u);
    EXPECT_EQ(status.take(), 0x0001u);
    EXPECT_EQ(status.get(), 0x4000u);
}

TEST(StatusObject, BitAbove31IsRejectedUnchanged) {
    Status status(0);
    try {
        status.set(32);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        const std::string text = error.what();
        const std::string tail = "src/Status.cpp:39 invalid parameter: 32";
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    }
    EXPECT_EQ(status.get(), 0u);
    status.set(31);
    EXPECT_EQ(status.get(), 0x80000000u);
}

}  // namespace
