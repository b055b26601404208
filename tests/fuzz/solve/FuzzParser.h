// Reading constraint text back into the fuzzer's tree: the part of the input
// language the generator writes (see FuzzProblem.h for the forms), parsed
// with the grammar's precedences, so replay files can hold plain text.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZPARSER_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZPARSER_H

#include "fuzz/solve/FuzzProblem.h"

#include <string>

namespace solvefuzz {

// Parses text as one constraint into out. False, with a message in error and
// out untouched, for text outside that part of the language (comments, "&",
// "<==>", calls other than not, and, or, implies, FORALL and EXISTS, an
// interval literal whose bounds are not signed numerals) or a tree that does
// not type as a constraint (a relation between constraints, a connective of
// polynomials).
bool ParseConstraint(const std::string& text, Node& out, std::string& error);

}  // namespace solvefuzz

#endif
