#include "Search/BRIX_PrecisionLoss.h"

#include "IO/Ex_Stream.h"
#include "Search/BRIX_Progress.h"

namespace {

BRIX_PrecisionLossHandler handler = nullptr;
BRIX_PrecisionLosses losses;

void Report(const Box& box, int var) {
    Ex_StdOut().Flush();
    Ex_OutputStream& err = Ex_StdErr();
    err << "Out of precision! Ill-posed input?" << box << " " << var << "\n";
    err.Flush();
}

}  // namespace

BRIX_PrecisionLossHandler BRIX_SetPrecisionLossHandler(BRIX_PrecisionLossHandler h) {
    BRIX_PrecisionLossHandler old = handler;
    handler = h;
    return old;
}

void BRIX_ResetPrecisionLosses() {
    losses = BRIX_PrecisionLosses();
}

const BRIX_PrecisionLosses& BRIX_GetPrecisionLosses() {
    return losses;
}

void BRIX_PrecisionLost(const Box& box, int var) {
    if (losses.count++ == 0) {
        losses.first = box;
        losses.firstVar = var;
    }
}

void BRIX_ReportPrecisionLoss() {
    BRIX_EraseProgress();
    if (handler != nullptr) {
        handler(losses.first, losses.firstVar);
    } else {
        Report(losses.first, losses.firstVar);
    }
}
