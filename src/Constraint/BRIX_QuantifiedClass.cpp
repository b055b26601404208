#include "Constraint/BRIX_QuantifiedClass.h"

#include "Constraint/BRIX_QuantifiedApprox.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Constraint/BRIX_Atomic.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASAtomic.h"
#include "Search/BRIX_USASQuantified.h"

#include <cstdint>
#include <utility>
#include <vector>

BRIX_Constraint* BRIX_QuantifiedClass::Copy() const {
    auto* copy = new BRIX_QuantifiedClass(box, variables, sub->Copy(), isForall, numberOfVariables);
    copy->CopyDomain(*this);
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_QuantifiedClass::ApproxQuantifiers(double eps) {
    BRIX_Constraint* approximated = sub->ApproxQuantifiers(eps);
    sub = nullptr;  // now owned by the replacement; must not be deleted with this node
    auto* replacement = new BRIX_QuantifiedApprox(box, variables, approximated, isForall, 0.0,
                                                  MulUp(eps, box.Volume()), numberOfVariables);
    replacement->CopyDomain(*this);
    replacement->traceFlag = traceFlag;
    delete this;
    return replacement;
}

void BRIX_QuantifiedClass::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    PrintQuantified(out, names, isForall ? "FORALL" : "EXISTS");
}

bool BRIX_QuantifiedClass::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                                  bool& complete) {
    return NarrowClassical(usas, box, up, std::move(context), complete, true);
}

namespace {

// The midpoint of cell j of n equal cells of [lo, hi], rounded to nearest and
// kept inside the interval; the interval's Mid when it is unbounded.
double CellMidpoint(const Iv_Itvl<double>& c, int j, int n) {
    const double width = SubNear(c.hi, c.lo);
    if (IsInfOrNaN(width)) {
        return Mid(c);
    }
    // lo + width * (2j + 1) / (2n), exact when the ratio is a power of two.
    double offset = DivNear(width, DivNear(2.0 * n, 2.0 * j + 1.0));
    double x = AddNear(c.lo, offset);
    return Min(Max(x, c.lo), c.hi);
}

}  // namespace

bool BRIX_QuantifiedClass::Sample(BRIX_USAS*, Box box, int samples) {
    if (box.IsEmpty()) {
        return false;
    }
    const int n = samples < 1 ? 1 : samples;
    const int k = BoundCount();
    const int free = numberOfVariables;
    box.Resize(free + k);
    std::vector<int> cell(static_cast<std::size_t>(k), 0);
    for (;;) {
        for (int i = 0; i < k; ++i) {
            box.Set(free + i, Iv_Itvl<double>(CellMidpoint(this->box[i], cell[i], n)));
        }
        const bool holds = sub->Sample(nullptr, box, n);
        if (!isForall && holds) {
            return true;
        }
        if (isForall && !holds) {
            return false;
        }
        // Odometer, the first bound variable running fastest.
        int i = 0;
        while (i < k && ++cell[static_cast<std::size_t>(i)] == n) {
            cell[static_cast<std::size_t>(i)] = 0;
            ++i;
        }
        if (i == k) {
            return isForall;
        }
    }
}

void BRIX_QuantifiedClass::Negate() {
    isForall = !isForall;
    sub->Negate();
}

namespace {

// x with variable v quantified away: on the true side (EXISTS) or the false
// side (FORALL). Masks cannot name v >= 32, so only the other list changes.
ContinuityInfo Forget(const ContinuityInfo& x, int v, bool exists) {
    if (v < 32) {
        return exists ? ContinuityInfo::ForgetTrue(x, v) : ContinuityInfo::ForgetFalse(x, v);
    }
    ContinuityInfo r;
    const MaskList& kept = exists ? x.trueSets : x.falseSets;
    const MaskList& zeros = exists ? x.falseSets : x.trueSets;
    MaskList onlyZeros;
    for (int i = 0; i < zeros.Size(); ++i) {
        if (zeros[i] == 0) {
            onlyZeros.Append(0);
        }
    }
    (exists ? r.trueSets : r.falseSets) = kept;
    (exists ? r.falseSets : r.trueSets) = std::move(onlyZeros);
    return r;
}

// x without the masks that name v on the true side (EXISTS) or the false
// side (FORALL): what they say holds somewhere along v, which is no use when
// that somewhere may lie outside the quantifier's domain.
ContinuityInfo WithoutMasksOf(const ContinuityInfo& x, int v, bool exists) {
    if (v >= 32) {
        return x;  // no mask names v
    }
    const std::uint32_t bit = std::uint32_t{1} << v;
    ContinuityInfo r = x;
    const MaskList& from = exists ? x.trueSets : x.falseSets;
    MaskList kept;
    for (int i = 0; i < from.Size(); ++i) {
        if ((from[i] & bit) == 0) {
            kept.Append(from[i]);
        }
    }
    (exists ? r.trueSets : r.falseSets) = std::move(kept);
    return r;
}

}  // namespace

ContinuityInfo BRIX_QuantifiedClass::ContinuityMarks(BRIX_USAS* usas) {
    if (!BRIX_GetFlag(BRIX_Flag::UseContinuity) || usas == nullptr ||
        usas->Kind() != BRIX_USASKindQuantified) {
        return ContinuityInfo();
    }
    auto* state = static_cast<BRIX_USASQuantified*>(usas);
    auto* store = state->IsStore() ? static_cast<BRIX_USASQuantifiedStore*>(state) : nullptr;
    const bool exists = !isForall;
    const int n = numberOfVariables;
    ContinuityInfo result;
    bool first = true;
    for (BRIX_StackEl* e = state->stack; e != nullptr; e = e->next) {
        ContinuityInfo m = sub->ContinuityMarks(e->State());
        // What the piece's marks prove for the quantifier (a root or a
        // witness somewhere in it) holds on the free boxes it was narrowed
        // to; a hull pass may have ended with more. What makes it neutral
        // holds beyond: the narrowing itself removed the rest.
        if (!e->claims.Covers(state->lastFree, n)) {
            (exists ? m.trueSets : m.falseSets) = MaskList();
        }
        for (int v = n + BoundCount() - 1; v >= n; --v) {
            // A point along v found in a piece that reaches outside the reals
            // typed for the quantifier's box may lie outside them.
            if (!e->box.IsEmpty() && !InsideDomain(v - n, e->box[v].lo, e->box[v].hi)) {
                m = WithoutMasksOf(m, v, exists);
            }
            m = Forget(m, v, exists);
        }
        // A piece on which the sub is neutral for the quantifier no longer
        // matters; a store first records it as decided.
        const bool neutral = exists ? m.FailsSurely() : m.HoldsSurely();
        if (neutral && !e->box.IsEmpty()) {
            if (store != nullptr) {
                std::vector<Box> piece{e->box};
                if (exists) {
                    store->AddFalseBoxes(std::move(piece));
                } else {
                    store->AddTrueBoxes(std::move(piece));
                }
            }
            e->box.MakeEmpty();
        }
        if (first) {
            result = m;
            first = false;
        } else {
            result = exists ? ContinuityInfo::Or(result, m) : ContinuityInfo::And(result, m);
        }
    }
    state->RemoveEmptyElements();
    if (exists && !result.HoldsSurely() && RootBetweenPieces(*state)) {
        result.trueSets.Append(0);
    }
    return result;
}

bool BRIX_QuantifiedClass::RootBetweenPieces(const BRIX_USASQuantified& state) const {
    // An equation p = 0: the pieces' bound marks tell, for a bound variable
    // v, that p >= 0 (p <= 0) at an end of v's interval for every value of
    // the piece's other variables, that is on a face of the piece, and for
    // every point of the free box (they were set on larger ones). Between a
    // point where p >= 0 and one where p <= 0, in the same piece or not, the
    // segment joining them (inside the quantifier's box, which is convex)
    // holds a root of p.
    const int n = numberOfVariables;
    const auto* atomic = dynamic_cast<const BRIX_Atomic*>(sub);
    if (n + BoundCount() > 32 || atomic == nullptr || atomic->relation != BRIX_Equal) {
        return false;
    }
    const std::uint32_t bound = ((std::uint32_t{1} << BoundCount()) - 1) << n;
    bool nonNegative = false;
    bool nonPositive = false;
    for (const BRIX_StackEl* e = state.stack; e != nullptr; e = e->next) {
        if (e->box.IsEmpty() || e->State()->Kind() != BRIX_USASKindAtomic ||
            !e->claims.Covers(state.lastFree, n)) {
            continue;
        }
        bool inside = true;
        for (int j = 0; j < BoundCount(); ++j) {
            inside = inside && InsideDomain(j, e->box[n + j].lo, e->box[n + j].hi);
        }
        if (!inside) {
            continue;
        }
        const auto& marks = static_cast<const BRIX_USASAtomic&>(*e->State());
        nonNegative = nonNegative || ((marks.lowerMarks[1] | marks.upperMarks[1]) & bound) != 0;
        nonPositive = nonPositive || ((marks.lowerMarks[0] | marks.upperMarks[0]) & bound) != 0;
    }
    return nonNegative && nonPositive;
}
