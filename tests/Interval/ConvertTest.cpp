// Conversions between expression trees and numbers, texts and intervals.
#include "Expr/Ex_Convert.h"
#include "Expr/Ex_DoubleFormat.h"
#include "Expr/Ex_Writer.h"
#include "IO/FormatSet.h"
#include "Interval/Iv_Convert.h"
#include "System/SAL.h"

#include <climits>
#include <cmath>
#include <initializer_list>
#include <string>

#include "support/ExprBuilders.h"

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
const double kInf = INFINITY;

Ex_Expr A(const char* text) {
    return Atom(text);
}
bool SameBits(double a, double b) {
    return Iv_Bits(a) == Iv_Bits(b);
}

TEST(ConvertTest, TreeToDouble) {
    const double kUnchanged = 42.0;
    struct Case {
        Ex_Expr e;
        bool ok;
        double expected;
    } cases[] = {
        {A("Infinity"), true, kInf},
        {Neg(A("Infinity")), true, -kInf},
        {Neg(Unary("+", A("5"))), true, -5.0},
        {Unary("+", Neg(A("5"))), false, kUnchanged},
        {Neg(Neg(A("5"))), false, kUnchanged},
        {A("1.5abc"), true, 1.5},
        {A("0.1"), true, 0x1.999999999999ap-4},
        {A("abc"), false, kUnchanged},
        {A(""), false, kUnchanged},
        {L({A("1")}), false, kUnchanged},
        {Binary("+", A("1"), A("2")), false, kUnchanged},
        {MakeNeutral(), false, kUnchanged},
        {Ex_Expr(), false, kUnchanged},
    };
    for (const Case& c : cases) {
        double value = kUnchanged;
        EXPECT_EQ(ExprToDouble(c.e, value), c.ok) << Text(c.e);
        EXPECT_EQ(value, c.expected) << Text(c.e);
    }
}

// Integers: prefix rules, text that is no number, and numbers outside the
// target type, which fail instead of saturating or wrapping.
TEST(ConvertTest, TreeToIntegers) {
    struct Case {
        Ex_Expr e;
        int okLong, okInt, okULong, okUInt;  // 1 success, 0 failure
        long expected;                       // for the signed targets
    } cases[] = {
        {A("5"), 1, 1, 1, 1, 5},
        {Neg(A("5")), 1, 1, 0, 0, -5},
        {Unary("+", A("5")), 1, 1, 1, 1, 5},
        {Neg(Neg(A("5"))), 0, 0, 0, 0, 0},
        {A("abc"), 1, 1, 1, 1, 0},
        {A("12abc"), 1, 1, 1, 1, 12},
        {A("-5"), 1, 1, 0, 0, -5},
        {A("2147483648"), 1, 0, 1, 1, 2147483648L},
        {Neg(A("2147483648")), 1, 1, 0, 0, INT_MIN},
        {A("4294967296"), 1, 0, 1, 0, 4294967296L},
        {A("-9223372036854775808"), 1, 0, 0, 0, LONG_MIN},
        {Neg(A("-9223372036854775808")), 0, 0, 0, 0, 0},
        {A("9223372036854775808"), 0, 0, 1, 0, 0},
        {A("99999999999999999999"), 0, 0, 0, 0, 0},
        {L({A("1")}), 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        long l = 7;
        int i = 7;
        unsigned long ul = 7;
        unsigned u = 7;
        EXPECT_EQ(ExprToLong(c.e, l), c.okLong == 1) << Text(c.e);
        EXPECT_EQ(ExprToInt(c.e, i), c.okInt == 1) << Text(c.e);
        EXPECT_EQ(ExprToULong(c.e, ul), c.okULong == 1) << Text(c.e);
        EXPECT_EQ(ExprToUInt(c.e, u), c.okUInt == 1) << Text(c.e);
        EXPECT_EQ(l, c.okLong ? c.expected : 7) << Text(c.e);
        EXPECT_EQ(i, c.okInt ? c.expected : 7) << Text(c.e);
    }
    unsigned long ul = 0;
    EXPECT_TRUE(ExprToULong(A("18446744073709551615"), ul));
    EXPECT_EQ(ul, ULONG_MAX);
}

TEST(ConvertTest, OtherValues) {
    bool b = false;
    EXPECT_TRUE(ExprToBool(A("true"), b) && b);
    EXPECT_TRUE(ExprToBool(A("false"), b) && !b);
    EXPECT_FALSE(ExprToBool(A("True"), b));
    char c = 'x';
    EXPECT_TRUE(ExprToChar(A(""), c) && c == '\0');
    EXPECT_TRUE(ExprToChar(A("a"), c) && c == 'a');
    EXPECT_FALSE(ExprToChar(A("ab"), c));
    EXPECT_EQ(c, 'a');
    char* s = nullptr;
    EXPECT_FALSE(ExprToString(Neg(A("x")), s));
    ASSERT_TRUE(ExprToString(A("hello world"), s));
    EXPECT_STREQ(s, "hello world");
    SAL_Interface::LocFree(s);

    EXPECT_EQ(Text(LongToExpr(LONG_MIN)), "-9223372036854775808");
    EXPECT_EQ(Text(ULongToExpr(ULONG_MAX)), "18446744073709551615");
}

TEST(ConvertTest, DoubleText) {
    EXPECT_EQ(Text(DoubleToText(0.1, nullptr)), "0.1");
    Ex_DoubleFormat format;
    format.SetRounding(SAL_RoundUp);
    FormatSet set;
    set.Add(&format);
    EXPECT_EQ(Text(DoubleToText(0.1, &set)), "0.100001");
    // Huge settings are capped instead of exhausting memory: every digit of the
    // exact value still shows, and a field holds at most kMaxWidth characters.
    format.SetDigits(INT_MAX);
    EXPECT_EQ(Text(DoubleToText(0.1, &set)),
              "1.000000000000000055511151231257827021181583404541015625e-001");
    format.SetStyle(Ex_DoubleFormat::Fixed);
    format.SetDigits(2);
    format.SetWidth(INT_MAX);
    EXPECT_EQ(Text(DoubleToText(0.1, &set)).size(), std::size_t{Ex_DoubleFormat::kMaxWidth});
    format.SetDigits(-1);
    format.SetWidth(-1);
    EXPECT_EQ(Text(DoubleToText(2.5, &set)), "3");
}

TEST(ConvertTest, TreeToInterval) {
    const Itvl kUnchanged = Itvl::FromBounds(-7, 7);
    const Ex_Expr two = A("2");
    struct Case {
        Ex_Expr e;
        bool ok;
        Itvl expected;
    } cases[] = {
        {L("0", "1"), true, Itvl(0, 1)},
        {L({A("2")}), true, Itvl(2)},
        {L({}), true, Itvl::Empty()},
        {L("1", "0"), true, Itvl::FromBounds(1, 0)},
        {L({A("1"), A("2"), A("3")}), false, kUnchanged},
        {L("0", "abc"), false, kUnchanged},
        {A("0.1"), true, Itvl(0x1.999999999999ap-4)},
        {Add(Mul(two, L("0", "1")), A("1")), true, Itvl(1, 3)},
        {Sub(L("0", "1"), L("2", "5")), true, Itvl(-5, -1)},
        {Div(L("1", "2"), L("2", "4")), true, Itvl(0.25, 1)},
        {Div(A("1"), L("-1", "1")), true, Itvl::Entire()},
        {Div(A("1"), L("0", "0")), true, Itvl::Entire()},
        {Neg(L("1", "2")), true, Itvl(-2, -1)},
        {Unary("+", L("1", "2")), true, Itvl(1, 2)},
        {Unary("SquareRoot", L("4", "9")), true, Itvl(2, 3)},
        {Unary("Square", L("-2", "1")), true, Itvl(0, 4)},
        {Unary("Abs", L("-3", "2")), true, Itvl(0, 3)},
        {Unary("Mig", L("1", "2")), true, Itvl(1)},
        {Unary("Mag", L("-3", "2")), true, Itvl(3)},
        {Unary("Width", L("0", "3")), true, Itvl(3)},
        {Unary("Rad", L("0", "3")), true, Itvl(1.5)},
        {Unary("Mid", L("0", "3")), true, Itvl(1.5)},
        {Unary("Foo", L("0", "1")), false, kUnchanged},
        {Binary("Foo", A("1"), A("2")), false, kUnchanged},
        {Unary("Width", A("abc")), false, kUnchanged},
        {Apply("+", 3), false, kUnchanged},
        {MakeNeutral(), false, kUnchanged},
        // Powers: the exponent must be an integer numeral.
        {Pow(L("1", "2"), two), true, Itvl(1, 4)},
        {Pow(L("-2", "3"), A("3")), true, Itvl(-8, 27)},
        {Pow(two, Neg(A("1"))), true, Itvl(0.5)},
        {Pow(two, Unary("+", A("3"))), true, Itvl(8)},
        {Pow(two, A("0.5")), false, kUnchanged},
        {Pow(two, A("1.5")), false, kUnchanged},
        {Pow(two, A("n")), false, kUnchanged},
        {Pow(two, A("")), false, kUnchanged},
        {Pow(two, Neg(Neg(A("1")))), false, kUnchanged},
        {Pow(two, L({two})), false, kUnchanged},
        {Pow(two, A("99999999999999999999")), false, kUnchanged},
        {Pow(A("x"), two), false, kUnchanged},
    };
    for (const Case& c : cases) {
        Itvl value = kUnchanged;
        EXPECT_EQ(ExprToInterval(c.e, value), c.ok) << Text(c.e);
        EXPECT_TRUE(value == c.expected && (value.IsEmpty() || SameBits(value.lo, c.expected.lo)))
            << Text(c.e) << " gave [" << value.lo << ", " << value.hi << "]";
    }
}

// Literals are read as their nearest doubles even when an interval operation
// has just left the mode at up or down (0.1 lies above its double's neighbour
// below, 0.3 below its neighbour above).
TEST(ConvertTest, ReadsNearestAfterIntervalOperation) {
    const Ex_Expr literal = L("0.1", "0.3");
    Itvl first;
    ASSERT_TRUE(ExprToInterval(literal, first));
    for (int mode : {SAL_RoundUp, SAL_RoundDown}) {
        // A sum leaves the mode at up, a reciprocal at down.
        const Itvl leftover = mode == SAL_RoundUp ? Itvl(1) + Itvl(2) : Reciprocal(Itvl(3.0));
        EXPECT_FALSE(leftover.IsEmpty());
        ASSERT_EQ(SAL_Interface::GetRounding(), mode);
        Itvl again;
        ASSERT_TRUE(ExprToInterval(literal, again));
        EXPECT_TRUE(SameBits(again.lo, first.lo) && SameBits(again.hi, first.hi));
        EXPECT_TRUE(SameBits(again.lo, 0x1.999999999999ap-4));
        EXPECT_TRUE(SameBits(again.hi, 0x1.3333333333333p-2));
    }
    // Inside one tree: the sum leaves the mode at up before 0.3 is read.
    Itvl product;
    ASSERT_TRUE(ExprToInterval(Mul(Add(A("1"), A("1")), A("0.3")), product));
    EXPECT_TRUE(SameBits(product.lo, 0x1.3333333333333p-1));
    EXPECT_TRUE(SameBits(product.hi, 0x1.3333333333333p-1));
}

TEST(ConvertTest, IntervalText) {
    Iv_ItvlFormat outward;
    Iv_ItvlFormat inward;
    inward.SetInward();
    Ex_DoubleFormat twoDigits;
    twoDigits.SetDigits(2);
    FormatSet out, in, digits;
    out.Add(&outward);
    in.Add(&inward);
    digits.Add(&twoDigits);
    digits.Add(&inward);
    const struct {
        Itvl value;
        const FormatSet* formats;
        const char* text;
    } cases[] = {
        {Itvl(0.1), nullptr, "[ 0.1, 0.100001 ]"},
        {Itvl(0.1), &out, "[ 0.1, 0.100001 ]"},
        {Itvl(0.1), &in, "[ 0.100001, 0.1 ]"},
        {Itvl(-1.0 / 3), nullptr, "[ -0.333334, -0.333333 ]"},
        {Itvl(-1.0 / 3), &digits, "[ -0.33, -0.34 ]"},
        {Itvl::Entire(), nullptr, "[ -Infinity, Infinity ]"},
        {Itvl::Empty(), nullptr, "[  ]"},
        {Itvl::Empty(), &in, "[  ]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(IntervalToExpr(c.value, c.formats)), c.text);
    }
    // A Lazy element prints as the interval's list, and reads back enclosing it.
    Ex_Expr list = L({IntervalToLazyExpr(Itvl(0.1), nullptr)});
    EXPECT_EQ(Text(list), "[ [ 0.1, 0.100001 ] ]");
    Itvl back;
    ASSERT_TRUE(ExprToInterval(IntervalToLazyExpr(Itvl(-1.0 / 3, 0.1), nullptr), back));
    EXPECT_TRUE(back.lo <= -1.0 / 3 && 0.1 <= back.hi);
}

}  // namespace
