// Sums, differences, scalar factors, set operations and measures.
#include "Interval/Iv_Itvl.h"

#include "support/ExactRational.h"

#include <cfloat>
#include <cmath>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
const double kInf = INFINITY;
const Itvl kEmpty = Itvl::Empty();

bool Same(const Itvl& a, const Itvl& b) {
    return a == b;
}

bool Optimal(const Itvl& r, const ExactQ& lo, const ExactQ& hi) {
    return IsRoundedDown(r.lo, lo) && IsRoundedUp(r.hi, hi);
}

TEST(IntervalItvl, SumsDifferencesAndScalarFactorsAreRoundedOnceOutward) {
    // 1 + (the double nearest 0.1) is not a double: the bounds are one unit apart.
    EXPECT_PRED2(Same, Itvl(1.0) + Itvl(0.1), Itvl(0x1.1999999999999p+0, 0x1.199999999999ap+0));

    std::mt19937_64 g(TestSeed("IntervalItvl"));
    for (int i = 0; i < 4000; ++i) {
        Itvl a(RandomDouble(g), RandomDouble(g)), b(RandomDouble(g), RandomDouble(g));
        double s = RandomDouble(g);
        ExactQ a1(a.lo), a2(a.hi), b1(b.lo), b2(b.hi), q(s);
        SCOPED_TRACE(testing::Message() << std::hexfloat << "a = [" << a.lo << ", " << a.hi
                                        << "], b = [" << b.lo << ", " << b.hi << "], s = " << s);
        EXPECT_TRUE(Optimal(a + b, a1 + b1, a2 + b2));
        EXPECT_TRUE(Optimal(a - b, a1 - b2, a2 - b1));
        EXPECT_TRUE(Optimal(a + s, a1 + q, a2 + q));
        EXPECT_TRUE(Optimal(s - a, q - a2, q - a1));
        if (s == 0) {
            EXPECT_PRED2(Same, s * a, Itvl(0.0));
            EXPECT_PRED2(Same, a / s, Itvl::Entire());
        } else if (s > 0) {
            EXPECT_TRUE(Optimal(s * a, q * a1, q * a2));
            EXPECT_TRUE(Optimal(a / s, a1 / q, a2 / q));
        } else {
            EXPECT_TRUE(Optimal(a * s, q * a2, q * a1));
            EXPECT_TRUE(Optimal(a / s, a2 / q, a1 / q));
        }
        // The midpoint lies inside, whatever the magnitudes.
        double m = Mid(a);
        EXPECT_TRUE(a.lo <= m && m <= a.hi) << m;
    }
}

TEST(IntervalItvl, SetOperationsTable) {
    struct Row {
        Itvl a, b, intersect, hull;
        bool aInB, disjoint;
    } rows[] = {
        {{0, 1}, {2, 3}, kEmpty, {0, 3}, false, true},
        {{0, 2}, {2, 3}, {2, 2}, {0, 3}, false, false},
        {{0, 3}, {1, 2}, {1, 2}, {0, 3}, false, false},
        {{1, 2}, {0, 3}, {1, 2}, {0, 3}, true, false},
        {{1, 2}, {1, 2}, {1, 2}, {1, 2}, true, false},
        {kEmpty, {2, 3}, kEmpty, {2, 3}, true, true},
        {{2, 3}, kEmpty, kEmpty, {2, 3}, false, true},
        {kEmpty, kEmpty, kEmpty, kEmpty, true, true},
        {{-kInf, 0}, {-0.0, kInf}, {0, 0}, Itvl::Entire(), false, false},
        {{-kInf, -1}, {1, kInf}, kEmpty, Itvl::Entire(), false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.a.lo << " " << r.a.hi << " / " << r.b.lo);
        EXPECT_PRED2(Same, Intersect(r.a, r.b), r.intersect);
        EXPECT_PRED2(Same, Hull(r.a, r.b), r.hull);
        EXPECT_EQ(IsSubset(r.a, r.b), r.aInB);
        EXPECT_EQ(Disjoint(r.a, r.b), r.disjoint);
        EXPECT_EQ(Disjoint(r.b, r.a), r.disjoint);
    }
    EXPECT_PRED2(Same, Hull(kEmpty, 4.0), Itvl(4.0));
    EXPECT_PRED2(Same, Hull(Itvl(1, 2), -3.0), Itvl(-3, 2));
    EXPECT_FALSE(InteriorContains(Itvl(0, 1), 0));
    EXPECT_TRUE(InteriorContains(Itvl(0, 1), 0x1p-1074));
    EXPECT_FALSE(InteriorContains(kEmpty, 0));
    EXPECT_FALSE(InteriorContains(Itvl(-kInf, kInf), kInf));
    EXPECT_TRUE(ContainsZero(Itvl(-0.0, 0.0)));
    EXPECT_FALSE(ContainsZero(Itvl(0x1p-1074, 1)));
    EXPECT_FALSE(ContainsZero(kEmpty));
    EXPECT_PRED2(Same, Itvl(1.0, EmptyNaN()), kEmpty);
    EXPECT_PRED2(Same, Itvl(EmptyNaN(), 1.0), kEmpty);
}

TEST(IntervalItvl, MeasuresTable) {
    struct Row {
        Itvl a;
        double mid, width, mig, mag;
        Itvl abs;
    } rows[] = {
        {{-5, 5}, 0, 10, 0, 5, {0, 5}},
        {{1, 3}, 2, 2, 1, 3, {1, 3}},
        {{-3, -1}, -2, 2, 1, 3, {1, 3}},
        {{-4, 1}, -1.5, 5, 0, 4, {0, 4}},
        {{0x1.cp+1023, 0x1.fp+1023},
         0x1.d8p+1023,
         0x1.8p+1020,
         0x1.cp+1023,
         0x1.fp+1023,
         {0x1.cp+1023, 0x1.fp+1023}},
        {{-0x1.fffffffffffffp+1023, 0x1.fffffffffffffp+1023},
         0,
         kInf,
         0,
         0x1.fffffffffffffp+1023,
         {0, 0x1.fffffffffffffp+1023}},
        {Itvl::Entire(), 0, kInf, 0, kInf, {0, kInf}},
        {{-kInf, 3}, -DBL_MAX, kInf, 0, kInf, {0, kInf}},
        {{2, kInf}, DBL_MAX, kInf, 2, kInf, {2, kInf}},
        {{kInf, kInf}, kInf, NAN, kInf, kInf, {kInf, kInf}},
        {{0, 0x1p-1074}, 0, 0x1p-1074, 0, 0x1p-1074, {0, 0x1p-1074}},
        {{1, 0x1.0000000000001p+0}, 1, 0x1p-52, 1, 0x1.0000000000001p+0, {1, 0x1.0000000000001p+0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << r.a.lo << " " << r.a.hi);
        EXPECT_EQ(Mid(r.a), r.mid);
        if (!std::isnan(r.width)) {
            EXPECT_EQ(Width(r.a), r.width);
        }
        EXPECT_EQ(Mig(r.a), r.mig);
        EXPECT_EQ(Mag(r.a), r.mag);
        EXPECT_PRED2(Same, Abs(r.a), r.abs);
    }
    EXPECT_EQ(Width(kEmpty), 0);
    EXPECT_EQ(Rad(Itvl(1, 0x1.0000000000001p+0)), 0x1p-53);
    EXPECT_TRUE(std::isnan(Mid(kEmpty)));
}

}  // namespace
