#include <gtest/gtest.h>

#include "HostTrace.h"
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

TEST_F(TraceTest, DisabledPointsAreNotRecorded) {
    host::TraceCapture capture;
    TARVO_TRACE(0, 0xf0027, TraceFormat());
    EXPECT_TRUE(capture.records().empty());
}

}  // namespace
