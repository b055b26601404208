// Choice of element, branching, and the refinement steps of quantified states.
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"
#include "IO/Ex_Stream.h"
#include "Interval/Iv_Round.h"
#include "Search/BRIX_PrecisionLoss.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <cassert>
#include <cstdlib>

namespace {

// Product of the widths of components d-k .. d-1 of e's box, left to right,
// rounded up. A zero (or NaN) width gives 0 even beside an infinite one; an
// empty box -1, so it is chosen only when nothing else is there. Computed in
// the mode already in force, which must be up (the caller sets it once for a
// whole list).
double BoundVolume(const BRIX_StackEl& e, int d, int k) {
    if (e.box.IsEmpty()) {
        return -1.0;
    }
    double volume = 1.0;
    for (int i = d - k; i < d; ++i) {
        if (i < 0 || i >= e.box.Dimension()) {
            continue;
        }
        const Iv_Itvl<double>& c = e.box[i];
        const double w = c.IsEmpty() ? 0.0 : PinnedSub(c.hi, c.lo);
        if (!(w > 0)) {
            return 0.0;
        }
        volume = PinnedMul(volume, w);
    }
    return volume;
}

// The link (the head or some element's next) that points to the element of
// largest bound volume, the first one among equals; exhausted elements are
// passed over. Null when there is none.
BRIX_StackEl** ChoiceLink(BRIX_USASQuantified& state) {
    BRIX_StackEl** best = nullptr;
    double bestVolume = 0;
    SAL_Interface::SetRounding(SAL_RoundUp);
    for (BRIX_StackEl** link = &state.stack; *link != nullptr; link = &(*link)->next) {
        if ((*link)->exhausted) {
            continue;
        }
        double volume = BoundVolume(**link, state.stack->box.Dimension(), state.boundCount);
        if (best == nullptr || volume > bestVolume) {  // only a strictly larger volume displaces
            best = link;
            bestVolume = volume;
        }
    }
    return best;
}

// The link to the element whose component var is widest, the first among
// equals, exhausted elements passed over; null when there is none.
BRIX_StackEl** WidestLink(BRIX_USASQuantified& state, int var) {
    auto width = [var](const BRIX_StackEl& e) {
        if (var < 0 || var >= e.box.Dimension()) {
            return -1.0;
        }
        double w = Width(e.box[var]);
        return w == w ? w : 0.0;  // NaN for [inf, inf]: no width
    };
    BRIX_StackEl** best = nullptr;
    double bestWidth = 0;
    for (BRIX_StackEl** link = &state.stack; *link != nullptr; link = &(*link)->next) {
        if ((*link)->exhausted) {
            continue;
        }
        double w = width(**link);
        if (best == nullptr || w > bestWidth) {
            best = link;
            bestWidth = w;
        }
    }
    return best;
}

// The result of a refinement step taken inside e's state: a step that split
// something there leaves e to be narrowed again (its new pieces have not
// been) and its continuity information to be computed again.
bool Within(BRIX_StackEl* e, bool stepped) {
    if (stepped) {
        e->upNarrowed = false;
        e->downNarrowed = false;
        e->continuityStale = true;
    }
    return stepped;
}

BRIX_StackEl* Unlink(BRIX_StackEl** link) {
    BRIX_StackEl* e = *link;
    *link = e->next;
    e->next = nullptr;
    return e;
}

// Cut points of c strictly inside it: m (bisection, method 0) or a < b
// (trisection, methods 1 and 2, in plain arithmetic in whatever mode is set:
// the parts share the cut points, so they cover c in any mode). False when
// they do not fall strictly inside: c holds two doubles or fewer, is
// unbounded, or the arithmetic overflowed; splitting would then go on without
// end.
bool CutPoints(const Iv_Itvl<double>& c, int method, double& a, double& b) {
    const double lo = c.lo;
    const double hi = c.hi;
    if (method == 0) {
        // Mid is never outside c, but equals a bound once c holds two doubles
        // or fewer, and is NaN or infinite only where a bound is.
        a = b = Mid(c);
        return lo < a && a < hi;
    }
    const double w = hi - lo;
    if (method == 1) {
        a = w / 3 + lo;
        b = (w + w) / 3 + lo;
    } else {
        a = w * 0.25 + lo;
        b = w * 3.0 * 0.25 + lo;
    }
    return lo < a && a < b && b < hi;
}

// The variable e is split on: var when its component can be cut, otherwise
// the next bound variable of the quantifier after var (cyclically) that can;
// -1 when none can. a and b receive the cut points.
int SplitVariable(const BRIX_USASQuantified& state, const BRIX_StackEl& e, int var, int method,
                  double& a, double& b) {
    if (CutPoints(e.box[var], method, a, b)) {
        return var;
    }
    const int d = e.box.Dimension();
    const int first = d - state.boundCount < 0 ? 0 : d - state.boundCount;
    const int count = d - first;
    const int start = var >= first ? var - first : -1;
    for (int k = 1; k <= count; ++k) {
        const int v = first + (start + k) % count;
        if (v != var && CutPoints(e.box[v], method, a, b)) {
            return v;
        }
    }
    return -1;
}

// A new part of e over e's box with component var = [lo, hi], with its own
// deep copy of e's state.
BRIX_StackEl* Part(BRIX_StackEl& e, int var, double lo, double hi) {
    Box box = e.box;
    box.Set(var, Iv_Itvl<double>::FromBounds(lo, hi));
    BRIX_StackEl* part = CreateStackElFor(box, e.CloneState());
    assert(part != nullptr);
    part->claims = e.claims;  // the state's marks come from e's narrowings
    return part;
}

// splitMark, depth and the marks of a part whose bounds of var moved as told.
void Settle(BRIX_StackEl& part, int var, int depth, bool lowerMoved, bool upperMoved) {
    part.splitMark = var + 1;
    part.depth = depth;
    part.State()->ClearMarks(true, var, lowerMoved, upperMoved);
    part.State()->ClearMarks(false, var, lowerMoved, upperMoved);
}

// Puts the elements a parallel step holds outside the stack back at its end:
// kept (handed on, in order), then old (not reached). When the step ends
// normally old is empty; when a precision-loss handler throws out of it, the
// state tree is whole again and can be destroyed. Borrows the three lists.
class Rejoin {
public:
    Rejoin(BRIX_StackEl*& stack, BRIX_StackEl*& kept, BRIX_StackEl*& old)
        : stack_(stack), kept_(kept), old_(old) {}
    ~Rejoin() {
        BRIX_StackEl** tail = &stack_;
        while (*tail != nullptr) {
            tail = &(*tail)->next;
        }
        *tail = kept_;
        while (*tail != nullptr) {
            tail = &(*tail)->next;
        }
        *tail = old_;
    }
    Rejoin(const Rejoin&) = delete;
    Rejoin& operator=(const Rejoin&) = delete;

private:
    BRIX_StackEl*& stack_;
    BRIX_StackEl*& kept_;
    BRIX_StackEl*& old_;
};

}  // namespace

BRIX_StackEl* ChooseElement(BRIX_USASQuantified* state) {
    BRIX_StackEl** link = ChoiceLink(*state);
    return link != nullptr ? Unlink(link) : nullptr;
}

bool Branch(BRIX_USASQuantified* state, BRIX_StackEl* e, int var) {
    int method = BRIX_RoundedParam(BRIX_Param::BranchingMethod);
    if (var < 0 || var >= e->box.Dimension() || method < 0 || method > 2 || e->exhausted) {
        state->Push(e);
        return false;
    }
    e->upNarrowed = false;
    e->downNarrowed = false;
    if (e->box[var].IsEmpty()) {
        // No point in the box: nothing to split, and nothing lost by emptying it.
        e->box.MakeEmpty();
        state->Push(e);
        return true;
    }
    double a = 0.0;
    double b = 0.0;
    const int split = SplitVariable(*state, *e, var, method, a, b);
    if (split < 0) {
        // The box stays open; the element goes back to its stack first, so a
        // handler that throws leaves the state tree whole.
        e->exhausted = true;
        e->endsTried = Box();  // its own ends are witnesses to try now
        state->Push(e);
        BRIX_PrecisionLost(e->box, var);
        return false;
    }
    const double lo = e->box[split].lo;
    const double hi = e->box[split].hi;
    if (method == 0) {
        BRIX_StackEl* r = Part(*e, split, a, hi);
        e->box.Set(split, Iv_Itvl<double>::FromBounds(lo, a));
        e->depth += 1;
        Settle(*e, split, e->depth, false, true);
        Settle(*r, split, e->depth, true, false);
        state->Push(e);
        state->Push(r);
        return true;
    }
    BRIX_StackEl* l = Part(*e, split, lo, a);
    BRIX_StackEl* r = Part(*e, split, b, hi);
    e->box.Set(split, Iv_Itvl<double>::FromBounds(a, b));
    e->depth += 1;
    Settle(*e, split, e->depth, true, true);
    Settle(*l, split, e->depth, false, true);
    Settle(*r, split, e->depth, true, false);
    state->Push(e);
    state->Push(l);
    state->Push(r);
    return true;
}

bool BRIX_USASQuantified::RefineStatic(int varOffset, int var) {
    // An element that turns out exhausted is passed over for the next one.
    for (;;) {
        BRIX_StackEl* e = ChooseElement(this);
        if (e == nullptr) {
            return RefineBelowExhausted([varOffset, var, this](BRIX_USAS* s) {
                return s->RefineStatic(varOffset + boundCount, var);
            });
        }
        if (!(varOffset <= var && var < e->box.Dimension() && maySplit)) {
            Push(e);
            return Within(e, e->State()->RefineStatic(varOffset + boundCount, var));
        }
        if (Branch(this, e, var)) {
            return true;
        }
        if (!e->exhausted) {
            return false;
        }
    }
}

template <class Step>
bool BRIX_USASQuantified::RefineBelowExhausted(Step step) {
    for (BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        if (e->exhausted && Within(e, step(e->State()))) {
            return true;
        }
    }
    return false;
}

bool BRIX_USASQuantified::WiderThanFree(const BRIX_StackEl& e) const {
    const int d = e.box.Dimension();
    for (int i = d - boundCount < 0 ? 0 : d - boundCount; i < d; ++i) {
        if (!(Width(e.box[i]) <= 2 * freeWidth)) {
            return true;
        }
    }
    return false;
}

bool BRIX_USASQuantified::RefineDynamic(bool force) {
    for (;;) {
        BRIX_StackEl* e = ChooseElement(this);
        if (e == nullptr) {
            return !force &&
                   RefineBelowExhausted([](BRIX_USAS* s) { return s->RefineDynamic(false); });
        }
        int dimension = e->box.Dimension();
        int var = dimension - boundCount;  // the first bound variable
        if (!force) {
            if (e->splitMark >= dimension || !maySplit || !WiderThanFree(*e)) {
                Push(e);
                return Within(e, e->State()->RefineDynamic(false));
            }
            if (e->splitMark != 0) {
                var = e->splitMark;
            }
        }
        if (var == dimension - boundCount) {
            e->splitMark = var;
        }
        if (Branch(this, e, var)) {
            return true;
        }
        if (!e->exhausted) {
            return false;
        }
    }
}

bool BRIX_USASQuantified::RefineParallel(int varOffset, int var) {
    if (stack == nullptr) {
        return false;
    }
    if (polarity == 0) {
        // The top quantifier over the free variables: one element is split.
        BRIX_StackEl** link = nullptr;
        int split = var;
        if (BRIX_RoundedParam(BRIX_Param::BranchingStrategy) == 2 || var >= boundCount) {
            link = ChoiceLink(*this);
            if (link == nullptr) {
                return false;
            }
            BRIX_StackEl* e = *link;
            if (var < varOffset || var >= boundCount) {
                return Within(e, e->State()->RefineParallel(varOffset + boundCount, var));
            }
            if (e->splitMark >= e->box.Dimension()) {
                e->splitMark = 0;
            }
            split = e->splitMark;
        } else {
            link = WidestLink(*this, var);
            if (link == nullptr) {
                return false;
            }
        }
        return Branch(this, Unlink(link), split);
    }
    // Classical and approximate quantifiers: every element of the stack as it
    // stands now is split on var or hands the step on. The parts go to the
    // front; the elements not split keep their order behind them.
    BRIX_StackEl* old = stack;
    stack = nullptr;
    BRIX_StackEl* kept = nullptr;
    BRIX_StackEl** keptTail = &kept;
    bool stepped = false;
    const Rejoin rejoin(stack, kept, old);  // when the step ends, however it ends
    while (old != nullptr) {
        BRIX_StackEl* e = old;
        old = e->next;
        e->next = nullptr;
        // At the time-out the rest stays as it is: every element split doubles
        // the stack, so one step can grow far past the time-out.
        if (timeoutPassed()) {
            *keptTail = e;
            keptTail = &e->next;
            continue;
        }
        if (varOffset <= var && var < e->box.Dimension() && !e->exhausted) {
            stepped = Branch(this, e, var) || stepped;
        } else {
            *keptTail = e;
            keptTail = &e->next;
            stepped = Within(e, e->State()->RefineStatic(varOffset + boundCount, var)) || stepped;
        }
    }
    return stepped;
}
