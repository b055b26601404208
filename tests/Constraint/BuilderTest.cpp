#include "support/ParseText.h"
#include "Constraint/BRIX_Builder.h"

#include "Constraint/BRIX_AtomicPoly.h"
#include "Constraint/BRIX_Connective.h"
#include "Constraint/BRIX_Negation.h"
#include "Constraint/BRIX_Quantified.h"

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;
using Node = std::unique_ptr<BRIX_Constraint>;

// Builds text (without its ";") over the free variables names, numbered 0 .. n-1.
Node Build(const std::string& text, BRIX_Names names) {
    std::vector<int> indices(names.size());
    std::iota(indices.begin(), indices.end(), 0);
    const BRIX_Names before = names;
    Node node(BuildConstraint(ParseText(text + ";"), names, true, indices));
    EXPECT_EQ(names, before) << "names in scope not restored: " << text;
    return node;
}

// The shape of a tree: relations as their symbol and polynomial variable
// count ("</1"), quantifiers with their bound numbers, "!" after a traced node.
std::string Shape(const BRIX_Constraint* node) {
    static const char* const relations[] = {"<", "<=", ">", ">=", "=", "!="};
    std::string s;
    if (const auto* a = dynamic_cast<const BRIX_AtomicPoly*>(node)) {
        s = std::string(relations[a->relation]) + "/" + std::to_string(a->Poly().VariableCount());
    } else if (const auto* q = dynamic_cast<const BRIX_Quantified*>(node)) {
        s = std::string(q->IsClassical() ? "" : "approx ") +
            (q->Polarity() < 0 ? "FORALL" : "EXISTS");
        for (int v : q->variables) {
            s += " " + std::to_string(v);
        }
        s += "(" + Shape(q->Sub()) + ")";
    } else if (const auto* c = dynamic_cast<const BRIX_Connective*>(node)) {
        s = c->isConjunction ? "and(" : "or(";
        for (int i = 0; i < c->SubCount(); ++i) {
            s += (i > 0 ? "," : "") + Shape(c->Sub(i));
        }
        s += ")";
    } else if (const auto* n = dynamic_cast<const BRIX_Negation*>(node)) {
        s = "not(" + Shape(n->Sub()) + ")";
    } else {
        s = "?";
    }
    return node->TraceFlag() ? s + "!" : s;
}

TEST(Builder, FormsTable) {
    const BRIX_Names xy = {"x", "y"};
    struct Case {
        const char* text;
        const char* shape;
    };
    const Case cases[] = {
        {"x < y", "</2"},
        {"x <= 1", "<=/1"},
        {"x > y^2", ">/2"},
        {"x >= -y", ">=/2"},
        {"x = 2*x", "=/1"},
        {"x != y", "!=/2"},
        {"1 < 2", "</0"},
        {"x < [1, 3]", "</1"},
        {"x + y*[-1, 1] >= 1/3", ">=/2"},
        {"+x > 0", ">/1"},
        {"TRACE(x > 0)", ">/1!"},
        {"trace(x > 0)", ">/1!"},
        {"TrAcE(not(x > 0))", "not(>/1)!"},
        {"TRACE(x > 0, y > 0)", "?"},  // two arguments: no wrapper, no form
        {"x > 0 ==> y > 0", "or(not(>/1),>/1)"},
        {"implies(x > 0, y > 0)", "or(not(>/1),>/1)"},
        {"implies(x > 0, y > 0, x < 1)", "?"},
        {"not(x > 0)", "not(>/1)"},
        {"~(x > 0)", "not(>/1)"},
        {"x > 0 /\\ y > 0", "and(>/1,>/1)"},
        {"x > 0 \\/ y > 0", "or(>/1,>/1)"},
        {"and()", "and()"},
        {"or()", "or()"},
        {"and(x > 0, or(y > 0), 1 < 2)", "and(>/1,or(>/1),</0)"},
        {"EXISTS([z], [[0, 1]], x + z > 0)", "EXISTS 2(>/2)"},
        {"forall([z, w], [[0, 1], [2, 3]], z*w > x)", "FORALL 2 3(>/3)"},
        {"EXISTS([0, 0.1], [z], [[0, 1]], z > x)", "approx EXISTS 2(>/2)"},
        {"FORALL(0.25, [z], [[0, 1]], z > x)", "approx FORALL 2(>/2)"},
        {"EXISTS([z], [[0, 1]], FORALL([w], [[0, 1]], z*w >= x))", "EXISTS 2(FORALL 3(>=/3))"},
        {"TRACE(EXISTS([z], [[0, 1]], TRACE(z > 0)))", "EXISTS 2(>/1!)!"},
    };
    for (const Case& c : cases) {
        Node node = Build(c.text, xy);
        const std::string shape = node == nullptr ? "?" : Shape(node.get());
        EXPECT_EQ(shape, c.shape) << c.text;
        if (node != nullptr) {
            EXPECT_TRUE(node->IsConsistent()) << c.text;
            EXPECT_EQ(node->NumberOfVariables(), 2) << c.text;
        }
    }
}

// Refusals the golden dialogues in tests/cli/errors show (x^y, x/y, f(x), an
// upside-down right-hand side, names out of scope, empty quantifier boxes and
// name lists, repeated names) are not repeated here.
TEST(Builder, RefusedTable) {
    const BRIX_Names xy = {"x", "y"};
    const char* const cases[] = {
        // Right-hand intervals and literals without a point.
        "x < []",
        "x + [3, 1] > 0",
        "[3, 1] < 2",
        // Exponents of variable terms: only numerals up to the limit.
        "x^(0.5) > 1",
        "x^(-1) > 1",
        "x^(+2) > 1",
        "x^1.0 > 1",
        "x^1001 > 1",
        "2^x > 1",
        "(x*y)^600 > 1",
        "(x^100)^11 > 1",
        // Constant parts follow the interval conversion.
        "x + 2^(0.5) > 1",
        // Not polynomials over the names in scope.
        "x/2 > 1",
        "z > 0",
        "2x > 0",
        "x + nan > 0",
        "[x, 1] < 2",
        "SquareRoot(x) > 0",
        // Heads no form accepts, and wrong argument counts.
        "x > 0 <==> y > 0",
        "x > 0 & y > 0",
        "x > 0 | y > 0",
        "not(x > 0, y > 0)",
        "x",
        "[x > 0]",
        "~x > 0",
        // Quantifiers: names and box must agree and hold points.
        "FORALL([z, w], [[0, 1]], z > w)",
        "EXISTS([z], [[1, 0]], z >= 0)",
        "EXISTS([z, z], [[0, 1], [0, 1]], z > 0)",
        "EXISTS([1], [[0, 1]], x > 0)",
        "EXISTS([z], [[0, 1]], w > 0)",
        "EXISTS(z, [[0, 1]], z > 0)",
        "EXISTS([a, b], [0, 1], [[0, 1]], x > 0)",
        "EXISTS(x, [z], [[0, 1]], z > 0)",
        // A failing operand after built ones: those are deleted (ASan).
        "and(x > 0, EXISTS([z], [[0, 1]], z > x), y ^ y > 0)",
        "EXISTS([z], [[0, 1]], FORALL([w], [[0, 1]], w > z) \\/ w > 0)",
        // The bound name is out of scope after its quantifier.
        "EXISTS([z], [[0, 1]], z > 0) /\\ z > 0",
    };
    for (const char* text : cases) {
        EXPECT_EQ(Build(text, xy), nullptr) << text;
    }
}

// Terms of a polynomial as "coefficient bounds @ exponents".
std::string Terms(const DistPoly& p) {
    std::string s;
    for (int t = 0; t < p.TermCount(); ++t) {
        char text[96];
        std::snprintf(text, sizeof text, "%s[%a,%a]@", t > 0 ? " " : "", p.Coefficient(t).lo,
                      p.Coefficient(t).hi);
        s += text;
        for (int v = 0; v < p.VariableCount(); ++v) {
            s += std::to_string(p.Exponent(t, v));
        }
    }
    return s;
}

TEST(Builder, PolynomialTable) {
    const BRIX_Names xyz = {"x", "y", "z"};
    struct Case {
        const char* text;
        const char* terms;
        std::vector<int> varMap;
    };
    const Case cases[] = {
        // L - R with a proper interval on the right; the right-hand side is 0.
        {"x < [1, 3]", "[0x1p+0,0x1p+0]@1 [-0x1.8p+1,-0x1p+0]@0", {0, -1, -1}},
        {"1 < 2", "[-0x1p+0,-0x1p+0]@", {-1, -1, -1}},
        {"[1, 2] < [3, 5]", "[-0x1p+2,-0x1p+0]@", {-1, -1, -1}},
        {"(z + 1)^2 = 0", "[0x1p+0,0x1p+0]@2 [0x1p+1,0x1p+1]@1 [0x1p+0,0x1p+0]@0", {-1, -1, 0}},
        {"z*x - x^2 + 2^10 > 0",
         "[-0x1p+0,-0x1p+0]@20 [0x1p+0,0x1p+0]@11 [0x1p+10,0x1p+10]@00",
         {0, -1, 1}},
        // Constant parts are evaluated as intervals: 1/3 encloses the third.
        {"y*(1/3) >= 0", "[0x1.5555555555555p-2,0x1.5555555555556p-2]@1", {-1, 0, -1}},
        {"y^0 > z^1000", "[-0x1p+0,-0x1p+0]@01000 [0x1p+0,0x1p+0]@00", {-1, 0, 1}},
        {"x - x > 0", "", {0, -1, -1}},
        // Numbers are the reals typed: sums and products of them are exact,
        // only the finished coefficients are rounded outward.
        {"x * 9007199254740993 - x * 9007199254740992 > 0", "[0x1p+0,0x1p+0]@1", {0, -1, -1}},
        {"x * 0.1 * 10 <= 1", "[0x1p+0,0x1p+0]@1 [-0x1p+0,-0x1p+0]@0", {0, -1, -1}},
        {"0.1 > 0.09999999999999999999",
         "[0x1.79ca10c924223p-67,0x1.79ca10c924224p-67]@",
         {-1, -1, -1}},
        {"x * [0.1, 0.2] < 0", "[0x1.9999999999999p-4,0x1.999999999999ap-3]@1", {0, -1, -1}},
        // What exact arithmetic does not take enters as its enclosure.
        {"x * SquareRoot(2) <= 0", "[0x1.6a09e667f3bccp+0,0x1.6a09e667f3bcdp+0]@1", {0, -1, -1}},
        {"x * 2^(-2) <= 0", "[0x1p-2,0x1p-2]@1", {0, -1, -1}},
    };
    for (const Case& c : cases) {
        Node node = Build(c.text, xyz);
        const auto* atom = dynamic_cast<const BRIX_AtomicPoly*>(node.get());
        ASSERT_NE(atom, nullptr) << c.text;
        EXPECT_EQ(Terms(atom->Poly()), c.terms) << c.text;
        EXPECT_EQ(atom->VarMap(), c.varMap) << c.text;
        EXPECT_EQ(atom->Variables(), std::vector<int>({0, 1, 2})) << c.text;
        EXPECT_EQ(atom->rhs.lo, 0.0) << c.text;
        EXPECT_EQ(atom->rhs.hi, 0.0) << c.text;
    }
}

TEST(Builder, ScopeNumbering) {
    // Bound names get the numbers after those in scope; each level's nodes
    // have as many variables as names are in scope there.
    Node node = Build("EXISTS([y], [[0, 1]], FORALL([z], [[-1, 1]], x + y*z > 0))", {"x"});
    const auto* outer = dynamic_cast<const BRIX_Quantified*>(node.get());
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->NumberOfVariables(), 1);
    EXPECT_EQ(outer->variables, std::vector<int>({1}));
    const auto* inner = dynamic_cast<const BRIX_Quantified*>(outer->Sub());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->NumberOfVariables(), 2);
    EXPECT_EQ(inner->variables, std::vector<int>({2}));
    EXPECT_EQ(inner->BoundBox()[0].lo, -1.0);
    const auto* atom = dynamic_cast<const BRIX_AtomicPoly*>(inner->Sub());
    ASSERT_NE(atom, nullptr);
    EXPECT_EQ(atom->NumberOfVariables(), 3);
    EXPECT_EQ(atom->VarMap(), std::vector<int>({0, 1, 2}));

    // A bound name hides the same name outside: x below is the bound one.
    node = Build("EXISTS([x], [[0, 1]], x > 0)", {"x"});
    outer = dynamic_cast<const BRIX_Quantified*>(node.get());
    ASSERT_NE(outer, nullptr);
    atom = dynamic_cast<const BRIX_AtomicPoly*>(outer->Sub());
    ASSERT_NE(atom, nullptr);
    EXPECT_EQ(atom->VarMap(), std::vector<int>({-1, 0}));
}

TEST(Builder, VariableLimit) {
    BRIX_Names names;
    std::string sum = "v0";
    for (int i = 0; i < 32; ++i) {
        names.push_back("v" + std::to_string(i));
        if (i > 0) {
            sum += " + v" + std::to_string(i);
        }
    }
    EXPECT_NE(Build(sum + " > 0", names), nullptr);
    // A quantifier would give its body a 33rd variable.
    EXPECT_EQ(Build("EXISTS([w], [[0, 1]], w > 0)", names), nullptr);
    names.push_back("v32");
    EXPECT_EQ(Build("v0 > 0", names), nullptr);
}

TEST(Builder, SizeLimits) {
    const BRIX_Names names = {"a", "b", "c", "d", "e", "f"};
    // Within the limits.
    EXPECT_NE(Build("a^1000 > 0", names), nullptr);
    EXPECT_NE(Build("(a + b + 1)^40 > 0", names), nullptr);
    // (a + ... + f + 1)^30 would have nearly two million terms: refused
    // before the work is done, as is a degree above the limit.
    EXPECT_EQ(Build("(a + b + c + d + e + f + 1)^30 > 0", names), nullptr);
    EXPECT_EQ(Build("(a + b)^600 * (a + b)^600 > 0", names), nullptr);
    EXPECT_EQ(Build("((a^10)^10)^11 > 0", names), nullptr);
}

TEST(Builder, VariableNames) {
    struct Case {
        BRIX_Names names;
        bool valid;
    };
    const Case cases[] = {
        {{}, true},       {{"x", "y_1", "_t", "Xyz9"}, true},
        {{"1"}, false},   {{"2x"}, false},
        {{"1.5"}, false}, {{"Infinity"}, false},
        {{""}, false},    {{"a b"}, false},
        {{"x-y"}, false},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& n : c.names) {
            joined += "'" + n + "' ";
        }
        EXPECT_EQ(BRIX_ValidVariableNames(c.names), c.valid) << joined;
    }
}

}  // namespace
