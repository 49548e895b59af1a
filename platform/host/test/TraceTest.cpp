#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "HostTrace.h"
#include "ScratchFolder.h"
#include "TarvoTrace.h"

namespace {

class TraceTest : public ::testing::Test {
  protected:
    void TearDown() override { host::resetTraceSettings(); }
};

TEST_F(TraceTest, DecodesEachArgumentKindInFormatOrder) {
    host::TraceCapture capture;
    const uint32_t id = TraceId(0x65, 1, 3);
    ASSERT_EQ(id, 0x650013u);
    TARVO_TRACE(0, id, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgDouble, kTraceArgText16),
                "name", -7, 2.5, u"w\u00e4rme");
    auto records = capture.withId(id);
    ASSERT_EQ(records.size(), 1u);
    const host::TraceRecord& r = records[0];
    ASSERT_EQ(r.arguments.size(), 4u);
    EXPECT_EQ(r.textArg(0), "name");
    EXPECT_EQ(r.intArg(1), -7);
    EXPECT_DOUBLE_EQ(r.doubleArg(2), 2.5);
    EXPECT_EQ(r.text16Arg(3), u"w\u00e4rme");
    EXPECT_EQ(host::formatTrace(r), "sel=0 id=0x650013 [\"name\", -7, 2.5, u\"w?rme\"]");
}

// A raw format word may hold a tenth code in bits 0-2, below the nine TraceFormat places.
TEST_F(TraceTest, ARawFormatWordOfTenArgumentsIsDecodedWhole) {
    host::TraceCapture capture;
    const uint32_t id = TraceId(0x65, 6, 3);
    const uint32_t ten =
        TraceFormat(kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt,
                    kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt) |
        kTraceArgInt;
    TARVO_TRACE(0, id, ten, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
    const auto records = capture.withId(id);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].arguments.size(), 10u);
    EXPECT_EQ(records[0].intArg(9), 10);
    EXPECT_EQ(host::formatTrace(records[0]), "sel=0 id=0x650063 [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]");
}

TEST_F(TraceTest, FormatWordPlacesFirstArgumentInBits27To29) {
    EXPECT_EQ(TraceFormat(kTraceArgInt), 0x20000000u);
    EXPECT_EQ(TraceFormat(kTraceArgText, kTraceArgInt), 0x0C000000u);
    EXPECT_EQ(TraceFormat(), 0u);
}

TEST_F(TraceTest, LevelAndPerPointSettingsDecideWhatIsEnabled) {
    EXPECT_TRUE(Tarvo_TraceEnabled(0, 0xc0023));   // level 3
    EXPECT_FALSE(Tarvo_TraceEnabled(0, 0xf0027));  // level 7
    host::enableTrace(0xf0027);
    host::disableTrace(0xc0023);
    EXPECT_TRUE(Tarvo_TraceEnabled(0, 0xf0027));
    EXPECT_FALSE(Tarvo_TraceEnabled(0, 0xc0023));
    host::setTraceLevel(15);
    host::resetTraceSettings();
    EXPECT_FALSE(Tarvo_TraceEnabled(0, 0xf0027));
}

TEST_F(TraceTest, LevelDecidesWhatIsEnabled) {
    struct Case {
        uint32_t maxLevel;
        uint32_t pointLevel;
        bool enabled;
    };
    for (const Case& c : std::vector<Case>{{0, 0, true},
                                           {0, 1, false},
                                           {3, 3, true},
                                           {3, 4, false},
                                           {6, 6, true},
                                           {6, 7, false},
                                           {14, 14, true},
                                           {14, 15, false},
                                           {15, 15, true},
                                           {40, 15, true}}) {
        host::setTraceLevel(c.maxLevel);
        EXPECT_EQ(Tarvo_TraceEnabled(0, TraceId(0x21, 4, c.pointLevel)) != 0, c.enabled)
            << "level " << c.maxLevel << ", point of level " << c.pointLevel;
    }
}

// Each line of the log file is the point as formatTrace gives its captured record.
TEST_F(TraceTest, LogFileHasEachPointAsItsRecordIsFormatted) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("trace.log");
    host::setTraceLevel(15);
    host::setTraceLogFile(path);
    std::vector<host::TraceRecord> records;
    {
        host::TraceCapture capture;
        Tarvo_Trace(7, TraceId(0x65, 1, 3),
                    TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgDouble, kTraceArgText16),
                    "name", -7, 2.5, u"w\u00e4rme");
        Tarvo_Trace(0, TraceId(0x65, 2, 9), TraceFormat(kTraceArgDouble, kTraceArgDouble), 1.0e-7,
                    123456789.0);
        Tarvo_Trace(0, TraceId(0x65, 3, 5), TraceFormat(kTraceArgText, kTraceArgText16),
                    static_cast<const char*>(nullptr), static_cast<const char16_t*>(nullptr));
        Tarvo_Trace(0, TraceId(0x65, 4, 1), TraceFormat(kTraceArgInt, 3, kTraceArgInt), 12, 13);
        Tarvo_Trace(0, TraceId(0x65, 5, 15), TraceFormat());
        records = capture.records();
    }
    host::setTraceLogFile("");
    const std::vector<std::string> expected{
        "sel=7 id=0x650013 [\"name\", -7, 2.5, u\"w?rme\"]",
        "sel=0 id=0x650029 [1e-07, 1.23457e+08]",
        "sel=0 id=0x650035 [\"(null)\", u\"(null)\"]",
        "sel=0 id=0x650041 [12, \"<bad format code 3>\"]",
        "sel=0 id=0x65005f []",
    };
    ASSERT_EQ(records.size(), expected.size());
    std::ifstream log(path);
    for (size_t i = 0; i < expected.size(); ++i) {
        std::string line;
        ASSERT_TRUE(std::getline(log, line)) << "line " << i;
        EXPECT_EQ(line, expected[i]);
        EXPECT_EQ(host::formatTrace(records[i]), expected[i]);
    }
    std::string more;
    EXPECT_FALSE(std::getline(log, more));
}

// A watch alone keeps the enabled points of its level or below, decoded as a capture has them.
TEST_F(TraceTest, WatchAloneKeepsThePointsOfItsLevels) {
    host::setTraceLevel(15);
    host::TraceWatch watch(5);
    Tarvo_Trace(0, TraceId(0x30, 1, 5), TraceFormat(kTraceArgText, kTraceArgInt), "kept", 5);
    Tarvo_Trace(0, TraceId(0x30, 2, 6), TraceFormat(kTraceArgInt), 6);
    Tarvo_Trace(0, TraceId(0x30, 3, 2), TraceFormat(kTraceArgDouble), 0.5);
    const std::vector<host::TraceRecord> kept = watch.records();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].id, TraceId(0x30, 1, 5));
    EXPECT_EQ(kept[0].textArg(0), "kept");
    EXPECT_EQ(kept[0].intArg(1), 5);
    EXPECT_EQ(kept[1].id, TraceId(0x30, 3, 2));
    EXPECT_DOUBLE_EQ(kept[1].doubleArg(0), 0.5);
}

TEST_F(TraceTest, DisabledPointsAreNotRecorded) {
    host::TraceCapture capture;
    TARVO_TRACE(0, 0xf0027, TraceFormat());
    EXPECT_TRUE(capture.records().empty());
}

}  // namespace
