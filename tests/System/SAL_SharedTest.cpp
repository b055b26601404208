// The shared handle against a store that counts its copies and frees: copies
// share, a writer gets its own copy only while the store is shared, Detach
// shares nothing, and every store is freed exactly once (ASan sees the rest).
#include "System/SAL_Shared.h"

#include <new>
#include <utility>

#include <gtest/gtest.h>

namespace {

struct Cell {
    unsigned rc = 0;
    int value = 0;
    static int live;
    static int copies;
    // From the system allocator, as the real stores are.
    static Cell* Make(int value) {
        auto* c = new (SAL_Interface::LocMalloc(sizeof(Cell))) Cell;
        c->value = value;
        ++live;
        return c;
    }
    static Cell* Copy(const Cell& c) {
        ++copies;
        return Make(c.value);
    }
    static void Free(Cell* c) {
        --live;
        SAL_Interface::LocFree(c);
    }
};
int Cell::live = 0;
int Cell::copies = 0;

using Handle = SAL_Shared<Cell>;

TEST(SAL_Shared, CopiesShareUntilOneWrites) {
    Cell::live = Cell::copies = 0;
    {
        Handle a(Cell::Make(1));
        Handle b = a;
        EXPECT_EQ(a.Get(), b.Get());
        EXPECT_EQ(a.Get()->rc, 2u);
        EXPECT_TRUE(b.IsShared());

        b.Write()->value = 2;  // b gets its own store; a keeps the old one
        EXPECT_NE(a.Get(), b.Get());
        EXPECT_EQ(a.Get()->value, 1);
        EXPECT_EQ(b.Get()->value, 2);
        EXPECT_FALSE(a.IsShared());
        const Cell* own = b.Get();
        b.Write()->value = 3;  // private already: written in place
        EXPECT_EQ(b.Get(), own);
        EXPECT_EQ(Cell::copies, 1);

        b = b;  // self-assignment keeps the store
        EXPECT_EQ(b.Get()->value, 3);
        Handle moved = std::move(b);
        EXPECT_TRUE(b.IsNull());
        EXPECT_EQ(b.Write(), nullptr);  // nothing to write
        moved.Reset(Cell::Make(4));
        EXPECT_EQ(Cell::live, 2);
    }
    EXPECT_EQ(Cell::live, 0);
}

TEST(SAL_Shared, DetachSharesNothing) {
    Cell::live = Cell::copies = 0;
    {
        Handle a(Cell::Make(5));
        Handle shared = a;
        Handle detached = a.Detach();
        EXPECT_NE(detached.Get(), a.Get());
        EXPECT_EQ(detached.Get()->value, 5);
        EXPECT_EQ(detached.Get()->rc, 1u);
        EXPECT_EQ(a.Get()->rc, 2u);  // the original's count is not touched
        EXPECT_TRUE(Handle().Detach().IsNull());
    }
    EXPECT_EQ(Cell::live, 0);
}

}  // namespace
