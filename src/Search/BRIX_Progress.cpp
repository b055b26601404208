#include "Search/BRIX_Progress.h"

#include "Driver/BRIX_Context.h"
#include "Driver/BRIX_Timeout.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {

double WallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Volume of a box in plain arithmetic: the progress line is an estimate.
double Volume(const Box& box) {
    double v = 1.0;
    for (int i = 0; i < box.Dimension(); ++i) {
        v *= box[i].Hi() - box[i].Lo();
    }
    return v;
}

struct Tally {
    long count = 0;
    double volume = 0.0;
};

Tally Count(const BRIX_StackEl* list) {
    Tally t;
    for (const BRIX_StackEl* e = list; e != nullptr; e = e->next) {
        t.count += 1;
        t.volume += Volume(e->box);
    }
    return t;
}

// Clock checks aim at one every one to four milliseconds of processor time.
const std::uint64_t kMinGap = 1000;
const std::uint64_t kMaxGap = 4000;
const std::uint32_t kMaxStride = 1u << 20;

}  // namespace

BRIX_RefineWatch::BRIX_RefineWatch(const BRIX_Problem& problem)
    : problem_(problem), timeout_(getTimeout()), terminal_(isatty(2) == 1 && Ex_StdErr().enabled) {
    lastCpu_ = timeoutClockMicroseconds();
    startWall_ = WallSeconds();
    lastShown_ = startWall_;
}

BRIX_RefineWatch::~BRIX_RefineWatch() {
    BRIX_EraseProgress();
}

bool BRIX_RefineWatch::Check() {
    calls_ = 0;
    std::uint64_t cpu = timeoutClockMicroseconds();
    std::uint64_t gap = cpu - lastCpu_;
    if (gap < kMinGap && stride_ < kMaxStride) {
        stride_ *= 2;
    } else if (gap > kMaxGap && stride_ > 1) {
        stride_ /= 2;
    }
    lastCpu_ = cpu;
    if (timeout_ != 0 && cpu > timeout_) {
        return true;
    }
    if (terminal_) {
        double now = WallSeconds();
        if (now - startWall_ > 1.0 && now - lastShown_ >= 0.25) {
            lastShown_ = now;
            ShowProgress(now - startWall_);
        }
    }
    return false;
}

void BRIX_RefineWatch::ShowProgress(double seconds) const {
    if (problem_.approximation == nullptr || !problem_.approximation->IsStore()) {
        std::fprintf(stderr, "\rbrix: %.1f s\033[K", seconds);  // no box lists to count
        std::fflush(stderr);
        BRIX_CurrentContext().progressLineShown = true;
        return;
    }
    auto* store = static_cast<const BRIX_USASQuantifiedStore*>(problem_.approximation);
    Tally open = Count(store->stack);
    Tally yes = Count(store->trueBoxes);
    Tally no = Count(store->falseBoxes);
    double whole = Volume(problem_.box);
    double fraction = whole > 0.0 && std::isfinite(whole) ? open.volume / whole : 0.0;
    std::fprintf(stderr,
                 "\rbrix: %.1f s, %ld open boxes, open volume %.3g of B (bound %g), "
                 "%ld true, %ld false\033[K",
                 seconds, open.count, fraction, problem_.errorBound, yes.count, no.count);
    std::fflush(stderr);
    BRIX_CurrentContext().progressLineShown = true;
}

void BRIX_EraseProgress() {
    if (BRIX_CurrentContext().progressLineShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        BRIX_CurrentContext().progressLineShown = false;
    }
}
