// The time-out check between refinement steps: never with no time-out, soon
// after the processor time passes it, counted from the clock's start.
#include "Driver/BRIX_Timeout.h"
#include "Search/BRIX_Progress.h"

#include <gtest/gtest.h>

namespace {

// Burns about `micros` of processor time.
void Spin(std::uint64_t micros) {
    std::uint64_t until = timeoutClockMicroseconds() + micros;
    volatile double x = 1.0;
    while (timeoutClockMicroseconds() < until) {
        x = x * 1.0000001;
    }
}

struct TimeoutScope {
    ~TimeoutScope() {
        setTimeout(0);
        startTimeoutClock();
    }
};

TEST(RefineWatch, ExpiresSoonAfterTheTimeOutCountedFromTheClockStart) {
    TimeoutScope scope;
    setTimeout(0);
    BRIX_Problem problem;
    BRIX_RefineWatch never(problem);
    for (int i = 0; i < 200; ++i) {
        Spin(100);
        ASSERT_FALSE(never.Expired());  // no time-out: never expires
    }
    Spin(30000);  // time spent before the clock starts does not count
    startTimeoutClock();
    setTimeout(20000);
    BRIX_RefineWatch watch(problem);
    int calls = 0;
    while (!watch.Expired()) {
        Spin(50);
        ASSERT_LT(++calls, 100000);
    }
    std::uint64_t used = timeoutClockMicroseconds();
    EXPECT_GT(used, 20000u);
    // Clocks are read at least every few milliseconds of work.
    EXPECT_LT(used, 40000u);
}

}  // namespace
