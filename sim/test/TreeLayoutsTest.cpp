// The check before a run that a Calorant tree is the layout its taste selects: each of the three
// model trees fits its own taste only; a tree of no Calorant layout fits any taste.
#include <gtest/gtest.h>

#include <string>

#include "HostTree.h"
#include "Scenario.h"
#include "ScenarioFields.h"
#include "TreeLayouts.h"

namespace {

const std::string kRepository = REPOSITORY_DIR;

// The refusal of `taste` with the tree model `tree` (relative to the repository), or "".
std::string refusal(const std::string& taste, const std::string& tree) {
    const std::unique_ptr<host::HostTree> model =
        host::HostTree::fromFile(kRepository + "/" + tree);
    sim::Scenario scenario;
    scenario.file = "s.json";
    scenario.taste = taste;
    scenario.treeFile = tree;
    try {
        sim::checkTreeFitsTaste(scenario, *model);
    } catch (const sim::ScenarioError& error) {
        return error.what();
    }
    return "";
}

TEST(TreeLayoutsTest, EachCalorantTreeFitsTheTasteOfItsLayoutOnly) {
    const char* const defaultTree = "gascalc/model/CalorantDefault.json";
    const char* const zm1Tree = "gascalc/model/CalorantZM1.json";
    const char* const bm1Tree = "gascalc/model/CalorantBM1.json";
    const struct {
        const char* taste;
        const char* tree;
        bool fits;
    } cases[] = {
        {"", defaultTree, true},
        {"ZM1", zm1Tree, true},
        {"BM1", bm1Tree, true},
        {"ZM1", defaultTree, false},
        {"BM1", defaultTree, false},
        {"", zm1Tree, false},
        {"BM1", zm1Tree, false},
        {"", bm1Tree, false},
        {"ZM1", bm1Tree, false},
        // Only "ZM1" and "BM1" exactly select their layouts; any other name the Default one.
        {"zm1", defaultTree, true},
        {"zm1", zm1Tree, false},
        {"Other", defaultTree, true},
        // Vesk-Prog does not read the taste.
        {"ZM1", "examples/vesk/tree.json", true},
        {"", "examples/vesk/tree.json", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.taste) + " " + c.tree);
        const std::string message = refusal(c.taste, c.tree);
        EXPECT_EQ(message.empty(), c.fits) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
    EXPECT_EQ(refusal("ZM1", defaultTree),
              "s.json: \"taste\": \"ZM1\" needs a tree of the ZM1 layout "
              "(gascalc/model/CalorantZM1.json), but \"tree\" "
              "\"gascalc/model/CalorantDefault.json\" has the Default layout (taste \"\")");
}

}  // namespace
