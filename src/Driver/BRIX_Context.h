// The state one solver owns: its flags and parameters, its time-out, its
// profiling timers, the boxes its refinement could not split, whether its
// progress line is on the terminal, and where its windows come from.
//
// Code on the solve path reaches that state through BRIX_CurrentContext(): the
// context installed for the calling thread by a BRIX_ContextScope, or else
// the thread's own default context (the command-line program runs on the
// main thread's). Nothing on the solve path keeps process-wide mutable state,
// so solvers in different threads never meet; threads that share one
// refinement each install a context of their own.
#ifndef BRIX_DRIVER_BRIX_CONTEXT_H
#define BRIX_DRIVER_BRIX_CONTEXT_H

#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Interval/Iv_Box.h"

#include <cfenv>
#include <cstdint>
#include <memory>

class BRIX_Timer;
class Win_WindowFactory;

// A snapshot of every flag and parameter; made with the defaults.
struct BRIX_Tuning {
    BRIX_Tuning();
    bool flags[BRIX_FlagCount];
    double params[BRIX_ParamCount];
};

// The time-out: a count of microseconds of processor time, 0 for none, and
// the clock it is measured on (0: the start of the process).
struct BRIX_TimeoutState {
    std::uint32_t limit = 0;
    std::uint64_t clockStart = 0;
    // timeoutPassed reads the clock only every so many calls.
    unsigned callsSinceRead = 0;
    bool passed = false;
};

// The boxes a refinement could not split.
struct BRIX_PrecisionLosses {
    long count = 0;
    Box first;  // the first of them (empty when count is 0)
    int firstVar = -1;
};

// Called with the first box that could not be split and the variable it was
// to be split on; null for the default report on standard error.
using BRIX_PrecisionLossHandler = void (*)(const Box& box, int var);

class BRIX_Context {
public:
    BRIX_Context();
    ~BRIX_Context();
    BRIX_Context(const BRIX_Context&) = delete;
    BRIX_Context& operator=(const BRIX_Context&) = delete;

    BRIX_Tuning tuning;
    BRIX_TimeoutState timeout;
    // The timers' registry: the most recently created first (timers link
    // and unlink themselves).
    BRIX_Timer* timers = nullptr;
    // The driver's two timers, made on first use (see BRIX_TotalTimer).
    std::unique_ptr<BRIX_Timer> totalTimer;
    std::unique_ptr<BRIX_Timer> refineTimer;
    BRIX_PrecisionLosses losses;
    BRIX_PrecisionLossHandler lossHandler = nullptr;
    // A progress line is on the terminal and must be erased before other text.
    bool progressLineShown = false;
    // Where windows come from (borrowed; null: no windows).
    Win_WindowFactory* windowFactory = nullptr;
};

// The calling thread's context.
BRIX_Context& BRIX_CurrentContext();

// Installs a context for the calling thread (borrowed: it must outlive the
// scope) and puts back the one before when it ends.
class BRIX_ContextScope {
public:
    explicit BRIX_ContextScope(BRIX_Context& context);
    ~BRIX_ContextScope();
    BRIX_ContextScope(const BRIX_ContextScope&) = delete;
    BRIX_ContextScope& operator=(const BRIX_ContextScope&) = delete;

private:
    BRIX_Context* previous_;
};

// Everything a thread needs to run a solve of its own, for as long as the
// scope lasts: the context installed, the standard streams silent, rounding to
// nearest (number text is read in the current mode) and every floating-point
// exception masked and cleared. The thread's floating-point environment is
// put back at the end, however the scope ends.
class BRIX_SolveScope {
public:
    explicit BRIX_SolveScope(BRIX_Context& context);
    ~BRIX_SolveScope();
    BRIX_SolveScope(const BRIX_SolveScope&) = delete;
    BRIX_SolveScope& operator=(const BRIX_SolveScope&) = delete;

private:
    std::fenv_t environment_{};
    BRIX_ContextScope contextScope_;
    Ex_SilentStream out_;
    Ex_SilentStream err_;
    Ex_StreamRedirect redirect_;
};

#endif
