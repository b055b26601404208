// What happens when a box can no longer be split: its cut points do not fall
// strictly inside the component (too narrow for doubles, unbounded, or NaN).
#ifndef BRIX_SEARCH_BRIX_PRECISIONLOSS_H
#define BRIX_SEARCH_BRIX_PRECISIONLOSS_H

#include "Interval/Box.h"

// Called with the box that cannot be split and the index of the variable.
using BRIX_PrecisionLossHandler = void (*)(const Box& box, int var);

// Installs handler (null: the default) and returns the previous one (null
// for the default). The default prints "Out of precision! Ill-posed input?",
// the box, " ", var and "\n" on the standard error stream and ends the
// process with status 1. A program that embeds the solver may install a
// handler that throws instead: when it runs, the element concerned is back in
// its stack, so the state tree is whole and can be destroyed normally.
BRIX_PrecisionLossHandler BRIX_SetPrecisionLossHandler(BRIX_PrecisionLossHandler handler);

// Runs the installed handler; ends the process (status 1) when it returns.
[[noreturn]] void BRIX_PrecisionLost(const Box& box, int var);

#endif
