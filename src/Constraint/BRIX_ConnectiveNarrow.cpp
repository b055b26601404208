// The search-facing operations of a connective: narrowing and continuity marks.
//
// A null child state stands for a sub that is neutral on the state's box: a
// conjunction drops a sub found true there (continuity marks) or emptied by
// down-narrowing, a disjunction a sub found false there or emptied by
// up-narrowing. Boxes handed to the state only shrink, so the sub stays
// neutral, and the connective over its remaining subs has the same meaning.
// With no child state left the connective is its neutral value, like a
// connective without subs: a conjunction is true, a disjunction false.
#include "Constraint/BRIX_Connective.h"

#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_USASBoolean.h"

#include <cassert>
#include <vector>

namespace {

// A sub is narrowed at most this many times in one sequential pass per sub
// with a state. Two subs can trade ever smaller moves of the same bounds
// (x >= y + 1 /\ y >= x + 1 moves each bound by 2 a round); stopping early
// only removes fewer points, and every sub that would have run again has
// already had its marks cleared.
constexpr long maxVisitsPerSub = 1000;

BRIX_USASBoolean& BooleanState(BRIX_USAS* usas, const BRIX_Connective& node) {
    assert(usas != nullptr && usas->Kind() == BRIX_USASKindBoolean);
    auto& state = *static_cast<BRIX_USASBoolean*>(usas);
    assert(state.ChildCount() == node.SubCount());
    (void)node;
    return state;
}

// Tells a child state, for both directions, which bounds of var moved.
void ClearBoth(BRIX_USAS* child, int var, bool lowerMoved, bool upperMoved) {
    child->ClearMarks(true, var, lowerMoved, upperMoved);
    child->ClearMarks(false, var, lowerMoved, upperMoved);
}

// The component-wise hull; the other box when one is empty.
Box HullOf(const Box& a, const Box& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    assert(a.Dimension() == b.Dimension());
    Box hull = a;
    for (int v = 0; v < a.Dimension(); ++v) {
        hull.Set(v, Hull(a[v], b[v]));
    }
    return hull;
}

// Conjunction up, disjunction down: a point any sub removes goes for the
// whole, so every sub narrows the box itself in turn. A sub runs again when a
// variable it depends on moved after its last run. No sub with a state: the
// neutral value removes nothing and the box stays.
bool NarrowInTurn(BRIX_Connective& node, BRIX_USASBoolean& state, Box& box, bool up,
                  const ResultPainter& context, bool& complete) {
    const int n = node.SubCount();
    int cursor = -1;
    long budget = 0;
    for (int i = 0; i < n; ++i) {
        if (state.Child(i) != nullptr) {
            cursor = cursor < 0 ? i : cursor;
            budget += maxVisitsPerSub;
        }
    }
    if (cursor < 0) {
        return false;
    }
    std::vector<char> done(static_cast<std::size_t>(n), 0);  // narrowed in this call
    bool changed = false;
    while (!box.IsEmpty() && done[static_cast<std::size_t>(cursor)] == 0 && budget-- > 0) {
        const Box saved = box;
        changed =
            node.Sub(cursor)->Narrow(state.Child(cursor), box, up, context, complete) || changed;
        if (!box.IsEmpty()) {
            state.claims[static_cast<std::size_t>(cursor)].Narrowed(box, box.Dimension());
        }
        done[static_cast<std::size_t>(cursor)] = 1;
        if (box.IsEmpty()) {
            break;  // decided on the whole box: no sub runs again
        }
        for (int j = 0; j < box.Dimension(); ++j) {
            const bool lowerMoved = box[j].lo != saved[j].lo;
            const bool upperMoved = box[j].hi != saved[j].hi;
            if (!lowerMoved && !upperMoved) {
                continue;
            }
            for (int k = 0; k < n; ++k) {
                BRIX_USAS* child = state.Child(k);
                if (k != cursor && child != nullptr && node.Sub(k)->Degree(j) > 0) {
                    done[static_cast<std::size_t>(k)] = 0;
                    ClearBoth(child, j, lowerMoved, upperMoved);
                }
            }
        }
        // The next sub still to run, cyclically; none leaves the cursor on a
        // done sub, which ends the loop.
        for (int step = 1; step < n; ++step) {
            const int k = (cursor + step) % n;
            if (state.Child(k) != nullptr && done[static_cast<std::size_t>(k)] == 0) {
                cursor = k;
                break;
            }
        }
    }
    return changed;
}

// Conjunction down, disjunction up: a point goes only when every sub lets it
// go, so each sub narrows its own copy and the box becomes their hull. With
// no sub consulted the hull is empty, which is right: every sub is neutral,
// and a conjunction that holds everywhere (a disjunction that fails
// everywhere) loses the whole box in this direction.
bool NarrowHull(BRIX_Connective& node, BRIX_USASBoolean& state, Box& box, bool up,
                const ResultPainter& context, bool& complete) {
    const bool shortcut = BRIX_GetFlag(BRIX_Flag::ShortcutConnectives);
    const bool removeEmpty = BRIX_GetFlag(BRIX_Flag::RemoveEmptyBranches);
    Box hull;  // empty
    bool changed = false;
    // Each sub's result, kept to tell it afterwards where the hull reaches
    // beyond it; asked: whether the sub narrowed in this pass.
    std::vector<Box> copies(static_cast<std::size_t>(node.SubCount()));
    std::vector<char> asked(static_cast<std::size_t>(node.SubCount()), 0);
    for (int i = 0; i < node.SubCount(); ++i) {
        if (shortcut && hull == box) {
            break;
        }
        BRIX_USAS* child = state.Child(i);
        if (child == nullptr) {
            continue;
        }
        Box copy = box;
        changed = node.Sub(i)->Narrow(child, copy, up, context, complete) || changed;
        asked[static_cast<std::size_t>(i)] = 1;
        if (copy.IsEmpty()) {
            if (removeEmpty) {
                state.RemoveChild(i);  // neutral on the box: never consulted again
            }
            continue;
        }
        state.claims[static_cast<std::size_t>(i)].Narrowed(copy, copy.Dimension());
        hull = HullOf(hull, copy);
        copies[static_cast<std::size_t>(i)] = std::move(copy);
    }
    // Each sub sees the hull next time: where it reaches beyond the sub's own
    // result (all of it for a sub that emptied its copy) the sub's marks say
    // nothing, and it must narrow there again.
    for (int i = 0; i < node.SubCount() && !hull.IsEmpty(); ++i) {
        BRIX_USAS* child = state.Child(i);
        if (child == nullptr || asked[static_cast<std::size_t>(i)] == 0) {
            continue;
        }
        const Box& copy = copies[static_cast<std::size_t>(i)];
        for (int v = 0; v < hull.Dimension(); ++v) {
            const bool lowerMoved = copy.IsEmpty() || copy[v].lo != hull[v].lo;
            const bool upperMoved = copy.IsEmpty() || copy[v].hi != hull[v].hi;
            if (lowerMoved || upperMoved) {
                ClearBoth(child, v, lowerMoved, upperMoved);
            }
        }
    }
    box = hull;
    return changed;
}

}  // namespace

bool BRIX_Connective::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                             bool& complete) {
    BRIX_USASBoolean& state = BooleanState(usas, *this);
    state.claims.resize(static_cast<std::size_t>(SubCount()));
    // An empty box has no point to remove; narrowing it would also make every
    // sub look empty and lose branches that are not.
    if (box.IsEmpty()) {
        return false;
    }
    // The marks speak of the box last narrowed: a larger box (the hull of an
    // enclosing pass) must be narrowed again.
    if (BRIX_GetFlag(BRIX_Flag::CheckMarksBeforeRecursion) && state.AllMarked(up) &&
        IsSubBox(box, state.lastBox)) {
        state.lastBox = box;
        return false;
    }
    const bool changed = up == isConjunction
                             ? NarrowInTurn(*this, state, box, up, context, complete)
                             : NarrowHull(*this, state, box, up, context, complete);
    state.lastBox = box;
    return changed;
}

ContinuityInfo BRIX_Connective::ContinuityMarks(BRIX_USAS* usas) {
    ContinuityInfo result;
    if (!BRIX_GetFlag(BRIX_Flag::UseContinuity)) {
        return result;
    }
    BRIX_USASBoolean& state = BooleanState(usas, *this);
    bool first = true;
    for (int i = 0; i < SubCount(); ++i) {
        BRIX_USAS* child = state.Child(i);
        if (child == nullptr) {
            continue;
        }
        ContinuityInfo marks = Sub(i)->ContinuityMarks(child);
        // A sub's marks hold on the boxes it was narrowed to. In a hull pass
        // the connective may end with more: a disjunct true there (a conjunct
        // false there) says nothing beyond; what the pass removed was false
        // for the disjunct (true for the conjunct), so the other list stands.
        if (i >= static_cast<int>(state.claims.size()) ||
            !state.claims[static_cast<std::size_t>(i)].Covers(state.lastBox,
                                                              state.lastBox.Dimension())) {
            (isConjunction ? marks.falseSets : marks.trueSets) = MaskList();
        }
        if (first) {
            result = marks;
            first = false;
        } else {
            result = isConjunction ? ContinuityInfo::And(result, marks)
                                   : ContinuityInfo::Or(result, marks);
        }
        // A conjunct true (a disjunct false) on the whole box no longer matters.
        if (isConjunction ? marks.HoldsSurely() : marks.FailsSurely()) {
            state.RemoveChild(i);
        }
    }
    return result;
}
