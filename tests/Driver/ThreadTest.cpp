// Solvers in several threads at once give the answers they give one after the
// other. Built a second time with ThreadSanitizer (make test-tsan), which then
// also reports any shared state the solve path still writes.
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Solve.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

using brix::BoxBounds;
using brix::SolveOptions;
using brix::SolveResult;

struct Problem {
    std::string constraint;
    std::vector<std::string> variables;
    BoxBounds box;
    SolveOptions options;
};

SolveOptions With(double errorBound, std::map<int, bool> flags = {},
                  std::map<int, double> params = {}) {
    SolveOptions options;
    options.errorBound = errorBound;
    options.flags = std::move(flags);
    options.params = std::move(params);
    return options;
}

// Different constraint kinds and different tunings, so that a solver reading
// another's flags, parameters or precision losses answers
// differently from its sequential run.
std::vector<Problem> Problems() {
    SolveOptions shared = With(0.01);
    shared.threads = 2;
    return {
        {"x^2 + y^2 <= 1", {"x", "y"}, {{-1.5, 1.5}, {-1.5, 1.5}}, With(0.05)},
        {"x^2 + y^2 <= 1", {"x", "y"}, {{-1.5, 1.5}, {-1.5, 1.5}},
         With(0.05, {}, {{BRIX_Param::BranchingStrategy, 0}})},
        {"EXISTS([y], [[-1, 1]], x = y^3 - y)", {"x"}, {{-2, 2}}, With(0.01)},
        {"EXISTS([y], [[0, 1]], x*y >= 0.5)", {"x"}, {{-2, 2}},
         With(0.01, {{BRIX_Flag::SimplifyConstraint, false}})},
        {"FORALL([x], [[0, 1]], x^2 <= x)", {}, {}, With(0.5)},
        {"EXISTS([x], [[0, 2]], x^2 = 2)", {}, {}, With(0.5)},
        {"x - x = 0", {"x"}, {{0, 1e-300}}, With(0)},
        // The refinement shared by two threads of its own.
        {"x^2 + y^2 + z^2 <= 1", {"x", "y", "z"}, {{-1.5, 1.5}, {-1.5, 1.5}, {-1.5, 1.5}},
         shared},
    };
}

void ExpectSame(const SolveResult& a, const SolveResult& b, const std::string& what) {
    EXPECT_EQ(a.solved, b.solved) << what;
    EXPECT_EQ(a.error, b.error) << what;
    EXPECT_EQ(a.complete, b.complete) << what;
    EXPECT_EQ(a.timedOut, b.timedOut) << what;
    EXPECT_EQ(a.precisionLost, b.precisionLost) << what;
    EXPECT_EQ(a.reasons, b.reasons) << what;
    EXPECT_EQ(a.truth, b.truth) << what;
    auto same = [&](const std::vector<BoxBounds>& x, const std::vector<BoxBounds>& y,
                    const char* list) {
        ASSERT_EQ(x.size(), y.size()) << what << " " << list;
        for (std::size_t i = 0; i < x.size(); ++i) {
            ASSERT_EQ(x[i].size(), y[i].size());
            for (std::size_t k = 0; k < x[i].size(); ++k) {
                EXPECT_EQ(x[i][k].lo, y[i][k].lo) << what << " " << list << " box " << i;
                EXPECT_EQ(x[i][k].hi, y[i][k].hi) << what << " " << list << " box " << i;
            }
        }
    };
    same(a.trueBoxes, b.trueBoxes, "true");
    same(a.falseBoxes, b.falseBoxes, "false");
    same(a.openBoxes, b.openBoxes, "open");
}

TEST(Threads, SolversInThreadsAnswerAsInSequence) {
    const std::vector<Problem> problems = Problems();
    std::vector<SolveResult> sequential;
    for (const Problem& p : problems) {
        sequential.push_back(brix::Solve(p.constraint, p.variables, p.box, p.options));
        ASSERT_TRUE(sequential.back().solved) << p.constraint << ": " << sequential.back().error;
    }
    // Every problem in its own thread, all at once, twice.
    for (int round = 0; round < 2; ++round) {
        std::vector<SolveResult> parallel(problems.size());
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < problems.size(); ++i) {
            threads.emplace_back([&, i] {
                const Problem& p = problems[i];
                brix::Solver solver(p.options);
                parallel[i] = solver.Solve(p.constraint, p.variables, p.box);
            });
        }
        for (std::thread& t : threads) {
            t.join();
        }
        for (std::size_t i = 0; i < problems.size(); ++i) {
            ExpectSame(sequential[i], parallel[i], problems[i].constraint);
        }
    }
}

TEST(Threads, ASolverKeepsItsOwnTuningAndLeavesTheThreadsAlone) {
    const bool before = BRIX_GetFlag(BRIX_Flag::UseContinuity);
    brix::Solver solver(With(0.01, {{BRIX_Flag::UseContinuity, !before}}));
    EXPECT_EQ(BRIX_GetFlag(BRIX_Flag::UseContinuity), before);
    const SolveResult first = solver.Solve("x^2 <= 2", {"x"}, {{0, 2}});
    const SolveResult again = solver.Solve("x^2 <= 2", {"x"}, {{0, 2}});
    EXPECT_EQ(BRIX_GetFlag(BRIX_Flag::UseContinuity), before);
    ExpectSame(first, again, "the same solver twice");
    // An index outside the tables is refused when the solver is used.
    brix::Solver bad(With(0.5, {{19, true}}));
    EXPECT_FALSE(bad.Solve("x <= 1", {"x"}, {{0, 2}}).solved);
}

}  // namespace
