#include "fuzz/solve/FuzzEvaluator.h"

#include "fuzz/solve/FuzzRoots.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <utility>

namespace solvefuzz {

struct Evaluator::Compiled {
    Op op = Op::Number;
    ExactQ a, b;     // Number: a; Interval: [a, b]
    int slot = -1;   // Name: its variable's slot
    long power = 0;  // Pow: the exponent
    int rel = 0;     // Rel: index into kRelations
    std::vector<Compiled> kids;
    // Forall, Exists: the bound variables' slots and box.
    std::vector<int> slots;
    std::vector<ExactQ> lo, hi;
    bool pointBox = false;
};

namespace {

using Compiled = Evaluator::Compiled;

const char* const kRelations[] = {"<", "<=", ">", ">=", "=", "!="};

// The range of a polynomial over the coefficient choices; hi is unused for a
// point.
struct Range {
    ExactQ lo, hi;
    bool point = true;
    const ExactQ& Hi() const { return point ? lo : hi; }
};

Range Point(ExactQ v) {
    Range r;
    r.lo = std::move(v);
    return r;
}

Range Span(const ExactQ& x, const ExactQ& y) {
    Range r;
    r.point = false;
    r.lo = y < x ? y : x;
    r.hi = y < x ? x : y;
    return r;
}

Range Add(const Range& a, const Range& b) {
    if (a.point && b.point) {
        return Point(a.lo + b.lo);
    }
    Range r;
    r.point = false;
    r.lo = a.lo + b.lo;
    r.hi = a.Hi() + b.Hi();
    return r;
}

Range Negate(const Range& a) {
    return a.point ? Point(-a.lo) : Span(-a.hi, -a.lo);
}

Range Multiply(const Range& a, const Range& b) {
    if (a.point && b.point) {
        return Point(a.lo * b.lo);
    }
    if (a.point || b.point) {
        const Range& p = a.point ? a : b;
        const Range& s = a.point ? b : a;
        return Span(p.lo * s.lo, p.lo * s.hi);
    }
    ExactQ products[] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    Range r;
    r.point = false;
    r.lo = *std::min_element(std::begin(products), std::end(products));
    r.hi = *std::max_element(std::begin(products), std::end(products));
    return r;
}

// base^n over the base's range: monotone for odd n or a range on one side
// of 0, least at 0 for even n over a range holding 0.
Range Power(const Range& a, long n) {
    if (a.point) {
        return Point(Pow(a.lo, n));
    }
    ExactQ x = Pow(a.lo, n), y = Pow(a.hi, n);
    if (n % 2 == 1 || Sign(a.lo) >= 0 || Sign(a.hi) <= 0) {
        return Span(x, y);
    }
    return Span(ExactQ(0.0), y < x ? x : y);
}

// Value of a relation d REL 0 for d over [lo, hi].
int Decide(int rel, const Range& d) {
    const int lo = Sign(d.lo), hi = Sign(d.Hi());
    switch (rel) {
        case 0:  // <
            return hi < 0 ? kTrue : lo >= 0 ? kFalse : kUnknown;
        case 1:  // <=
            return hi <= 0 ? kTrue : lo > 0 ? kFalse : kUnknown;
        case 2:  // >
            return lo > 0 ? kTrue : hi <= 0 ? kFalse : kUnknown;
        case 3:  // >=
            return lo >= 0 ? kTrue : hi < 0 ? kFalse : kUnknown;
        case 4:  // =
            return lo == 0 && hi == 0 ? kTrue : lo > 0 || hi < 0 ? kFalse : kUnknown;
        default:  // !=
            return lo > 0 || hi < 0 ? kTrue : lo == 0 && hi == 0 ? kFalse : kUnknown;
    }
}

class Machine {
public:
    Machine(std::vector<ExactQ>& env, long& budget) : env_(env), budget_(budget) {}

    // False for a quotient whose divisor may be 0: the range is then unknown.
    bool Value(const Compiled& c, Range& out) {
        Range a, b;
        switch (c.op) {
            case Op::Number:
                out = Point(c.a);
                return true;
            case Op::Interval:
                out = Span(c.a, c.b);
                return true;
            case Op::Name:
                out = Point(env_[static_cast<std::size_t>(c.slot)]);
                return true;
            case Op::Neg:
                if (!Value(c.kids[0], a)) {
                    return false;
                }
                out = Negate(a);
                return true;
            case Op::Pow:
                if (!Value(c.kids[0], a)) {
                    return false;
                }
                out = Power(a, c.power);
                return true;
            default:
                break;
        }
        if (!Value(c.kids[0], a) || !Value(c.kids[1], b)) {
            return false;
        }
        switch (c.op) {
            case Op::Add:
                out = Add(a, b);
                return true;
            case Op::Sub:
                out = Add(a, Negate(b));
                return true;
            case Op::Div:
                if (Sign(b.lo) * Sign(b.Hi()) <= 0) {
                    return false;
                }
                out = Multiply(a, Span(ExactQ(1.0) / b.lo, ExactQ(1.0) / b.Hi()));
                return true;
            default:  // Mul, Juxt
                out = Multiply(a, b);
                return true;
        }
    }

    Knowledge Truth(const Compiled& c) {
        switch (c.op) {
            case Op::Rel: {
                --budget_;
                Range l, r;
                if (!Value(c.kids[0], l) || !Value(c.kids[1], r)) {
                    return {kFalse, kTrue};
                }
                int v = Decide(c.rel, Add(l, Negate(r)));
                return {v, v};
            }
            case Op::Not: {
                Knowledge k = Truth(c.kids[0]);
                return {kTrue - k.hi, kTrue - k.lo};
            }
            case Op::And:
            case Op::Or:
                return Junction(c.kids, c.op == Op::And);
            case Op::Implies: {
                Knowledge k = Truth(c.kids[0]);
                Knowledge premise{kTrue - k.hi, kTrue - k.lo};
                if (premise.lo == kTrue) {
                    return premise;
                }
                Knowledge q = Truth(c.kids[1]);
                return {std::max(premise.lo, q.lo), std::max(premise.hi, q.hi)};
            }
            default:
                return Quantified(c);
        }
    }

private:
    // And: the least of the operands; Or: the greatest. Stops once decided.
    Knowledge Junction(const std::vector<Compiled>& kids, bool isAnd) {
        Knowledge r = isAnd ? Knowledge{kTrue, kTrue} : Knowledge{kFalse, kFalse};
        for (const Compiled& kid : kids) {
            Knowledge k = Truth(kid);
            r = isAnd ? Knowledge{std::min(r.lo, k.lo), std::min(r.hi, k.hi)}
                      : Knowledge{std::max(r.lo, k.lo), std::max(r.hi, k.hi)};
            if ((isAnd && r.hi == kFalse) || (!isAnd && r.lo == kTrue)) {
                break;
            }
        }
        return r;
    }

    Knowledge Quantified(const Compiled& c) {
        const bool forall = c.op == Op::Forall;
        if (budget_ <= 0) {
            return {kFalse, kTrue};
        }
        Knowledge exact;
        if (RootDecides(c, exact)) {
            return exact;
        }
        const std::size_t k = c.slots.size();
        const int steps = GridPoints(k) - 1;
        std::vector<int> at(k, 0);
        // Forall: the least grid value bounds it from above; Exists: the
        // greatest bounds it from below. The other bound is exact only on a
        // point box.
        Knowledge seen = forall ? Knowledge{kTrue, kTrue} : Knowledge{kFalse, kFalse};
        for (;;) {
            for (std::size_t i = 0; i < k; ++i) {
                ExactQ& v = env_[static_cast<std::size_t>(c.slots[i])];
                v = c.lo[i] + (c.hi[i] - c.lo[i]) * ExactQ(at[i]) / ExactQ(steps);
            }
            Knowledge body = Truth(c.kids[0]);
            seen = forall ? Knowledge{std::min(seen.lo, body.lo), std::min(seen.hi, body.hi)}
                          : Knowledge{std::max(seen.lo, body.lo), std::max(seen.hi, body.hi)};
            if ((forall && seen.hi == kFalse) || (!forall && seen.lo == kTrue) || budget_ <= 0) {
                break;
            }
            std::size_t i = 0;
            while (i < k && ++at[i] > (c.lo[i] == c.hi[i] ? 0 : steps)) {
                at[i++] = 0;
            }
            if (i == k) {
                break;
            }
        }
        if (c.pointBox) {
            return seen;  // the body's value at the one point of the box
        }
        return forall ? Knowledge{kFalse, seen.hi} : Knowledge{seen.lo, kTrue};
    }

    // EXISTS y: p = 0 and FORALL y: p != 0 over one bound variable with
    // exact coefficients are decided exactly: p, a polynomial in y at the
    // point, is interpolated from its values and its roots counted (Sturm).
    // False when that does not apply (interval coefficients, a quotient by
    // y, a point box), and the grid is used instead.
    bool RootDecides(const Compiled& c, Knowledge& out) {
        const bool forall = c.op == Op::Forall;
        if (c.slots.size() != 1 || c.pointBox || c.kids[0].op != Op::Rel ||
            c.kids[0].rel != (forall ? 5 : 4)) {
            return false;
        }
        const Compiled& rel = c.kids[0];
        const int slot = c.slots[0];
        const int degree = std::max(DegreeIn(rel.kids[0], slot), DegreeIn(rel.kids[1], slot));
        if (degree < 0 || degree > 16 || budget_ < degree + 1) {
            return false;
        }
        std::vector<ExactQ> values;
        const int count = degree + 1 < 2 ? 2 : degree + 1;
        for (int j = 0; j < count; ++j) {
            env_[static_cast<std::size_t>(slot)] =
                c.lo[0] + (c.hi[0] - c.lo[0]) * ExactQ(j) / ExactQ(count - 1);
            Range l, r;
            --budget_;
            if (!Value(rel.kids[0], l) || !Value(rel.kids[1], r) || !l.point || !r.point) {
                return false;
            }
            values.push_back(l.lo - r.lo);
        }
        const bool root = HasRootIn(Interpolate(c.lo[0], c.hi[0], values), c.lo[0], c.hi[0]);
        const int v = root != forall ? kTrue : kFalse;
        out = {v, v};
        return true;
    }

    // The degree of c in the variable of slot; -1 when c is no polynomial in
    // it (a quotient by it, a negative power of it).
    static int DegreeIn(const Compiled& c, int slot) {
        switch (c.op) {
            case Op::Number:
            case Op::Interval:
                return 0;
            case Op::Name:
                return c.slot == slot ? 1 : 0;
            case Op::Neg:
                return DegreeIn(c.kids[0], slot);
            case Op::Pow: {
                const int d = DegreeIn(c.kids[0], slot);
                return d <= 0 ? d : (c.power < 0 ? -1 : static_cast<int>(d * c.power));
            }
            case Op::Add:
            case Op::Sub:
            case Op::Mul:
            case Op::Juxt:
            case Op::Div: {
                const int a = DegreeIn(c.kids[0], slot);
                const int b = DegreeIn(c.kids[1], slot);
                if (a < 0 || b < 0 || (c.op == Op::Div && b > 0)) {
                    return -1;
                }
                return c.op == Op::Add || c.op == Op::Sub ? std::max(a, b)
                                                          : (c.op == Op::Div ? a : a + b);
            }
            default:
                return -1;
        }
    }

    std::vector<ExactQ>& env_;
    long& budget_;
};

using Scope = std::vector<std::pair<std::string, int>>;

class Compiler {
public:
    Compiler(bool asDoubles, std::string& error) : asDoubles_(asDoubles), error_(error) {}

    bool Numeral(const std::string& text, ExactQ& out) {
        if (!ParseDecimal(text, out)) {
            error_ = "not a numeral: " + text;
            return false;
        }
        if (asDoubles_) {
            out = ExactQ(NearestDouble(text));
        }
        return true;
    }

    bool Build(const Node& n, Scope& scope, int& slots, Compiled& c) {
        c.op = n.op;
        switch (n.op) {
            case Op::Number:
                return Numeral(n.text, c.a);
            case Op::Interval:
                return Numeral(n.text, c.a) && Numeral(n.text2, c.b);
            case Op::Name:
                for (auto it = scope.rbegin(); it != scope.rend(); ++it) {
                    if (it->first == n.text) {
                        c.slot = it->second;
                        return true;
                    }
                }
                error_ = "a name not in scope: " + n.text;
                return false;
            case Op::Pow:
                c.power = std::strtol(n.text.c_str(), nullptr, 10);
                if (c.power < 0 || c.power > 64) {
                    error_ = "an exponent out of range: " + n.text;
                    return false;
                }
                break;
            case Op::Rel:
                c.rel = static_cast<int>(
                    std::find(std::begin(kRelations), std::end(kRelations), n.text) -
                    std::begin(kRelations));
                break;
            case Op::Forall:
            case Op::Exists:
                return Quantifier(n, scope, slots, c);
            default:
                break;
        }
        c.kids.resize(n.kids.size());
        for (std::size_t i = 0; i < n.kids.size(); ++i) {
            if (!Build(n.kids[i], scope, slots, c.kids[i])) {
                return false;
            }
        }
        return true;
    }

private:
    bool Quantifier(const Node& n, Scope& scope, int& slots, Compiled& c) {
        const std::size_t outer = scope.size();
        c.pointBox = true;
        for (std::size_t i = 0; i < n.names.size(); ++i) {
            c.lo.emplace_back();
            c.hi.emplace_back();
            if (!Numeral(n.box[i].lo, c.lo.back()) || !Numeral(n.box[i].hi, c.hi.back())) {
                return false;
            }
            c.pointBox = c.pointBox && c.lo.back() == c.hi.back();
            c.slots.push_back(slots);
            scope.emplace_back(n.names[i], slots++);
        }
        c.kids.resize(1);
        bool built = Build(n.kids[0], scope, slots, c.kids[0]);
        scope.resize(outer);
        return built;
    }

    bool asDoubles_;
    std::string& error_;
};

}  // namespace

int GridPoints(std::size_t k) {
    return k <= 1 ? 17 : k == 2 ? 6 : k == 3 ? 3 : 2;
}

Evaluator::Evaluator(const Node& constraint, const std::vector<std::string>& freeVariables,
                     bool asDoubles)
    : root_(new Compiled) {
    Scope scope;
    for (const std::string& name : freeVariables) {
        scope.emplace_back(name, slots_++);
    }
    Compiler compiler(asDoubles, error_);
    if (!compiler.Build(constraint, scope, slots_, *root_) && error_.empty()) {
        error_ = "not a constraint";
    }
}

Evaluator::~Evaluator() = default;

Knowledge Evaluator::At(const std::vector<ExactQ>& point, long& budget) const {
    std::vector<ExactQ> env(static_cast<std::size_t>(slots_));
    assert(point.size() <= env.size());
    std::copy(point.begin(), point.end(), env.begin());
    Machine machine(env, budget);
    return machine.Truth(*root_);
}

bool PolyValue(const Node& poly, const std::vector<std::pair<std::string, ExactQ>>& at,
               ExactQ& out) {
    Scope scope;
    std::vector<ExactQ> env;
    for (const auto& [name, value] : at) {
        scope.emplace_back(name, static_cast<int>(env.size()));
        env.push_back(value);
    }
    std::string error;
    Compiler compiler(false, error);
    Compiled c;
    int slots = static_cast<int>(env.size());
    long budget = 1;
    Range r;
    if (!compiler.Build(poly, scope, slots, c) || !Machine(env, budget).Value(c, r)) {
        return false;
    }
    // Every value between the least and the greatest is taken for some
    // choice of the coefficients.
    out = (r.lo + r.Hi()) * ExactQ(0.5);
    return true;
}

}  // namespace solvefuzz
