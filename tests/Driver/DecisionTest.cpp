// What the solver decides outright: sentences whose truth touches a bound of
// a quantifier's box, and free boxes whose edges lie on the boundary of F.
#include "Driver/BRIX_Solve.h"
#include "Driver/DecisionTestSupport.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using brix::BoxBounds;
using brix::Solve;
using brix::SolveOptions;
using brix::SolveResult;
using brix::Truth;

// Closed sentences decided in a few steps, each touching a bound with
// equality: interval arithmetic proves them once a zero of p counts on the
// side of the relation it belongs to.
TEST(Decision, SentencesTouchingABound) {
    const struct {
        const char* sentence;
        Truth truth;
    } cases[] = {
        {"FORALL([y], [[0, 1]], y <= 1)", Truth::True},
        {"FORALL([y], [[0, 1]], y^2 <= y)", Truth::True},
        {"EXISTS([y], [[0, 1]], y > 1)", Truth::False},
        {"FORALL([x], [[1, 1]], x >= 1)", Truth::True},
        {"EXISTS([y], [[0, 0]], y = 0)", Truth::True},
        {"FORALL([y], [[0, 1]], y < 1)", Truth::False},
        {"EXISTS([y], [[-1, 0]], y^2 + y^3 >= 0 /\\ y >= 0)", Truth::True},
        {"FORALL([x, y], [[0, 1], [0, 1]], x*y <= 1)", Truth::True},
        {"FORALL([x], [[0, 2]], EXISTS([y], [[0, 2]], x - y <= 0))", Truth::True},
        {"EXISTS([x], [[0, 2]], FORALL([y], [[0, 2]], x - y > 0))", Truth::False},
        {"EXISTS([x], [[0, 2]], FORALL([y], [[0, 2]], x - y >= 0))", Truth::True},
        {"EXISTS([y], [[0, 1]], y <= 0)", Truth::True},
        {"FORALL([y], [[0, 1]], y > 0)", Truth::False},
        {"EXISTS([y], [[-1, 1]], y^2 <= 0)", Truth::True},
        {"FORALL([y, z], [[0, 1], [0, 1]], y + z < 2)", Truth::False},
    };
    for (const auto& c : cases) {
        SolveResult r = Solve(c.sentence, {}, {}, Eps(0));
        ASSERT_TRUE(r.solved) << c.sentence << ": " << r.error;
        EXPECT_EQ(r.truth, c.truth) << c.sentence;
        EXPECT_TRUE(r.complete) << c.sentence;
        EXPECT_FALSE(r.precisionLost) << c.sentence;
    }
}

// The box of the free variables ends where F's boundary is: no open sliver
// is left at the edge, even with the error bound 0.
TEST(Decision, NoOpenSliverAtTheEdgeOfB) {
    const struct {
        const char* constraint;
        BoxBounds box;
        bool holds;
    } cases[] = {
        {"x <= 1", {{0, 1}}, true},
        {"x >= 0", {{0, 1}}, true},
        {"x < 0", {{0, 1}}, false},
        {"x^2 <= x", {{0, 1}}, true},
        {"x + y <= 2", {{0, 1}, {0, 1}}, true},
        {"x * y > 1", {{-1, 1}, {-1, 1}}, false},
    };
    for (const auto& c : cases) {
        SolveResult r = Solve(c.constraint, {"x", "y"}, c.box, Eps(0));
        if (c.box.size() == 1) {
            r = Solve(c.constraint, {"x"}, c.box, Eps(0));
        }
        ASSERT_TRUE(r.solved) << c.constraint << ": " << r.error;
        EXPECT_TRUE(r.complete) << c.constraint;
        EXPECT_TRUE(r.openBoxes.empty()) << c.constraint;
        EXPECT_TRUE((c.holds ? r.falseBoxes : r.trueBoxes).empty()) << c.constraint;
    }
}

// Inside a quantifier the edge of the free box counts too: x*y <= 1/2 for all
// y in [0, 1] holds exactly for x <= 1/2, which is decided up to one double.
TEST(Decision, QuantifiedEdgeLeavesAtMostOneDouble) {
    SolveResult r = Solve("FORALL([y], [[0, 1]], x*y <= 0.5) /\\ x >= 0", {"x"}, {{0, 1}}, Eps(0));
    ASSERT_TRUE(r.solved) << r.error;
    for (const BoxBounds& b : r.trueBoxes) {
        EXPECT_LE(b[0].hi, 0.5);
    }
    for (const BoxBounds& b : r.falseBoxes) {
        EXPECT_GT(b[0].lo, 0.5);
    }
    ASSERT_EQ(r.openBoxes.size(), 1u);
    EXPECT_EQ(r.openBoxes[0][0].lo, 0.5);
    EXPECT_EQ(r.openBoxes[0][0].hi, 0x1.0000000000001p-1);
    EXPECT_TRUE(r.precisionLost);
}

// Numbers are the reals typed. Exact arithmetic decides what rounding to
// the nearest double once made false; bounds of a quantifier's box that are
// no doubles are covered when the quantifier holds for all of them and never
// left for a witness: the double just below 0.1 satisfies y < 0.1, but it is
// no point of [0.1, 0.2].
TEST(Decision, NumbersAreTheRealsTyped) {
    const struct {
        const char* sentence;
        Truth truth;
    } decided[] = {
        {"EXISTS([x], [[0, 1]], x >= 0 /\\ 0.1 > 0.09999999999999999999)", Truth::True},
        {"EXISTS([x], [[0, 1]], x * 9007199254740993 > x * 9007199254740992)", Truth::True},
        {"FORALL([x], [[0, 1]], x * 0.1 * 10 <= x)", Truth::True},
        {"EXISTS([y], [[0.1, 0.2]], 10 y = 1.5)", Truth::True},
        {"FORALL([y], [[0.1, 0.2]], y > 0.05)", Truth::True},
        {"EXISTS([y], [[0.1, 0.2]], y > 0.3)", Truth::False},
    };
    for (const auto& c : decided) {
        SolveResult r = Solve(c.sentence, {}, {}, Eps(0));
        ASSERT_TRUE(r.solved) << c.sentence << ": " << r.error;
        EXPECT_EQ(r.truth, c.truth) << c.sentence;
    }
    const struct {
        const char* sentence;
        Truth wrong;
    } touching[] = {
        {"EXISTS([y], [[0.1, 0.2]], y < 0.1)", Truth::True},
        {"FORALL([y], [[0.1, 0.2]], y >= 0.1)", Truth::False},
        {"EXISTS([y], [[0.1, 0.2]], y > 0.2)", Truth::True},
        {"FORALL([y], [[0.3, 0.3]], 10 y <= 3)", Truth::False},
        {"EXISTS([x], [[0, 1]], 0.1 + 0.2 != 0.3)", Truth::True},
    };
    for (const auto& c : touching) {
        SolveOptions options = Eps(0);
        options.timeoutSeconds = 0.5;
        SolveResult r = Solve(c.sentence, {}, {}, options);
        ASSERT_TRUE(r.solved) << c.sentence << ": " << r.error;
        EXPECT_NE(r.truth, c.wrong) << c.sentence;
    }
}

// Projections: an EXISTS over an equation holds where a root of p lies
// between two points of opposite sign, which continuity finds from any
// starting box; the true boxes lie inside the projection, the false ones
// outside, and the open share ends under the error bound.
TEST(Decision, ProjectionsOfEquations) {
    const struct {
        const char* constraint;
        BoxBounds box;
        double lo, hi;  // the projection within the box: [lo, hi]
    } cases[] = {
        {"EXISTS([y], [[0, 2]], y = x)", {{0.5, 1}}, 0.5, 1},
        {"EXISTS([y], [[0, 2]], y - x = 0)", {{-1, 3}}, 0, 2},
        {"EXISTS([y], [[0, 2]], y^3 - y = x)", {{-1, 7}}, -0.3849001794597506, 6},
        {"EXISTS([y, z], [[0, 1], [0, 1]], y + z = x)", {{-1, 3}}, 0, 2},
        {"EXISTS([y], [[-1, 1]], y^2 = x)", {{-1, 2}}, 0, 1},
    };
    for (const auto& c : cases) {
        SolveResult r = Solve(c.constraint, {"x"}, c.box, Eps(0.01));
        ASSERT_TRUE(r.solved) << c.constraint << ": " << r.error;
        EXPECT_TRUE(r.complete) << c.constraint;
        double open = 0;
        for (const BoxBounds& b : r.openBoxes) {
            open += b[0].hi - b[0].lo;
        }
        EXPECT_LE(open, 0.01 * (c.box[0].hi - c.box[0].lo)) << c.constraint;
        for (const BoxBounds& b : r.trueBoxes) {
            EXPECT_TRUE(c.lo - 1e-9 <= b[0].lo && b[0].hi <= c.hi + 1e-9) << c.constraint;
        }
        for (const BoxBounds& b : r.falseBoxes) {
            EXPECT_TRUE(b[0].hi <= c.lo + 1e-9 || c.hi - 1e-9 <= b[0].lo) << c.constraint;
        }
    }
}

}  // namespace
