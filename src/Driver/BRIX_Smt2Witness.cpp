#include "Driver/BRIX_Smt2Witness.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Op = BRIX_Smt2Op;
using Point = std::vector<mpq_class>;

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
                         : slope == 0       ? point_[static_cast<std::size_t>(t->var)]
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

// The equations among the top-level conjuncts of the formula, as rows
// a . (x - point) = -residual of their linearisation at the point (exact for
// equations linear in every variable), solved by Gaussian elimination with the
// variables of no pivot kept at the point: true, with `point` moved to the
// solution, when the formula holds there.
bool SolveEquations(const Ptr& formula, const std::vector<int>& vars, Point& point) {
    std::vector<std::vector<mpq_class>> rows;  // coefficients, then minus the residual
    const std::vector<Ptr> conjuncts =
        formula->op == Op::And ? formula->args : std::vector<Ptr>{formula};
    for (const Ptr& c : conjuncts) {
        if (c->op != Op::Eq || rows.size() >= kEquationsTried) {
            continue;
        }
        std::vector<mpq_class> row;
        mpq_class residual;
        for (int x : vars) {
            Linear linear(x, point);
            mpq_class s0, o0, s1, o1;
            if (!linear.Form(c->args[0], s0, o0) || !linear.Form(c->args[1], s1, o1)) {
                break;
            }
            row.push_back(s0 - s1);
            residual = (s0 - s1) * point[static_cast<std::size_t>(x)] + o0 - o1;
        }
        if (row.size() == vars.size()) {
            row.push_back(-residual);
            rows.push_back(std::move(row));
        }
    }
    const std::size_t n = vars.size();
    std::vector<std::size_t> pivots;  // column of each pivot row, in order
    for (std::size_t col = 0, r = 0; col < n && r < rows.size(); ++col) {
        std::size_t p = r;
        while (p < rows.size() && rows[p][col] == 0) {
            ++p;
        }
        if (p == rows.size()) {
            continue;
        }
        std::swap(rows[p], rows[r]);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i == r || rows[i][col] == 0) {
                continue;
            }
            const mpq_class factor = rows[i][col] / rows[r][col];
            for (std::size_t k = col; k <= n; ++k) {
                if (!BRIX_Smt2Small(factor, rows[r][k])) {
                    return false;
                }
                rows[i][k] -= factor * rows[r][k];
            }
        }
        pivots.push_back(col);
        ++r;
    }
    for (std::size_t i = pivots.size(); i < rows.size(); ++i) {
        if (rows[i][n] != 0) {
            return false;  // the linearised equations contradict each other
        }
    }
    Point moved = point;
    for (std::size_t i = 0; i < pivots.size(); ++i) {
        const auto x = static_cast<std::size_t>(vars[pivots[i]]);
        moved[x] += rows[i][n] / rows[i][pivots[i]];
    }
    if (!Holds(formula, moved)) {
        return false;
    }
    point = std::move(moved);
    return true;
}

}  // namespace

bool BRIX_Smt2Holds(const Ptr& formula, const Point& point) {
    return Holds(formula, point);
}

bool BRIX_Smt2TryCandidates(const Ptr& formula, const std::vector<int>& vars, Point& point) {
    if (BRIX_Smt2Holds(formula, point)) {
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
            if (BRIX_Smt2Holds(formula, moved)) {
                point = std::move(moved);
                return true;
            }
        }
    }
    return SolveEquations(formula, vars, point);
}

mpq_class BRIX_Smt2Simplest(const mpq_class& lo, const mpq_class& hi) {
    if (sgn(lo) < 0 && sgn(hi) > 0) {
        return 0;
    }
    if (sgn(hi) <= 0) {
        return -SimplestNonNegative(-hi, -lo, false);
    }
    return SimplestNonNegative(lo, hi, false);
}
