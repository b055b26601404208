#include "Driver/BRIX_Smt2Check.h"

#include "Driver/BRIX_Smt2Translate.h"
#include "Driver/BRIX_Smt2Witness.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_set>
#include <utility>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Op = BRIX_Smt2Op;
using Point = std::vector<mpq_class>;

// Boxes whose points are tried: enough for the first few candidates.
constexpr std::size_t kBoxesTried = 64;
// The error bound of the middle stage of a solve.
constexpr double kStageErrorBound = 1e-3;
// Without a time limit the brief first stage still takes this long at most.
constexpr double kNoLimitFirstStage = 60;

mpq_class PointIn(double lo, double hi) {
    return lo < hi ? BRIX_Smt2Simplest(mpq_class(lo), mpq_class(hi)) : mpq_class(lo);
}

bool HasQuantifier(const Ptr& t) {
    std::unordered_set<const BRIX_Smt2Term*> seen;
    std::vector<const BRIX_Smt2Term*> stack{t.get()};
    while (!stack.empty()) {
        const BRIX_Smt2Term* node = stack.back();
        stack.pop_back();
        if (node->op == Op::Forall || node->op == Op::Exists) {
            return true;
        }
        for (const Ptr& a : node->args) {
            if (seen.insert(a.get()).second) {
                stack.push_back(a.get());
            }
        }
    }
    return false;
}

BRIX_Smt2Answer Sat(const std::vector<int>& vars, const Point& point) {
    BRIX_Smt2Answer answer;
    answer.kind = BRIX_Smt2Answer::Kind::Sat;
    for (int v : vars) {
        answer.model[v] = point[static_cast<std::size_t>(v)];
    }
    return answer;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

BRIX_Smt2Answer Unknown(const std::string& reason) {
    BRIX_Smt2Answer answer;
    answer.reason = reason;
    return answer;
}

BRIX_Smt2Answer Unsat() {
    BRIX_Smt2Answer answer;
    answer.kind = BRIX_Smt2Answer::Kind::Unsat;
    return answer;
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

std::string BoxText(const brix::BoxBounds& box) {
    std::vector<std::string> sides;
    for (const brix::Bounds& side : box) {
        sides.push_back(BRIX_Smt2IntervalText(side.lo, side.hi));
    }
    return Join(sides);
}

std::string PartialReason(const brix::SolveResult& r, double seconds) {
    std::string reason;
    for (const std::string& line : r.reasons) {
        // The facade counts the time of the last stage; the limit is the whole check's.
        const std::string text = line.compare(0, 8, "time-out") == 0
                                     ? "time-out after " + Seconds(seconds) + " seconds"
                                     : line;
        reason += (reason.empty() ? "" : "; ") + text;
    }
    if (!r.openBoxes.empty()) {
        reason += (reason.empty() ? "" : "; ") + std::to_string(r.openBoxes.size()) +
                  " boxes left open (neither proved true nor false)";
    }
    return reason.empty() ? "the solve ended undecided" : reason;
}

// The answer a solve proves, if any: sat from a point of a true box (checked
// exactly without quantifiers) or an exactly checked candidate of an open
// box, unsat when every box was proved false.
bool Judge(const brix::SolveResult& r, const Ptr& formula, const std::vector<int>& vars,
           bool quantified, Point& point, BRIX_Smt2Answer& answer) {
    if (!r.solved) {
        answer = Unknown("internal: the translated formula was refused: " + r.error);
        return true;
    }
    if (vars.empty()) {
        if (r.truth != brix::Truth::Unknown) {
            answer = r.truth == brix::Truth::True ? Sat({}, {}) : Unsat();
            return true;
        }
        return false;
    }
    for (std::size_t b = 0; b < r.trueBoxes.size() && b < kBoxesTried; ++b) {
        for (std::size_t i = 0; i < vars.size(); ++i) {
            const brix::Bounds& side = r.trueBoxes[b][i];
            point[static_cast<std::size_t>(vars[i])] = PointIn(side.lo, side.hi);
        }
        // Every point of a true box satisfies the formula; without quantifiers
        // that is checked once more, exactly.
        if (quantified || BRIX_Smt2Holds(formula, point)) {
            answer = Sat(vars, point);
            return true;
        }
    }
    if (!r.trueBoxes.empty()) {
        answer = Unknown("internal: no point of a proved box passed the exact check");
        return true;
    }
    if (r.complete && r.openBoxes.empty() && !r.timedOut && !r.precisionLost) {
        answer = Unsat();
        return true;
    }
    for (std::size_t b = 0; !quantified && b < r.openBoxes.size() && b < kBoxesTried; ++b) {
        for (std::size_t i = 0; i < vars.size(); ++i) {
            const brix::Bounds& side = r.openBoxes[b][i];
            point[static_cast<std::size_t>(vars[i])] = PointIn(side.lo, side.hi);
        }
        if (BRIX_Smt2TryCandidates(formula, vars, point)) {
            answer = Sat(vars, point);
            return true;
        }
    }
    return false;
}

}  // namespace

BRIX_Smt2Answer BRIX_Smt2Check(const std::vector<Ptr>& assertions,
                               const std::vector<std::string>& names,
                               const brix::SolveOptions& options, bool solve) {
    const Ptr formula = BRIX_Smt2And(assertions);
    if (formula->unsupported != nullptr) {
        return Unknown(*formula->unsupported);
    }
    if (formula->op == Op::True || formula->op == Op::False) {
        return formula->op == Op::True ? Sat({}, {}) : Unsat();
    }
    std::vector<int> vars;
    BRIX_Smt2FreeVars(formula, vars);
    std::map<int, BRIX_Smt2Range> ranges;
    BRIX_Smt2CollectBounds(formula, ranges);
    for (int v : vars) {
        if (ranges[v].Empty()) {
            return Unsat();
        }
    }
    // Candidates before any solve: the simplest point of the bounds, then
    // their lower and their upper corner (where the bound is attained).
    Point corners[3] = {Point(names.size()), Point(names.size()), Point(names.size())};
    for (int v : vars) {
        const BRIX_Smt2Range& range = ranges[v];
        if (!range.Finite()) {
            return Unknown("variable '" + names[static_cast<std::size_t>(v)] +
                           "' has no finite bounds in the top-level conjunction of the assertions");
        }
        const mpq_class simplest = range.lo.value == range.hi.value
                                       ? range.lo.value
                                       : BRIX_Smt2Simplest(range.lo.value, range.hi.value);
        const auto k = static_cast<std::size_t>(v);
        corners[0][k] = simplest;
        corners[1][k] = range.lo.strict ? simplest : range.lo.value;
        corners[2][k] = range.hi.strict ? simplest : range.hi.value;
    }
    const bool quantified = HasQuantifier(formula);
    for (int c = 0; c < 3 && !quantified; ++c) {
        if (BRIX_Smt2TryCandidates(formula, vars, corners[c])) {
            return Sat(vars, corners[c]);
        }
    }
    Point& point = corners[0];
    std::string text;
    std::string reason;
    if (!BRIX_Smt2Translator(names, BRIX_Smt2TextLimit).Translate(formula, text, reason)) {
        return Unknown(reason);
    }
    if (!solve) {
        return Unknown("not solved");
    }
    std::vector<std::string> brixNames;
    brix::BoxBounds box;
    for (int v : vars) {
        brixNames.push_back(BRIX_Smt2VarName(v));
        double lo = 0;
        double hi = 0;
        double ignored = 0;
        if (!BRIX_Smt2Enclose(ranges[v].lo.value, lo, ignored) ||
            !BRIX_Smt2Enclose(ranges[v].hi.value, ignored, hi)) {
            return Unknown("a bound of variable '" + names[static_cast<std::size_t>(v)] +
                           "' is beyond the doubles");
        }
        box.push_back({lo, hi});
    }
    // Three ways to an answer take turns, each up to a deadline (a share of
    // the limit) that grows from round to round, since each may stall where
    // another decides at once: the refinement that stops at the first true
    // box (it gives up at once when an existential quantifier inside does);
    // the refinement of the whole box to a small error bound (after either,
    // the candidates of the open boxes are tried); the closed sentence "F
    // holds nowhere in the box", whose proof is unsat (a quantifier inside is
    // often decided faster so). Last, the whole box to the error bound asked
    // for, in the time left.
    struct Stage {
        bool single;
        double errorBound;
        double share;  // of the time limit: the deadline
        bool refute;
    };
    const double e = options.errorBound;
    const double small = std::max(e, kStageErrorBound);
    const bool single = options.singleBox;
    const Stage stages[] = {{single, e, 0.05, false},    {false, small, 0.1, false},
                            {false, e, 0.15, true},      {single, e, 0.3, false},
                            {false, small, 0.45, false}, {false, e, 0.6, true},
                            {single, e, 0.7, false},     {false, small, 0.8, false},
                            {false, e, 0.9, true},       {false, e, 1, false}};
    const double limit = options.timeoutSeconds > 0 ? options.timeoutSeconds : kNoLimitFirstStage;
    const std::string refutation =
        "FORALL([" + Join(brixNames) + "], [" + BoxText(box) + "], ~(" + text + "))";
    const std::clock_t start = std::clock();
    brix::SolveResult r;
    for (const Stage& stage : stages) {
        const double used = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        if (used >= limit && options.timeoutSeconds > 0) {
            break;
        }
        brix::SolveOptions staged = options;
        staged.singleBox = stage.single;
        staged.errorBound = stage.errorBound;
        const bool brief = stage.share < 1;
        if ((brief && used >= stage.share * limit) || (stage.refute && vars.empty())) {
            continue;  // past its deadline; a closed formula is a sentence already
        }
        if (brief || options.timeoutSeconds > 0) {
            staged.timeoutSeconds = std::max(1e-3, (brief ? stage.share * limit : limit) - used);
        }
        if (stage.refute) {
            const brix::SolveResult sentence = brix::Solver(staged).Solve(refutation, {}, {});
            if (sentence.solved && sentence.truth == brix::Truth::True) {
                return Unsat();
            }
            continue;
        }
        r = brix::Solver(staged).Solve(text, brixNames, box);
        BRIX_Smt2Answer answer;
        if (Judge(r, formula, vars, quantified, point, answer)) {
            return answer;
        }
        if (r.timedOut && !brief) {
            break;
        }
    }
    return Unknown(PartialReason(r, options.timeoutSeconds));
}
