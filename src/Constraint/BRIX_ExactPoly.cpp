#include "Constraint/BRIX_ExactPoly.h"

#include "Constraint/BRIX_Builder.h"
#include "Constraint/BRIX_BuilderPoly.h"
#include "Interval/Iv_Convert.h"
#include "Interval/Iv_Rational.h"

#include <cstring>
#include <map>
#include <utility>

namespace {

using Itvl = Iv_Itvl<double>;

// Limb operations the exact path may spend on one relation before it hands
// the relation to interval arithmetic: big powers of long decimals grow fast.
// Term pairs are counted before a product is formed, so a product too large
// for the budget costs nothing.
constexpr long kExactBudget = 4000000;

// A closed interval of rationals, lo <= hi.
struct RatItvl {
    Iv_Rational lo;
    Iv_Rational hi;
    bool IsZero() const { return lo.Sign() == 0 && hi.Sign() == 0; }
    bool HasZero() const { return lo.Sign() <= 0 && hi.Sign() >= 0; }
};

using Exponents = std::vector<int>;
// Terms by exponent vector; no term has the coefficient [0, 0].
using RatPoly = std::map<Exponents, RatItvl>;

class Exact {
public:
    Exact(const std::vector<const char*>& names,
          const std::unordered_set<const Ex_ExprCell*>& withNames)
        : names_(names), withNames_(withNames), k_(static_cast<int>(names.size())) {}

    bool Convert(const Ex_Expr& t, RatPoly& out) {
        Ex_Expr x = t;
        x.Force();
        if (withNames_.count(x.Cell()) == 0) {
            RatItvl c;
            if (!Constant(x, c) && !Enclosed(x, c)) {
                return false;
            }
            out.clear();
            if (!c.IsZero()) {
                out.emplace(Exponents(static_cast<std::size_t>(k_), 0), std::move(c));
            }
            return true;
        }
        const char* head = x.Head();
        if (head == nullptr) {
            return false;
        }
        if (x.Arity() == 0) {
            for (int i = 0; i < k_; ++i) {
                if (std::strcmp(head, names_[static_cast<std::size_t>(i)]) == 0) {
                    Exponents e(static_cast<std::size_t>(k_), 0);
                    e[static_cast<std::size_t>(i)] = 1;
                    out.clear();
                    out.emplace(std::move(e), Point(Iv_Rational(1.0)));
                    return true;
                }
            }
            return false;
        }
        RatPoly a;
        RatPoly b;
        if (x.Arity() == 2 && std::strcmp(head, "^") == 0) {
            long n = 0;
            return BRIX_ReadExponent(x.Arg(1), false, n) && Convert(x.Arg(0), a) &&
                   Power(a, n, out);
        }
        if (x.Arity() == 1 && (std::strcmp(head, "-") == 0 || std::strcmp(head, "+") == 0)) {
            if (!Convert(x.Arg(0), out)) {
                return false;
            }
            if (head[0] == '-') {
                for (auto& term : out) {
                    term.second = Negate(term.second);
                }
            }
            return true;
        }
        if (x.Arity() != 2 || !Convert(x.Arg(0), a) || !Convert(x.Arg(1), b)) {
            return false;
        }
        if (std::strcmp(head, "*") == 0) {
            return Multiply(a, b, out);
        }
        const bool sum = std::strcmp(head, "+") == 0;
        if (!sum && std::strcmp(head, "-") != 0) {
            return false;
        }
        out = std::move(a);
        for (auto& term : b) {
            Add(out, term.first, sum ? std::move(term.second) : Negate(term.second));
        }
        return static_cast<long>(out.size()) <= kBuilderMaxTerms;
    }

private:
    static RatItvl Point(const Iv_Rational& v) { return RatItvl{v, v}; }
    static RatItvl Negate(const RatItvl& a) { return RatItvl{-a.hi, -a.lo}; }

    bool Spend(const Iv_Rational& a, const Iv_Rational& b) {
        work_ += static_cast<long>(a.Size() + b.Size()) + 1;
        return work_ <= kExactBudget;
    }

    bool Product(const RatItvl& a, const RatItvl& b, RatItvl& out) {
        if (a.lo == a.hi && b.lo == b.hi) {
            if (!Spend(a.lo, b.lo)) {
                return false;
            }
            out = Point(a.lo * b.lo);
            return true;
        }
        const Iv_Rational* ends[2][2] = {{&a.lo, &a.hi}, {&b.lo, &b.hi}};
        bool first = true;
        for (const Iv_Rational* u : ends[0]) {
            for (const Iv_Rational* v : ends[1]) {
                if (!Spend(*u, *v)) {
                    return false;
                }
                Iv_Rational p = *u * *v;
                if (first || p < out.lo) {
                    out.lo = p;
                }
                if (first || out.hi < p) {
                    out.hi = std::move(p);
                }
                first = false;
            }
        }
        return true;
    }

    // Adds c to the term with exponents e (dropping it when it becomes 0).
    static void Add(RatPoly& p, const Exponents& e, RatItvl c) {
        auto it = p.find(e);
        if (it == p.end()) {
            if (!c.IsZero()) {
                p.emplace(e, std::move(c));
            }
            return;
        }
        it->second.lo = it->second.lo + c.lo;
        it->second.hi = it->second.hi + c.hi;
        if (it->second.IsZero()) {
            p.erase(it);
        }
    }

    bool Multiply(const RatPoly& a, const RatPoly& b, RatPoly& out) {
        work_ += static_cast<long>(a.size()) * static_cast<long>(b.size());
        if (work_ > kExactBudget) {
            return false;
        }
        RatPoly r;
        for (const auto& s : a) {
            for (const auto& t : b) {
                Exponents e = s.first;
                int degree = 0;
                for (int i = 0; i < k_; ++i) {
                    e[i] += t.first[i];
                    degree += e[i];
                }
                RatItvl c;
                if (degree > kBuilderMaxDegree || !Product(s.second, t.second, c)) {
                    return false;
                }
                Add(r, e, std::move(c));
                if (static_cast<long>(r.size()) > kBuilderMaxTerms) {
                    return false;
                }
            }
        }
        out = std::move(r);
        return true;
    }

    // base^n (n >= 0) by square and multiply.
    bool Power(RatPoly base, long n, RatPoly& out) {
        RatPoly one;
        one.emplace(Exponents(static_cast<std::size_t>(k_), 0), Point(Iv_Rational(1.0)));
        return SquareAndMultiply(
            std::move(base), n, std::move(one),
            [this](const RatPoly& a, const RatPoly& b, RatPoly& r) { return Multiply(a, b, r); },
            out);
    }

    // The exact value of a subtree without names: numerals, interval
    // literals, + - * /, ^ with an integer exponent. False for anything else.
    bool Constant(const Ex_Expr& e, RatItvl& out) {
        Ex_Expr x = e;
        x.Force();
        if (x.IsList()) {
            RatItvl a;
            RatItvl b;
            if (x.Arity() == 1) {
                return Constant(x.Arg(0), out) && out.lo == out.hi;
            }
            if (x.Arity() != 2 || !Constant(x.Arg(0), a) || !Constant(x.Arg(1), b) ||
                a.lo != a.hi || b.lo != b.hi || b.lo < a.lo) {
                return false;  // an upside-down literal has no value
            }
            out = RatItvl{a.lo, b.lo};
            return true;
        }
        const char* head = x.Head();
        if (head == nullptr) {
            return false;
        }
        if (x.Arity() == 0) {
            Iv_Rational v;
            if (!Iv_Rational::FromDecimal(head, v)) {
                return false;
            }
            out = Point(v);
            return true;
        }
        RatItvl a;
        RatItvl b;
        if (x.Arity() == 1) {
            if (!Constant(x.Arg(0), a)) {
                return false;
            }
            if (std::strcmp(head, "-") == 0) {
                out = Negate(a);
                return true;
            }
            out = std::move(a);
            return std::strcmp(head, "+") == 0;
        }
        if (x.Arity() != 2 || !Constant(x.Arg(0), a)) {
            return false;
        }
        if (std::strcmp(head, "^") == 0) {
            long n = 0;
            return BRIX_ReadExponent(x.Arg(1), true, n) && IntervalPower(a, n, out);
        }
        if (!Constant(x.Arg(1), b)) {
            return false;
        }
        if (std::strcmp(head, "+") == 0 || std::strcmp(head, "-") == 0) {
            const RatItvl c = head[0] == '+' ? std::move(b) : Negate(b);
            out = RatItvl{a.lo + c.lo, a.hi + c.hi};
            return true;
        }
        if (std::strcmp(head, "*") == 0) {
            return Product(a, b, out);
        }
        if (std::strcmp(head, "/") == 0 && !b.HasZero()) {
            RatItvl reciprocal{Iv_Rational(1.0) / b.hi, Iv_Rational(1.0) / b.lo};
            return Product(a, reciprocal, out);
        }
        return false;
    }

    // {x^n : x in a}: by the signs of the ends, the even powers of an
    // interval around 0 starting at 0. A negative n needs a without 0.
    bool IntervalPower(RatItvl a, long n, RatItvl& out) {
        if (n < 0) {
            if (a.HasZero()) {
                return false;
            }
            a = RatItvl{Iv_Rational(1.0) / a.hi, Iv_Rational(1.0) / a.lo};
            n = -n;
        }
        Iv_Rational lo(1.0);
        Iv_Rational hi(1.0);
        for (long i = 0; i < n; ++i) {
            if (!Spend(lo, a.lo) || !Spend(hi, a.hi)) {
                return false;
            }
            lo = lo * a.lo;
            hi = hi * a.hi;
        }
        const bool even = n % 2 == 0;
        if (!even || a.lo.Sign() >= 0) {
            out = RatItvl{lo, hi};
        } else if (a.hi.Sign() <= 0) {
            out = RatItvl{hi, lo};
        } else {
            out = RatItvl{Iv_Rational(0.0), lo < hi ? hi : lo};
        }
        return true;
    }

    // A subtree without names the exact path does not take, as its
    // enclosure in doubles (exact rationals of its finite bounds).
    static bool Enclosed(const Ex_Expr& e, RatItvl& out) {
        Itvl v;
        if (!ExprToEnclosure(e, v) || v.IsEmpty() || !(v.lo <= v.hi) || IsInfOrNaN(v.lo) ||
            IsInfOrNaN(v.hi)) {
            return false;
        }
        out = RatItvl{Iv_Rational(v.lo), Iv_Rational(v.hi)};
        return true;
    }

    const std::vector<const char*>& names_;
    const std::unordered_set<const Ex_ExprCell*>& withNames_;
    const int k_;
    long work_ = 0;
};

}  // namespace

bool BuildExactPoly(const Ex_Expr& e, const std::vector<const char*>& names,
                    const std::unordered_set<const Ex_ExprCell*>& withNames, DistPoly& out) {
    RatPoly p;
    if (!Exact(names, withNames).Convert(e, p)) {
        return false;
    }
    const int k = static_cast<int>(names.size());
    DistPoly result(k);
    for (const auto& term : p) {
        double lo = 0.0;
        double hi = 0.0;
        double ignored = 0.0;
        term.second.lo.Enclose(lo, ignored);
        term.second.hi.Enclose(ignored, hi);
        result.AppendTerm(Itvl::FromBounds(lo, hi), term.first.data());
    }
    result.Normalize();
    out = std::move(result);
    return true;
}
