#include "Constraint/BRIX_Negation.h"

#include "IO/Ex_Stream.h"

#include <utility>

BRIX_Negation::~BRIX_Negation() {
    delete sub;
}

BRIX_Constraint* BRIX_Negation::Copy() const {
    auto* copy = new BRIX_Negation(numberOfVariables, sub->Copy());
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_Negation::ApproxQuantifiers(double eps) {
    BRIX_Constraint* approximated = sub->ApproxQuantifiers(eps);
    sub = nullptr;  // now owned by the replacement; must not be deleted with this node
    auto* replacement = new BRIX_Negation(numberOfVariables, approximated);
    replacement->traceFlag = traceFlag;
    delete this;
    return replacement;
}

bool BRIX_Negation::IsConsistent() const {
    return sub != nullptr && sub->NumberOfVariables() == numberOfVariables && sub->IsConsistent();
}

BRIX_Constraint* BRIX_Negation::SimplifyNode() {
    // The simplified sub, negated in place, takes this node's place.
    BRIX_Constraint* result = sub->SimplifyNode();
    sub = nullptr;  // result is handed to the caller; must not be deleted with this node
    result->Negate();
    delete this;
    return result;
}

void BRIX_Negation::RemoveVariable(int var) {
    sub->RemoveVariable(var);
    --numberOfVariables;
}

void BRIX_Negation::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    out << "not (";
    sub->Print(out, names);
    out << ")";
}

bool BRIX_Negation::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                           bool& complete) {
    return sub->Narrow(usas, box, !up, std::move(context), complete);
}

bool BRIX_Negation::Sample(BRIX_USAS*, Box box, int samples) {
    return !sub->Sample(nullptr, std::move(box), samples);
}

ContinuityInfo BRIX_Negation::ContinuityMarks(BRIX_USAS* usas) {
    ContinuityInfo marks = sub->ContinuityMarks(usas);
    marks.Swap();
    return marks;
}
