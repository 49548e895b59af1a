#include "FrameworkTestSupport.h"

namespace {

class TimeFormatTest : public frameworktest::TextServiceTest {
  protected:
    const char* dictionaryJson() const override {
        return R"({
            "Custom_LR": ["%Y%m%d-%H%M%S %%", "T=%H:%M"],
            "Bad_LR": ["%Q", "%"]
        })";
    }

    // Formats `seconds` by `key` into a 32-character buffer; returns (result, text).
    std::pair<int32_t, std::u16string> format(const char* key, uint32_t seconds, uint32_t language,
                                              uint32_t maxChars = 31) {
        char16_t buffer[32];
        buffer[0] = u'?';
        TarvoTimeRecord record{0, seconds, 0};
        int32_t result = Tarvo_FormatTime(dictionary, key, buffer, maxChars, &record, language, 1);
        return {result, std::u16string(buffer)};
    }
};

// Expected civil times: 951782400 s is 2000-02-29 00:00:00 and 4294967295 s is
// 2106-02-07 06:28:15 (the proleptic Gregorian calendar counted from 1970-01-01).
TEST_F(TimeFormatTest, HostPatternsOfTheTimeKeys) {
    struct Case {
        const char* key;
        uint32_t seconds;
        uint32_t language;
        std::u16string text;
    };
    const Case cases[] = {
        {"TimeCron.KEY_TimeFmt_D1_LR", 0, 0, u"01.01.1970 00:00:00"},
        {"TimeCron.KEY_TimeFmt_D1_LR", 951782400, 0, u"29.02.2000 00:00:00"},
        {"TimeCron.KEY_TimeFmt_D1_LR", 951868799, 1, u"02/29/2000 23:59:59"},
        {"TimeCron.KEY_TimeFmt_D1_LR", 4294967295u, 0, u"07.02.2106 06:28:15"},
        {"TimeCron.KEY_TimeFmt_D2_LR", 1700000000, 0, u"14.11.23 22:13"},
        {"TimeCron.KEY_TimeFmt_D2_LR", 1700000000, 1, u"11/14/23 22:13"},
        {"TimeCron.KEY_TimeFmt_Hms_LR", 86399, 1, u"23:59:59"},
    };
    for (const Case& c : cases) {
        auto [result, text] = format(c.key, c.seconds, c.language);
        EXPECT_EQ(text, c.text) << c.key << " " << c.seconds;
        EXPECT_EQ(result, static_cast<int32_t>(c.text.size())) << c.key;
    }
}

TEST_F(TimeFormatTest, DictionaryPatternTakesPrecedence) {
    EXPECT_EQ(format("Custom_LR", 951782400 + 3723, 0).second, u"20000229-010203 %");
    EXPECT_EQ(format("Custom_LR", 951782400 + 3723, 1).second, u"T=01:02");
}

TEST_F(TimeFormatTest, FailuresGiveZeroAndTheEmptyText) {
    EXPECT_EQ(format("Missing_LR", 0, 0), std::make_pair(0, std::u16string()));
    EXPECT_EQ(format("Bad_LR", 0, 0), std::make_pair(0, std::u16string()));
    EXPECT_EQ(format("Bad_LR", 0, 1), std::make_pair(0, std::u16string()));
    // 19 characters do not fit into 18.
    EXPECT_EQ(format("TimeCron.KEY_TimeFmt_D1_LR", 0, 0, 18), std::make_pair(0, std::u16string()));
    EXPECT_EQ(format("TimeCron.KEY_TimeFmt_D1_LR", 0, 0, 19).first, 19);

    char16_t buffer[8] = u"x";
    TarvoTimeRecord record{};
    EXPECT_EQ(Tarvo_FormatTime(nullptr, "TimeCron.KEY_TimeFmt_Hms_LR", buffer, 7, &record, 0, 1),
              0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(Tarvo_FormatTime(dictionary, "TimeCron.KEY_TimeFmt_Hms_LR", buffer, 7, nullptr, 0, 1),
              0);
    EXPECT_EQ(
        Tarvo_FormatTime(dictionary, "TimeCron.KEY_TimeFmt_Hms_LR", nullptr, 7, &record, 0, 1), 0);
}

}  // namespace
