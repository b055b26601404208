#include "Constraint/BRIX_Negation.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/ConstraintTestSupport.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

// Any pointer value stands for the sub-constraint's state; it is never used.
BRIX_USAS* const kState = reinterpret_cast<BRIX_USAS*>(&RecordingLeaf::alive);

TEST(Negation, ForwardsToTheSubWithTheOppositeMeaning) {
    auto* leaf = new RecordingLeaf(2);
    BRIX_Negation node(2, leaf);
    for (bool up : {true, false}) {
        Box box(1);
        bool complete = false;
        EXPECT_TRUE(node.Narrow(kState, box, up, ResultPainter(), complete));
        EXPECT_EQ(leaf->seenUp, !up);
        EXPECT_EQ(leaf->seenUsas, kState);  // the sub's own state, passed on
        EXPECT_TRUE(box.IsEmpty());         // the caller's box itself is narrowed
        EXPECT_TRUE(complete);
    }
    for (bool answer : {true, false}) {
        leaf->sampleAnswer = answer;
        EXPECT_EQ(node.Sample(kState, Box(1), 3), !answer);
        EXPECT_EQ(leaf->seenUsas, nullptr);
    }

    // The negation holds exactly where the sub fails: the two sides trade places.
    leaf->marks.trueSets.Append(0);
    leaf->marks.falseSets.Append(1);
    ContinuityInfo marks = node.ContinuityMarks(kState);
    EXPECT_EQ(leaf->seenUsas, kState);
    EXPECT_TRUE(marks.FailsSurely());
    ASSERT_EQ(marks.trueSets.Size(), 1);
    EXPECT_EQ(marks.trueSets[0], 1u);

    const BRIX_Names names = {"x"};
    node.Negate();
    EXPECT_EQ(Printed(node, &names), "not (-x)");
    node.RemoveVariable(0);
    EXPECT_EQ(leaf->NumberOfVariables(), 1);
    EXPECT_TRUE(node.IsConsistent());
    EXPECT_FALSE(BRIX_Negation(1, nullptr).IsConsistent());
    EXPECT_FALSE(BRIX_Negation(2, new RecordingLeaf(1)).IsConsistent());
}

// Wraps node in count negations.
BRIX_Constraint* Negations(int count, BRIX_Constraint* node) {
    for (int i = 0; i < count; ++i) {
        node = new BRIX_Negation(node->NumberOfVariables(), node);
    }
    return node;
}

// Run under AddressSanitizer: each replaced node must be deleted exactly once.
TEST(Negation, SimplifyRemovesEveryNegation) {
    const int leaves = RecordingLeaf::alive;
    struct Case {
        int negations;
        BRIX_Constraint* inner;
        std::string simplified;
    };
    const Case cases[] = {
        {1, new BRIX_Constant(TruthValue::True(), 1), "Constant: [ false ]\n"},
        {1, new BRIX_Constant(TruthValue::False(), 1), "Constant: [ true ]\n"},
        {2, new BRIX_Constant(TruthValue::False(), 1), "Constant: [ false ]\n"},
        {2, new RecordingLeaf, "leaf"},
        {3, new RecordingLeaf, "-leaf"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<BRIX_Constraint> node(Negations(c.negations, c.inner));
        node.reset(node.release()->SimplifyNode());
        EXPECT_EQ(Printed(*node), c.simplified) << c.negations;
    }
    EXPECT_EQ(RecordingLeaf::alive, leaves);
}

TEST(Negation, ApproxQuantifiersReplacesTheNodes) {
    const int leaves = RecordingLeaf::alive;
    std::unique_ptr<BRIX_Constraint> node(Negations(2, new RecordingLeaf));
    std::unique_ptr<BRIX_Constraint> copy(node->Copy());
    node.reset(node.release()->ApproxQuantifiers(0.1));
    EXPECT_EQ(Printed(*node), "not (not (leaf))");
    EXPECT_EQ(Printed(*copy), "not (not (leaf))");
    EXPECT_EQ(RecordingLeaf::alive, leaves + 2);
    node.reset();
    copy.reset();
    EXPECT_EQ(RecordingLeaf::alive, leaves);
}

}  // namespace
