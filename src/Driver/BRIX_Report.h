// The textual outputs of a run: the box listing and the quantitative summary.
// Both start the refinement first (it runs once per run) and write to the
// standard output stream.
#ifndef BRIX_DRIVER_BRIX_REPORT_H
#define BRIX_DRIVER_BRIX_REPORT_H

#include "Driver/BRIX_Problem.h"

// With free variables: the boxes proved true and false, rounded inwards (each
// printed box lies inside the box proved), the open boxes rounded outwards
// with their continuity lists, and, unless eps is exactly 0, the line with the
// relative error (open volume over the total) and the three volumes. Without
// free variables nothing is printed and no refinement is started.
// Rounding: leaves the mode at nearest.
void printBoxes(BRIX_Problem& problem, double eps);

// Per list of the top state, the number of boxes and their total volume;
// without free variables "F is true" or "F is false" when decided.
// Rounding: leaves the mode at nearest.
void printQuantities(BRIX_Problem& problem);

// The applet output writes nothing.
void printAppletData(BRIX_Problem& problem);

#endif
