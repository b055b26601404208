#include "Search/BRIX_PrecisionLoss.h"

#include "IO/Ex_Stream.h"
#include "Search/BRIX_Progress.h"

namespace {

void Report(const Box& box, int var) {
    Ex_StdOut().Flush();
    Ex_OutputStream& err = Ex_StdErr();
    err << "Out of precision! Ill-posed input?" << box << " " << var << "\n";
    err.Flush();
}

}  // namespace

BRIX_PrecisionLossHandler BRIX_SetPrecisionLossHandler(BRIX_PrecisionLossHandler h) {
    BRIX_PrecisionLossHandler old = BRIX_CurrentContext().lossHandler;
    BRIX_CurrentContext().lossHandler = h;
    return old;
}

void BRIX_ResetPrecisionLosses() {
    BRIX_CurrentContext().losses = BRIX_PrecisionLosses();
}

const BRIX_PrecisionLosses& BRIX_GetPrecisionLosses() {
    return BRIX_CurrentContext().losses;
}

void BRIX_PrecisionLost(const Box& box, int var) {
    BRIX_PrecisionLosses& losses = BRIX_CurrentContext().losses;
    if (losses.count++ == 0) {
        losses.first = box;
        losses.firstVar = var;
    }
}

void BRIX_ReportPrecisionLoss() {
    BRIX_EraseProgress();
    const BRIX_PrecisionLosses& losses = BRIX_CurrentContext().losses;
    const BRIX_PrecisionLossHandler handler = BRIX_CurrentContext().lossHandler;
    if (handler != nullptr) {
        handler(losses.first, losses.firstVar);
    } else {
        Report(losses.first, losses.firstVar);
    }
}
