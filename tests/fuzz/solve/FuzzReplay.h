// Replay files of the solve fuzzer: one problem as plain text, with what was
// found in comment lines, so that a finding can be run again by hand, by
// `brix_solve_fuzz -replay FILE` or by the test suite:
//
//   # wrong-true: true box [[0, 0.10000000000000001]] at x = 3602879701896397/36028797018963968
//   seed: 17
//   constraint: x <= 0.1
//   variables: [x]
//   box: [[0, 0.1]]
//   errorBound: 0.05
//   timeoutSeconds: 0.3
//   singleBox: 0
//   tuning: f8=0 p23=2
//
// The tuning line lists the flags (f) and parameters (p) set off their
// defaults for the call; it may be empty or missing. The box is written as the decimals the problem
// was made of; the solver gets their nearest doubles.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZREPLAY_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZREPLAY_H

#include "fuzz/solve/FuzzChecker.h"
#include "fuzz/solve/FuzzProblem.h"

#include <string>
#include <vector>

namespace solvefuzz {

std::string ReplayText(const Problem& problem, const std::vector<Finding>& findings);

// Reads a replay text into problem, parsing its constraint. False, with a
// message in error, for a missing or malformed line.
bool ReadReplay(const std::string& text, Problem& problem, std::string& error);
bool ReadReplayFile(const std::string& path, Problem& problem, std::string& error);

// "<kind>-<seed>.replay", or "<kind>-decimal-<seed>.replay" for a finding
// explained by the reading of decimals.
std::string ReplayName(const Problem& problem, const Finding& finding);

}  // namespace solvefuzz

#endif
