// Building the problem of a run from the answers of the dialogue.
#ifndef BRIX_DRIVER_BRIX_BUILDPROBLEM_H
#define BRIX_DRIVER_BRIX_BUILDPROBLEM_H

#include "Driver/BRIX_Problem.h"
#include "Expr/Ex_Expr.h"
#include "Interval/Box.h"

#include <string>
#include <vector>

// Builds the constraint tree of F over the free variables V and fills
// problem: the tree (simplified under flag SimplifyConstraint and printed with
// the names of V under flag PrintSimplified), wrapped, when V has names, in a
// top quantifier over B (an EXISTS when single, otherwise the unknown
// quantifier carrying the error bound eps), the trace flag of the top node,
// a copy of V, and refined false. problem.constraint is owned by the problem
// afterwards. valid becomes false, and problem keeps no constraint, when F is
// not a valid constraint over V, when V repeats a name or has a name that is
// not a plain word, or when B does not have one interval per name. inside
// (borrowed; null when B is exactly the box meant) holds, when B is the
// outward rounding of reals typed, doubles inside them (SetDomain of the top
// quantifier).
void buildProblem(Ex_Expr F, std::vector<std::string> V, const Box& B, bool single, double eps,
                  bool& valid, BRIX_Problem& problem, const Box* inside = nullptr);

#endif
