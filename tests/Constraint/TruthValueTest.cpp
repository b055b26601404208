#include "Constraint/BRIX_TruthValue.h"

#include "support/ExprBuilders.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace {

// Values by code: 0 unknown, 1 true, 2 false, 3 both.
TEST(TruthValue, ConnectivesOverAllPairs) {
    struct Row {
        std::uint32_t a;
        std::uint32_t andWith[4], orWith[4], impliesWith[4], equivalentTo[4];
    };
    // and: certainly true when both are, certainly false when either is;
    // or: the dual; implies: (not a) or b; equivalence: implication both ways.
    const Row rows[] = {
        {0, {0, 0, 2, 2}, {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 0, 0, 1}},
        {1, {0, 1, 2, 3}, {1, 1, 1, 1}, {0, 1, 2, 3}, {0, 1, 2, 3}},
        {2, {2, 2, 2, 2}, {0, 1, 2, 3}, {1, 1, 1, 1}, {0, 2, 1, 3}},
        {3, {2, 3, 2, 3}, {1, 1, 3, 3}, {1, 1, 3, 3}, {1, 3, 3, 3}},
    };
    const std::uint32_t negated[4] = {0, 2, 1, 3};
    for (const Row& row : rows) {
        TruthValue a = TruthValue::FromBits(row.a);
        EXPECT_EQ(Not(a).Bits(), negated[row.a]) << row.a;
        for (std::uint32_t b = 0; b < 4; ++b) {
            TruthValue v = TruthValue::FromBits(b);
            EXPECT_EQ(And(a, v).Bits(), row.andWith[b]) << row.a << " and " << b;
            EXPECT_EQ(Or(a, v).Bits(), row.orWith[b]) << row.a << " or " << b;
            EXPECT_EQ(Implies(a, v).Bits(), row.impliesWith[b]) << row.a << " implies " << b;
            EXPECT_EQ(Equivalence(a, v).Bits(), row.equivalentTo[b]) << row.a << " eqv " << b;
            EXPECT_EQ(Difference(a, v).Bits(), row.a & ~b & 3u);
            EXPECT_EQ(a == v, row.a == b);
        }
    }
}

TEST(TruthValue, ConstructionTestsAndText) {
    struct Case {
        TruthValue built;  // from (possiblyTrue, certainlyTrue)
        TruthValue named;
        bool certainlyTrue, certainlyFalse, isTrue, isFalse;
        const char* text;
    };
    const Case cases[] = {
        {TruthValue(true, false), TruthValue::Unknown(), false, false, false, false, "[  ]"},
        {TruthValue(true, true), TruthValue::True(), true, false, true, false, "[ true ]"},
        {TruthValue(false, false), TruthValue::False(), false, true, false, true, "[ false ]"},
        {TruthValue(false, true), TruthValue::Both(), true, true, false, false, "[ true, false ]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.built, c.named) << c.text;
        EXPECT_EQ(c.built.CertainlyTrue(), c.certainlyTrue) << c.text;
        EXPECT_EQ(c.built.CertainlyFalse(), c.certainlyFalse) << c.text;
        EXPECT_EQ(c.built.IsTrue(), c.isTrue) << c.text;
        EXPECT_EQ(c.built.IsFalse(), c.isFalse) << c.text;
        EXPECT_EQ(c.built.IsUnknown(), c.built == TruthValue()) << c.text;
        EXPECT_EQ(Text(TruthToExpr(c.built)), c.text);
    }
}

}  // namespace
