#include "Driver/BRIX_BuildProblem.h"

#include "Constraint/BRIX_Builder.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Constraint/BRIX_Simplify.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"

#include <memory>
#include <numeric>

void buildProblem(Ex_Expr F, std::vector<std::string> V, const Box& B, bool single, double eps,
                  bool& valid, BRIX_Problem& problem, const Box* inside) {
    valid = false;
    const int n = static_cast<int>(V.size());
    if (!BRIX_ValidVariableNames(V) || B.Dimension() != n) {
        return;
    }
    std::vector<int> indices(V.size());
    std::iota(indices.begin(), indices.end(), 0);
    std::unique_ptr<BRIX_Constraint> constraint(BuildConstraint(F, V, true, indices));
    if (constraint == nullptr) {
        return;
    }
    problem.variables = V;
    problem.box = B;
    problem.errorBound = eps;
    if (BRIX_GetFlag(BRIX_Flag::SimplifyConstraint)) {
        constraint.reset(Simplify(constraint.release()));
    }
    if (BRIX_GetFlag(BRIX_Flag::PrintSimplified)) {
        constraint->Print(Ex_StdOut(), &problem.variables);
    }
    problem.hasFreeVariables = n >= 1;
    if (problem.hasFreeVariables) {
        BRIX_Quantified* top = nullptr;
        if (single) {
            top = new BRIX_QuantifiedClass(B, indices, constraint.release(), false, 0);
        } else {
            top = new BRIX_QuantifiedUnknown(B, indices, constraint.release(), eps, 0);
        }
        if (inside != nullptr) {
            top->SetDomain(*inside);
        }
        constraint.reset(top);
        constraint->SetTraceFlag(false);
    }
    if (BRIX_GetFlag(BRIX_Flag::TraceTopLevel) &&
        !BRIX_GetFlag(BRIX_Flag::TraceFunctionInversion)) {
        constraint->SetTraceFlag(true);
    }
    delete problem.constraint;
    problem.constraint = constraint.release();
    problem.refined = false;
    valid = true;
}
