#include "Constraint/BRIX_Connective.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Simplify.h"
#include "IO/Ex_Stream.h"

#include <cstddef>

BRIX_Connective::BRIX_Connective(bool isConjunction, const std::vector<BRIX_Constraint*>& subs,
                                 int numberOfVariables)
    : BRIX_Constraint(numberOfVariables), isConjunction(isConjunction), subs(subs) {}

BRIX_Connective::~BRIX_Connective() {
    for (BRIX_Constraint* sub : subs) {
        delete sub;
    }
}

BRIX_Constraint* BRIX_Connective::Copy() const {
    std::vector<BRIX_Constraint*> copies;
    copies.reserve(subs.size());
    for (const BRIX_Constraint* sub : subs) {
        copies.push_back(sub->Copy());
    }
    auto* copy = new BRIX_Connective(isConjunction, copies, numberOfVariables);
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_Connective::ApproxQuantifiers(double eps) {
    std::vector<BRIX_Constraint*> approximated;
    approximated.swap(subs);  // this node keeps no sub: they pass to the replacement
    for (BRIX_Constraint*& sub : approximated) {
        sub = sub->ApproxQuantifiers(eps);
    }
    auto* replacement = new BRIX_Connective(isConjunction, approximated, numberOfVariables);
    replacement->traceFlag = traceFlag;
    delete this;
    return replacement;
}

bool BRIX_Connective::IsConsistent() const {
    for (const BRIX_Constraint* sub : subs) {
        if (sub == nullptr || sub->NumberOfVariables() != numberOfVariables ||
            !sub->IsConsistent()) {
            return false;
        }
    }
    return true;
}

int BRIX_Connective::Degree(int var) const {
    int degree = 0;
    for (const BRIX_Constraint* sub : subs) {
        int d = sub->Degree(var);
        if (d > degree) {
            degree = d;
        }
    }
    return degree;
}

BRIX_Constraint* BRIX_Connective::SimplifyNode() {
    // i only moves past a sub that stays; a removed sub's successors and a
    // spliced connective's subs are examined at the same index.
    std::size_t i = 0;
    while (i < subs.size()) {
        BRIX_Constraint* sub = Simplify(subs[i]);
        subs[i] = sub;
        const auto at = subs.begin() + static_cast<std::ptrdiff_t>(i);
        if (sub->Kind() == BRIX_KindConstant) {
            const TruthValue value = static_cast<const BRIX_Constant*>(sub)->value;
            if (isConjunction ? value.IsTrue() : value.IsFalse()) {  // neutral: drop it
                subs.erase(at);
                delete sub;
                continue;
            }
            if (isConjunction ? value.IsFalse() : value.IsTrue()) {  // absorbing: decides all
                subs.erase(at);
                delete this;
                return sub;
            }
        } else if (sub->Kind() == BRIX_KindConnective &&
                   static_cast<BRIX_Connective*>(sub)->isConjunction == isConjunction) {
            auto* inner = static_cast<BRIX_Connective*>(sub);
            std::vector<BRIX_Constraint*> moved;
            moved.swap(inner->subs);  // the inner node is freed without its subs
            delete inner;
            subs.erase(at);
            subs.insert(subs.begin() + static_cast<std::ptrdiff_t>(i), moved.begin(), moved.end());
            continue;
        }
        ++i;
    }
    if (subs.empty()) {
        const TruthValue value = isConjunction ? TruthValue::True() : TruthValue::False();
        const int count = numberOfVariables;
        delete this;
        return new BRIX_Constant(value, count);
    }
    return this;
}

void BRIX_Connective::RemoveVariable(int var) {
    for (BRIX_Constraint* sub : subs) {
        sub->RemoveVariable(var);
    }
    --numberOfVariables;
}

void BRIX_Connective::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    out << "(";
    for (std::size_t i = 0; i < subs.size(); ++i) {
        if (i > 0) {
            out << (isConjunction ? " /\\ " : " \\/ ");
        }
        subs[i]->Print(out, names);
    }
    out << ")";
}

bool BRIX_Connective::Sample(BRIX_USAS*, Box box, int samples) {
    // A conjunction is decided by the first false sub, a disjunction by the
    // first true one; without such a sub it keeps its neutral value.
    for (BRIX_Constraint* sub : subs) {
        const bool holds = sub->Sample(nullptr, box, samples);
        if (holds != isConjunction) {
            return holds;
        }
    }
    return isConjunction;
}

void BRIX_Connective::Negate() {
    for (BRIX_Constraint* sub : subs) {
        sub->Negate();
    }
    isConjunction = !isConjunction;
}
