// The time-out of the current solver context: an unsigned 32-bit count of
// microseconds of processor time, 0 meaning no time-out. It is 0 at start-up
// and set by "-to SECS"; the refinement stops once the processor time of the
// process (every thread of it) counted from the time-out clock's start
// exceeds it.
#ifndef BRIX_DRIVER_BRIX_TIMEOUT_H
#define BRIX_DRIVER_BRIX_TIMEOUT_H

#include <cstdint>

void setTimeout(std::uint32_t microseconds);
std::uint32_t getTimeout();

// Starts the time-out clock now. Until it is called the clock counts from
// the start of the process, which is what a run of the program wants; a
// program that solves several problems starts it before each.
void startTimeoutClock();

// Processor time of the process in microseconds since the clock's start.
std::uint64_t timeoutClockMicroseconds();

// Whether the time-out has passed (never without one), for the loops inside
// one refinement step that can stop early without harm: narrowing fewer
// elements, splitting fewer. Reads the clock only every so many calls, so a
// call mostly costs a counter update; once passed, it stays passed until the
// clock starts again.
bool timeoutPassed();

#endif
