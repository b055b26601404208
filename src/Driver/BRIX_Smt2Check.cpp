#include "Driver/BRIX_Smt2Check.h"

#include "Driver/BRIX_Smt2Translate.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Op = BRIX_Smt2Op;
using Point = std::vector<mpq_class>;

// Boxes whose points are tried: enough for the first few candidates.
constexpr std::size_t kBoxesTried = 64;
constexpr std::size_t kEquationsTried = 32;
// The error bound of the middle stage of a solve.
constexpr double kStageErrorBound = 1e-3;
// Without a time limit the brief first stage still takes this long at most.
constexpr double kNoLimitFirstStage = 60;

// The simplest rational in (lo, hi), 0 <= lo < hi; hi absent when infinite.
// Continued fractions: the common leading terms, then the smallest integer
// that separates the rest.
mpq_class SimplestNonNegative(mpq_class lo, mpq_class hi, bool hiInfinite) {
    std::vector<mpz_class> terms;
    for (;;) {
        mpz_class whole;
        mpz_fdiv_q(whole.get_mpz_t(), lo.get_num_mpz_t(), lo.get_den_mpz_t());
        if (hiInfinite || mpq_class(whole + 1) < hi) {
            terms.push_back(whole + 1);
            break;
        }
        terms.push_back(whole);
        // lo - whole < hi - whole <= 1: the next terms come from the inverses.
        const mpq_class restLo = lo - whole;
        const mpq_class restHi = hi - whole;
        hiInfinite = restLo == 0;
        lo = 1 / restHi;
        if (!hiInfinite) {
            hi = 1 / restLo;
        }
    }
    mpq_class value = terms.back();
    for (std::size_t i = terms.size() - 1; i-- > 0;) {
        value = terms[i] + 1 / value;
    }
    return value;
}

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

std::vector<Ptr> Equations(const Ptr& t) {
    std::vector<Ptr> found;
    std::unordered_set<const BRIX_Smt2Term*> seen;
    std::vector<Ptr> stack{t};
    while (!stack.empty() && found.size() < kEquationsTried) {
        Ptr node = stack.back();
        stack.pop_back();
        if (node->op == Op::Eq) {
            found.push_back(node);
        } else if (node->isBool) {
            for (const Ptr& a : node->args) {
                if (seen.insert(a.get()).second) {
                    stack.push_back(a);
                }
            }
        }
    }
    return found;
}

// t as slope * x + offset in the variable x, the others at `point`; false
// when t is not linear in x.
class Linear {
public:
    Linear(int x, const Point& point) : x_(x), point_(point) {}
    bool Form(const Ptr& t, mpq_class& slope, mpq_class& offset) {
        const auto memo = memo_.find(t.get());
        if (memo != memo_.end()) {
            slope = memo->second.first;
            offset = memo->second.second;
            return true;
        }
        switch (t->op) {
            case Op::Const:
            case Op::Var:
                slope = t->op == Op::Var && t->var == x_ ? 1 : 0;
                offset = t->op == Op::Const ? t->value
                         : slope == 0      ? point_[static_cast<std::size_t>(t->var)]
                                           : mpq_class(0);
                break;
            case Op::Neg:
                if (!Form(t->args[0], slope, offset)) {
                    return false;
                }
                slope = -slope;
                offset = -offset;
                break;
            case Op::Add:
            case Op::Mul: {
                const bool add = t->op == Op::Add;
                slope = 0;
                offset = add ? 0 : 1;
                for (const Ptr& a : t->args) {
                    mpq_class s;
                    mpq_class o;
                    if (!Form(a, s, o) || (!add && s != 0 && slope != 0) ||
                        !BRIX_Smt2Small(slope, o) || !BRIX_Smt2Small(offset, s) ||
                        !BRIX_Smt2Small(offset, o)) {
                        return false;
                    }
                    slope = add ? mpq_class(slope + s) : mpq_class(slope * o + offset * s);
                    offset = add ? mpq_class(offset + o) : mpq_class(offset * o);
                }
                break;
            }
            default:
                return false;
        }
        memo_.emplace(t.get(), std::make_pair(slope, offset));
        return true;
    }

private:
    int x_;
    const Point& point_;
    std::unordered_map<const BRIX_Smt2Term*, std::pair<mpq_class, mpq_class>> memo_;
};

bool Holds(const Ptr& formula, const Point& point) {
    bool truth = false;
    return BRIX_Smt2Evaluator(point).Truth(formula, truth) && truth;
}

// The point itself, else the point with one variable moved to solve one
// equation of the formula exactly; true with `point` set to the one that
// satisfies the formula.
bool TryCandidates(const Ptr& formula, const std::vector<int>& vars, Point& point) {
    if (Holds(formula, point)) {
        return true;
    }
    for (const Ptr& equation : Equations(formula)) {
        for (int x : vars) {
            Linear linear(x, point);
            mpq_class s0, o0, s1, o1;
            if (!linear.Form(equation->args[0], s0, o0) ||
                !linear.Form(equation->args[1], s1, o1) || s0 == s1) {
                continue;
            }
            Point moved = point;
            if (!BRIX_Smt2Small(o1, o0) || !BRIX_Smt2Small(s0, s1)) {
                continue;
            }
            moved[static_cast<std::size_t>(x)] = (o1 - o0) / (s0 - s1);
            if (Holds(formula, moved)) {
                point = std::move(moved);
                return true;
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
        sides.push_back("[" + BRIX_Smt2DoubleText(side.lo) + ", " + BRIX_Smt2DoubleText(side.hi) +
                        "]");
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
        if (quantified || Holds(formula, point)) {
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
        if (TryCandidates(formula, vars, point)) {
            answer = Sat(vars, point);
            return true;
        }
    }
    return false;
}

}  // namespace

mpq_class BRIX_Smt2Simplest(const mpq_class& lo, const mpq_class& hi) {
    if (sgn(lo) < 0 && sgn(hi) > 0) {
        return 0;
    }
    if (sgn(hi) <= 0) {
        return -SimplestNonNegative(-hi, -lo, false);
    }
    return SimplestNonNegative(lo, hi, false);
}

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
        if (TryCandidates(formula, vars, corners[c])) {
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
    // The refinement that stops at the first true box, first briefly (the
    // candidates of its open boxes often decide); then the closed sentence
    // "F holds nowhere in the box", whose proof is unsat (a quantifier inside
    // is often decided faster so); then the first again in the time left; it
    // may end undecided when an existential quantifier inside gives up on a
    // box, so then the whole box is refined to a small error bound and to the
    // error bound asked for.
    struct Stage {
        bool single;
        double errorBound;
        double share;  // of the time limit, at most
        bool refute;
    };
    const double e = options.errorBound;
    const Stage stages[] = {{options.singleBox, e, 0.05, false},
                            {false, e, 0.3, true},
                            {options.singleBox, e, 1, false},
                            {false, std::max(e, kStageErrorBound), 1, false},
                            {false, e, 1, false}};
    const double limit = options.timeoutSeconds > 0 ? options.timeoutSeconds : kNoLimitFirstStage;
    const std::string refutation = "FORALL([" + Join(brixNames) + "], [" + BoxText(box) +
                                   "], ~(" + text + "))";
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
        if (brief || options.timeoutSeconds > 0) {
            staged.timeoutSeconds = std::max(1e-3, (brief ? stage.share * limit : limit) - used);
        }
        if (stage.refute && vars.empty()) {
            continue;  // a closed formula is decided as a sentence already
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
