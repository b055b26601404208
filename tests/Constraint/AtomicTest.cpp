#include "Constraint/BRIX_Atomic.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Atomic, RelationTables) {
    struct Case {
        int relation;
        const char* text;
        int negated;
        int opposite;
    };
    const Case cases[] = {
        {BRIX_Less, " < ", BRIX_GreaterEqual, BRIX_Greater},
        {BRIX_LessEqual, " <= ", BRIX_Greater, BRIX_GreaterEqual},
        {BRIX_Greater, " > ", BRIX_LessEqual, BRIX_Less},
        {BRIX_GreaterEqual, " >= ", BRIX_Less, BRIX_LessEqual},
        {BRIX_Equal, " = ", BRIX_NotEqual, BRIX_NotEqual},
        {BRIX_NotEqual, " != ", BRIX_Equal, BRIX_Equal},
        {-1, " ERROR! ", -1, -1},
        {6, " ERROR! ", 6, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(RelationText(c.relation)), c.text) << c.relation;
        EXPECT_EQ(NegatedRelation(c.relation), c.negated) << c.relation;
        EXPECT_EQ(OppositeRelation(c.relation), c.opposite) << c.relation;
    }
}

}  // namespace
