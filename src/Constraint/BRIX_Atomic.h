// Atomic constraints p REL 0: the leaves of the constraint tree. This is the
// abstract class with the relation and the right-hand side kept from the
// input; the polynomial class derives from it.
#ifndef BRIX_CONSTRAINT_BRIX_ATOMIC_H
#define BRIX_CONSTRAINT_BRIX_ATOMIC_H

#include "Constraint/BRIX_Constraint.h"
#include "Constraint/BRIX_TruthValue.h"
#include "Interval/Iv_Itvl.h"

// Relation codes.
enum {
    BRIX_Less = 0,          // p < 0
    BRIX_LessEqual = 1,     // p <= 0
    BRIX_Greater = 2,       // p > 0
    BRIX_GreaterEqual = 3,  // p >= 0
    BRIX_Equal = 4,         // p = 0
    BRIX_NotEqual = 5,      // p != 0
};

// The printed form of a relation code, as " <= "; " ERROR! " for a code
// outside 0 .. 5.
const char* RelationText(int relation);
// The code of the negated relation (< and >=, <= and >, = and != trade
// places). A code outside 0 .. 5 is returned unchanged.
int NegatedRelation(int relation);

class BRIX_Atomic : public BRIX_Constraint {
public:
    ~BRIX_Atomic() override = default;

    // Consumes *this: returns this (no quantifier below).
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    int Kind() const override { return BRIX_KindAtomic; }

    // Whether free variable var occurs in the constraint.
    virtual bool HasVariable(int var) const = 0;
    // The constraint with the point value substituted for free variable var,
    // which stays in the numbering. When no variable is left, result is null
    // and constant receives the truth of the constant relation; otherwise
    // result is new (the caller owns it) and constant is unchanged.
    virtual void Substitute(int var, double value, BRIX_Constraint*& result,
                            TruthValue& constant) = 0;

    int relation;         // relation code 0 .. 5
    Iv_Itvl<double> rhs;  // right-hand side as written; printed, not used in decisions

protected:
    BRIX_Atomic(int relation, const Iv_Itvl<double>& rhs, int numberOfVariables)
        : BRIX_Constraint(numberOfVariables), relation(relation), rhs(rhs) {}
};

#endif
