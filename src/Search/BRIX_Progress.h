// Watching a refinement between its steps: the time-out, and the progress
// line kept on standard error during long runs.
#ifndef BRIX_SEARCH_BRIX_PROGRESS_H
#define BRIX_SEARCH_BRIX_PROGRESS_H

#include "Driver/BRIX_Problem.h"

#include <cstdint>

// Lives for one refinement. The progress line is shown only when standard
// error is a terminal whose output switch (Ex_StdErr().enabled) is on, and
// the refinement has run for more than a second; it
// is rewritten a few times a second and erased when the watch ends (or by
// BRIX_EraseProgress before any other output).
class BRIX_RefineWatch {
public:
    // Borrows problem for the watch's lifetime.
    explicit BRIX_RefineWatch(const BRIX_Problem& problem);
    ~BRIX_RefineWatch();
    BRIX_RefineWatch(const BRIX_RefineWatch&) = delete;
    BRIX_RefineWatch& operator=(const BRIX_RefineWatch&) = delete;

    // Called between refinement steps: true once the processor time of the
    // time-out clock exceeds the time-out (never when there is none). Reads
    // the clocks only every so many calls, so a call costs a counter update.
    bool Expired() {
        if (++calls_ < stride_) {
            return false;
        }
        return Check();
    }

private:
    bool Check();
    void ShowProgress(double seconds) const;

    const BRIX_Problem& problem_;
    std::uint64_t timeout_;
    bool terminal_;
    std::uint32_t calls_ = 0;
    std::uint32_t stride_ = 1;
    std::uint64_t lastCpu_ = 0;
    double startWall_ = 0.0;
    double lastShown_ = 0.0;
};

// Erases the progress line if one is shown (nothing otherwise).
void BRIX_EraseProgress();

#endif
