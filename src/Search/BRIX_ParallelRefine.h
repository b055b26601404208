// The refinement shared among threads: the pieces of a problem (the same
// constraint over parts of B) are taken from a queue by `threads` threads,
// each refined to the problem's error bound relative to its own volume (so
// the whole meets it), and their true, false and open boxes are gathered
// into the problem in the order of the pieces.
#ifndef BRIX_SEARCH_BRIX_PARALLELREFINE_H
#define BRIX_SEARCH_BRIX_PARALLELREFINE_H

#include "Driver/BRIX_Problem.h"

#include <vector>

// Refines problem.pieces with problem.threads threads (the calling one among
// them), or by its runner when it has one, and gathers them into problem: its top store holds every piece's
// boxes, complete when every piece is, timed out when one is; the pieces'
// precision losses are added to the current context's. Frees the pieces.
// Each thread runs in a context of its own with the caller's flags,
// parameters and time-out (trace windows off), silent standard streams,
// rounding to nearest and every exception masked. Requires problem.pieces
// not empty and problem.constraint the top quantifier over B. For a closed
// sentence cut into pieces (sentencePieces) one pass refines them and their
// verdicts settle the sentence's (see BRIX_Problem).
void refinePieces(BRIX_Problem& problem);

// Refines every problem of the queue (each once, in place) with `threads`
// threads, the calling one among them, each in a context set up as above.
void refineQueue(const std::vector<BRIX_Problem*>& queue, int threads);

#endif
