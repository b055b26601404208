// Exact evaluation of a constraint at a point, with GMP rationals, that can
// refute a claim of the solver but never prove one.
//
// Every numeral stands for the rational its decimal text denotes (0.1 is
// 1/10). An interval literal stands for an unknown coefficient in it, chosen
// independently per literal: a relation is true at a point when it holds for
// every choice, false when it fails for every choice, and unknown otherwise
// (the solver's reading). Each literal occurs once in the text, so exact
// interval arithmetic over rationals gives the range of each side over all
// choices, and the relation's value is exact.
//
// Quantifiers are sampled on a grid of their box, so what is known of a value
// is a range in the order false < unknown < true: a FORALL is at most its
// least grid value, an EXISTS at least its greatest (exactly that on a point
// box). An EXISTS over one variable of an equation with exact coefficients
// (and the FORALL of a disequation) is decided exactly instead, by counting
// the roots. A claim "true" is wrong where the range lies below true, a
// claim "false" where it lies above false. Connectives are Kleene's.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZEVALUATOR_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZEVALUATOR_H

#include "fuzz/solve/FuzzProblem.h"
#include "support/ExactRational.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace solvefuzz {

enum TruthLevel { kFalse = 0, kUnknown = 1, kTrue = 2 };

// The truth value lies in [lo, hi] (TruthLevel values).
struct Knowledge {
    int lo;
    int hi;
};

class Evaluator {
public:
    // Compiles constraint over the free variables. asDoubles reads every
    // numeral as the double nearest it instead (the reading of a solver that
    // rounds decimals to nearest), to tell such faults from others.
    Evaluator(const Node& constraint, const std::vector<std::string>& freeVariables,
              bool asDoubles);
    ~Evaluator();
    Evaluator(const Evaluator&) = delete;
    Evaluator& operator=(const Evaluator&) = delete;

    // False when the constraint cannot be evaluated: a name that is not in
    // scope, an unreadable numeral or exponent. error() says why.
    bool Valid() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    // What is known of the constraint's value at point (one value per free
    // variable). Each relation evaluated costs one unit of budget; once it is
    // spent, quantifiers are not sampled any more and know nothing.
    Knowledge At(const std::vector<ExactQ>& point, long& budget) const;

    struct Compiled;

private:
    std::unique_ptr<Compiled> root_;
    int slots_ = 0;
    std::string error_;
};

// An exact value that the polynomial poly takes where each name has its
// value in at, for some choice of its interval coefficients (the middle of
// its range); false for a name not in at, an unreadable numeral or a
// quotient by a range holding 0.
bool PolyValue(const Node& poly, const std::vector<std::pair<std::string, ExactQ>>& at,
               ExactQ& out);

// Grid points per bound variable of a quantifier binding k names: the grid
// of one quantifier holds at most a few dozen points.
int GridPoints(std::size_t k);

}  // namespace solvefuzz

#endif
