// Solving a fuzz problem through brix::Solve and checking what comes back:
// every true and false box (and the truth of a closed sentence) against the
// exact evaluator, the boxes against B, the call against its time-out and the
// caller's floating-point state.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZCHECKER_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZCHECKER_H

#include "Driver/BRIX_Solve.h"
#include "fuzz/solve/FuzzProblem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvefuzz {

struct Finding {
    // wrong-true, wrong-false, wrong-truth: a claim refuted at a point;
    // bad-box: a box of the wrong dimension, upside down or outside B;
    // coverage: the boxes' volumes do not add up to B's; incomplete: complete
    // although the open volume exceeds the error bound, or precision lost
    // without a partial result and its reason; refused: an error; unreadable:
    // the checker cannot
    // read the constraint the solver accepted; late: the call returned long
    // after its time-out; fpstate: the caller's floating-point state changed;
    // hang, crash: see FuzzIsolation.h.
    std::string kind;
    std::string detail;
    // A wrong claim that reading every decimal of the constraint as its
    // nearest double would make right: a fault of how decimals are read.
    bool inexactDecimal = false;
};

struct CheckLimits {
    // Relations evaluated per problem, over all claims; the quantifier grids
    // stop once it is spent.
    long budget = 200000;
    // Random interior points per box, besides its corners and centre.
    int randomPoints = 2;
    // A call may use timeoutSeconds * lateFactor + lateSlack processor seconds.
    double lateFactor = 4;
    double lateSlack = 1;
};

struct Outcome {
    brix::SolveResult result;
    double cpuSeconds = 0;
    // The floating-point control state (rounding, masks, flags) the call
    // left, compared with the one it found.
    bool fpStateKept = true;
    // True, false and open boxes returned.
    std::size_t boxCounts[3] = {0, 0, 0};
    // Claims checked: proved boxes sampled, and a decided sentence.
    long claims = 0;
    std::vector<Finding> findings;
};

// Whether splitting ran out of precision (a partial result).
bool OutOfPrecision(const brix::SolveResult& result);

// Calls brix::Solve with the problem's text, variables, B (as nearest
// doubles), options and tuning (put back afterwards); measures its processor
// time and floating-point state.
Outcome SolveTimed(const Problem& problem);

// Checks outcome.result for problem; adds to outcome.claims and
// outcome.findings (at most one finding of each kind and decimal class).
// sampleSeed picks the random points and the order the boxes are checked in.
void Check(const Problem& problem, const CheckLimits& limits, std::uint64_t sampleSeed,
           Outcome& outcome);

// SolveTimed, then Check with the problem's seed.
Outcome SolveAndCheck(const Problem& problem, const CheckLimits& limits);

}  // namespace solvefuzz

#endif
