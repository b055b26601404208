#include "Driver/BRIX_Timeout.h"

namespace {

std::uint32_t timeout = 0;

}  // namespace

void setTimeout(std::uint32_t microseconds) {
    timeout = microseconds;
}

std::uint32_t getTimeout() {
    return timeout;
}
