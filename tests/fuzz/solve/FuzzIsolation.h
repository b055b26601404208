// Solving and checking a fuzz problem in a child process. The solver cannot
// be interrupted and a fault may end the process, so each problem runs
// apart: a call that does not return in time is killed, and a child that
// dies (a crash, a failed assertion, a sanitizer report, a leak found at its
// end) is seen from outside. Both become findings, and the caller goes on.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZISOLATION_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZISOLATION_H

#include "fuzz/solve/FuzzChecker.h"
#include "fuzz/solve/FuzzProblem.h"

namespace solvefuzz {

// SolveAndCheck in a child process, waiting at most wallSeconds of wall-clock
// time for the solve and ten times as long again for the check. The
// outcome's result holds solved, error, complete, timedOut and truth but no
// boxes (boxCounts says how many there were). Adds a finding "hang" when the
// solve did not return within wallSeconds, "check-hang" when the check did
// not end (a fault of the checker, not of the solver), and "crash" when the
// child died or ended with a failure status; what it reported (sanitizer
// reports, assertion messages) went to standard error.
Outcome SolveAndCheckApart(const Problem& problem, const CheckLimits& limits, double wallSeconds);

}  // namespace solvefuzz

#endif
