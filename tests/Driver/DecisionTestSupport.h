// Options of the tests that solve problems to a decision through the facade.
#ifndef BRIX_TESTS_DECISIONTESTSUPPORT_H
#define BRIX_TESTS_DECISIONTESTSUPPORT_H

#include "Driver/BRIX_Solve.h"

// The error bound given, and a time-out that only guards against a hang:
// each case takes milliseconds.
inline brix::SolveOptions Eps(double errorBound) {
    brix::SolveOptions options;
    options.errorBound = errorBound;
    options.timeoutSeconds = 20;
    return options;
}

#endif
