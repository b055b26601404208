#include "Driver/BRIX_Timer.h"

#include "Driver/BRIX_Context.h"

#include "IO/Ex_Stream.h"
#include "System/SAL.h"

#include <atomic>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace {

constexpr long MicrosPerSecond = 1000000;

// Replaced only by tests; atomic so that solvers in other threads read it safely.
std::atomic<BRIX_ClockSource> clockSource{SAL_Interface::Clock};

// The clock as the record keeps it: its low 32 bits, read as a signed count.
std::int32_t ReadClock() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(clockSource.load()()));
}

// a + d held in 32 bits: a sum past the largest count stays there instead of
// wrapping to a negative duration.
std::int32_t AddSaturated(std::int32_t a, std::int64_t d) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + d;
    if (sum > INT32_MAX) {
        return INT32_MAX;
    }
    return sum < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(sum);
}

// "  Total: 3 sec 250000 usec\n".
void PrintDuration(Ex_OutputStream& out, const char* title, long d) {
    out << title << d / MicrosPerSecond << " sec " << d % MicrosPerSecond << " usec\n";
}

}  // namespace

BRIX_Timer::BRIX_Timer(const char* label) : BRIX_Timer(label, &BRIX_CurrentContext().timers) {}

BRIX_Timer::BRIX_Timer(const char* label, BRIX_Timer** registry)
    : next_(*registry), registry_(registry), label_(label) {
    assert(label != nullptr);
    *registry = this;
}

BRIX_Timer::~BRIX_Timer() {
    BRIX_Timer** link = registry_;
    while (*link != nullptr && *link != this) {
        link = &(*link)->next_;
    }
    if (*link == this) {
        *link = next_;
    }
}

BRIX_Timer* BRIX_Timer::First() {
    return BRIX_CurrentContext().timers;
}

std::int64_t BRIX_Timer::Elapsed() const {
    const std::int32_t now = ReadClock();
    return now < mark_ ? 0 : static_cast<std::int64_t>(now) - mark_;
}

void BRIX_Timer::Start() {
    hits_ += 1.0;
    ++depth_;
    if (depth_ < 2) {
        current_ = 0;
        mark_ = ReadClock();
    }
}

void BRIX_Timer::Stop() {
    assert(depth_ > 0);
    --depth_;
    if (depth_ < 1) {
        current_ = AddSaturated(current_, Elapsed());
        if (static_cast<std::uint32_t>(current_) < min_) {
            min_ = static_cast<std::uint32_t>(current_);
        }
        if (current_ > max_) {
            max_ = current_;
        }
        total_ = AddSaturated(total_, current_);
    }
}

void BRIX_Timer::AddElsewhere(std::int64_t microseconds) {
    if (microseconds <= 0) {
        return;
    }
    if (depth_ > 0) {
        current_ = AddSaturated(current_, microseconds);
    } else {
        total_ = AddSaturated(total_, microseconds);
    }
}

void BRIX_Timer::Pause() {
    if (depth_ < 2) {
        current_ = AddSaturated(current_, Elapsed());
    }
}

void BRIX_Timer::Resume() {
    if (depth_ < 2) {
        mark_ = ReadClock();
    }
}

void BRIX_Timer::Reset() {
    if (depth_ <= 1) {
        total_ = 0;
        min_ = MinSentinel;
        max_ = 0;
        hits_ = 0;
        value_ = 0;
    }
}

long BRIX_Timer::Average() const {
    if (hits_ == 0) {
        return 0;
    }
    // total / hits = s / h * 10^6 + (r + (s mod h) * 10^6) / h: the quotient
    // of the seconds in whole seconds, and their remainder carried into the
    // microseconds, where it is divided before it is scaled.
    const auto h = static_cast<long long>(hits_);
    assert(h >= 1);
    const long s = total_ / MicrosPerSecond;
    const long r = total_ - s * MicrosPerSecond;
    const double seconds = std::trunc(static_cast<double>(s) / hits_);
    const double micros =
        std::trunc(static_cast<double>(r) / hits_ +
                   static_cast<double>(s % h) *
                       (static_cast<double>(MicrosPerSecond) / static_cast<double>(h)));
    return static_cast<long>(seconds) * MicrosPerSecond + static_cast<long>(micros);
}

BRIX_ClockSource BRIX_SetTimerClock(BRIX_ClockSource source) {
    return clockSource.exchange(source != nullptr ? source : SAL_Interface::Clock);
}

BRIX_Timer& BRIX_TotalTimer() {
    BRIX_Context& context = BRIX_CurrentContext();
    if (context.totalTimer == nullptr) {
        context.totalTimer = std::make_unique<BRIX_Timer>("BRIX-Total", &context.timers);
    }
    return *context.totalTimer;
}

BRIX_Timer& BRIX_RefineTimer() {
    BRIX_Context& context = BRIX_CurrentContext();
    if (context.refineTimer == nullptr) {
        context.refineTimer =
            std::make_unique<BRIX_Timer>("BRIX:Approximate-Refine", &context.timers);
    }
    return *context.refineTimer;
}

void printProfile() {
    Ex_OutputStream& out = Ex_StdOut();
    out << "\n";
    for (const BRIX_Timer* t = BRIX_Timer::First(); t != nullptr; t = t->Next()) {
        out << "Label: `" << t->Label() << "'\n";
        if (t->Hits() == 0) {
            out << "  Value: " << t->Value() << "\n";
        } else if (t->Hits() == 1) {
            // Six digits after the point: 5 microseconds must not read as half a second.
            char micros[16];
            std::snprintf(micros, sizeof micros, "%06ld", long{t->Total() % MicrosPerSecond});
            out << "  Total: " << long{t->Total() / MicrosPerSecond} << "." << micros << "\n";
        } else {
            out << "  Hits : " << t->Hits() << "\n";
            PrintDuration(out, "  Total: ", t->Total());
            PrintDuration(out, "  Avg  : ", t->Average());
            PrintDuration(out, "  Min  : ", static_cast<long>(t->Min()));
            PrintDuration(out, "  Max  : ", t->Max());
        }
    }
}
