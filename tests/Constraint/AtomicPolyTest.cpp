#include "support/RegistryScope.h"
#include "Constraint/BRIX_AtomicPoly.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/ConstraintTestSupport.h"
#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_USASAtomic.h"

#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
using Node = std::unique_ptr<BRIX_Constraint>;

DistPoly Var(int n, int i) {
    return DistPoly::Variable(n, i);
}
DistPoly Const(int n, double lo, double hi) {
    return DistPoly::Constant(n, Itvl::FromBounds(lo, hi));
}

// p REL 0 over free variables 0 .. n-1 that are p's variables in order.
BRIX_AtomicPoly* Atomic(const DistPoly& p, int relation) {
    std::vector<int> ids;
    for (int i = 0; i < p.VariableCount(); ++i) {
        ids.push_back(i);
    }
    return new BRIX_AtomicPoly(p, ids, relation, ids, Itvl(0.0));
}

Box MakeBox(std::initializer_list<Itvl> components) {
    Box box(static_cast<int>(components.size()));
    int i = 0;
    for (const Itvl& c : components) {
        box.Set(i++, c);
    }
    return box;
}

// Text and negation (not R); unknown
// codes print as an error and map to themselves.
TEST(Atomic, RelationTables) {
    const struct {
        int relation;
        const char* text;
        int negated;
    } cases[] = {
        {BRIX_Less, " < ", BRIX_GreaterEqual},
        {BRIX_LessEqual, " <= ", BRIX_Greater},
        {BRIX_Greater, " > ", BRIX_LessEqual},
        {BRIX_GreaterEqual, " >= ", BRIX_Less},
        {BRIX_Equal, " = ", BRIX_NotEqual},
        {BRIX_NotEqual, " != ", BRIX_Equal},
        {-1, " ERROR! ", -1},
        {6, " ERROR! ", 6},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(RelationText(c.relation), c.text);
        EXPECT_EQ(NegatedRelation(c.relation), c.negated) << c.relation;
    }
}

// Narrows box with a fresh state; returns the state for its marks.
std::unique_ptr<BRIX_USASAtomic> NarrowOnce(BRIX_AtomicPoly& node, Box& box, bool up) {
    auto state = std::make_unique<BRIX_USASAtomic>(&node);
    bool complete = false;
    EXPECT_FALSE(node.Narrow(state.get(), box, up, ResultPainter(), complete));
    EXPECT_TRUE(complete);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return state;
}

TEST(AtomicPoly, ConstantNarrowTable) {
    // A polynomial without variables on a box of one free variable.
    struct Case {
        double lo, hi;
        int relation;
        bool emptyUp, emptyDown;
    };
    const Case cases[] = {
        {1, 1, BRIX_LessEqual, true, false},     {-1, -1, BRIX_LessEqual, false, true},
        {0, 0, BRIX_Less, true, false},          {0, 0, BRIX_Equal, false, true},
        {-1, 1, BRIX_Greater, false, false},     {2, 3, BRIX_NotEqual, false, true},
        {NAN, NAN, BRIX_NotEqual, false, false}, {NAN, -1, BRIX_Less, false, false},
    };
    for (const Case& c : cases) {
        for (bool up : {true, false}) {
            BRIX_AtomicPoly node(Const(0, c.lo, c.hi), {0}, c.relation, {-1}, Itvl(0.0));
            Box box = MakeBox({Itvl(0.0, 1.0)});
            NarrowOnce(node, box, up);
            EXPECT_EQ(box.IsEmpty(), up ? c.emptyUp : c.emptyDown)
                << c.lo << RelationText(c.relation) << (up ? "up" : "down");
        }
    }
}

TEST(AtomicPoly, NarrowsBothDirections) {
    ParamScope inflate(BRIX_Param::InflateTightening, 1);
    const DistPoly x = Var(1, 0);
    Node node(Atomic(x * x - Const(1, 2, 2), BRIX_Less));  // x^2 - 2 < 0
    auto& atomic = static_cast<BRIX_AtomicPoly&>(*node);
    Box box = MakeBox({Itvl(0.0, 4.0)});
    auto state = NarrowOnce(atomic, box, true);
    EXPECT_EQ(box[0].lo, 0.0);
    EXPECT_TRUE(box[0].hi > 1.41421356 && box[0].hi < 1.41421357);
    EXPECT_EQ(state->variableMarks[1], 1u);
    // Down removes where x^2 - 2 < 0 certainly holds.
    box = MakeBox({Itvl(0.0, 4.0)});
    NarrowOnce(atomic, box, false);
    EXPECT_TRUE(box[0].lo > 1.41421356 && box[0].lo < 1.41421357 && box[0].hi == 4.0);
    // False everywhere: x^2 - 2 < 0 on [2, 3].
    box = MakeBox({Itvl(2.0, 3.0)});
    NarrowOnce(atomic, box, true);
    EXPECT_TRUE(box.IsEmpty());
}

TEST(AtomicPoly, EquationNarrowsTwicePerVisit) {
    FlagScope continuity(BRIX_Flag::UseContinuity, true);
    const DistPoly x = Var(2, 0), y = Var(2, 1);
    Node node(Atomic(x - y, BRIX_Equal));
    auto& atomic = static_cast<BRIX_AtomicPoly&>(*node);
    Box box = MakeBox({Itvl(0.0, 4.0), Itvl(1.0, 2.0)});
    auto state = NarrowOnce(atomic, box, true);
    // x <= y cuts x above 2 (first pass), x >= y cuts it below 1 (second pass).
    EXPECT_TRUE(box[0].lo < 1 && box[0].lo > 0.99 && box[0].hi > 2 && box[0].hi < 2.01);
    EXPECT_EQ(state->upperMarks[1] & 1u, 1u);
    EXPECT_EQ(state->lowerMarks[0] & 1u, 1u);
    EXPECT_EQ(state->lowerMarks[1] & 1u, 0u);
    ContinuityInfo marks = atomic.ContinuityMarks(state.get());
    ASSERT_EQ(marks.trueSets.Size(), 1);
    EXPECT_EQ(marks.trueSets[0], 1u);
    EXPECT_EQ(marks.falseSets.Size(), 0);
    // Down narrowing of an equation removes nothing.
    Box down = MakeBox({Itvl(0.0, 4.0), Itvl(1.0, 2.0)});
    NarrowOnce(atomic, down, false);
    EXPECT_EQ(down, MakeBox({Itvl(0.0, 4.0), Itvl(1.0, 2.0)}));
    FlagScope off(BRIX_Flag::UseContinuity, false);
    EXPECT_EQ(atomic.ContinuityMarks(state.get()).trueSets.Size(), 0);
}

// A zero of p belongs to the true side of <=, >=, = and to the false side of
// <, >, !=: a box on which p only touches 0 is decided by narrowing (down
// removes where the relation holds, up where it fails), however thin it is.
TEST(AtomicPoly, ClosedBoundariesAreDecided) {
    const double below1 = std::nextafter(1.0, 0.0);
    const DistPoly x = Var(1, 0);
    const DistPoly one = Const(1, 1, 1);
    // The other direction keeps such boxes: p touches 0 on the true side only.
    const struct {
        const char* what;
        DistPoly p;
        int relation;
        Itvl X;
        bool up, decided;
    } cases[] = {
        {"x - 1 <= 0 holds on [0, 1]", x - one, BRIX_LessEqual, Itvl(0.0, 1.0), false, true},
        {"x - 1 <= 0 holds on the sliver at 1", x - one, BRIX_LessEqual, Itvl(below1, 1.0), false,
         true},
        {"x >= 0 holds on [0, 1]", x, BRIX_GreaterEqual, Itvl(0.0, 1.0), false, true},
        {"x^2 - x <= 0 holds on [0, 0.5]", x * x - x, BRIX_LessEqual, Itvl(0.0, 0.5), false, true},
        {"x^2 - x <= 0 holds on [0.5, 1]", x * x - x, BRIX_LessEqual, Itvl(0.5, 1.0), false, true},
        {"x - 1 = 0 holds at the point 1", x - one, BRIX_Equal, Itvl(1.0, 1.0), false, true},
        {"x - 1 > 0 fails on [0, 1]", x - one, BRIX_Greater, Itvl(0.0, 1.0), true, true},
        {"x < 0 fails on [0, 1]", x, BRIX_Less, Itvl(0.0, 1.0), true, true},
        {"x - 1 != 0 fails at the point 1", x - one, BRIX_NotEqual, Itvl(1.0, 1.0), true, true},
        {"x^2 - x > 0 fails on [0, 1] ends", x * x - x, BRIX_Greater, Itvl(0.0, 0.5), true, true},
        {"x - 1 <= 0 does not fail at 1", x - one, BRIX_LessEqual, Itvl(below1, 1.0), true, false},
        {"x - 1 < 0 does not hold at 1", x - one, BRIX_Less, Itvl(below1, 1.0), false, false},
        {"x - 1 = 0 does not fail at 1", x - one, BRIX_Equal, Itvl(1.0, 1.0), true, false},
    };
    for (const auto& c : cases) {
        Node node(Atomic(c.p, c.relation));
        Box box = MakeBox({c.X});
        NarrowOnce(static_cast<BRIX_AtomicPoly&>(*node), box, c.up);
        EXPECT_EQ(box.IsEmpty(), c.decided) << c.what;
    }
    // Down-narrowing of x - 1 < 0 on [0, 2] cuts up to the root but keeps it:
    // 1 is no point of x - 1 < 0. For <= the root goes with the cut piece.
    Node strict(Atomic(x - one, BRIX_Less));
    Box box = MakeBox({Itvl(0.0, 2.0)});
    NarrowOnce(static_cast<BRIX_AtomicPoly&>(*strict), box, false);
    EXPECT_EQ(box[0], Itvl(below1, 2.0));
    Node closed(Atomic(x - one, BRIX_LessEqual));
    box = MakeBox({Itvl(0.0, 2.0)});
    NarrowOnce(static_cast<BRIX_AtomicPoly&>(*closed), box, false);
    EXPECT_EQ(box[0], Itvl(1.0, 2.0));
}

TEST(AtomicPoly, SmallShrinksNeedFlag11) {
    // x >= 0.05 on [0, 1] cuts 5 %: marked done, but the box keeps its interval.
    Node node(Atomic(Var(1, 0) - Const(1, 0.05, 0.05), BRIX_GreaterEqual));
    auto& atomic = static_cast<BRIX_AtomicPoly&>(*node);
    for (bool propagate : {false, true}) {
        FlagScope flag(BRIX_Flag::PropagateNarrowingBelowThreshold, propagate);
        Box box = MakeBox({Itvl(0.0, 1.0)});
        auto state = NarrowOnce(atomic, box, true);
        EXPECT_EQ(state->variableMarks[1] & 1u, 1u);
        if (propagate) {
            EXPECT_TRUE(box[0].lo > 0.049 && box[0].lo < 0.05);
        } else {
            EXPECT_EQ(box[0], Itvl(0.0, 1.0));
        }
    }
    // An emptied point interval is always applied.
    Box point = MakeBox({Itvl(0.0, 0.0)});
    NarrowOnce(atomic, point, true);
    EXPECT_TRUE(point.IsEmpty());
}

TEST(AtomicPoly, SubstituteSimplifyAndSample) {
    // x + 1 >= 0 at x = -2: no node, the constant false.
    Node node(Atomic(Var(1, 0) + Const(1, 1, 1), BRIX_GreaterEqual));
    auto& atomic = static_cast<BRIX_AtomicPoly&>(*node);
    BRIX_Constraint* result = node.get();
    TruthValue constant;
    atomic.Substitute(0, -2.0, result, constant);
    EXPECT_EQ(result, nullptr);
    EXPECT_TRUE(constant.IsFalse());

    // x + y >= 0 at x = 1: y stays variable 1, x leaves the map but not the numbering.
    Node xy(Atomic(Var(2, 0) + Var(2, 1), BRIX_GreaterEqual));
    static_cast<BRIX_AtomicPoly&>(*xy).Substitute(0, 1.0, result, constant);
    Node substituted(result);
    auto& s = static_cast<BRIX_AtomicPoly&>(*substituted);
    EXPECT_EQ(s.NumberOfVariables(), 2);
    EXPECT_EQ(s.VarMap(), (std::vector<int>{-1, 0}));
    EXPECT_TRUE(s.IsConsistent());
    EXPECT_TRUE(!s.HasVariable(0) && s.HasVariable(1) && s.Degree(1) == 1);

    // Constant folding consumes the node; an infinite rhs or a variable keeps it.
    BRIX_Constraint* folded =
        (new BRIX_AtomicPoly(Const(0, 1, 1), {0, 1}, BRIX_LessEqual, {-1, -1}, Itvl(0.0)))
            ->SimplifyNode();
    ASSERT_EQ(folded->Kind(), BRIX_KindConstant);
    EXPECT_TRUE(static_cast<BRIX_Constant*>(folded)->value.IsFalse());
    EXPECT_EQ(folded->NumberOfVariables(), 2);
    delete folded;
    auto* kept =
        new BRIX_AtomicPoly(Const(0, 1, 1), {0}, BRIX_LessEqual, {-1}, Itvl(0.0, HUGE_VAL));
    EXPECT_EQ(kept->SimplifyNode(), kept);
    delete kept;
    EXPECT_EQ(atomic.SimplifyNode(), &atomic);

    // Sample: x > 0 on [0, 1] is not proved (0 is no solution); x >= 0 is.
    Node greater(Atomic(Var(1, 0), BRIX_Greater));
    EXPECT_FALSE(greater->Sample(nullptr, MakeBox({Itvl(0.0, 1.0)}), 0));
    greater->Negate();
    greater->Negate();
    EXPECT_EQ(static_cast<BRIX_Atomic&>(*greater).relation, BRIX_Greater);
    greater->Negate();  // x <= 0
    EXPECT_FALSE(greater->Sample(nullptr, MakeBox({Itvl(0.0, 1.0)}), 0));
    Node atLeast(Atomic(Var(1, 0), BRIX_GreaterEqual));
    EXPECT_TRUE(atLeast->Sample(nullptr, MakeBox({Itvl(0.0, 1.0)}), 0));
}

TEST(AtomicPoly, RemoveVariablePrintAndConsistency) {
    // x*y + z over free variables 0, 1, 2 (scoped numbers 0, 2, 3).
    const DistPoly x = Var(3, 0), y = Var(3, 1), z = Var(3, 2);
    BRIX_AtomicPoly node(x * y + z, {0, 2, 3}, BRIX_LessEqual, {0, 1, 2}, Itvl(0.0));
    const BRIX_Names names = {"a", "unused", "b", "c"};
    EXPECT_EQ(Printed(node, &names),
              "NumberOfVariables(f) = 3\n"
              "[ 1, 1 ] * a * b + [ 1, 1 ] * c\n"
              " <= [ 0, 0 ]\n");
    EXPECT_EQ(Printed(node),
              "NumberOfVariables(f) = 3\n"
              "[ 1, 1 ] * x0 * x1 + [ 1, 1 ] * x2\n"
              " <= [ 0, 0 ]\n");
    Node copy(node.Copy());
    EXPECT_EQ(Printed(*copy, &names), Printed(node, &names));

    node.RemoveVariable(1);  // y = 0: p = z, with x still a polynomial variable
    EXPECT_EQ(node.NumberOfVariables(), 2);
    EXPECT_EQ(node.VarMap(), (std::vector<int>{0, 1}));
    EXPECT_EQ(node.Variables(), (std::vector<int>{0, 3}));
    EXPECT_TRUE(node.IsConsistent());
    EXPECT_EQ(node.Degree(0), 0);
    EXPECT_EQ(node.Degree(1), 1);
    EXPECT_EQ(Printed(node, &names),
              "NumberOfVariables(f) = 2\n"
              "[ 1, 1 ] * c\n"
              " <= [ 0, 0 ]\n");

    // x^2 - 1 with an upside-down rhs kept as written; unknown relation code.
    BRIX_AtomicPoly odd(Var(1, 0) * Var(1, 0) - Const(1, 1, 1), {0}, 9, {0},
                        Itvl::FromBounds(2.0, 1.0));
    EXPECT_EQ(Printed(odd),
              "NumberOfVariables(f) = 1\n"
              "[ 1, 1 ] * x0^2 + [ -1, -1 ]\n"
              " ERROR! [ 2, 1 ]\n");

    struct Case {
        std::vector<int> variables, varMap;
        bool consistent;
    };
    const Case cases[] = {
        {{0, 1}, {0, 1}, true},  {{0, 1, 2}, {1, -1, 0}, true}, {{0}, {0}, false},
        {{0, 1}, {0, 0}, false}, {{0, 1}, {0, 2}, false},       {{0, 1}, {0, -2}, false},
    };
    for (const Case& c : cases) {
        BRIX_AtomicPoly n(Var(2, 0) + Var(2, 1), c.variables, BRIX_Less, c.varMap, Itvl(0.0));
        EXPECT_EQ(n.IsConsistent(), c.consistent) << c.varMap.size();
    }
}

}  // namespace
