// The negation of a constraint. It has no approximation state of its own: the
// search hands it the state of its sub-constraint, which it passes on.
#ifndef BRIX_CONSTRAINT_BRIX_NEGATION_H
#define BRIX_CONSTRAINT_BRIX_NEGATION_H

#include "Constraint/BRIX_Constraint.h"

class BRIX_Negation : public BRIX_Constraint {
public:
    // Consumes sub (null gives an inconsistent node); sub has the same free
    // variables as the negation.
    BRIX_Negation(int numberOfVariables, BRIX_Constraint* sub)
        : BRIX_Constraint(numberOfVariables), sub(sub) {}
    // Deletes sub.
    ~BRIX_Negation() override;

    using BRIX_Constraint::Print;
    // New: a negation of a copy of sub.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: a new negation over sub's ApproxQuantifiers(eps); this
    // node is deleted.
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    // sub is present, consistent and has the negation's count of variables.
    bool IsConsistent() const override;
    int Kind() const override { return BRIX_KindNegation; }
    int Degree(int var) const override { return sub->Degree(var); }
    // Consumes *this: removes the negation. sub is simplified, negated in place
    // and returned; this node is deleted.
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    void RemoveVariable(int var) override;
    // "not (", sub with the same names, ")".
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // sub's Narrow on the same state, box and complete in the other direction.
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // The opposite of sub's Sample with a null state.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    // Negates sub: the node then stands for sub's old meaning.
    void Negate() override { sub->Negate(); }
    // sub's marks with the two lists exchanged: the negation holds exactly
    // where sub fails.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    BRIX_Constraint* Sub() const { return sub; }  // still owned by the negation

    BRIX_Constraint* sub;  // owned
};

#endif
