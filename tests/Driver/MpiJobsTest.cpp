#include "Driver/BRIX_MpiJobs.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Hand-out order, the depth of a worker, stale answers and the end.
TEST(MpiJobs, HandsOutInOrderUpToTheDepth) {
    BRIX_JobBook book(3, 5, 2);
    EXPECT_EQ(book.Take(1, 0), 0);
    EXPECT_EQ(book.Take(1, 0), 1);
    EXPECT_EQ(book.Take(1, 0), -1);  // two held: the depth
    EXPECT_EQ(book.Take(0, 0), 2);   // the coordinator takes whatever waits
    EXPECT_EQ(book.Take(0, 0), 3);
    EXPECT_EQ(book.Take(0, 0), 4);
    EXPECT_EQ(book.Take(2, 0), -1);
    EXPECT_FALSE(book.Finish(2, 0, 1));  // not held by rank 2
    EXPECT_TRUE(book.Finish(1, 1, 1));
    EXPECT_FALSE(book.Finish(1, 1, 1));  // answered twice
    for (long j : {2, 3, 4}) {
        EXPECT_TRUE(book.Finish(0, j, 1));
    }
    EXPECT_FALSE(book.Done());
    EXPECT_TRUE(book.Finish(1, 0, 2));
    EXPECT_TRUE(book.Done());
    EXPECT_FALSE(book.AnyFailed());
}

// A silent worker loses its jobs only once nothing else waits and the grace
// has passed; they go to another rank, its late answers are dropped, and a
// job whose second rank fails too is given up.
TEST(MpiJobs, SilentWorkersLoseTheirJobs) {
    BRIX_JobBook book(3, 3, 2, 2);
    EXPECT_EQ(book.Take(1, 0), 0);
    EXPECT_EQ(book.Take(1, 0), 1);
    EXPECT_TRUE(book.Expire(100, 5).empty());  // job 2 still waits
    EXPECT_FALSE(book.Failed(1));
    EXPECT_EQ(book.Take(2, 10), 2);  // the queue runs empty at 10
    EXPECT_TRUE(book.Expire(14, 5).empty());
    EXPECT_FALSE(book.Failed(1));
    EXPECT_TRUE(book.Finish(2, 2, 14));
    EXPECT_TRUE(book.Expire(16, 5).empty());
    EXPECT_TRUE(book.Failed(1));
    EXPECT_FALSE(book.Failed(2));
    EXPECT_EQ(book.Take(1, 16), -1);  // a failed rank takes nothing
    EXPECT_EQ(book.Take(2, 16), 0);   // its jobs in their order
    EXPECT_EQ(book.Take(2, 16), 1);
    EXPECT_FALSE(book.Finish(1, 0, 17));  // the late answer of the failed rank
    EXPECT_TRUE(book.Finish(2, 0, 17));
    const std::vector<long> lost = book.Expire(30, 5);
    EXPECT_EQ(lost, std::vector<long>({1}));  // handed out twice: given up
    EXPECT_TRUE(book.Done());
    EXPECT_TRUE(book.AnyFailed());
}

// A rank that failed in an earlier round takes nothing in the next; jobs
// dropped once the answer is known are not handed out, held ones awaited.
TEST(MpiJobs, MarkedRanksAndDroppedJobs) {
    BRIX_JobBook book(3, 4);
    book.MarkFailed(1);
    EXPECT_EQ(book.Take(1, 0), -1);
    EXPECT_EQ(book.Take(0, 0), 0);
    EXPECT_EQ(book.Take(2, 0), 1);
    EXPECT_TRUE(book.Finish(0, 0, 0));
    book.DropWaiting();
    EXPECT_EQ(book.Take(0, 0), -1);
    EXPECT_FALSE(book.Done());
    EXPECT_TRUE(book.Finish(2, 1, 1));
    EXPECT_TRUE(book.Done());
}

}  // namespace
