// The program-wide time-out: an unsigned 32-bit count of microseconds,
// 0 meaning no time-out. It is 0 at start-up and set by "-to SECS"; it is
// stored for the run but the refinement does not consult it.
#ifndef BRIX_DRIVER_BRIX_TIMEOUT_H
#define BRIX_DRIVER_BRIX_TIMEOUT_H

#include <cstdint>

void setTimeout(std::uint32_t microseconds);
std::uint32_t getTimeout();

#endif
