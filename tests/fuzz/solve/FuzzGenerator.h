// Random well-formed problems for the solve fuzzer.
//
// Polynomials of total degree at most 4 in up to 4 variables (free and
// bound), relations < <= > >= = !=, the connectives (infix and as calls),
// negation, and FORALL / EXISTS nested up to two deep. Numerals come from a
// small pool that mixes exact doubles (0, 1, 2, 0.5, 0.25, ...) and decimals
// that are not (0.1, 0.3, 1e-3, 2.7, ...); boxes, of free and bound
// variables, are built from the same numerals and often reappear in the
// relations (x <= 1 over [0, 1], y^2 <= y), so truth changes on box
// boundaries; some boxes are points. Interval literals appear only as the
// coefficient of a monomial. A quarter of the problems are closed sentences.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZGENERATOR_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZGENERATOR_H

#include "fuzz/solve/FuzzProblem.h"

#include <cstdint>

namespace solvefuzz {

// The problem of one seed (the same seed gives the same problem), with a
// random error bound and the given time-out in processor seconds.
Problem Generate(std::uint64_t seed, double timeoutSeconds);

}  // namespace solvefuzz

#endif
