// Closed intervals of doubles with outward rounding.
//
// Iv_Itvl<double> is a 16-byte value {lo, hi}, copied by value, never allocated.
// Lower bounds are computed rounding toward minus infinity and upper bounds toward
// plus infinity, each by one helper of Interval/Iv_Round.h, so the result of every
// operation contains the exact result for all points of the operands. The empty
// interval has NaN bounds and is recognised by its lower bound.
//
// Every operation that computes a bound sets the mode it needs and does not
// restore the previous one; the mode it leaves is part of its contract ("leaves
// up" below). Operations that compute no bound leave the mode unchanged.
//
// This header provides the whole interval type: the multiplicative operations and
// relational division are declared in Iv_ItvlMul.h and Iv_RelDivide.h, included at
// the end.
#ifndef BRIX_INTERVAL_IV_ITVL_H
#define BRIX_INTERVAL_IV_ITVL_H

#include "Interval/Iv_Round.h"
#include "Interval/Iv_Scalar.h"

template <class T>
class Iv_Itvl;

template <>
class Iv_Itvl<double> {
public:
    double lo = 0.0;
    double hi = 0.0;

    // [0, 0].
    Iv_Itvl() = default;
    // The point interval [x, x].
    Iv_Itvl(double x) : lo(x), hi(x) {}  // NOLINT(google-explicit-constructor)
    // [Min(x, y), Max(x, y)]; empty when x or y is NaN.
    Iv_Itvl(double x, double y) : lo(Min(x, y)), hi(Max(x, y)) {
        if (IsNaN(x) || IsNaN(y)) {
            SetEmpty();
        }
    }
    // [lo, hi] as given, without reordering (an improper interval when hi < lo).
    static Iv_Itvl FromBounds(double lo, double hi) {
        Iv_Itvl r;
        r.lo = lo;
        r.hi = hi;
        return r;
    }
    static Iv_Itvl Empty() { return FromBounds(EmptyNaN(), EmptyNaN()); }
    static Iv_Itvl Entire() { return FromBounds(-PlusInfinity(), PlusInfinity()); }

    double Lo() const { return lo; }
    double Hi() const { return hi; }

    void SetEmpty() { lo = hi = EmptyNaN(); }
    void SetEntire() {
        hi = PlusInfinity();
        lo = -hi;
    }
    void SetOne() { lo = hi = 1.0; }
    void SetZero() { lo = hi = 0.0; }

    bool IsEmpty() const { return IsNaN(lo); }
    bool IsOne() const { return lo == 1 && hi == 1; }
    bool IsZero() const { return lo == 0 && hi == 0; }
    // True for lo <= hi and for the empty interval (both bounds NaN); false when
    // exactly one bound is NaN or hi < lo.
    bool IsProper() const {
        if (IsNaN(lo) || IsNaN(hi)) {
            return IsNaN(lo) && IsNaN(hi);
        }
        return lo <= hi;
    }
    // [hi, lo]: the bounds exchanged, no rounding.
    Iv_Itvl Swapped() const { return FromBounds(hi, lo); }

    // In-place forms of the operators below; same bounds, same rounding.
    Iv_Itvl& operator+=(const Iv_Itvl& b);
    Iv_Itvl& operator+=(double s);
    Iv_Itvl& operator-=(const Iv_Itvl& b);
    Iv_Itvl& operator*=(const Iv_Itvl& b);
    Iv_Itvl& operator*=(double s);
    Iv_Itvl& operator/=(const Iv_Itvl& b);
};

// ---- Additive operations. Rounding: each leaves the mode at up. ----

// [a1 + b1, a2 + b2].
inline Iv_Itvl<double> operator+(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    double lo = AddDown(a.lo, b.lo);
    return Iv_Itvl<double>::FromBounds(lo, AddUp(a.hi, b.hi));
}
// [a1 + s, a2 + s].
inline Iv_Itvl<double> operator+(const Iv_Itvl<double>& a, double s) {
    double lo = AddDown(a.lo, s);
    return Iv_Itvl<double>::FromBounds(lo, AddUp(a.hi, s));
}
inline Iv_Itvl<double> operator+(double s, const Iv_Itvl<double>& a) {
    return a + s;
}
// [a1 - b2, a2 - b1].
inline Iv_Itvl<double> operator-(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    double lo = SubDown(a.lo, b.hi);
    return Iv_Itvl<double>::FromBounds(lo, SubUp(a.hi, b.lo));
}
// [a1 - s, a2 - s].
inline Iv_Itvl<double> operator-(const Iv_Itvl<double>& a, double s) {
    double lo = SubDown(a.lo, s);
    return Iv_Itvl<double>::FromBounds(lo, SubUp(a.hi, s));
}
// [s - a2, s - a1].
inline Iv_Itvl<double> operator-(double s, const Iv_Itvl<double>& a) {
    double lo = SubDown(s, a.hi);
    return Iv_Itvl<double>::FromBounds(lo, SubUp(s, a.lo));
}
// [-a2, -a1], exact. Rounding: unchanged.
inline Iv_Itvl<double> operator-(const Iv_Itvl<double>& a) {
    return Iv_Itvl<double>::FromBounds(-a.hi, -a.lo);
}

inline Iv_Itvl<double>& Iv_Itvl<double>::operator+=(const Iv_Itvl<double>& b) {
    return *this = *this + b;
}
inline Iv_Itvl<double>& Iv_Itvl<double>::operator+=(double s) {
    return *this = *this + s;
}
inline Iv_Itvl<double>& Iv_Itvl<double>::operator-=(const Iv_Itvl<double>& b) {
    return *this = *this - b;
}

// ---- Set operations and predicates. Rounding: unchanged. ----

inline bool ContainsZero(const Iv_Itvl<double>& a) {
    return !(a.lo > 0 || a.hi < 0) && !a.IsEmpty();
}
// a1 < s < a2 (false for the empty interval).
inline bool InteriorContains(const Iv_Itvl<double>& a, double s) {
    return a.lo < s && s < a.hi;
}
// The smallest interval containing both; an empty operand is ignored.
inline Iv_Itvl<double> Hull(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    return Iv_Itvl<double>::FromBounds(Min(a.lo, b.lo), Max(a.hi, b.hi));
}
// The smallest interval containing a and s; [s, s] when a is empty.
inline Iv_Itvl<double> Hull(const Iv_Itvl<double>& a, double s) {
    if (a.IsEmpty()) {
        return Iv_Itvl<double>(s);
    }
    return Iv_Itvl<double>::FromBounds(Min(a.lo, s), Max(a.hi, s));
}
// The common part; empty when there is none.
inline Iv_Itvl<double> Intersect(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    if (a.IsEmpty()) {
        return a;
    }
    if (b.IsEmpty()) {
        return b;
    }
    Iv_Itvl<double> r = Iv_Itvl<double>::FromBounds(Max(a.lo, b.lo), Min(a.hi, b.hi));
    if (r.hi < r.lo) {
        r.SetEmpty();
    }
    return r;
}
// Equal bounds, or both empty.
inline bool operator==(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    if (a.IsEmpty() || b.IsEmpty()) {
        return a.IsEmpty() && b.IsEmpty();
    }
    return a.lo == b.lo && a.hi == b.hi;
}
inline bool operator!=(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    return !(a == b);
}
// a is contained in b; the empty interval is a subset of every interval.
inline bool IsSubset(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    if (a.IsEmpty() || b.IsEmpty()) {
        return a.IsEmpty();
    }
    return b.lo <= a.lo && a.hi <= b.hi;
}
// No common point; true when either is empty.
inline bool Disjoint(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    return a.IsEmpty() || b.IsEmpty() || b.hi < a.lo || b.lo > a.hi;
}

// ---- Measures. ----

// a2 - a1 rounded up; 0 for the empty interval. Rounding: up (unchanged when empty).
inline double Width(const Iv_Itvl<double>& a) {
    return a.IsEmpty() ? 0.0 : SubUp(a.hi, a.lo);
}
// Half the width, rounded up. Rounding: up.
inline double Rad(const Iv_Itvl<double>& a) {
    return MulUp(SubUp(a.hi, a.lo), 0.5);
}
// A point of a near its centre, never outside a and never overflowing: 0 when
// a1 == -a2 (so [-inf, +inf] too); -DBL_MAX for [-inf, b] and DBL_MAX for [a, +inf]
// with a finite other bound; NaN for the empty interval.
// Rounding: leaves the mode at nearest.
double Mid(const Iv_Itvl<double>& a);
// The smallest |x| over a: a1 when a > 0, -a2 when a < 0, else 0. Rounding: unchanged.
inline double Mig(const Iv_Itvl<double>& a) {
    return a.lo > 0 ? a.lo : (a.hi < 0 ? -a.hi : 0.0);
}
// The largest |x| over a: Max(-a1, a2). Rounding: unchanged.
inline double Mag(const Iv_Itvl<double>& a) {
    return Max(-a.lo, a.hi);
}
// {|x| : x in a}, exact. Rounding: unchanged.
inline Iv_Itvl<double> Abs(const Iv_Itvl<double>& a) {
    if (a.lo < 0) {
        if (!(a.hi > 0)) {
            return -a;
        }
        return Iv_Itvl<double>::FromBounds(0.0, Max(-a.lo, a.hi));
    }
    return a;
}

#include "Interval/Iv_ItvlMul.h"
#include "Interval/Iv_RelDivide.h"

#endif
