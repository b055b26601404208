#include "Constraint/BRIX_Simplify.h"

#include "Constraint/BRIX_Connective.h"
#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Negation.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/QuantifiedTestSupport.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

using Node = std::unique_ptr<BRIX_Constraint>;

// The tree's shape: "p2" for an atomic node with 2 variables, "FORALL 2(...)"
// with the bound count, "and(...)", "or(...)", "not(...)", "true"/"false".
std::string Shape(const BRIX_Constraint& node) {
    switch (node.Kind()) {
        case BRIX_KindConstant: {
            TruthValue v = static_cast<const BRIX_Constant&>(node).value;
            return v.IsTrue() ? "true" : (v.IsFalse() ? "false" : "unknown");
        }
        case BRIX_KindAtomic:
            return "p" + std::to_string(node.NumberOfVariables());
        case BRIX_KindQuantified: {
            const auto& q = static_cast<const BRIX_Quantified&>(node);
            return std::string(q.Polarity() < 0 ? "FORALL " : "EXISTS ") +
                   std::to_string(q.BoundCount()) + "(" + Shape(*q.Sub()) + ")";
        }
        case BRIX_KindConnective: {
            const auto& c = static_cast<const BRIX_Connective&>(node);
            std::string s = c.isConjunction ? "and(" : "or(";
            for (int i = 0; i < c.SubCount(); ++i) {
                s += (i > 0 ? "," : "") + Shape(*c.Sub(i));
            }
            return s + ")";
        }
        default:
            return "not(" + Shape(*static_cast<const BRIX_Negation&>(node).Sub()) + ")";
    }
}

// Quantifiers over one interval [0, hi] binding the variables after the n free
// ones; atomic c + a y + b x REL 0 over free y (variable 0) and bound x (1).
BRIX_Constraint* Q(bool forall, BRIX_Constraint* sub, int n, int k = 1, double hi = 1) {
    Box box(k);
    std::vector<int> vars;
    for (int i = 0; i < k; ++i) {
        box.Set(i, Iv_Itvl<double>(0, hi));
        vars.push_back(n + i);
    }
    return new BRIX_QuantifiedClass(box, vars, sub, forall, n);
}
BRIX_Constraint* P(double a, double b, double c, int relation) {
    return Linear(2, {{0, a}, {1, b}}, c, relation);
}
BRIX_Constraint* C(bool conjunction, BRIX_Constraint* a, BRIX_Constraint* b, int n) {
    return new BRIX_Connective(conjunction, {a, b}, n);
}
const bool A = true, E = false;

TEST(Simplify, ShapesTable) {
    struct Case {
        const char* what;
        bool push, eliminate;
        std::function<BRIX_Constraint*()> build;
        const char* shape;
    } cases[] = {
        {"FORALL over FORALL merges", true, false,
         [] { return Q(A, Q(A, P(1, 1, -1, BRIX_LessEqual), 1), 0); }, "FORALL 2(p2)"},
        {"FORALL over EXISTS stays", true, false,
         [] { return Q(A, Q(E, P(1, 1, -1, BRIX_LessEqual), 1), 0); }, "FORALL 1(EXISTS 1(p2))"},
        {"unused bound variable", true, false, [] { return Q(E, P(1, 0, 0, BRIX_Greater), 1); },
         "p1"},
        {"constant body", true, false, [] { return Q(A, Linear(1, {}, -1, BRIX_Less), 0); },
         "true"},
        {"FORALL into a conjunction", true, false,
         [] { return Q(A, C(true, P(1, 1, 0, BRIX_Less), P(1, -1, 0, BRIX_Less), 2), 1); },
         "and(FORALL 1(p2),FORALL 1(p2))"},
        {"no pushing without the flag", false, false,
         [] { return Q(A, C(true, P(1, 1, 0, BRIX_Less), P(1, -1, 0, BRIX_Less), 2), 1); },
         "FORALL 1(and(p2,p2))"},
        {"EXISTS over a conjunction stays", true, false,
         [] { return Q(E, C(true, P(1, 1, 0, BRIX_Less), P(1, -1, 0, BRIX_Less), 2), 1); },
         "EXISTS 1(and(p2,p2))"},
        {"EXISTS over independent conjuncts splits", true, false,
         [] {
             return Q(E,
                      C(true, Linear(3, {{1, 1}}, -1, BRIX_Equal),
                        Linear(3, {{0, 1}, {2, 1}}, 0, BRIX_Less), 3),
                      1, 2);
         },
         "and(EXISTS 1(p2),EXISTS 1(p2))"},
        {"a conjunct without bound variables leaves EXISTS", true, false,
         [] {
             return Q(E, C(true, P(1, 1, 0, BRIX_Less), Linear(2, {{0, 1}}, 0, BRIX_Less), 2), 1);
         },
         "and(EXISTS 1(p2),p1)"},
        {"FORALL over independent disjuncts splits", true, false,
         [] {
             return Q(A,
                      C(false, Linear(3, {{1, 1}}, -1, BRIX_Equal),
                        Linear(3, {{2, 1}}, 0, BRIX_Less), 3),
                      1, 2);
         },
         "or(FORALL 1(p2),FORALL 1(p2))"},
        {"linked conjuncts stay together", true, false,
         [] {
             return Q(E,
                      C(true, Linear(3, {{1, 1}, {2, 1}}, -1, BRIX_Equal),
                        Linear(3, {{2, 1}}, 0, BRIX_Less), 3),
                      1, 2);
         },
         "EXISTS 2(and(p3,p3))"},
        {"EXISTS into a disjunction, then merged", true, false,
         [] {
             auto* inner = Q(E, Linear(3, {{1, 1}, {2, 1}}, 0, BRIX_Less), 2);
             return Q(E, C(false, inner, P(1, -1, 0, BRIX_Less), 2), 1);
         },
         "or(EXISTS 2(p3),EXISTS 1(p2))"},
        {"EXISTS x: x + y > 1 eliminated", true, true,
         [] { return Q(E, P(1, 1, -1, BRIX_Greater), 1); }, "or(p1,p1)"},
        {"EXISTS x: x + y = 1 stays", true, true, [] { return Q(E, P(1, 1, -1, BRIX_Equal), 1); },
         "EXISTS 1(p2)"},
        {"FORALL x: x + y != 1 stays", true, true,
         [] { return Q(A, P(1, 1, -1, BRIX_NotEqual), 1); }, "FORALL 1(p2)"},
        {"unbounded x stays", true, true,
         [] { return Q(E, P(1, -1, -1, BRIX_Greater), 1, 1, HUGE_VAL); }, "EXISTS 1(p2)"},
        {"FORALL x, z: both eliminated", true, true,
         [] {
             return Q(A, Linear(3, {{0, 1}, {1, 1}, {2, 1}}, -1, BRIX_GreaterEqual), 1, 2);
         },
         "and(p1,p1,p1,p1)"},
    };
    for (const Case& c : cases) {
        FlagScope push(BRIX_Flag::PushQuantifiersInside, c.push);
        FlagScope eliminate(BRIX_Flag::EliminateLinearVariables, c.eliminate);
        Node node(Simplify(c.build()));
        EXPECT_EQ(Shape(*node), c.shape) << c.what;
        EXPECT_TRUE(node->IsConsistent()) << c.what;
    }
}

TEST(Simplify, MergedBoxesAndVariablesFollowTheNesting) {
    Node node(Simplify(Q(A, Q(A, P(1, 1, -1, BRIX_LessEqual), 1, 1, 3), 0, 1, 2)));
    ASSERT_EQ(node->Kind(), BRIX_KindQuantified);
    const auto& q = static_cast<const BRIX_Quantified&>(*node);
    EXPECT_EQ(q.BoundBox(), BoxOf({{0, 2}, {0, 3}}));
    EXPECT_EQ(q.variables, (std::vector<int>{0, 1}));
}

TEST(Simplify, EliminationKeepsTheMeaning) {
    // Each result is checked at a point y against the statement worked out by
    // hand (Sample of a point box is exact for these).
    FlagScope eliminate(BRIX_Flag::EliminateLinearVariables, true);
    struct Case {
        bool forall;
        BRIX_AtomicPoly* sub;
        int k;
        double y;
        bool holds;
    } cases[] = {
        // EXISTS x in [0, 1]: x + y > 1  <=>  y > 0
        {E, Linear(2, {{0, 1}, {1, 1}}, -1, BRIX_Greater), 1, 0.5, true},
        {E, Linear(2, {{0, 1}, {1, 1}}, -1, BRIX_Greater), 1, 0, false},
        // FORALL x, z in [0, 1]: x + z + y >= 1  <=>  y >= 1
        {A, Linear(3, {{0, 1}, {1, 1}, {2, 1}}, -1, BRIX_GreaterEqual), 2, 1, true},
        {A, Linear(3, {{0, 1}, {1, 1}, {2, 1}}, -1, BRIX_GreaterEqual), 2, 0.9, false},
        // FORALL x in [0, 1]: y - 2x = 0 never holds; EXISTS x: y - 2x != 0 always
        {A, Linear(2, {{0, 1}, {1, -2}}, 0, BRIX_Equal), 1, 0, false},
        {E, Linear(2, {{0, 1}, {1, -2}}, 0, BRIX_NotEqual), 1, 0, true},
    };
    for (const Case& c : cases) {
        Node node(Simplify(Q(c.forall, c.sub, 1, c.k)));
        ASSERT_NE(node->Kind(), BRIX_KindQuantified) << c.forall << c.y;
        EXPECT_EQ(node->Sample(nullptr, BoxOf({{c.y, c.y}}), 1), c.holds) << c.forall << c.y;
    }
}

}  // namespace
