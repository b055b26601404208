#include "Constraint/BRIX_Constant.h"

#include "IO/Ex_Stream.h"

BRIX_Constraint* BRIX_Constant::Copy() const {
    auto* copy = new BRIX_Constant(value, numberOfVariables);
    copy->traceFlag = traceFlag;
    return copy;
}

BRIX_Constraint* BRIX_Constant::ApproxQuantifiers(double) {
    return this;
}

BRIX_Constraint* BRIX_Constant::SimplifyNode() {
    return this;
}

void BRIX_Constant::RemoveVariable(int) {
    --numberOfVariables;
}

void BRIX_Constant::Print(Ex_OutputStream& out, const BRIX_Names*) const {
    out << "Constant: " << TruthToExpr(value) << "\n";
}

bool BRIX_Constant::Narrow(BRIX_USAS*, Box& box, bool up, ResultPainter, bool& complete) {
    if (up ? value.CertainlyFalse() : value.CertainlyTrue()) {
        box.MakeEmpty();
    }
    complete = !value.IsUnknown();
    return box.IsEmpty();
}

bool BRIX_Constant::Sample(BRIX_USAS*, Box, int) {
    return value.CertainlyTrue();
}

ContinuityInfo BRIX_Constant::ContinuityMarks(BRIX_USAS*) {
    return ContinuityInfo();
}
