// Boxes: sharing with copy on write, volume rounded up, equality, and the
// conversions to and from expression trees.
#include "Interval/Iv_Box.h"

#include "Expr/Ex_Expr.h"
#include "Expr/Ex_Writer.h"
#include "System/SAL.h"
#include "support/ExactRational.h"

#include <cmath>
#include <initializer_list>
#include <string>

#include "support/ExprBuilders.h"

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

Box MakeBox(std::initializer_list<Itvl> components) {
    Box box(static_cast<int>(components.size()));
    int i = 0;
    for (const Itvl& c : components) {
        box.Set(i++, c);
    }
    return box;
}

TEST(BoxTest, CopyOnWrite) {
    Box a = MakeBox({Itvl(0, 1), Itvl(2, 3)});
    Box b = a;
    b.Set(1, Itvl(5, 6));
    EXPECT_EQ(a[1], Itvl(2, 3));
    EXPECT_EQ(b[0], Itvl(0, 1));
    a.At(0) = Itvl(-1, 0);
    EXPECT_EQ(b[0], Itvl(0, 1));

    // Growing and shrinking a shared box leaves the other holder alone.
    Box c = a;
    c.Resize(1);
    c.Resize(3);
    EXPECT_EQ(c[0], Itvl(-1, 0));
    EXPECT_EQ(c[1], Itvl(0));
    EXPECT_EQ(a[1], Itvl(2, 3));
    Box e = a;  // shrunk, written, grown again: the new component is fresh
    e.Resize(1);
    e.Set(0, Itvl(7));
    e.Resize(2);
    EXPECT_EQ(e[1], Itvl(0));
    EXPECT_EQ(a[0], Itvl(-1, 0));
    EXPECT_EQ(a[1], Itvl(2, 3));
    Box d = a;
    d.Reserve(2);
    EXPECT_EQ(d[0], Itvl(0));
    EXPECT_EQ(a[0], Itvl(-1, 0));

    // A box grown one component at a time keeps every component.
    Box list(0);
    for (int i = 0; i < 100; ++i) {
        list.Resize(i + 1);
        list.Set(i, Itvl(i));
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(list[i], Itvl(i));
    }
    list = list;  // self-assignment keeps the array
    EXPECT_EQ(list[99], Itvl(99));
    Box detached = list.Detach();  // equal, in an array of its own
    EXPECT_TRUE(detached == list);
    EXPECT_NE(&detached[0], &list[0]);
    list.MakeEmpty();
    EXPECT_TRUE(list.IsEmpty());
}

// Volumes enclose the exact product of the exact widths, whatever mode was
// set before; below dimension 1 the volume is 1.
TEST(BoxTest, VolumeRoundsUp) {
    EXPECT_EQ(Box().Volume(), 1.0);
    EXPECT_EQ(Box(0).Volume(), 1.0);
    EXPECT_FALSE(Box(0).IsEmpty());
    const Box cases[] = {
        MakeBox({Itvl(0, 1), Itvl(0, 0.1)}),
        MakeBox({Itvl(0, 0.1), Itvl(0, 0.1), Itvl(0, 0.1)}),
        MakeBox({Itvl(0.1, 0.3), Itvl(0, 3)}),
        MakeBox({Itvl(-0.7, 0.1), Itvl(1e-300, 1e-299), Itvl(0, 1e-20)}),
    };
    for (const Box& box : cases) {
        ExactQ exact(1.0);
        for (int i = 0; i < box.Dimension(); ++i) {
            exact = exact * (ExactQ(box[i].hi) - ExactQ(box[i].lo));
        }
        for (int mode : {SAL_RoundNearest, SAL_RoundDown, SAL_RoundToZero}) {
            SAL_Interface::SetRounding(mode);
            const double volume = box.Volume();
            EXPECT_FALSE(ExactQ(volume) < exact) << volume;
        }
    }
    EXPECT_EQ(MakeBox({Itvl(0, 1), Itvl(0, 0.1)}).Volume(), 0.1);
    EXPECT_EQ(MakeBox({Itvl(0, 0.1), Itvl(0, 0.1)}).Volume(), 0x1.47ae147ae147cp-7);
    // A flat box has volume 0 even when another side is unbounded.
    EXPECT_EQ(MakeBox({Itvl(0), Itvl::Entire()}).Volume(), 0.0);
    EXPECT_EQ(MakeBox({Itvl(0, 1), Itvl(0, INFINITY)}).Volume(), INFINITY);
}

TEST(BoxTest, Equality) {
    const Box two = MakeBox({Itvl(0, 1), Itvl(2)});
    const Box withEmpty = MakeBox({Itvl::Empty()});
    const struct {
        Box a, b;
        bool equal;
    } cases[] = {
        {Box(), Box(), true},
        {Box(0), Box(0), true},
        {Box(), Box(0), false},
        {Box(1), Box(2), false},
        {Box(), Box(1), false},
        {two, MakeBox({Itvl(0, 1), Itvl(2)}), true},
        {two, MakeBox({Itvl(0, 1), Itvl(2, 3)}), false},
        {withEmpty, MakeBox({Itvl::Empty()}), true},
        {withEmpty, Box(1), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << c.a.Dimension() << " " << c.b.Dimension();
    }
}

// Components must be real intervals in order: the solver would otherwise
// work with negative or meaningless volumes.
TEST(BoxTest, ExprToBoxAndBack) {
    const Box unchanged = MakeBox({Itvl(7)});
    const struct {
        Ex_Expr e;
        bool ok;
        Box expected;
    } cases[] = {
        {L({L("0", "1"), L({Atom("2")})}), true, MakeBox({Itvl(0, 1), Itvl(2)})},
        {L({L("0", "Infinity")}), true, MakeBox({Itvl(0, INFINITY)})},
        {L({}), true, Box(0)},
        {L({L("0", "1"), L({})}), false, unchanged},
        {L({L("1", "0")}), false, unchanged},
        {L({L("nan", "1")}), false, unchanged},
        {L({L("0", "nan")}), false, unchanged},
        {L({L("Infinity", "Infinity")}), false, unchanged},
        {L({Neg(L("Infinity", "Infinity"))}), false, unchanged},
        {L({Unary("Foo", L("0", "1"))}), false, unchanged},
        {L("0", "1"), true, MakeBox({Itvl(0), Itvl(1)})},
        {Atom("1"), false, unchanged},
    };
    for (const auto& c : cases) {
        Box box = unchanged;
        EXPECT_EQ(ExprToBox(c.e, box), c.ok) << ExpressionText(c.e, Ex_StreamFormat::Default());
        EXPECT_EQ(box, c.expected) << ExpressionText(c.e, Ex_StreamFormat::Default());
    }
    // Back to text: outward rounded; no box and a box of no component alike.
    auto text = [](const Box& b) {
        return ExpressionText(BoxToExpr(b, nullptr), Ex_StreamFormat::Default());
    };
    EXPECT_EQ(text(MakeBox({Itvl(0, 1), Itvl(0.1)})), "[ [ 0, 1 ], [ 0.1, 0.100001 ] ]");
    EXPECT_EQ(text(Box(0)), "[  ]");
    EXPECT_EQ(text(Box()), "[  ]");
}

}  // namespace
