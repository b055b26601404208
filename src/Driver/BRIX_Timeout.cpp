#include "Driver/BRIX_Timeout.h"

#include "Driver/BRIX_Context.h"

#include <ctime>

namespace {

std::uint64_t ProcessMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000u +
           static_cast<std::uint64_t>(t.tv_nsec) / 1000u;
}

BRIX_TimeoutState& State() {
    return BRIX_CurrentContext().timeout;
}

}  // namespace

void setTimeout(std::uint32_t microseconds) {
    State().limit = microseconds;
}

std::uint32_t getTimeout() {
    return State().limit;
}

void startTimeoutClock() {
    BRIX_TimeoutState& state = State();
    state.clockStart = ProcessMicroseconds();
    state.callsSinceRead = 0;
    state.passed = false;
}

bool timeoutPassed() {
    BRIX_TimeoutState& state = State();
    if (state.limit == 0 || state.passed) {
        return state.passed && state.limit != 0;
    }
    if (++state.callsSinceRead < 64) {
        return false;
    }
    state.callsSinceRead = 0;
    state.passed = ProcessMicroseconds() - state.clockStart > state.limit;
    return state.passed;
}

std::uint64_t timeoutClockMicroseconds() {
    return ProcessMicroseconds() - State().clockStart;
}
