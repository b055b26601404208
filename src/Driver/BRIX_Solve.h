// Solving one problem from a program, without the dialogue: the constraint as
// text, its free variables and the box, in; the proved-true, proved-false and
// open boxes, out.
//
// A Solver owns everything a solve changes: its flags and parameters, its
// time-out and clock, its timers and its refinement state. Solvers in
// different threads run at the same time without meeting; one Solver is used
// by one thread at a time. The first solve starts the system layer
// (rounding, exception masks, standard streams) as the program's main does; a
// program that has already done so loses nothing.
#ifndef BRIX_DRIVER_BRIX_SOLVE_H
#define BRIX_DRIVER_BRIX_SOLVE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brix {

// One component of a box: the closed interval [lo, hi].
struct Bounds {
    double lo;
    double hi;
};
// One component per variable, in the order of the variables.
using BoxBounds = std::vector<Bounds>;

struct SolveOptions {
    // Relative error bound, like "-e": the refinement stops once the open
    // volume is at most errorBound times the volume of the box. Must be a
    // number >= 0.
    double errorBound = 0.5;
    // Like "-s": look for a single box on which the constraint holds.
    bool singleBox = false;
    // Like "-to": stop the refinement after this many seconds of processor
    // time counted from the start of the call; 0 (or infinity) for none. A
    // positive time-out is at least a microsecond and at most 2^32 - 1
    // microseconds (about 71 minutes); longer ones are shortened to that.
    double timeoutSeconds = 0;
    // Like "-f FLAG VAL" and "-p PARAM VAL": the flags and parameters of this
    // call by index (0 <= FLAG < 19, 0 <= PARAM < 26); the others keep their
    // defaults. Another index is refused.
    std::map<int, bool> flags;
    std::map<int, double> params;
    // Like "-j N": threads that share the refinement, at least 1.
    int threads = 1;
};

enum class Truth { Unknown, True, False };

struct SolveResult {
    // False when nothing was solved; `error` says why (a syntax error in the
    // constraint, an invalid constraint, a variable name that is not a plain
    // word or repeats, a box whose dimension differs from the number of
    // variables or with a component that is not [lo, hi] with real lo <= hi,
    // a negative or NaN option).
    bool solved = false;
    std::string error;
    // The boxes as the solver proved them, exact doubles (no rounding for
    // display), in the solver's list order. Boxes holding no point are left
    // out. All three are empty for a constraint without variables.
    std::vector<BoxBounds> trueBoxes, falseBoxes, openBoxes;
    // The refinement reached its error bound (or decided a constraint
    // without variables).
    bool complete = false;
    // The time-out stopped the refinement: the lists are a partial result.
    bool timedOut = false;
    // Floating-point precision ran out: some boxes could not be split any
    // more; they are among the open boxes and the result is partial.
    bool precisionLost = false;
    // Why the result is partial (complete is false), one line each, as the
    // program prints them after "Partial result!  Reason(s):" but without
    // the indentation: "time-out after SECS seconds", "out of precision on
    // BOX (variable V)" (and " and N more boxes"). Empty otherwise.
    std::vector<std::string> reasons;
    // A constraint without variables: proved true, proved false or undecided.
    // Unknown whenever there are variables.
    Truth truth = Truth::Unknown;
};

// Solves `constraint` (the input language, without the ";" that ends an
// answer) over `variables` and `box` (one component per variable). Writes
// nothing to standard output or standard error, changes nothing outside the
// solver, and leaves the calling thread's floating-point environment
// (rounding mode, exception masks and flags) as it found it.
class Solver {
public:
    // The flags and parameters start as the calling thread's (the defaults
    // unless it changed them with BRIX_SetFlag/BRIX_SetParam), then take
    // options.flags and options.params.
    explicit Solver(const SolveOptions& options = {});
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // One solve with the options; the time-out counts from the start of the
    // call. May be called again for other problems.
    SolveResult Solve(const std::string& constraint, const std::vector<std::string>& variables,
                      const BoxBounds& box);

    const SolveOptions& Options() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// One solve by a Solver made for it.
SolveResult Solve(const std::string& constraint, const std::vector<std::string>& variables,
                  const BoxBounds& box, const SolveOptions& options = {});

}  // namespace brix

#endif
