#include "Constraint/BRIX_QuantifiedUnknown.h"

#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <cmath>
#include <utility>
#include <vector>

BRIX_Constraint* BRIX_QuantifiedUnknown::Copy() const {
    auto* copy =
        new BRIX_QuantifiedUnknown(box, variables, sub->Copy(), errorBound, numberOfVariables);
    copy->CopyDomain(*this);
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_QuantifiedUnknown::ApproxQuantifiers(double eps) {
    sub = sub->ApproxQuantifiers(eps);
    return this;
}

void BRIX_QuantifiedUnknown::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    out << "QUNKNOWN:" << errorBound;
    PrintQuantified(out, names, "");
}

namespace {

BRIX_USASQuantifiedStore* StoreOf(BRIX_USAS* usas) {
    if (usas == nullptr || usas->Kind() != BRIX_USASKindQuantified || !usas->IsStore()) {
        return nullptr;
    }
    return static_cast<BRIX_USASQuantifiedStore*>(usas);
}

}  // namespace

Iv_Itvl<double> VolumeOf(const Box& box) {
    double lo = 1.0;
    double hi = 1.0;
    for (int i = 0; i < box.Dimension(); ++i) {
        const Iv_Itvl<double>& c = box[i];
        if (c.IsEmpty() || c.lo == c.hi) {
            return Iv_Itvl<double>(0.0);
        }
        lo = MulDown(lo, SubDown(c.hi, c.lo));
        hi = MulUp(hi, SubUp(c.hi, c.lo));
    }
    return Iv_Itvl<double>::FromBounds(lo, hi);
}

namespace {

// VolumeOf(box).hi, computed in the mode already in force, which must be up.
double VolumeUpperBound(const Box& box) {
    double hi = 1.0;
    for (int i = 0; i < box.Dimension(); ++i) {
        const Iv_Itvl<double>& c = box[i];
        if (c.IsEmpty() || c.lo == c.hi) {
            return 0.0;
        }
        hi = PinnedMul(hi, PinnedSub(c.hi, c.lo));
    }
    return hi;
}

// Parameter CountWitnessBoxes truncated toward zero; -1 (no element counts)
// for NaN and values outside the int range.
int WitnessCountMethod() {
    const double x = BRIX_GetParam(BRIX_Param::CountWitnessBoxes);
    if (!(x > -2.0 && x < 3.0)) {
        return -1;
    }
    return static_cast<int>(std::trunc(x));
}

}  // namespace

bool BRIX_QuantifiedUnknown::ErrorBoundHolds(const BRIX_USASQuantified& state) const {
    const double allowed = MulDown(VolumeOf(box).lo, errorBound);
    const int method = WitnessCountMethod();
    // Only the upper bound of the open volume is compared: it is summed with
    // the mode set to up once for the whole list (the list is long, and a
    // mode change per operation cost more than the sum).
    SAL_Interface::SetRounding(SAL_RoundUp);
    double openHi = 0.0;
    for (const BRIX_StackEl* e = state.stack; e != nullptr; e = e->next) {
        bool counts = false;
        switch (method) {
            case 0:
                counts = true;
                break;
            case 1:
                counts = !e->continuity.HasSingleTrue() && !e->continuity.HasSingleFalse();
                break;
            case 2:
                counts = e->continuity.trueSets.Size() == 0 && e->continuity.falseSets.Size() == 0;
                break;
            default:
                break;
        }
        if (!counts || e->box.IsEmpty()) {
            continue;
        }
        openHi = PinnedAdd(openHi, VolumeUpperBound(e->box));
        // An infinite open volume is no fraction of any volume, and NaN
        // (inf * 0 in allowed) compares false: neither passes.
        if (IsInfOrNaN(openHi) || !(openHi <= allowed)) {
            return false;
        }
    }
    return true;
}

bool BRIX_QuantifiedUnknown::NarrowElement(BRIX_USASQuantifiedStore& store, BRIX_StackEl& e,
                                           bool startUp, int maxSteps, const ResultPainter& context,
                                           bool& complete) {
    // Alternating narrowings stop when both directions are done, after
    // maxSteps (when positive), after a thousand (a sub may keep reporting
    // changes that change nothing here), or at the time-out.
    constexpr int stepLimit = 1000;
    if (e.upNarrowed && e.downNarrowed) {
        return false;  // the usual case in a long list: nothing to do
    }
    bool changed = false;
    bool up = startUp;
    Box w = e.box;
    for (int steps = 0; !w.IsEmpty(); ++steps) {
        if ((e.upNarrowed && e.downNarrowed) || (maxSteps > 0 && steps >= maxSteps) ||
            steps >= stepLimit || timeoutPassed()) {
            break;
        }
        (up ? e.upNarrowed : e.downNarrowed) = true;
        e.continuityStale = true;  // narrowing may set marks
        if (sub->Narrow(e.State(), w, up, context, complete)) {
            (up ? e.downNarrowed : e.upNarrowed) = false;
            changed = true;
        }
        if (w != e.box) {
            // What the narrowing removed is decided: false (up) or true (down).
            std::vector<Box> pieces = BoxDifference(e.box, w);
            if (up) {
                store.AddFalseBoxes(std::move(pieces));
            } else {
                store.AddTrueBoxes(std::move(pieces));
            }
            e.box = w;
            (up ? e.downNarrowed : e.upNarrowed) = false;
            changed = true;
        }
        up = !up;
    }
    return changed;
}

bool BRIX_QuantifiedUnknown::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                                    bool& complete) {
    BRIX_USASQuantifiedStore* store = StoreOf(usas);
    if (up || store == nullptr || box.IsEmpty()) {
        complete = true;
        return false;
    }
    const bool startUp = BRIX_GetFlag(BRIX_Flag::StartWithUpNarrowing);
    const int maxSteps = BRIX_GetFlag(BRIX_Flag::SingleUpDownNarrowing) ? 2 : 0;
    bool changed = false;
    for (BRIX_StackEl* e = store->stack; e != nullptr && !timeoutPassed(); e = e->next) {
        changed = NarrowElement(*store, *e, startUp, maxSteps, context, complete) || changed;
    }
    store->RemoveEmptyElements();
    if (ErrorBoundHolds(*store)) {
        box.MakeEmpty();
        changed = true;
    }
    complete = true;
    return changed;
}

namespace {

// The bounds of the cells of c: n + 1 non-decreasing values from c.lo to c.hi
// (2 values, one cell, when c is unbounded), so the cells cover c without gaps.
std::vector<double> CellBounds(const Iv_Itvl<double>& c, int n) {
    const double width = SubNear(c.hi, c.lo);
    if (IsInfOrNaN(width)) {
        return {c.lo, c.hi};
    }
    std::vector<double> bounds{c.lo};
    for (int j = 1; j < n; ++j) {
        double b = AddNear(c.lo, DivNear(width, DivNear(static_cast<double>(n), j)));
        bounds.push_back(Min(Max(b, bounds.back()), c.hi));
    }
    bounds.push_back(c.hi);
    return bounds;
}

}  // namespace

bool BRIX_QuantifiedUnknown::Sample(BRIX_USAS* usas, Box, int samples) {
    BRIX_USASQuantifiedStore* store = StoreOf(usas);
    if (store == nullptr) {
        return true;
    }
    const int n = samples < 1 ? 1 : samples;
    // Every open element is replaced by its grid of cells.
    std::vector<Box> cells;
    for (BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
        const Box& b = e->box;
        if (b.IsEmpty()) {
            continue;
        }
        const int d = b.Dimension();
        std::vector<std::vector<double>> bounds;
        for (int i = 0; i < d; ++i) {
            bounds.push_back(CellBounds(b[i], n));
        }
        std::vector<std::size_t> at(static_cast<std::size_t>(d), 0);
        for (;;) {
            Box cell(d);
            for (int i = 0; i < d; ++i) {
                const std::vector<double>& bi = bounds[static_cast<std::size_t>(i)];
                const std::size_t j = at[static_cast<std::size_t>(i)];
                cell.Set(i, Iv_Itvl<double>::FromBounds(bi[j], bi[j + 1]));
            }
            cells.push_back(cell);
            int i = 0;
            while (i < d && ++at[static_cast<std::size_t>(i)] + 1 ==
                                bounds[static_cast<std::size_t>(i)].size()) {
                at[static_cast<std::size_t>(i)] = 0;
                ++i;
            }
            if (i == d) {
                break;
            }
        }
    }
    // The cells take the elements' place, first cell on top.
    std::vector<BRIX_StackEl*> made;
    for (const Box& cell : cells) {
        BRIX_StackEl* element = CreateStackEl(cell, sub);
        if (element == nullptr) {
            // No state for the sub: leave the stack as it is.
            for (BRIX_StackEl* m : made) {
                m->Destroy();
            }
            return true;
        }
        made.push_back(element);
    }
    BRIX_USASQuantified::DestroyList(store->stack);
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        store->Push(*it);
    }
    bool complete = true;
    for (BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
        NarrowElement(*store, *e, true, 2, ResultPainter(), complete);
    }
    store->RemoveEmptyElements();
    return true;
}

ContinuityInfo BRIX_QuantifiedUnknown::ContinuityMarks(BRIX_USAS* usas) {
    BRIX_USASQuantifiedStore* store = StoreOf(usas);
    if (store == nullptr) {
        return ContinuityInfo();
    }
    if (BRIX_GetFlag(BRIX_Flag::UseContinuity)) {
        for (BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
            if (e->box.IsEmpty() || !e->continuityStale) {
                continue;
            }
            e->continuity = sub->ContinuityMarks(e->State());
            e->continuityStale = false;
            if (e->continuity.HoldsSurely()) {
                store->AddTrueBoxes({e->box});
                e->box.MakeEmpty();
            } else if (e->continuity.FailsSurely()) {
                store->AddFalseBoxes({e->box});
                e->box.MakeEmpty();
            }
        }
    }
    store->RemoveEmptyElements();
    return ContinuityInfo(ErrorBoundHolds(*store) ? 1 : 0);
}
