#include "Search/BRIX_ApproximateRefine.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Negation.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_USAS.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Sends the standard output stream into a buffer for the test's lifetime and
// restores the registry entries the test changes.
class ApproximateRefineTest : public ::testing::Test {
protected:
    void SetUp() override {
        sys_.Attach(buffer_, sizeof buffer_);
        Ex_StdOut().AttachSys(&sys_);
        flag12_ = BRIX_GetFlag(BRIX_Flag::SingleUpDownNarrowing);
        sampling_ = BRIX_GetParam(BRIX_Param::Sampling);
        strategy_ = BRIX_GetParam(BRIX_Param::BranchingStrategy);
    }
    void TearDown() override {
        Ex_StdOut().AttachSys(&IO_SysStdOut());
        BRIX_SetFlag(BRIX_Flag::SingleUpDownNarrowing, flag12_);
        BRIX_SetParam(BRIX_Param::Sampling, sampling_);
        BRIX_SetParam(BRIX_Param::BranchingStrategy, strategy_);
        if (problem.approximation != nullptr) {
            problem.approximation->Destroy();
        }
        delete problem.constraint;
    }
    std::string Output() const {
        return std::string(buffer_, static_cast<std::size_t>(sys_.next - buffer_));
    }
    void Solve(TruthValue value) {
        problem.constraint = new BRIX_Constant(value, 0);
        problem.refined = false;
        approximateRefine(problem);
    }

    BRIX_Problem problem;

private:
    char buffer_[4096] = {};
    IO_SysOutputString sys_;
    bool flag12_ = true;
    double sampling_ = 0, strategy_ = 1;
};

TEST_F(ApproximateRefineTest, AFalseConstantIsDecidedByTheFirstNarrowing) {
    Solve(TruthValue::False());
    EXPECT_TRUE(problem.provedFalse);
    EXPECT_FALSE(problem.provedTrue);
    EXPECT_TRUE(problem.complete);
    EXPECT_EQ(Output(), "");

    BRIX_USAS* state = problem.approximation;
    approximateRefine(problem);  // a second call does nothing
    EXPECT_EQ(problem.approximation, state);
    EXPECT_EQ(Output(), "");
}

TEST_F(ApproximateRefineTest, NegationAndBothNarrowingModesDecideATrueConstant) {
    for (bool single : {true, false}) {
        BRIX_SetFlag(BRIX_Flag::SingleUpDownNarrowing, single);
        BRIX_Problem fresh;
        fresh.constraint = new BRIX_Negation(0, new BRIX_Constant(TruthValue::False(), 0));
        fresh.refined = false;
        approximateRefine(fresh);
        EXPECT_TRUE(fresh.provedTrue) << single;
        EXPECT_FALSE(fresh.provedFalse) << single;
        fresh.approximation->Destroy();
        delete fresh.constraint;
    }
}

TEST_F(ApproximateRefineTest, AnUndecidableConstraintEndsAsAPartialResult) {
    // No refinement step is possible and narrowing changes nothing: the loop
    // must end instead of spinning, with the partial-result line.
    for (double strategy : {0.0, 1.0, 2.0, 7.0}) {
        BRIX_SetParam(BRIX_Param::BranchingStrategy, strategy);
        BRIX_Problem fresh;
        fresh.constraint = new BRIX_Constant(TruthValue::Unknown(), 0);
        fresh.refined = false;
        approximateRefine(fresh);
        EXPECT_FALSE(fresh.complete);
        EXPECT_FALSE(fresh.provedTrue || fresh.provedFalse);
        fresh.approximation->Destroy();
        delete fresh.constraint;
    }
    std::string expected;
    for (int run = 0; run < 4; ++run) {
        expected += "Partial result!  Reason(s):\n";
    }
    EXPECT_EQ(Output(), expected);
}

TEST_F(ApproximateRefineTest, SamplingReplacesNarrowingAndANegativeCountSamplesNothing) {
    BRIX_SetParam(BRIX_Param::Sampling, 5);
    Solve(TruthValue::False());
    EXPECT_TRUE(problem.complete);
    EXPECT_FALSE(problem.provedFalse);  // no narrowing took place

    BRIX_SetParam(BRIX_Param::Sampling, -3);
    BRIX_Problem fresh;
    fresh.constraint = new BRIX_Constant(TruthValue::False(), 0);
    fresh.refined = false;
    approximateRefine(fresh);
    EXPECT_TRUE(fresh.provedFalse);  // decided by narrowing as without sampling
    fresh.approximation->Destroy();
    delete fresh.constraint;
}

}  // namespace
