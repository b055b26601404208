// The rounding discipline: bounds really are computed in two modes, and results do
// not depend on the mode left by earlier code.
#include "Interval/Iv_Itvl.h"

#include "support/ExactRational.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

double Normal(std::mt19937_64& g) {
    double x;
    do {
        x = RandomDouble(g);
    } while (!(std::fabs(x) > 0x1p-900 && std::fabs(x) < 0x1p+900));
    return x;
}

// Without pinning, g++ -O2 merges the two additions of AddDown and AddUp into one
// once the mode changes are inlined: lo and hi come out equal. Inexact sums and
// products must give two bounds one unit apart.
TEST(IntervalRound, InexactOperationsGetTwoBounds) {
    std::mt19937_64 g(TestSeed("IntervalRound"));
    int inexact = 0;
    for (int i = 0; i < 3000; ++i) {
        double x = Normal(g), y = Normal(g);
        double sumLo = AddDown(x, y), sumHi = AddUp(x, y);
        double mulLo = MulDown(x, y), mulHi = MulUp(x, y);
        Itvl sum = Itvl(x) + Itvl(y), product = Itvl(x) * Itvl(y);
        if (!(ExactQ(x) + ExactQ(y) == ExactQ(sumLo))) {
            ++inexact;
            EXPECT_EQ(sumHi, std::nextafter(sumLo, INFINITY)) << std::hexfloat << x << " + " << y;
            EXPECT_EQ(sum.hi, std::nextafter(sum.lo, INFINITY)) << std::hexfloat << x << " + " << y;
        }
        if (!(ExactQ(x) * ExactQ(y) == ExactQ(mulLo))) {
            ++inexact;
            EXPECT_EQ(mulHi, std::nextafter(mulLo, INFINITY)) << std::hexfloat << x << " * " << y;
            EXPECT_EQ(product.hi, std::nextafter(product.lo, INFINITY))
                << std::hexfloat << x << " * " << y;
        }
    }
    EXPECT_GT(inexact, 3000);
}

// Every operation gives the same bits whatever mode was in force before, and
// leaves the mode its header states.
TEST(IntervalRound, ResultsDoNotDependOnTheEntryMode) {
    std::mt19937_64 g(TestSeed("IntervalRound.Modes"));
    for (int i = 0; i < 300; ++i) {
        Itvl a(RandomDouble(g), RandomDouble(g)), b(RandomDouble(g), RandomDouble(g));
        double s = RandomDouble(g);
        auto run = [&](int mode) {
            std::vector<double> out;
            auto put = [&](const Itvl& r) {
                out.push_back(r.lo);
                out.push_back(r.hi);
            };
            SAL_Interface::SetRounding(mode);
            put(a + b);
            put(a - b);
            put(s - a);
            put(s * a);
            put(a * b);
            put(a / b);
            put(Square(a));
            put(SquareRoot(Abs(a)));
            put(Power(a, 5));
            put(Power(b, -4));
            put(Reciprocal(b));
            Itvl r1, r2;
            RelDivide(a, b, Itvl(-1e10, 1e10), r1, r2);
            put(r1);
            put(r2);
            out.push_back(Width(a));
            out.push_back(Rad(a));
            out.push_back(Mid(a));
            return out;
        };
        std::vector<double> expected = run(SAL_RoundNearest);
        for (int mode : {SAL_RoundToZero, SAL_RoundUp, SAL_RoundDown}) {
            std::vector<double> got = run(mode);
            for (size_t k = 0; k < got.size(); ++k) {
                EXPECT_EQ(Iv_Bits(got[k]), Iv_Bits(expected[k])) << "result " << k;
            }
        }
    }
    // Lower-then-upper operations leave up; Reciprocal computes its upper bound
    // first and leaves down; Mid leaves nearest.
    SAL_Interface::SetRounding(SAL_RoundToZero);
    Itvl r = Power(Itvl(1, 3), 3);
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundUp);
    r = Reciprocal(r);
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundDown);
    Mid(r);
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundNearest);
}

}  // namespace
