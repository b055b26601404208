#include "Constraint/BRIX_Connective.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/ConstraintTestSupport.h"
#include "Constraint/QuantifiedTestSupport.h"
#include "Search/BRIX_USASAtomic.h"
#include "Search/BRIX_USASBoolean.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Node = std::unique_ptr<BRIX_Constraint>;
using Subs = std::vector<BRIX_Constraint*>;

// cx * x + cy * y + c REL 0 over the free variables x, y.
struct Lin {
    double cx, cy, c;
    int rel;
};
BRIX_AtomicPoly* Make(const Lin& a) {
    if (a.cx == 0) {
        return Linear(2, {{1, a.cy}}, a.c, a.rel);
    }
    return a.cy == 0 ? Linear(2, {{0, a.cx}}, a.c, a.rel)
                     : Linear(2, {{0, a.cx}, {1, a.cy}}, a.c, a.rel);
}
Subs MakeAll(const std::vector<Lin>& atoms) {
    Subs subs;
    for (const Lin& a : atoms) {
        subs.push_back(Make(a));
    }
    return subs;
}

struct StateDeleter {
    void operator()(BRIX_USAS* state) const { state->Destroy(); }
};
using State = std::unique_ptr<BRIX_USASBoolean, StateDeleter>;
State StateOf(const BRIX_Connective& node) {
    return State(static_cast<BRIX_USASBoolean*>(CreateUsas(&node, false)));
}

Box Narrowed(BRIX_Constraint& node, BRIX_USAS* state, Box box, bool up) {
    bool complete = false;
    (void)node.Narrow(state, box, up, ResultPainter(), complete);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return box;
}

// The narrowing step rounds outward: got encloses exact, within 1e-9.
bool Encloses(const Box& got, const Box& exact) {
    if (got.IsEmpty() || exact.IsEmpty()) {
        return got.IsEmpty() == exact.IsEmpty();
    }
    for (int v = 0; v < exact.Dimension(); ++v) {
        const Iv_Itvl<double> g = got[v], e = exact[v];
        if (!(g.lo <= e.lo && e.lo - g.lo < 1e-9 && e.hi <= g.hi && g.hi - e.hi < 1e-9)) {
            return false;
        }
    }
    return true;
}

// Trees as text: a, b, d are the atoms x > 0, y > 0, y - x > 0; T and F the
// atoms 0 = 0 and 1 < 0 (constants once simplified); U an unknown constant;
// (...) a conjunction and [...] a disjunction of the parts inside.
struct Tree {
    BRIX_Constraint* Build(const char*& s) {
        const char c = *s++;
        if (c == '(' || c == '[') {
            Subs subs;
            while (*s != (c == '(' ? ')' : ']')) {
                subs.push_back(Build(s));
            }
            ++s;
            return new BRIX_Connective(c == '(', subs, 2);
        }
        const std::string atoms = "abd";
        const Lin lins[] = {
            {1, 0, 0, BRIX_Greater}, {0, 1, 0, BRIX_Greater}, {-1, 1, 0, BRIX_Greater}};
        const std::size_t k = atoms.find(c);
        if (k != std::string::npos) {
            BRIX_Constraint* atom = Make(lins[k]);
            made[k] = atom;
            return atom;
        }
        if (c == 'U') {
            return new BRIX_Constant(TruthValue::Unknown(), 2);
        }
        return Linear(2, {}, c == 'T' ? 0 : 1, c == 'T' ? BRIX_Equal : BRIX_Less);
    }
    // The same text for a simplified tree; atoms are known by address, so a
    // copied atom shows as "?".
    std::string Text(const BRIX_Constraint& node) const {
        if (node.Kind() == BRIX_KindConstant) {
            const TruthValue v = static_cast<const BRIX_Constant&>(node).value;
            return v.IsTrue() ? "T" : v.IsFalse() ? "F" : "U";
        }
        if (node.Kind() != BRIX_KindConnective) {
            const auto k = std::find(made, made + 3, &node) - made;
            return k < 3 ? std::string(1, "abd"[k]) : "?";
        }
        const auto& c = static_cast<const BRIX_Connective&>(node);
        std::string text = c.isConjunction ? "(" : "[";
        for (const BRIX_Constraint* sub : c.subs) {
            text += Text(*sub);
        }
        return text + (c.isConjunction ? ")" : "]");
    }
    const BRIX_Constraint* made[3] = {};
};

// Under AddressSanitizer: dropped constants, the deleted connective and
// spliced sub-connectives are freed once each, the moved subs never.
TEST(Connective, SimplifyTable) {
    // clang-format off
    const char* const cases[][2] = {
        {"(aT)", "(a)"}, {"[aFb]", "[ab]"}, {"(aF)", "F"}, {"[aTb]", "T"},
        {"(a(bd))", "(abd)"}, {"(((ab)T)d)", "(abd)"}, {"[a(bd)]", "[a(bd)]"},
        {"(a[bT]d)", "(ad)"}, {"(a()(TT))", "(a)"}, {"[a()]", "T"}, {"()", "T"}, {"[]", "F"},
        {"(Ua)", "(Ua)"}, {"[[a(b)]d]", "[a(b)d]"},
    };
    // clang-format on
    for (const auto& c : cases) {
        Tree tree;
        const char* text = c[0];
        Node node(tree.Build(text)->SimplifyNode());
        EXPECT_EQ(tree.Text(*node), c[1]) << c[0];
        EXPECT_EQ(node->NumberOfVariables(), 2) << c[0];
    }
}

TEST(Connective, NodeSlots) {
    const int leaves = RecordingLeaf::alive;
    auto* second = new RecordingLeaf(2);
    Node node(new BRIX_Connective(true, {new RecordingLeaf(2), second}, 2));
    second->Negate();
    node->Negate();  // De Morgan, in place
    EXPECT_EQ(Printed(*node), "(-leaf \\/ leaf)");
    EXPECT_EQ(static_cast<BRIX_Connective&>(*node).Sub(1), second);
    EXPECT_EQ(Printed(BRIX_Connective(true, {}, 2)), "()");
    Node copy(node->Copy());
    node.reset(node.release()->ApproxQuantifiers(0.1));  // leaves replaced by fresh copies
    EXPECT_EQ(Printed(*node), Printed(*copy));
    EXPECT_EQ(RecordingLeaf::alive, leaves + 4);
    EXPECT_FALSE(BRIX_Connective(true, {new RecordingLeaf(2)}, 1).IsConsistent());
    node.reset();
    copy.reset();
    EXPECT_EQ(RecordingLeaf::alive, leaves);

    // Sample stops at the deciding sub; without subs, and holds and or fails.
    auto* yes = new RecordingLeaf(1);
    auto* unasked = new RecordingLeaf(1);
    yes->sampleAnswer = true;
    unasked->seenUsas = reinterpret_cast<BRIX_USAS*>(yes);  // Sample would reset it
    BRIX_Connective either(false, {yes, unasked}, 1);
    EXPECT_TRUE(either.Sample(nullptr, Box(1), 2));
    EXPECT_NE(unasked->seenUsas, nullptr);
    EXPECT_TRUE(BRIX_Connective(true, {}, 1).Sample(nullptr, Box(1), 2));
    EXPECT_FALSE(BRIX_Connective(false, {}, 1).Sample(nullptr, Box(1), 2));
}

// Conjunction down and disjunction up: the hull of separately narrowed copies.
TEST(Connective, HullNarrowing) {
    FlagScope shortcut(BRIX_Flag::ShortcutConnectives, true);
    FlagScope remove(BRIX_Flag::RemoveEmptyBranches, true);
    const int GE = BRIX_GreaterEqual, LE = BRIX_LessEqual;
    struct Case {
        bool conjunction, up;
        std::vector<Lin> atoms;
        double lo, hi;  // x afterwards; lo > hi: the box is emptied
        bool kept[2];
        bool marked[2];  // done mark of x in the kept children afterwards
    };
    const Case cases[] = {
        // x >= 1 \/ x <= -1: each sees the hull [-2, 2] next, beyond its own
        // copy, so the marks of both go (stale marks would speak for the
        // larger box, "true on the whole box" among them).
        {false, true, {{1, 0, -1, GE}, {1, 0, 1, LE}}, -2, 2, {true, true}, {false, false}},
        // x <= 5 \/ x >= 1: the first yields the whole box, the second is not narrowed.
        {false, true, {{1, 0, -5, LE}, {1, 0, -1, GE}}, -2, 2, {true, true}, {true, false}},
        {false, true, {{1, 0, -3, GE}, {1, 0, 1, LE}}, -2, -1, {false, true}, {false, true}},
        {false, true, {{1, 0, -3, GE}, {1, 0, 3, LE}}, 1, 0, {false, false}, {false, false}},
        // x >= 1 /\ x <= 5 down: x <= 5 holds on the whole box and goes.
        {true, false, {{1, 0, -1, GE}, {1, 0, -5, LE}}, -2, 1, {true, false}, {true, false}},
    };
    for (const Case& c : cases) {
        BRIX_Connective node(c.conjunction, MakeAll(c.atoms), 2);
        State state = StateOf(node);
        const Box box = Narrowed(node, state.get(), BoxOf({{-2, 2}, {0, 1}}), c.up);
        EXPECT_TRUE(Encloses(box, c.lo > c.hi ? Box() : BoxOf({{c.lo, c.hi}, {0, 1}}))) << c.lo;
        for (int i = 0; i < 2; ++i) {
            auto* child = static_cast<BRIX_USASAtomic*>(state->Child(i));
            ASSERT_EQ(child != nullptr, c.kept[i]) << c.lo << " child " << i;
            if (child != nullptr) {
                EXPECT_EQ((child->variableMarks[c.up ? 1 : 0] & 1u) != 0, c.marked[i]) << c.lo;
            }
        }
    }
}

// Without subs, or with every child state removed, a conjunction holds and a
// disjunction fails everywhere: only the direction that removes points where
// it is decided empties the box.
TEST(Connective, NeutralWhenNoChildIsLeft) {
    const Box whole = BoxOf({{-2, 2}, {0, 1}});
    for (bool removed : {false, true}) {
        for (bool conjunction : {true, false}) {
            BRIX_Connective node(conjunction, removed ? Subs{Make({1, 0, 0, BRIX_Less})} : Subs{},
                                 2);
            State state = StateOf(node);
            if (removed) {
                state->RemoveChild(0);
            }
            for (bool up : {true, false}) {
                const Box box = Narrowed(node, state.get(), whole, up);
                EXPECT_EQ(box, up == conjunction ? whole : Box()) << conjunction << up << removed;
            }
            FlagScope continuity(BRIX_Flag::UseContinuity, true);
            EXPECT_EQ(node.ContinuityMarks(state.get()).trueSets.Size(), 0);
        }
    }
    // An empty box stays empty and loses no branch (the shortcut would hide it).
    FlagScope noShortcut(BRIX_Flag::ShortcutConnectives, false);
    BRIX_Connective node(false, {Make({1, 0, 0, BRIX_Less})}, 2);
    State state = StateOf(node);
    EXPECT_TRUE(Narrowed(node, state.get(), Box(), true).IsEmpty());
    EXPECT_NE(state->Child(0), nullptr);
}

// An atomic constraint that logs its id whenever it narrows.
class Spy : public BRIX_AtomicPoly {
public:
    Spy(int id, std::vector<int>& log, const BRIX_AtomicPoly& a)
        : BRIX_AtomicPoly(a.Poly(), a.Variables(), a.relation, a.VarMap(), a.rhs),
          id_(id),
          log_(log) {}
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                bool& complete) override {
        log_.push_back(id_);
        return BRIX_AtomicPoly::Narrow(usas, box, up, context, complete);
    }

private:
    int id_;
    std::vector<int>& log_;
};

// Conjunction up and disjunction down: the subs narrow the box itself in
// turn; a sub runs again only when a variable it depends on moved.
TEST(Connective, SequentialNarrowing) {
    const int GE = BRIX_GreaterEqual, LT = BRIX_Less;
    const Box upper = BoxOf({{0, 1}, {0, 1}});
    struct Case {
        bool conjunction;
        std::vector<Lin> atoms;
        std::vector<int> order;
        Box expected;
    };
    const Case cases[] = {
        {true, {{1, 0, 0, GE}, {-1, 1, 0, GE}}, {0, 1}, upper},     // x >= 0 /\ y >= x
        {true, {{-1, 1, 0, GE}, {1, 0, 0, GE}}, {0, 1, 0}, upper},  // y >= x /\ x >= 0
        {false, {{1, 0, 0, LT}, {-1, 1, 0, LT}}, {0, 1}, upper},    // x < 0 \/ y < x, down
        {true, {{1, 0, -2, GE}, {-1, 1, 0, GE}}, {0}, Box()},       // x >= 2 /\ y >= x
    };
    for (const Case& c : cases) {
        std::vector<int> log;
        Subs spies;
        for (const Lin& a : c.atoms) {
            spies.push_back(new Spy(static_cast<int>(spies.size()), log,
                                    *std::unique_ptr<BRIX_AtomicPoly>(Make(a))));
        }
        BRIX_Connective node(c.conjunction, spies, 2);
        State state = StateOf(node);
        const Box box = Narrowed(node, state.get(), BoxOf({{-1, 1}, {-1, 1}}), c.conjunction);
        EXPECT_EQ(log, c.order) << c.order.size();
        EXPECT_TRUE(Encloses(box, c.expected)) << c.order.size();
    }
}

// x >= y + 1 /\ y >= x + 1 moves each bound by 2 a round when tiny moves are
// applied: one call must stop, and the next goes on from there.
TEST(Connective, SequentialNarrowingIsBounded) {
    FlagScope tiny(BRIX_Flag::PropagateNarrowingBelowThreshold, true);
    BRIX_Connective node(
        true, MakeAll({{1, -1, -1, BRIX_GreaterEqual}, {-1, 1, -1, BRIX_GreaterEqual}}), 2);
    State state = StateOf(node);
    const Box first = Narrowed(node, state.get(), BoxOf({{0, 1e12}, {0, 1e12}}), true);
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_GT(first[0].lo, 100.0);
    EXPECT_FALSE(state->AllMarked(true));
    EXPECT_GT(Narrowed(node, state.get(), first, true)[0].lo, first[0].lo);
}

TEST(Connective, ContinuityMarksDropDecidedChildren) {
    FlagScope continuity(BRIX_Flag::UseContinuity, true);
    for (bool conjunction : {true, false}) {
        // A sub true everywhere and one false everywhere: the neutral one goes.
        auto* holds = new RecordingLeaf(2);
        auto* fails = new RecordingLeaf(2);
        holds->marks.trueSets.Append(0);
        holds->marks.falseSets.Append(2);
        fails->marks.falseSets.Append(0);
        fails->marks.trueSets.Append(1);
        BRIX_Connective node(conjunction, {holds, fails}, 2);
        State state = StateOf(node);
        // Marks speak about the boxes the subs were narrowed to.
        EXPECT_FALSE(node.ContinuityMarks(state.get()).HoldsSurely());
        (void)Narrowed(node, state.get(), BoxOf({{0, 1}, {0, 1}}), conjunction);
        const ContinuityInfo marks = node.ContinuityMarks(state.get());
        EXPECT_EQ(marks.HoldsSurely(), !conjunction);
        EXPECT_EQ(marks.FailsSurely(), conjunction);
        EXPECT_EQ(state->Child(0) != nullptr, !conjunction);
        EXPECT_EQ(state->Child(1) != nullptr, conjunction);
        holds->seenUsas = fails->seenUsas = nullptr;
        (void)node.ContinuityMarks(state.get());
        EXPECT_EQ(holds->seenUsas != nullptr, !conjunction);  // a dropped sub is not asked
    }
}

// A sub that narrows the box to its lower half in x and then claims, by its
// marks, to hold (or fail) on all of what it saw; and one that keeps the box.
class HalvingLeaf : public RecordingLeaf {
public:
    explicit HalvingLeaf(bool claimTrue) : RecordingLeaf(1) {
        (claimTrue ? marks.trueSets : marks.falseSets).Append(0);
    }
    int Kind() const override { return BRIX_KindConstant; }  // a state without variables
    bool Narrow(BRIX_USAS*, Box& box, bool, ResultPainter, bool& complete) override {
        box.Set(0, Iv_Itvl<double>::FromBounds(box[0].lo, Mid(box[0])));
        complete = true;
        return true;
    }
};
class KeepingLeaf : public RecordingLeaf {
public:
    KeepingLeaf() : RecordingLeaf(1) {}
    int Kind() const override { return BRIX_KindConstant; }
    bool Narrow(BRIX_USAS*, Box&, bool, ResultPainter, bool& complete) override {
        complete = true;
        return false;
    }
};

// In a hull pass (disjunction up, conjunction down) the connective ends with
// the hull of its subs' boxes: a disjunct proved true (a conjunct proved
// false) on its own smaller box proves nothing about the rest of the hull.
TEST(Connective, ContinuityClaimsStayOnTheBoxesProved) {
    FlagScope continuity(BRIX_Flag::UseContinuity, true);
    for (bool conjunction : {false, true}) {
        for (bool otherKeeps : {false, true}) {
            BRIX_Constraint* other = otherKeeps ? static_cast<BRIX_Constraint*>(new KeepingLeaf)
                                                : new RecordingLeaf(1);  // empties its copy
            BRIX_Connective node(conjunction, {new HalvingLeaf(!conjunction), other}, 1);
            State state = StateOf(node);
            const Box box = Narrowed(node, state.get(), BoxOf({{0, 4}}), !conjunction);
            EXPECT_EQ(box, BoxOf({{0, otherKeeps ? 4.0 : 2.0}}));
            const ContinuityInfo marks = node.ContinuityMarks(state.get());
            EXPECT_EQ(conjunction ? marks.FailsSurely() : marks.HoldsSurely(), !otherKeeps)
                << conjunction << otherKeeps;
        }
    }
}

}  // namespace
