// The inline vector of the narrowing step: values survive the move from the
// inline array to the heap, copies are independent, a move empties its
// source in both storage modes.
#include "Search/BRIX_SmallVector.h"

#include <gtest/gtest.h>

namespace {

using Small = SmallVector<int, 2>;

TEST(SmallVector, GrowsPastTheInlineArrayKeepingItsValues) {
    Small v;
    for (int i = 0; i < 40; ++i) {
        v.push_back(i);
        v.push_back(v[0]);  // a value of the vector itself, while it grows
        v.pop_back();
    }
    ASSERT_EQ(v.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(v[i], i);
    }
    EXPECT_EQ(v.front(), 0);
    EXPECT_EQ(v.back(), 39);
    v.assign(3, 7);
    EXPECT_EQ(v, (Small{7, 7, 7}));
    v.clear();
    EXPECT_TRUE(v.empty());
}

TEST(SmallVector, CopiesAndMovesInBothStorageModes) {
    for (int n : {1, 2, 5}) {
        Small a;
        for (int i = 0; i < n; ++i) {
            a.push_back(10 + i);
        }
        Small copy = a;
        copy.push_back(99);
        EXPECT_EQ(a.size(), static_cast<size_t>(n)) << n;
        EXPECT_NE(copy, a) << n;
        Small moved = std::move(a);
        EXPECT_TRUE(a.empty()) << n;  // NOLINT(bugprone-use-after-move): moved-from state is specified
        EXPECT_EQ(moved.size(), static_cast<size_t>(n)) << n;
        EXPECT_EQ(moved.back(), 10 + n - 1) << n;
        a.push_back(1);  // a moved-from vector is usable again
        Small target{5, 6, 7, 8};
        target = std::move(moved);
        EXPECT_EQ(target.size(), static_cast<size_t>(n)) << n;
        target = copy;
        EXPECT_EQ(target, copy) << n;
    }
}

}  // namespace
