#include "support/RegistryScope.h"
#include "Search/BRIX_StackEl.h"

#include "Search/BRIX_PrecisionLoss.h"

#include "Driver/BRIX_Registry.h"
#include "Search/SearchTestSupport.h"

#include <cfloat>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

namespace {

struct Method : ParamScope {
    explicit Method(double m) : ParamScope(BRIX_Param::BranchingMethod, m) {}
};

// An atomic element over box whose marks are all set.
BRIX_StackElAtomic* Marked(const Box& box, const BRIX_Constraint* node) {
    auto* e = new BRIX_StackElAtomic(box, node);
    for (int d = 0; d < 2; ++d) {
        e->lowerMarks[d] = e->upperMarks[d] = e->variableMarks[d] = ~0u;
    }
    return e;
}

TEST(StackElTest, ChooseElementByBoundVolumeTiesToTheTop) {
    // One free variable (its width does not count) and two bound ones.
    BRIX_USASQuantified q(1, 2);
    EXPECT_EQ(ChooseElement(&q), nullptr);
    const Box boxes[] = {
        MakeBox({{0, 100}, {0, 1}, {0, 2}}),       // 2
        MakeBox({{0, 1}, {0, 2}, {0, 2}}),         // 4
        MakeBox({{0, 1}, {0, 4}, {0, 1}}),         // 4, below: not chosen
        MakeBox({{0, 1}, {0, INFINITY}, {1, 1}}),  // 0 beside an infinite width
    };
    for (int i = 3; i >= 0; --i) {
        q.Push(new BRIX_StackElAtomic(boxes[i], nullptr));
    }
    std::unique_ptr<BRIX_StackEl> chosen(ChooseElement(&q));
    EXPECT_EQ(chosen->box, boxes[1]);
    EXPECT_EQ(chosen->next, nullptr);
    EXPECT_EQ(Components(q.stack, 1), (std::vector<Bounds>{{0, 1}, {0, 4}, {0, INFINITY}}));
}

TEST(StackElTest, BranchSplitsPushesAndClearsMarks) {
    TestAtomic node(2);
    const struct {
        double method;
        Bounds component;
        std::vector<Bounds> stack;       // component 1 of the stack after the split, top first
        std::vector<bool> lowerCleared;  // per part, in stack order: the lower bound moved
        std::vector<bool> upperCleared;
    } cases[] = {
        {0, {0, 1}, {{0.5, 1}, {0, 0.5}}, {true, false}, {false, true}},
        {1, {0, 3}, {{2, 3}, {0, 1}, {1, 2}}, {true, false, true}, {false, true, true}},
        {2, {0, 4}, {{3, 4}, {0, 1}, {1, 3}}, {true, false, true}, {false, true, true}},
    };
    for (const auto& c : cases) {
        Method method(c.method);
        BRIX_USASQuantified q(1, 1);
        q.Push(new BRIX_StackElAtomic(MakeBox({{5, 6}, {5, 6}}), &node));  // stays below
        BRIX_StackElAtomic* e = Marked(MakeBox({{-1, 1}, c.component}), &node);
        e->depth = 4;
        e->upNarrowed = e->downNarrowed = true;
        EXPECT_TRUE(Branch(&q, e, 1));
        std::vector<Bounds> parts = Components(q.stack, 1);
        parts.pop_back();
        EXPECT_EQ(parts, c.stack) << c.method;
        int i = 0;
        for (BRIX_StackEl* p = q.stack; p->next != nullptr; p = p->next, ++i) {
            auto* a = static_cast<BRIX_StackElAtomic*>(p);
            EXPECT_EQ(p->splitMark, 2);
            EXPECT_EQ(p->depth, 5);
            EXPECT_FALSE(p->upNarrowed || p->downNarrowed);
            EXPECT_EQ(p->box[0].hi, 1.0);
            EXPECT_EQ(a->lowerMarks[0] == ~0u, !c.lowerCleared[i]) << c.method << " part " << i;
            EXPECT_EQ(a->upperMarks[1] == ~0u, !c.upperCleared[i]) << c.method << " part " << i;
            EXPECT_EQ(a->variableMarks[0], ~3u);  // variables 0 and 1 to narrow again
            EXPECT_EQ(a->variableMarks[1], ~3u);
        }
    }
}

TEST(StackElTest, BranchDegenerateCases) {
    BRIX_USASQuantified q(1, 1);
    BRIX_StackEl* e = new BRIX_StackElAtomic(MakeBox({{0, 1}}), nullptr);
    e->upNarrowed = true;
    {
        Method none(7);  // no such method: the element goes back unchanged
        EXPECT_FALSE(Branch(&q, e, 0));
    }
    EXPECT_EQ(q.stack, e);
    EXPECT_TRUE(e->upNarrowed);
    e = ChooseElement(&q);
    EXPECT_FALSE(Branch(&q, e, 1));  // no variable 1
    e = ChooseElement(&q);
    e->box.Set(0, Iv_Itvl<double>::Empty());
    EXPECT_TRUE(Branch(&q, e, 0));  // no point in it: emptied for removal
    EXPECT_TRUE(q.stack->box.IsEmpty());
    q.RemoveEmptyElements();
    EXPECT_EQ(q.stack, nullptr);
}

// The losses a handler was told of.
int lossesSeen = 0;
void CountLoss(const Box&, int) {
    ++lossesSeen;
}

// A component that cannot be cut (two doubles or fewer, unbounded) leaves the
// element open: it goes back onto the stack exhausted, is never chosen again,
// and the loss is recorded once. Reported, the first loss reaches the
// handler, which by default writes the message on standard error.
TEST(StackElTest, OutOfPrecisionLeavesTheElementOpen) {
    const double x = 0x1.8p+0;
    const struct {
        double method;
        Bounds component;
    } cases[] = {
        {0, {x, x}},
        {0, {x, std::nextafter(x, 2.0)}},
        {0, {-INFINITY, -DBL_MAX}},
        {1, {x, std::nextafter(x, 2.0)}},
        {2, {x, std::nextafter(x, 2.0)}},
        {1, {0, INFINITY}},
        {2, {-INFINITY, 0}},
    };
    const BRIX_PrecisionLossHandler old = BRIX_SetPrecisionLossHandler(CountLoss);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << " " << c.component.first);
        Method method(c.method);
        BRIX_ResetPrecisionLosses();
        lossesSeen = 0;
        BRIX_USASQuantified q(1, 1);
        const Box box = MakeBox({{0, 1}, c.component});
        auto* e = new BRIX_StackElAtomic(box, nullptr);
        EXPECT_FALSE(Branch(&q, e, 1));
        ASSERT_EQ(q.stack, e);
        EXPECT_TRUE(e->exhausted && e->box == box && e->next == nullptr);
        EXPECT_EQ(ChooseElement(&q), nullptr);
        q.stack = nullptr;
        EXPECT_FALSE(Branch(&q, e, 1));  // nothing new to record
        ASSERT_EQ(q.stack, e);
        EXPECT_EQ(BRIX_GetPrecisionLosses().count, 1);
        EXPECT_EQ(BRIX_GetPrecisionLosses().firstVar, 1);
        EXPECT_EQ(BRIX_GetPrecisionLosses().first, box);
        EXPECT_EQ(lossesSeen, 0);
        BRIX_ReportPrecisionLoss();
        EXPECT_EQ(lossesSeen, 1);
    }
    BRIX_SetPrecisionLossHandler(nullptr);
    BRIX_ResetPrecisionLosses();
    BRIX_USASQuantified q(1, 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Branch(&q, new BRIX_StackElAtomic(MakeBox({{0, 1}, {x, x}}), nullptr), 1));
    EXPECT_FALSE(Branch(&q, new BRIX_StackElAtomic(MakeBox({{0, 1}, {1, 1}}), nullptr), 1));
    BRIX_ReportPrecisionLoss();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Out of precision! Ill-posed input?[ [ 0, 1 ], [ 1.5, 1.5 ] ] 1\n");
    EXPECT_EQ(BRIX_GetPrecisionLosses().count, 2);
    BRIX_SetPrecisionLossHandler(old);
}

// When the asked variable cannot be cut, the next bound variable of the
// quantifier that can is split instead, and nothing is lost.
TEST(StackElTest, AnotherBoundVariableIsSplitWhenOneIsTooNarrow) {
    BRIX_ResetPrecisionLosses();
    BRIX_USASQuantified q(1, 2);
    Branch(&q, new BRIX_StackElAtomic(MakeBox({{0, 1}, {1, 1}, {0, 4}}), nullptr), 1);
    ASSERT_NE(q.stack, nullptr);
    ASSERT_NE(q.stack->next, nullptr);
    EXPECT_EQ(q.stack->box, MakeBox({{0, 1}, {1, 1}, {2, 4}}));
    EXPECT_EQ(q.stack->next->box, MakeBox({{0, 1}, {1, 1}, {0, 2}}));
    EXPECT_EQ(q.stack->splitMark, 3);
    // The free variable is no fallback: [0, 1] stays whole.
    BRIX_USASQuantified r(1, 1);
    Branch(&r, new BRIX_StackElAtomic(MakeBox({{0, 1}, {1, 1}}), nullptr), 1);
    EXPECT_TRUE(r.stack->exhausted);
    EXPECT_EQ(BRIX_GetPrecisionLosses().count, 1);
    BRIX_ResetPrecisionLosses();
}

TEST(StackElTest, CloneResetsSplitMarksAndCopiesDeeply) {
    TestAtomic node(1);
    BRIX_StackElQuantified e(MakeBox({{0, 1}}), 1, 1);
    e.Push(new BRIX_StackElAtomic(MakeBox({{0, 1}, {2, 3}}), &node));
    e.stack->splitMark = 2;
    e.splitMark = 1;
    e.depth = 3;
    e.downNarrowed = true;
    e.continuity = ContinuityInfo(0);
    BRIX_StackElAtomic other(MakeBox({{0, 0}}), nullptr);
    e.next = &other;
    std::unique_ptr<BRIX_StackElQuantified> copy(e.Clone());
    e.next = nullptr;
    EXPECT_EQ(e.splitMark + copy->splitMark + e.stack->splitMark, 0);  // nested ones too
    EXPECT_EQ(copy->next, nullptr);
    EXPECT_TRUE(copy->depth == 3 && copy->downNarrowed && copy->continuity.TrueMentions(0));
    ASSERT_NE(copy->stack, nullptr);
    EXPECT_NE(copy->stack, e.stack);
    EXPECT_EQ(copy->stack->box, e.stack->box);

    // Destroy, delete and unique_ptr free the whole element through either base.
    BRIX_USAS* asState = e.Clone();
    asState->Destroy();
    BRIX_StackEl* asElement = copy->Clone();
    asElement->Destroy();
    delete static_cast<BRIX_USAS*>(copy->Clone());
    std::unique_ptr<BRIX_USAS> state(copy->CloneState());
    EXPECT_EQ(dynamic_cast<BRIX_USASQuantified&>(*state).StackSize(), 1);
}

}  // namespace
