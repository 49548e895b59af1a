// Time texts: formatting by format keys, the daylight-saving suffix and the time senders.
#include <gtest/gtest.h>

#include <string>

#include "HostFramework.h"
#include "HostTrace.h"
#include "PEGTestSupport.h"

namespace {

using pegtest::Sent;
using pegtest::wide;

constexpr uint32_t kSeconds = 1700000000;  // 14.11.2023 22:13:20
constexpr uint32_t kDaylightSaving = 1;

// "Fmt25_LR" formats 25 characters; the daylight-saving suffix has 5 characters in the first
// language and 6 in the second.
class TimeTextTest : public pegtest::DisplayServiceTest {
  protected:
    void SetUp() override {
        pegtest::DisplayServiceTest::SetUp();
        ASSERT_EQ(host::setTextDictionary(R"({
            "Fmt25_LR": ["%d.%m.%Y %H:%M:%S ABCDE", "%d.%m.%Y %H:%M:%S ABCDE"],
            "TimeCron._DST_short_LR": ["MESZ5", "CEST_6"]
        })"),
                  "");
    }

    std::u16string formatDst(uint32_t flags, int language, uint32_t nMaxlen = 64) {
        const TarvoTimeRecord record{flags, kSeconds, 0};
        char16_t buffer[64] = {u'?'};
        return PEG_formatTimeDst(&record, buffer, nMaxlen, "Fmt25_LR", language);
    }
};

TEST_F(TimeTextTest, FormatsByTheKeysPatternInTheLanguage) {
    const TarvoTimeRecord record{0, kSeconds, 0};
    char16_t buffer[32];
    EXPECT_EQ(std::u16string(
                  PEG_formatTime(&record, buffer, sizeof buffer, "TimeCron.KEY_TimeFmt_D1_LR", 0)),
              u"14.11.2023 22:13:20");
    EXPECT_EQ(std::u16string(
                  PEG_formatTime(&record, buffer, sizeof buffer, "TimeCron.KEY_TimeFmt_D1_LR", 7)),
              u"11/14/2023 22:13:20")
        << "any non-zero language is the second";
    EXPECT_EQ(PEG_formatTime(&record, buffer, sizeof buffer, "Fmt25_LR", 0), buffer);
}

TEST_F(TimeTextTest, DaylightSavingSuffixOnlyWhenSetPresentAndFitting) {
    struct Case {
        const char* title;
        uint32_t flags;
        int language;
        uint32_t nMaxlen;
        std::u16string expected;
    };
    const std::u16string time = u"14.11.2023 22:13:20 ABCDE";
    const Case cases[] = {
        {"bit clear", 0, 0, 64, time},
        {"25 + blank + 5 fill 32 characters with the terminator", kDaylightSaving, 0, 64,
         time + u" MESZ5"},
        {"25 + blank + 6 would not fit", kDaylightSaving, 1, 64, time},
        {"a larger buffer takes the 6", kDaylightSaving, 1, 66, time + u" CEST_6"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDst(c.flags, c.language, c.nMaxlen), c.expected) << c.title;
    }
    ASSERT_EQ(host::setTextDictionary(R"({"Fmt25_LR": ["%H:%M", "%H:%M"]})"), "");
    EXPECT_EQ(formatDst(kDaylightSaving, 0), u"22:13") << "no suffix text";
}

TEST_F(TimeTextTest, FailedFormattingIsTracedAndLeavesTheEmptyText) {
    host::setTraceLevel(4);
    host::TraceCapture capture;
    const TarvoTimeRecord record{kDaylightSaving, kSeconds, 0};
    char16_t buffer[8] = {u'x', u'y'};
    EXPECT_EQ(std::u16string(PEG_formatTime(&record, buffer, sizeof buffer, "No_LR", 0)), u"");
    ASSERT_EQ(capture.withId(TraceId(0x36, 1, 4)).size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(capture.withId(TraceId(0x36, 1, 4))[0].intArg(0)), kSeconds);
    // The daylight-saving formatter appends nothing to a text that failed.
    EXPECT_EQ(std::u16string(PEG_formatTimeDst(&record, buffer, sizeof buffer, "No_LR", 0)), u"");
    EXPECT_TRUE(capture.contains(TraceId(0x36, 2, 4)));
    // Too long for the buffer (3 characters): fails the same way.
    EXPECT_EQ(std::u16string(
                  PEG_formatTime(&record, buffer, sizeof buffer, "TimeCron.KEY_TimeFmt_Hms_LR", 0)),
              u"");
}

TEST_F(TimeTextTest, TimeSendersSendTheFormattedTextWithCode26) {
    connect();
    const TarvoTimeRecord record{kDaylightSaving, kSeconds, 0};
    PEG_sendTimeD1(&service, 1, &record);
    PEG_sendTimeD2(&service, 2, &record);
    PEG_sendTimeHms(&service, 3, &record);
    PEG_sendTimeD1Dst(&service, 4, &record);
    PEG_sendTimeD2Dst(&service, 5, &record);
    PEG_sendFormattedTime(&service, 6, &record, "Fmt25_LR");
    PEG_sendFormattedTimeDst(&service, 7, &record, "Fmt25_LR");
    EXPECT_EQ(pegtest::sentBy(peer),
              (std::vector<Sent>{{1, 26, wide(u"14.11.2023 22:13:20")},
                                 {2, 26, wide(u"14.11.23 22:13")},
                                 {3, 26, wide(u"22:13:20")},
                                 {4, 26, wide(u"14.11.2023 22:13:20 MESZ5")},
                                 {5, 26, wide(u"14.11.23 22:13 MESZ5")},
                                 {6, 26, wide(u"14.11.2023 22:13:20 ABCDE")},
                                 {7, 26, wide(u"14.11.2023 22:13:20 ABCDE MESZ5")}}));
}

void formatWith(const TarvoTimeRecord* record, char16_t* buffer, uint32_t nMaxlen,
                const char* key) {
    PEG_formatTime(record, buffer, nMaxlen, key, 0);
}

TEST(TimeTextAssertions, MissingArgumentsAndTooSmallBuffersEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const TarvoTimeRecord record{0, kSeconds, 0};
    char16_t buffer[4];
    const char* key = "TimeCron.KEY_TimeFmt_Hms_LR";
    EXPECT_EXIT(formatWith(nullptr, buffer, 8, key),
                ::testing::ExitedWithCode(host::kFatalExitStatus),
                "ASSERTION FAILED: pTs \\(libPEG/src/PEG:");
    EXPECT_EXIT(formatWith(&record, nullptr, 8, key),
                ::testing::ExitedWithCode(host::kFatalExitStatus),
                "ASSERTION FAILED: pTimeString \\(libPEG/src/PEG:");
    EXPECT_EXIT(formatWith(&record, buffer, 8, nullptr),
                ::testing::ExitedWithCode(host::kFatalExitStatus),
                "ASSERTION FAILED: pFormatKey \\(libPEG/src/PEG:");
    EXPECT_EXIT(formatWith(&record, buffer, 2, key),
                ::testing::ExitedWithCode(host::kFatalExitStatus),
                "ASSERTION FAILED: nMaxlen > sizeof\\(\\*pTimeString\\) \\(libPEG/src/PEG:");
}

}  // namespace
