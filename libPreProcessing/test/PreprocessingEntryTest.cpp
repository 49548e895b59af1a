// The entry points: building the object from each program's node layout, restarting it after a
// parameter change, one pass with its commit, the counts, the display entry and the assertions.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "HostFramework.h"
#include "HostService.h"
#include "HostTrace.h"
#include "PPStatus.h"
#include "PPTestTree.h"
#include "TarvoTrace.h"
#include "ZUB_Preprocessing.h"

using namespace PreProcessing;
using pptest::lop;
using pptest::PPTestTree;

namespace {

struct CreateCase {
    const char* title;
    const char* fixture;
    int32_t first;
    uint32_t second;
    uint32_t expectedGroups;
    uint32_t expectedLines;
    uint32_t expectedTrace;  // 0: none expected
};

// Names the case in test output.
void PrintTo(const CreateCase& c, std::ostream* os) {
    *os << c.title;
}

class CreateLayouts : public ::testing::TestWithParam<CreateCase> {};

TEST_P(CreateLayouts, GroupsAndLinesOfEachLayout) {
    const CreateCase& c = GetParam();
    PPTestTree tree(c.fixture);
    host::TraceCapture capture;
    ASSERT_EQ(0, CreatePreprocessing(tree.tree(), c.first, c.second)) << c.title;
    ASSERT_NE(nullptr, tree.object()) << c.title;
    EXPECT_EQ(c.expectedGroups, GetNumberOfPPGroups(tree.tree())) << c.title;
    EXPECT_EQ(c.expectedLines, GetNumberOfPPLines(tree.tree())) << c.title;
    EXPECT_EQ(c.expectedLines, tree.object()->lines().size()) << c.title;
    if (c.expectedTrace != 0) {
        EXPECT_TRUE(capture.contains(c.expectedTrace)) << c.title;
    }
}

// Calorant-Prog: PP nodes PP_1, PP_2 below root child 3; group nodes Grp_1 (3 lines), Grp_2
// (2 lines) and Grp_3 (no line, not counted) below root child 4; root child 5 is empty.
// Vesk-Prog: root child 3 is one group node with 2 lines.
INSTANTIATE_TEST_SUITE_P(
    Arguments, CreateLayouts,
    ::testing::Values(
        CreateCase{"Calorant-Prog default (3, 4)", "calorant-tree.json", 3, 4, 4, 7, 0},
        CreateCase{"Calorant-Prog ZM1 (3, 0)", "calorant-tree.json", 3, 0, 2, 2, 0},
        CreateCase{"Vesk-Prog (-1, 3): one group node", "vesk-tree.json", -1, 3, 1, 2, 0},
        CreateCase{"parent of group nodes only (-1, 4)", "calorant-tree.json", -1, 4, 2, 5, 0},
        CreateCase{"no groups (-1, 0)", "calorant-tree.json", -1, 0, 0, 0, 0},
        CreateCase{"root child without children", "calorant-tree.json", -1, 5, 0, 0, 0},
        CreateCase{"missing root child as first", "calorant-tree.json", 7, 0, 0, 0,
                   TraceId(0x7a, 13, 3)},
        CreateCase{"missing root child as second", "calorant-tree.json", 3, 8, 2, 2,
                   TraceId(0x7a, 14, 3)}));

TEST(CreateOrder, PPNodeGroupsFirstThenGroupNodesInChildOrder) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    struct Identity {
        uint32_t lineNumber;
        bool grouped;
        uint32_t groupNumber;
        uint32_t groupIndex;
    };
    const Identity expected[] = {{1, false, 0, 0}, {2, false, 0, 1}, {1, true, 1, 2},
                                 {2, true, 1, 2},  {3, true, 1, 2},  {1, true, 2, 3},
                                 {2, true, 2, 3}};
    const auto& lines = tree.object()->lines();
    ASSERT_EQ(std::size(expected), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(expected[i].lineNumber, lines[i]->lineNumber()) << i;
        EXPECT_EQ(expected[i].grouped, lines[i]->isGrouped()) << i;
        EXPECT_EQ(expected[i].groupNumber, lines[i]->groupNumber()) << i;
        EXPECT_EQ(expected[i].groupIndex, lines[i]->groupIndex()) << i;
    }
    EXPECT_EQ(std::u16string(u"Pressure"), lines[0]->name());
    EXPECT_EQ(std::u16string(u"CH4"), lines[2]->name());
    EXPECT_EQ(std::u16string(u"Composition"), tree.group(2).name());
}

TEST(CreateOrder, OneGroupNodeHasGroupNumber0) {
    PPTestTree tree("vesk-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(-1, 3));
    for (const PPLine* line : tree.object()->lines()) {
        EXPECT_TRUE(line->isGrouped());
        EXPECT_EQ(0u, line->groupNumber());
    }
}

TEST(CreateGroupNodeWithoutLines, OutputsAreWrittenOnceAndTheGroupIsDropped) {
    PPTestTree tree("calorant-tree.json");
    const std::string node = "PPGrp.Grp_3.";
    for (const char* row : {"ALev", "WLev"}) {
        for (int level = 1; level <= 6; ++level) {
            tree.host().setBool(node + row + std::to_string(level), true);
        }
    }
    tree.host().setBool(node + "SubstUsed", true);
    tree.host().setStatus(node + "SubstUsed", kStatusOOO);
    tree.host().setInteger(node + "Level", 5);
    tree.host().setStatus(node + "Level", kStatusOOO);
    ASSERT_EQ(0, CreatePreprocessing(tree.tree(), -1, pptest::kGroupRoot));
    EXPECT_EQ(0u, tree.rowMask("PPGrp.Grp_3", "ALev"));
    EXPECT_EQ(0u, tree.rowMask("PPGrp.Grp_3", "WLev"));
    EXPECT_EQ(0x3fu, tree.rowNotInUseMask("PPGrp.Grp_3", "ALev"));
    EXPECT_EQ(0x3fu, tree.rowNotInUseMask("PPGrp.Grp_3", "WLev"));
    EXPECT_FALSE(tree.flag(node + "SubstUsed"));
    EXPECT_EQ(0u, tree.status(node + "SubstUsed"));
    EXPECT_EQ(0, tree.integer(node + "Level"));
    EXPECT_EQ(0u, tree.status(node + "Level"));
    EXPECT_EQ(2u, GetNumberOfPPGroups(tree.tree()));
}

TEST(CreateTwice, SecondCallIsRefusedAndTheFirstObjectKept) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, CreatePreprocessing(tree.tree(), pptest::kPPRoot, 0));
    const Preprocessing* first = tree.object();
    host::TraceCapture capture;
    EXPECT_EQ(1, CreatePreprocessing(tree.tree(), pptest::kPPRoot, pptest::kGroupRoot));
    EXPECT_EQ(first, tree.object());
    EXPECT_EQ(2u, GetNumberOfPPGroups(tree.tree()));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 10, 3)));
}

TEST(DoPreprocessingPass, CommitsOncePerPass) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
    const uint32_t before = tree.host().commitCount();
    for (uint32_t pass = 1; pass <= 3; ++pass) {
        ASSERT_EQ(0, tree.pass());
        EXPECT_EQ(before + pass, tree.host().commitCount());
    }
}

TEST(DoPreprocessingPass, AnObjectWithoutGroupsOnlyCommits) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(-1, 0));
    const uint32_t before = tree.host().commitCount();
    EXPECT_EQ(0, tree.pass());
    EXPECT_EQ(before + 1, tree.host().commitCount());
}

// Until the first refresh the lines do not agree on their levels (none is known yet), and the
// substitute value is still the constructor's 0.0.
TEST(DoPreprocessingPass, BeforeTheFirstRefreshLevel7WithOOO) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, CreatePreprocessing(tree.tree(), pptest::kPPRoot, 0));
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(withLop(kStatusOOO, 7), tree.status("PP.PP_1.Out"));
    EXPECT_EQ(0.0, tree.value("PP.PP_1.Out"));
    EXPECT_EQ(7, tree.integer("PP.PP_1.Level"));
}

TEST(VeskLayout, OneGroupNodeRunsAWholePass) {
    PPTestTree tree("vesk-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(-1, 3));
    for (int level = 1; level <= 6; ++level) {
        tree.setSource("Src.DP1_L" + std::to_string(level), -10.0 - level);
        tree.setSource("Src.DP2_L" + std::to_string(level), -20.0 - level,
                       level == 1 ? kStatusNOT_AVAIL : 0u);
    }
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(2, tree.integer("PPGrp.Level"));
    EXPECT_EQ(-12.0, tree.value("PPGrp.Lines.Line_1.Out"));
    EXPECT_EQ(-22.0, tree.value("PPGrp.Lines.Line_2.Out"));
    EXPECT_EQ(withLop(0, 2), tree.status("PPGrp.Lines.Line_2.Out")) << "policy 1, level 2 good";
    EXPECT_EQ(0x1u, tree.rowMask("PPGrp", "WLev")) << "policy 1: failed level 1 as a warning";
    EXPECT_EQ(0x0u, tree.rowMask("PPGrp", "ALev"));
}

// A parameter change reaches the lines only with the next refresh.
TEST(RefreshPreprocessingAfterChange, LimitsPolicyAndNameAreReadAgain) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    for (int level = 1; level <= 6; ++level) {
        tree.setSource("Src.PP1_L" + std::to_string(level), 10.0 * level);
    }
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(1u, lop(tree.status("PP.PP_1.Out")));

    tree.host().setInUse("PP.PP_1.LoLim", true);
    tree.host().changeDouble("PP.PP_1.LoLim", 15.0);
    tree.host().changeUnsigned("PP.PP_1.Policy", 1);
    tree.host().setText("PP.PP_1.Name", u"Pressure 2");
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(withLop(0, 1), tree.status("PP.PP_1.Out")) << "old limits until the refresh";

    ASSERT_EQ(0, tree.refresh());
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(withLop(0, 2), tree.status("PP.PP_1.Out")) << "level 1 below 15; policy 1";
    EXPECT_EQ(20.0, tree.value("PP.PP_1.Out"));
    EXPECT_EQ(1u, tree.group(0).policy());
    EXPECT_EQ(std::u16string(u"Pressure 2"), tree.group(0).name());
    EXPECT_TRUE(tree.object()->displayPage().refill);
}

TEST(RefreshPreprocessingAfterChange, LongNamesAreCutAtTheBuffer) {
    PPTestTree tree("calorant-tree.json");
    const std::u16string longName(200, u'x');
    tree.host().setText("PP.PP_1.Name", longName);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    EXPECT_EQ(longName.substr(0, kNameCapacity - 1), std::u16string(tree.group(0).name()));
    EXPECT_EQ(longName.substr(0, kNameCapacity - 1),
              std::u16string(tree.object()->lines()[0]->name()));
}

// A command that arrives before the tree or its preprocessing object exists is not the page's:
// it is answered 0 and the program goes on.
TEST(DisplayEntry, WithoutTreeOrObjectAnswersZero) {
    PPTestTree tree("calorant-tree.json");
    const std::vector<uint8_t> bytes = host::makeServiceRecord(64000, 2);
    const PEGCommand record(bytes.data(), static_cast<uint32_t>(bytes.size()));
    host::TraceCapture capture;
    EXPECT_EQ(0, HandlePreprocessingDisplayEvent(nullptr, &record));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 18, 3))) << "no tree";
    EXPECT_EQ(0, HandlePreprocessingDisplayEvent(tree.tree(), &record));
    EXPECT_TRUE(capture.contains(TraceId(0x7a, 16, 3))) << "no object";
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    EXPECT_EQ(0, HandlePreprocessingDisplayEvent(tree.tree(), nullptr)) << "no record";
    EXPECT_EQ(1, HandlePreprocessingDisplayEvent(tree.tree(), &record));
}

TEST(Counts, ZeroWithoutAnObject) {
    PPTestTree tree("calorant-tree.json");
    EXPECT_EQ(0u, GetNumberOfPPGroups(tree.tree()));
    EXPECT_EQ(0u, GetNumberOfPPLines(tree.tree()));
}

void createOn(FbDoTree* target) {
    CreatePreprocessing(target, -1, 0);
}
void refreshOn(FbDoTree* target) {
    RefreshPreprocessing(nullptr, target);
}
void passOn(FbDoTree* target) {
    DoPreprocessing(nullptr, target);
}
void countLinesOn(FbDoTree* target) {
    GetNumberOfPPLines(target);
}
void countGroupsOn(FbDoTree* target) {
    GetNumberOfPPGroups(target);
}

struct AssertionCase {
    const char* title;
    void (*call)(FbDoTree*);
    bool withTree;
    const char* expression;  // as a regular expression
    uint32_t line;
};

// Names the case in test output.
void PrintTo(const AssertionCase& c, std::ostream* os) {
    *os << c.title;
}

class EntryAssertions : public ::testing::TestWithParam<AssertionCase> {};

// Each assertion names its expression, this library's entry source and its own line.
TEST_P(EntryAssertions, StopTheAddressSpace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const AssertionCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    FbDoTree* argument = c.withTree ? tree.tree() : nullptr;
    const std::string message =
        std::string("ASSERTION FAILED: ") + c.expression +
        " \\(libPreProcessing/src/ZUB_Preprocessing:" + std::to_string(c.line) + "\\)";
    EXPECT_EXIT(c.call(argument), ::testing::ExitedWithCode(host::kFatalExitStatus), message)
        << c.title;
}

constexpr const char* kObject = "pTheTree->GetPreprocessing \\(\\)";

INSTANTIATE_TEST_SUITE_P(
    Calls, EntryAssertions,
    ::testing::Values(AssertionCase{"Create without tree", createOn, false, "pTheTree", 62},
                      AssertionCase{"Refresh without tree", refreshOn, false, "pTheTree", 50},
                      AssertionCase{"Refresh before Create", refreshOn, true, kObject, 51},
                      AssertionCase{"Do without tree", passOn, false, "pTheTree", 25},
                      AssertionCase{"Do before Create", passOn, true, kObject, 26},
                      AssertionCase{"line count without tree", countLinesOn, false, "doTree", 135},
                      AssertionCase{"group count without tree", countGroupsOn, false, "doTree",
                                    144}));

}  // namespace
