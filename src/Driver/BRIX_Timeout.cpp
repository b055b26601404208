#include "Driver/BRIX_Timeout.h"

#include <ctime>

namespace {

std::uint32_t timeout = 0;
std::uint64_t clockStart = 0;
// timeoutPassed: calls since the clock was last read, and what it found.
unsigned callsSinceRead = 0;
bool passed = false;

std::uint64_t ProcessMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000u +
           static_cast<std::uint64_t>(t.tv_nsec) / 1000u;
}

}  // namespace

void setTimeout(std::uint32_t microseconds) {
    timeout = microseconds;
}

std::uint32_t getTimeout() {
    return timeout;
}

void startTimeoutClock() {
    clockStart = ProcessMicroseconds();
    callsSinceRead = 0;
    passed = false;
}

bool timeoutPassed() {
    if (timeout == 0 || passed) {
        return passed && timeout != 0;
    }
    if (++callsSinceRead < 64) {
        return false;
    }
    callsSinceRead = 0;
    passed = timeoutClockMicroseconds() > timeout;
    return passed;
}

std::uint64_t timeoutClockMicroseconds() {
    return ProcessMicroseconds() - clockStart;
}
