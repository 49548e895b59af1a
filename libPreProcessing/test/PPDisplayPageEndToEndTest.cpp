// The preprocessing page end to end: a program with the preprocessing of the Calorant-Prog
// fixture, run by the simulated system manager, and the simulated display showing the page.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>

#include "DisplayAddressSpace.h"
#include "FbDo.h"
#include "PPStatus.h"
#include "ZUB_Preprocessing.h"

namespace {

using pegtest::DisplayAddressSpace;

const std::string kTree = std::string(PP_TEST_DATA_DIR) + "/calorant-tree.json";

// Set by the test, taken by the next cycle: a refresh before the pass, as after a parameter
// change.
std::atomic<bool> refreshRequested{false};

// `refreshAtStart` false: the object is refreshed only when the test requests it.
pegtest::DisplayProgram pageProgram(const std::string& treeFile, bool refreshAtStart = true) {
    pegtest::DisplayProgram program;
    program.treeFile = treeFile;
    program.onTree = [](AsInfo* pAsInfo) { return CreatePreprocessing(pAsInfo->pTheTree, 3, 4); };
    program.onStart = [refreshAtStart](AsInfo* pAsInfo) {
        return pAsInfo->pTheTree != nullptr && refreshAtStart
                   ? RefreshPreprocessing(pAsInfo, pAsInfo->pTheTree)
                   : 0;
    };
    program.onCycle = [](AsInfo* pAsInfo) {
        if (pAsInfo->pTheTree == nullptr) {
            return 0;
        }
        if (refreshRequested.exchange(false)) {
            RefreshPreprocessing(pAsInfo, pAsInfo->pTheTree);
        }
        FbDo_BeginTreeAccess(pAsInfo->pTheTree);
        const int result = DoPreprocessing(pAsInfo, pAsInfo->pTheTree);
        FbDo_EndTreeAccess(pAsInfo->pTheTree);
        return result;
    };
    program.displayEntry = [](ServiceObject*, const PEGCommand* pCommand) {
        return HandlePreprocessingDisplayEvent(Sysmanlib_AsInfo_GetCurrent()->pTheTree, pCommand);
    };
    return program;
}

void setSource(host::HostTree& tree, const std::string& path, double value, uint32_t status) {
    tree.setInUse(path, true);
    tree.setDouble(path, value);
    tree.setStatus(path, status);
}

const sim::DisplayItemState& item(sim::DisplayService& display, uint32_t id) {
    static const sim::DisplayItemState kNothing;
    const sim::DisplayItemState* state = display.model().item(id);
    return state != nullptr ? *state : kNothing;
}

std::u16string statusRow(sim::DisplayService& display, uint32_t level) {
    return item(display, 64200 + 100 * (level - 1) + 5).text.value_or(u"<none>");
}

TEST(PPDisplayPageEndToEnd, ListsTheLinesShowsTheSelectedLinesLevelsAndFollowsChanges) {
    DisplayAddressSpace space(pageProgram(kTree));
    ASSERT_TRUE(space.started());
    sim::DisplayService& display = space.display();
    for (int level = 1; level <= 6; ++level) {
        setSource(space.tree(), "Src.PP1_L" + std::to_string(level), 10.0 * level, 0);
    }
    setSource(space.tree(), "Src.PP2_L1", 21.0, 0);
    setSource(space.tree(), "Src.PP2_L2", 22.0, 0);
    ASSERT_TRUE(space.cycle());

    // Opening the page lists every line and shows the first.
    EXPECT_EQ(display.deliver(64000, 2), 1);
    const sim::DisplayItemState& list = item(display, 64101);
    EXPECT_TRUE(list.isList);
    EXPECT_EQ(list.entries,
              (std::vector<std::u16string>{u"Pressure", u"Temperature", u"(G1)  CH4", u"(G1)  N2",
                                           u"(G1)  Spare", u"(G2)  CO2", u"(G2)  H2"}));
    EXPECT_EQ(list.selection, 0);
    EXPECT_EQ(item(display, 64202).boundParameter, "Src.PP1_L1");
    EXPECT_EQ(item(display, 64703).boundParameter, "Src.PP1_L6");
    EXPECT_EQ(item(display, 64802).boundParameter, "") << "level 7 without substitute";
    EXPECT_EQ(statusRow(display, 1), u"in use");
    EXPECT_EQ(statusRow(display, 2), u"");

    // Selecting Temperature on the display rebinds the rows to its levels.
    EXPECT_EQ(display.injectValue(64101, 29, 1), 1);
    EXPECT_EQ(item(display, 64202).boundParameter, "Src.PP2_L1");
    EXPECT_EQ(item(display, 64303).boundParameter, "Src.PP2_L2");
    EXPECT_EQ(item(display, 64402).boundParameter, "") << "level 3 has no source";
    EXPECT_EQ(statusRow(display, 1), u"in use");

    // A status change shows at the display's next refresh command.
    setSource(space.tree(), "Src.PP2_L1", 21.0, PreProcessing::kStatusOOC);
    ASSERT_TRUE(space.cycle());
    EXPECT_EQ(statusRow(display, 1), u"in use") << "nothing is sent before the command";
    EXPECT_EQ(display.deliver(64000, 7), 1);
    EXPECT_EQ(statusRow(display, 1), u"OOC");
    EXPECT_EQ(statusRow(display, 2), u"in use");
    EXPECT_EQ(item(display, 64204).text, u"A") << "level 1 not good: its alarm mark";

    // A parameter change refreshes the object: the next refresh command rebuilds the list.
    space.tree().setText("PP.PP_2.Name", u"Gas temperature");
    refreshRequested = true;
    ASSERT_TRUE(space.cycle());
    EXPECT_EQ(display.deliver(64000, 7), 1);
    EXPECT_EQ(item(display, 64101).entries.at(1), u"Gas temperature");
    EXPECT_EQ(item(display, 64101).selection, 1) << "the selection survives";

    // Opened from the display context of a PP line.
    display.setContext(std::string("Calorant.I1.PP.PP_1"));
    EXPECT_EQ(display.deliver(64000, 3), 1);
    EXPECT_EQ(item(display, 64101).selection, 0);
    EXPECT_EQ(item(display, 64202).boundParameter, "Src.PP1_L1");

    // Records of other items are not the page's.
    EXPECT_EQ(display.deliver(2000, 2), 0);

    std::ostringstream state;
    display.printState(state);
    EXPECT_NE(state.str().find("64101 list entries=[\"Pressure\",\"Gas temperature\","),
              std::string::npos)
        << state.str();
    EXPECT_NE(state.str().find("64205 text=\"in use\""), std::string::npos) << state.str();
}

TEST(PPDisplayPageEndToEnd, NothingIsSentBeforeTheObjectsFirstRefresh) {
    DisplayAddressSpace space(pageProgram(kTree, false));
    ASSERT_TRUE(space.started());
    sim::DisplayService& display = space.display();
    display.takeSent();  // the client's start command
    EXPECT_EQ(display.deliver(64000, 2), 1) << "the page's record all the same";
    EXPECT_EQ(display.injectValue(64101, 29, 1), 1);
    EXPECT_TRUE(display.takeSent().empty()) << "the page has no service object yet";

    refreshRequested = true;
    ASSERT_TRUE(space.cycle());
    EXPECT_EQ(display.deliver(64000, 7), 1);
    EXPECT_EQ(item(display, 64101).entries.size(), 7u) << "the refresh gave it one";
    EXPECT_EQ(item(display, 64101).selection, 1);
}

TEST(PPDisplayPageEndToEnd, CommandsWithoutATreeAreAnsweredZeroAndTheProgramGoesOn) {
    DisplayAddressSpace space(pageProgram(""));
    ASSERT_TRUE(space.started());
    EXPECT_EQ(space.display().deliver(64000, 2), 0);
    EXPECT_EQ(space.display().deliver(64101, 29, {1}), 0);
    EXPECT_EQ(space.display().model().itemIds(), std::vector<uint32_t>{0})
        << "only the start command was sent";
    EXPECT_EQ(space.display().takeSent().size(), 1u);
    EXPECT_TRUE(space.cycle()) << "the program goes on";
}

}  // namespace
