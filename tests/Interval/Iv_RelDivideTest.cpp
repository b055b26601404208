// Relational division: {x in d : x * y in a for some y in b} as at most two pieces.
#include "Interval/Iv_Itvl.h"

#include "support/ExactRational.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
const double kInf = INFINITY;
const Itvl kEmpty = Itvl::Empty();

bool Same(const Itvl& a, const Itvl& b) {
    return a == b;
}

TEST(IntervalRelDivide, CasesTable) {
    const double third = 0x1.5555555555555p-2;  // 1/3 rounded down
    struct Row {
        Itvl a, b, d, r1, r2;
    } rows[] = {
        // two pieces around the gap, one of them or both cut away by d
        {{1, 2}, {-1, 1}, {-10, 10}, {-10, -1}, {1, 10}},
        {{1, 2}, {-1, 1}, {-0.5, 0.5}, kEmpty, kEmpty},
        {{1, 2}, {-1, 1}, {-0.5, 10}, {1, 10}, kEmpty},
        {{1, 2}, {-1, 1}, {-10, 0.5}, {-10, -1}, kEmpty},
        {{-2, -1}, {-1, 4}, {-10, 10}, {-10, -0.25}, {1, 10}},
        {{1, 1}, {-3, 3}, {-10, 10}, {-10, -third}, {third, 10}},
        {{1, 2}, {-kInf, kInf}, {-10, 10}, {-10, 10}, kEmpty},
        // one-sided: b has 0 as a bound
        {{1, 2}, {0, 4}, {-10, 10}, {0.25, 10}, kEmpty},
        {{1, 2}, {-4, -0.0}, {-10, 10}, {-10, -0.25}, kEmpty},
        {{-2, -1}, {0, 4}, {-10, 10}, {-10, -0.25}, kEmpty},
        {{-2, -1}, {-4, 0}, {-10, 10}, {0.25, 10}, kEmpty},
        {{-2, -1}, {-4, 0}, {-10, 0.1}, kEmpty, kEmpty},
        // 0 not in b: plain division; 0 in a and b: all of d; b = [0, 0]: nothing
        {{1, 2}, {2, 4}, {-10, 10}, {0.25, 1}, kEmpty},
        {{1, 2}, {2, 4}, {5, 10}, kEmpty, kEmpty},
        {{-1, 2}, {-1, 1}, {-10, 10}, {-10, 10}, kEmpty},
        {{1, 2}, {0, 0}, {-10, 10}, kEmpty, kEmpty},
        // empty operands
        {{1, 2}, {-1, 1}, kEmpty, kEmpty, kEmpty},
        {kEmpty, {-1, 1}, {-10, 10}, kEmpty, kEmpty},
        {{-1, 2}, kEmpty, {-10, 10}, kEmpty, kEmpty},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "a = [" << r.a.lo << ", " << r.a.hi << "], b = [" << r.b.lo << ", "
                     << r.b.hi << "], d = [" << r.d.lo << ", " << r.d.hi << "]");
        Itvl r1, r2;
        RelDivide(r.a, r.b, r.d, r1, r2);
        EXPECT_PRED2(Same, r1, r.r1);
        EXPECT_PRED2(Same, r2, r.r2);
    }
    // The pieces may be written over the operands.
    Itvl a(1, 2), b(-1, 1), d(-10, 10);
    RelDivide(a, b, d, d, a);
    EXPECT_PRED2(Same, d, Itvl(-10, -1));
    EXPECT_PRED2(Same, a, Itvl(1, 10));
}

// Every exact solution x = z / y (z in a, y in b, x in d) lies in a piece.
TEST(IntervalRelDivide, KeepsEverySolution) {
    std::mt19937_64 g(TestSeed("IntervalRelDivide"));
    for (int i = 0; i < 3000; ++i) {
        Itvl a(RandomDouble(g), RandomDouble(g)), d(RandomDouble(g), RandomDouble(g));
        Itvl b(RandomDouble(g), RandomDouble(g));
        if (i % 2 == 0) {  // mostly straddling b, the interesting case
            b = Itvl(-std::fabs(b.lo), std::fabs(b.hi));
        }
        SCOPED_TRACE(testing::Message()
                     << std::hexfloat << "a = [" << a.lo << ", " << a.hi << "], b = [" << b.lo
                     << ", " << b.hi << "], d = [" << d.lo << ", " << d.hi << "]");
        Itvl r1, r2;
        RelDivide(a, b, d, r1, r2);
        EXPECT_TRUE(IsSubset(r1, d) && IsSubset(r2, d));
        EXPECT_TRUE(r2.IsEmpty() || (!r1.IsEmpty() && r1.hi < r2.lo));
        if (ContainsZero(a) && ContainsZero(b)) {
            EXPECT_PRED2(Same, r1, d);
            continue;
        }
        for (double z : {a.lo, Mid(a), a.hi}) {
            for (double y : {b.lo, Mid(b), b.hi}) {
                if (y == 0) {
                    continue;
                }
                ExactQ x = ExactQ(z) / ExactQ(y);
                if (Encloses(d.lo, d.hi, x)) {
                    EXPECT_TRUE(Encloses(r1.lo, r1.hi, x) || Encloses(r2.lo, r2.hi, x))
                        << "z = " << z << ", y = " << y;
                }
            }
        }
    }
}

}  // namespace
