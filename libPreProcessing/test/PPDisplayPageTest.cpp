// The display page: which records it takes, the line list, the level rows' bindings, marks and
// status texts, the labels and the selection from the display context.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "HostFramework.h"
#include "HostService.h"
#include "HostTrace.h"
#include "PPStatus.h"
#include "PPTestTree.h"
#include "ZUB_Preprocessing.h"

using namespace PreProcessing;
using pptest::PPTestTree;
using Kind = PPPageSends::Send::Kind;

namespace PreProcessing {

// Names a send in test output (the tests' texts are ASCII).
void PrintTo(const PPPageSends::Send& send, std::ostream* os) {
    *os << "{kind " << static_cast<int>(send.kind) << ", " << send.itemId << ", \""
        << std::string(send.text.begin(), send.text.end()) << "\", \"" << send.name << "\", "
        << send.value << "}";
}

}  // namespace PreProcessing

namespace {

// One send as the tests compare it: kind, item and its text, name or value.
struct Expected {
    Kind kind;
    uint32_t itemId;
    std::u16string text;
    std::string name;
    uint32_t value;
};

bool operator==(const PPPageSends::Send& a, const Expected& b) {
    return a.kind == b.kind && a.itemId == b.itemId && a.text == b.text && a.name == b.name &&
           a.value == b.value;
}

Expected clearList() {
    return {Kind::Clear, 64101, u"", "", 0};
}
Expected entry(const std::u16string& text) {
    return {Kind::WideText, 64101, text, "", 0};
}
Expected selectEntry(uint32_t index) {
    return {Kind::Value, 64101, u"", "", index};
}
Expected bind(uint32_t level, uint32_t offset, const std::string& name) {
    return {Kind::Bind, 64200 + 100 * (level - 1) + offset, u"", name, 0};
}

// The Calorant-Prog fixture with (3, 4): lines 0 PP_1 "Pressure", 1 PP_2 "Temperature", 2..4
// Grp_1 (number 1) "CH4", "N2", "Spare", 5..6 Grp_2 (number 2) "CO2", "H2". A registered,
// set-up block gives the page its dictionary and display context.
class DisplayPage : public frameworktest::FrameworkTest {
  protected:
    void SetUp() override {
        frameworktest::FrameworkTest::SetUp();
        ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
        ASSERT_NE(Sysmanlib_AsInfo_Setup(block.get(), 0), 0);
        ASSERT_EQ(host::setTextDictionary("{}"), "");
        ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
        ASSERT_EQ(0, tree.pass());
    }

    Preprocessing& object() { return *const_cast<Preprocessing*>(tree.object()); }

    // Hands one record to the page; its answer, and what it would send into `sent`.
    uint32_t handle(uint32_t itemId, uint32_t code, const std::vector<uint8_t>& payload = {}) {
        const std::vector<uint8_t> bytes = host::makeServiceRecord(itemId, code, payload);
        const PEGCommand command(bytes.data(), static_cast<uint32_t>(bytes.size()));
        PPPageSends sends;
        const uint32_t answer = object().handleDisplayEvent(command, sends);
        sent = sends.sends();
        return answer;
    }

    // The sends of one kind and item range.
    std::vector<PPPageSends::Send> sentTo(uint32_t firstItem, uint32_t lastItem) const {
        std::vector<PPPageSends::Send> selected;
        for (const auto& send : sent) {
            if (send.itemId >= firstItem && send.itemId <= lastItem) {
                selected.push_back(send);
            }
        }
        return selected;
    }

    // The status text sent to level `level`'s status item.
    std::u16string statusOf(uint32_t level) const {
        for (const auto& send : sent) {
            if (send.itemId == 64200 + 100 * (level - 1) + 5) {
                return send.text;
            }
        }
        return u"<none>";
    }
    std::u16string marksOf(uint32_t level) const {
        for (const auto& send : sent) {
            if (send.itemId == 64200 + 100 * (level - 1) + 4) {
                return send.text;
            }
        }
        return u"<none>";
    }

    std::unique_ptr<AsInfo> block = frameworktest::makeAsInfo("Calorant");
    PPTestTree tree{"calorant-tree.json"};
    std::vector<PPPageSends::Send> sent;
};

TEST_F(DisplayPage, TakesEveryRecordOfItsRangeAndNoOther) {
    struct Case {
        uint32_t itemId;
        uint32_t code;
        uint32_t answer;
    };
    const Case cases[] = {{63999, 2, 0}, {65000, 2, 0},  {0, 7, 0},      {64000, 5, 1},
                          {64999, 2, 1}, {64101, 26, 1}, {64205, 29, 1}, {64000, 29, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(handle(c.itemId, c.code, host::u32Payload(1)), c.answer) << c.itemId;
        EXPECT_TRUE(sent.empty()) << c.itemId << " " << c.code;
    }
    EXPECT_EQ(object().displayPage().selectedLine, -1) << "none of them selects";
}

TEST_F(DisplayPage, OpeningListsEveryLineThenBindsAndShowsTheFirst) {
    EXPECT_EQ(handle(64000, 2), 1u);
    EXPECT_EQ(object().displayPage().selectedLine, 0);
    const std::vector<Expected> list = {
        clearList(),         entry(u"Pressure"), entry(u"Temperature"),
        entry(u"(G1)  CH4"), entry(u"(G1)  N2"), entry(u"(G1)  Spare"),
        entry(u"(G2)  CO2"), entry(u"(G2)  H2"), selectEntry(0)};
    std::vector<Expected> binds;
    for (uint32_t level = 1; level <= 7; ++level) {
        const std::string source = level <= 6 ? "Src.PP1_L" + std::to_string(level) : "";
        binds.push_back(bind(level, 2, source));
        binds.push_back(bind(level, 3, source));
    }
    ASSERT_EQ(sent.size(), list.size() + binds.size() + 14);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(sent[i], list[i]) << i;
    }
    for (size_t i = 0; i < binds.size(); ++i) {
        EXPECT_EQ(sent[list.size() + i], binds[i]) << i;
    }
    for (uint32_t level = 1; level <= 7; ++level) {
        const size_t at = list.size() + binds.size() + 2 * (level - 1);
        EXPECT_EQ(sent[at].itemId, 64200 + 100 * (level - 1) + 4) << "marks first";
        EXPECT_EQ(sent[at + 1].itemId, 64200 + 100 * (level - 1) + 5) << "then the status";
    }
}

TEST_F(DisplayPage, RefreshCommandRefillsOnlyAfterAnOpeningOrAParameterChange) {
    handle(64000, 2);
    EXPECT_FALSE(object().displayPage().refill);
    handle(64000, 7);
    EXPECT_EQ(sent.size(), 14u) << "marks and status of seven levels only";
    EXPECT_TRUE(sentTo(64101, 64101).empty());
    ASSERT_EQ(0, tree.refresh());
    EXPECT_TRUE(object().displayPage().refill);
    handle(64000, 7);
    EXPECT_EQ(sentTo(64101, 64101).size(), 9u) << "clear, seven entries, selection";
    EXPECT_EQ(sentTo(64202, 64203).size(), 2u);
    EXPECT_FALSE(object().displayPage().refill);
    EXPECT_EQ(object().displayPage().selectedLine, 0) << "the refresh keeps the selection";
}

TEST_F(DisplayPage, SelectionFromTheBoxBindsAndShowsThatLine) {
    handle(64000, 2);
    EXPECT_EQ(handle(64101, 29, host::u32Payload(6)), 1u);
    EXPECT_EQ(object().displayPage().selectedLine, 6);
    ASSERT_EQ(sentTo(64202, 64203).size(), 2u);
    EXPECT_EQ(sentTo(64202, 64203)[0], bind(1, 2, "Src.G2B_L1"));
    EXPECT_EQ(sentTo(64302, 64302)[0], bind(2, 2, "")) << "a level without source";
    EXPECT_EQ(sent.size(), 28u) << "14 bindings, 14 row texts, no list";

    struct Case {
        const char* title;
        std::vector<uint8_t> payload;
        int32_t selected;
        size_t sends;
    };
    const Case cases[] = {
        {"index 9 of 7 lines: no rows", host::u32Payload(9), 9, 0},
        {"no entry: no rows", host::u32Payload(0xFFFFFFFF), -1, 0},
        {"a payload of 3 bytes changes nothing", {1, 0, 0}, -1, 0},
        {"index 2", host::u32Payload(2), 2, 28},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(handle(64101, 29, c.payload), 1u) << c.title;
        EXPECT_EQ(object().displayPage().selectedLine, c.selected) << c.title;
        EXPECT_EQ(sent.size(), c.sends) << c.title;
    }
}

TEST_F(DisplayPage, OpeningFromAContextSelectsItsLine) {
    struct Case {
        const char* context;
        int32_t selected;
    };
    const Case cases[] = {{"Calorant.I1.PP.PP_2", 1},
                          {"Calorant.I1.PPGrp.ALev3", 2},
                          {"Calorant.I1.MeasCond.p", 0},
                          {"", 0}};
    for (const Case& c : cases) {
        host::setDisplayContext(std::string(c.context));
        handle(64000, 2);
        EXPECT_EQ(object().displayPage().selectedLine, c.selected) << c.context;
        EXPECT_EQ(sentTo(64101, 64101).back(), selectEntry(static_cast<uint32_t>(c.selected)))
            << c.context;
        if (c.context[0] != '\0') {
            EXPECT_FALSE(host::displayContextHeld()) << c.context << ": the text given back";
        }
    }
    // Command 3 starts from the current selection: a context naming no line keeps it.
    handle(64101, 29, host::u32Payload(4));
    host::setDisplayContext(std::string("Calorant.I1.PP.PP_9"));
    handle(64000, 3);
    EXPECT_EQ(object().displayPage().selectedLine, 4);
    host::setDisplayContext(std::nullopt);
    handle(64000, 3);
    EXPECT_EQ(object().displayPage().selectedLine, 4);
}

TEST_F(DisplayPage, NoSelectionIsSentToTheBoxAsMinusOneAndShowsNoRows) {
    host::setDisplayContext(std::nullopt);
    EXPECT_EQ(handle(64000, 3), 1u);
    EXPECT_EQ(object().displayPage().selectedLine, -1);
    ASSERT_EQ(sentTo(64101, 64101).size(), 9u) << "clear, seven entries, selection";
    EXPECT_EQ(sentTo(64101, 64101).back(), selectEntry(0xFFFFFFFFu));
    EXPECT_TRUE(sentTo(64200, 64999).empty());
}

TEST_F(DisplayPage, LabelsComeFromTheDictionaryInTheLanguageAndMissingKeysKeepThem) {
    EXPECT_EQ(object().groupMark(true, 4), u"(G4)  ");
    EXPECT_EQ(object().groupMark(true, 0), u"(G)  ");
    EXPECT_EQ(object().groupMark(false, 4), u"");
    EXPECT_EQ(object().defaultLineText(7), u"Preprocessing 7");

    ASSERT_EQ(host::setTextDictionary(R"({
        "PrePrDisp_grouped_LR": ["Gruppe", "Group"],
        "PrePrDisp_groupedIndex_LR": ["[{0}|{0}]", "no number"],
        "PrePr_PP_x": ["Linie", "Line {PP}{PP}"]
    })"),
              "");
    host::setLanguage(1);
    handle(64000, 2);
    EXPECT_EQ(object().groupMark(true, 0), u"Group  ");
    EXPECT_EQ(object().groupMark(true, 4), u"no number  ") << "a label without {0} unchanged";
    EXPECT_EQ(object().defaultLineText(7), u"Line 7{PP}") << "only the first {PP}";
    EXPECT_EQ(object().displayLabels().alarm, u"A") << "no text for the key: kept";

    host::setLanguage(0);
    handle(64000, 3);
    EXPECT_EQ(object().groupMark(true, 4), u"[4|{0}]  ");
    EXPECT_EQ(object().groupMark(true, 1234567890), u"[123456789|{0}]  ") << "at most 9 digits";
    EXPECT_EQ(object().defaultLineText(7), u"Linie 7") << "no {PP}: a blank and the number";

    host::setLanguage(2);  // any setting but 0 is the second language
    handle(64000, 3);
    EXPECT_EQ(object().groupMark(true, 0), u"Group  ");
    EXPECT_EQ(object().defaultLineText(7), u"Line 7{PP}");
}

TEST_F(DisplayPage, UnnamedLineGetsTheLineLabelWithItsNumber) {
    tree.host().setText("PP.PP_2.Name", u"");
    ASSERT_EQ(0, tree.refresh());
    handle(64000, 2);
    EXPECT_EQ(sentTo(64101, 64101)[2], entry(u"Preprocessing 2"));
}

// Policy 2 on PP_1: a level that is not good sets its alarm mark, a level past a warning limit
// its warning mark.
class LevelRows : public DisplayPage {
  protected:
    void SetUp() override {
        DisplayPage::SetUp();
        tree.setParameter("PP.PP_1.HiWarnLim", 15.0);
        ASSERT_EQ(0, tree.refresh());
    }

    void setLevels(const std::vector<std::pair<double, uint32_t>>& levels) {
        for (size_t i = 0; i < levels.size(); ++i) {
            tree.setSource("Src.PP1_L" + std::to_string(i + 1), levels[i].first, levels[i].second);
        }
        ASSERT_EQ(0, tree.pass());
        handle(64000, 7);
    }

    void selectLevel(uint32_t word) {
        tree.host().setInUse("PP.PP_1.Selector", true);
        tree.host().setUnsigned("PP.PP_1.Selector", word);
        ASSERT_EQ(0, tree.refresh());
    }
};

TEST_F(LevelRows, MarksAndStatusOfEachLevel) {
    handle(64000, 2);
    setLevels({{10.0, kStatusOLL},
               {20.0, 0},
               {10.0, kStatusNOT_AVAIL},
               {10.0, kStatusOOU},
               {10.0, kStatusOOO | kStatusOOC},
               {10.0, kStatusOUL | kStatusOLL}});
    EXPECT_EQ(pptest::lop(tree.status("PP.PP_1.Out")), 2u) << "the lowest good level";
    struct Row {
        uint32_t level;
        std::u16string marks;
        std::u16string status;
    };
    const Row rows[] = {{1, u"A", u"OLL"},   {2, u"W", u"in use UWL"}, {3, u"A", u"NA"},
                        {4, u"A", u"INACT"}, {5, u"A", u"OOO"},        {6, u"A", u"OLL"},
                        {7, u"", u""}};
    for (const Row& row : rows) {
        EXPECT_EQ(marksOf(row.level), row.marks) << row.level;
        EXPECT_EQ(statusOf(row.level), row.status) << row.level;
    }
}

TEST_F(LevelRows, WarningTextFollowsTheFlagTextAndLowerWarningComesFirst) {
    tree.setParameter("PP.PP_1.LoWarnLim", 8.0);
    ASSERT_EQ(0, tree.refresh());
    handle(64000, 2);
    // Level 3's value against the warning limits 8 and 15; a source flagged bad is not checked
    // against them, so its own warning flags stand.
    struct Case {
        double value;
        uint32_t flags;
        std::u16string status;
    };
    const Case cases[] = {
        {5.0, 0, u"LWL"},
        {20.0, 0, u"UWL"},
        {12.0, 0, u""},
        {12.0, kStatusOLL | kStatusLowerWarning | kStatusUpperWarning, u"OLL LWL"},
        {12.0, kStatusOOC | kStatusUpperWarning, u"OOC UWL"},
        {12.0, kStatusOUL, u"OUL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        SCOPED_TRACE(c.flags);
        setLevels({{10.0, 0}, {10.0, 0}, {c.value, c.flags}, {10.0, 0}, {10.0, 0}, {10.0, 0}});
        EXPECT_EQ(statusOf(1), u"in use");
        EXPECT_EQ(statusOf(3), c.status);
    }
}

TEST_F(LevelRows, LevelPastItsLimitAndItsWarningLimitHasBothMarks) {
    tree.setParameter("PP.PP_1.HiLim", 25.0);
    ASSERT_EQ(0, tree.refresh());
    handle(64000, 2);
    setLevels({{30.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}});
    EXPECT_EQ(marksOf(1), u"A W");
    EXPECT_EQ(statusOf(1), u"OUL UWL");
    EXPECT_EQ(statusOf(2), u"in use");
}

TEST_F(LevelRows, ForcedLevelIsStarredAndABadOneHandsOverToLevel7) {
    selectLevel(2);  // forces level 2
    handle(64000, 2);
    setLevels({{10.0, 0}, {20.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}});
    EXPECT_EQ(statusOf(2), u"* in use UWL");
    EXPECT_EQ(statusOf(1), u"");

    tree.setParameter("PP.PP_1.Subst", 5.0);
    ASSERT_EQ(0, tree.refresh());
    setLevels({{10.0, 0},
               {20.0, kStatusOLL | kStatusUpperWarning},
               {10.0, 0},
               {10.0, 0},
               {10.0, 0},
               {10.0, 0}});
    EXPECT_EQ(pptest::lop(tree.status("PP.PP_1.Out")), 7u) << "the substitute value";
    EXPECT_EQ(statusOf(2), u"* OLL UWL");
    EXPECT_EQ(statusOf(7), u"in use");
    for (uint32_t level = 1; level <= 6; ++level) {
        EXPECT_EQ(statusOf(level).find(u"in use"), std::u16string::npos) << level;
    }
}

TEST_F(LevelRows, LongLabelsAreCutToNineteenCharacters) {
    tree.setParameter("PP.PP_1.HiLim", 25.0);
    ASSERT_EQ(0, tree.refresh());
    ASSERT_EQ(host::setTextDictionary(R"({
        "PrePrDisp_alarm_LR": ["Alarm limit passed!", "x"],
        "PrePrDisp_warning_LR": ["Warn", "x"]
    })"),
              "");
    handle(64000, 2);
    setLevels({{30.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}, {10.0, 0}});
    EXPECT_EQ(marksOf(1), u"Alarm limit passed!") << "19 characters: no room for the rest";
    ASSERT_EQ(host::setTextDictionary(R"({
        "PrePrDisp_alarm_LR": ["Alarm limit passed", "x"]
    })"),
              "");
    handle(64000, 3);
    EXPECT_EQ(marksOf(1), u"Alarm limit passed ") << "the blank fits, the warning label not";
}

}  // namespace
