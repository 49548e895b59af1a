// The line the display page selects for a display context path.
#include <gtest/gtest.h>

#include <ostream>

#include "PPContext.h"
#include "PPStatus.h"
#include "PPTestTree.h"

using namespace PreProcessing;
using pptest::PPTestTree;

namespace {

constexpr int32_t kStart = 4;

struct ContextCase {
    const char* title;
    const char* context;
    int32_t expected;
};

// Names the case in test output.
void PrintTo(const ContextCase& c, std::ostream* os) {
    *os << c.title;
}

// Lines of the Calorant-Prog fixture with (3, 4): 0 PP_1, 1 PP_2 (ungrouped, numbers 1 and 2),
// 2..4 Grp_1 lines 1..3, 5..6 Grp_2 lines 1..2. Level 2 fails in Grp_1's Line_2; Grp_2's lines
// disagree on their levels, so none of their levels is ever good.
class ContextSelection : public ::testing::TestWithParam<ContextCase> {
  protected:
    void SetUp() override {
        ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, pptest::kGroupRoot));
        for (int level = 1; level <= 3; ++level) {
            tree.setSource("Src.G1A_L" + std::to_string(level), 1.0);
            tree.setSource("Src.G1B_L" + std::to_string(level), 1.0, level == 2 ? kStatusOOC : 0u);
        }
        ASSERT_EQ(0, tree.pass());
    }

    PPTestTree tree{"calorant-tree.json"};
};

TEST_P(ContextSelection, SelectsTheLineTheContextNames) {
    const ContextCase& c = GetParam();
    EXPECT_EQ(c.expected, selectLineFromContext(c.context, tree.object()->lines(), kStart))
        << c.title;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Contexts, ContextSelection,
    ::testing::Values(
        ContextCase{"no context",                    nullptr,                                 kStart},
        ContextCase{"empty context",                 "",                                      kStart},
        ContextCase{"no dot",                        "Calorant",                              kStart},
        ContextCase{"one dot",                       "Calorant.PP",                           kStart},
        ContextCase{"nothing after the second dot",  "Calorant.I1.",                          kStart},
        ContextCase{"PP line 2",                     "Calorant.I1.PP.PP_2",                   1},
        ContextCase{"PP line 2 with a parameter",    "Calorant.I1.PP.PP_2.Out",               1},
        ContextCase{"no PP line 9",                  "Calorant.I1.PP.PP_9",                   kStart},
        ContextCase{"PP line number overflows",      "Calorant.I1.PP.PP_4294967297",          kStart},
        ContextCase{"PP line without number",        "Calorant.I1.PP.PP_",                    kStart},
        ContextCase{"level 2 failed in Grp_1",       "Calorant.I1.PPGrp.ALev2",               3},
        ContextCase{"level 1 never good in Grp_2",   "Calorant.I1.PPGrp.ALev1",               5},
        ContextCase{"level 3 failed nowhere",        "Calorant.I1.PPGrp.ALev3",               2},
        ContextCase{"level 0: first grouped line",   "Calorant.I1.PPGrp.ALev0",               2},
        ContextCase{"level 33: first grouped line",  "Calorant.I1.PPGrp.ALev33",              2},
        ContextCase{"level number overflows",        "Calorant.I1.PPGrp.ALev4294967298",      kStart},
        ContextCase{"another page",                  "Calorant.I1.MeasCond.p",                kStart}));
// clang-format on

TEST(ContextSelectionWithoutGroupedLines, GroupLevelFormKeepsTheSelection) {
    PPTestTree tree("calorant-tree.json");
    ASSERT_EQ(0, tree.createAndRefresh(pptest::kPPRoot, 0));
    EXPECT_EQ(1, selectLineFromContext("Calorant.I1.PPGrp.ALev2", tree.object()->lines(), 1));
    EXPECT_EQ(-1, selectLineFromContext("Calorant.I1.PPGrp.ALev2", tree.object()->lines(), -1));
}

}  // namespace
