#include "Search/BRIX_ContinuityInfo.h"

#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "support/ExprBuilders.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Masks = std::vector<std::uint32_t>;

ContinuityInfo Info(const Masks& t, const Masks& f = {}) {
    ContinuityInfo info;
    for (std::uint32_t m : t) {
        info.trueSets.Append(m);
    }
    for (std::uint32_t m : f) {
        info.falseSets.Append(m);
    }
    return info;
}

Masks Of(const MaskList& list) {
    Masks masks;
    for (int i = 0; i < list.Size(); ++i) {
        masks.push_back(list[i]);
    }
    return masks;
}

TEST(ContinuityInfo, Operations) {
    struct Case {
        const char* name;
        ContinuityInfo result;
        Masks trueSets;
        Masks falseSets;
    };
    ContinuityInfo united = Info({2, 1}, {4});
    united.UnionWith(Info({1, 8, 8}, {0, 4}));
    ContinuityInfo swapped = Info({1}, {0, 2});
    swapped.Swap();
    ContinuityInfo self = Info({1, 2}, {0});
    self.UnionWith(self);
    const Case cases[] = {
        {"empty", ContinuityInfo(), {}, {}},
        {"variable 3", ContinuityInfo(3), {8}, {}},
        {"variable 31", ContinuityInfo(31), {0x80000000u}, {}},
        {"and drops overlaps", ContinuityInfo::And(Info({1}), Info({1})), {}, {}},
        {"and order",
         ContinuityInfo::And(Info({1, 2}, {4}), Info({4, 1, 0}, {4, 8})),
         {5, 1, 6, 3, 2},
         {4, 4, 8}},
        {"or disjoint false", ContinuityInfo::Or(Info({}, {1}), Info({}, {2})), {}, {3}},
        {"or union",
         ContinuityInfo::Or(Info({2, 1, 2}, {1, 2}), Info({1, 4, 4}, {1, 6})),
         {2, 1, 2, 4},
         {7, 3}},
        {"forget true",
         ContinuityInfo::ForgetTrue(Info({1, 3, 1}, {0, 2, 0}), 0),
         {0, 2, 0},
         {0, 0}},
        {"forget false", ContinuityInfo::ForgetFalse(Info({2, 0}, {6, 4}), 2), {0}, {2, 0}},
        {"union with", united, {2, 1, 8}, {4, 0}},
        {"union with itself", self, {1, 2}, {0}},
        {"swap", swapped, {0, 2}, {1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Of(c.result.trueSets), c.trueSets) << c.name;
        EXPECT_EQ(Of(c.result.falseSets), c.falseSets) << c.name;
    }

    EXPECT_TRUE(ContinuityInfo(3).HasSingleTrue());
    EXPECT_FALSE(ContinuityInfo(3).HoldsSurely());
    EXPECT_TRUE(swapped.HoldsSurely());
    EXPECT_FALSE(swapped.FailsSurely());
    EXPECT_TRUE(ContinuityInfo::ForgetTrue(Info({1}), 0).HoldsSurely());
    const ContinuityInfo x = Info({0, 6}, {5});
    EXPECT_FALSE(x.HasSingleTrue());  // neither 0 nor two bits count
    EXPECT_TRUE(x.TrueMentions(2));
    EXPECT_FALSE(x.TrueMentions(0));
    EXPECT_TRUE(x.FalseMentions(0));
    EXPECT_FALSE(x.HasSingleFalse());
    EXPECT_TRUE(Info({}, {0, 16}).HasSingleFalse());
    EXPECT_TRUE(Info({}, {0}).FailsSurely());
    EXPECT_TRUE(ContinuityInfo(31).TrueMentions(31));
}

TEST(ContinuityInfo, CopiesAreIndependent) {
    ContinuityInfo a = Info({1, 2}, {4});
    ContinuityInfo b = a;
    b.trueSets.Append(8);
    b.Swap();
    EXPECT_EQ(Of(a.trueSets), (Masks{1, 2}));
    EXPECT_EQ(Of(a.falseSets), (Masks{4}));
    EXPECT_EQ(Of(b.falseSets), (Masks{1, 2, 8}));

    // Shared lists, appended to on both sides and grown past several
    // capacities: each keeps its own elements in order.
    MaskList list, snapshot;
    Masks expected;
    for (std::uint32_t m = 0; m < 30; ++m) {
        if (m == 11) {
            snapshot = list;
        }
        list.Append(m * 3);
        expected.push_back(m * 3);
    }
    snapshot.Append(99);
    EXPECT_EQ(Of(list), expected);
    expected.resize(11);
    expected.push_back(99);
    EXPECT_EQ(Of(snapshot), expected);
}

TEST(ContinuityInfo, PrintsAsListOfTwoLists) {
    EXPECT_EQ(Text(ContinuityToExpr(ContinuityInfo(0))), "[ [ 1 ], [  ] ]");
    EXPECT_EQ(Text(ContinuityToExpr(Info({5, 0x80000000u}, {0}))), "[ [ 5, 2147483648 ], [ 0 ] ]");

    char buffer[64];
    IO_SysOutputString text;
    text.Attach(buffer, sizeof buffer);
    Ex_OutputStream out;
    out.AttachSys(&text);
    ContinuityInfo().Print(out);
    *text.next = '\0';
    EXPECT_STREQ(buffer, "[ [  ], [  ] ]");
}

}  // namespace
