// The n-ary conjunction or disjunction.
#ifndef BRIX_CONSTRAINT_BRIX_CONNECTIVE_H
#define BRIX_CONSTRAINT_BRIX_CONNECTIVE_H

#include "Constraint/BRIX_Constraint.h"

#include <vector>

class BRIX_Connective : public BRIX_Constraint {
public:
    // Consumes every sub-constraint of subs; all have numberOfVariables variables.
    BRIX_Connective(bool isConjunction, const std::vector<BRIX_Constraint*>& subs,
                    int numberOfVariables);
    // Deletes every sub-constraint.
    ~BRIX_Connective() override;

    using BRIX_Constraint::Print;
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    bool IsConsistent() const override;
    int Kind() const override { return BRIX_KindConnective; }
    int Degree(int var) const override;
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    void RemoveVariable(int var) override;
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    void Negate() override;
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    int SubCount() const { return static_cast<int>(subs.size()); }
    BRIX_Constraint* Sub(int i) const { return subs[static_cast<std::size_t>(i)]; }  // owned here

    bool isConjunction;
    std::vector<BRIX_Constraint*> subs;  // owned
};

#endif
