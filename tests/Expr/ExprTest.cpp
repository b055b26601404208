#include "Expr/Ex_Expr.h"
#include "Expr/Ex_ExprCell.h"
#include "Expr/Ex_Format.h"
#include "Expr/Ex_Lazy.h"
#include "Expr/Ex_Writer.h"

#include <string>

#include "support/ExprBuilders.h"

#include <gtest/gtest.h>

namespace {

Ex_Expr A(const char* t) {
    return Atom(t);
}

// Sharing, self-assignment and moves keep the counts right (ASan sees a
// double free or a leak); slots out of range or on a kind without slots take
// no reference.
TEST(ExprCells, ReferenceCountsAndSlots) {
    Ex_Expr a = Atom("x");
    {
        Ex_Expr b = a;
        Ex_Expr c;
        c = b;
        c = c;
        Ex_Expr moved = std::move(b);
        EXPECT_TRUE(b.IsNull());
        EXPECT_EQ(a.Cell()->rc, 3u);
        Ex_Expr sum = Binary("+", a, a);
        EXPECT_EQ(a.Cell()->rc, 5u);
    }
    EXPECT_EQ(a.Cell()->rc, 1u);

    Ex_Expr n = MakeNeutral();
    EXPECT_EQ(Add(n, a).Cell(), a.Cell());  // the neutral element makes no new cell
    EXPECT_EQ(Mul(a, n).Cell(), a.Cell());
    n.SetArg(0, a);
    Ex_Expr list = MakeList(2);
    list.SetArg(1, a);
    EXPECT_TRUE(list.Arg(0).IsNull());
    EXPECT_TRUE(list.Arg(7).IsNull());
    EXPECT_EQ(a.Cell()->rc, 2u);
}

struct Pair {
    int lo, hi;
};

void PairToList(Ex_Expr& result, const Pair* value, const FormatSet*) {
    result = MakeList(2);
    result.SetArg(0, Atom(std::to_string(value->lo).c_str()));
    result.SetArg(1, Atom(std::to_string(value->hi).c_str()));
}

TEST(ExprCells, LazySlotsAreReplacedByTheirTreeOnFirstAccess) {
    Ex_Expr list = MakeList(1);
    list.SetArg(0, MakeLazy<Pair>(Pair{0, 1}, PairToList, nullptr));
    EXPECT_TRUE(list.Cell() != nullptr);
    Ex_Expr first = list.Arg(0);
    EXPECT_TRUE(first.IsList());
    EXPECT_EQ(Text(list), "[ [ 0, 1 ] ]");
    EXPECT_EQ(list.Arg(0).Cell(), first.Cell());  // the evaluated tree stays in the slot

    Ex_Expr lazy = MakeLazy<char*>(
        "text", [](Ex_Expr& r, char* const* v, const FormatSet*) { r = Atom(*v); }, nullptr);
    EXPECT_TRUE(lazy.IsLazy());
    lazy.Force();
    EXPECT_STREQ(lazy.Head(), "text");
}

// Whether any cell of tree a is a cell of tree b.
bool SharesACell(const Ex_Expr& a, const Ex_Expr& b) {
    if (a.IsNull() || b.IsNull()) {
        return false;
    }
    if (a.Cell() == b.Cell()) {
        return true;
    }
    for (int i = 0; i < a.Arity(); ++i) {
        if (SharesACell(a.Arg(i), b)) {
            return true;
        }
    }
    for (int i = 0; i < b.Arity(); ++i) {
        if (SharesACell(a, b.Arg(i))) {
            return true;
        }
    }
    return false;
}

// A detached tree prints the same, shares no cell (a shared subtree is
// copied each time it occurs), keeps quoting and list formats, and a Lazy
// cell arrives evaluated; the original's counts are untouched.
TEST(ExprCells, DetachCopiesEveryCell) {
    Ex_Expr x = A("x");
    Ex_Expr tree = MakeList(3);
    tree.SetArg(0, Binary("+", x, x));
    tree.SetArg(1, MakeLazy<Pair>(Pair{2, 3}, PairToList, nullptr));
    Ex_Expr quoted = A("s");
    quoted.SetQuoted(true);
    tree.SetArg(2, quoted);
    const unsigned xCount = x.Cell()->rc;

    Ex_Expr copy = tree.Detach();
    EXPECT_EQ(Text(copy), Text(tree));
    EXPECT_FALSE(SharesACell(copy, tree));
    EXPECT_TRUE(copy.Arg(1).IsList());
    EXPECT_NE(copy.Arg(0).Arg(0).Cell(), copy.Arg(0).Arg(1).Cell());
    EXPECT_TRUE(copy.Arg(2).Quoted());
    EXPECT_EQ(copy.ListFormat(), tree.ListFormat());
    EXPECT_EQ(x.Cell()->rc, xCount);
    EXPECT_EQ(copy.Cell()->rc, 1u);
    EXPECT_TRUE(Ex_Expr().Detach().IsNull());
}

TEST(ExprWriter, ParenthesesAndBlanks) {
    Ex_Expr a = A("a"), b = A("b"), c = A("c"), x = A("x"), y = A("y");
    Ex_Expr f = Apply("f", 2);
    f.SetArg(0, A("1"));
    f.SetArg(1, Binary("+", x, A("1")));
    const struct {
        Ex_Expr e;
        const char* text;
    } cases[] = {
        {Unary("-", Binary("+", a, b)), "-(a + b)"},
        {Binary("+", a, Binary("+", b, c)), "a + b + c"},
        {Binary("-", a, Binary("-", b, c)), "a - (b - c)"},
        {Binary("-", Binary("-", a, b), c), "(a - b) - c"},
        {Binary("*", Binary("+", a, b), c), "(a + b)*c"},
        {Binary("^", x, A("2")), "x^2"},
        {Binary("/\\", Binary("=", x, A("0")), Binary("<", y, A("1"))), "x = 0 /\\ y < 1"},
        {f, "f(1,x + 1)"},
        {MakeList(0), "[  ]"},
        {Binary("<", a, Binary("<", b, c)), "a < b < c"},
        {Binary("<", a, Binary("=", b, c)), "a < (b = c)"},
        {Binary("&", Unary("~", a), b), "~a & b"},
        {Unary("~", Binary("&", a, b)), "~(a & b)"},
        {Binary("*", Unary("-", x), y), "-x*y"},
        {Unary("-", Binary("^", x, A("2"))), "-x^2"},
        {Binary("^", Binary("+", x, A("1")), A("2")), "(x + 1)^2"},
        {Unary("!", Binary("+", a, b)), "(a + b)!"},
        {Binary("==>", Binary("==>", a, b), c), "(a ==> b) ==> c"},
        {Binary("\\/", a, Binary("/\\", b, c)), "a \\/ (b /\\ c)"},
        {Binary("*", a, Binary("/", b, c)), "a*(b/c)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(c.e), c.text);
    }
    Ex_Expr list = MakeList(2);
    list.SetArg(0, A("0"));
    list.SetArg(1, A("1"));
    EXPECT_EQ(Text(list), "[ 0, 1 ]");
}

TEST(ExprWriter, QuotingRule) {
    Ex_Expr quotedAtom = A("a b");
    Ex_StreamFormat all(Ex_StreamFormat::QuoteAll), words(Ex_StreamFormat::QuoteNonWords);
    EXPECT_EQ(ExpressionText(A("1.5"), all), "\"1.5\"");
    EXPECT_EQ(ExpressionText(A("x1"), all), "x1");
    EXPECT_EQ(ExpressionText(A("1.5e-3"), words), "1.5e-3");
    EXPECT_EQ(ExpressionText(A("std::x_1"), words), "std::x_1");
    EXPECT_EQ(ExpressionText(A("say \"hi\""), words), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(Text(quotedAtom), "a b");  // unmarked atoms pass unchanged by default
    quotedAtom.SetQuoted(true);
    EXPECT_EQ(Text(quotedAtom), "\"a b\"");
}

}  // namespace
