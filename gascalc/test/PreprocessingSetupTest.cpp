// The preprocessing object the ZM1 layout's FbDO hook builds: the PP groups of root child 3 and
// no further group nodes, since its root child 4 is the Var node, not a group.
#include "CalorantFixture.h"
#include "ZUB_Preprocessing.h"

namespace {

using calorant_test::CalorantFixture;

// Trace points of the preprocessing library while it takes further group nodes (level 6): a
// group node taken, and one taken without lines.
constexpr uint32_t kTraceGroupNodeAdded = 0x7b0046;
constexpr uint32_t kTraceGroupNodeWithoutLines = 0x7b0056;

class PreprocessingSetupTest : public CalorantFixture {};

TEST_F(PreprocessingSetupTest, ZM1TakesNoFurtherGroupNodes) {
    ASSERT_EQ(startLayout("ZM1"), 0);
    EXPECT_TRUE(ProgramContext::preprocessingReady);
    EXPECT_EQ(GetNumberOfPPGroups(ProgramContext::tree.Load()), 18u);
    EXPECT_FALSE(traces.contains(kTraceGroupNodeAdded));
    EXPECT_FALSE(traces.contains(kTraceGroupNodeWithoutLines));
}

}  // namespace
