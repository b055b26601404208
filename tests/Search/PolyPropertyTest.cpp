// Randomised soundness of the polynomial range enclosures and of the
// one-variable narrowing step, against exact rational evaluation (GMP).
//
// A polynomial with interval coefficients takes, at a point x, every value of
// sum c_t * x^e_t with c_t in its coefficient; that set is the exact interval
// computed by ExactRange. Every enclosure must contain it at every point of
// the box, and narrowing may only remove values of a variable at which the
// relation fails for every point of the other components and every choice of
// coefficients.
#include "support/RegistryScope.h"
#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_Narrowing.h"
#include "Search/BRIX_DistPoly.h"

#include "support/ExactRational.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

#if defined(__SANITIZE_ADDRESS__)
const int kCases = 2000;  // the instrumented build is slower; the optimised build runs more
#else
const int kCases = 20000;
#endif

double Uniform(std::mt19937_64& g, double lo, double hi) {
    double u = static_cast<double>(g() >> 11) / 9007199254740992.0;
    double x = lo + u * (hi - lo);
    return std::min(std::max(x, lo), hi);
}

// A coefficient: a small dyadic point, or an interval around it.
Itvl RandomCoefficient(std::mt19937_64& g) {
    double mid = static_cast<double>(static_cast<int>(g() % 33) - 16) / 4.0;
    if (g() % 2 == 0) {
        return Itvl(mid);
    }
    double width = Uniform(g, 0.0, 0.5);
    return Itvl(mid, mid + width);
}

DistPoly RandomPolynomial(std::mt19937_64& g, int variables) {
    DistPoly p(variables);
    int terms = 1 + static_cast<int>(g() % 6);
    int maxDegree = 1 + static_cast<int>(g() % 6);
    std::vector<int> e(static_cast<std::size_t>(variables));
    for (int t = 0; t < terms; ++t) {
        int budget = static_cast<int>(g() % static_cast<unsigned>(maxDegree + 1));
        for (int& x : e) {
            x = 0;
        }
        for (int k = 0; k < budget; ++k) {
            e[g() % static_cast<unsigned>(variables)] += 1;
        }
        p.AppendTerm(RandomCoefficient(g), e.data());
    }
    p.Normalize();
    return p;
}

Box RandomBox(std::mt19937_64& g, int n) {
    Box box(n);
    for (int i = 0; i < n; ++i) {
        double lo = Uniform(g, -3.0, 3.0);
        double hi = g() % 6 == 0 ? lo : lo + Uniform(g, 0.0, 3.0);
        if (g() % 12 == 0) {
            lo = -HUGE_VAL;
        }
        if (g() % 12 == 0) {
            hi = HUGE_VAL;
        }
        box.Set(i, Itvl(lo, hi));
    }
    return box;
}

// A finite point of the component (infinite sides are cut at +-1e3).
double RandomPoint(std::mt19937_64& g, const Itvl& c) {
    double lo = std::max(c.Lo(), -1e3), hi = std::min(c.Hi(), 1e3);
    if (lo > hi) {
        lo = hi = std::isinf(c.Lo()) ? hi : lo;
    }
    switch (g() % 4) {
        case 0:
            return lo;
        case 1:
            return hi;
        default:
            return Uniform(g, lo, hi);
    }
}

struct ExactInterval {
    ExactQ lo, hi;
};

// The exact set of values of p at x over all coefficient choices.
ExactInterval ExactRange(const DistPoly& p, const std::vector<double>& x) {
    ExactInterval r{ExactQ(0.0), ExactQ(0.0)};
    for (int t = 0; t < p.TermCount(); ++t) {
        ExactQ m(1.0);
        for (int j = 0; j < p.VariableCount(); ++j) {
            m = m * Pow(ExactQ(x[static_cast<std::size_t>(j)]), p.Exponent(t, j));
        }
        ExactQ a = ExactQ(p.Coefficient(t).Lo()) * m, b = ExactQ(p.Coefficient(t).Hi()) * m;
        if (b < a) {
            std::swap(a, b);
        }
        r.lo = r.lo + a;
        r.hi = r.hi + b;
    }
    return r;
}

// The exact set of values of a univariate interval polynomial at x.
ExactInterval ExactRange(const UnivPoly& q, double x) {
    ExactInterval r{ExactQ(0.0), ExactQ(0.0)};
    for (int t = 0; t < q.TermCount(); ++t) {
        ExactQ m = Pow(ExactQ(x), q.exponents[static_cast<std::size_t>(t)]);
        const Itvl& c = q.coefficients[static_cast<std::size_t>(t)];
        if (std::isinf(c.Lo()) || std::isinf(c.Hi())) {
            return {ExactQ(-1e300), ExactQ(1e300)};  // unbounded: encloses anything finite here
        }
        ExactQ a = ExactQ(c.Lo()) * m, b = ExactQ(c.Hi()) * m;
        if (b < a) {
            std::swap(a, b);
        }
        r.lo = r.lo + a;
        r.hi = r.hi + b;
    }
    return r;
}

bool Contains(const Itvl& e, const ExactInterval& exact) {
    return LessEq(e.Lo(), exact.lo) && LessEq(exact.hi, e.Hi());
}

// The defaults of the parameters the randomised cases change, restored afterwards.
struct RegistryGuard {
    ParamScope range{BRIX_Param::RangeMethod, 1};
    ParamScope univ{BRIX_Param::EvalToUnivMethod, 1};
    ParamScope inflate{BRIX_Param::InflateTightening, 1};
};

TEST(PolyProperty, EnclosuresContainEveryValue) {
    RegistryGuard guard;
    std::mt19937_64 g(TestSeed("PolyProperty.EnclosuresContainEveryValue"));
    const int univMethods[] = {0, 1, 2, 3, 4, 5, 6};
    for (int c = 0; c < kCases; ++c) {
        int n = 1 + static_cast<int>(g() % 4);
        DistPoly p = RandomPolynomial(g, n);
        Box box = RandomBox(g, n);
        UnivData data;
        PrepareUnivData(p, data);
        BRIX_SetParam(BRIX_Param::RangeMethod, g() % 2 == 0 ? 1 : 3);
        BRIX_SetParam(BRIX_Param::EvalToUnivMethod, univMethods[g() % 7]);
        Itvl plain = Evaluate(p, box), bicentered = BicenteredRange(p, box), range = Range(p, box);
        int var = static_cast<int>(g() % static_cast<unsigned>(n));
        UnivPoly univ = EvalToUniv(p, box, var, data);
        for (int k = 0; k < 6; ++k) {
            std::vector<double> x(static_cast<std::size_t>(n));
            for (int j = 0; j < n; ++j) {
                x[static_cast<std::size_t>(j)] = RandomPoint(g, box[j]);
            }
            ExactInterval exact = ExactRange(p, x);
            ASSERT_TRUE(Contains(plain, exact)) << "Evaluate, case " << c;
            ASSERT_TRUE(Contains(bicentered, exact)) << "BicenteredRange, case " << c;
            ASSERT_TRUE(Contains(range, exact)) << "Range, case " << c;
            ExactInterval u = ExactRange(univ, x[static_cast<std::size_t>(var)]);
            ASSERT_TRUE(!(exact.lo < u.lo) && !(u.hi < exact.hi))
                << "EvalToUniv of variable " << var << ", case " << c;
        }
    }
}

// Whether the relation can hold at x for some coefficient choice.
bool MayHold(int relation, const ExactInterval& v) {
    ExactQ zero(0.0);
    switch (relation) {
        case 0:
            return v.lo < zero;  // p < 0
        case 1:
            return !(zero < v.lo);  // p <= 0
        case 2:
            return zero < v.hi;  // p > 0
        default:
            return !(v.hi < zero);  // p >= 0
    }
}

TEST(PolyProperty, NarrowingNeverRemovesAPointWhereTheRelationHolds) {
    RegistryGuard guard;
    std::mt19937_64 g(TestSeed("PolyProperty.NarrowingNeverRemovesAPointWhereTheRelationHolds"));
    int narrowed = 0;
    for (int c = 0; c < kCases; ++c) {
        int n = 1 + static_cast<int>(g() % 4);
        DistPoly p = RandomPolynomial(g, n);
        Box box = RandomBox(g, n);
        UnivData data;
        PrepareUnivData(p, data);
        BRIX_SetParam(BRIX_Param::InflateTightening, static_cast<double>(g() % 3));
        BRIX_SetParam(BRIX_Param::EvalToUnivMethod, static_cast<double>(g() % 7));
        int var = static_cast<int>(g() % static_cast<unsigned>(n));
        int relation = static_cast<int>(g() % 4);
        NarrowResult r = NarrowVariable(p, relation, box, var, data);
        const Itvl old = box[var];
        // The claimed part: the closed pieces [lo, L] and [U, hi] that were cut
        // off (the whole interval when the result is empty).
        std::vector<Itvl> removed;
        if (r.interval.IsEmpty()) {
            removed.push_back(old);
        } else {
            ASSERT_TRUE(IsSubset(r.interval, old)) << "case " << c;
            if (old.Lo() < r.interval.Lo()) {
                removed.push_back(Itvl(old.Lo(), r.interval.Lo()));
            }
            if (r.interval.Hi() < old.Hi()) {
                removed.push_back(Itvl(r.interval.Hi(), old.Hi()));
            }
        }
        narrowed += removed.empty() ? 0 : 1;
        for (const Itvl& piece : removed) {
            for (int k = 0; k < 6; ++k) {
                std::vector<double> x(static_cast<std::size_t>(n));
                for (int j = 0; j < n; ++j) {
                    x[static_cast<std::size_t>(j)] = RandomPoint(g, j == var ? piece : box[j]);
                }
                ASSERT_FALSE(MayHold(relation, ExactRange(p, x)))
                    << "case " << c << ": relation " << relation << " holds at a removed point";
            }
        }
    }
    // The property is not vacuous: a good share of the random cases narrow.
    EXPECT_GT(narrowed, kCases / 10);
}

}  // namespace
