#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"

#include "Constraint/BRIX_Connective.h"
#include "Constraint/QuantifiedTestSupport.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_USASQuantified.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

// End to end: the refinement loop over a top quantifier, checked through the
// store's three lists.

namespace {

struct Lists {
    std::vector<Box> trueBoxes, falseBoxes, open;
};

// Refines top (consumed) as the driver does and returns the store's lists.
Lists Refine(BRIX_Constraint* top, BRIX_Problem& problem) {
    problem.constraint = top;
    problem.hasFreeVariables = true;
    problem.refined = false;
    approximateRefine(problem);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    Lists lists;
    EXPECT_TRUE(problem.approximation != nullptr && problem.approximation->IsStore());
    if (problem.approximation != nullptr && problem.approximation->IsStore()) {
        auto* store = static_cast<BRIX_USASQuantifiedStore*>(problem.approximation);
        lists = {BoxesOf(store->trueBoxes), BoxesOf(store->falseBoxes), BoxesOf(store->stack)};
    }
    return lists;
}

void Release(BRIX_Problem& problem) {
    if (problem.approximation != nullptr) {
        problem.approximation->Destroy();
    }
    delete problem.constraint;
}

// Every true box satisfies holds at all its points, every false box fails
// it at all its points, and the three lists add up to the volume of B.
void ExpectSound(const Lists& lists, const Box& B,
                 const std::function<bool(const Box&)>& surelyTrue,
                 const std::function<bool(const Box&)>& surelyFalse, const char* what) {
    for (const Box& b : lists.trueBoxes) {
        EXPECT_TRUE(surelyTrue(b)) << what << ": true box " << b[0].lo << " " << b[0].hi;
    }
    for (const Box& b : lists.falseBoxes) {
        EXPECT_TRUE(surelyFalse(b)) << what << ": false box " << b[0].lo << " " << b[0].hi;
    }
    ExactQ sum =
        ExactVolume(lists.trueBoxes) + ExactVolume(lists.falseBoxes) + ExactVolume(lists.open);
    EXPECT_TRUE(sum == ExactVolume(B)) << what;
}

TEST(QuantifiedRefine, TopQuantifiersSplitTheBoxSoundly) {
    // x >= 0 on [-1, 1]: true boxes inside [0, 1]; false boxes strictly below
    // 0, as the relation holds at 0. The EXISTS top stops at its first true
    // piece (-s).
    auto isTrue = [](const Box& b) { return b[0].lo >= 0 && b[0].hi <= 1; };
    auto isFalse = [](const Box& b) { return b[0].lo >= -1 && b[0].hi < 0; };
    const Box B = BoxOf({{-1, 1}});
    for (bool single : {false, true}) {
        BRIX_Problem problem;
        BRIX_Constraint* top =
            single ? static_cast<BRIX_Constraint*>(new BRIX_QuantifiedClass(
                         B, {0}, Linear(1, {{0, 1}}, 0, BRIX_GreaterEqual), false, 0))
                   : new BRIX_QuantifiedUnknown(B, {0}, Linear(1, {{0, 1}}, 0, BRIX_GreaterEqual),
                                                0.01, 0);
        Lists lists = Refine(top, problem);
        const char* what = single ? "EXISTS top" : "QUNKNOWN top";
        ExpectSound(lists, B, isTrue, isFalse, what);
        EXPECT_FALSE(lists.trueBoxes.empty()) << what;
        if (single) {
            EXPECT_TRUE(problem.provedTrue);
        } else {
            EXPECT_FALSE(lists.falseBoxes.empty());
            EXPECT_FALSE(ExactVolume(lists.open) < ExactQ(0.0));
            EXPECT_TRUE(ExactVolume(lists.open) < ExactQ(0.02 + 1e-12));
        }
        Release(problem);
    }
}

TEST(QuantifiedRefine, AKeptQuantifierStateNeverDecidesTheOpposite) {
    // (EXISTS y in [0, 1]: S) /\ x + z >= 1 on [0, 1]^2 with the connective
    // keeping the states of emptied branches: the EXISTS holds everywhere,
    // so the result is that of x + z >= 1.
    FlagScope keepBranches(BRIX_Flag::RemoveEmptyBranches, false);
    auto isTrue = [](const Box& b) { return !(ExactQ(b[0].lo) + ExactQ(b[1].lo) < ExactQ(1.0)); };
    auto isFalse = [](const Box& b) { return ExactQ(b[0].hi) + ExactQ(b[1].hi) < ExactQ(1.0); };
    struct Case {
        const char* what;
        double c;  // S is y + c >= 0
    } cases[] = {{"y >= -1", 1}, {"y >= 0.5", -0.5}};
    const Box B = BoxOf({{0, 1}, {0, 1}});
    for (const Case& c : cases) {
        auto* exists = new BRIX_QuantifiedClass(
            BoxOf({{0, 1}}), {2}, Linear(3, {{2, 1}}, c.c, BRIX_GreaterEqual), false, 2);
        auto* sum = Linear(2, {{0, 1}, {1, 1}}, -1, BRIX_GreaterEqual);
        auto* conjunction = new BRIX_Connective(true, {exists, sum}, 2);
        BRIX_Problem problem;
        Lists lists = Refine(new BRIX_QuantifiedUnknown(B, {0, 1}, conjunction, 0.1, 0), problem);
        ExpectSound(lists, B, isTrue, isFalse, c.what);
        EXPECT_FALSE(lists.trueBoxes.empty()) << c.what;
        Release(problem);
    }
}

TEST(QuantifiedRefine, SamplingRecordsOnlyProvedCells) {
    // Four cells of [-1, 1]; each is narrowed once both ways, and only what
    // the narrowing proves is recorded.
    ParamScope sampling(BRIX_Param::Sampling, 4);
    const Box B = BoxOf({{-1, 1}});
    BRIX_Problem problem;
    Lists lists = Refine(
        new BRIX_QuantifiedUnknown(B, {0}, Linear(1, {{0, 1}}, 0, BRIX_GreaterEqual), 0.5, 0),
        problem);
    EXPECT_TRUE(problem.complete);
    ExpectSound(
        lists, B, [](const Box& b) { return b[0].lo >= 0; },
        [](const Box& b) { return b[0].hi < 0; }, "sampling");
    EXPECT_FALSE(ExactVolume(lists.trueBoxes) < ExactQ(0.5));
    EXPECT_FALSE(ExactVolume(lists.falseBoxes) < ExactQ(0.5));
    Release(problem);
}

}  // namespace
