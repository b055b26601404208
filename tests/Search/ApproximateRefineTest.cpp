#include "support/RegistryScope.h"
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
    }
    void TearDown() override {
        Ex_StdOut().AttachSys(&IO_SysStdOut());
        if (problem.approximation != nullptr) {
            problem.approximation->Destroy();
        }
        delete problem.constraint;
    }
    std::string Output() const {
        return std::string(buffer_, static_cast<std::size_t>(sys_.next - buffer_));
    }
    // Refines constraint (consumed) in a fresh problem, which is then freed.
    static BRIX_Problem Solved(BRIX_Constraint* constraint) {
        BRIX_Problem fresh;
        fresh.constraint = constraint;
        fresh.refined = false;
        approximateRefine(fresh);
        fresh.approximation->Destroy();
        delete fresh.constraint;
        fresh.approximation = nullptr;
        fresh.constraint = nullptr;
        return fresh;
    }

    BRIX_Problem problem;
    FlagScope single_{BRIX_Flag::SingleUpDownNarrowing, true};
    ParamScope sampling_{BRIX_Param::Sampling, 0};
    ParamScope strategy_{BRIX_Param::BranchingStrategy, 1};

private:
    char buffer_[4096] = {};
    IO_SysOutputString sys_;
};

TEST_F(ApproximateRefineTest, AFalseConstantIsDecidedByTheFirstNarrowing) {
    problem.constraint = new BRIX_Constant(TruthValue::False(), 0);
    problem.refined = false;
    approximateRefine(problem);
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
        const BRIX_Problem p =
            Solved(new BRIX_Negation(0, new BRIX_Constant(TruthValue::False(), 0)));
        EXPECT_TRUE(p.provedTrue && !p.provedFalse) << single;
    }
}

TEST_F(ApproximateRefineTest, AnUndecidableConstraintEndsAsAPartialResult) {
    // No refinement step is possible and narrowing changes nothing: the loop
    // must end instead of spinning, with the partial-result line.
    for (double strategy : {0.0, 1.0, 2.0, 7.0}) {
        BRIX_SetParam(BRIX_Param::BranchingStrategy, strategy);
        const BRIX_Problem p = Solved(new BRIX_Constant(TruthValue::Unknown(), 0));
        EXPECT_FALSE(p.complete || p.provedTrue || p.provedFalse) << strategy;
    }
    std::string expected;
    for (int run = 0; run < 4; ++run) {
        expected += "Partial result!  Reason(s):\n";
    }
    EXPECT_EQ(Output(), expected);
}

TEST_F(ApproximateRefineTest, SamplingReplacesNarrowingAndANegativeCountSamplesNothing) {
    BRIX_SetParam(BRIX_Param::Sampling, 5);
    BRIX_Problem p = Solved(new BRIX_Constant(TruthValue::False(), 0));
    EXPECT_TRUE(p.complete);
    EXPECT_FALSE(p.provedFalse);  // no narrowing took place
    BRIX_SetParam(BRIX_Param::Sampling, -3);
    EXPECT_TRUE(Solved(new BRIX_Constant(TruthValue::False(), 0)).provedFalse);  // as without
}

}  // namespace
