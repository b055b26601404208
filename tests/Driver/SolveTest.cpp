#include "support/ExactRational.h"
#include "support/RegistryScope.h"
#include "Driver/BRIX_Solve.h"

#include "Driver/BRIX_Timeout.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_PrecisionLoss.h"
#include "System/SAL.h"

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using brix::BoxBounds;
using brix::Solve;
using brix::SolveOptions;
using brix::SolveResult;
using brix::Truth;

SolveOptions Eps(double errorBound) {
    SolveOptions options;
    options.errorBound = errorBound;
    return options;
}

const BoxBounds kSquare = {{-1.5, 1.5}, {-1.5, 1.5}};

// The point of [lo, hi] nearest 0 and the one farthest from it, exactly.
ExactQ Nearest(const brix::Bounds& c) {
    return ExactQ(c.lo > 0 ? c.lo : c.hi < 0 ? c.hi : 0.0);
}
ExactQ Farthest(const brix::Bounds& c) {
    return ExactQ(std::fabs(c.lo) > std::fabs(c.hi) ? c.lo : c.hi);
}
ExactQ SquaredNorm(const ExactQ& x, const ExactQ& y) {
    return x * x + y * y;
}

TEST(Solve, RefusesWhatItCannotSolve) {
    SolveOptions negativeBound = Eps(-1);
    SolveOptions nanBound = Eps(std::nan(""));
    SolveOptions negativeTimeout;
    negativeTimeout.timeoutSeconds = -1;
    struct Case {
        const char* constraint;
        std::vector<std::string> variables;
        BoxBounds box;
        SolveOptions options;
        const char* error;
    };
    const Case cases[] = {
        {"x <= ", {"x"}, {{0, 1}}, {}, "Syntax error"},
        {"", {"x"}, {{0, 1}}, {}, "Expression  is not a valid constraint"},
        {"x <= 1; x >= 0", {"x"}, {{0, 1}}, {}, "Syntax error: text after `;'"},
        {"x # <= 1", {"x"}, {{0, 1}}, {}, "Syntax error: `#' starts no token"},
        {"x <= \"1", {"x"}, {{0, 1}}, {}, "Syntax error: `\"' starts no token"},
        {"x <= 1 /* open", {"x"}, {{0, 1}}, {}, "End of file in comment"},
        {"x + 1", {"x"}, {{0, 1}}, {}, "Expression x + 1 is not a valid constraint"},
        {"x <= y", {"x"}, {{0, 1}}, {}, "Expression x <= y is not a valid constraint"},
        {"x <= 1", {"x", "y"}, {{0, 1}}, {}, "Error: Dimension of B is 1 instead of 2!"},
        {"x <= 1", {"x"}, {}, {}, "Error: Dimension of B is 0 instead of 1!"},
        {"x <= 1", {"x"}, {{1, 0}}, {}, "Component 0 of B is not an interval [lo, hi]"},
        {"x <= 1", {"x"}, {{0, std::nan("")}}, {}, "Component 0 of B"},
        {"x <= 1", {"x"}, {{HUGE_VAL, HUGE_VAL}}, {}, "Component 0 of B"},
        {"x <= 1", {"x", "x"}, {{0, 1}, {0, 1}}, {}, "V must hold distinct names"},
        {"x <= 1", {"1x"}, {{0, 1}}, {}, "V must hold distinct names"},
        {"x <= 1", {"x"}, {{0, 1}}, negativeBound, "The error bound must be"},
        {"x <= 1", {"x"}, {{0, 1}}, nanBound, "The error bound must be"},
        {"x <= 1", {"x"}, {{0, 1}}, negativeTimeout, "The time-out must be"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.constraint);
        SolveResult r = Solve(c.constraint, c.variables, c.box, c.options);
        EXPECT_FALSE(r.solved);
        EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << r.error;
        EXPECT_TRUE(r.trueBoxes.empty() && r.falseBoxes.empty() && r.openBoxes.empty());
    }
    SolveResult nul = Solve(std::string("x <= 1\0", 7), {"x"}, {{0, 1}});
    EXPECT_FALSE(nul.solved);
    EXPECT_EQ(nul.error, "Syntax error: NUL character in the constraint");
}

// Every proved box is checked exactly; the boxes cover the square without
// overlap (their volumes add up to its volume), and the open volume meets the
// error bound.
TEST(Solve, DiscIsSoundAndMeetsTheErrorBound) {
    SolveResult r = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(0.05));
    ASSERT_TRUE(r.solved) << r.error;
    EXPECT_TRUE(r.complete);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.truth, Truth::Unknown);
    ASSERT_FALSE(r.trueBoxes.empty());
    ASSERT_FALSE(r.falseBoxes.empty());
    const ExactQ one(1.0);
    ExactQ total(0.0), open(0.0);
    auto volume = [](const BoxBounds& b) {
        return (ExactQ(b[0].hi) - ExactQ(b[0].lo)) * (ExactQ(b[1].hi) - ExactQ(b[1].lo));
    };
    for (const BoxBounds& b : r.trueBoxes) {
        ASSERT_EQ(b.size(), 2u);
        EXPECT_FALSE(one < SquaredNorm(Farthest(b[0]), Farthest(b[1])));  // the disc is convex
        total = total + volume(b);
    }
    for (const BoxBounds& b : r.falseBoxes) {
        ASSERT_EQ(b.size(), 2u);
        EXPECT_TRUE(one < SquaredNorm(Nearest(b[0]), Nearest(b[1])));
        total = total + volume(b);
    }
    for (const BoxBounds& b : r.openBoxes) {
        ASSERT_EQ(b.size(), 2u);
        open = open + volume(b);
    }
    total = total + open;
    EXPECT_TRUE(total == ExactQ(9.0));
    EXPECT_FALSE(ExactQ(0.05) * ExactQ(9.0) < open);
}

TEST(Solve, ClosedSentences) {
    struct Case {
        const char* constraint;
        Truth truth;
    };
    const Case cases[] = {
        {"FORALL([x], [[0, 1]], x^3 - x <= 0.5)", Truth::True},
        {"EXISTS([x], [[0, 1]], x^2 > 2)", Truth::False},
        {"1 < 2", Truth::True},
        {"FORALL([x], [[-1, 1]], x <= 0)", Truth::False},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.constraint);
        SolveResult r = Solve(c.constraint, {}, {});
        ASSERT_TRUE(r.solved) << r.error;
        EXPECT_EQ(r.truth, c.truth);
        EXPECT_TRUE(r.complete);
        EXPECT_TRUE(r.trueBoxes.empty() && r.falseBoxes.empty() && r.openBoxes.empty());
    }
}

// A single box under -s: every returned true box is inside the disc.
TEST(Solve, SingleBox) {
    SolveOptions options;
    options.singleBox = true;
    SolveResult r = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, options);
    ASSERT_TRUE(r.solved) << r.error;
    EXPECT_EQ(r.trueBoxes.size(), 1u);
    for (const BoxBounds& b : r.trueBoxes) {
        EXPECT_FALSE(ExactQ(1.0) < SquaredNorm(Farthest(b[0]), Farthest(b[1])));
    }
}

// A true/false boundary at a point that is no double (sqrt 2) runs out of
// precision, at the top or inside a quantifier: with every branching
// strategy and method the sliver stays open, the proved boxes are kept and the
// result is partial with the reason; nothing is written and the default
// handler is put back.
TEST(Solve, PrecisionLossIsAPartialResult) {
    for (const char* constraint : {"x^2 <= 2", "FORALL([y], [[1, 1]], x^2 * y <= 2)"}) {
        for (double strategy : {0, 1, 2, 3}) {
            for (double method : {0, 1, 2}) {
                SCOPED_TRACE(testing::Message()
                             << constraint << ", strategy " << strategy << ", method " << method);
                ParamScope s(BRIX_Param::BranchingStrategy, strategy);
                ParamScope m(BRIX_Param::BranchingMethod, method);
                SolveResult r = Solve(constraint, {"x"}, {{0, 2}}, Eps(0));
                ASSERT_TRUE(r.solved) << r.error;
                EXPECT_TRUE(r.precisionLost);
                EXPECT_FALSE(r.complete);
                ASSERT_FALSE(r.reasons.empty());
                EXPECT_EQ(r.reasons.back().rfind("out of precision on [ [ ", 0), 0u)
                    << r.reasons.back();
                ASSERT_FALSE(r.openBoxes.empty());
                for (const BoxBounds& b : r.openBoxes) {  // only the sliver at sqrt 2
                    EXPECT_TRUE(b[0].lo <= 1.4142135623730951 && 1.4142135623730949 <= b[0].hi);
                }
                double proved = 0;
                for (const auto* list : {&r.trueBoxes, &r.falseBoxes}) {
                    for (const BoxBounds& b : *list) {
                        proved += b[0].hi - b[0].lo;
                    }
                }
                EXPECT_GT(proved, 1.999999);
                EXPECT_EQ(BRIX_SetPrecisionLossHandler(nullptr), nullptr);
            }
        }
    }
}

// A time-out stops the refinement with a partial but sound result; the
// caller's time-out setting is left as it was. A time-out far below a
// microsecond still counts (it is not read as "none").
TEST(Solve, TimeOut) {
    setTimeout(123);
    // Without the time-out the first refinement takes about half a second,
    // the second most of a minute.
    const double cases[][2] = {{1e-9, 1e-3}, {0.05, 1e-4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        SolveOptions options = Eps(c[1]);
        options.timeoutSeconds = c[0];
        SolveResult r = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, options);
        ASSERT_TRUE(r.solved) << r.error;
        EXPECT_TRUE(r.timedOut);
        EXPECT_FALSE(r.complete);
        EXPECT_FALSE(r.openBoxes.empty());
        for (const BoxBounds& b : r.trueBoxes) {
            EXPECT_FALSE(ExactQ(1.0) < SquaredNorm(Farthest(b[0]), Farthest(b[1])));
        }
        EXPECT_EQ(getTimeout(), 123u);
    }
    setTimeout(0);
}

// Nothing reaches standard output or error, whatever the call prints inside
// (the simplified constraint, "Partial result!", skipped characters, a line
// break in a comment, the precision-loss report), and the output switches are
// left as they were.
TEST(Solve, WritesNothing) {
    FlagScope print(BRIX_Flag::PrintSimplified, true);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    (void)Solve("x^2 + y^2 <= 1 /* a\nb */", {"x", "y"}, kSquare);
    (void)Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(HUGE_VAL));
    (void)Solve("x . <= 1", {"x"}, {{0, 1}});
    (void)Solve("x + 1", {"x"}, {{0, 1}});
    (void)Solve("x^2 <= x", {"x"}, {{0, 1}}, Eps(0));
    SolveOptions timed = Eps(1e-3);
    timed.timeoutSeconds = 1e-6;
    (void)Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, timed);
    std::fflush(stdout);
    std::fflush(stderr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(Ex_StdOut().enabled);
    EXPECT_TRUE(Ex_StdErr().enabled);
}

// The refinement shows a progress line on a terminal after a second; a call
// of Solve keeps quiet there too.
TEST(Solve, QuietOnATerminal) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        GTEST_SKIP() << "no pseudo-terminal";
    }
    int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    std::fflush(stderr);
    int saved = dup(2);
    dup2(terminal, 2);
    SolveOptions options = Eps(1e-4);  // most of a minute without the time-out
    options.timeoutSeconds = 1.3;
    SolveResult r = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, options);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    close(terminal);
    EXPECT_TRUE(r.timedOut);
    fcntl(master, F_SETFL, O_NONBLOCK);
    char shown[256];
    EXPECT_LE(read(master, shown, sizeof shown), 0);
    close(master);
}

// Calls repeat with the same result, also after calls that failed midway (a
// syntax error leaves no scanner state behind, a precision loss no handler).
TEST(Solve, RepeatedCallsAgree) {
    const SolveResult first = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(0.1));
    ASSERT_TRUE(first.solved);
    for (int i = 0; i < 5; ++i) {
        (void)Solve("x <= (", {"x"}, {{0, 1}});
        (void)Solve("x <= 1 // comment", {"x"}, {{0, 1}});
        (void)Solve("x^2 <= x", {"x"}, {{0, 1}}, Eps(0));
        SolveResult again = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(0.1));
        ASSERT_TRUE(again.solved) << again.error;
        ASSERT_EQ(again.trueBoxes.size(), first.trueBoxes.size());
        ASSERT_EQ(again.falseBoxes.size(), first.falseBoxes.size());
        ASSERT_EQ(again.openBoxes.size(), first.openBoxes.size());
        for (std::size_t k = 0; k < first.openBoxes.size(); ++k) {
            EXPECT_EQ(again.openBoxes[k][0].lo, first.openBoxes[k][0].lo);
            EXPECT_EQ(again.openBoxes[k][1].hi, first.openBoxes[k][1].hi);
        }
    }
    EXPECT_TRUE(Solve("x <= 1 // comment", {"x"}, {{0, 1}}).solved);
}

// The caller's floating-point environment comes back unchanged, and the
// result does not depend on it: a number of the text is read to nearest.
TEST(Solve, KeepsTheCallersFloatingPointEnvironment) {
    const SolveResult nearest = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(0.1));
    for (int mode : {FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO}) {
        SCOPED_TRACE(mode);
        std::fesetround(mode);
        const int sal = SAL_Interface::GetRounding();
        SolveResult r = Solve("x^2 + y^2 <= 1", {"x", "y"}, kSquare, Eps(0.1));
        EXPECT_EQ(std::fegetround(), mode);
        EXPECT_EQ(SAL_Interface::GetRounding(), sal);
        std::fesetround(FE_TONEAREST);
        ASSERT_TRUE(r.solved);
        ASSERT_EQ(r.openBoxes.size(), nearest.openBoxes.size());
        for (std::size_t k = 0; k < r.openBoxes.size(); ++k) {
            EXPECT_EQ(r.openBoxes[k][0].lo, nearest.openBoxes[k][0].lo);
            EXPECT_EQ(r.openBoxes[k][1].hi, nearest.openBoxes[k][1].hi);
        }
    }
}

}  // namespace
