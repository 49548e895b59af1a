// How a group chooses its level (regular choice, selector, fallback modes) and what it
// publishes: the level in use, the substitute flag and the alarm and warning rows.
#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "HostTrace.h"
#include "PPStatus.h"
#include "PPTestTree.h"
#include "TarvoTrace.h"

using namespace PreProcessing;
using pptest::lop;
using pptest::PPTestTree;

namespace {

// Sources of the six levels of "PP.PP_1".
std::string pp1Source(uint32_t level) {
    return "Src.PP1_L" + std::to_string(level);
}

void setPP1Statuses(PPTestTree& tree, const std::array<uint32_t, 6>& statuses) {
    for (uint32_t level = 1; level <= 6; ++level) {
        tree.setSource(pp1Source(level), 10.0 * level, statuses[level - 1]);
    }
}

struct SelectorCase {
    const char* title;
    bool inUse;
    uint32_t word;
    uint32_t wordStatus;
    int32_t policy;
    uint32_t badLevels;  // levels whose source reads OOC
    uint32_t expectedSelectorLevel;
    uint32_t expectedLop;
    uint32_t expectedFlags;
};

// Names the case in test output.
void PrintTo(const SelectorCase& c, std::ostream* os) {
    *os << c.title;
}

class GroupSelector : public ::testing::TestWithParam<SelectorCase> {};

TEST_P(GroupSelector, SelectorForcesOneLevelOrLevel7) {
    const SelectorCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_1.Policy", c.policy);
    tree.setParameter("PP.PP_1.Subst", 5.0);
    tree.host().setInUse("PP.PP_1.Selector", c.inUse);
    tree.host().setUnsigned("PP.PP_1.Selector", c.word);
    tree.host().setStatus("PP.PP_1.Selector", c.wordStatus);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    std::array<uint32_t, 6> statuses = {};
    for (uint32_t level = 1; level <= 6; ++level) {
        statuses[level - 1] = (c.badLevels & levelBit(level)) != 0 ? kStatusOOC : 0u;
    }
    setPP1Statuses(tree, statuses);
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(c.expectedSelectorLevel, tree.group(0).selectorLevel()) << c.title;
    const uint32_t status = tree.status("PP.PP_1.Out");
    EXPECT_EQ(c.expectedLop, lop(status)) << c.title;
    EXPECT_EQ(c.expectedFlags, status & ~kLopMask) << c.title;
    EXPECT_EQ(static_cast<int32_t>(c.expectedLop), tree.integer("PP.PP_1.Level")) << c.title;
    const double expectedValue = c.expectedLop == 7 ? 5.0 : 10.0 * c.expectedLop;
    EXPECT_EQ(expectedValue, tree.value("PP.PP_1.Out")) << c.title;
}

// Selector words decode to one level (exactly one of bits 0..5), 8 for any other word, 7 while
// the selector is in INIT; under policies 1 and 2 an invalid selector adds OOO.
INSTANTIATE_TEST_SUITE_P(
    Words, GroupSelector,
    ::testing::Values(
        SelectorCase{"selector not in use: lowest good level", false, 4, 0, 2, 0x1, 0, 2,
                     kStatusOOC},
        SelectorCase{"word 4 forces level 3", true, 4, 0, 2, 0, 3, 3, 0},
        SelectorCase{"word 32 forces level 6", true, 32, 0, 2, 0, 6, 6, 0},
        SelectorCase{"forced level bad: level 7 with its flags", true, 4, 0, 2, 0x4, 3, 7,
                     kStatusOOC},
        SelectorCase{"several bits: invalid, OOO (policy 2)", true, 6, 0, 2, 0, 8, 7, kStatusOOO},
        SelectorCase{"several bits: invalid, OOO (policy 1)", true, 6, 0, 1, 0, 8, 7, kStatusOOO},
        SelectorCase{"several bits: invalid, LOP only (policy 3)", true, 6, 0, 3, 0, 8, 7, 0},
        SelectorCase{"127: invalid", true, 127, 0, 2, 0, 8, 7, kStatusOOO},
        SelectorCase{"bit above 5: invalid", true, 64, 0, 2, 0, 8, 7, kStatusOOO},
        SelectorCase{"no bit: invalid", true, 0, 0, 2, 0, 8, 7, kStatusOOO},
        SelectorCase{"selector in INIT: level 7 without bad flags", true, 4, kStatusINIT, 2, 0, 7,
                     7, 0}));

TEST(GroupSelectorTraces, DecodingIsTracedPerKind) {
    struct Expectation {
        uint32_t word;
        uint32_t traceId;
    };
    const Expectation expectations[] = {{127, TraceId(0x7c, 0, 6)},
                                        {64, TraceId(0x7c, 1, 5)},
                                        {6, TraceId(0x7c, 2, 5)},
                                        {0, TraceId(0x7c, 3, 5)},
                                        {8, TraceId(0x7c, 4, 7)}};
    struct AllTraceLevels {
        AllTraceLevels() { host::setTraceLevel(7); }
        ~AllTraceLevels() { host::resetTraceSettings(); }
    } allLevels;
    for (const Expectation& e : expectations) {
        PPTestTree tree("calorant-tree.json");
        tree.host().setUnsigned("PP.PP_1.Selector", e.word);
        tree.host().setInUse("PP.PP_1.Selector", true);
        host::TraceCapture capture;
        ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
        EXPECT_TRUE(capture.contains(e.traceId)) << "word " << e.word;
    }
}

struct FallbackCycle {
    std::array<uint32_t, 6> statuses;
    uint32_t expectedLevel;
};

struct FallbackCase {
    const char* title;
    int32_t mode;
    std::vector<FallbackCycle> cycles;
    uint32_t expectedLastSelected;
};

// Names the case in test output.
void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.title;
}

class GroupFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(GroupFallback, NoGoodLevelFallsBackByMode) {
    const FallbackCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_1.FallbackMode", c.mode);
    tree.setParameter("PP.PP_1.Subst", 5.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    for (size_t i = 0; i < c.cycles.size(); ++i) {
        setPP1Statuses(tree, c.cycles[i].statuses);
        ASSERT_EQ(0, tree.pass());
        const uint32_t level = c.cycles[i].expectedLevel;
        EXPECT_EQ(level, lop(tree.status("PP.PP_1.Out"))) << c.title << ", cycle " << i;
        EXPECT_EQ(level == 7 ? 5.0 : 10.0 * level, tree.value("PP.PP_1.Out"))
            << c.title << ", cycle " << i;
    }
    EXPECT_EQ(c.expectedLastSelected, tree.group(0).lastSelectedLevel()) << c.title;
}

constexpr uint32_t kOK = 0;
constexpr uint32_t kNA = kStatusNOT_AVAIL;
constexpr uint32_t kOOC = kStatusOOC;
constexpr uint32_t kOLL = kStatusOLL;
constexpr uint32_t kINIT = kStatusINIT;

// Mode 1 never falls back; mode 2 keeps the last regularly chosen level while it is available
// (no INIT, NOT_AVAIL, OOS); mode 3 takes the highest available level. Fallbacks never change
// the last selected level.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modes, GroupFallback,
    ::testing::Values(
        //           title, mode, cycles {statuses of levels 1..6, expected level}, last selected
        FallbackCase{"mode 1: level 7", 1,
                     {{{kOOC, kOOC, kOK,  kOOC, kOOC, kOOC}, 3},
                      {{kNA,  kNA,  kOLL, kNA,  kNA,  kNA},  7}}, 3},
        FallbackCase{"mode 2: the last selected level while available", 2,
                     {{{kOOC, kOOC, kOK,  kOOC, kOOC, kOOC}, 3},
                      {{kNA,  kNA,  kOLL, kNA,  kNA,  kNA},  3},
                      {{kNA,  kOOC, kNA,  kNA,  kNA,  kNA},  7}}, 3},
        FallbackCase{"mode 2, never selected: level 7", 2,
                     {{{kOOC, kOOC, kOOC, kOOC, kOOC, kOOC}, 7}}, 7},
        FallbackCase{"mode 3: the highest available level", 3,
                     {{{kOK,  kNA,  kNA,  kNA,  kNA,  kNA},  1},
                      {{kOLL, kNA,  kNA,  kNA,  kOOC, kNA},  5}}, 1},
        FallbackCase{"mode 3: INIT levels are not available", 3,
                     {{{kNA,  kOOC, kNA,  kNA,  kINIT, kNA}, 2}}, 7},
        FallbackCase{"mode 4: level 7", 4,
                     {{{kOLL, kOLL, kOLL, kOLL, kOLL, kOLL}, 7}}, 7}));
// clang-format on

// A level that reads NaN is no more available than it is good: the highest-level fallback passes
// it over for the available (if bad) level below it.
TEST(GroupFallbackWithNaN, ANaNLevelIsNotAvailable) {
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_1.FallbackMode", 3);
    tree.setParameter("PP.PP_1.Subst", 5.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    setPP1Statuses(tree, {kOOC, kOK, kNA, kNA, kNA, kNA});
    tree.setSource(pp1Source(2), std::numeric_limits<double>::quiet_NaN());
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(1, tree.integer("PP.PP_1.Level"));
    EXPECT_EQ(1u, lop(tree.status("PP.PP_1.Out")));
    EXPECT_EQ(10.0, tree.value("PP.PP_1.Out"));
}

// Group "PPGrp.Grp_1": lines Line_1 and Line_2 with levels 1..3 connected, and Line_3 without
// any connected level (it always writes its substitute value).
class GroupOfLines : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.setParameter(kLines + "Line_3.Subst", 0.5);
        ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    }

    void setSources(const char* line, const std::array<uint32_t, 3>& statuses) {
        for (uint32_t level = 1; level <= 3; ++level) {
            tree.setSource(std::string("Src.") + line + "_L" + std::to_string(level),
                           static_cast<double>(level), statuses[level - 1]);
        }
    }

    uint32_t outputLop(const char* line) { return lop(tree.status(kLines + line + ".Out")); }

    static constexpr uint32_t kGroup = 2;  // after PP_1 and PP_2
    const std::string kNode = "PPGrp.Grp_1";
    const std::string kLines = "PPGrp.Grp_1.Lines.";
    PPTestTree tree{"calorant-tree.json"};
};

TEST_F(GroupOfLines, LinesWithoutLevelsDoNotSplitTheGroup) {
    EXPECT_TRUE(tree.group(kGroup).hasSameLevels());
    EXPECT_EQ(0x7u, tree.group(kGroup).commonInUseMask());
}

TEST_F(GroupOfLines, ChoosesTheLowestLevelGoodInEveryLine) {
    setSources("G1A", {kOK, kOK, kOK});
    setSources("G1B", {kOOC, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(2u, tree.group(kGroup).selectedLevel());
    EXPECT_EQ(2u, tree.group(kGroup).lastSelectedLevel());
    EXPECT_EQ(2u, outputLop("Line_1"));
    EXPECT_EQ(2u, outputLop("Line_2"));
    EXPECT_EQ(7u, outputLop("Line_3"));
    EXPECT_EQ(2, tree.integer(kNode + ".Level"));
    EXPECT_FALSE(tree.flag(kNode + ".SubstUsed"));
}

TEST_F(GroupOfLines, InitInOneLineOnlyKeepsTheLevelButThatLineFallsBack) {
    tree.setParameter(kLines + "Line_1.Subst", 1.25);
    ASSERT_EQ(0, tree.refresh());
    setSources("G1A", {kINIT, kOK, kOK});
    setSources("G1B", {kOK, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(1u, tree.group(kGroup).selectedLevel());
    EXPECT_EQ(7u, outputLop("Line_1"));
    EXPECT_EQ(1.25, tree.value(kLines + "Line_1.Out"));
    EXPECT_EQ(1u, outputLop("Line_2"));
}

TEST_F(GroupOfLines, InitInEveryLineIsNotChosen) {
    setSources("G1A", {kINIT, kOK, kOK});
    setSources("G1B", {kINIT, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(2u, tree.group(kGroup).selectedLevel());
}

TEST_F(GroupOfLines, NothingGoodInEveryLineUsesLevel7) {
    tree.setParameter(kLines + "Line_1.Subst", 1.25);
    tree.setParameter(kLines + "Line_2.Subst", 2.25);
    ASSERT_EQ(0, tree.refresh());
    setSources("G1A", {kOK, kOOC, kOOC});
    setSources("G1B", {kOOC, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(7, tree.integer(kNode + ".Level"));
    EXPECT_TRUE(tree.flag(kNode + ".SubstUsed"));
    EXPECT_EQ(1.25, tree.value(kLines + "Line_1.Out"));
    EXPECT_EQ(2.25, tree.value(kLines + "Line_2.Out"));
}

TEST_F(GroupOfLines, ALineWithoutAnyValueMakesTheLevelInUse0) {
    tree.host().setInUse(kLines + "Line_3.Subst", false);
    ASSERT_EQ(0, tree.refresh());
    setSources("G1A", {kOK, kOK, kOK});
    setSources("G1B", {kOK, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(0, tree.integer(kNode + ".Level"));
    EXPECT_EQ(kStatusOOO, tree.status(kLines + "Line_3.Out"));
    EXPECT_EQ(1u, outputLop("Line_1"));
}

struct RowCase {
    const char* title;
    int32_t policy;
    bool allLevelsFailInLine1;
    uint32_t expectedAlarm;
    uint32_t expectedWarning;
    uint32_t expectedAlarmNotInUse;
};

// Names the case in test output.
void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.title;
}

class GroupRows : public GroupOfLines, public ::testing::WithParamInterface<RowCase> {};

// Level 1 fails in Line_1 (or all three do); level 3 passes the upper warning limit in Line_2.
TEST_P(GroupRows, RowsFollowThePolicy) {
    const RowCase& c = GetParam();
    tree.setInteger(kNode + ".Policy", c.policy);
    tree.setParameter(kLines + "Line_2.HiWarnLim", 2.5);
    ASSERT_EQ(0, tree.refresh());
    setSources("G1A", c.allLevelsFailInLine1 ? std::array<uint32_t, 3>{kOLL, kOLL, kOLL}
                                             : std::array<uint32_t, 3>{kOLL, kOK, kOK});
    setSources("G1B", {kOK, kOK, kOK});
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(c.expectedAlarm, tree.rowMask(kNode, "ALev")) << c.title;
    EXPECT_EQ(c.expectedWarning, tree.rowMask(kNode, "WLev")) << c.title;
    EXPECT_EQ(c.expectedAlarmNotInUse, tree.rowNotInUseMask(kNode, "ALev")) << c.title;
    EXPECT_EQ(0x38u, tree.rowNotInUseMask(kNode, "WLev")) << c.title;
    EXPECT_EQ(c.expectedAlarm, tree.group(kGroup).alarmRow()) << c.title;
    EXPECT_EQ(c.expectedWarning, tree.group(kGroup).warningRow()) << c.title;
}

// Failed levels (in use, not good in every line) and levels past a warning limit, reported by
// policy: 1 moves failures to the warnings while some level is good in every line, 2 keeps them
// apart, 3 reports everything as warnings and flags all alarms OOU, others report alarms only.
INSTANTIATE_TEST_SUITE_P(
    Policies, GroupRows,
    ::testing::Values(RowCase{"policy 1, a level good everywhere", 1, false, 0x0, 0x5, 0x38},
                      RowCase{"policy 1, nothing good everywhere", 1, true, 0x7, 0x4, 0x38},
                      RowCase{"policy 2", 2, false, 0x1, 0x4, 0x38},
                      RowCase{"policy 3", 3, false, 0x0, 0x5, 0x3f},
                      RowCase{"policy 4", 4, false, 0x1, 0x0, 0x38},
                      RowCase{"policy 0", 0, false, 0x1, 0x0, 0x38}));

// Group "PPGrp.Grp_2": Line_1 with levels 1 and 2, Line_2 with level 1 only, and no name.
TEST(GroupWithDifferentLevels, EveryCycleLevel7WithOOOForAllLines) {
    PPTestTree tree("calorant-tree.json");
    const std::string lines = "PPGrp.Grp_2.Lines.";
    tree.setParameter(lines + "Line_1.Subst", 1.0);
    tree.setParameter(lines + "Line_2.Subst", 2.0);
    tree.host().setInUse("PPGrp.Grp_2.Selector", true);
    tree.host().setUnsigned("PPGrp.Grp_2.Selector", 1);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    tree.host().setUnsigned("PPGrp.Grp_2.Selector", 2);
    const PPGroup& group = tree.group(3);
    EXPECT_FALSE(group.hasSameLevels());
    EXPECT_EQ(0x3u, group.commonInUseMask());
    EXPECT_EQ(std::u16string(u"unnamed"), group.name());
    for (int cycle = 0; cycle < 2; ++cycle) {
        ASSERT_EQ(0, tree.pass());
        for (const char* line : {"Line_1.Out", "Line_2.Out"}) {
            EXPECT_EQ(withLop(kStatusOOO, 7), tree.status(lines + line)) << line;
        }
        EXPECT_EQ(7, tree.integer("PPGrp.Grp_2.Level"));
        EXPECT_TRUE(tree.flag("PPGrp.Grp_2.SubstUsed"));
        EXPECT_EQ(0x3u, tree.rowMask("PPGrp.Grp_2", "ALev")) << "policy 2: failed levels";
        EXPECT_EQ(0x0u, tree.rowMask("PPGrp.Grp_2", "WLev"));
    }
    EXPECT_EQ(1u, group.selectorLevel()) << "read at binding, not again while the lines disagree";
}

TEST(GroupMaskText, LevelSixFirst) {
    EXPECT_STREQ("000001", PPGroup::maskText(0x01).text);
    EXPECT_STREQ("100000", PPGroup::maskText(0x20).text);
    EXPECT_STREQ("101011", PPGroup::maskText(0x6b).text);
}

TEST(GroupSelectorSelects, ForcedLevelOrLevel7) {
    PPTestTree tree("calorant-tree.json");
    tree.host().setInUse("PP.PP_1.Selector", true);
    tree.host().setUnsigned("PP.PP_1.Selector", 2);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    EXPECT_TRUE(tree.group(0).selectorSelects(2));
    EXPECT_FALSE(tree.group(0).selectorSelects(7));
    tree.host().setUnsigned("PP.PP_1.Selector", 3);
    ASSERT_EQ(0, tree.pass());
    EXPECT_TRUE(tree.group(0).selectorSelects(7));
    EXPECT_FALSE(tree.group(0).selectorSelects(1));
    EXPECT_FALSE(tree.group(1).selectorSelects(7)) << "PP_2 has no selector in use";
}

}  // namespace
