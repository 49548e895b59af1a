// Limits and warning limits with hysteresis, evaluated cycle after cycle on level 1 of a PP
// node's line ("PP.PP_1", six connected levels, policy 2).
#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "PPStatus.h"
#include "PPTestTree.h"

using namespace PreProcessing;
using pptest::PPTestTree;

namespace {

constexpr const char* kLevel1Source = "Src.PP1_L1";

struct Cycle {
    double value;
    uint32_t sourceStatus;
    uint32_t expectedFlags;  // limit and warning bits of level 1 after the cycle
    bool expectedGood;
};

struct LimitCase {
    const char* title;
    const char* parameter;  // limit node below PP.PP_1
    double limit;
    double hysteresis;
    std::vector<Cycle> cycles;
};

// Names the case in test output.
void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.title;
}

class LevelLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LevelLimits, FlagsFollowTheValueWithHysteresis) {
    const LimitCase& c = GetParam();
    PPTestTree tree("calorant-tree.json");
    tree.setParameter(std::string("PP.PP_1.") + c.parameter, c.limit);
    tree.setParameter("PP.PP_1.Hyst", c.hysteresis);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    const PPLine& line = *tree.object()->lines()[0];
    for (size_t i = 0; i < c.cycles.size(); ++i) {
        const Cycle& cycle = c.cycles[i];
        tree.setSource(kLevel1Source, cycle.value, cycle.sourceStatus);
        ASSERT_EQ(0, tree.pass());
        const uint32_t flags = line.displayStatus(1) & (kStatusOLL | kStatusOUL | kWarningFlags);
        EXPECT_EQ(cycle.expectedFlags, flags) << c.title << ", cycle " << i;
        EXPECT_EQ(cycle.expectedGood, (line.goodMask() & 1u) != 0) << c.title << ", cycle " << i;
    }
}

// Thresholds and expected flags from the line's limit rules: a flag sets past its limit and
// clears only once the value is back inside by the hysteresis (strict comparisons).
INSTANTIATE_TEST_SUITE_P(
    Cycles, LevelLimits,
    ::testing::Values(
        LimitCase{"lower limit 10, hysteresis 1",
                  "LoLim",
                  10.0,
                  1.0,
                  {{10.0, 0, 0, true},
                   {9.9, 0, kStatusOLL, false},
                   {10.5, 0, kStatusOLL, false},
                   {10.99, 0, kStatusOLL, false},
                   {11.0, 0, 0, true}}},
        LimitCase{"upper limit 50, hysteresis 2",
                  "HiLim",
                  50.0,
                  2.0,
                  {{50.0, 0, 0, true},
                   {50.1, 0, kStatusOUL, false},
                   {48.5, 0, kStatusOUL, false},
                   {48.0, 0, 0, true}}},
        LimitCase{"lower warning limit 20, hysteresis 1: warnings leave the level good",
                  "LoWarnLim",
                  20.0,
                  1.0,
                  {{19.9, 0, kStatusLowerWarning, true},
                   {20.5, 0, kStatusLowerWarning, true},
                   {21.0, 0, 0, true}}},
        LimitCase{"upper warning limit 40, hysteresis 2",
                  "HiWarnLim",
                  40.0,
                  2.0,
                  {{40.0, 0, 0, true},
                   {40.1, 0, kStatusUpperWarning, true},
                   {38.5, 0, kStatusUpperWarning, true},
                   {38.0, 0, 0, true}}},
        LimitCase{"a read-rejected value keeps the flags of the last evaluation",
                  "HiLim",
                  50.0,
                  0.0,
                  {{60.0, 0, kStatusOUL, false}, {1.0, kStatusOOS, 0, false}, {40.0, 0, 0, true}}},
        LimitCase{"a NaN value is rejected like a bad read and keeps the flags",
                  "LoLim",
                  10.0,
                  0.0,
                  {{5.0, 0, kStatusOLL, false},
                   {std::numeric_limits<double>::quiet_NaN(), 0, 0, false},
                   {12.0, 0, 0, true}}},
        LimitCase{"a NaN hysteresis counts as none: the flag holds while the value is past",
                  "LoLim",
                  10.0,
                  std::numeric_limits<double>::quiet_NaN(),
                  {{5.0, 0, kStatusOLL, false},
                   {5.0, 0, kStatusOLL, false},
                   {5.0, 0, kStatusOLL, false},
                   {10.0, 0, 0, true}}},
        LimitCase{"a negative hysteresis counts as none",
                  "HiLim",
                  50.0,
                  -2.0,
                  {{51.0, 0, kStatusOUL, false},
                   {51.0, 0, kStatusOUL, false},
                   {50.0, 0, 0, true},
                   {50.5, 0, kStatusOUL, false}}},
        LimitCase{"INIT skips the limits and counts as good",
                  "HiLim",
                  50.0,
                  0.0,
                  {{70.0, kStatusINIT, 0, true}, {70.0, 0, kStatusOUL, false}}},
        LimitCase{
            "infinite values pass even the default limits",
            "HiLim",
            50.0,
            0.0,
            {{std::numeric_limits<double>::infinity(), 0, kStatusOUL | kStatusUpperWarning, false},
             {-std::numeric_limits<double>::infinity(), 0, kStatusOLL | kStatusLowerWarning,
              false}}}));

// The flags the level kept while its read was rejected still show in the line's limit mask,
// and the level is neither good nor available.
TEST(LevelLimitsKept, RejectedReadStillReportsOldFlagsInTheMasks) {
    PPTestTree tree("calorant-tree.json");
    tree.setParameter("PP.PP_1.HiLim", 50.0);
    tree.setParameter("PP.PP_1.HiWarnLim", 40.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    const PPLine& line = *tree.object()->lines()[0];
    tree.setSource(kLevel1Source, 60.0);
    ASSERT_EQ(0, tree.pass());
    tree.setSource(kLevel1Source, 0.0, kStatusOOS);
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(1u, line.limitMask() & 1u);
    EXPECT_EQ(1u, line.warningMask() & 1u);
    EXPECT_EQ(0u, line.goodMask() & 1u);
    EXPECT_EQ(0u, line.availableMask() & 1u);
}

// A refresh clears the hysteresis state: the flag set before it is evaluated afresh.
TEST(LevelLimitsKept, RefreshClearsTheHysteresisState) {
    PPTestTree tree("calorant-tree.json");
    tree.setParameter("PP.PP_1.LoLim", 10.0);
    tree.setParameter("PP.PP_1.Hyst", 5.0);
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    const PPLine& line = *tree.object()->lines()[0];
    tree.setSource(kLevel1Source, 9.0);
    ASSERT_EQ(0, tree.pass());
    tree.setSource(kLevel1Source, 12.0);
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(kStatusOLL, line.displayStatus(1) & kStatusOLL) << "inside the hysteresis band";
    ASSERT_EQ(0, tree.refresh());
    ASSERT_EQ(0, tree.pass());
    EXPECT_EQ(0u, line.displayStatus(1) & kStatusOLL);
}

}  // namespace
