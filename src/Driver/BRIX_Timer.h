// Profiling timers: processor time spent in marked regions of a run, and the
// report over all timers.
//
// Every timer links itself at the head of a registry when it is constructed
// (by default the current solver context's) and unlinks itself when it is
// destroyed, so the report lists the timers from the most recently created to
// the oldest. The timers the driver uses belong to the context (see
// BRIX_TotalTimer): created on first use, destroyed with the context.
#ifndef BRIX_DRIVER_BRIX_TIMER_H
#define BRIX_DRIVER_BRIX_TIMER_H

#include <cstdint>

class BRIX_Timer {
public:
    // Larger than any duration; the smallest duration before the first one completes.
    static constexpr std::uint32_t MinSentinel = 0xFFFFFFFFu;

    // A timer with no measurement, linked at the head of the registry.
    // Borrows label: it must outlive the timer (a string literal).
    explicit BRIX_Timer(const char* label);
    // The same, linked into the given registry (borrowed: it must outlive
    // the timer).
    BRIX_Timer(const char* label, BRIX_Timer** registry);
    // Unlinks the timer from the registry.
    ~BRIX_Timer();
    BRIX_Timer(const BRIX_Timer&) = delete;
    BRIX_Timer& operator=(const BRIX_Timer&) = delete;

    // Counts a hit; the outermost start of a nest begins a measurement.
    void Start();
    // Closes one start; closing the outermost ends the measurement and adds its
    // duration to the total, min and max. Requires an open start. A clock that
    // reads less than the mark (wrapped) gives a duration of 0.
    void Stop();
    // Outermost level only (depth below 2): adds the time since the mark to
    // the measurement in progress; Resume sets a new mark.
    void Pause();
    void Resume();
    // Adds a duration measured elsewhere (another process's share of the
    // work) to the measurement in progress, or to the total when there is
    // none; nothing for a duration of 0 or less.
    void AddElsewhere(std::int64_t microseconds);
    // A free counter printed when the timer was never started.
    void AddValue(double amount) { value_ += amount; }
    // Clears total, min, max, hits and value unless starts are nested (depth above 1).
    void Reset();

    const char* Label() const { return label_; }
    double Hits() const { return hits_; }
    double Value() const { return value_; }
    // Durations in microseconds. Sums that would pass 2^31 - 1 stay there.
    std::int32_t Total() const { return total_; }
    std::uint32_t Min() const { return min_; }
    std::int32_t Max() const { return max_; }
    // Total over hits in microseconds, truncated; 0 without hits. Computed
    // in whole seconds and a remainder so that no product passes 32 bits.
    // Rounding: uses the mode it finds (outside exact cases the result may move
    // by a microsecond between modes) and leaves it unchanged.
    long Average() const;

    // The current context's registry, most recent timer first; null after
    // the last one.
    static BRIX_Timer* First();
    BRIX_Timer* Next() const { return next_; }

private:
    // Duration since the mark, 0 when the clock reads less.
    std::int64_t Elapsed() const;

    BRIX_Timer* next_;
    BRIX_Timer** registry_;
    const char* label_;
    std::int32_t total_ = 0;
    std::uint32_t min_ = MinSentinel;
    std::int32_t max_ = 0;
    double hits_ = 0;
    double value_ = 0;
    std::int32_t depth_ = 0;
    std::int32_t mark_ = 0;     // clock at the outermost start
    std::int32_t current_ = 0;  // duration of the measurement in progress
};

// The clock the timers read: processor time in microseconds. Tests replace it;
// a null source restores SAL_Interface::Clock. Answers the previous source.
using BRIX_ClockSource = long (*)();
BRIX_ClockSource BRIX_SetTimerClock(BRIX_ClockSource source);

// The current context's two timers, each created on first use:
// "BRIX-Total" around the refinement and all outputs, "BRIX:Approximate-Refine"
// around the refinement loop.
BRIX_Timer& BRIX_TotalTimer();
BRIX_Timer& BRIX_RefineTimer();

// Writes the report over every timer in registry order to Ex_StdOut(): a line
// break, then per timer its label and either its value (never started), its
// total (one hit) or hits, total, average, min and max.
void printProfile();

#endif
