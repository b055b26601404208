// Scalar functions on doubles and ints that the interval operations are built
// from.
//
// Comparisons are the IEEE ones: any comparison with NaN is false, so IsNegative,
// IsPositive and IsZero are all false for NaN. Unless a function says otherwise it
// does no rounded arithmetic and leaves the rounding mode unchanged.
#ifndef BRIX_INTERVAL_IV_SCALAR_H
#define BRIX_INTERVAL_IV_SCALAR_H

#include "Interval/Iv_Round.h"

#include <cstdint>
#include <cstring>

inline bool IsNegative(double x) {
    return x < 0;
}
inline bool IsPositive(double x) {
    return x > 0;
}
inline bool IsZero(double x) {
    return x == 0;
}
inline bool IsOne(double x) {
    return x == 1;
}
// -1 when x < 0, 1 when x > 0, else 0 (zeros and NaN).
inline int Sign(double x) {
    return x < 0 ? -1 : (x > 0 ? 1 : 0);
}
// -x when x < 0, else x: Abs(-0) is -0 and NaN stays NaN.
inline double Abs(double x) {
    return x < 0 ? -x : x;
}
// b when a < b, else a: Max(NaN, 1) is NaN and Max(1, NaN) is 1.
inline double Max(double a, double b) {
    return a < b ? b : a;
}
// a when a < b, else b: Min(NaN, 1) is 1 and Min(1, NaN) is NaN.
inline double Min(double a, double b) {
    return b > a ? a : b;
}

// Square root and 1/x in the current rounding mode.
inline double SquareRoot(double x) {
    return PinnedSqrt(x);
}
inline double Reciprocal(double x) {
    return PinnedDiv(1.0, x);
}

inline std::uint64_t Iv_Bits(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}
inline double Iv_FromBits(std::uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

constexpr std::uint64_t kIv_ExponentMask = 0x7FF0000000000000u;
constexpr std::uint64_t kIv_FractionMask = 0x000FFFFFFFFFFFFFu;
// The NaN the system writes for "empty": sign 0, exponent all ones, fraction 1.
constexpr std::uint64_t kIv_EmptyNaNBits = 0x7FF0000000000001u;

// Exponent field all ones and zero fraction (either sign).
inline bool IsInfinite(double x) {
    return (Iv_Bits(x) << 1) == (kIv_ExponentMask << 1);
}
// Exponent field all ones and a non-zero fraction.
inline bool IsNaN(double x) {
    return (Iv_Bits(x) << 1) > (kIv_ExponentMask << 1);
}
// Exponent field all ones.
inline bool IsInfOrNaN(double x) {
    return (Iv_Bits(x) & kIv_ExponentMask) == kIv_ExponentMask;
}

inline double PlusInfinity() {
    return Iv_FromBits(kIv_ExponentMask);
}
inline double EmptyNaN() {
    return Iv_FromBits(kIv_EmptyNaNBits);
}
inline void SetPlusInfinity(double& x) {
    x = PlusInfinity();
}
inline void SetNaN(double& x) {
    x = EmptyNaN();
}
inline void SetOne(double& x) {
    x = 1.0;
}
inline void SetZero(double& x) {
    x = 0.0;
}

// The next double toward plus infinity: NextUp(+-0) is the smallest positive
// subnormal, NextUp(-inf) the most negative finite double; +inf and NaN are
// returned unchanged. The successor of the negative subnormal nearest zero is a
// zero.
double NextUp(double x);
// The next double toward minus infinity: -NextUp(-x).
inline double NextDown(double x) {
    return -NextUp(-x);
}

// x to the integer power n in the rounding mode in force on entry, so that with
// the mode down (up) the result is at most (at least) the exact power. A negative
// x under a directed mode is raised with the opposite direction and negated; the
// entry mode is restored then. Infinite x: 1 for n = 0, 0 for n < 0, |x| for even
// n > 0, x for odd n > 0. NaN x is returned unchanged.
// Rounding: leaves the entry mode.
double Power(double x, long n);
// x^n rounded down / up. Rounding: leave the mode at down / up.
inline double PowerDown(double x, long n) {
    SAL_Interface::SetRounding(SAL_RoundDown);
    return Power(x, n);
}
inline double PowerUp(double x, long n) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    return Power(x, n);
}

// Integer helpers.
inline int Abs(int k) {
    return k < 0 ? -k : k;
}  // requires k != INT_MIN
inline bool IsNegative(int k) {
    return k < 0;
}
inline bool IsPositive(int k) {
    return k > 0;
}
inline bool IsZero(int k) {
    return k == 0;
}
inline bool IsOdd(long k) {
    return (k & 1) != 0;
}
inline bool IsEven(long k) {
    return (k & 1) == 0;
}
inline int Max(int a, int b) {
    return a < b ? b : a;
}
inline int Min(int a, int b) {
    return b > a ? a : b;
}
inline double ToDouble(int k) {
    return static_cast<double>(k);
}

#endif
