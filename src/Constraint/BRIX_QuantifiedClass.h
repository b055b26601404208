// The classical quantifiers FORALL and EXISTS.
#ifndef BRIX_CONSTRAINT_BRIX_QUANTIFIEDCLASS_H
#define BRIX_CONSTRAINT_BRIX_QUANTIFIEDCLASS_H

#include "Constraint/BRIX_Quantified.h"

class BRIX_USASQuantified;

class BRIX_QuantifiedClass : public BRIX_Quantified {
public:
    // Consumes sub; box and variables are copied.
    BRIX_QuantifiedClass(const Box& box, const std::vector<int>& variables, BRIX_Constraint* sub,
                         bool isForall, int numberOfVariables)
        : BRIX_Quantified(box, variables, sub, numberOfVariables), isForall(isForall) {}
    ~BRIX_QuantifiedClass() override = default;

    using BRIX_Constraint::Print;
    // New: same quantifier over a copy of sub.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: a new approximate quantifier with the same box,
    // variables and kind over sub's ApproxQuantifiers(eps), bounds 0 and
    // eps * volume(box); this node is deleted.
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    // "FORALL" or "EXISTS", then the quantifier form.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // Grid sampling: every bound interval is cut into samples cells (at least
    // one) and sub's Sample (null state) is asked at the cells' midpoints, the
    // first bound variable running fastest. EXISTS: true at the first true
    // answer; FORALL: false at the first false one. False for an empty box.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    // Exchanges FORALL and EXISTS and negates sub.
    void Negate() override;
    // With flag UseContinuity: the marks of sub on every element with the
    // bound variables quantified away, joined with Or (EXISTS) or And
    // (FORALL). An element that no longer matters (EXISTS: sub fails on all
    // of it; FORALL: holds) leaves the stack; a store records its box first.
    // EXISTS of an equation also holds when the pieces show p >= 0 and
    // p <= 0 for the whole free box (RootBetweenPieces).
    // Empty lists when the flag is off.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    bool IsClassical() const override { return true; }
    int Polarity() const override { return isForall ? -1 : 1; }
    bool IsUnknown() const override { return false; }

    bool isForall;

private:
    // Sub is an equation p = 0, and the bound marks of the pieces of state
    // (borrowed) show a point of the bound box where p >= 0 and one where
    // p <= 0, each for every point of the free box: a root lies on the
    // segment between them, so the EXISTS holds there.
    bool RootBetweenPieces(const BRIX_USASQuantified& state) const;
};

#endif
