#include "Constraint/BRIX_Simplify.h"

#include "Constraint/BRIX_Atomic.h"
#include "Constraint/BRIX_Connective.h"
#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Driver/BRIX_Registry.h"

#include <cstddef>
#include <vector>

namespace {

// Consumes q (classical, sub a connective of q's own kind: a conjunction
// under FORALL, a disjunction under EXISTS): the connective of the same kind
// over one copy of q per operand. FORALL distributes over a conjunction and
// EXISTS over a disjunction.
BRIX_Constraint* PushInside(BRIX_QuantifiedClass* q) {
    auto* connective = static_cast<BRIX_Connective*>(q->sub);
    std::vector<BRIX_Constraint*> parts;
    for (BRIX_Constraint*& s : connective->subs) {
        auto* part =
            new BRIX_QuantifiedClass(q->box, q->variables, s, q->isForall, q->NumberOfVariables());
        part->traceFlag = q->traceFlag;
        s = nullptr;  // now owned by part
        parts.push_back(part);
    }
    connective->subs.clear();
    auto* result = new BRIX_Connective(q->isForall, parts, q->NumberOfVariables());
    delete q;  // deletes the emptied connective with it
    return result;
}

// Whether EliminateLinearVariable applies to q and var.
bool Eliminable(const BRIX_Quantified& q, int var) {
    const int n = q.NumberOfVariables();
    if (!q.IsClassical() || var < n || var >= n + q.BoundCount() ||
        q.Sub()->Kind() != BRIX_KindAtomic || q.Sub()->Degree(var) != 1) {
        return false;
    }
    const int relation = static_cast<const BRIX_Atomic*>(q.Sub())->relation;
    // The end points do not decide "some v with p = 0" nor "every v with
    // p != 0" (a sign change has a root in between).
    if (q.Polarity() > 0 ? relation == BRIX_Equal : relation == BRIX_NotEqual) {
        return false;
    }
    // Infinite ends are no values of v.
    const Iv_Itvl<double>& range = q.BoundBox()[var - n];
    return !IsInfOrNaN(range.lo) && !IsInfOrNaN(range.hi);
}

// New: the instance of atomic at var = value, a constant when no variable is
// left.
BRIX_Constraint* Instance(BRIX_Atomic& atomic, int var, double value) {
    BRIX_Constraint* result = nullptr;
    TruthValue constant;
    atomic.Substitute(var, value, result, constant);
    if (result == nullptr) {
        result = new BRIX_Constant(constant, atomic.NumberOfVariables());
    }
    return result;
}

}  // namespace

BRIX_Constraint* EliminateLinearVariable(BRIX_Quantified* q, int var) {
    if (!Eliminable(*q, var)) {
        return q;
    }
    auto* quantifier = static_cast<BRIX_QuantifiedClass*>(q);
    const int n = quantifier->NumberOfVariables();
    const Iv_Itvl<double> range = quantifier->box[var - n];
    auto* atomic = static_cast<BRIX_Atomic*>(quantifier->sub);
    // p is linear in var for every value of the other variables, so p rel 0
    // holds for all var in [lo, hi] exactly when it holds at lo and at hi,
    // and for some var exactly when it holds at lo or at hi.
    BRIX_Constraint* atLo = Instance(*atomic, var, range.lo);
    BRIX_Constraint* atHi = Instance(*atomic, var, range.hi);
    delete atomic;
    quantifier->sub = atLo;
    auto* other = new BRIX_QuantifiedClass(quantifier->box, quantifier->variables, atHi,
                                           quantifier->isForall, n);
    other->traceFlag = quantifier->traceFlag;
    quantifier->RemoveVariable(var);
    std::vector<BRIX_Constraint*> parts{quantifier, other};
    return new BRIX_Connective(quantifier->isForall, parts, n);
}

BRIX_Constraint* Simplify(BRIX_Constraint* node) {
    node = node->SimplifyNode();
    if (node->Kind() == BRIX_KindQuantified && static_cast<BRIX_Quantified*>(node)->IsClassical()) {
        auto* q = static_cast<BRIX_QuantifiedClass*>(node);
        BRIX_Constraint* s = q->sub;
        if (BRIX_GetFlag(BRIX_Flag::PushQuantifiersInside) && s->Kind() == BRIX_KindConnective &&
            static_cast<BRIX_Connective*>(s)->isConjunction == q->isForall) {
            node = Simplify(PushInside(q));
        } else if (BRIX_GetFlag(BRIX_Flag::EliminateLinearVariables) &&
                   s->Kind() == BRIX_KindAtomic) {
            const int m = q->NumberOfVariables();
            const int k = q->BoundCount();
            for (int v = m; v < m + k && node->Kind() == BRIX_KindQuantified; ++v) {
                node = EliminateLinearVariable(static_cast<BRIX_Quantified*>(node), v);
            }
        }
    }
    return node->SimplifyNode();
}
