#include "Driver/BRIX_Smt2Check.h"

#include "Driver/BRIX_Smt2Translate.h"

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
                    if (!Form(a, s, o) || (!add && s != 0 && slope != 0)) {
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

std::string PartialReason(const brix::SolveResult& r) {
    std::string reason;
    for (const std::string& line : r.reasons) {
        reason += (reason.empty() ? "" : "; ") + line;
    }
    if (!r.openBoxes.empty()) {
        reason += (reason.empty() ? "" : "; ") + std::to_string(r.openBoxes.size()) +
                  " boxes left open (neither proved true nor false)";
    }
    return reason.empty() ? "the solve ended undecided" : reason;
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
                               const std::vector<std::string>& names, brix::Solver& solver) {
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
    Point point(names.size());
    for (int v : vars) {
        const BRIX_Smt2Range& range = ranges[v];
        if (!range.Finite()) {
            return Unknown("variable '" + names[static_cast<std::size_t>(v)] +
                           "' has no finite bounds in the top-level conjunction of the assertions");
        }
        point[static_cast<std::size_t>(v)] =
            range.lo.value == range.hi.value ? range.lo.value
                                             : BRIX_Smt2Simplest(range.lo.value, range.hi.value);
    }
    const bool quantified = HasQuantifier(formula);
    if (!quantified && TryCandidates(formula, vars, point)) {
        return Sat(vars, point);
    }
    std::string text;
    std::string reason;
    if (!BRIX_Smt2Translator(names, BRIX_Smt2TextLimit).Translate(formula, text, reason)) {
        return Unknown(reason);
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
    const brix::SolveResult r = solver.Solve(text, brixNames, box);
    if (!r.solved) {
        return Unknown("internal: the translated formula was refused: " + r.error);
    }
    if (vars.empty()) {
        if (r.truth == brix::Truth::True) {
            return Sat({}, {});
        }
        return r.truth == brix::Truth::False ? Unsat() : Unknown(PartialReason(r));
    }
    for (std::size_t b = 0; b < r.trueBoxes.size() && b < kBoxesTried; ++b) {
        for (std::size_t i = 0; i < vars.size(); ++i) {
            const brix::Bounds& side = r.trueBoxes[b][i];
            point[static_cast<std::size_t>(vars[i])] = PointIn(side.lo, side.hi);
        }
        // Every point of a true box satisfies the formula; without quantifiers
        // that is checked once more, exactly.
        if (quantified || Holds(formula, point)) {
            return Sat(vars, point);
        }
    }
    if (!r.trueBoxes.empty()) {
        return Unknown("internal: no point of a proved box passed the exact check");
    }
    if (r.complete && r.openBoxes.empty() && !r.timedOut && !r.precisionLost) {
        return Unsat();
    }
    for (std::size_t b = 0; !quantified && b < r.openBoxes.size() && b < kBoxesTried; ++b) {
        for (std::size_t i = 0; i < vars.size(); ++i) {
            const brix::Bounds& side = r.openBoxes[b][i];
            point[static_cast<std::size_t>(vars[i])] = PointIn(side.lo, side.hi);
        }
        if (TryCandidates(formula, vars, point)) {
            return Sat(vars, point);
        }
    }
    return Unknown(PartialReason(r));
}
