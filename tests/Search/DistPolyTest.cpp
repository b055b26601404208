#include "support/RegistryScope.h"
#include "Search/BRIX_DistPoly.h"

#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_DistPolyDetail.h"
#include "Search/SearchTestSupport.h"

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

const double kInf = HUGE_VAL;
const double kNaN = std::nan("");

struct Term {
    Itvl coefficient;
    std::vector<int> exponents;
};

// A normalised polynomial over n variables from terms in any order.
DistPoly Poly(int n, std::initializer_list<Term> terms) {
    DistPoly p(n);
    for (const Term& t : terms) {
        p.AppendTerm(t.coefficient, t.exponents.data());
    }
    p.Normalize();
    return p;
}

// "[lo,hi](e0,e1) ..." term by term, in stored order.
std::string Show(const DistPoly& p) {
    std::string s;
    for (int t = 0; t < p.TermCount(); ++t) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s[%g,%g](", t == 0 ? "" : " ", p.Coefficient(t).lo,
                      p.Coefficient(t).hi);
        s += buf;
        for (int v = 0; v < p.VariableCount(); ++v) {
            s += (v == 0 ? "" : ",") + std::to_string(p.Exponent(t, v));
        }
        s += ")";
    }
    return s;
}

void ExpectBounds(const Itvl& r, double lo, double hi) {
    EXPECT_EQ(r.lo, lo);
    EXPECT_EQ(r.hi, hi);
}

// x0^2*x1 + x1 and x^2 - x, the running examples.
const DistPoly kP = Poly(2, {{1, {2, 1}}, {1, {0, 1}}});
const DistPoly kQ = Poly(1, {{1, {2}}, {-1, {1}}});

TEST(DistPolyTest, BuildingNormalises) {
    const DistPoly x = DistPoly::Variable(1, 0);
    const DistPoly one = DistPoly::Constant(1, 1.0);
    const DistPoly x0 = DistPoly::Variable(2, 0);
    const DistPoly x1 = DistPoly::Variable(2, 1);
    struct Case {
        DistPoly poly;
        const char* shown;
    } cases[] = {
        {(x + one).Power(2), "[1,1](2) [2,2](1) [1,1](0)"},
        {(x + one) * (x - one), "[1,1](2) [-1,-1](0)"},  // the x terms cancel
        {(x0 + x1) * (x0 - x1), "[1,1](2,0) [-1,-1](0,2)"},
        {x1 * x0 * x1 + x0 - x0, "[1,1](1,2)"},
        {-(x0 + DistPoly::Constant(2, Itvl(1, 2))), "[-1,-1](1,0) [-2,-1](0,0)"},
        {x.Power(0), "[1,1](0)"},
        {(x - x).Power(0), "[1,1](0)"},
        {x - x, ""},
        {DistPoly::Constant(2, 0.0), ""},
        // Unordered appends with a repeated row and a zero coefficient.
        {Poly(2, {{1, {0, 1}}, {2, {1, 0}}, {0.0, {3, 3}}, {3, {0, 1}}, {5, {1, 1}}}),
         "[5,5](1,1) [2,2](1,0) [4,4](0,1)"},
        {Poly(2, {{1, {1, 0}}, {-1, {1, 0}}, {2, {0, 0}}}), "[2,2](0,0)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(c.poly), c.shown);
    }
    const DistPoly p = Poly(3, {{1, {0, 4, 1}}, {2, {2, 0, 0}}, {Itvl(3, 4), {0, 0, 0}}});
    EXPECT_EQ(p.Degree(0), 2);
    EXPECT_EQ(p.Degree(1), 4);
    EXPECT_EQ(p.TotalDegree(), 5);
    ExpectBounds(p.ConstantValue(), 2, 2);
    ExpectBounds(DistPoly(2).ConstantValue(), 0, 0);
}

TEST(DistPolyTest, SubstitutionsAndDerivatives) {
    struct Case {
        DistPoly poly;
        const char* shown;
    } cases[] = {
        {Derivative(kP, 0), "[2,2](1,1)"},
        {Derivative(kP, 1), "[1,1](2,0) [1,1](0,0)"},
        {Derivative(Poly(2, {{Itvl(1, 2), {3, 0}}}), 0), "[3,6](2,0)"},
        {Derivative(kP.Power(0), 0), ""},
        {kP.SubstituteVariable(1, 2.0), "[2,2](2) [2,2](0)"},
        {kP.SubstituteVariable(0, 3.0), "[10,10](1)"},  // 9*x1 and x1 merge
        {Poly(3, {{1, {0, 2, 1}}, {1, {0, 1, 3}}}).SubstituteVariable(1, 2.0),
         "[2,2](0,3) [4,4](0,1)"},  // the order changes
        {kQ.SubstituteVariable(0, Itvl(-1, 2)), "[-2,5]()"},
        {SubstituteLast(kP, Itvl(-1, 2)), "[-1,2](2) [-1,2](0)"},
        {SubstituteLast(Poly(2, {{1, {1, 2}}, {1, {1, 0}}, {-1, {0, 1}}}), Itvl(-1, 2)),
         "[1,5](1) [-2,1](0)"},
        {SubstituteLast(kQ, 0.0), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(c.poly), c.shown);
    }
}

TEST(DistPolyTest, EvaluateIsNestedHorner) {
    struct Case {
        DistPoly poly;
        Box box;
        double lo, hi;
    } cases[] = {
        {DistPoly(2), MakeBox({{1, 2}, {3, 4}}), 0, 0},
        {Poly(2, {{3, {2, 1}}}), MakeBox({{1, 2}, {-1, 1}}), -12, 12},
        {kQ, MakeBox({{0, 1}}), -1, 0},  // (x - 1) * x
        {kQ, MakeBox({{2, 2}}), 2, 2},
        // x0 * (x0 * x1 + 1) + x1 over [1, 2] x [-1, 1]: [-2, 2] + [1, 1], then
        // times [1, 2], then plus [-1, 1].
        {Poly(2, {{1, {2, 1}}, {1, {1, 0}}, {1, {0, 1}}}), MakeBox({{1, 2}, {-1, 1}}), -3, 7},
        // Zero rule: x0 * x1 with x0 = 0 and x1 unbounded.
        {Poly(2, {{1, {1, 1}}}), MakeBox({{0, 0}, {-kInf, kInf}}), 0, 0},
    };
    for (const Case& c : cases) {
        Itvl r = Evaluate(c.poly, c.box);
        EXPECT_EQ(r.lo, c.lo) << Show(c.poly);
        EXPECT_EQ(r.hi, c.hi) << Show(c.poly);
    }
}

TEST(DistPolyTest, RangeMethods) {
    ExpectBounds(BicenteredRange(kQ, MakeBox({{0, 1}})), -0.75, 0.25);
    ExpectBounds(BicenteredRange(Poly(1, {{1, {1}}}), MakeBox({{1, 2}})), 1, 2);
    ExpectBounds(MidpointRange(kQ, MakeBox({{0, 1}})), -0.75, 0);
    // Same result whatever mode an earlier operation left.
    for (int mode : {SAL_RoundUp, SAL_RoundDown, SAL_RoundToZero}) {
        SAL_Interface::SetRounding(mode);
        ExpectBounds(BicenteredRange(kQ, MakeBox({{0, 1}})), -0.75, 0.25);
    }
    const Box box = MakeBox({{0, 1}});
    struct Case {
        double method, lo, hi;
    } cases[] = {
        {1, -0.75, 0.25}, {2, -0.75, 0.25}, {0.6, -0.75, 0.25},  {3, -0.75, 0},
        {0, -kInf, kInf}, {4, -kInf, kInf}, {kNaN, -kInf, kInf},
    };
    for (const Case& c : cases) {
        ParamScope scope(BRIX_Param::RangeMethod, c.method);
        Itvl r = Range(kQ, box);
        EXPECT_EQ(r.lo, c.lo) << c.method;
        EXPECT_EQ(r.hi, c.hi) << c.method;
    }
}

// Unbounded and huge boxes (where the centre formula overflows to NaN or an
// infinite bound would be a centre), NaN bounds and empty coefficients: every
// result is a proper interval, never empty, never with a NaN bound.
TEST(DistPolyTest, UnboundedBoxesGiveProperResults) {
    const DistPoly p = Poly(2, {{1, {2, 0}}, {-1, {1, 1}}, {Itvl(-1, 1), {0, 1}}});
    struct Case {
        DistPoly poly;
        Box box;
        double lo, hi;  // of BicenteredRange
    } cases[] = {
        {kQ, MakeBox({{-kInf, kInf}}), -kInf, kInf},
        {kQ, MakeBox({{-1e300, 1e300}}), -1e300, kInf},
        {kQ, MakeBox({{1, kInf}}), 0, kInf},
        {kQ, MakeBox({{-kInf, -1}}), 2, kInf},
        {Poly(1, {{1, {1}}}), MakeBox({{0, kInf}}), 0, kInf},
        {Poly(1, {{-1, {3}}}), MakeBox({{-kInf, 0}}), 0, kInf},
        {p, MakeBox({{0, kInf}, {-kInf, 0}}), -kInf, kInf},
        {p, MakeBox({{-DBL_MAX, DBL_MAX}, {-1, 1}}), -kInf, kInf},
        {Poly(1, {{Itvl::Empty(), {2}}, {1, {0}}}), MakeBox({{1, 2}}), -kInf, kInf},
    };
    for (const Case& c : cases) {
        Itvl r = BicenteredRange(c.poly, c.box);
        EXPECT_EQ(r.lo, c.lo) << "case " << &c - cases;
        EXPECT_EQ(r.hi, c.hi) << "case " << &c - cases;
        for (const Itvl& other :
             {Evaluate(c.poly, c.box), MidpointRange(c.poly, c.box), TermSum(c.poly, &c.box[0])}) {
            EXPECT_FALSE(IsNaN(other.lo) || IsNaN(other.hi) || other.hi < other.lo)
                << "case " << &c - cases;
        }
        UnivData data;
        PrepareUnivData(c.poly, data);
        for (double method : {0, 1, 2, 3, 4, 5, 6}) {
            ParamScope scope(BRIX_Param::EvalToUnivMethod, method);
            for (const Itvl& coefficient : EvalToUniv(c.poly, c.box, 0, data).coefficients) {
                EXPECT_FALSE(IsNaN(coefficient.lo) || IsNaN(coefficient.hi));
            }
        }
    }
}

// A NaN bound in the box, which could vanish in a later Min or Max, gives
// [-inf, +inf] everywhere.
TEST(DistPolyTest, NaNBoundsGiveTheWholeLine) {
    const DistPoly p = Poly(2, {{1, {2, 0}}, {-1, {1, 1}}, {Itvl(-1, 1), {0, 1}}});
    const Box boxes[] = {MakeBox({{2, 2}, {kNaN, 1}}), MakeBox({{-1, kNaN}, {0, 1}})};
    for (const Box& box : boxes) {
        for (const Itvl& r : {Evaluate(p, box), BicenteredRange(p, box), MidpointRange(p, box),
                              TermSum(p, &box[0])}) {
            ExpectBounds(r, -kInf, kInf);
        }
    }
    UnivPoly u = EvalToUniv(p, boxes[1], 1, UnivData());  // the direct form
    ASSERT_EQ(u.TermCount(), 2);
    ExpectBounds(u.coefficients[0], -kInf, kInf);
}

TEST(DistPolyTest, BicenteredCentresLieInX) {
    struct Case {
        Itvl D, X;
        double cUp, cLow;
    } cases[] = {
        {Itvl(-1, 1), Itvl(0, 1), 0.5, 0.5},
        {Itvl(-1, 3), Itvl(0, 4), 3, 1},  // where the slopes balance
        {Itvl(1, 2), Itvl(1, 2), 2, 1},   // increasing
        {Itvl(0, 0), Itvl(1, 2), 2, 1},
        {Itvl(-2, -1), Itvl(1, 2), 1, 2},  // decreasing
        {Itvl(-2, 0), Itvl(1, 2), 1, 2},
        // The formula gives NaN: the midpoint.
        {Itvl(-kInf, kInf), Itvl(-1, 3), 1, 1},
        {Itvl(-1e10, 1e10), Itvl(-1e300, 1e300), 0, 0},
        {Itvl(-1, 1), Itvl(-kInf, kInf), 0, 0},
        // An unbounded end would be a centre: the midpoint (the farthest finite double).
        {Itvl(1, 2), Itvl(0, kInf), DBL_MAX, 0},
        {Itvl(-1, -0.5), Itvl(-kInf, 5), -DBL_MAX, 5},
        {Itvl(-1, 1), Itvl(0, kInf), DBL_MAX, DBL_MAX},
    };
    for (const Case& c : cases) {
        double cUp = kNaN;
        double cLow = kNaN;
        BicenteredCentres(c.D, c.X, cUp, cLow);
        EXPECT_EQ(cUp, c.cUp) << c.D.lo << " " << c.X.lo;
        EXPECT_EQ(cLow, c.cLow) << c.D.lo << " " << c.X.lo;
    }
}

TEST(DistPolyTest, EvalToUnivCoefficients) {
    // 2*x0^2*x1 - x0*x1^2 + 3*x1 - 1 over [-1, 2] x [0.5, 3]: in x0 the
    // coefficients are 2*x1, -x1^2 and 3*x1 - 1, in x1 they are -x0, 2*x0^2 + 3
    // and -1; every method finds their exact ranges here.
    const DistPoly p = Poly(2, {{2, {2, 1}}, {-1, {1, 2}}, {3, {0, 1}}, {-1, {0, 0}}});
    const Box box = MakeBox({{-1, 2}, {0.5, 3}});
    UnivData data;
    PrepareUnivData(p, data);
    ASSERT_TRUE(data.ready);
    ASSERT_EQ(data.parts.size(), 2u);
    EXPECT_EQ(Show(data.parts[1][1].coefficient), "[2,2](2) [3,3](0)");
    const double expected[2][3][2] = {{{1, 6}, {-9, -0.25}, {0.5, 8}},
                                      {{-2, 1}, {3, 11}, {-1, -1}}};
    for (double method : {0, 1, 2, 3, 4, 5, 6, 7}) {
        ParamScope scope(BRIX_Param::EvalToUnivMethod, method);
        for (const UnivData* d : {&data, static_cast<UnivData*>(nullptr)}) {
            for (int var = 0; var < 2; ++var) {
                UnivPoly u = EvalToUniv(p, box, var, d != nullptr ? *d : UnivData());
                ASSERT_EQ(u.exponents, (decltype(u.exponents){2, 1, 0})) << method;
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ(u.coefficients[i].lo, expected[var][i][0]) << method << var << i;
                    EXPECT_EQ(u.coefficients[i].hi, expected[var][i][1]) << method << var << i;
                }
            }
        }
    }
}

}  // namespace
