// Quantified constraints: k bound variables, each ranging over an interval of
// the quantifier's box, in a sub-constraint with n + k free variables (the
// quantifier's own n free ones first).
#ifndef BRIX_CONSTRAINT_BRIX_QUANTIFIED_H
#define BRIX_CONSTRAINT_BRIX_QUANTIFIED_H

#include "Constraint/BRIX_Constraint.h"

#include <vector>

class BRIX_Quantified : public BRIX_Constraint {
public:
    // Deletes the sub-constraint.
    ~BRIX_Quantified() override;

    int Kind() const override { return BRIX_KindQuantified; }
    virtual bool IsClassical() const = 0;
    // -1 FORALL, +1 EXISTS, 0 for the top quantifier over the free variables.
    virtual int Polarity() const = 0;
    virtual bool IsUnknown() const = 0;

    int BoundCount() const { return static_cast<int>(variables.size()); }
    const Box& BoundBox() const { return box; }
    BRIX_Constraint* Sub() const { return sub; }  // still owned by the quantifier

    std::vector<int> variables;  // the bound variables, in the body's numbering
    Box box;                     // one interval per bound variable
    BRIX_Constraint* sub;        // owned

protected:
    // Consumes sub; box and variables are copied.
    BRIX_Quantified(const Box& box, const std::vector<int>& variables, BRIX_Constraint* sub,
                    int numberOfVariables)
        : BRIX_Constraint(numberOfVariables), variables(variables), box(box), sub(sub) {}
};

#endif
