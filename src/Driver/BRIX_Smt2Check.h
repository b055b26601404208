// One check-sat: the conjunction of the assertions translated, its variables
// bounded, solved through the facade, and the answer proved: sat only with a
// witness inside a box proved true (checked exactly when the formula has no
// quantifier) or found by exact evaluation, unsat only when every box was
// proved false, the sentence "F holds nowhere in the box" was proved, or the
// bounds contradict each other; unknown otherwise.
#ifndef BRIX_DRIVER_BRIX_SMT2CHECK_H
#define BRIX_DRIVER_BRIX_SMT2CHECK_H

#include "Driver/BRIX_Smt2Term.h"
#include "Driver/BRIX_Solve.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct BRIX_Smt2Answer {
    enum class Kind { Sat, Unsat, Unknown };
    Kind kind = Kind::Unknown;
    // Unknown: why (one line).
    std::string reason;
    // Sat: the witness, by variable index; variables missing take 0.
    std::map<int, mpq_class> model;
};

// Translated formulas longer than this many characters are not solved.
constexpr std::size_t BRIX_Smt2TextLimit = 1000000;

// Answers whether the conjunction of `assertions` is satisfiable. `names`
// holds the variables by index (for the reasons). The solves use `options`
// (the time-out is for the whole check). Without `solve`, everything but
// the solve is done (the answer is then unknown unless exact evaluation or the
// bounds decide).
BRIX_Smt2Answer BRIX_Smt2Check(const std::vector<BRIX_Smt2TermPtr>& assertions,
                               const std::vector<std::string>& names,
                               const brix::SolveOptions& options, bool solve = true);

#endif
