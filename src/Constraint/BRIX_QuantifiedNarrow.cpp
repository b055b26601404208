// The narrowing of the classical (and approximate) quantifiers over the
// elements of their stack.
//
// With up true the quantifier removes points of the free box where it is
// certainly false, with up false points where it is certainly true. FORALL up
// and EXISTS down are the sequential case: one bound piece decides the
// quantifier, so the box is narrowed through every element in turn. FORALL
// down and EXISTS up are the hull case: a point may only go when every piece
// lets it go, so the box becomes the hull of copies narrowed by each element.
#include "Constraint/BRIX_Quantified.h"

#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct NarrowPass {
    const BRIX_Quantified* node;  // its domain: where the bound variables range
    BRIX_Constraint* sub;
    BRIX_USASQuantified* state;
    BRIX_USASQuantifiedStore* store;  // null unless the state is the top store
    int n;                            // free variables of the quantifier
    bool up;
    bool sequential;
    bool pointWitnesses;  // a single point may decide (not an approximate quantifier)
    bool saveFree;  // hull case with flag SaveDisjunctiveQuantifiers
    const ResultPainter* context;
    bool* complete;

    // The element step on the working box w (n components on entry; on
    // return n components or empty). Returns whether something changed.
    bool Step(BRIX_StackEl& e, Box& w) const {
        if (e.box.IsEmpty()) {
            // A piece without points (a split of an empty component): it says
            // nothing about any point and is removed at the end.
            if (!sequential) {
                w.MakeEmpty();
            }
            return false;
        }
        const int d = e.box.Dimension();
        if (!MeetsDomain(e)) {
            // Only bound values outside the reals typed for the quantifier's
            // box (a piece [0.1, 0.1] rounded down): no witness, and no part
            // of what the quantifier ranges over.
            e.box.MakeEmpty();
            if (!sequential) {
                w.MakeEmpty();
            }
            return true;
        }
        bool changed = false;
        w.Resize(d);
        if (saveFree) {
            // Outside e's free part the element's piece was shown not to
            // matter by an earlier narrowing of a larger box.
            for (int i = 0; i < n && !w.IsEmpty(); ++i) {
                Iv_Itvl<double> c = Intersect(w[i], e.box[i]);
                if (c.IsEmpty()) {
                    w.MakeEmpty();
                } else {
                    w.Set(i, c);
                }
            }
        }
        if (!w.IsEmpty()) {
            for (int i = n; i < d; ++i) {
                w.Set(i, e.box[i]);
            }
            changed = sub->Narrow(e.State(), w, up, *context, *complete);
            if (!w.IsEmpty()) {
                e.claims.Narrowed(w, n);
            }
            if (sequential && store == nullptr && !w.IsEmpty() && !BoundMoved(e, w) &&
                (FaceWitness(e, w) || PointWitness(e, w))) {
                w.MakeEmpty();
            }
        }
        const Box old = e.box;
        bool boundMoved = false;
        bool witness = false;  // a removed bound value lies in the domain
        if (w.IsEmpty()) {
            if (sequential && store == nullptr) {
                // The sub decided the quantifier on the whole box from this
                // piece alone. The piece still matters for the other direction
                // (if the state is asked again, a hull pass must see it), so
                // only the free box goes.
                return true;
            }
            // Hull case: the sub is neutral for the quantifier on the whole
            // piece over this box, so the piece no longer matters. A store
            // records the piece below, as decided, in either case.
            e.box.MakeEmpty();
            changed = true;
        } else {
            if (saveFree) {
                for (int i = 0; i < n; ++i) {
                    e.box.Set(i, w[i]);
                }
            }
            for (int i = n; i < d; ++i) {
                if (e.box[i] != w[i]) {
                    boundMoved = true;
                    witness = witness || RemovedMeetsDomain(i - n, e.box[i], w[i]);
                    // In the sequential case the removed values are the
                    // deciding witnesses: the element keeps them (except in a
                    // store, which records the removed pieces as decided).
                    if (!sequential || store != nullptr) {
                        e.box.Set(i, w[i]);
                    }
                }
            }
            w.Resize(n);
        }
        if (boundMoved) {
            changed = true;
            if (sequential && witness) {
                // Values of a bound variable were removed for every point of
                // the free box: FORALL is false there (up), EXISTS true (down).
                w.MakeEmpty();
            }
        }
        if (store != nullptr && e.box != old) {
            std::vector<Box> pieces = BoxDifference(old, e.box);
            if (up) {
                store->AddFalseBoxes(std::move(pieces));
            } else {
                store->AddTrueBoxes(std::move(pieces));
            }
        }
        return changed;
    }

    // Whether every bound interval of e holds a point of the domain.
    bool MeetsDomain(const BRIX_StackEl& e) const {
        for (int j = 0; j < node->BoundCount(); ++j) {
            if (!node->MeetsDomain(j, e.box[n + j].lo, e.box[n + j].hi)) {
                return false;
            }
        }
        return true;
    }

    // Whether the values narrowing removed from bound interval j (was, now
    // is kept) hold a point of the domain: [was.lo, now.lo) or (now.hi,
    // was.hi]. Without a domain of its own the removed values are in it.
    bool RemovedMeetsDomain(int j, const Iv_Itvl<double>& was, const Iv_Itvl<double>& now) const {
        if (now.IsEmpty()) {
            return node->MeetsDomain(j, was.lo, was.hi);
        }
        const Iv_Itvl<double> in = node->Inside(j);
        return (was.lo < now.lo && was.lo <= in.hi && now.lo > in.lo) ||
               (now.hi < was.hi && was.hi >= in.lo && now.hi < in.hi);
    }

    // Whether w's bound intervals differ from e's.
    bool BoundMoved(const BRIX_StackEl& e, const Box& w) const {
        for (int i = n; i < e.box.Dimension(); ++i) {
            if (e.box[i] != w[i]) {
                return true;
            }
        }
        return false;
    }

    // Whether the sub is decided for the quantifier on all of slab (a box
    // with some bound intervals fixed at a point): narrowing empties it. A
    // fresh state, so that a trial leaves the element's marks alone.
    bool DecidedOn(Box slab) const {
        BRIX_USAS* trial = CreateUsas(sub, false);
        if (trial == nullptr) {
            return false;
        }
        sub->Narrow(trial, slab, up, *context, *complete);
        trial->Destroy();
        return slab.IsEmpty();
    }

    // Whether the quantifier is decided on the free part of w (false under
    // FORALL up, true under EXISTS down) by a witness on a face of the
    // quantifier's box: narrowing never removes a slab at the edge of a closed
    // box, so a sub whose truth touches the box's bound there (x > y at
    // y = 2 in EXISTS x in [0, 2] FORALL y in [0, 2], y + z < 2 at the corner
    // y = z = 1) is tried on the faces e meets, one bound variable fixed at a
    // time, and with two or three bound variables at the corners where e
    // meets a face of each. Each element tries once per box w (and once
    // more when it becomes exhausted).
    bool FaceWitness(BRIX_StackEl& e, const Box& w) const {
        if (e.endsTried == w) {
            return false;
        }
        e.endsTried = w;
        const int k = node->BoundCount();
        std::vector<std::vector<double>> ends(static_cast<std::size_t>(k));
        bool corners = k >= 2 && k <= 3;
        for (int j = 0; j < k; ++j) {
            const Iv_Itvl<double>& c = w[n + j];
            std::vector<double>& at = ends[static_cast<std::size_t>(j)];
            // A face of the box is tried at its innermost double: the bound
            // itself when it is the real typed. An exhausted element cannot
            // be split at an inner witness: its own ends are tried too.
            const Iv_Itvl<double> in = node->Inside(j);
            if (c.lo == node->BoundBox()[j].lo || e.exhausted) {
                at.push_back(Max(c.lo, in.lo));
            }
            if (c.hi == node->BoundBox()[j].hi || e.exhausted) {
                at.push_back(Min(c.hi, in.hi));
            }
            at.erase(std::remove_if(at.begin(), at.end(),
                                    [&](double x) {
                                        return !(c.lo <= x && x <= c.hi) ||
                                               !node->InsideDomain(j, x, x);
                                    }),
                     at.end());
            if (at.size() == 2 && at[0] == at[1]) {
                at.pop_back();
            }
            for (double x : at) {
                Box slab = w;
                slab.Set(n + j, Iv_Itvl<double>(x));
                if (DecidedOn(slab)) {
                    return true;
                }
            }
            corners = corners && !at.empty();
        }
        if (!corners) {
            return false;
        }
        std::vector<std::size_t> pick(static_cast<std::size_t>(k), 0);
        for (;;) {
            Box corner = w;
            for (int j = 0; j < k; ++j) {
                corner.Set(n + j, Iv_Itvl<double>(ends[j][pick[j]]));
            }
            if (DecidedOn(corner)) {
                return true;
            }
            int j = 0;
            while (j < k && ++pick[j] == ends[j].size()) {
                pick[j] = 0;
                ++j;
            }
            if (j == k) {
                return false;
            }
        }
    }

    // Whether one point of the bound variables decides the quantifier on all
    // of the free part of w (EXISTS true, FORALL false there), found by a
    // depth-first dive through w's bound part: each piece is contracted by the
    // opposite narrowing (bound values at which the sub is decided the wrong
    // way for every free point go), its midpoint is tried, and it is bisected
    // along its widest bound interval. A piece whose contraction cuts into the
    // free part cannot hold a point that serves all of it and is dropped.
    // Each element tries once per box w. Without free variables it dives, at
    // most witnessBudget narrowings, spaced out by failures (a sentence
    // without a thin witness region, or one whose witnesses are roots of an
    // equation, would pay for every dive). With free variables only the midpoint
    // of w's bound part is tried, paid from a credit per quantifier: each
    // try costs one, each success earns witnessReward, and without credit
    // only every witnessIdle-th chance is taken. Free boxes that straddle the
    // boundary of the quantifier's truth have no point that serves them all:
    // where witnesses are rare the search soon costs little, where they
    // decide free boxes (an ellipse that leaves the disc) it goes on.
    bool PointWitness(BRIX_StackEl& e, const Box& w) const {
        constexpr int witnessBudget = 24;
        constexpr int witnessReward = 4;
        constexpr int witnessCreditCap = 64;
        constexpr int witnessIdle = 4;
        if (!pointWitnesses || e.pointTried == w) {
            return false;
        }
        if (n == 0) {
            // A success decides the quantifier; failures space the dives
            // out: after k failed dives only every 2^(k / 4)-th chance is
            // taken (every 64th at most). A chance passed over is no try:
            // the element dives at a later chance.
            constexpr int missesPerDoubling = 4;
            constexpr int maxGap = 64;
            const int gap =
                std::min(1 << std::min(state->witnessMisses / missesPerDoubling, 20), maxGap);
            if (++state->witnessIdle < gap) {
                return false;
            }
            state->witnessIdle = 0;
            e.pointTried = w;
            if (Dive(w, witnessBudget)) {
                return true;
            }
            state->witnessMisses = std::min(state->witnessMisses + 1, 1000);
            return false;
        }
        e.pointTried = w;
        if (state->witnessCredit > 0) {
            state->witnessCredit -= 1;
        } else if (++state->witnessIdle < witnessIdle) {
            return false;
        } else {
            state->witnessIdle = 0;
        }
        Box point = w;
        const bool found = MidpointInDomain(point) && DecidedOn(point);
        if (found) {
            state->witnessCredit = std::min(state->witnessCredit + witnessReward, witnessCreditCap);
        }
        return found;
    }

    // The depth-first dive of PointWitness, at most budget narrowings.
    bool Dive(const Box& w, int budget) const {
        int spent = 0;
        std::vector<Box> pieces{w};
        while (!pieces.empty() && spent < budget && !timeoutPassed()) {
            Box b = std::move(pieces.back());
            pieces.pop_back();
            spent += 1;
            if (!Contract(b, w)) {
                continue;
            }
            Box point = b;
            if (MidpointInDomain(point)) {
                spent += 1;
                if (DecidedOn(point)) {
                    return true;
                }
            }
            int widest = -1;
            double most = 0;
            for (int i = n; i < b.Dimension(); ++i) {
                const double width = Width(b[i]);
                if (width > most) {
                    most = width;
                    widest = i;
                }
            }
            if (widest < 0) {
                continue;  // a point already tried
            }
            const double mid = Mid(b[widest]);
            if (!(b[widest].lo < mid && mid < b[widest].hi)) {
                continue;  // adjacent doubles: nothing between them to try
            }
            Box lower = b;
            Box upper = std::move(b);
            lower.Set(widest, Iv_Itvl<double>(lower[widest].lo, mid));
            upper.Set(widest, Iv_Itvl<double>(mid, upper[widest].hi));
            pieces.push_back(std::move(upper));
            pieces.push_back(std::move(lower));
        }
        return false;
    }

    // Narrows b in the opposite direction with a fresh state; false when b
    // becomes empty or loses part of w's free intervals.
    bool Contract(Box& b, const Box& w) const {
        BRIX_USAS* trial = CreateUsas(sub, false);
        if (trial == nullptr) {
            return !b.IsEmpty();
        }
        sub->Narrow(trial, b, !up, *context, *complete);
        trial->Destroy();
        if (b.IsEmpty()) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            if (b[i] != w[i]) {
                return false;
            }
        }
        return true;
    }

    // Sets b's bound intervals to their midpoints (doubles inside the
    // quantifier's domain); false when some interval holds none.
    bool MidpointInDomain(Box& b) const {
        for (int j = 0; j < node->BoundCount(); ++j) {
            const Iv_Itvl<double> c = Intersect(b[n + j], node->Inside(j));
            if (c.IsEmpty()) {
                return false;
            }
            const double x = Min(Max(Mid(c), c.lo), c.hi);
            if (!node->InsideDomain(j, x, x)) {
                return false;
            }
            b.Set(n + j, Iv_Itvl<double>(x));
        }
        return true;
    }

    // Tells every element but skip, both directions, which bounds of the free
    // variables moved from before to after (after empty: all of them).
    void ClearOthers(const BRIX_StackEl* skip, const Box& before, const Box& after) const {
        for (int j = 0; j < n; ++j) {
            bool lower = after.IsEmpty() || after[j].lo != before[j].lo;
            bool upper = after.IsEmpty() || after[j].hi != before[j].hi;
            if (!lower && !upper) {
                continue;
            }
            for (BRIX_StackEl* e2 = state->stack; e2 != nullptr; e2 = e2->next) {
                if (e2 != skip) {
                    e2->State()->ClearMarks(true, j, lower, upper);
                    e2->State()->ClearMarks(false, j, lower, upper);
                }
            }
        }
    }

    // The elements are visited in turn until a full round leaves the box as
    // it was: a narrower box may let the others narrow it further. A change
    // inside an element alone (its stack, a sub state) does not concern the
    // others. Each element is visited at most maxVisitsPerElement times, and
    // the pass stops at the time-out: stopping early only removes fewer
    // points.
    bool Sequential(Box& box) const {
        constexpr long maxVisitsPerElement = 1000;
        bool changed = false;
        BRIX_StackEl* e = state->stack;
        BRIX_StackEl* marker = e;
        long budget = maxVisitsPerElement * state->StackSize();
        while (e != nullptr && budget-- > 0 && !timeoutPassed()) {
            const Box before = box;
            Box w = box;
            changed = Step(*e, w) || changed;
            box = w;
            if (box != before) {
                changed = true;
                marker = e;
                if (!box.IsEmpty()) {
                    ClearOthers(e, before, box);
                }
            }
            if (box.IsEmpty()) {
                break;
            }
            e = e->next != nullptr ? e->next : state->stack;
            if (e == marker) {
                break;  // a full round without change
            }
        }
        return changed;
    }

    // At the time-out the pass stops and the box stays as it was (the hull
    // of some elements would be too small); what each element step changed
    // in its own element stands.
    bool Hull(Box& box) const {
        const bool shortcut = BRIX_GetFlag(BRIX_Flag::ShortcutQuantifiers);
        bool changed = false;
        Box acc;
        std::vector<std::pair<BRIX_StackEl*, Box>> narrowed;  // elements and their results
        for (BRIX_StackEl* e = state->stack; e != nullptr; e = e->next) {
            if (shortcut && acc == box) {
                break;
            }
            if (timeoutPassed()) {
                return changed;
            }
            Box w = box;
            changed = Step(*e, w) || changed;
            if (w.IsEmpty()) {
                continue;
            }
            acc = HullBoxes(acc, w);
            narrowed.emplace_back(e, std::move(w));
        }
        // Each element sees the hull next time: where it reaches beyond the
        // free part the element narrowed to (others kept more), its marks say
        // nothing, and it must narrow there again. (An element that emptied
        // its copy has no points left and goes.)
        for (std::size_t i = 0; i < narrowed.size() && !acc.IsEmpty(); ++i) {
            const Box& w = narrowed[i].second;
            for (int v = 0; v < n && v < w.Dimension(); ++v) {
                const bool lower = w[v].lo != acc[v].lo;
                const bool upper = w[v].hi != acc[v].hi;
                if (lower || upper) {
                    narrowed[i].first->State()->ClearMarks(true, v, lower, upper);
                    narrowed[i].first->State()->ClearMarks(false, v, lower, upper);
                }
            }
        }
        if (acc != box) {
            // An empty hull: every piece was shown not to matter.
            changed = true;
            box = acc;
        }
        return changed;
    }
};

}  // namespace

bool BRIX_Quantified::NarrowClassical(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                                      bool& complete, bool pointWitnesses) {
    if (usas == nullptr || usas->Kind() != BRIX_USASKindQuantified) {
        return false;  // no state: nothing is known, nothing is removed
    }
    auto* state = static_cast<BRIX_USASQuantified*>(usas);
    // The marks speak of the free box last narrowed: a larger one (the hull
    // of an enclosing pass) must be narrowed again.
    if (BRIX_GetFlag(BRIX_Flag::CheckMarksBeforeRecursion) && state->AllMarked(up) &&
        IsSubBox(box, state->lastFree)) {
        return false;
    }
    const int p = Polarity();
    if (p == 0 || box.IsEmpty()) {
        // An empty box holds no point to decide: no element may be judged
        // on it.
        complete = true;
        return false;
    }
    state->freeWidth = 0;
    for (int i = 0; i < numberOfVariables && i < box.Dimension(); ++i) {
        state->freeWidth = Max(state->freeWidth, Width(box[i]));
    }
    NarrowPass pass;
    pass.sub = sub;
    pass.node = this;
    pass.state = state;
    pass.store = state->IsStore() ? static_cast<BRIX_USASQuantifiedStore*>(state) : nullptr;
    pass.n = numberOfVariables;
    pass.up = up;
    pass.sequential = (p < 0) == up;
    pass.pointWitnesses = pointWitnesses;
    pass.saveFree = !pass.sequential && BRIX_GetFlag(BRIX_Flag::SaveDisjunctiveQuantifiers);
    pass.context = &context;
    pass.complete = &complete;
    bool changed = pass.sequential ? pass.Sequential(box) : pass.Hull(box);
    state->lastFree = box;
    state->RemoveEmptyElements();
    complete = true;
    return changed;
}
