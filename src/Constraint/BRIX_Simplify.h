// Whole-tree simplification, linear elimination of bound variables, and what
// the search needs to know of a whole tree.
#ifndef BRIX_CONSTRAINT_BRIX_SIMPLIFY_H
#define BRIX_CONSTRAINT_BRIX_SIMPLIFY_H

#include "Constraint/BRIX_Constraint.h"

class BRIX_Quantified;

// Consumes node: simplifies every node bottom-up (children first, then the
// node's own SimplifyNode) and returns the node to use instead.
[[nodiscard]] BRIX_Constraint* Simplify(BRIX_Constraint* node);  // consumes node

// Consumes q: q is a classical quantifier whose sub-constraint is atomic and
// linear in bound variable var (numbered as in the sub-constraint:
// n <= var < n + k). Returns a new disjunction (EXISTS) or conjunction
// (FORALL) of two quantifiers over the sub-constraint with var replaced by
// the lower and by the upper end of its interval. Returns q unchanged when
// the elimination does not apply (not classical, sub not atomic, degree in
// var not 1, EXISTS with "=", FORALL with "!=", or an unbounded interval).
[[nodiscard]] BRIX_Constraint* EliminateLinearVariable(BRIX_Quantified* q, int var);  // consumes q

// Whether the tree (borrowed) holds an equation or a disequation (= or !=
// atoms): only these give continuity information beyond what narrowing
// decides, a root between points of opposite sign.
bool HasEquation(const BRIX_Constraint* node);

#endif
