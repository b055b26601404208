#include "Search/BRIX_PrecisionLoss.h"

#include "IO/Ex_Stream.h"
#include "Search/BRIX_Progress.h"

#include <cstdlib>

namespace {

BRIX_PrecisionLossHandler handler = nullptr;

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

void BRIX_PrecisionLost(const Box& box, int var) {
    BRIX_EraseProgress();
    if (handler != nullptr) {
        handler(box, var);
    } else {
        Report(box, var);
    }
    std::exit(1);
}
