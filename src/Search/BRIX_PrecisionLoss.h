// What happens when a box can no longer be split: its cut points do not fall
// strictly inside the component (too narrow for doubles, unbounded, or NaN).
// Such a box stays open and the refinement goes on with the others; the
// losses of a refinement are counted here so that the result can say it is
// partial and why.
#ifndef BRIX_SEARCH_BRIX_PRECISIONLOSS_H
#define BRIX_SEARCH_BRIX_PRECISIONLOSS_H

#include "Driver/BRIX_Context.h"

// The losses and the handler belong to the current solver context. The
// handler (BRIX_PrecisionLossHandler) is called with the first box of a
// refinement that could not be split and the index of the variable it was to
// be split on, when the refinement ends with something left undecided.

// Installs handler (null: the default) and returns the previous one (null
// for the default). The default prints "Out of precision! Ill-posed input?",
// the box, " ", var and "\n" on the standard error stream. A program that
// embeds the solver may install a silent one.
BRIX_PrecisionLossHandler BRIX_SetPrecisionLossHandler(BRIX_PrecisionLossHandler handler);

// Runs the installed handler with the first loss (there must be one).
void BRIX_ReportPrecisionLoss();

// Forgets the losses; a refinement starts with none.
void BRIX_ResetPrecisionLosses();
const BRIX_PrecisionLosses& BRIX_GetPrecisionLosses();

// Records that box cannot be split any more; var is the variable it was to
// be split on.
void BRIX_PrecisionLost(const Box& box, int var);

#endif
