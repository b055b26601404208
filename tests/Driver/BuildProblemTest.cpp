#include "support/ParseText.h"
#include "support/RegistryScope.h"
#include "Driver/BRIX_BuildProblem.h"

#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Driver/BRIX_Registry.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

Box UnitBox(int n) {
    Box box(n);
    for (int i = 0; i < n; ++i) {
        box.Set(i, Iv_Itvl<double>::FromBounds(0, 1));
    }
    return box;
}

// The problem record frees its tree with the test.
struct Built {
    ~Built() { delete problem.constraint; }
    BRIX_Problem problem;
    bool valid = false;
};

TEST(BuildProblem, TopNode) {
    struct Case {
        bool single;
        bool traceTop;
        bool traceInversion;
        bool traced;
    };
    const Case cases[] = {
        {false, false, false, false}, {true, false, false, false}, {false, true, false, true},
        {true, true, false, true},    {false, true, true, false},
    };
    for (const Case& c : cases) {
        FlagScope top(BRIX_Flag::TraceTopLevel, c.traceTop);
        FlagScope inversion(BRIX_Flag::TraceFunctionInversion, c.traceInversion);
        Built b;
        buildProblem(ParseText("TRACE(x < y);"), {"x", "y"}, UnitBox(2), c.single, 0.25, b.valid,
                     b.problem);
        ASSERT_TRUE(b.valid);
        EXPECT_FALSE(b.problem.refined);
        EXPECT_TRUE(b.problem.hasFreeVariables);
        EXPECT_EQ(b.problem.variables, std::vector<std::string>({"x", "y"}));
        const auto* q = dynamic_cast<const BRIX_Quantified*>(b.problem.constraint);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->NumberOfVariables(), 0);
        EXPECT_EQ(q->variables, std::vector<int>({0, 1}));
        EXPECT_TRUE(q->BoundBox() == UnitBox(2));
        EXPECT_EQ(q->TraceFlag(), c.traced);
        EXPECT_TRUE(q->Sub()->TraceFlag());  // the input's own TRACE stays
        if (c.single) {
            const auto* e = dynamic_cast<const BRIX_QuantifiedClass*>(q);
            ASSERT_NE(e, nullptr);
            EXPECT_FALSE(e->isForall);
        } else {
            const auto* u = dynamic_cast<const BRIX_QuantifiedUnknown*>(q);
            ASSERT_NE(u, nullptr);
            EXPECT_EQ(u->errorBound, 0.25);
        }
    }
}

TEST(BuildProblem, RefusedInputs) {
    struct Case {
        const char* f;
        std::vector<std::string> names;
        int boxDimension;
    };
    const Case cases[] = {
        {"x < [3, 1];", {"x"}, 1}, {"x^y > 1;", {"x", "y"}, 2},
        {"x > 0;", {"x", "x"}, 2},  // a repeated name
        {"1 > 0;", {"1"}, 1},       // a number as a name
        {"x > 0;", {"x"}, 2},       // B does not fit V
    };
    for (const Case& c : cases) {
        Built b;
        b.valid = true;
        buildProblem(ParseText(c.f), c.names, UnitBox(c.boxDimension), false, 0.5, b.valid, b.problem);
        EXPECT_FALSE(b.valid) << c.f;
        EXPECT_EQ(b.problem.constraint, nullptr) << c.f;
        EXPECT_TRUE(b.problem.refined) << c.f;
    }
}

// Only a sentence whose outermost node is a classical quantifier is cut, and
// only into parts of that quantifier's box.
TEST(BuildProblem, SentencePiecesNeedAnOutermostQuantifier) {
    const char* whole = "FORALL([x], [[0, 1]], x >= 0) /\\ EXISTS([y], [[0, 1]], y > 0.5);";
    Built b;
    buildProblem(ParseText(whole), {}, Box(0), false, 0.5, b.valid, b.problem);
    ASSERT_TRUE(b.valid);
    buildSharedPieces(ParseText(whole), {}, Box(0), false, 0.5, nullptr, 4, b.problem);
    EXPECT_TRUE(b.problem.pieces.empty());
    EXPECT_FALSE(b.problem.sentencePieces);

    Built q;
    buildProblem(ParseText("EXISTS([y], [[0, 1]], y > 0.5);"), {}, Box(0), false, 0.5, q.valid,
                 q.problem);
    ASSERT_TRUE(q.valid);
    BRIX_Problem piece;
    Box outside(1);
    outside.Set(0, Iv_Itvl<double>::FromBounds(0.5, 1.5));
    EXPECT_FALSE(buildSentencePiece(q.problem, outside, piece));
    EXPECT_EQ(piece.constraint, nullptr);
    Box inside(1);
    inside.Set(0, Iv_Itvl<double>::FromBounds(0.5, 1));
    ASSERT_TRUE(buildSentencePiece(q.problem, inside, piece));
    const auto* top = dynamic_cast<const BRIX_QuantifiedClass*>(piece.constraint);
    ASSERT_NE(top, nullptr);
    EXPECT_FALSE(top->isForall);
    EXPECT_TRUE(top->BoundBox() == inside);
    delete piece.constraint;
}

}  // namespace
