// The atomic polynomial constraint p REL 0: the leaf where boxes are narrowed.
//
// p is a DistPoly over its own k variables 0 .. k-1. The node has
// numberOfVariables free variables; varMap[i] is the polynomial variable that
// free variable i is (-1 when i does not occur in p), and variables[i] is the
// number free variable i had in the enclosing scope when the node was built
// (it picks the name when printing). Narrowing visits the free variables in
// turn and shrinks each with the one-variable narrowing step until no
// interval shrinks by 10 % any more.
#ifndef BRIX_CONSTRAINT_BRIX_ATOMICPOLY_H
#define BRIX_CONSTRAINT_BRIX_ATOMICPOLY_H

#include "Constraint/BRIX_Atomic.h"
#include "Search/BRIX_DistPoly.h"

#include <vector>

class BRIX_USASAtomic;

class BRIX_AtomicPoly : public BRIX_Atomic {
public:
    // numberOfVariables is the length of variables (varMap has the same
    // length). The decompositions for narrowing are prepared at once when
    // parameter EvalToUnivMethod is not 0.
    BRIX_AtomicPoly(DistPoly poly, std::vector<int> variables, int relation,
                    std::vector<int> varMap, const Iv_Itvl<double>& rhs);
    ~BRIX_AtomicPoly() override = default;

    using BRIX_Constraint::Print;
    // New: same polynomial, variables, relation, map and right-hand side.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // varMap and variables have numberOfVariables entries, every entry of
    // varMap is -1 or a polynomial variable, and every polynomial variable
    // occurs in varMap.
    bool IsConsistent() const override;
    // The degree of p in free variable var (0 where it does not occur).
    int Degree(int var) const override;
    // Consumes *this: a constant polynomial with a finite right-hand side
    // folds into a new BRIX_Constant holding ConstantTest of the relation
    // (this node is deleted); otherwise returns this.
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    // Substitutes 0 for var where it occurs; var leaves the numbering.
    void RemoveVariable(int var) override;
    // "NumberOfVariables(f) = " k "\n", p "\n", the relation and rhs "\n".
    // Polynomial variables are named through variables and varMap when names
    // (borrowed) is given and has the entry, "x0", "x1"... otherwise.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // Cyclic fixpoint of one-variable narrowing steps over the free variables,
    // recording the done marks (and, for = up and != down, the bound marks) in
    // usas, which is the node's BRIX_USASAtomic (borrowed); then the relation
    // is tested on the whole remaining box. Sets complete to true; returns
    // false (an emptied box tells the caller).
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // Whether the range of p over box decides the relation as true.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    void Negate() override { relation = NegatedRelation(relation); }
    // With flag UseContinuity: trueSets holds {i} for every free variable i
    // whose bound marks are set in both directions, and the empty set when
    // the last whole-box test found the relation true on all of the box;
    // falseSets holds the empty set when it found it false there.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    bool HasVariable(int var) const override;
    // New node (or null with the constant's truth) with [value, value]
    // substituted for var; var stays in the numbering.
    void Substitute(int var, double value, BRIX_Constraint*& result, TruthValue& constant) override;

    const DistPoly& Poly() const { return poly; }
    const std::vector<int>& VarMap() const { return varMap; }
    const std::vector<int>& Variables() const { return variables; }

private:
    // Rebuilds the decompositions after a change of poly.
    void PrepareDerived();
    // Restricts box to p's variables into work (one component per
    // polynomial variable).
    void Restrict(const Box& box, Box& work) const;
    // The k = 0 case of Narrow.
    void NarrowConstant(Box& box, bool up) const;
    // One visit of free variable v: narrows it and applies the result (moved
    // is set when an interval was replaced). Returns whether the interval
    // shrank by at least 10 % (or emptied).
    bool NarrowOne(BRIX_USASAtomic& state, Box& box, int v, bool up, bool& exact, bool& moved);
    // Empties box when the range of p over it decides the relation: certainly
    // false (up) or certainly true (down). A failed test is remembered in
    // state until a bound of p's variables moves.
    void TestWholeBox(BRIX_USASAtomic& state, Box& box, bool up);

    DistPoly poly;
    std::vector<int> varMap;     // per free variable: polynomial variable or -1
    std::vector<int> variables;  // per free variable: number when built
    UnivData univData;           // decompositions for EvalToUniv
    Box work;                    // the box restricted to p's variables, reused
};

#endif
