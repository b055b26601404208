// The result window: true boxes green, false boxes red, open boxes white with
// a mark from their continuity information; B fills the window.
#ifndef BRIX_DRIVER_BRIX_DISPLAY_H
#define BRIX_DRIVER_BRIX_DISPLAY_H

#include "Driver/BRIX_Problem.h"
#include "Interval/Iv_Box.h"

// Refines the problem, then draws it for one or two free variables and waits
// for one more answer on standard input (or 15 seconds with wait). True when
// a window was shown. Without an X display it says so and returns false.
bool displayResult(BRIX_Problem& problem, bool borders, Box box, bool adjust, bool wait);

#endif
