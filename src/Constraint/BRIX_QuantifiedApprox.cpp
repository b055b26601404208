#include "Constraint/BRIX_QuantifiedApprox.h"

#include "IO/Ex_Stream.h"

#include <string>
#include <utility>

BRIX_Constraint* BRIX_QuantifiedApprox::Copy() const {
    auto* copy = new BRIX_QuantifiedApprox(box, variables, sub->Copy(), isForall, lower, upper,
                                           numberOfVariables);
    copy->CopyDomain(*this);
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_QuantifiedApprox::ApproxQuantifiers(double eps) {
    sub = sub->ApproxQuantifiers(eps);
    return this;
}

void BRIX_QuantifiedApprox::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    out << (isForall ? "FORALLX" : "EXISTSX") << "[ " << lower << ", " << upper << "]";
    PrintQuantified(out, names, "");
}

bool BRIX_QuantifiedApprox::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                                   bool& complete) {
    return NarrowClassical(usas, box, up, std::move(context), complete, false);
}

bool BRIX_QuantifiedApprox::Sample(BRIX_USAS*, Box, int) {
    return false;
}

void BRIX_QuantifiedApprox::Negate() {
    isForall = !isForall;
    sub->Negate();
}

ContinuityInfo BRIX_QuantifiedApprox::ContinuityMarks(BRIX_USAS*) {
    return ContinuityInfo();
}
