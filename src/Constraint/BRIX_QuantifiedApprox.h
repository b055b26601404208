// The approximate quantifiers FORALLX and EXISTSX. The two bounds are kept
// and printed; the search narrows them as the classical quantifier of the
// same kind and does not read the bounds.
#ifndef BRIX_CONSTRAINT_BRIX_QUANTIFIEDAPPROX_H
#define BRIX_CONSTRAINT_BRIX_QUANTIFIEDAPPROX_H

#include "Constraint/BRIX_Quantified.h"

class BRIX_QuantifiedApprox : public BRIX_Quantified {
public:
    // Consumes sub; box and variables are copied.
    BRIX_QuantifiedApprox(const Box& box, const std::vector<int>& variables, BRIX_Constraint* sub,
                          bool isForall, double lower, double upper, int numberOfVariables)
        : BRIX_Quantified(box, variables, sub, numberOfVariables),
          isForall(isForall),
          lower(lower),
          upper(upper) {}
    ~BRIX_QuantifiedApprox() override = default;

    using BRIX_Constraint::Print;
    // New: same quantifier and bounds over a copy of sub.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: sub is replaced by its ApproxQuantifiers(eps); returns this.
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    // "FORALLX" or "EXISTSX", "[ " lower ", " upper "]", then the quantifier form.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // As the classical quantifier of the same kind.
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // False.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    // Exchanges FORALLX and EXISTSX and negates sub.
    void Negate() override;
    // Empty lists.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    bool IsClassical() const override { return false; }
    int Polarity() const override { return isForall ? -1 : 1; }
    bool IsUnknown() const override { return false; }

    bool isForall;
    double lower;
    double upper;
};

#endif
