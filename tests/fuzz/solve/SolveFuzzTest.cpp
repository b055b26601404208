// The solve fuzzer's library: its checker must refute wrong claims (and only
// those), its problems must read back from their text, the findings kept in
// tests/fuzz/solve_findings must pass, and a short fixed-seed run must find
// nothing.
#include "fuzz/solve/FuzzChecker.h"
#include "fuzz/solve/FuzzEvaluator.h"
#include "fuzz/solve/FuzzGenerator.h"
#include "fuzz/solve/FuzzIsolation.h"
#include "fuzz/solve/FuzzParser.h"
#include "fuzz/solve/FuzzReplay.h"
#include "fuzz/solve/FuzzRoots.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace solvefuzz;

Problem Make(const std::string& text, std::vector<std::string> variables, std::vector<Bound> box) {
    Problem p;
    std::string error;
    EXPECT_TRUE(ParseConstraint(text, p.constraint, error)) << error;
    p.text = text;
    p.variables = std::move(variables);
    p.box = std::move(box);
    return p;
}

// The kinds of the findings, sorted: "wrong-false wrong-true(decimal)".
std::string Kinds(const Outcome& o) {
    std::vector<std::string> kinds;
    for (const Finding& f : o.findings) {
        kinds.push_back(f.kind + (f.inexactDecimal ? "(decimal)" : ""));
    }
    std::sort(kinds.begin(), kinds.end());
    std::string text;
    for (const std::string& k : kinds) {
        text += (text.empty() ? "" : " ") + k;
    }
    return text;
}

int Count(const Node& n, Op op) {
    int count = n.op == op ? 1 : 0;
    for (const Node& kid : n.kids) {
        count += Count(kid, op);
    }
    return count;
}

// Results made up by hand, right and wrong, against the kinds of finding they
// must give. 0x1.999999999999ap-4 is the double nearest 0.1, a little above it.
TEST(SolveFuzzChecker, RefutesWrongClaimsOnly) {
    using brix::Truth;
    struct Case {
        const char* constraint;
        std::vector<std::string> variables;
        std::vector<Bound> box;
        std::vector<brix::BoxBounds> trueBoxes, falseBoxes, openBoxes;
        Truth truth;
        const char* findings;
    };
    const std::vector<Bound> unit = {{"0", "1"}};
    const Case cases[] = {
        {"x <= 0.5", {"x"}, unit, {{{0, 0.5}}}, {{{0.75, 1}}}, {{{0.5, 0.75}}}, Truth::Unknown, ""},
        {"x <= 0.5", {"x"}, unit, {{{0, 0.75}}}, {{{0.75, 1}}}, {}, Truth::Unknown, "wrong-true"},
        {"x <= 0.5",
         {"x"},
         unit,
         {{{0, 0.25}}},
         {{{0.5, 1}}},
         {{{0.25, 0.5}}},
         Truth::Unknown,
         "wrong-false"},
        // [0.9, 1.1] x <= 1 holds for every coefficient below 1/1.1, for none
        // above 1/0.9: at x = 1 it is neither true nor false.
        {"[0.9, 1.1] x <= 1",
         {"x"},
         {{"0", "2"}},
         {{{0, 0.5}}},
         {{{1.25, 2}}},
         {{{0.5, 1.25}}},
         Truth::Unknown,
         ""},
        {"[0.9, 1.1] x <= 1",
         {"x"},
         {{"0", "2"}},
         {{{0, 1}}},
         {{{1, 2}}},
         {},
         Truth::Unknown,
         "wrong-false wrong-true"},
        {"~(x > 0.5) \\/ x^2 >= 0.25", {"x"}, unit, {{{0, 1}}}, {}, {}, Truth::Unknown, ""},
        // A grid can refute a true FORALL, a false EXISTS, never the others.
        {"FORALL([t], [[0, 1]], x + t <= 1)",
         {"x"},
         unit,
         {{{0, 0}}},
         {{{0, 1}}},
         {},
         Truth::Unknown,
         ""},
        {"FORALL([t], [[0, 1]], x + t <= 1)",
         {"x"},
         unit,
         {{{0, 0.25}}},
         {},
         {{{0.25, 1}}},
         Truth::Unknown,
         "wrong-true"},
        {"EXISTS([t, u], [[0, 1], [1, 1]], t^2 = x u)",
         {"x"},
         unit,
         {{{0, 1}}},
         {{{1, 1}}},
         {},
         Truth::Unknown,
         "wrong-false"},
        // On a point box the quantifier's value is exact both ways.
        {"FORALL([t], [[2, 2]], x t < 1)",
         {"x"},
         unit,
         {},
         {{{0.5, 1}}},
         {{{0, 0.5}}},
         Truth::Unknown,
         ""},
        {"FORALL([t], [[2, 2]], x t < 1)",
         {"x"},
         unit,
         {},
         {{{0.25, 1}}},
         {{{0, 0.25}}},
         Truth::Unknown,
         "wrong-false"},
        // Boxes must lie in B and cover it.
        {"x <= 2", {"x"}, unit, {{{0, 1.5}}}, {}, {}, Truth::Unknown, "bad-box"},
        {"x <= 2", {"x"}, unit, {{{0, 0.5}}}, {}, {}, Truth::Unknown, "coverage"},
        // Sentences, and decimals that are not doubles.
        {"0.1 + 0.2 = 0.3", {}, {}, {}, {}, {}, Truth::True, ""},
        {"0.1 + 0.2 = 0.3", {}, {}, {}, {}, {}, Truth::False, "wrong-truth(decimal)"},
        {"EXISTS([t], [[0, 1]], t > 1)", {}, {}, {}, {}, {}, Truth::True, ""},
        {"FORALL([t], [[0, 1]], t < 1)", {}, {}, {}, {}, {}, Truth::True, "wrong-truth"},
        {"x <= 0.1",
         {"x"},
         {{"0", "0.1"}},
         {{{0, 0x1.999999999999ap-4}}},
         {},
         {},
         Truth::Unknown,
         "wrong-true(decimal)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.constraint);
        Problem p = Make(c.constraint, c.variables, c.box);
        Outcome o;
        o.result.solved = true;
        o.result.trueBoxes = c.trueBoxes;
        o.result.falseBoxes = c.falseBoxes;
        o.result.openBoxes = c.openBoxes;
        o.result.truth = c.truth;
        Check(p, CheckLimits(), 1, o);
        EXPECT_EQ(Kinds(o), c.findings);
    }
}

// The oracle for EXISTS over an equation: roots counted exactly, at the ends
// too, and through the interpolated polynomial of an evaluated relation.
TEST(SolveFuzzRoots, RootsInAnInterval) {
    const ExactQ zero(0.0), one(1.0), two(2.0), half(0.5);
    EXPECT_TRUE(HasRootIn({-two, zero, one}, zero, two));   // x^2 - 2
    EXPECT_FALSE(HasRootIn({one, zero, one}, -two, two));   // x^2 + 1
    EXPECT_FALSE(HasRootIn({one, -two, one}, zero, half));  // (x - 1)^2
    EXPECT_TRUE(HasRootIn({one, -two, one}, zero, one));    // at the end
    EXPECT_TRUE(HasRootIn({zero}, zero, one));              // zero everywhere
    // x^3 - x from its values at 0, 2/3, 4/3, 2.
    std::vector<ExactQ> values;
    for (int j = 0; j < 4; ++j) {
        const ExactQ x = two * ExactQ(j) / ExactQ(3);
        values.push_back(x * x * x - x);
    }
    const std::vector<ExactQ> p = Interpolate(zero, two, values);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_TRUE(p[0] == zero && p[1] == -one && p[2] == zero && p[3] == one);
    Problem cubic = Make("EXISTS([y], [[0, 2]], y^3 - y = x)", {"x"}, {{"-1", "7"}});
    Evaluator e(cubic.constraint, cubic.variables, false);
    long budget = 1000;
    EXPECT_EQ(e.At({ExactQ(7.0)}, budget).hi, kFalse);
    EXPECT_EQ(e.At({ExactQ(-0.25)}, budget).lo, kTrue);
}

// Every generated problem prints as text that parses back to the same tree
// (printed alike), names only variables in scope, and survives its replay
// file unchanged.
TEST(SolveFuzzGenerator, ProblemsReadBack) {
    int closed = 0, quantified = 0, intervals = 0, inexact = 0;
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        const Problem p = Generate(seed, 0.25);
        SCOPED_TRACE(p.text);
        Node parsed;
        std::string error;
        ASSERT_TRUE(ParseConstraint(p.text, parsed, error)) << error;
        EXPECT_EQ(Print(parsed), p.text);
        EXPECT_TRUE(Evaluator(p.constraint, p.variables, false).Valid());
        Problem back;
        ASSERT_TRUE(ReadReplay(ReplayText(p, {}), back, error)) << error;
        EXPECT_EQ(ReplayText(back, {}), ReplayText(p, {}));
        closed += p.variables.empty() ? 1 : 0;
        quantified +=
            p.text.find("FORALL") != std::string::npos || p.text.find("EXISTS") != std::string::npos
                ? 1
                : 0;
        intervals += Count(p.constraint, Op::Interval) > 0 ? 1 : 0;
        inexact += p.text.find("0.1") != std::string::npos ? 1 : 0;
    }
    // The mix the generator promises shows up.
    EXPECT_GT(closed, 60);
    EXPECT_GT(quantified, 100);
    EXPECT_GT(inexact, 20);
    EXPECT_GT(intervals, 20);
}

TEST(SolveFuzzParser, RefusesWhatItCannotRead) {
    for (const char* text :
         {"x <= ", "x <==> y", "f(x) <= 1", "x & y", "(x <= 1", "x <= 1)", "[x, 1] <= 2", "x + 1",
          "x <= 1 <= 2", "FORALL([t], [[0, 1], [0, 1]], t <= 1)", "x^y <= 1", "2x <= 1"}) {
        Node n;
        std::string error;
        EXPECT_FALSE(ParseConstraint(text, n, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Findings kept once their fault is understood: each must pass once the
// fault is fixed.
TEST(SolveFuzzReplays, KeptFindingsPass) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(BRIX_SOLVE_FINDINGS)) {
        if (entry.path().extension() == ".replay") {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Problem p;
        std::string error;
        ASSERT_TRUE(ReadReplayFile(path, p, error)) << error;
        // In a child process: a hang or crash fails the test, not the suite.
        const Outcome o = SolveAndCheckApart(p, CheckLimits(), 10 * p.options.timeoutSeconds + 5);
        for (const Finding& f : o.findings) {
            ADD_FAILURE() << f.kind
                          << (f.inexactDecimal ? " (decimals read as nearest doubles)" : "") << ": "
                          << f.detail;
        }
    }
}

// A short run with fixed seeds, each problem in a child process.
TEST(SolveFuzzSmoke, FixedSeedsFindNothing) {
    CheckLimits limits;
    limits.budget = 20000;
    long claims = 0, solved = 0;
    for (std::uint64_t seed = 1; seed <= 100; ++seed) {
        const Problem p = Generate(seed, 0.05);
        const Outcome o = SolveAndCheckApart(p, limits, 6);
        claims += o.claims;
        solved += o.result.solved ? 1 : 0;
        if (!o.findings.empty()) {
            ADD_FAILURE() << ReplayText(p, o.findings);
        }
    }
    std::printf("[ smoke    ] %ld solved, %ld claims\n", solved, claims);
    EXPECT_GT(solved, 80);
    EXPECT_GT(claims, 150);
}

}  // namespace
