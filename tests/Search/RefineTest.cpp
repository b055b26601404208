#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_StackEl.h"
#include "Search/SearchTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A state of one free and one bound variable over the boxes given (top first),
// each element holding a nested quantifier with one element over [0, 1] for
// its bound variable.
class RefineTest : public ::testing::Test {
protected:
    void TearDown() override { BRIX_SetParam(BRIX_Param::BranchingStrategy, 1); }

    BRIX_StackElQuantified* Nested(const Box& box) {
        auto* e = new BRIX_StackElQuantified(box, -1, 1);
        Box inner(box.Dimension() + 1);
        for (int i = 0; i < box.Dimension(); ++i) {
            inner.Set(i, box[i]);
        }
        inner.Set(box.Dimension(), Iv_Itvl<double>(0.0, 1.0));
        e->Push(new BRIX_StackElAtomic(inner, &node));
        return e;
    }
    void Fill(BRIX_USASQuantified& q, std::initializer_list<Box> boxes) {
        std::vector<Box> all(boxes);
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            q.Push(Nested(*it));
        }
    }
    static int NestedSize(const BRIX_StackEl* e) {
        return static_cast<const BRIX_USASQuantified*>(e->State())->StackSize();
    }

    TestAtomic node{3};
};

TEST_F(RefineTest, EmptyStacksTakeNoStep) {
    for (int polarity : {0, 1, -1}) {
        BRIX_USASQuantified q(polarity, 1);
        EXPECT_FALSE(q.RefineStatic(0, 0));
        EXPECT_FALSE(q.RefineDynamic(false));
        EXPECT_FALSE(q.RefineDynamic(true));
        EXPECT_FALSE(q.RefineParallel(0, 0));
    }
}

TEST_F(RefineTest, StaticSplitsItsOwnVariablesAndPassesOthersDown) {
    BRIX_USASQuantified q(1, 1);
    Fill(q, {MakeBox({{0, 1}, {0, 1}}), MakeBox({{0, 1}, {0, 2}})});
    EXPECT_TRUE(q.RefineStatic(0, 1));  // the larger element is split
    EXPECT_EQ(Components(q.stack, 1), (std::vector<Bounds>{{1, 2}, {0, 1}, {0, 1}}));
    EXPECT_FALSE(q.RefineStatic(1, 0));  // below the offset: handed down, not ours
    EXPECT_EQ(q.StackSize(), 3);
    EXPECT_TRUE(q.RefineStatic(0, 2));  // the nested quantifier's variable
    EXPECT_EQ(q.StackSize(), 3);
    EXPECT_EQ(NestedSize(q.stack), 2);
    q.maySplit = false;
    EXPECT_TRUE(q.RefineStatic(0, 1));  // not split here: handed down
    EXPECT_EQ(q.StackSize(), 3);
}

TEST_F(RefineTest, DynamicFollowsSplitMarks) {
    BRIX_USASQuantified q(1, 1);
    Fill(q, {MakeBox({{0, 1}, {0, 1}}), MakeBox({{0, 1}, {0, 2}})});
    q.stack->next->splitMark = 2;  // the larger element: all its variables done
    EXPECT_TRUE(q.RefineDynamic(false));
    EXPECT_EQ(q.StackSize(), 2);
    EXPECT_EQ(q.stack->box[1].hi, 2.0);  // moved to the top, its sub-state split
    EXPECT_EQ(NestedSize(q.stack), 2);

    EXPECT_TRUE(q.RefineDynamic(true));  // forced: split on the first bound variable
    EXPECT_EQ(Components(q.stack, 1), (std::vector<Bounds>{{1, 2}, {0, 1}, {0, 1}}));
    EXPECT_EQ(q.stack->splitMark, 2);

    q.stack->splitMark = 1;  // due: split on variable 1 without force
    EXPECT_TRUE(q.RefineDynamic(false));
    EXPECT_EQ(q.StackSize(), 4);
    EXPECT_EQ(q.stack->box[1].lo, 1.5);
}

TEST_F(RefineTest, ParallelOnTheTopQuantifier) {
    BRIX_USASQuantifiedStore store(0, 2);
    store.Push(new BRIX_StackElAtomic(MakeBox({{0, 1}, {0, 4}}), &node));
    store.Push(new BRIX_StackElAtomic(MakeBox({{0, 3}, {0, 1}}), &node));
    // By length: the element widest in var is split on var.
    BRIX_SetParam(BRIX_Param::BranchingStrategy, 3);
    EXPECT_TRUE(store.RefineParallel(0, 0));
    EXPECT_EQ(Components(store.stack, 0), (std::vector<Bounds>{{1.5, 3}, {0, 1.5}, {0, 1}}));
    // By volume: the largest element is split on its split mark, wrapped to 0.
    BRIX_SetParam(BRIX_Param::BranchingStrategy, 2);
    store.stack->next->next->splitMark = 2;
    EXPECT_TRUE(store.RefineParallel(0, 1));
    EXPECT_EQ(Components(store.stack, 1), (std::vector<Bounds>{{0, 4}, {0, 4}, {0, 1}, {0, 1}}));
    EXPECT_EQ(Components(store.stack, 0),
              (std::vector<Bounds>{{0.5, 1}, {0, 0.5}, {1.5, 3}, {0, 1.5}}));
    // A variable beyond the store's: handed to the chosen element, stack unchanged.
    EXPECT_FALSE(store.RefineParallel(0, 2));
    EXPECT_EQ(store.StackSize(), 4);
}

TEST_F(RefineTest, ParallelOnClassicalQuantifiersSplitsEveryElement) {
    BRIX_USASQuantified q(1, 1);
    Fill(q, {MakeBox({{0, 1}, {0, 1}}), MakeBox({{0, 1}, {2, 4}})});
    EXPECT_TRUE(q.RefineParallel(0, 1));
    EXPECT_EQ(Components(q.stack, 1), (std::vector<Bounds>{{3, 4}, {2, 3}, {0.5, 1}, {0, 0.5}}));
    EXPECT_TRUE(q.RefineParallel(0, 2));  // not ours: every nested state takes a step
    EXPECT_EQ(q.StackSize(), 4);
    for (const BRIX_StackEl* e = q.stack; e != nullptr; e = e->next) {
        EXPECT_EQ(NestedSize(e), 2);
    }
}

}  // namespace
