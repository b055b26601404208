// Numbers read as the reals typed: the two doubles around a decimal, the
// domain of a typed box, and exact rationals, checked against GMP.
#include "support/ExactRational.h"
#include "Expr/Ex_Convert.h"
#include "Interval/Iv_Box.h"
#include "Interval/Iv_Convert.h"
#include "Interval/Iv_Rational.h"
#include "System/SAL.h"

#include <cmath>
#include <random>
#include <string>

#include "support/ExprBuilders.h"

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

Ex_Expr A(const char* text) {
    return Atom(text);
}

// lo and hi are the neighbouring doubles around the exact value of text:
// lo <= exact <= hi, equal when exact is a double, else next to each other.
void ExpectNeighbours(const std::string& text, double lo, double hi) {
    ExactQ exact;
    ASSERT_TRUE(ParseDecimal(text, exact)) << text;
    EXPECT_FALSE(exact < ExactQ(lo)) << text;
    EXPECT_FALSE(ExactQ(hi) < exact) << text;
    if (lo == hi) {
        EXPECT_TRUE(ExactQ(lo) == exact) << text;
    } else {
        EXPECT_EQ(std::nextafter(lo, INFINITY), hi) << text;
    }
}

// Random decimals, read after an interval operation left the mode at up or
// down: the reading never depends on the mode.
TEST(Enclosure, DecimalsAreEnclosedByTheirNeighbours) {
    std::mt19937_64 g(20261207);
    const char* fixed[] = {"0.1",
                           "0.5",
                           "3",
                           "1e-3",
                           "9007199254740993",
                           "0.09999999999999999999",
                           "2.5e-320",
                           "1e-400",
                           "123456789012345678901234567890"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (round < static_cast<int>(sizeof fixed / sizeof fixed[0])) {
            text = fixed[round];
        } else {
            text = std::to_string(g() % 100000) + "." + std::to_string(g() % 1000000);
            if (g() % 3 == 0) {
                text += "e" + std::to_string(static_cast<int>(g() % 80) - 40);
            }
        }
        const Itvl leftover = round % 2 == 0 ? Itvl(1) + Itvl(2) : Itvl(1) / Itvl(3);
        ASSERT_FALSE(leftover.IsEmpty());
        double lo = 0;
        double hi = 0;
        ASSERT_TRUE(ExprToDoubleEnclosure(A(text.c_str()), lo, hi)) << text;
        ExpectNeighbours(text, lo, hi);
        Iv_Rational q;
        ASSERT_TRUE(Iv_Rational::FromDecimal(text.c_str(), q)) << text;
        double down = 0;
        double up = 0;
        q.Enclose(down, up);
        EXPECT_TRUE(down == lo && up == hi) << text;
        EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundNearest);
    }
    double lo = 0;
    double hi = 0;
    ASSERT_TRUE(ExprToDoubleEnclosure(Neg(A("0.1")), lo, hi));
    EXPECT_TRUE(lo == -0x1.999999999999ap-4 && hi == -0x1.9999999999999p-4);
    ASSERT_TRUE(ExprToDoubleEnclosure(A("1e400"), lo, hi));
    EXPECT_TRUE(lo == 0x1.fffffffffffffp+1023 && hi == INFINITY);
    EXPECT_FALSE(ExprToDoubleEnclosure(A("abc"), lo, hi));
}

// Rationals: the text forms the scanner reads, exact arithmetic, and the
// enclosure beyond the doubles.
TEST(Enclosure, Rationals) {
    Iv_Rational q;
    for (const char* bad : {"", ".5", "5.", "1e", "1e+", "Infinity", "1x", "1e99999"}) {
        EXPECT_FALSE(Iv_Rational::FromDecimal(bad, q)) << bad;
    }
    Iv_Rational a;
    Iv_Rational b;
    ASSERT_TRUE(Iv_Rational::FromDecimal("0.1", a));
    ASSERT_TRUE(Iv_Rational::FromDecimal("0.09999999999999999999", b));
    EXPECT_TRUE(b < a);
    ASSERT_TRUE(Iv_Rational::FromDecimal("1e-20", q));
    EXPECT_TRUE(a - b == q);
    ASSERT_TRUE(Iv_Rational::FromDecimal("9007199254740993", a));
    ASSERT_TRUE(Iv_Rational::FromDecimal("9007199254740992", b));
    EXPECT_TRUE(a - b == Iv_Rational(1.0));
    double down = 0;
    double up = 0;
    (a * a * a * a * a * a * a * a * a * a * a * a * a * a * a * a * a * a * a * a)
        .Enclose(down, up);
    EXPECT_TRUE(down == 0x1.fffffffffffffp+1023 && up == INFINITY);
    (-a).Enclose(down, up);
    EXPECT_TRUE(down == -0x1.0000000000001p+53 && up == -0x1p+53);
}

// The box of the reals typed: outer rounded outward, inner the doubles
// inside; exact bounds give one box; anything after a rounded operation has
// no inner part; the nearest reading of ExprToBox stays as it was.
TEST(Enclosure, TypedBoxDomain) {
    Box outer;
    Box inner;
    ASSERT_TRUE(ExprToBoxDomain(L({L({A("0.1"), A("0.2")}), L({A("0.5"), A("3")}), L({A("0.1")}),
                                   Binary("/", A("1"), A("3"))}),
                                outer, inner));
    EXPECT_EQ(outer[0], Itvl::FromBounds(0x1.9999999999999p-4, 0x1.999999999999ap-3));
    EXPECT_EQ(inner[0], Itvl::FromBounds(0x1.999999999999ap-4, 0x1.9999999999999p-3));
    EXPECT_EQ(outer[1], Itvl::FromBounds(0.5, 3));
    EXPECT_EQ(inner[1], outer[1]);
    EXPECT_TRUE(inner[2].hi < inner[2].lo);  // no double inside the point 0.1
    EXPECT_TRUE(outer[2].lo < outer[2].hi);
    EXPECT_TRUE(inner[3].IsEmpty());
    Box nearest;
    ASSERT_TRUE(ExprToBox(L({L({A("0.1"), A("0.2")})}), nearest));
    EXPECT_EQ(nearest[0], Itvl::FromBounds(0x1.999999999999ap-4, 0x1.999999999999ap-3));
}

// Measures of typed intervals enclose the real measure: exact for exact
// bounds, widened by the rounding of the bounds otherwise.
TEST(Enclosure, MeasuresEncloseTheRealMeasure) {
    Itvl v;
    ASSERT_TRUE(ExprToEnclosure(Unary("Width", L({A("0.1"), A("0.3")})), v));
    ExactQ exact;
    ASSERT_TRUE(ParseDecimal("0.2", exact));
    EXPECT_FALSE(exact < ExactQ(v.lo) || ExactQ(v.hi) < exact);
    EXPECT_LT(v.lo, v.hi);
    ASSERT_TRUE(ExprToEnclosure(Unary("Mid", L({A("0.1"), A("0.3")})), v));
    EXPECT_FALSE(exact < ExactQ(v.lo) || ExactQ(v.hi) < exact);
    ASSERT_TRUE(ExprToEnclosure(Unary("Width", L({A("1e-20"), A("1")})), v));
    EXPECT_LT(v.lo, 1.0);  // 1 - 1e-20 is no double
    EXPECT_EQ(v.hi, 1.0);
    ASSERT_TRUE(ExprToEnclosure(Unary("Width", L({A("0"), A("3")})), v));
    EXPECT_EQ(v, Itvl(3.0));
}

}  // namespace
