// The top quantifier over the free variables of the input (printed
// QUNKNOWN). Its state is the store: narrowing moves the pieces of its
// elements that the sub-constraint decides into the store's true and false
// lists, and the refinement is finished (the zero-dimensional box argument is
// emptied) once the open volume is at most errorBound times the volume of the
// input box.
#ifndef BRIX_CONSTRAINT_BRIX_QUANTIFIEDUNKNOWN_H
#define BRIX_CONSTRAINT_BRIX_QUANTIFIEDUNKNOWN_H

#include "Constraint/BRIX_Quantified.h"

class BRIX_StackEl;
class BRIX_USASQuantifiedStore;

class BRIX_QuantifiedUnknown : public BRIX_Quantified {
public:
    // Consumes sub; box and variables are copied.
    BRIX_QuantifiedUnknown(const Box& box, const std::vector<int>& variables, BRIX_Constraint* sub,
                           double errorBound, int numberOfVariables)
        : BRIX_Quantified(box, variables, sub, numberOfVariables), errorBound(errorBound) {}
    ~BRIX_QuantifiedUnknown() override = default;

    using BRIX_Constraint::Print;
    // New: same error bound over a copy of sub.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: sub is replaced by its ApproxQuantifiers(eps); returns this.
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    // "QUNKNOWN:" and the error bound, then the quantifier form.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // usas is the store (borrowed; nothing is done for any other state). Up:
    // nothing. Down: every element is narrowed through sub, down and up in
    // turn (flag StartWithUpNarrowing picks the first), until both directions
    // are stable (with flag SingleUpDownNarrowing: at most two steps per
    // element); the pieces each step removes go to the true (down) or false
    // (up) list. Then box is emptied when ErrorBoundHolds. Sets complete to
    // true; returns whether anything changed.
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // usas is the store (borrowed). Every open element is replaced by a grid
    // of samples cells per bound variable (at least one; one for an unbounded
    // interval), each with a fresh state, and every cell is narrowed once up
    // and once down: decided pieces go to the true and false lists, the rest
    // stays open. Only proved pieces are recorded. Returns true.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    // Nothing: the top quantifier is not negated.
    void Negate() override {}
    // With flag UseContinuity, every element's continuity becomes sub's marks
    // on it; an element on which sub surely holds (fails) moves to the true
    // (false) list. Then ContinuityInfo(1) when ErrorBoundHolds, else
    // ContinuityInfo(0).
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    bool IsClassical() const override { return false; }
    int Polarity() const override { return 0; }
    bool IsUnknown() const override { return true; }

    // Whether the open volume of state's stack is at most errorBound times the
    // volume of box. Both are computed in interval arithmetic (the open
    // volume rounded up, the input volume down); which elements count as open
    // is chosen by parameter CountWitnessBoxes (truncated): 0 all, 1 those
    // whose continuity has no single-variable set, 2 those whose continuity
    // is empty, others none. An infinite open volume never passes; no open
    // volume at all always does.
    bool ErrorBoundHolds(const BRIX_USASQuantified& state) const;

    double errorBound;

private:
    // Narrows element e through sub, starting in direction startUp, until
    // both directions are stable or maxSteps steps (when maxSteps > 0) are
    // made; removed pieces go to the store. Returns whether anything changed.
    bool NarrowElement(BRIX_USASQuantifiedStore& store, BRIX_StackEl& e, bool startUp, int maxSteps,
                       const ResultPainter& context, bool& complete);
};

// The volume of box enclosed: the product of the widths rounded down and up.
// A zero width gives 0 even beside an infinite one. Rounding: leaves up.
Iv_Itvl<double> VolumeOf(const Box& box);

#endif
