// Whether a univariate polynomial with rational coefficients has a real root
// in a closed interval, decided exactly (Sturm sequences): the oracle for an
// EXISTS over an equation, which no grid of points can refute.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZROOTS_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZROOTS_H

#include "support/ExactRational.h"

#include <vector>

namespace solvefuzz {

// The coefficients (constant first) of the polynomial of degree at most
// values.size() - 1 taking values[j] at lo + (hi - lo) * j / (values.size() - 1),
// lo < hi (Newton's divided differences, exact).
std::vector<ExactQ> Interpolate(const ExactQ& lo, const ExactQ& hi,
                                const std::vector<ExactQ>& values);

// Whether p (constant first) has a root x with lo <= x <= hi; the zero
// polynomial has every x.
bool HasRootIn(std::vector<ExactQ> p, const ExactQ& lo, const ExactQ& hi);

}  // namespace solvefuzz

#endif
