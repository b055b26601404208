// Multiplicative interval operations: products, quotients, reciprocal, square,
// square root and integer powers. Part of the interval type; include
// Interval/Iv_Itvl.h to use them.
//
// Products follow the zero rule: a product with a factor that is exactly zero is
// exactly 0, so [0, 0] * [-inf, +inf] is [0, 0] and not NaN.
#ifndef BRIX_INTERVAL_IV_ITVLMUL_H
#define BRIX_INTERVAL_IV_ITVLMUL_H

#include "Interval/Iv_Itvl.h"

// {x * y}: chosen by the signs of the bounds, see Iv_ItvlMul.cpp. Empty when an
// operand is empty. Rounding: leaves the mode at up.
Iv_Itvl<double> operator*(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b);

// {s * x}: [s*a1, s*a2] for s > 0, [s*a2, s*a1] for s < 0, exactly [0, 0] for
// s = 0, empty for a NaN s or an empty a. The zero rule holds here too: an
// infinite s times a zero bound is 0. Rounding: leaves the mode at up (unchanged
// for s = 0, a NaN s or an empty a).
inline Iv_Itvl<double> operator*(double s, const Iv_Itvl<double>& a) {
    if (a.IsEmpty()) {
        return a;
    }
    if (s > 0) {  // s > 0: s*a1 <= s*x <= s*a2
        double lo = MulDownZ(s, a.lo);
        return Iv_Itvl<double>::FromBounds(lo, MulUpZ(s, a.hi));
    }
    if (s < 0) {  // s < 0: s*a2 <= s*x <= s*a1
        double lo = MulDownZ(s, a.hi);
        return Iv_Itvl<double>::FromBounds(lo, MulUpZ(s, a.lo));
    }
    return s == 0 ? Iv_Itvl<double>(0.0) : Iv_Itvl<double>::Empty();
}
inline Iv_Itvl<double> operator*(const Iv_Itvl<double>& a, double s) {
    return s * a;
}

// {x / y}. When 0 is in b the quotient is unbounded (or undefined): the result is
// then [-inf, +inf], or empty when b is empty. Rounding: leaves the mode at up
// (unchanged when 0 is in b).
Iv_Itvl<double> operator/(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b);

// {x / s}: [a1/s, a2/s] for s > 0, [a2/s, a1/s] for s < 0; [-inf, +inf] for s = 0
// and empty for a NaN s. Rounding: leaves the mode at up (unchanged for s = 0, NaN).
inline Iv_Itvl<double> operator/(const Iv_Itvl<double>& a, double s) {
    if (s > 0) {  // s > 0: a1/s <= x/s <= a2/s
        double lo = DivDown(a.lo, s);
        return Iv_Itvl<double>::FromBounds(lo, DivUp(a.hi, s));
    }
    if (s < 0) {  // s < 0: a2/s <= x/s <= a1/s
        double lo = DivDown(a.hi, s);
        return Iv_Itvl<double>::FromBounds(lo, DivUp(a.lo, s));
    }
    return s == 0 ? Iv_Itvl<double>::Entire() : Iv_Itvl<double>::Empty();
}

inline Iv_Itvl<double>& Iv_Itvl<double>::operator*=(const Iv_Itvl<double>& b) {
    return *this = *this * b;
}
inline Iv_Itvl<double>& Iv_Itvl<double>::operator*=(double s) {
    return *this = s * *this;
}
inline Iv_Itvl<double>& Iv_Itvl<double>::operator/=(const Iv_Itvl<double>& b) {
    return *this = *this / b;
}

// {1 / x}: [1/a2, 1/a1], the upper bound computed first. When 0 is in a the result
// is [-inf, +inf]. Rounding: leaves the mode at down (unchanged when 0 is in a).
Iv_Itvl<double> Reciprocal(const Iv_Itvl<double>& a);

// {x * x}: [0, max(a1*a1, a2*a2)] when 0 is in a, else the squares of the bounds
// in order. Rounding: leaves the mode at up.
Iv_Itvl<double> Square(const Iv_Itvl<double>& a);

// {sqrt(x)}: [sqrt(a1) down, sqrt(a2) up]. A negative lower bound gives a NaN lower
// bound, so the result reads as empty. Rounding: leaves the mode at up.
Iv_Itvl<double> SquareRoot(const Iv_Itvl<double>& a);

// {x^n} for an integer n: [1, 1] for n = 0, a for n = 1, Square(a) for n = 2;
// otherwise the exact power of each bound rounded outward (Power(double, long)),
// monotone pieces chosen by the parity of n and the signs of a. For n < 0 and 0
// in a the result is [-inf, +inf].
// Rounding: leaves the mode at up (unchanged for n = 0, n = 1 and 0 in a with n < 0).
Iv_Itvl<double> Power(const Iv_Itvl<double>& a, long n);

#endif
