// Reads and writes of node values and status words: every kind, defaults, nodes not in use,
// null statuses, NaN and infinities, UTF-16 texts and leaf access.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TreeTestModel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class TreeReadWriteTest : public ::testing::Test {
  protected:
    std::unique_ptr<host::HostTree> tree = treetest::makeTree();
    FbDoNode node(const char* path) { return tree->at(path); }
};

TEST_F(TreeReadWriteTest, ReadsGiveValueAndStatusOfEveryNumericKind) {
    uint32_t status = 0xFFFFFFFF;
    EXPECT_EQ(FbDo_ReadDouble(node("D"), 0.0, &status, 0), 2.5);
    EXPECT_EQ(status, 0x400u);
    EXPECT_EQ(FbDo_ReadDoubleWithStatus(node("D"), 0.0, nullptr, &status, 0), 2.5);
    EXPECT_EQ(FbDo_ReadInteger(node("I"), 0, nullptr, nullptr, &status, 0), -7);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(FbDo_ReadUnsigned(node("U"), 0, nullptr, nullptr, nullptr, 0), 4000000000u);
    EXPECT_EQ(FbDo_ReadUint32(node("U"), 0, nullptr, 0), 4000000000u);
    EXPECT_EQ(FbDo_ReadWordWithStatus(node("General.W"), 127, &status, 0), 0xdeadbeefu);
    EXPECT_EQ(FbDo_ReadBool(node("General.A_gen"), 1, nullptr, nullptr, &status, 0), 0u);
    EXPECT_EQ(FbDo_ReadDouble(node("I"), 0.0, nullptr, 0), -7.0);
    EXPECT_EQ(FbDo_ReadDouble(node("U"), 0.0, nullptr, 0), 4000000000.0);
}

TEST_F(TreeReadWriteTest, NotInUseReadsGiveTheDefaultAndOou) {
    tree->setInUse("D", false);
    uint32_t status = 0;
    EXPECT_EQ(FbDo_ReadDouble(node("D"), -1.5, &status, 0), -1.5);
    EXPECT_EQ(status, 0x400u | kFbDoStatusNotInUse);
    EXPECT_EQ(FbDo_ReadUint32(node("D"), 42, &status, 0), 42u);
    // Imp_zeroQn: a true bool with status 8, not in use.
    EXPECT_EQ(FbDo_ReadBool(node("General.Imp_zeroQn"), 0, nullptr, nullptr, &status, 0), 0u);
    EXPECT_EQ(status, 8u | kFbDoStatusNotInUse);
    EXPECT_FALSE(FbDo_IsInUse(node("General.Imp_zeroQn")));
    EXPECT_FALSE(FbDo_IsActive(node("General.Imp_zeroQn")));
    EXPECT_EQ(FbDo_LeafStatus(FbDo_FindLeaf(node("General.Imp_zeroQn"), kFbDoLeafStatus)), 9u);
    // The value itself is kept and shows again once the node is in use.
    tree->setInUse("D", true);
    EXPECT_EQ(FbDo_ReadDouble(node("D"), -1.5, &status, 0), 2.5);
    EXPECT_EQ(status, 0x400u);
}

TEST_F(TreeReadWriteTest, UnreadableNodesGiveTheDefault) {
    uint32_t status = 0;
    EXPECT_EQ(FbDo_ReadDouble(nullptr, 3.0, &status, 0), 3.0);
    EXPECT_EQ(status, kFbDoStatusNotInUse);
    EXPECT_EQ(FbDo_ReadInteger(node("General"), 5, nullptr, nullptr, &status, 0), 5);
    EXPECT_EQ(status, kFbDoStatusNotInUse);
    EXPECT_EQ(FbDo_ReadUint32(node("Label"), 9, &status, 0), 9u);
    EXPECT_EQ(FbDo_ReadWordWithStatus(nullptr, 127, nullptr, 0), 127u);
    EXPECT_TRUE(std::isnan(FbDo_ReadLiveDouble(nullptr)));
    EXPECT_TRUE(std::isnan(FbDo_ReadLiveDouble(node("General"))));
}

TEST_F(TreeReadWriteTest, DoublesKeepNaNAndInfinities) {
    for (double value : {kNaN, kInf, -kInf, -0.0, 1e308}) {
        const uint32_t status = 0x400;
        ASSERT_EQ(FbDo_WriteDouble(node("D"), value, &status), 0);
        const double read = FbDo_ReadDouble(node("D"), 0.0, nullptr, 0);
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(read));
        } else {
            EXPECT_EQ(read, value);
            EXPECT_EQ(std::signbit(read), std::signbit(value));
        }
    }
    EXPECT_TRUE(std::isnan(FbDo_ReadLiveDouble(node("General.Imp_Qn"))));
    EXPECT_EQ(FbDo_ReadDouble(node("General.Inf"), 0.0, nullptr, 0), -kInf);
}

TEST_F(TreeReadWriteTest, WriteWithNullStatusKeepsTheStatus) {
    ASSERT_EQ(FbDo_WriteDouble(node("D"), 7.0, nullptr), 0);
    EXPECT_EQ(tree->status("D"), 0x400u);
    EXPECT_EQ(tree->doubleValue("D"), 7.0);
    const uint32_t ok = 0;
    ASSERT_EQ(FbDo_WriteDouble(node("D"), 8.0, &ok), 0);
    EXPECT_EQ(tree->status("D"), 0u);
    const uint32_t oou = 1;
    ASSERT_EQ(FbDo_WriteBool(node("General.A_gen"), 5, nullptr, nullptr, &oou), 0);
    EXPECT_TRUE(tree->boolValue("General.A_gen"));
    EXPECT_EQ(tree->status("General.A_gen"), 1u);
    ASSERT_EQ(FbDo_WriteBool(node("General.A_gen"), 0, nullptr, nullptr, nullptr), 0);
    EXPECT_FALSE(tree->boolValue("General.A_gen"));
    EXPECT_EQ(tree->status("General.A_gen"), 1u);
}

TEST_F(TreeReadWriteTest, WriteOfTheHeldValueStillSetsItsStatusAndExactBits) {
    // D holds 2.5 with status 0x400: the same value with another status changes the status.
    const uint32_t good = 0;
    ASSERT_EQ(FbDo_WriteDouble(node("D"), 2.5, &good), 0);
    EXPECT_EQ(tree->status("D"), 0u);
    // -0.0 compares equal to 0.0 but is another value: its sign bit is kept either way.
    ASSERT_EQ(FbDo_WriteDouble(node("D"), 0.0, &good), 0);
    ASSERT_EQ(FbDo_WriteDouble(node("D"), -0.0, &good), 0);
    EXPECT_TRUE(std::signbit(tree->doubleValue("D")));
    ASSERT_EQ(FbDo_WriteDouble(node("D"), 0.0, &good), 0);
    EXPECT_FALSE(std::signbit(tree->doubleValue("D")));
    // NaN compares unequal to itself: a repeated NaN with a new status sets that status.
    const uint32_t invalid = 0x400;
    ASSERT_EQ(FbDo_WriteDouble(node("D"), kNaN, &good), 0);
    ASSERT_EQ(FbDo_WriteDouble(node("D"), kNaN, &invalid), 0);
    EXPECT_TRUE(std::isnan(tree->doubleValue("D")));
    EXPECT_EQ(tree->status("D"), 0x400u);
    // The same for word nodes: the held word with a new status.
    ASSERT_EQ(FbDo_WriteLiveOutput(node("General.W"), 0xdeadbeefu, &invalid), 0);
    EXPECT_EQ(tree->wordValue("General.W"), 0xdeadbeefu);
    EXPECT_EQ(tree->status("General.W"), 0x400u);
}

TEST_F(TreeReadWriteTest, WritesConvertToTheNodeKindWithoutOverflow) {
    struct Case {
        const char* path;
        double written;
        uint32_t expectedWord;
    };
    const Case cases[] = {
        {"I", 1e12, 0x7FFFFFFFu},
        {"I", -1e12, 0x80000000u},
        {"I", kNaN, 0u},
        {"I", -2.9, 0xFFFFFFFEu},
        {"U", -5.0, 0u},
        {"U", kInf, 0xFFFFFFFFu},
        {"General.A_gen", 0.5, 1u},
        {"General.A_gen", kNaN, 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.written));
        ASSERT_EQ(FbDo_WriteDouble(node(c.path), c.written, nullptr), 0);
        EXPECT_EQ(tree->wordValue(c.path), c.expectedWord);
    }
    ASSERT_EQ(FbDo_WriteLiveOutput(node("D"), 0x4000, nullptr), 0);
    EXPECT_EQ(tree->doubleValue("D"), 16384.0);
    ASSERT_EQ(FbDo_WriteLiveOutput(node("General.W"), 0x80000001u, nullptr), 0);
    EXPECT_EQ(FbDo_ReadWordWithStatus(node("General.W"), 0, nullptr, 0), 0x80000001u);
}

TEST_F(TreeReadWriteTest, NodesWithoutValueRefuseWrites) {
    const uint32_t status = 0;
    EXPECT_NE(FbDo_WriteDouble(nullptr, 1.0, &status), 0);
    EXPECT_NE(FbDo_WriteDouble(node("General"), 1.0, &status), 0);
    EXPECT_NE(FbDo_WriteBool(node("Oxygen"), 1, nullptr, nullptr, nullptr), 0);
    EXPECT_NE(FbDo_WriteLiveOutput(node("Label"), 1, nullptr), 0);
    EXPECT_EQ(tree->textValue("Label"), u"O\u2082 \U0001D11E sensor");
    EXPECT_THROW(tree->setDouble("General", 1.0), std::invalid_argument);
    EXPECT_THROW(tree->setBool("D", true), std::invalid_argument);
    EXPECT_THROW(tree->setText("D", u"x"), std::invalid_argument);
}

// A write through a null handle is refused as on the device, and counted for the tests; a
// refused write through a node without a value is not such a write.
TEST_F(TreeReadWriteTest, WritesThroughANullHandleAreCounted) {
    const uint64_t before = host::nullNodeWriteCount();
    EXPECT_NE(FbDo_WriteDouble(node("General"), 1.0, nullptr), 0);
    EXPECT_EQ(host::nullNodeWriteCount(), before);
    EXPECT_NE(FbDo_WriteDouble(nullptr, 1.0, nullptr), 0);
    EXPECT_NE(FbDo_WriteBool(nullptr, 1, nullptr, nullptr, nullptr), 0);
    EXPECT_NE(FbDo_WriteLiveOutput(nullptr, 1, nullptr), 0);
    EXPECT_EQ(host::nullNodeWriteCount(), before + 3);
}

TEST_F(TreeReadWriteTest, TextsAreUtf16WithTheirDefault) {
    std::u16string text;
    uint32_t status = 5;
    EXPECT_EQ(FbDo_ReadText(node("Label"), &text, u"none", nullptr, nullptr, &status, 0), 0);
    EXPECT_EQ(text, u"O\u2082 \U0001D11E sensor");
    EXPECT_EQ(text.size(), 12u);  // the clef is a surrogate pair
    EXPECT_EQ(status, 0u);
    tree->setText("Label", u"\u00c4nderung");
    EXPECT_EQ(FbDo_ReadText(node("Label"), &text, nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(text, u"\u00c4nderung");
    tree->setInUse("Label", false);
    EXPECT_NE(FbDo_ReadText(node("Label"), &text, u"none", nullptr, nullptr, &status, 0), 0);
    EXPECT_EQ(text, u"none");
    EXPECT_EQ(status, kFbDoStatusNotInUse);
    EXPECT_NE(FbDo_ReadText(node("D"), &text, nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(text, u"");
    EXPECT_NE(FbDo_ReadText(node("D"), nullptr, nullptr, nullptr, nullptr, nullptr, 0), 0);
}

TEST_F(TreeReadWriteTest, LeavesReadAndSetTheirNode) {
    FbDoLeaf value = FbDo_GetLeaf(node("General.A_gen"), kFbDoLeafValue);
    FbDoLeaf status = FbDo_GetLeaf(node("General.A_gen"), kFbDoLeafStatus);
    EXPECT_EQ(FbDo_ReadLeafValue(value), 0u);
    tree->setBool("General.A_gen", true);
    EXPECT_EQ(FbDo_ReadLeafValue(value), 1u);
    tree->setInUse("General.A_gen", false);
    EXPECT_EQ(FbDo_ReadLeafValue(value), 1u);  // the live value, whatever the in-use flag
    EXPECT_EQ(FbDo_SetLeafStatus(status, 0x4000), 0);
    EXPECT_EQ(tree->status("General.A_gen"), 0x4000u);
    EXPECT_EQ(FbDo_LeafStatus(status), 0x4001u);
    // A leaf of the wrong number, or none, reads nothing.
    EXPECT_EQ(FbDo_ReadLeafValue(status), 0u);
    EXPECT_EQ(FbDo_LeafStatus(value), kFbDoStatusNotInUse);
    EXPECT_EQ(FbDo_ReadLeafValue(nullptr), 0u);
    EXPECT_NE(FbDo_SetLeafStatus(nullptr, 1), 0);
    EXPECT_EQ(FbDo_ReadLeafValue(FbDo_GetLeaf(node("D"), kFbDoLeafValue)), 0u);
}

TEST_F(TreeReadWriteTest, NodeQueries) {
    EXPECT_EQ(FbDo_NodeCountQuery(node("General")), 6u);
    EXPECT_EQ(FbDo_NodeCountQuery(tree->root()), 11u);
    EXPECT_EQ(FbDo_NodeCountQuery(node("12.Count")), 2u);
    tree->setInUse("12.Count", false);
    EXPECT_EQ(FbDo_NodeCountQuery(node("12.Count")), 0u);
    EXPECT_EQ(FbDo_NodeCountQuery(node("D")), 0u);
    EXPECT_EQ(FbDo_NodeCountQuery(nullptr), 0u);

    EXPECT_EQ(FbDo_QueryNodeState(node("D")), 0x400u);
    EXPECT_EQ(FbDo_QueryNodeState(node("General.Imp_zeroQn")), 9u);
    EXPECT_EQ(FbDo_QueryNodeState(node("General")), 0u);
    EXPECT_EQ(FbDo_QueryNodeState(nullptr), kFbDoStatusNotInUse);

    EXPECT_NE(FbDo_QueryNode(node("D")), 0);
    EXPECT_NE(FbDo_QueryNode(node("p_imp")), 0);
    EXPECT_EQ(FbDo_QueryNode(node("free_imp")), 0);  // not connected
    EXPECT_EQ(FbDo_QueryNode(node("General.Imp_zeroQn")), 0);
    EXPECT_EQ(FbDo_QueryNode(nullptr), 0);
}

TEST_F(TreeReadWriteTest, HostSettersReachEveryKind) {
    tree->setInteger("I", -100);
    EXPECT_EQ(FbDo_ReadInteger(node("I"), 0, nullptr, nullptr, nullptr, 0), -100);
    tree->setInteger("D", -3);
    EXPECT_EQ(tree->doubleValue("D"), -3.0);
    tree->setUnsigned("U", 12);
    EXPECT_EQ(tree->wordValue("U"), 12u);
    tree->setBool("General.TrigAvg_Hour", true);
    EXPECT_TRUE(tree->boolValue("General.TrigAvg_Hour"));
    tree->setStatus("U", 0x178f);
    EXPECT_EQ(tree->status("U"), 0x178fu);
    EXPECT_THROW(tree->setStatus("General", 1), std::invalid_argument);
    EXPECT_THROW(tree->setDouble("Nope", 1.0), std::out_of_range);
    auto other = treetest::makeTree();
    EXPECT_THROW(tree->setDouble(other->find("D"), 1.0), std::invalid_argument);
    EXPECT_EQ(host::HostTree::ofNode(other->find("D")), other.get());
    EXPECT_EQ(host::HostTree::of(tree->tree()), tree.get());
    EXPECT_EQ(host::HostTree::of(nullptr), nullptr);
}

}  // namespace
