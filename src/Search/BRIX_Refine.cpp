// Choice of element, branching, and the refinement steps of quantified states.
#include "Driver/BRIX_Registry.h"
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
// empty box -1, so it is chosen only when nothing else is there.
double BoundVolume(const BRIX_StackEl& e, int d, int k) {
    if (e.box.IsEmpty()) {
        return -1.0;
    }
    double volume = 1.0;
    for (int i = d - k; i < d; ++i) {
        if (i < 0 || i >= e.box.Dimension()) {
            continue;
        }
        double w = Width(e.box[i]);
        if (!(w > 0)) {
            return 0.0;
        }
        volume = MulUp(volume, w);
    }
    return volume;
}

// The link (the head or some element's next) that points to the element of
// largest bound volume, the first one among equals; null for an empty stack.
BRIX_StackEl** ChoiceLink(BRIX_USASQuantified& state) {
    if (state.stack == nullptr) {
        return nullptr;
    }
    int d = state.stack->box.Dimension();
    BRIX_StackEl** best = &state.stack;
    double bestVolume = BoundVolume(*state.stack, d, state.boundCount);
    for (BRIX_StackEl** link = &state.stack->next; *link != nullptr; link = &(*link)->next) {
        double volume = BoundVolume(**link, d, state.boundCount);
        if (volume > bestVolume) {  // only a strictly larger volume displaces
            best = link;
            bestVolume = volume;
        }
    }
    return best;
}

// The link to the element whose component var is widest, the first among equals.
BRIX_StackEl** WidestLink(BRIX_USASQuantified& state, int var) {
    auto width = [var](const BRIX_StackEl& e) {
        if (var < 0 || var >= e.box.Dimension()) {
            return -1.0;
        }
        double w = Width(e.box[var]);
        return w == w ? w : 0.0;  // NaN for [inf, inf]: no width
    };
    BRIX_StackEl** best = &state.stack;
    double bestWidth = width(*state.stack);
    for (BRIX_StackEl** link = &state.stack->next; *link != nullptr; link = &(*link)->next) {
        double w = width(**link);
        if (w > bestWidth) {
            best = link;
            bestWidth = w;
        }
    }
    return best;
}

BRIX_StackEl* Unlink(BRIX_StackEl** link) {
    BRIX_StackEl* e = *link;
    *link = e->next;
    e->next = nullptr;
    return e;
}

// The element goes back to its stack first, so a handler that throws leaves
// the state tree whole.
[[noreturn]] void OutOfPrecision(BRIX_USASQuantified* state, BRIX_StackEl* e, int var) {
    state->Push(e);
    BRIX_PrecisionLost(e->box, var);
}

// A new part of e over e's box with component var = [lo, hi], with its own
// deep copy of e's state.
BRIX_StackEl* Part(BRIX_StackEl& e, int var, double lo, double hi) {
    Box box = e.box;
    box.Set(var, Iv_Itvl<double>::FromBounds(lo, hi));
    BRIX_StackEl* part = CreateStackElFor(box, e.CloneState());
    assert(part != nullptr);
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
    if (var < 0 || var >= e->box.Dimension() || method < 0 || method > 2) {
        state->Push(e);
        return false;
    }
    e->upNarrowed = false;
    e->downNarrowed = false;
    const Iv_Itvl<double> c = e->box[var];
    if (c.IsEmpty()) {
        // No point in the box: nothing to split, and nothing lost by emptying it.
        e->box.MakeEmpty();
        state->Push(e);
        return true;
    }
    double lo = c.lo;
    double hi = c.hi;
    if (method == 0) {
        // Mid is never outside c, but equals a bound once c holds two doubles
        // or fewer, and is NaN or infinite only where a bound is.
        double m = Mid(c);
        if (!(lo < m && m < hi)) {
            OutOfPrecision(state, e, var);
        }
        BRIX_StackEl* r = Part(*e, var, m, hi);
        e->box.Set(var, Iv_Itvl<double>::FromBounds(lo, m));
        e->depth += 1;
        Settle(*e, var, e->depth, false, true);
        Settle(*r, var, e->depth, true, false);
        state->Push(e);
        state->Push(r);
        return true;
    }
    // Trisection in plain arithmetic, in whatever mode is set: the parts share
    // the cut points, so they cover the component in any mode. A cut point on
    // a bound (narrow component), NaN or infinite (unbounded component or
    // overflow) would let splitting go on without end.
    double w = hi - lo;
    double a = 0.0;
    double b = 0.0;
    if (method == 1) {
        a = w / 3 + lo;
        b = (w + w) / 3 + lo;
    } else {
        a = w * 0.25 + lo;
        b = w * 3.0 * 0.25 + lo;
    }
    if (!(lo < a && a < b && b < hi)) {
        OutOfPrecision(state, e, var);
    }
    BRIX_StackEl* l = Part(*e, var, lo, a);
    BRIX_StackEl* r = Part(*e, var, b, hi);
    e->box.Set(var, Iv_Itvl<double>::FromBounds(a, b));
    e->depth += 1;
    Settle(*e, var, e->depth, true, true);
    Settle(*l, var, e->depth, false, true);
    Settle(*r, var, e->depth, true, false);
    state->Push(e);
    state->Push(l);
    state->Push(r);
    return true;
}

bool BRIX_USASQuantified::RefineStatic(int varOffset, int var) {
    BRIX_StackEl* e = ChooseElement(this);
    if (e == nullptr) {
        return false;
    }
    if (varOffset <= var && var < e->box.Dimension() && maySplit) {
        return Branch(this, e, var);
    }
    Push(e);
    return e->State()->RefineStatic(varOffset + boundCount, var);
}

bool BRIX_USASQuantified::RefineDynamic(bool force) {
    BRIX_StackEl* e = ChooseElement(this);
    if (e == nullptr) {
        return false;
    }
    int dimension = e->box.Dimension();
    if (!force) {
        if (e->splitMark >= dimension || !maySplit) {
            Push(e);
            return e->State()->RefineDynamic(false);
        }
        if (e->splitMark != 0) {
            return Branch(this, e, e->splitMark);
        }
    }
    e->splitMark = dimension - boundCount;  // the first bound variable
    return Branch(this, e, e->splitMark);
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
            BRIX_StackEl* e = *link;
            if (var < varOffset || var >= boundCount) {
                return e->State()->RefineParallel(varOffset + boundCount, var);
            }
            if (e->splitMark >= e->box.Dimension()) {
                e->splitMark = 0;
            }
            split = e->splitMark;
        } else {
            link = WidestLink(*this, var);
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
        if (varOffset <= var && var < e->box.Dimension()) {
            stepped = Branch(this, e, var) || stepped;
        } else {
            *keptTail = e;
            keptTail = &e->next;
            stepped = e->State()->RefineStatic(varOffset + boundCount, var) || stepped;
        }
    }
    return stepped;
}
