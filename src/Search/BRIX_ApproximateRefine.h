// The approximate-refine loop: narrowing of the top constraint alternated with
// refinement steps of its state tree until the constraint is decided or the
// open volume is small enough.
#ifndef BRIX_SEARCH_BRIX_APPROXIMATEREFINE_H
#define BRIX_SEARCH_BRIX_APPROXIMATEREFINE_H

#include "Driver/BRIX_Problem.h"

// Refines the problem's constraint once per run (later calls return at once).
// Creates problem.approximation (owned by the problem record; freed by
// releaseProblem), sets provedTrue/provedFalse, complete and timedOut, and
// prints "Partial result!  Reason(s):\n" when the refinement did not reach its
// goal.
void approximateRefine(BRIX_Problem& problem);

// Frees the problem's approximation state tree and constraint tree and
// clears both pointers.
void releaseProblem(BRIX_Problem& problem);

#endif
