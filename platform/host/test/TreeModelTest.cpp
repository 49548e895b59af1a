// Building a tree from its model: layout, names, numbers, leaves, initial values, refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "ScratchFolder.h"
#include "TreeTestModel.h"

namespace {

class TreeModelTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    FbDoNode root = tree->root();
};

TEST_F(TreeModelTest, ChildrenAreReachedByIndexWithGaps) {
    EXPECT_EQ(FbDo_GetChild(root, 4), tree->find("General"));
    EXPECT_EQ(FbDo_GetChild(root, 3), nullptr);
    EXPECT_EQ(FbDo_GetChild(root, 999), nullptr);
    EXPECT_EQ(FbDo_GetChild(nullptr, 0), nullptr);
    FbDoNode general = FbDo_GetChild(root, 4);
    EXPECT_EQ(FbDo_GetChild(general, 6), nullptr);
    EXPECT_EQ(FbDo_GetChild(general, 7), tree->find("General.A_gen"));
    EXPECT_EQ(FbDo_GetChild(general, 8), tree->find("General.W"));
    EXPECT_EQ(FbDo_GetChild(root, 5), tree->find("Label"));
}

TEST_F(TreeModelTest, FirstChildAndNextSiblingSkipGaps) {
    FbDoNode general = tree->find("General");
    std::vector<uint32_t> numbers;
    for (FbDoNode child = FbDo_FirstChild(general); child; child = FbDo_NextSibling(child)) {
        numbers.push_back(FbDo_NodeNumber(child));
    }
    EXPECT_EQ(numbers, (std::vector<uint32_t>{0, 1, 2, 3, 7, 8}));
    EXPECT_EQ(FbDo_FirstChild(tree->find("D")), nullptr);
    EXPECT_EQ(FbDo_NextSibling(root), nullptr);
    EXPECT_EQ(FbDo_NextSibling(nullptr), nullptr);
}

TEST_F(TreeModelTest, NodeNumbersDefaultToTheChildIndex) {
    EXPECT_EQ(FbDo_NodeNumber(tree->find("General")), 44u);
    EXPECT_EQ(FbDo_NodeNumber(tree->find("PP.PP_1")), 17u);
    EXPECT_EQ(FbDo_NodeNumber(tree->find("PP.PP_1.Out")), 19u);
    EXPECT_EQ(FbDo_NodeNumber(nullptr), 0u);
}

TEST_F(TreeModelTest, ParameterNamesAreDottedPathsThroughAlternatives) {
    std::string name;
    ASSERT_EQ(FbDo_ParameterName(tree->find("Oxygen.SNo2.CV_O2M"), &name, nullptr), 0);
    EXPECT_EQ(name, "Oxygen.SNo2.CV_O2M");
    ASSERT_EQ(FbDo_ParameterName(FbDo_GetChild(FbDo_GetChild(root, 12), 3), &name, nullptr), 0);
    EXPECT_EQ(name, "12.Count");  // an unnamed node is named by its index
    EXPECT_NE(FbDo_ParameterName(nullptr, &name, nullptr), 0);
    EXPECT_EQ(name, "");
    EXPECT_EQ(tree->find(""), root);
    EXPECT_EQ(tree->find("General.Nothing"), nullptr);
    EXPECT_THROW(tree->at("General.Nothing"), std::out_of_range);
}

TEST_F(TreeModelTest, KindsAndLeavesFollowTheModel) {
    struct Case {
        const char* path;
        FbDoNodeKind kind;
        bool structure;
        bool valueLeaves;
        bool referenceLeaf;
    };
    const Case cases[] = {
        {"General", kFbDoStructure, true, false, false},
        {"Oxygen", kFbDoChoice, true, false, false},
        {"D", kFbDoDouble, false, true, false},
        {"I", kFbDoInteger, false, true, false},
        {"U", kFbDoUnsigned, false, true, false},
        {"General.A_gen", kFbDoBool, false, true, false},
        {"General.W", kFbDoWord, false, true, false},
        {"General.TrigAvg_Hour", kFbDoTrigger, false, true, false},
        {"Label", kFbDoText, false, true, false},
        {"p_imp", kFbDoImport, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FbDoNode node = tree->find(c.path);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(FbDo_NodeKind(node), c.kind);
        EXPECT_EQ(tree->kind(c.path), c.kind);
        EXPECT_EQ(FbDo_IsStructureNode(node) != 0, c.structure);
        EXPECT_EQ(FbDo_FindLeaf(node, kFbDoLeafValue) != nullptr, c.valueLeaves);
        EXPECT_EQ(FbDo_GetLeaf(node, kFbDoLeafStatus) != nullptr, c.valueLeaves);
        EXPECT_EQ(FbDo_FindLeaf(node, kFbDoLeafDataReference) != nullptr, c.referenceLeaf);
        EXPECT_EQ(FbDo_FindLeaf(node, 3), nullptr);
    }
    EXPECT_EQ(FbDo_NodeKind(nullptr), 0);
}

TEST_F(TreeModelTest, InitialValuesIncludeNaNInfinityAndUtf16) {
    EXPECT_TRUE(std::isnan(tree->doubleValue("General.Imp_Qn")));
    EXPECT_EQ(tree->doubleValue("General.Inf"), -INFINITY);
    EXPECT_EQ(tree->status("D"), 0x400u);
    EXPECT_EQ(tree->integerValue("I"), -7);
    EXPECT_EQ(tree->wordValue("U"), 4000000000u);
    EXPECT_EQ(tree->wordValue("General.W"), 0xdeadbeefu);
    EXPECT_EQ(tree->textValue("Label"), u"O\u2082 \U0001D11E sensor");
    EXPECT_FALSE(tree->inUse("General.Imp_zeroQn"));
    EXPECT_EQ(tree->name(), "Fixture");
}

TEST_F(TreeModelTest, EachNodeHasItsOwnHandle) {
    const uint32_t d = FbDo_NodeHandle(tree->find("D"));
    const uint32_t i = FbDo_NodeHandle(tree->find("I"));
    EXPECT_NE(d, 0u);
    EXPECT_NE(d, i);
    EXPECT_EQ(tree->byHandle(d), tree->find("D"));
    EXPECT_EQ(FbDo_NodeHandle(nullptr), 0u);
    auto other = treetest::makeTree();
    EXPECT_NE(FbDo_NodeHandle(other->find("D")), d);
    EXPECT_EQ(other->byHandle(d), nullptr);
}

TEST(TreeModelErrors, MalformedModelsAreRefusedWithTheReason) {
    struct Case {
        const char* model;
        const char* reason;
    };
    const Case cases[] = {
        {R"({"root": {"children": [{"name": "x", "kind": "float"}]}})", "unknown kind"},
        {R"({"root": {"children": [{"name": "a"}, {"index": 0, "name": "b"}]}})",
         "two children with index 0"},
        {R"({"root": {"children": [{"name": "a"}, {"name": "a", "index": 3}]}})",
         "two nodes with this parameter name"},
        {R"({"root": {"children": [{"name": "i", "kind": "import", "source": "nowhere"}]}})",
         "no node \"nowhere\""},
        {R"({"root": {"children": [{"name": "a", "kind": "import", "source": "b"},
                                   {"name": "b", "kind": "import", "source": "a"}]}})",
         "loop"},
        {R"({"root": {"children": [{"name": "d", "kind": "double", "value": "nan"}]}})", "\"NaN\""},
        {R"({"root": {"children": [{"name": "i", "kind": "integer", "value": 2147483648}]}})",
         "out of range"},
        {R"({"root": {"children": [{"name": "s", "children": [], "value": 1}]}})", "no value"},
        {R"({"root": {"children": [{"name": "t", "kind": "text", "value": "\u00ff"}]}})", ""},
        {R"({"root": {"children": [{"name": "c", "alternatives": [{}]}]}})", "choice"},
        {R"({"root": {"children": [{"name": "a.b"}]}})", "no \".\""},
        {R"({"root": {"children": [{"name": "a", "inuse": false}]}})", "unknown member \"inuse\""},
        {R"({"name": "x"})", "no \"root\""},
        {R"({"root": {"children": [)", "parse error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        try {
            host::HostTree::fromJson(c.model);
            if (std::string(c.reason).empty()) {
                continue;  // a valid model among the refusals (JSON escapes are UTF-8)
            }
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
}

TEST(TreeModelErrors, MalformedUtf8TextIsRefused) {
    const std::string model =
        std::string(R"({"root": {"children": [{"name": "t", "kind": "text", "value": ")") +
        "\xed\xa0\x80" + R"("}]}})";
    EXPECT_THROW(host::HostTree::fromJson(model), std::runtime_error);
}

// A model whose root has a chain of `depth` nested structure nodes ("n.n.n...").
std::string nestedModel(size_t depth) {
    std::string model = R"({"root": )";
    for (size_t level = 0; level < depth; ++level) {
        model += R"({"name": "n", "children": [)";
    }
    model += "{}";
    for (size_t level = 0; level < depth; ++level) {
        model += "]}";
    }
    return model + "}";
}

TEST(TreeModelErrors, NestingIsLimitedToSixtyFourLevels) {
    // The root, 63 nodes "n" below it and the unnamed innermost node: 64 levels.
    auto deepest = host::HostTree::fromJson(nestedModel(64));
    std::string innermost;
    for (int level = 1; level < 64; ++level) {
        innermost += "n.";
    }
    EXPECT_NE(deepest->find(innermost + "0"), nullptr);
    for (size_t depth : {size_t{65}, size_t{30000}}) {
        SCOPED_TRACE(depth);
        try {
            host::HostTree::fromJson(nestedModel(depth));
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("deeper than 64 levels"), std::string::npos)
                << error.what();
        }
    }
}

TEST(TreeModelFile, LoadsFromAFileAndNamesAMissingOne) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("tree_model.json");
    {
        std::ofstream file(path);
        file << treetest::kModel;
    }
    auto tree = host::HostTree::fromFile(path);
    EXPECT_EQ(tree->doubleValue("D"), 2.5);
    EXPECT_THROW(host::HostTree::fromFile(path + ".missing"), std::runtime_error);
}

}  // namespace
