// The approximate-refine loop: narrowing of the top constraint alternated with
// refinement steps of its state tree until the constraint is decided or the
// open volume is small enough.
#ifndef BRIX_SEARCH_BRIX_APPROXIMATEREFINE_H
#define BRIX_SEARCH_BRIX_APPROXIMATEREFINE_H

#include "Driver/BRIX_Problem.h"

class Ex_OutputStream;

// Refines the problem's constraint once per run (later calls return at once).
// Creates problem.approximation (owned by the problem record; freed by
// releaseProblem), sets provedTrue/provedFalse, complete, timedOut and the
// precision losses, and prints "Partial result!  Reason(s):\n" followed by
// the reasons when the refinement did not reach its goal. A box that cannot
// be split any more stays open (the refinement goes on with the others) and
// makes the result partial.
void approximateRefine(BRIX_Problem& problem);

// The reasons why problem's result is partial, one line each, indented by
// two blanks: "  time-out after SECS seconds" and "  out of precision on BOX
// (variable V)", the latter followed by " and N more boxes" when there were
// more. Nothing for a complete result.
void printPartialReasons(Ex_OutputStream& out, const BRIX_Problem& problem);

// Frees the problem's approximation state tree and constraint tree and
// clears both pointers.
void releaseProblem(BRIX_Problem& problem);

#endif
