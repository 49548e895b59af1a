#include <fstream>

#include "FrameworkTestSupport.h"
#include "ScratchFolder.h"

namespace {

class DictionaryTest : public frameworktest::TextServiceTest {
  protected:
    const char* dictionaryJson() const override {
        return R"({
            "DS_ready_LR": ["bereit", "ready"],
            "PrePr_PP_x": ["Vorverarbeitung \u00e4\u00f6", "Preprocessing \ud83d\ude00"],
            "Empty_LR": ["", "second only"]
        })";
    }
};

TEST_F(DictionaryTest, LooksUpBothLanguages) {
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "DS_ready_LR", 0)), u"bereit");
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "DS_ready_LR", 1)), u"ready");
    EXPECT_EQ(std::u16string(Tarvo_FindText(dictionary, "DS_ready_LR", 1, 0)), u"ready");
    // The caller maps a language setting to 0 or 1: there is no third language.
    EXPECT_EQ(Tarvo_LookupText(dictionary, "DS_ready_LR", 2), nullptr);
}

TEST_F(DictionaryTest, TextsAreUtf16WithSurrogatePairs) {
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "PrePr_PP_x", 0)),
              u"Vorverarbeitung \u00e4\u00f6");
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "PrePr_PP_x", 1)),
              u"Preprocessing \xD83D\xDE00");
}

TEST_F(DictionaryTest, EmptyTextIsPresentButMissingKeyIsNull) {
    const char16_t* empty = Tarvo_LookupText(dictionary, "Empty_LR", 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], u'\0');
    EXPECT_EQ(Tarvo_LookupText(dictionary, "DS_alarm_LR", 0), nullptr);
    EXPECT_EQ(Tarvo_FindText(dictionary, "DS_alarm_LR", 1, 0), nullptr);
    EXPECT_EQ(Tarvo_LookupText(dictionary, nullptr, 0), nullptr);
}

TEST_F(DictionaryTest, OnlyTheTextServiceClientIsADictionary) {
    ServiceObject service{};
    ServiceClient otherClient(block.get(), &service);
    EXPECT_EQ(Tarvo_LookupText(nullptr, "DS_ready_LR", 0), nullptr);
    EXPECT_EQ(Tarvo_LookupText(&otherClient, "DS_ready_LR", 0), nullptr);
}

TEST_F(DictionaryTest, MalformedDictionaryIsRefusedAndTheOldOneKept) {
    const char* malformed[] = {
        "[1, 2]",     R"({"A_LR": "one text"})", R"({"A_LR": ["one"]})", R"({"A_LR": ["one", 2]})",
        "{ not json",
    };
    for (const char* json : malformed) {
        EXPECT_NE(host::setTextDictionary(json), "") << json;
    }
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "DS_ready_LR", 1)), u"ready");
}

TEST_F(DictionaryTest, LoadsFromFileAndEarlierTextsStayValid) {
    const char16_t* before = Tarvo_LookupText(dictionary, "DS_ready_LR", 0);
    const ScratchFolder folder;
    const std::string path = folder.pathOf("dictionary.json");
    {
        std::ofstream file(path);
        file << R"({"DS_alarm_LR": ["Alarm", "alarm"]})";
    }
    ASSERT_EQ(host::loadTextDictionary(path), "");
    std::remove(path.c_str());
    EXPECT_EQ(std::u16string(Tarvo_LookupText(dictionary, "DS_alarm_LR", 1)), u"alarm");
    EXPECT_EQ(Tarvo_LookupText(dictionary, "DS_ready_LR", 0), nullptr);
    EXPECT_EQ(std::u16string(before), u"bereit");
    EXPECT_NE(host::loadTextDictionary(path), "");  // gone now
}

}  // namespace
