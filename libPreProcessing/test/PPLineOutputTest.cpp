// What one line writes to its output node: the chosen level's value or the `level 7` fallback,
// and the status word each policy builds. Line "PP.PP_2" has levels 1 and 2 connected.
#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
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

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct Source {
    double value;
    uint32_t status;
};

struct OutputCase {
    const char* title;
    int32_t policy;
    Source level1;
    Source level2;
    double substitute;  // NaN: substitute value node not in use
    uint32_t expectedLop;
    uint32_t expectedFlags;  // status without the LOP field
    double expectedValue;
};

// Names the case in test output.
void PrintTo(const OutputCase& c, std::ostream* os) {
    *os << c.title;
}

class LineOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(LineOutput, ValueAndStatusFollowThePolicy) {
    const OutputCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_2.Policy", c.policy);
    if (!std::isnan(c.substitute)) {
        tree.setParameter("PP.PP_2.Subst", c.substitute);
    }
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    tree.setSource("Src.PP2_L1", c.level1.value, c.level1.status);
    tree.setSource("Src.PP2_L2", c.level2.value, c.level2.status);
    ASSERT_EQ(0, tree.pass());
    const uint32_t status = tree.status("PP.PP_2.Out");
    EXPECT_EQ(c.expectedLop, lop(status)) << c.title;
    EXPECT_EQ(c.expectedFlags, status & ~kLopMask) << c.title;
    EXPECT_EQ(c.expectedValue, tree.value("PP.PP_2.Out")) << c.title;
    EXPECT_EQ(static_cast<int32_t>(c.expectedLop), tree.integer("PP.PP_2.Level")) << c.title;
}

// Expected statuses from the line's output rules: policy 1 reports bad flags only when no
// usable level is good, policy 2 those of the first bad usable level, policy 3 only LOP,
// policy 4 OOO; an unknown policy is written as policy 4 writes it.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Policies, LineOutput,
    ::testing::Values(
        //         title                                            policy level 1             level 2             substitute LOP flags        value
        OutputCase{"both good: the lowest level",                     2, {1.5, 0},            {2.5, 0},           kNaN,      1, 0,           1.5},
        OutputCase{"policy 1 hides a bad level while another is good", 1, {1.5, kStatusOLL},  {2.5, 0},           kNaN,      2, 0,           2.5},
        OutputCase{"policy 2 reports the bad level",                  2, {1.5, kStatusOLL},   {2.5, 0},           kNaN,      2, kStatusOLL,  2.5},
        OutputCase{"policy 1, all bad: the first bad level's flags",  1, {1.5, kStatusOOC},   {2.5, kStatusOLL},  5.0,       7, kStatusOOC,  5.0},
        OutputCase{"policy 2, all bad: the first bad level's flags",  2, {1.5, kStatusOOC},   {2.5, kStatusOLL},  5.0,       7, kStatusOOC,  5.0},
        OutputCase{"policy 3: LOP only",                              3, {1.5, kStatusOOC},   {2.5, kStatusOLL},  5.0,       7, 0,           5.0},
        OutputCase{"policy 4: OOO",                                   4, {1.5, 0},            {2.5, 0},           kNaN,      1, kStatusOOO,  1.5},
        OutputCase{"policy 0 is written as policy 4",                 0, {1.5, 0},            {2.5, 0},           kNaN,      1, kStatusOOO,  1.5},
        OutputCase{"policy 5 is written as policy 4",                 5, {1.5, 0},            {2.5, 0},           kNaN,      1, kStatusOOO,  1.5},
        OutputCase{"no value at all: 0.0 with OOO and LOP 0",         2, {1.5, kStatusOOC},   {2.5, kStatusOOC},  kNaN,      0, kStatusOOO,  0.0},
        OutputCase{"an infinite substitute is a value",               2, {1.5, kStatusOOC},   {2.5, kStatusOOC},  kInfinity, 7, kStatusOOC,  kInfinity},
        OutputCase{"an unusable (OOS) level adds nothing",            2, {1.5, kStatusOOS | kStatusOOC}, {2.5, 0}, kNaN,     2, 0,           2.5},
        OutputCase{"a NaN level is out of order (policy 2)",          2, {kNaN, 0},           {2.5, 0},           kNaN,      2, kStatusOOO,  2.5},
        OutputCase{"a NaN level is not chosen (policy 1)",            1, {kNaN, 0},           {2.5, 0},           kNaN,      2, 0,           2.5}));
// clang-format on

// Warning bits come from the line's own warning limits (a source's warning bits are rewritten),
// and those of every usable level reach the output.
TEST(LineOutputWarnings, WarningBitsOfTheUsableLevelsPass) {
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_2.Policy", 1);
    tree.setParameter("PP.PP_2.LoWarnLim", 2.0);
    tree.setParameter("PP.PP_2.HiWarnLim", 2.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    tree.setSource("Src.PP2_L1", 1.5, kStatusUpperWarning);
    tree.setSource("Src.PP2_L2", 2.5);
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(withLop(kWarningFlags, 1), tree.status("PP.PP_2.Out"));
    tree.setSource("Src.PP2_L2", 2.5, kStatusOOS);
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(withLop(kStatusLowerWarning, 1), tree.status("PP.PP_2.Out")) << "level 2 unusable";
}

// An unknown policy is still traced (as a line and as a group fault) every cycle.
TEST(LineOutputTraces, UnknownPolicyIsTraced) {
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_2.Policy", 9);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    host::TraceCapture capture;
    ASSERT_EQ(0, tree.pass());
    const auto lineTraces = capture.withId(TraceId(0x7d, 12, 3));
    ASSERT_EQ(1u, lineTraces.size());
    EXPECT_EQ(u"Temperature", lineTraces[0].text16Arg(0));
    EXPECT_EQ(9, lineTraces[0].intArg(1));
    EXPECT_EQ(1u, capture.withId(TraceId(0x7c, 24, 3)).size()) << "PP_1 has policy 2";
}

struct FallbackCycle {
    Source level1;
    Source level2;
    uint32_t expectedLop;
    double expectedValue;
};

struct FallbackCase {
    const char* title;
    int32_t substituteMode;
    double substitute;
    bool refreshBeforeLastCycle;
    std::vector<FallbackCycle> cycles;
};

// Names the case in test output.
void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.title;
}

class LineFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(LineFallback, Level7TakesTheLastValidOrTheSubstituteValue) {
    const FallbackCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    tree.setInteger("PP.PP_2.SubstMode", c.substituteMode);
    if (!std::isnan(c.substitute)) {
        tree.setParameter("PP.PP_2.Subst", c.substitute);
    }
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    for (size_t i = 0; i < c.cycles.size(); ++i) {
        const FallbackCycle& cycle = c.cycles[i];
        if (c.refreshBeforeLastCycle && i + 1 == c.cycles.size()) {
            ASSERT_EQ(0, tree.refresh());
        }
        tree.setSource("Src.PP2_L1", cycle.level1.value, cycle.level1.status);
        tree.setSource("Src.PP2_L2", cycle.level2.value, cycle.level2.status);
        ASSERT_EQ(0, tree.pass());
        EXPECT_EQ(cycle.expectedLop, lop(tree.status("PP.PP_2.Out"))) << c.title << " " << i;
        EXPECT_EQ(cycle.expectedValue, tree.value("PP.PP_2.Out")) << c.title << " " << i;
        EXPECT_EQ(cycle.expectedLop == 7, tree.flag("PP.PP_2.SubstUsed")) << c.title << " " << i;
    }
}

constexpr Source kBad = {99.0, kStatusOOC};

INSTANTIATE_TEST_SUITE_P(
    Cycles, LineFallback,
    ::testing::Values(
        FallbackCase{"mode 2 before any value was used: the substitute value",
                     2,
                     4.0,
                     false,
                     {{kBad, kBad, 7, 4.0}, {{3.0, 0}, kBad, 1, 3.0}, {kBad, kBad, 7, 3.0}}},
        FallbackCase{"mode 2 keeps the last valid value across a refresh",
                     2,
                     4.0,
                     true,
                     {{kBad, {6.0, 0}, 2, 6.0}, {kBad, kBad, 7, 6.0}}},
        FallbackCase{"mode 0 always takes the substitute value",
                     0,
                     4.0,
                     false,
                     {{{3.0, 0}, kBad, 1, 3.0}, {kBad, kBad, 7, 4.0}}},
        FallbackCase{"a NaN value is never kept as the last valid value",
                     2,
                     kNaN,
                     false,
                     {{{3.0, 0}, kBad, 1, 3.0}, {{kNaN, 0}, kBad, 7, 3.0}, {kBad, kBad, 7, 3.0}}},
        FallbackCase{"mode 2 without any value and no substitute: nothing to write",
                     2,
                     kNaN,
                     false,
                     {{kBad, kBad, 0, 0.0}}}));

}  // namespace

namespace {

// A chosen level outside 1..7 writes nothing and comes back unchanged.
TEST(LineOutputLevelOutOfRange, NothingIsWritten) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    tree.host().setDouble("PP.PP_2.Out", 42.0);
    tree.host().setStatus("PP.PP_2.Out", kStatusOOC);
    PPLine& line = *tree.object()->lines()[1];
    for (uint32_t level : {0u, 8u, 1000u}) {
        host::TraceCapture capture;
        EXPECT_EQ(level, line.process(level, 2, 0));
        EXPECT_EQ(42.0, tree.value("PP.PP_2.Out"));
        EXPECT_EQ(kStatusOOC, tree.status("PP.PP_2.Out"));
        const auto traces = capture.withId(TraceId(0x7d, 4, 3));
        ASSERT_EQ(1u, traces.size()) << level;
        EXPECT_EQ(static_cast<int32_t>(level), traces[0].intArg(1));
    }
}

// What the display page reads of a line.
TEST(LineDisplayAccess, StatusCurrentLevelAndReferences) {
    PPTestTree tree("calorant-tree.json");
    tree.setParameter("PP.PP_2.Subst", 7.5);
    tree.setParameter("PP.PP_2.HiWarnLim", 2.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    tree.setSource("Src.PP2_L1", 1.5, kStatusOLL);
    tree.setSource("Src.PP2_L2", 2.5);
    ASSERT_EQ(0, tree.pass());
    const PPLine& line = *tree.object()->lines()[1];
    EXPECT_EQ(kStatusOLL, line.displayStatus(1));
    EXPECT_EQ(kStatusUpperWarning, line.displayStatus(2));
    EXPECT_EQ(0u, line.displayStatus(3)) << "not connected";
    EXPECT_EQ(0u, line.displayStatus(7));
    EXPECT_EQ(2u, line.currentLevel());

    EXPECT_EQ("Src.PP2_L1", line.referenceText(1));
    EXPECT_EQ("", line.referenceText(3)) << "not connected";
    EXPECT_EQ("PP.PP_2.Subst", line.referenceText(7));
    host::TraceCapture capture;
    EXPECT_EQ("", line.referenceText(8));
    EXPECT_TRUE(capture.contains(TraceId(0x7d, 13, 3)));

    tree.setInteger("PP.PP_2.SubstMode", 2);
    ASSERT_EQ(0, tree.refresh());
    EXPECT_EQ("PP.PP_2.Out", line.referenceText(7)) << "the last value stands in";
    tree.host().setInUse("PP.PP_2.Subst", false);
    tree.setInteger("PP.PP_2.SubstMode", 0);
    ASSERT_EQ(0, tree.refresh());
    EXPECT_EQ("", line.referenceText(7)) << "no substitute in use";
}

}  // namespace
