// Successor and integer powers of doubles.
#include "Interval/Iv_Scalar.h"

#include "support/ExactRational.h"

#include <cfloat>
#include <climits>
#include <cmath>

#include <gtest/gtest.h>

namespace {

const double kInf = INFINITY;

bool SameBits(double a, double b) {
    return Iv_Bits(a) == Iv_Bits(b);
}

TEST(IntervalScalar, NextUpTable) {
    struct Row {
        double x, next;
    } rows[] = {
        {0.0, 0x1p-1074},
        {-0.0, 0x1p-1074},
        {-0x1p-1074, -0.0},
        {0x1p-1074, 0x1p-1073},
        {0x0.fffffffffffffp-1022, 0x1p-1022},
        {-0x1p-1022, -0x0.fffffffffffffp-1022},
        {1.0, 0x1.0000000000001p+0},
        {-1.0, -0x1.fffffffffffffp-1},
        {DBL_MAX, kInf},
        {-kInf, -DBL_MAX},
        {kInf, kInf},
    };
    for (const Row& r : rows) {
        EXPECT_PRED2(SameBits, NextUp(r.x), r.next) << std::hexfloat << r.x;
    }
    EXPECT_TRUE(IsNaN(NextUp(EmptyNaN())));
    EXPECT_EQ(NextDown(0.0), -0x1p-1074);
    EXPECT_EQ(NextDown(-DBL_MAX), -kInf);

    std::mt19937_64 g(TestSeed("IntervalScalar.NextUp"));
    for (int i = 0; i < 2000; ++i) {
        double x = RandomDouble(g);
        EXPECT_EQ(NextUp(x), std::nextafter(x, kInf)) << std::hexfloat << x;
    }
}

TEST(IntervalScalar, PowerTable) {
    struct Row {
        double x;
        long n;
        double power;
    } rows[] = {
        {kInf, 0, 1},   {kInf, 3, kInf},   {-kInf, 3, -kInf}, {-kInf, 2, kInf}, {kInf, -1, 0},
        {-kInf, -2, 0}, {-3, 0, 1},        {-3, 1, -3},       {-3, 3, -27},     {-2, -3, -0.125},
        {-2, -2, 0.25}, {-1, LONG_MIN, 1}, {2, LONG_MIN, 0},  {0.5, 1080, 0},   {2, 1024, kInf},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Power(r.x, r.n), r.power) << r.x << " ^ " << r.n;
    }
    EXPECT_TRUE(IsNaN(Power(EmptyNaN(), 2)));
    // Raising a negative base flips the direction inside and restores it after.
    EXPECT_EQ(PowerUp(-3, 5), -243);
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundUp);
}

TEST(IntervalScalar, DirectedPowersEncloseTheExactPower) {
    std::mt19937_64 g(TestSeed("IntervalScalar.Power"));
    for (int i = 0; i < 3000; ++i) {
        double x = RandomDouble(g);
        long n = static_cast<long>(g() % 41) - 20;
        if (x == 0 && n < 0) {
            continue;
        }
        double lo = PowerDown(x, n), hi = PowerUp(x, n);
        EXPECT_TRUE(Encloses(lo, hi, Pow(ExactQ(x), n))) << std::hexfloat << x << " ^ " << n;
        if (n >= -1 && n <= 2) {  // one operation: rounded once
            EXPECT_TRUE(IsRoundedDown(lo, Pow(ExactQ(x), n)) && IsRoundedUp(hi, Pow(ExactQ(x), n)));
        }
    }
}

}  // namespace
