// The null check: pointers pass unchanged, a null pointer throws a text naming its expression.
#include <gtest/gtest.h>

#include <string>

#include "util/Helper.h"

namespace {

// The text is the header's repository path, ":25 ", the expression and " is NULL".
void expectNullText(const std::string& text, const std::string& expression) {
    const std::string tail = ":25 " + expression + " is NULL";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.substr(0, text.size() - tail.size()), "util/Helper.h");
}

TEST(CheckNotNull, NonNullPointerComesBackUnchanged) {
    int value = 4;
    const char* text = "x";
    EXPECT_EQ(checkNotNull(&value, "anything"), &value);
    EXPECT_EQ(checkNotNull(text, ""), text);
}

TEST(CheckNotNull, NullThrowsWithPathLineAndExpression) {
    const std::string expressions[] = {
        "myGeneralNode.getA_gen()",
        "GetRootNodeOfTree( pTheFbDoTree )",  // inner blanks stand as written
        "dewPointsNode.getImp_DSdp( )",
        "",
    };
    for (const std::string& expression : expressions) {
        SCOPED_TRACE(expression);
        int* missing = nullptr;
        try {
            checkNotNull(missing, expression);
            ADD_FAILURE() << "no exception";
        } catch (const std::invalid_argument& error) {
            expectNullText(error.what(), expression);
        }
    }
}

TEST(CheckNotNull, EveryPointerTypeBehavesAlike) {
    struct Node;
    const Node* node = nullptr;
    EXPECT_THROW(checkNotNull(node, "node"), std::invalid_argument);
    void* nothing = nullptr;
    EXPECT_THROW(checkNotNull(nothing, "nothing"), std::invalid_argument);
}

}  // namespace
