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

// Built from (possiblyTrue, certainlyTrue); "both" is neither true nor false.
TEST(TruthValue, ConstructionAndText) {
    const struct {
        TruthValue built;
        const char* text;
    } cases[] = {
        {TruthValue(true, false), "[  ]"},
        {TruthValue(true, true), "[ true ]"},
        {TruthValue(false, false), "[ false ]"},
        {TruthValue(false, true), "[ true, false ]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(TruthToExpr(c.built)), c.text);
    }
    EXPECT_EQ(TruthValue(false, true), TruthValue::Both());
    EXPECT_TRUE(TruthValue::Both().CertainlyTrue() && TruthValue::Both().CertainlyFalse());
    EXPECT_FALSE(TruthValue::Both().IsTrue() || TruthValue::Both().IsFalse());
}

}  // namespace
