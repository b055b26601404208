// The constant constraint: true or false everywhere.
#ifndef BRIX_CONSTRAINT_BRIX_CONSTANT_H
#define BRIX_CONSTRAINT_BRIX_CONSTANT_H

#include "Constraint/BRIX_Constraint.h"
#include "Constraint/BRIX_TruthValue.h"

class BRIX_Constant : public BRIX_Constraint {
public:
    BRIX_Constant(TruthValue value, int numberOfVariables)
        : BRIX_Constraint(numberOfVariables), value(value) {}
    ~BRIX_Constant() override = default;

    using BRIX_Constraint::Print;
    // New: same value and count.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: returns this (no quantifier below).
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    bool IsConsistent() const override { return true; }
    int Kind() const override { return BRIX_KindConstant; }
    int Degree(int) const override { return 0; }
    // Consumes *this: returns this.
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    void RemoveVariable(int var) override;
    // "Constant: " and the value as its list, then a line break; names unused.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // Up empties the box when the value is certainly false, down when it is
    // certainly true; complete becomes whether the value is known. Returns
    // whether the box is empty afterwards. usas and context are unused.
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // Whether the value is certainly true.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    void Negate() override { value = Not(value); }
    // Both lists empty.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    TruthValue value;
};

#endif
