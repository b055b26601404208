#include "Search/BRIX_USAS.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Negation.h"
#include "Search/BRIX_StackEl.h"
#include "Search/SearchTestSupport.h"

#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

using State = std::unique_ptr<BRIX_USAS>;

TEST(USASTest, CreateUsasByKind) {
    // FORALL y in [2, 3]: EXISTS z in [4, 5]: atomic(x, y, z), with x free.
    auto* atomic = new TestAtomic(3);
    auto* inner = new TestQuantified(MakeBox({{4, 5}}), atomic, 2, 1);
    TestQuantified outer(MakeBox({{2, 3}}), inner, 1, -1);
    State state(CreateUsas(&outer, true));  // a free variable: no store
    auto& q = dynamic_cast<BRIX_USASQuantified&>(*state);
    EXPECT_FALSE(q.IsStore());
    EXPECT_EQ(q.polarity, -1);
    EXPECT_EQ(q.boundCount, 1);
    ASSERT_EQ(q.StackSize(), 1);
    EXPECT_EQ(q.stack->box, MakeBox({{-INFINITY, INFINITY}, {2, 3}}));
    auto& nested = dynamic_cast<BRIX_StackElQuantified&>(*q.stack);
    EXPECT_EQ(nested.polarity, 1);
    ASSERT_EQ(nested.StackSize(), 1);
    EXPECT_EQ(nested.stack->box, MakeBox({{-INFINITY, INFINITY}, {-INFINITY, INFINITY}, {4, 5}}));
    EXPECT_EQ(dynamic_cast<BRIX_StackElAtomic&>(*nested.stack).constraint, atomic);

    // A closed quantifier gets a store only where one is allowed.
    TestQuantified closed(MakeBox({{0, 1}}), new TestAtomic(1), 0, 0);
    EXPECT_TRUE(State(CreateUsas(&closed, true))->IsStore());
    EXPECT_FALSE(State(CreateUsas(&closed, false))->IsStore());

    // Negations have no state: the innermost operand's stands for them.
    BRIX_Negation twice(1, new BRIX_Negation(1, new TestAtomic(1)));
    State negated(CreateUsas(&twice, false));
    EXPECT_EQ(static_cast<BRIX_USASAtomic&>(*negated).constraint,
              static_cast<BRIX_Negation*>(twice.sub)->sub);
    BRIX_Constant constant(TruthValue::True(), 1);
    EXPECT_EQ(State(CreateUsas(&constant, false))->Kind(), BRIX_USASKindAtomic);

    // No state for an unknown kind, also below a quantifier (nothing leaks).
    TestOddNode odd;
    TestQuantified overOdd(MakeBox({{0, 1}}), new TestOddNode, 0, 0);
    EXPECT_EQ(CreateUsas(&odd, false), nullptr);
    EXPECT_EQ(CreateUsas(&overOdd, true), nullptr);
    EXPECT_EQ(CreateUsas(nullptr, true), nullptr);
}

// A quantified state with elements over [i, i + 1] for i = 1, 2, 3 (top first),
// each with an atomic state.
std::unique_ptr<BRIX_USASQuantified> ThreeElements(BRIX_USASQuantified* state, TestAtomic& node) {
    for (int i = 3; i >= 1; --i) {
        auto* e = new BRIX_StackElAtomic(MakeBox({{i, i + 1.0}}), &node);
        e->splitMark = 1;
        state->Push(e);
    }
    return std::unique_ptr<BRIX_USASQuantified>(state);
}

TEST(USASTest, CloneReversesTheStackAndIsIndependent) {
    TestAtomic node(1);
    auto original = ThreeElements(new BRIX_USASQuantifiedStore(0, 1), node);
    auto& store = static_cast<BRIX_USASQuantifiedStore&>(*original);
    store.AddTrueBoxes({MakeBox({{7, 8}})});
    store.value = Iv_Itvl<double>(2.0, 3.0);
    State copy(original->Clone());
    auto& q = dynamic_cast<BRIX_USASQuantified&>(*copy);
    EXPECT_FALSE(q.IsStore());  // a store is copied as a plain quantified state
    EXPECT_EQ(dynamic_cast<BRIX_USASQuantifiedStore*>(&q), nullptr);
    EXPECT_EQ(q.value.hi, 3.0);
    EXPECT_EQ(Components(q.stack, 0), (std::vector<Bounds>{{3, 4}, {2, 3}, {1, 2}}));
    for (BRIX_StackEl* e = original->stack; e != nullptr; e = e->next) {
        EXPECT_EQ(e->splitMark, 0);
    }
    q.stack->box.Set(0, Iv_Itvl<double>(9.0));
    static_cast<BRIX_StackElAtomic*>(q.stack)->variableMarks[1] = 1;
    EXPECT_EQ(Components(original->stack, 0), (std::vector<Bounds>{{1, 2}, {2, 3}, {3, 4}}));
    EXPECT_EQ(static_cast<BRIX_StackElAtomic*>(original->stack->next->next)->variableMarks[1], 0u);

    // Boolean: children copied deeply, removed children stay removed.
    BRIX_USASBoolean boolean(-1);
    boolean.AddChild(new BRIX_USASAtomic(&node));
    boolean.AddChild(nullptr);
    boolean.cursor = 1;
    State boolCopy(boolean.Clone());
    auto& b = static_cast<BRIX_USASBoolean&>(*boolCopy);
    ASSERT_EQ(b.ChildCount(), 2);
    EXPECT_NE(b.Child(0), boolean.Child(0));
    EXPECT_EQ(b.Child(1), nullptr);
    EXPECT_EQ(b.cursor, 1);
    EXPECT_EQ(b.polarity, -1);
}

// A removed child is freed once (removing it again frees nothing) and the
// debugging print shows its slot instead of following the null pointer.
TEST(USASTest, PrintShowsRemovedChildren) {
    BRIX_USASBoolean boolean(1);
    boolean.AddChild(new BRIX_USASAtomic(nullptr));
    boolean.AddChild(new BRIX_USASAtomic(nullptr));
    boolean.RemoveChild(1);
    boolean.RemoveChild(1);
    const std::string text = StdOutOf([&] { boolean.Print(2); });
    EXPECT_EQ(text.find("  Boolean: "), 0u);
    EXPECT_NE(text.find("\n    Atomic: "), std::string::npos) << text;
    EXPECT_NE(text.find("\n    Child 1 empty\n"), std::string::npos) << text;
}

TEST(USASTest, AllMarkedFollowsPolarityAndVariables) {
    TestAtomic two(2);
    TestAtomic none(0);
    BRIX_Constant constant(TruthValue::True(), 0);
    auto atomic = [](const BRIX_Constraint* node, std::uint32_t marks, bool up = true) {
        auto* s = new BRIX_USASAtomic(node);
        s->variableMarks[up ? 1 : 0] = marks;
        return s;
    };
    const struct {
        int polarity;
        std::uint32_t marksA, marksB;
        bool up, expected;
    } cases[] = {
        {-1, 3, 3, true, true},   // conjunction up: all marked
        {-1, 3, 1, true, false},  // conjunction up: one missing
        {1, 3, 1, true, true},    // disjunction up: one suffices
        {1, 1, 2, true, false},   // disjunction up: none complete
        {1, 3, 1, false, false},  // disjunction down: all needed
        {-1, 3, 1, false, true},  // conjunction down: one suffices
    };
    for (const auto& c : cases) {
        BRIX_USASBoolean b(c.polarity);
        b.AddChild(atomic(&two, c.marksA, c.up));
        b.AddChild(atomic(&two, c.marksB, c.up));
        b.AddChild(nullptr);
        EXPECT_EQ(b.AllMarked(c.up), c.expected) << c.polarity << " " << c.marksA << c.marksB;
    }
    EXPECT_TRUE(State(atomic(&none, 0))->AllMarked(true));
    EXPECT_FALSE(State(atomic(&constant, ~0u))->AllMarked(true));  // constants keep no marks

    // AllMarkedExcept(up, v) fails whenever v is a variable of the constraint.
    State s(atomic(&two, 3));
    auto& a = static_cast<BRIX_USASAtomic&>(*s);
    a.lowerMarks[1] = ~0u;
    EXPECT_FALSE(a.AllMarkedExcept(true, 0));
    EXPECT_FALSE(a.AllMarkedExcept(true, 1));
    EXPECT_TRUE(a.AllMarkedExcept(true, 5));
    EXPECT_FALSE(a.AllMarkedExcept(false, 5));
}

TEST(USASTest, ClearMarksReachesEveryAtomicState) {
    TestAtomic node(3, 0b101);  // variables 0 and 2 occur, 1 does not
    BRIX_USASBoolean b(-1);
    auto* a = new BRIX_USASAtomic(&node);
    for (int d = 0; d < 2; ++d) {
        a->lowerMarks[d] = a->upperMarks[d] = a->variableMarks[d] = 0b111;
    }
    b.AddChild(a);
    b.AddChild(nullptr);
    b.ClearMarks(true, 1, true, false);
    EXPECT_EQ(a->lowerMarks[0], 0b101u);
    EXPECT_EQ(a->lowerMarks[1], 0b101u);
    EXPECT_EQ(a->upperMarks[0], 0b111u);
    EXPECT_EQ(a->variableMarks[1], 0b010u);  // direction up: the variables that occur
    EXPECT_EQ(a->variableMarks[0], 0b111u);
    b.ClearMarks(false, 40, false, true);  // no bit for variable 40
    EXPECT_EQ(a->upperMarks[1], 0b111u);
    EXPECT_EQ(a->variableMarks[0], 0b010u);
}

TEST(USASTest, BooleanStepsRotateOverLiveChildren) {
    TestAtomic node(1);
    BRIX_USASBoolean b(-1);
    b.AddChild(nullptr);
    b.AddChild(nullptr);
    // No child can take the step: false, and no endless search for one.
    EXPECT_FALSE(b.RefineStatic(0, 0));
    EXPECT_FALSE(b.RefineDynamic(true));
    EXPECT_FALSE(b.RefineParallel(0, 0));
    EXPECT_EQ(b.cursor, -1);
    EXPECT_FALSE(BRIX_USASBoolean(1).RefineDynamic(true));

    auto* q = new BRIX_USASQuantified(1, 1);
    q->Push(new BRIX_StackElAtomic(MakeBox({{0, 1}}), &node));
    b.AddChild(q);
    b.AddChild(new BRIX_USASQuantified(1, 1));  // empty stack: no step
    EXPECT_TRUE(b.RefineStatic(0, 0));
    EXPECT_EQ(b.cursor, 2);
    EXPECT_FALSE(b.RefineStatic(0, 0));
    EXPECT_EQ(b.cursor, 3);
    EXPECT_TRUE(b.RefineDynamic(true));  // wraps past the null children
    EXPECT_EQ(b.cursor, 2);
    EXPECT_EQ(q->StackSize(), 3);
    EXPECT_TRUE(b.RefineParallel(0, 0));
    EXPECT_EQ(q->StackSize(), 6);
}

TEST(USASTest, StoreListsAndEmptyElements) {
    TestAtomic node(1);
    BRIX_USASQuantifiedStore store(0, 1);
    std::vector<Box> boxes{MakeBox({{0, 1}}), MakeBox({{1, 2}})};
    store.AddFalseBoxes(boxes);
    store.AddFalseBoxes({MakeBox({{2, 3}})});
    EXPECT_EQ(Components(store.falseBoxes, 0), (std::vector<Bounds>{{2, 3}, {1, 2}, {0, 1}}));
    EXPECT_EQ(store.trueBoxes, nullptr);
    auto& holder = static_cast<BRIX_StackElAtomic&>(*store.falseBoxes);
    EXPECT_EQ(holder.constraint, nullptr);
    EXPECT_EQ(holder.depth, 0);

    for (double lo : {4.0, 3.0, 2.0, 1.0, 0.0}) {
        store.Push(new BRIX_StackElAtomic(MakeBox({{lo, lo + 1}}), &node));
    }
    store.stack->box.MakeEmpty();
    store.stack->next->next->box.MakeEmpty();
    store.stack->next->next->next->next->box.MakeEmpty();
    store.RemoveEmptyElements();
    EXPECT_EQ(Components(store.stack, 0), (std::vector<Bounds>{{1, 2}, {3, 4}}));
}

TEST(USASTest, CreateStackElForTakesOverTheState) {
    TestAtomic node(1);
    auto* boolean = new BRIX_USASBoolean(1);
    auto* child = new BRIX_USASAtomic(&node);
    boolean->AddChild(child);
    std::unique_ptr<BRIX_StackEl> e(CreateStackElFor(MakeBox({{0, 1}}), boolean));
    auto& b = dynamic_cast<BRIX_StackElBoolean&>(*e);
    EXPECT_EQ(b.Child(0), child);
    EXPECT_EQ(b.polarity, 1);
    EXPECT_EQ(e->box, MakeBox({{0, 1}}));

    // A state that is an element already is reused with fresh element fields.
    e->splitMark = 3;
    e->depth = 4;
    BRIX_USAS* clone = e->State()->Clone();
    std::unique_ptr<BRIX_StackEl> f(CreateStackElFor(MakeBox({{7, 8}}), clone));
    EXPECT_EQ(f->depth, 0);
    EXPECT_EQ(f->box, MakeBox({{7, 8}}));
    EXPECT_NE(static_cast<BRIX_StackElBoolean&>(*f).Child(0), child);
    EXPECT_EQ(CreateStackElFor(Box(), nullptr), nullptr);
}

}  // namespace
