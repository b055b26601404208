// Tuning switches of the solver that a fuzz problem sets off their defaults:
// which, to what, how they are written, and setting them around a call.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZTUNING_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZTUNING_H

#include "fuzz/solve/FuzzProblem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvefuzz {

// count distinct switches drawn with seed from the simplification, quantifier
// pushing and elimination, narrowing, shortcut and continuity flags, and the
// range, univariate-evaluation, split-variable, branching, narrowing and
// inflation methods and the relative error of zeros, each at a value other
// than the one the registry holds (its default, in a fuzz run). Tracing,
// drawing and sampling switches are left alone.
std::vector<Setting> RandomTuning(std::uint64_t seed, int count);

// "f7=1 p23=2": the settings as the replay files write them.
std::string TuningText(const std::vector<Setting>& tuning);

// Sets the settings for its lifetime, then puts the old values back.
class TuningScope {
public:
    explicit TuningScope(const std::vector<Setting>& tuning);
    ~TuningScope();
    TuningScope(const TuningScope&) = delete;
    TuningScope& operator=(const TuningScope&) = delete;

private:
    std::vector<Setting> saved_;
};

}  // namespace solvefuzz

#endif
