// Point witnesses: an EXISTS true only on a thin region (or a FORALL refuted
// only there) is decided by one point of the bound box at which interval
// arithmetic proves the body, found by a dive through the bound box; such a
// point must lie in the quantifier's real domain.
#include "Driver/BRIX_Solve.h"
#include "Driver/DecisionTestSupport.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using brix::BoxBounds;
using brix::Solve;
using brix::SolveOptions;
using brix::SolveResult;
using brix::Truth;

// Without a witness these keep splitting: no box of the bound variables lies
// inside the thin region before the time-out.
TEST(Witness, ThinRegionsDecideTheSentence) {
    const struct {
        const char* sentence;
        Truth truth;
    } cases[] = {
        {"EXISTS([x, y], [[-1, 1], [-1, 1]], x^2 + y^2 >= 0.81 /\\ x^2 + y^2 <= 0.8101 /\\ "
         "x*y >= 0.4)",
         Truth::True},
        {"FORALL([x, y], [[-1, 1], [-1, 1]], x^2 + y^2 < 0.81 \\/ x^2 + y^2 > 0.8101 \\/ "
         "x*y < 0.4)",
         Truth::False},
        {"EXISTS([x, y, z], [[-1, 1], [-1, 1], [-1, 1]], x^2 + y^2 + z^2 >= 0.25 /\\ "
         "x^2 + y^2 + z^2 <= 0.2501 /\\ x + y + z >= 0.86)",
         Truth::True},
        {"EXISTS([x, y, z, w], [[0, 1], [0, 1], [0, 1], [0, 1]], x + y + z + w <= 1 /\\ "
         "x*y*z*w >= 0.0039)",
         Truth::True},
        // The witness of the outer EXISTS proves an inner FORALL.
        {"EXISTS([a], [[0, 2]], a >= 1 /\\ FORALL([x], [[-2, 2]], x^2 - a*x + 0.2501 > 0))",
         Truth::True},
    };
    for (const auto& c : cases) {
        SolveResult r = Solve(c.sentence, {}, {}, Eps(0));
        ASSERT_TRUE(r.solved) << c.sentence << ": " << r.error;
        EXPECT_EQ(r.truth, c.truth) << c.sentence;
        EXPECT_FALSE(r.timedOut) << c.sentence;
    }
}

// Just past the maximum there is no witness: xy <= r^2 / 2 < 0.406 on the
// ring, xyzw <= 1/256 < 0.0040 on the simplex. Nothing may be claimed for
// them but false.
TEST(Witness, NearMissesAreNeverClaimed) {
    const char* sentences[] = {
        "EXISTS([x, y], [[-1, 1], [-1, 1]], x^2 + y^2 >= 0.81 /\\ x^2 + y^2 <= 0.8101 /\\ "
        "x*y >= 0.406)",
        "EXISTS([x, y, z, w], [[0, 1], [0, 1], [0, 1], [0, 1]], x + y + z + w <= 1 /\\ "
        "x*y*z*w >= 0.004)",
    };
    for (const char* s : sentences) {
        SolveOptions options = Eps(0);
        options.timeoutSeconds = 2;
        SolveResult r = Solve(s, {}, {}, options);
        ASSERT_TRUE(r.solved) << s << ": " << r.error;
        EXPECT_NE(r.truth, Truth::True) << s;
    }
}

// The double nearest 0.1 lies above 0.1 and satisfies 10y > 1; it is no
// point of [0.1, 0.1] and must not serve as a witness (nor, dually, as a
// counterexample of 10y <= 1).
TEST(Witness, OnlyPointsOfTheRealDomain) {
    SolveResult exists = Solve("EXISTS([y], [[0.1, 0.1]], 10*y > 1)", {}, {}, Eps(0));
    ASSERT_TRUE(exists.solved) << exists.error;
    EXPECT_NE(exists.truth, Truth::True);
    SolveResult forall = Solve("FORALL([y], [[0.1, 0.1]], 10*y <= 1)", {}, {}, Eps(0));
    ASSERT_TRUE(forall.solved) << forall.error;
    EXPECT_NE(forall.truth, Truth::False);
}

// With free variables a witness must serve the whole free box: x <= t for
// some t in [0, 1] holds exactly on x <= 1.
TEST(Witness, FreeBoxesAreCoveredWhole) {
    SolveResult r = Solve("EXISTS([t], [[0, 1]], x <= t)", {"x"}, {{-1, 2}}, Eps(0.001));
    ASSERT_TRUE(r.solved) << r.error;
    EXPECT_FALSE(r.trueBoxes.empty());
    for (const BoxBounds& b : r.trueBoxes) {
        EXPECT_LE(b[0].hi, 1.0);
    }
    for (const BoxBounds& b : r.falseBoxes) {
        EXPECT_GT(b[0].lo, 1.0 - 1e-12);
    }
}

// Free boxes of the ellipse-in-the-disc question are refuted by a point of
// the ellipse outside the disc. Each claim is checked against the largest
// x^2 + y^2 found on the ellipse 9(x - c)^2 + 4(y - d)^2 = 1 around the centre
// of the box (a sample of its rim: true claims may not exceed 1 by more than
// the box's reach, false ones must exceed 1 somewhere near the box).
TEST(Witness, CounterexamplesOverFreeBoxesAreRight) {
    SolveResult r = Solve(
        "FORALL([x, y], [[-2, 2], [-2, 2]], (9*(x - c)^2 + 4*(y - d)^2 <= 1) ==> (x^2 + y^2 <= 1))",
        {"c", "d"}, {{-1, 1}, {-1, 1}}, Eps(0.2));
    ASSERT_TRUE(r.solved) << r.error;
    EXPECT_FALSE(r.falseBoxes.empty());
    auto farthest = [](double c, double d) {
        double most = 0;
        for (int k = 0; k < 4000; ++k) {
            const double t = 2 * M_PI * k / 4000;
            const double x = c + std::cos(t) / 3;
            const double y = d + std::sin(t) / 2;
            most = std::max(most, x * x + y * y);
        }
        return most;
    };
    for (const BoxBounds& b : r.trueBoxes) {
        for (double c : {b[0].lo, b[0].hi}) {
            for (double d : {b[1].lo, b[1].hi}) {
                EXPECT_LE(farthest(c, d), 1 + 1e-9) << c << " " << d;
            }
        }
    }
    for (const BoxBounds& b : r.falseBoxes) {
        for (double c : {b[0].lo, b[0].hi}) {
            for (double d : {b[1].lo, b[1].hi}) {
                EXPECT_GT(farthest(c, d), 1 - 1e-9) << c << " " << d;
            }
        }
    }
}

}  // namespace
