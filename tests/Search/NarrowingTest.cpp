#include "support/RegistryScope.h"
#include "Search/BRIX_Narrowing.h"

#include "Constraint/BRIX_Atomic.h"
#include "Driver/BRIX_Registry.h"
#include "support/ExactRational.h"

#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
const double inf = HUGE_VAL;

struct UTerm {
    double lo, hi;
    int e;
};
// Terms in decreasing exponent order.
UnivPoly Univ(std::initializer_list<UTerm> terms) {
    UnivPoly q;
    for (const UTerm& t : terms) {
        q.coefficients.push_back(Itvl::FromBounds(t.lo, t.hi));
        q.exponents.push_back(t.e);
    }
    return q;
}

struct BTerm {
    double c;
    int e;
};
BoundPoly Bound(std::initializer_list<BTerm> terms) {
    BoundPoly f;
    for (const BTerm& t : terms) {
        f.coefficients.push_back(t.c);
        f.exponents.push_back(t.e);
    }
    return f;
}

ExactQ EvalExact(const BoundPoly& f, const ExactQ& x) {
    ExactQ sum(0.0);
    for (int i = 0; i < f.TermCount(); ++i) {
        sum = sum + ExactQ(f.coefficients[i]) * Pow(x, f.exponents[i]);
    }
    return sum;
}

int SignOf(const ExactQ& v) {
    const int c = Compare(v, ExactQ(0.0));
    return (c > 0) - (c < 0);
}

// Encloses sqrt(2): lo^2 <= 2 <= hi^2 with 0 <= lo.
bool EnclosesSqrt2(const Itvl& r) {
    ExactQ lo(r.lo), hi(r.hi);
    return r.lo >= 0 && !(ExactQ(2.0) < lo * lo) && !(hi * hi < ExactQ(2.0));
}

TEST(Narrowing, HornerAndBoundPolynomial) {
    // 3x^3 - x + 1 at 2 is exactly 23; over [0, 1] Horner gives ((3x^2) - 1) x + 1.
    const UnivPoly q = Univ({{3, 3, 3}, {-1, -1, 1}, {1, 1, 0}});
    EXPECT_EQ(Horner(q, Itvl(2.0)), Itvl(23.0));
    EXPECT_EQ(Horner(q, Itvl(0.0, 1.0)), Itvl(0.0, 3.0));
    EXPECT_EQ(Horner(UnivPoly(), Itvl(-5.0, 5.0)), Itvl(0.0));
    EXPECT_EQ(Horner(Univ({{1, 2, 2}}), Itvl(-1.0, 3.0)), Itvl(0.0, 18.0));
    EXPECT_EQ(Horner(Bound({{1, 2}, {-2, 0}}), Itvl(0.0, 4.0)), Itvl(-2.0, 14.0));

    // [1, 2] x^3 + [-3, -1] x^2 + [-1, 0] x + [-2, 5]
    const UnivPoly r = Univ({{1, 2, 3}, {-3, -1, 2}, {-1, 0, 1}, {-2, 5, 0}});
    const BoundPoly pos = BoundPolynomial(r, BoundSide::Positive);
    EXPECT_EQ(pos.coefficients, (decltype(pos.coefficients){2, -1, 5}));  // the 0 of x is dropped
    EXPECT_EQ(pos.exponents, (decltype(pos.exponents){3, 2, 0}));
    const BoundPoly neg = BoundPolynomial(r, BoundSide::Negative);
    EXPECT_EQ(neg.coefficients, (decltype(neg.coefficients){1, -1, -1, 5}));
    EXPECT_EQ(neg.exponents, (decltype(neg.exponents){3, 2, 1, 0}));
    EXPECT_EQ(BoundPolynomial(UnivPoly(), BoundSide::Positive).TermCount(), 0);
}

TEST(Narrowing, ClosedFormRoots) {
    const Itvl X(0.0, 4.0);
    // x^2 - 2: the enclosure of -sqrt(2) lies outside X.
    RootList r = ClosedFormRoots(Bound({{1, 2}, {-2, 0}}), X);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(EnclosesSqrt2(r[0]));
    EXPECT_LE(r[0].hi - r[0].lo, 1e-15);
    EXPECT_TRUE(ClosedFormRoots(Bound({{1, 2}, {1, 0}}), X).empty());                   // x^2 + 1
    EXPECT_EQ(ClosedFormRoots(Bound({{3, 1}}), Itvl(-1.0, 1.0)), RootList{Itvl(0.0)});  // 3x
    EXPECT_TRUE(ClosedFormRoots(Bound({{3, 1}}), Itvl(1.0, 2.0)).empty());
    EXPECT_TRUE(ClosedFormRoots(Bound({{7, 0}}), X).empty());                      // constant
    EXPECT_EQ(ClosedFormRoots(BoundPoly(), X), RootList{X});                       // zero
    EXPECT_EQ(ClosedFormRoots(Bound({{2, 1}, {-1, 0}}), X), RootList{Itvl(0.5)});  // 2x - 1
    // x^2 - 3x + 2: 1 and 2, the smaller first.
    r = ClosedFormRoots(Bound({{1, 2}, {-3, 1}, {2, 0}}), X);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_TRUE(r[0].lo <= 1 && 1 <= r[0].hi && r[1].lo <= 2 && 2 <= r[1].hi);
    EXPECT_LT(r[0].hi, r[1].lo);
    // -x^2 + 4x over [-1, 5]: 0 and 4; over [-1, 3] only 0.
    EXPECT_EQ(ClosedFormRoots(Bound({{-1, 2}, {4, 1}}), Itvl(-1.0, 5.0)),
              (RootList{Itvl(0.0), Itvl(4.0)}));
    EXPECT_EQ(ClosedFormRoots(Bound({{-1, 2}, {4, 1}}), Itvl(-1.0, 3.0)), RootList{Itvl(0.0)});
    // x^2 - 2x + 1: a double root, discriminant 0.
    r = ClosedFormRoots(Bound({{1, 2}, {-2, 1}, {1, 0}}), X);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(r[0].lo <= 1 && 1 <= r[0].hi);
    // Infinite coefficients: inf - inf in the discriminant; nothing is excluded.
    EXPECT_EQ(ClosedFormRoots(Bound({{inf, 2}, {-inf, 1}, {1, 0}}), X), RootList{X});
}

TEST(Narrowing, EncloseRootsNewton) {
    // x^3 - 2x over [-2, 2]: -sqrt(2), 0, sqrt(2) in increasing order.
    RootList r = EncloseRoots(Bound({{1, 3}, {-2, 1}}), Itvl(-2.0, 2.0), 1e-9);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_TRUE(EnclosesSqrt2(-r[0]));
    EXPECT_TRUE(r[1].lo <= 0 && 0 <= r[1].hi);
    EXPECT_TRUE(EnclosesSqrt2(r[2]));
    // (x - 1)^4: a fourfold root, found by bisection.
    r = EncloseRoots(Bound({{1, 4}, {-4, 3}, {6, 2}, {-4, 1}, {1, 0}}), Itvl(-3.0, 3.0), 0.01);
    bool found = false;
    for (const Itvl& e : r) {
        found = found || (e.lo <= 1 && 1 <= e.hi);
        EXPECT_TRUE(0 < e.lo && e.hi < 2) << e.lo << " " << e.hi;
    }
    EXPECT_TRUE(found);
    // An infinite interval cannot be searched: it is its own enclosure.
    EXPECT_EQ(EncloseRoots(Bound({{1, 3}, {-1, 0}}), Itvl(0.0, inf), inf),
              RootList{Itvl(0.0, inf)});
    // inf - inf in the Newton step: nothing is excluded.
    const Itvl X(-1.0, 3.0);
    EXPECT_EQ(EncloseRoots(Bound({{inf, 3}, {-inf, 1}, {1, 0}}), X, 0.01), RootList{X});
}

// Every root of a random bound polynomial lies in an enclosure: between the
// enclosures (and before the first, after the last) f keeps one non-zero sign.
TEST(Narrowing, EncloseRootsMissesNoSignChange) {
    std::mt19937_64 g(TestSeed("EncloseRootsMissesNoSignChange"));
    for (int round = 0; round < 1500; ++round) {
        BoundPoly f;
        const int degree = 3 + static_cast<int>(g() % 4);
        for (int e = degree; e >= 0; --e) {
            const double c = static_cast<double>(static_cast<int>(g() % 13) - 6) / 2;
            if (c != 0 || e == degree) {
                f.coefficients.push_back(c == 0 ? 1 : c);
                f.exponents.push_back(e);
            }
        }
        const double a = static_cast<double>(static_cast<int>(g() % 9) - 4) / 2;
        const Itvl X(a, a + 0.25 * static_cast<double>(1 + g() % 16));
        const RootList roots = EncloseRoots(f, X, Width(X) * (g() % 2 != 0 ? 0.01 : 1e-6));
        SAL_Interface::SetRounding(SAL_RoundNearest);
        std::vector<std::pair<double, double>> gaps;  // closed gaps free of enclosures
        double from = X.lo;
        bool atStart = true;  // the first gap starts at X.lo itself
        for (const Itvl& r : roots) {
            ASSERT_TRUE(X.lo <= r.lo && r.hi <= X.hi && r.lo <= r.hi);
            if (r.lo > from) {
                gaps.emplace_back(atStart ? from : std::nextafter(from, inf),
                                  std::nextafter(r.lo, -inf));
            }
            from = r.hi;
            atStart = false;
        }
        if (from < X.hi) {
            gaps.emplace_back(atStart ? from : std::nextafter(from, inf), X.hi);
        }
        for (const auto& gap : gaps) {
            if (gap.first > gap.second) {
                continue;
            }
            const int sign = SignOf(EvalExact(f, ExactQ(gap.first)));
            for (double t : {0.0, 0.1, 0.37, 0.5, 0.81, 1.0}) {
                const double x = t == 1.0 ? gap.second : gap.first + t * (gap.second - gap.first);
                const int s = SignOf(EvalExact(f, ExactQ(x)));
                ASSERT_TRUE(s != 0 && s == sign) << "round " << round << " x " << x;
            }
        }
    }
}

struct NarrowCase {
    const char* what;
    UnivPoly q;
    int relation;
    Itvl X;
    bool lowerMoved, upperMoved, exact;
};

TEST(Narrowing, PartExamples) {
    ParamScope inflate(BRIX_Param::InflateTightening, 1);
    // x^2 - 2 < 0 on [0, 4]: the upper bound moves to just above sqrt(2).
    NarrowResult r = NarrowUnivariate(Univ({{1, 1, 2}, {-2, -2, 0}}), BRIX_Less, Itvl(0.0, 4.0));
    EXPECT_TRUE(!r.lowerMoved && r.upperMoved && !r.exact);
    EXPECT_EQ(r.interval.lo, 0.0);
    EXPECT_TRUE(EnclosesSqrt2(r.interval));
    EXPECT_LT(r.interval.hi, 1.4142135623731);

    const NarrowCase cases[] = {
        {"x > 5 on [0, 4]", Univ({{1, 1, 1}, {-5, -5, 0}}), BRIX_Greater, Itvl(0.0, 4.0), true,
         true, true},
        {"x >= 0 on [1, 2]", Univ({{1, 1, 1}}), BRIX_GreaterEqual, Itvl(1.0, 2.0), false, false,
         false},
    };
    for (const NarrowCase& c : cases) {
        r = NarrowUnivariate(c.q, c.relation, c.X);
        EXPECT_EQ(r.lowerMoved, c.lowerMoved) << c.what;
        EXPECT_EQ(r.upperMoved, c.upperMoved) << c.what;
        EXPECT_EQ(r.exact, c.exact) << c.what;
    }
    EXPECT_TRUE(NarrowUnivariate(cases[0].q, BRIX_Greater, cases[0].X).interval.IsEmpty());
    EXPECT_EQ(NarrowUnivariate(cases[1].q, BRIX_GreaterEqual, cases[1].X).interval, Itvl(1.0, 2.0));

    // [1, 3] x + 3 > 0 on [-4, -0.5]: only the negative-side bound x + 3 counts
    // (the positive-side 3x + 3 would cut at -1, removing -2.5 where x + 3 > 0).
    r = NarrowUnivariate(Univ({{1, 3, 1}, {3, 3, 0}}), BRIX_Greater, Itvl(-4.0, -0.5));
    EXPECT_TRUE(r.lowerMoved && !r.upperMoved && !r.exact);
    EXPECT_EQ(r.interval, Itvl(-3.0, -0.5));  // x + 3 > 0 fails at -3: the bound may stay there
}

TEST(Narrowing, Inflation) {
    const UnivPoly xMinus1 = Univ({{1, 1, 1}, {-1, -1, 0}});  // x >= 1 on [0, 10]
    {
        ParamScope inflate(BRIX_Param::InflateTightening, 2);
        NarrowResult r = NarrowUnivariate(xMinus1, BRIX_GreaterEqual, Itvl(0.0, 10.0));
        EXPECT_TRUE(r.lowerMoved);
        EXPECT_LE(r.interval.lo, 0.1);
        EXPECT_GT(r.interval.lo, 0.0999999999999);
        EXPECT_EQ(r.interval.hi, 10.0);
        // Clipped: x >= 0.05 would inflate to about -0.945; x <= 9.95 past 10.
        r = NarrowUnivariate(Univ({{1, 1, 1}, {-0.05, -0.05, 0}}), BRIX_GreaterEqual,
                             Itvl(0.0, 10.0));
        EXPECT_EQ(r.interval, Itvl(0.0, 10.0));
        r = NarrowUnivariate(Univ({{1, 1, 1}, {-9.95, -9.95, 0}}), BRIX_LessEqual, Itvl(0.0, 10.0));
        EXPECT_TRUE(r.upperMoved);
        EXPECT_EQ(r.interval, Itvl(0.0, 10.0));
    }
    // Without inflation the bound still leaves the root's enclosure.
    ParamScope inflate(BRIX_Param::InflateTightening, 0);
    NarrowResult r =
        NarrowUnivariate(Univ({{1, 1, 1}, {-0.5, -0.5, 0}}), BRIX_GreaterEqual, Itvl(0.0, 1.0));
    EXPECT_EQ(r.interval, Itvl(std::nextafter(0.5, 0.0), 1.0));
    r = NarrowUnivariate(xMinus1, BRIX_LessEqual, Itvl(0.0, 10.0));
    EXPECT_EQ(r.interval, Itvl(0.0, std::nextafter(1.0, 2.0)));
}

// The bound next to a root at 0 or on an enclosure's edge must keep the root.
TEST(Narrowing, BoundaryRootsStayInside) {
    ParamScope inflate(BRIX_Param::InflateTightening, 0);
    const double tiny = std::nextafter(0.0, 1.0);
    struct Case {
        const char* what;
        UnivPoly q;
        int relation;
        Itvl X, expected;
    };
    const Case cases[] = {
        // The only solution is the end 0; without the ">= 0" rule the result was empty.
        {"x <= 0 on [0, 1]", Univ({{1, 1, 1}}), BRIX_LessEqual, Itvl(0.0, 1.0), Itvl(0.0, tiny)},
        {"x >= 0 on [-1, 0]", Univ({{1, 1, 1}}), BRIX_GreaterEqual, Itvl(-1.0, 0.0),
         Itvl(-tiny, 0.0)},
        {"x >= 0 on [-1, 1]", Univ({{1, 1, 1}}), BRIX_GreaterEqual, Itvl(-1.0, 1.0),
         Itvl(-tiny, 1.0)},
        {"-x^2 >= 0 on [-1, 1]", Univ({{-1, -1, 2}}), BRIX_GreaterEqual, Itvl(-1.0, 1.0),
         Itvl(-tiny, tiny)},
    };
    for (const Case& c : cases) {
        const NarrowResult r = NarrowUnivariate(c.q, c.relation, c.X);
        EXPECT_EQ(r.interval, c.expected) << c.what;
        EXPECT_TRUE(r.interval.lo <= 0 && 0 <= r.interval.hi) << c.what;
    }
    // x^3 <= 0 on [0, 2]: the Newton enclosure of the triple root 0 is kept.
    const NarrowResult r = NarrowUnivariate(Univ({{1, 1, 3}}), BRIX_LessEqual, Itvl(0.0, 2.0));
    EXPECT_TRUE(r.upperMoved && r.interval.lo == 0 && 0 < r.interval.hi && r.interval.hi < 0.05);
}

TEST(Narrowing, NothingConcludedFromNaNOrUnknownCodes) {
    // x^2 + [-inf, -1] > 0 on [0, inf]: at inf, inf + -inf.
    NarrowResult r =
        NarrowUnivariate(Univ({{1, 1, 2}, {-inf, -1, 0}}), BRIX_Greater, Itvl(0.0, inf));
    EXPECT_EQ(r.interval, Itvl(0.0, inf));
    EXPECT_TRUE(!r.lowerMoved && !r.upperMoved && !r.exact);
    // A NaN coefficient.
    r = NarrowUnivariate(Univ({{1, 1, 1}, {NAN, NAN, 0}}), BRIX_Greater, Itvl(0.0, 1.0));
    EXPECT_EQ(r.interval, Itvl(0.0, 1.0));
    EXPECT_TRUE(!r.lowerMoved && !r.upperMoved && !r.exact);
    // x - 5 != 0 holds on all of [0, 4]: nothing may be cut.
    r = NarrowUnivariate(Univ({{1, 1, 1}, {-5, -5, 0}}), BRIX_NotEqual, Itvl(0.0, 4.0));
    EXPECT_EQ(r.interval, Itvl(0.0, 4.0));
    EXPECT_FALSE(r.lowerMoved || r.upperMoved);
    // x - 1 = 0 keeps [~1, 4] (where x - 1 >= 0 may hold).
    r = NarrowUnivariate(Univ({{1, 1, 1}, {-1, -1, 0}}), BRIX_Equal, Itvl(0.0, 4.0));
    EXPECT_TRUE(r.interval.lo < 1 && r.interval.lo > 0.99 && r.interval.hi == 4);
    // An infinite end evaluated soundly: x^2 - 2 < 0 on [-inf, inf].
    r = NarrowUnivariate(Univ({{1, 1, 2}, {-2, -2, 0}}), BRIX_Less, Itvl(-inf, inf));
    EXPECT_TRUE(r.lowerMoved && r.upperMoved);
    EXPECT_TRUE(EnclosesSqrt2(Itvl(0.0, -r.interval.lo)) &&
                EnclosesSqrt2(Itvl(0.0, r.interval.hi)));
    EXPECT_TRUE(-r.interval.lo < 1.4142135623731 && r.interval.hi < 1.4142135623731);
}

// Random interval polynomials and intervals: the cut pieces, their ends
// included, hold only points where q < 0 for every choice of coefficients (p > 0
// for < and <=, p < 0 otherwise): the relation fails there, and so does its
// opposite, which down-narrowing uses to cut where a relation certainly holds.
TEST(Narrowing, NeverRemovesAPossibleSolution) {
    std::mt19937_64 g(TestSeed("NeverRemovesAPossibleSolution"));
    for (int round = 0; round < 6000; ++round) {
        ParamScope inflate(BRIX_Param::InflateTightening, static_cast<double>(g() % 3));
        // Small integer coefficients and ends: roots on doubles, at 0 and at the ends.
        UnivPoly q;
        const int degree = static_cast<int>(g() % 6);
        for (int e = degree; e >= 0; --e) {
            const double lo = static_cast<double>(static_cast<int>(g() % 7) - 3);
            const double w = g() % 4 == 0 ? static_cast<double>(1 + g() % 2) : 0.0;
            if ((lo == 0 && w == 0) || (e == 0 && g() % 3 == 0)) {
                continue;
            }
            q.coefficients.push_back(Itvl::FromBounds(lo, lo + w));
            q.exponents.push_back(e);
        }
        const int relation = static_cast<int>(g() % 5);
        const double a = static_cast<double>(static_cast<int>(g() % 7) - 3) / (g() % 2 + 1);
        const Itvl X(a, a + static_cast<double>(g() % 9) / (g() % 2 + 1));
        const NarrowResult r = NarrowUnivariate(q, relation, X);
        SAL_Interface::SetRounding(SAL_RoundNearest);
        ASSERT_TRUE(r.interval.IsEmpty() || (X.lo <= r.interval.lo && r.interval.hi <= X.hi));
        // The largest value over the coefficients of q (negated for < and <=) at x.
        auto largest = [&](double x) {
            ExactQ sum(0.0), ex(x);
            for (int i = 0; i < q.TermCount(); ++i) {
                const ExactQ p = Pow(ex, q.exponents[i]);
                const bool positive = !(p < ExactQ(0.0));
                double c = relation <= BRIX_LessEqual
                               ? (positive ? -q.coefficients[i].lo : -q.coefficients[i].hi)
                               : (positive ? q.coefficients[i].hi : q.coefficients[i].lo);
                sum = sum + ExactQ(c) * p;
            }
            return sum;
        };
        // The closed piece [from, to] was cut: the relation fails on it for
        // every coefficient choice (q < 0; q <= 0 for the strict < and >).
        const bool strict = relation == BRIX_Less || relation == BRIX_Greater;
        auto check = [&](double from, double to) {
            for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
                const double x = t == 1.0 ? to : from + t * (to - from);
                const int s = SignOf(largest(x));
                ASSERT_LT(s, strict ? 1 : 0)
                    << "round " << round << " relation " << relation << " x " << x;
            }
        };
        if (r.interval.IsEmpty()) {
            check(X.lo, X.hi);
            continue;
        }
        if (r.interval.lo > X.lo) {
            check(X.lo, r.interval.lo);
        }
        if (r.interval.hi < X.hi) {
            check(r.interval.hi, X.hi);
        }
    }
}

TEST(Narrowing, ConstantTestTable) {
    struct Case {
        double lo, hi;
        TruthValue expected[6];  // < <= > >= = !=
    };
    const TruthValue T = TruthValue::True(), F = TruthValue::False(), U = TruthValue::Unknown();
    const Case cases[] = {
        {-2, -1, {T, T, F, F, F, T}},   {0, 0, {F, T, F, T, T, F}}, {1, 2, {F, F, T, T, F, T}},
        {-1, 1, {U, U, U, U, U, U}},    {0, 1, {F, U, U, T, U, U}}, {-1, 0, {U, T, F, U, U, U}},
        {NAN, NAN, {U, U, U, U, U, U}},                              // empty: never decided
        {NAN, 1, {U, U, U, U, U, U}},   {2, 1, {U, U, U, U, U, U}},  // upside down
    };
    for (const Case& c : cases) {
        for (int rel = 0; rel < 6; ++rel) {
            EXPECT_EQ(ConstantTest(Itvl::FromBounds(c.lo, c.hi), rel).Bits(),
                      c.expected[rel].Bits())
                << c.lo << " " << c.hi << RelationText(rel);
        }
    }
    EXPECT_TRUE(ConstantTest(DistPoly(0), BRIX_LessEqual).IsTrue());  // no term: 0
    EXPECT_TRUE(ConstantTest(Itvl(1.0), 9).IsUnknown());
}

TEST(Narrowing, NarrowVariableOnABox) {
    ParamScope inflate(BRIX_Param::InflateTightening, 1);
    // x^2 + y^2 - 4 <= 0 with x in [0, 5], y in [1, 1]: x <= sqrt(3).
    const DistPoly x = DistPoly::Variable(2, 0), y = DistPoly::Variable(2, 1);
    const DistPoly p = x * x + y * y - DistPoly::Constant(2, Itvl(4.0));
    UnivData data;
    PrepareUnivData(p, data);
    Box box(2);
    box.Set(0, Itvl(0.0, 5.0));
    box.Set(1, Itvl(1.0));
    UnivData unprepared;
    for (const UnivData* d : {&data, &unprepared}) {
        const NarrowResult r = NarrowVariable(p, BRIX_LessEqual, box, 0, *d);
        SAL_Interface::SetRounding(SAL_RoundNearest);
        EXPECT_TRUE(!r.lowerMoved && r.upperMoved);
        EXPECT_EQ(r.interval.lo, 0.0);
        EXPECT_TRUE(r.interval.hi > 1.7320508 && r.interval.hi < 1.7320509);
    }
    EXPECT_EQ(box[0], Itvl(0.0, 5.0));  // only read
}

}  // namespace
