#include "Constraint/BRIX_QuantifiedApprox.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"

#include "Constraint/ConstraintTestSupport.h"
#include "Constraint/QuantifiedTestSupport.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASAtomic.h"
#include "Search/BRIX_USASQuantified.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
using Node = std::unique_ptr<BRIX_Constraint>;
using State = std::unique_ptr<BRIX_USAS>;

// Narrows node on box with state; the rounding mode is reset afterwards.
bool NarrowOn(BRIX_Constraint& node, BRIX_USAS* state, Box& box, bool up) {
    bool complete = false;
    bool changed = node.Narrow(state, box, up, ResultPainter(), complete);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    EXPECT_TRUE(complete);
    return changed;
}

BRIX_USASQuantified& Quantified(const State& state) {
    return static_cast<BRIX_USASQuantified&>(*state);
}

TEST(QuantifiedNarrow, SequentialCaseKeepsTheDecidingPiece) {
    // Free x in [0, 1], bound y (variable 1 of the sub). Each narrowing
    // decides the quantifier on the whole box from the bound piece; the piece
    // must stay so that the other direction, asked later, claims nothing.
    struct Case {
        const char* what;
        bool forall;
        Itvl y;
        BRIX_AtomicPoly* sub;
        bool up;
    } cases[] = {
        {"FORALL y: y <= 1 (cuts y)", true, Itvl(0, 2), Linear(2, {{1, 1}}, -1, BRIX_LessEqual),
         true},
        {"EXISTS y: y >= -1 (empties)", false, Itvl(0, 1),
         Linear(2, {{1, 1}}, 1, BRIX_GreaterEqual), false},
        {"EXISTS y: y >= 0.5 (cuts y)", false, Itvl(0, 1),
         Linear(2, {{1, 1}}, -0.5, BRIX_GreaterEqual), false},
    };
    for (const Case& c : cases) {
        Box y(1);
        y.Set(0, c.y);
        BRIX_QuantifiedClass q(y, {1}, c.sub, c.forall, 1);
        State state(CreateUsas(&q, false));
        Box box = BoxOf({{0, 1}});
        EXPECT_TRUE(NarrowOn(q, state.get(), box, c.up)) << c.what;
        EXPECT_TRUE(box.IsEmpty()) << c.what;
        ASSERT_EQ(Quantified(state).StackSize(), 1) << c.what;
        EXPECT_EQ(Quantified(state).stack->box[1], c.y) << c.what;

        // FORALL is false and EXISTS true on all of [0, 1]: the other
        // direction must not empty the box.
        Box again = BoxOf({{0, 1}});
        NarrowOn(q, state.get(), again, !c.up);
        EXPECT_FALSE(again.IsEmpty()) << c.what;
    }
}

TEST(QuantifiedNarrow, BothCasesKeepEveryPointWhereTheQuantifierCanHold) {
    // Free x, bound y in [0, 1]. Each row: the box after narrowing must still
    // hold `keep` (where the narrowed-away meaning is not certain) and lie
    // inside `within`.
    struct Case {
        const char* what;
        bool forall;
        BRIX_AtomicPoly* sub;
        Itvl x;
        bool up;
        Itvl keep;  // empty: the box must be emptied
        Itvl within;
    } cases[] = {
        {"FORALL up x + y <= 1.5", true, Linear(2, {{0, 1}, {1, 1}}, -1.5, BRIX_LessEqual),
         Itvl(0, 2), true, Itvl(0, 0.5), Itvl(0, 1.5 + 1e-9)},
        {"EXISTS up x = y (hull)", false, Linear(2, {{0, 1}, {1, -1}}, 0, BRIX_Equal), Itvl(-5, 5),
         true, Itvl(0, 1), Itvl(-1e-9, 1 + 1e-9)},
        {"FORALL down x >= y (hull)", true, Linear(2, {{0, 1}, {1, -1}}, 0, BRIX_GreaterEqual),
         Itvl(-5, 5), false, Itvl(-5, 0.999), Itvl(-5, 1 + 1e-9)},
        {"EXISTS up y >= 2 drops the piece", false, Linear(2, {{1, 1}}, -2, BRIX_GreaterEqual),
         Itvl(-5, 5), true, Itvl::Empty(), Itvl::Empty()},
    };
    for (const Case& c : cases) {
        BRIX_QuantifiedClass q(BoxOf({{0, 1}}), {1}, c.sub, c.forall, 1);
        State state(CreateUsas(&q, false));
        Box box(1);
        box.Set(0, c.x);
        NarrowOn(q, state.get(), box, c.up);
        if (c.keep.IsEmpty()) {
            EXPECT_TRUE(box.IsEmpty()) << c.what;
            EXPECT_EQ(Quantified(state).StackSize(), 0) << c.what;
            continue;
        }
        ASSERT_FALSE(box.IsEmpty()) << c.what;
        EXPECT_TRUE(IsSubset(c.keep, box[0])) << c.what << ": " << box[0].lo << " " << box[0].hi;
        EXPECT_TRUE(IsSubset(box[0], c.within)) << c.what << ": " << box[0].lo << " " << box[0].hi;
    }
}

// A hull pass leaves every element to see the hull next: where the hull
// reaches beyond an element's own result, the element's marks must go, or a
// later pass would skip its narrowing (and read its marks) on a larger box.
TEST(QuantifiedNarrow, HullPassClearsTheMarksOfSmallerResults) {
    BRIX_QuantifiedClass q(BoxOf({{0, 1}}), {1}, Linear(2, {{0, 1}, {1, -1}}, 0, BRIX_Equal),
                           false, 1);  // EXISTS y in [0, 1]: x = y
    State state(CreateUsas(&q, false));
    BRIX_USASQuantified& quantified = Quantified(state);
    BRIX_StackEl* whole = ChooseElement(&quantified);  // unlinked, Branch pushes its parts
    ASSERT_TRUE(Branch(&quantified, whole, 1));         // y in [0, 0.5] and [0.5, 1]
    ASSERT_EQ(quantified.StackSize(), 2);
    Box box = BoxOf({{-5, 5}});
    NarrowOn(q, state.get(), box, true);  // each piece keeps its half of x
    ASSERT_FALSE(box.IsEmpty());
    EXPECT_TRUE(IsSubset(Itvl(0, 1), box[0]));
    for (BRIX_StackEl* e = quantified.stack; e != nullptr; e = e->next) {
        const auto* atomic = static_cast<const BRIX_USASAtomic*>(e->State());
        EXPECT_EQ(atomic->variableMarks[1] & 1u, 0u) << e->box[1].lo;
    }
}

// ---- The top quantifier's parts. ----

TEST(QuantifiedUnknown, ErrorBoundTest) {
    // B = [0, 4] unless stated; open elements given by their x intervals.
    // Continuity: 0 none, 1 a single-variable true set, 2 a two-variable one.
    struct Case {
        const char* what;
        Itvl B;
        double errorBound;
        double method;
        std::vector<std::pair<Itvl, int>> open;
        bool holds;
    } cases[] = {
        {"2 of 4 at 0.5", Itvl(0, 4), 0.5, 0, {{Itvl(0, 1), 0}, {Itvl(2, 3), 0}}, true},
        {"2.5 of 4 at 0.5", Itvl(0, 4), 0.5, 0, {{Itvl(0, 1), 0}, {Itvl(2, 3.5), 0}}, false},
        {"nothing open, bound 0", Itvl(0, 4), 0, 0, {}, true},
        {"1 of 4 at bound 0", Itvl(0, 4), 0, 0, {{Itvl(0, 1), 0}}, false},
        {"finite of infinite", Itvl(0, HUGE_VAL), 0.5, 0, {{Itvl(0, 1), 0}}, true},
        {"infinite of infinite", Itvl(0, HUGE_VAL), 0.5, 0, {{Itvl(1, HUGE_VAL), 0}}, false},
        {"bound 0 of infinite", Itvl(0, HUGE_VAL), 0, 0, {{Itvl(0, 1), 0}}, false},
        {"method 1 skips witnesses", Itvl(0, 4), 0.25, 1, {{Itvl(0, 3), 1}, {Itvl(3, 4), 2}}, true},
        {"method 1 counts the rest", Itvl(0, 4), 0.2, 1, {{Itvl(0, 3), 1}, {Itvl(3, 4), 2}}, false},
        {"method 2: empty only", Itvl(0, 4), 0.2, 2, {{Itvl(0, 3), 2}, {Itvl(3, 4), 0}}, false},
        {"other methods count nothing", Itvl(0, 4), 0, 7, {{Itvl(0, 4), 0}}, true},
        {"1.9 truncates to 1", Itvl(0, 4), 0.2, 1.9, {{Itvl(0, 3), 1}, {Itvl(3, 4), 2}}, false},
    };
    for (const Case& c : cases) {
        ParamScope method(BRIX_Param::CountWitnessBoxes, c.method);
        Box B(1);
        B.Set(0, c.B);
        BRIX_QuantifiedUnknown top(B, {0}, new RecordingLeaf(1), c.errorBound, 0);
        BRIX_USASQuantifiedStore store(0, 1);
        for (const auto& e : c.open) {
            Box box(1);
            box.Set(0, e.first);
            auto* element = new BRIX_StackElAtomic(box, nullptr);
            if (e.second == 1) {
                element->continuity = ContinuityInfo(0);
            } else if (e.second == 2) {
                element->continuity.trueSets.Append(3);
            }
            store.Push(element);
        }
        EXPECT_EQ(top.ErrorBoundHolds(store), c.holds) << c.what;
        SAL_Interface::SetRounding(SAL_RoundNearest);
    }
}

// A leaf whose narrowing records its directions ("u", "d") and reports a
// change for the first `changes` calls.
class ScriptedLeaf : public RecordingLeaf {
public:
    ScriptedLeaf(int n, int changes) : RecordingLeaf(n), changes(changes) {}
    bool Narrow(BRIX_USAS*, Box&, bool up, ResultPainter, bool& complete) override {
        calls += up ? "u" : "d";
        complete = true;
        return static_cast<int>(calls.size()) <= changes;
    }
    int changes;
    std::string calls;
};

TEST(QuantifiedUnknown, NarrowingStepsPerElement) {
    struct Case {
        bool single, startUp;
        int changes;
        const char* calls;
    } cases[] = {
        {true, true, 3, "ud"},  // at most two steps per call
        {true, false, 3, "du"},
        {false, true, 3, "udud"},  // until both directions are stable
        {false, true, 0, "ud"},
    };
    for (const Case& c : cases) {
        FlagScope single(BRIX_Flag::SingleUpDownNarrowing, c.single);
        FlagScope startUp(BRIX_Flag::StartWithUpNarrowing, c.startUp);
        auto* leaf = new ScriptedLeaf(1, c.changes);
        BRIX_QuantifiedUnknown top(BoxOf({{0, 1}}), {0}, leaf, 0.0, 0);
        State state(CreateUsas(&top, true));
        Box point(0);
        Box up = point;
        EXPECT_FALSE(NarrowOn(top, state.get(), up, true));  // nothing upwards
        EXPECT_EQ(leaf->calls, "");
        EXPECT_EQ(NarrowOn(top, state.get(), point, false), c.changes > 0);
        EXPECT_EQ(leaf->calls, c.calls) << c.single << c.startUp << c.changes;
        EXPECT_FALSE(point.IsEmpty());  // all of [0, 1] is open, bound 0
    }
}

// A leaf recording the bound components of every box it is sampled on.
class SampledLeaf : public RecordingLeaf {
public:
    SampledLeaf(int n, int free, bool answer) : RecordingLeaf(n), free(free), answer(answer) {}
    bool Sample(BRIX_USAS*, Box box, int) override {
        std::vector<double> point;
        for (int i = free; i < box.Dimension(); ++i) {
            EXPECT_EQ(box[i].lo, box[i].hi);
            point.push_back(box[i].lo);
        }
        points.push_back(point);
        return answer;
    }
    int free;
    bool answer;
    std::vector<std::vector<double>> points;
};

TEST(QuantifiedClass, SampleAsksTheCellMidpoints) {
    using Points = std::vector<std::vector<double>>;
    struct Case {
        bool forall, answer;
        int samples;
        bool result;
        Points points;
    } cases[] = {
        {false, false, 2, false, {{0.25, 1}, {0.75, 1}, {0.25, 3}, {0.75, 3}}},
        {true, true, 2, true, {{0.25, 1}, {0.75, 1}, {0.25, 3}, {0.75, 3}}},
        {false, true, 2, true, {{0.25, 1}}},
        {true, false, 2, false, {{0.25, 1}}},
        {false, false, 0, false, {{0.5, 2}}},  // fewer than one cell: one
    };
    for (const Case& c : cases) {
        auto* leaf = new SampledLeaf(3, 1, c.answer);
        BRIX_QuantifiedClass q(BoxOf({{0, 1}, {0, 4}}), {1, 2}, leaf, c.forall, 1);
        EXPECT_EQ(q.Sample(nullptr, BoxOf({{5, 5}}), c.samples), c.result);
        EXPECT_EQ(leaf->points, c.points) << c.forall << c.answer << c.samples;
        EXPECT_EQ(leaf->seenUsas, nullptr);
    }
}

TEST(QuantifiedClass, ContinuityDropsPiecesThatNoLongerMatter) {
    // One element over a leaf whose marks say it holds or fails on all of it.
    // A store records the dropped piece; an inner quantifier just drops it.
    FlagScope continuity(BRIX_Flag::UseContinuity, true);
    struct Case {
        const char* what;
        bool forall, store, holds;
        int left, recordedTrue, recordedFalse;
    } cases[] = {
        {"EXISTS, fails, store", false, true, false, 0, 0, 1},
        {"FORALL, holds, store", true, true, true, 0, 1, 0},
        {"EXISTS, holds, store", false, true, true, 1, 0, 0},
        {"EXISTS, fails, inner", false, false, false, 0, 0, 0},
        {"FORALL, fails, inner", true, false, false, 1, 0, 0},
    };
    for (const Case& c : cases) {
        const int n = c.store ? 0 : 1;
        auto* leaf = new RecordingLeaf(n + 1);
        (c.holds ? leaf->marks.trueSets : leaf->marks.falseSets).Append(0);
        BRIX_QuantifiedClass q(BoxOf({{0, 1}}), {n}, leaf, c.forall, n);
        State state(CreateUsas(&q, true));
        ASSERT_EQ(state->IsStore(), c.store);
        ContinuityInfo marks = q.ContinuityMarks(state.get());
        EXPECT_EQ(Quantified(state).StackSize(), c.left) << c.what;
        // The single element's marks are the result, dropped or not.
        EXPECT_TRUE(c.holds ? marks.HoldsSurely() : marks.FailsSurely()) << c.what;
        if (c.store) {
            auto& store = static_cast<BRIX_USASQuantifiedStore&>(*state);
            EXPECT_EQ(BoxesOf(store.trueBoxes).size(), static_cast<std::size_t>(c.recordedTrue));
            EXPECT_EQ(BoxesOf(store.falseBoxes).size(), static_cast<std::size_t>(c.recordedFalse));
        }
    }
}

// A sub over free x and bound y that, on pieces with y <= 1/2, narrows x to
// its lower half and claims by its marks to hold there; on the others it
// keeps the box and claims nothing.
class HalfClaimLeaf : public RecordingLeaf {
public:
    HalfClaimLeaf() : RecordingLeaf(2) {}
    int Kind() const override { return BRIX_KindConstant; }  // a state without variables
    bool Narrow(BRIX_USAS* usas, Box& box, bool, ResultPainter, bool& complete) override {
        if (box[1].hi <= 0.5) {
            box.Set(0, Itvl::FromBounds(box[0].lo, Mid(box[0])));
            claimed.push_back(usas);
        }
        complete = true;
        return false;
    }
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override {
        ContinuityInfo info;
        for (BRIX_USAS* s : claimed) {
            if (s == usas) {
                info.trueSets.Append(0);
                break;
            }
        }
        return info;
    }
    std::vector<BRIX_USAS*> claimed;
};

// EXISTS up is a hull pass: one piece proving the sub on half of the free box
// proves the EXISTS there only, not on the hull the pass ends with.
TEST(QuantifiedClass, ContinuityClaimsStayOnTheBoxesProved) {
    FlagScope continuity(BRIX_Flag::UseContinuity, true);
    FlagScope everyPiece(BRIX_Flag::ShortcutQuantifiers, false);
    auto* leaf = new HalfClaimLeaf;
    BRIX_QuantifiedClass q(BoxOf({{0, 1}}), {1}, leaf, false, 1);
    State state(CreateUsas(&q, false));
    auto& quantified = Quantified(state);
    ASSERT_TRUE(Branch(&quantified, ChooseElement(&quantified), 1));
    Box box = BoxOf({{0, 4}});
    NarrowOn(q, state.get(), box, true);
    EXPECT_EQ(box, BoxOf({{0, 4}}));
    ASSERT_EQ(leaf->claimed.size(), 1u);
    EXPECT_FALSE(q.ContinuityMarks(state.get()).HoldsSurely());
    // With the other piece gone the pass ends with the half: the claim stands.
    quantified.stack->box.MakeEmpty();
    quantified.RemoveEmptyElements();
    box = BoxOf({{0, 4}});
    NarrowOn(q, state.get(), box, true);
    EXPECT_EQ(box, BoxOf({{0, 2}}));
    EXPECT_TRUE(q.ContinuityMarks(state.get()).HoldsSurely());
}

TEST(Quantified, NodeSlots) {
    // Negation: the top quantifier is left alone; FORALL becomes EXISTS.
    auto* leaf = new RecordingLeaf(1);
    BRIX_QuantifiedUnknown top(BoxOf({{0, 1}}), {0}, leaf, 0.5, 0);
    const std::string before = Printed(top);
    top.Negate();
    EXPECT_EQ(Printed(top), before);
    EXPECT_FALSE(leaf->negated);
    EXPECT_EQ(before, "QUNKNOWN:0.5 [ 0 ] in [ [ 0, 1 ] ]:\nleaf\n");

    Node q(new BRIX_QuantifiedClass(BoxOf({{0, 2}}), {1}, new RecordingLeaf(2), true, 1));
    q->Negate();
    EXPECT_EQ(static_cast<BRIX_Quantified&>(*q).Polarity(), 1);
    const BRIX_Names names{"x", "y"};
    EXPECT_EQ(Printed(*q, &names), "EXISTS [ y ] in [ [ 0, 2 ] ]:\n-x\n");

    // Approximate quantifiers: bounds 0 and eps * volume.
    q.reset(q.release()->ApproxQuantifiers(0.25));
    auto& approx = static_cast<BRIX_QuantifiedApprox&>(*q);
    EXPECT_FALSE(approx.IsClassical());
    EXPECT_EQ(approx.Polarity(), 1);
    EXPECT_EQ(approx.upper, 0.5);
    EXPECT_EQ(Printed(approx), "EXISTSX[ 0, 0.5] [ 1 ] in [ [ 0, 2 ] ]:\n-leaf\n");
    EXPECT_FALSE(approx.Sample(nullptr, BoxOf({{0, 0}}), 3));

    // Removing a free variable keeps the bound ones; removing a bound one
    // shrinks the box.
    Node r(new BRIX_QuantifiedClass(BoxOf({{0, 1}, {2, 3}}), {2, 3},
                                    Linear(4, {{1, 1}, {2, 1}, {3, 1}}, 0, BRIX_Less), false, 2));
    ASSERT_TRUE(r->IsConsistent());
    r->RemoveVariable(0);
    EXPECT_EQ(r->NumberOfVariables(), 1);
    EXPECT_TRUE(r->IsConsistent());
    r->RemoveVariable(1);
    auto& rq = static_cast<BRIX_Quantified&>(*r);
    EXPECT_EQ(rq.BoundCount(), 1);
    EXPECT_EQ(rq.BoundBox()[0], Itvl(2, 3));
    EXPECT_TRUE(r->IsConsistent());
}

}  // namespace
