#include "Constraint/BRIX_Simplify.h"

#include "Constraint/BRIX_Atomic.h"
#include "Constraint/BRIX_Connective.h"
#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Negation.h"
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
        part->CopyDomain(*q);
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
    // Infinite ends are no values of v, and the ends of a range typed with
    // numbers that are no doubles are not at hand as doubles.
    const Iv_Itvl<double>& range = q.BoundBox()[var - n];
    return !IsInfOrNaN(range.lo) && !IsInfOrNaN(range.hi) && q.Inside(var - n) == range;
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

// The operands of q's sub (a connective of the other kind: a conjunction
// under EXISTS, a disjunction under FORALL) in groups that share no bound
// variable: a group for each set of operands linked through bound variables,
// one for each operand without any. Empty when everything is one group.
std::vector<std::vector<int>> IndependentGroups(const BRIX_QuantifiedClass& q) {
    const auto& connective = static_cast<const BRIX_Connective&>(*q.sub);
    const int count = connective.SubCount();
    const int n = q.NumberOfVariables();
    std::vector<int> group(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        group[i] = i;
    }
    auto find = [&group](int i) {
        while (group[i] != i) {
            i = group[i] = group[group[i]];
        }
        return i;
    };
    for (int v = n; v < n + q.BoundCount(); ++v) {
        int first = -1;
        for (int i = 0; i < count; ++i) {
            if (connective.Sub(i)->Degree(v) > 0) {
                if (first < 0) {
                    first = find(i);
                } else {
                    group[find(i)] = first;
                }
            }
        }
    }
    std::vector<std::vector<int>> groups;
    std::vector<int> slot(static_cast<std::size_t>(count), -1);
    for (int i = 0; i < count; ++i) {
        int& g = slot[find(i)];
        if (g < 0) {
            g = static_cast<int>(groups.size());
            groups.emplace_back();
        }
        groups[g].push_back(i);
    }
    if (groups.size() < 2) {
        groups.clear();
    }
    return groups;
}

// Consumes q (classical, sub a connective of the other kind whose operands
// fall into IndependentGroups): the connective of the sub's kind over one copy
// of q per group, each over that group's operands. EXISTS y, z: A(y) /\ B(z)
// is (EXISTS y, z: A(y)) /\ (EXISTS y, z: B(z)) since boxes are never empty;
// each copy later drops the bound variables it does not use, so the parts
// are decided one at a time. FORALL over a disjunction likewise.
BRIX_Constraint* SplitIndependent(BRIX_QuantifiedClass* q,
                                  const std::vector<std::vector<int>>& groups) {
    auto* connective = static_cast<BRIX_Connective*>(q->sub);
    const bool conjunction = connective->isConjunction;
    const int n = q->NumberOfVariables();
    std::vector<BRIX_Constraint*> parts;
    for (const std::vector<int>& g : groups) {
        std::vector<BRIX_Constraint*> operands;
        for (int i : g) {
            operands.push_back(connective->subs[static_cast<std::size_t>(i)]);
            connective->subs[static_cast<std::size_t>(i)] = nullptr;  // now owned below
        }
        BRIX_Constraint* body =
            operands.size() == 1 ? operands[0]
                                 : new BRIX_Connective(conjunction, operands, n + q->BoundCount());
        auto* part = new BRIX_QuantifiedClass(q->box, q->variables, body, q->isForall, n);
        part->traceFlag = q->traceFlag;
        part->CopyDomain(*q);
        parts.push_back(Simplify(part));
    }
    connective->subs.clear();
    auto* result = new BRIX_Connective(conjunction, parts, n);
    delete q;  // deletes the emptied connective with it
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
    other->CopyDomain(*quantifier);
    quantifier->RemoveVariable(var);
    std::vector<BRIX_Constraint*> parts{quantifier, other};
    return new BRIX_Connective(quantifier->isForall, parts, n);
}

BRIX_Constraint* Simplify(BRIX_Constraint* node) {
    node = node->SimplifyNode();
    if (node->Kind() == BRIX_KindQuantified && static_cast<BRIX_Quantified*>(node)->IsClassical()) {
        auto* q = static_cast<BRIX_QuantifiedClass*>(node);
        BRIX_Constraint* s = q->sub;
        const bool push =
            BRIX_GetFlag(BRIX_Flag::PushQuantifiersInside) && s->Kind() == BRIX_KindConnective;
        std::vector<std::vector<int>> groups;
        if (push && static_cast<BRIX_Connective*>(s)->isConjunction == q->isForall) {
            node = Simplify(PushInside(q));
        } else if (push && !(groups = IndependentGroups(*q)).empty()) {
            node = Simplify(SplitIndependent(q, groups));
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

bool HasEquation(const BRIX_Constraint* node) {
    switch (node->Kind()) {
        case BRIX_KindAtomic: {
            const auto* atomic = dynamic_cast<const BRIX_Atomic*>(node);
            return atomic != nullptr &&
                   (atomic->relation == BRIX_Equal || atomic->relation == BRIX_NotEqual);
        }
        case BRIX_KindQuantified:
            return HasEquation(static_cast<const BRIX_Quantified*>(node)->Sub());
        case BRIX_KindNegation:
            return HasEquation(static_cast<const BRIX_Negation*>(node)->sub);
        case BRIX_KindConnective: {
            const auto* connective = static_cast<const BRIX_Connective*>(node);
            for (int i = 0; i < connective->SubCount(); ++i) {
                if (HasEquation(connective->Sub(i))) {
                    return true;
                }
            }
            return false;
        }
        default:
            return false;
    }
}
