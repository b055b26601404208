// Products, quotients, squares, roots and powers against the exact rational result.
#include "Interval/Iv_Itvl.h"

#include "support/ExactRational.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
const double kInf = INFINITY;
const Itvl kEmpty = Itvl::Empty();

bool Same(const Itvl& a, const Itvl& b) {
    return a == b;
}

Itvl RandomItvl(std::mt19937_64& g) {
    return Itvl(RandomDouble(g), RandomDouble(g));
}

// The exact range of f over a box is spanned by its values at the corners when f
// is monotone in each variable there; the result must be that range, each bound
// rounded once outward.
void ExpectOptimal(const Itvl& r, std::vector<ExactQ> corners) {
    auto [min, max] = std::minmax_element(corners.begin(), corners.end());
    EXPECT_TRUE(IsRoundedDown(r.lo, *min) && IsRoundedUp(r.hi, *max))
        << std::hexfloat << "[" << r.lo << ", " << r.hi << "]";
}

// hi stepped down k times is at most q: hi is within k units of the exact bound.
bool WithinUlpsAbove(double hi, const ExactQ& q, int k) {
    for (int i = 0; i < k; ++i) {
        hi = std::nextafter(hi, -kInf);
    }
    return LessEq(hi, q);
}

TEST(IntervalMul, SignCasesAndZeroRule) {
    struct Row {
        Itvl a, b, product;
    } rows[] = {
        {{2, 3}, {4, 5}, {8, 15}},
        {{2, 3}, {-5, -4}, {-15, -8}},
        {{2, 3}, {-4, 5}, {-12, 15}},
        {{-3, -2}, {4, 5}, {-15, -8}},
        {{-3, -2}, {-5, -4}, {8, 15}},
        {{-3, -2}, {-4, 5}, {-15, 12}},
        {{-2, 3}, {4, 5}, {-10, 15}},
        {{-2, 3}, {-5, -4}, {-15, 10}},
        {{-2, 3}, {-4, 5}, {-12, 15}},
        {{-7, 3}, {-4, 5}, {-35, 28}},
        {{0, 0}, {-kInf, kInf}, {0, 0}},
        {{0, 2}, {3, kInf}, {0, kInf}},
        {{-kInf, 0}, {0, kInf}, {-kInf, 0}},
        {{0, kInf}, {-kInf, 0}, {-kInf, 0}},
        {{-1, 0}, {-kInf, 0}, {0, kInf}},
        {{2, kInf}, {0, 0}, {0, 0}},
        {{-kInf, -1}, {0, 5}, {-kInf, 0}},
        {kEmpty, {0, 0}, kEmpty},
        {{0, 0}, kEmpty, kEmpty},
        {{1, 2}, kEmpty, kEmpty},
        {{0x1p+1000, 0x1p+1000}, {0x1p+100, 0x1p+100}, {0x1.fffffffffffffp+1023, kInf}},
    };
    for (const Row& row : rows) {
        EXPECT_PRED2(Same, row.a * row.b, row.product) << row.a.lo << " " << row.b.lo;
        EXPECT_PRED2(Same, row.b * row.a, row.product) << row.a.lo << " " << row.b.lo;
    }
    // Scalar factors follow the same zero rule; 0 * anything is exactly [0, 0].
    EXPECT_PRED2(Same, kInf * Itvl(0, 1), Itvl(0, kInf));
    EXPECT_PRED2(Same, -kInf * Itvl(-1, 0), Itvl(0, kInf));
    EXPECT_PRED2(Same, 0.0 * Itvl(-kInf, kInf), Itvl(0.0));
    // Quotients by an interval or scalar containing 0 are unbounded.
    EXPECT_PRED2(Same, Itvl(1, 2) / Itvl(-1, 1), Itvl::Entire());
    EXPECT_PRED2(Same, Itvl(1, 2) / Itvl(-0.0, 1), Itvl::Entire());
    EXPECT_PRED2(Same, Itvl(1, 2) / 0.0, Itvl::Entire());
    EXPECT_PRED2(Same, Reciprocal(Itvl(0, 4)), Itvl::Entire());
}

TEST(IntervalMul, PowerTable) {
    struct Row {
        Itvl a;
        long n;
        Itvl power;
    } rows[] = {
        {{-2, 3}, 2, {0, 9}},
        {{-3, -2}, 3, {-27, -8}},
        {{2, 4}, -1, {0x1p-2, 0x1p-1}},
        {{-4, -2}, -1, {-0x1p-1, -0x1p-2}},
        {{-2, -1}, -2, {0x1p-2, 1}},
        {{-2, -1}, -3, {-1, -0x1p-3}},
        {{-3, 2}, 4, {0, 81}},
        {{-3, -2}, 4, {16, 81}},
        {{-2, 3}, 5, {-32, 243}},
        {{-1, 2}, -1, Itvl::Entire()},
        {{0, 2}, -2, Itvl::Entire()},
        {{5, 7}, 0, {1, 1}},
        {{0, 0}, 3, {0, 0}},
        {{3, 3}, 1, {3, 3}},
        {{0x1p+600, 0x1p+600}, 2, {0x1.fffffffffffffp+1023, kInf}},
        {{0x1p-600, 0x1p-600}, 2, {0, 0x1p-1074}},
        {kEmpty, 3, kEmpty},
        {kEmpty, 4, kEmpty},
        {{1, 2}, -2147483648L, {0, 1}},
        {{1, 1}, LONG_MIN, {1, 1}},
        {{-kInf, -2}, 3, {-kInf, -8}},
    };
    for (const Row& row : rows) {
        EXPECT_PRED2(Same, Power(row.a, row.n), row.power) << row.a.lo << " ^ " << row.n;
    }
    EXPECT_PRED2(Same, SquareRoot(Itvl(-1, 4)), kEmpty);
    EXPECT_PRED2(Same, SquareRoot(Itvl(0, kInf)), Itvl(0, kInf));
}

TEST(IntervalMul, EnclosesExactResultsOfRandomOperands) {
    std::mt19937_64 g(TestSeed("IntervalMul"));
    for (int i = 0; i < 4000; ++i) {
        Itvl a = RandomItvl(g), b = RandomItvl(g);
        ExactQ a1(a.lo), a2(a.hi), b1(b.lo), b2(b.hi);
        SCOPED_TRACE(testing::Message() << std::hexfloat << "a = [" << a.lo << ", " << a.hi
                                        << "], b = [" << b.lo << ", " << b.hi << "]");
        ExpectOptimal(a * b, {a1 * b1, a1 * b2, a2 * b1, a2 * b2});
        if (ContainsZero(b)) {
            EXPECT_PRED2(Same, a / b, Itvl::Entire());
        } else {
            ExpectOptimal(a / b, {a1 / b1, a1 / b2, a2 / b1, a2 / b2});
        }
        if (ContainsZero(a)) {
            ExpectOptimal(Square(a), {ExactQ(0.0), a1 * a1, a2 * a2});
        } else {
            ExpectOptimal(Square(a), {a1 * a1, a2 * a2});
        }

        // Powers round several times: enclosure, and at most a few units wide.
        long n = static_cast<long>(g() % 25) - 12;
        if (n < 0 && ContainsZero(a)) {
            EXPECT_PRED2(Same, Power(a, n), Itvl::Entire());
        } else if (n != 0) {
            Itvl p = Power(a, n);
            ExactQ p1 = Pow(a1, n), p2 = Pow(a2, n);
            ExactQ lo = std::min(p1, p2), hi = std::max(p1, p2);
            if (IsEven(n) && ContainsZero(a)) {
                lo = ExactQ(0.0);
            }
            int k = 3 * static_cast<int>(std::labs(n)) + 6;
            EXPECT_TRUE(Encloses(p.lo, p.hi, lo) && Encloses(p.lo, p.hi, hi)) << "n = " << n;
            EXPECT_TRUE(WithinUlpsAbove(p.hi, hi, k) && WithinUlpsAbove(-p.lo, -lo, k))
                << "n = " << n;
        }

        // Square root: lo and hi are the best doubles with lo^2 <= a1 and a2 <= hi^2.
        Itvl r = SquareRoot(Abs(a));
        ExactQ lo(r.lo), hi(r.hi), x1(Abs(a).lo), x2(Abs(a).hi);
        ExactQ loUp(std::nextafter(r.lo, kInf)), hiDown(std::nextafter(r.hi, -kInf));
        EXPECT_TRUE(!(x1 < lo * lo) && x1 < loUp * loUp);
        EXPECT_TRUE(!(hi * hi < x2) && (r.hi == 0 || hiDown * hiDown < x2));
    }
}

}  // namespace
