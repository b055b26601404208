// Directed-rounding helpers: every bound of an interval operation is computed by
// one of these.
//
// A helper sets the rounding mode it is named for and then performs one pinned
// operation, so the result is the exact value rounded in that direction. The
// helpers leave the mode they set: AddDown leaves down, MulUp leaves up, AddNear
// leaves nearest. The Pinned... forms compute in the mode already in force.
#ifndef BRIX_INTERVAL_IV_ROUND_H
#define BRIX_INTERVAL_IV_ROUND_H

#include "System/SAL.h"

#include <cmath>

// Keeps the compiler from moving a floating-point operation across a rounding-mode
// change: after the empty asm the value is "new" (so nothing computed from it can
// move above it), and it must exist before the asm (so nothing computing it can
// move below it). Volatile asm stays in order with the mode-setting calls.
inline double Pin(double v) {
#if defined(__SSE2_MATH__)
    asm volatile("" : "+x"(v));
#else
    asm volatile("" : "+m"(v));  // x87: the store also drops the extended precision
#endif
    return v;
}

// One operation in the current rounding mode, operands and result pinned.
inline double PinnedAdd(double a, double b) {
    return Pin(Pin(a) + Pin(b));
}
inline double PinnedSub(double a, double b) {
    return Pin(Pin(a) - Pin(b));
}
inline double PinnedMul(double a, double b) {
    return Pin(Pin(a) * Pin(b));
}
inline double PinnedDiv(double a, double b) {
    return Pin(Pin(a) / Pin(b));
}
inline double PinnedSqrt(double a) {
    return Pin(std::sqrt(Pin(a)));
}

// Rounded toward minus infinity; leave the mode at down.
inline double AddDown(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return PinnedAdd(a, b);
}
inline double SubDown(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return PinnedSub(a, b);
}
inline double MulDown(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return PinnedMul(a, b);
}
inline double DivDown(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return PinnedDiv(a, b);
}
inline double SqrtDown(double a) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return PinnedSqrt(a);
}

// Rounded toward plus infinity; leave the mode at up.
inline double AddUp(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return PinnedAdd(a, b);
}
inline double SubUp(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return PinnedSub(a, b);
}
inline double MulUp(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return PinnedMul(a, b);
}
inline double DivUp(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return PinnedDiv(a, b);
}
inline double SqrtUp(double a) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return PinnedSqrt(a);
}

// Products under the zero rule: exactly 0 when a factor is zero, so 0 * inf is 0
// and not NaN. The mode is set even then, so the mode left never depends on data.
inline double MulDownZ(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return a == 0 || b == 0 ? 0.0 : PinnedMul(a, b);
}
inline double MulUpZ(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return a == 0 || b == 0 ? 0.0 : PinnedMul(a, b);
}

// Rounded to nearest (for midpoints, which need no direction); leave the mode at
// nearest.
inline double AddNear(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return PinnedAdd(a, b);
}
inline double SubNear(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return PinnedSub(a, b);
}
inline double DivNear(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return PinnedDiv(a, b);
}

#endif
