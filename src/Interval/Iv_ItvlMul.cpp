// Multiplicative interval operations.
//
// Each case below names the signs it covers and the inequality that makes its
// bounds safe; the lower bound is rounded down and the upper bound up, so each
// bound lies on the safe side of the exact extreme product or quotient.
#include "Interval/Iv_ItvlMul.h"

namespace {

using Itvl = Iv_Itvl<double>;

// [lo, hi] as computed. Callers compute lo into a variable before they compute hi
// in the call, so the mode is left at up.
Itvl Bounds(double lo, double hi) {
    return Itvl::FromBounds(lo, hi);
}

}  // namespace

Itvl operator*(const Itvl& a, const Itvl& b) {
    double lo;
    if (a.lo > 0) {
        if (b.lo > 0) {  // 0 < a, 0 < b: a1*b1 <= x*y <= a2*b2
            lo = MulDown(a.lo, b.lo);
            return Bounds(lo, MulUp(a.hi, b.hi));
        }
        if (b.hi < 0) {  // b < 0 < a: a2*b1 <= x*y <= a1*b2
            lo = MulDown(a.hi, b.lo);
            return Bounds(lo, MulUp(a.lo, b.hi));
        }
        // 0 < a, b1 <= 0 <= b2: a2*b1 <= x*y <= a2*b2
        lo = MulDownZ(a.hi, b.lo);
        return Bounds(lo, MulUpZ(a.hi, b.hi));
    }
    if (a.hi < 0) {
        if (b.lo > 0) {  // a < 0 < b: a1*b2 <= x*y <= a2*b1
            lo = MulDown(a.lo, b.hi);
            return Bounds(lo, MulUp(a.hi, b.lo));
        }
        if (b.hi < 0) {  // a < 0, b < 0: a2*b2 <= x*y <= a1*b1
            lo = MulDown(a.hi, b.hi);
            return Bounds(lo, MulUp(a.lo, b.lo));
        }
        // a < 0, b1 <= 0 <= b2: a1*b2 <= x*y <= a1*b1
        lo = MulDownZ(a.lo, b.hi);
        return Bounds(lo, MulUpZ(a.lo, b.lo));
    }
    if (b.lo > 0) {  // a1 <= 0 <= a2, 0 < b: a1*b2 <= x*y <= a2*b2
        lo = MulDownZ(a.lo, b.hi);
        return Bounds(lo, MulUpZ(a.hi, b.hi));
    }
    if (b.hi < 0) {  // a1 <= 0 <= a2, b < 0: a2*b1 <= x*y <= a1*b1
        lo = MulDownZ(a.hi, b.lo);
        return Bounds(lo, MulUpZ(a.lo, b.lo));
    }
    // Both contain 0 or are empty. Empty has to be caught here: with a zero bound
    // on the other side the zero rule alone would answer [0, 0].
    if (a.IsEmpty() || b.IsEmpty()) {
        return Itvl::Empty();
    }
    // a1 <= 0 <= a2, b1 <= 0 <= b2: min(a1*b2, a2*b1) <= x*y <= max(a1*b1, a2*b2)
    lo = Min(MulDownZ(a.lo, b.hi), MulDownZ(a.hi, b.lo));
    return Bounds(lo, Max(MulUpZ(a.lo, b.lo), MulUpZ(a.hi, b.hi)));
}

Itvl operator/(const Itvl& a, const Itvl& b) {
    double lo;
    if (b.hi < 0) {
        if (a.hi < 0) {  // a < 0, b < 0: a2/b1 <= x/y <= a1/b2
            lo = DivDown(a.hi, b.lo);
            return Bounds(lo, DivUp(a.lo, b.hi));
        }
        if (a.lo > 0) {  // b < 0 < a: a2/b2 <= x/y <= a1/b1
            lo = DivDown(a.hi, b.hi);
            return Bounds(lo, DivUp(a.lo, b.lo));
        }
        // a1 <= 0 <= a2, b < 0: a2/b2 <= x/y <= a1/b2
        lo = DivDown(a.hi, b.hi);
        return Bounds(lo, DivUp(a.lo, b.hi));
    }
    if (b.lo > 0) {
        if (a.hi < 0) {  // a < 0 < b: a1/b1 <= x/y <= a2/b2
            lo = DivDown(a.lo, b.lo);
            return Bounds(lo, DivUp(a.hi, b.hi));
        }
        if (a.lo > 0) {  // 0 < a, 0 < b: a1/b2 <= x/y <= a2/b1
            lo = DivDown(a.lo, b.hi);
            return Bounds(lo, DivUp(a.hi, b.lo));
        }
        // a1 <= 0 <= a2, 0 < b: a1/b1 <= x/y <= a2/b1
        lo = DivDown(a.lo, b.lo);
        return Bounds(lo, DivUp(a.hi, b.lo));
    }
    // 0 in b: quotients near y = 0 are unbounded. Relational division gives the
    // tighter (two-piece) answer for callers that need one.
    return b.IsEmpty() ? Itvl::Empty() : Itvl::Entire();
}

Itvl Reciprocal(const Itvl& a) {
    if (ContainsZero(a)) {
        return Itvl::Entire();
    }
    // 0 not in a: 1/x decreases on a, 1/a2 <= 1/x <= 1/a1
    double hi = DivUp(1.0, a.lo);
    return Bounds(DivDown(1.0, a.hi), hi);
}

Itvl Square(const Itvl& a) {
    if (ContainsZero(a)) {  // a1 <= 0 <= a2: 0 <= x*x <= max(a1*a1, a2*a2)
        double m = a.hi >= -a.lo ? a.hi : a.lo;
        return Bounds(0.0, MulUp(m, m));
    }
    double lo;
    if (a.hi > 0) {  // 0 < a: a1*a1 <= x*x <= a2*a2
        lo = MulDown(a.lo, a.lo);
        return Bounds(lo, MulUp(a.hi, a.hi));
    }
    // a < 0 (or empty): a2*a2 <= x*x <= a1*a1
    lo = MulDown(a.hi, a.hi);
    return Bounds(lo, MulUp(a.lo, a.lo));
}

Itvl SquareRoot(const Itvl& a) {
    double lo = SqrtDown(a.lo);
    return Bounds(lo, SqrtUp(a.hi));
}

Itvl Power(const Itvl& a, long n) {
    if (n == 0) {
        return Itvl(1.0);
    }
    if (n == 1) {
        return a;
    }
    if (n == 2) {
        return Square(a);
    }
    double lo;
    if (n < 0) {
        if (ContainsZero(a)) {  // x^n is unbounded near x = 0
            return Itvl::Entire();
        }
        if (IsOdd(n) || a.lo > 0) {  // x^n decreases on a: a2^n <= x^n <= a1^n
            lo = PowerDown(a.hi, n);
            return Bounds(lo, PowerUp(a.lo, n));
        }
        // even n < 0, a < 0: x^n increases on a: a1^n <= x^n <= a2^n
        lo = PowerDown(a.lo, n);
        return Bounds(lo, PowerUp(a.hi, n));
    }
    if (IsOdd(n) || a.lo > 0) {  // x^n increases on a: a1^n <= x^n <= a2^n
        lo = PowerDown(a.lo, n);
        return Bounds(lo, PowerUp(a.hi, n));
    }
    if (ContainsZero(a)) {  // even n, a1 <= 0 <= a2: 0 <= x^n <= Mag(a)^n
        return Bounds(0.0, PowerUp(Mag(a), n));
    }
    // even n, a < 0 (or empty): (-a2)^n <= x^n <= (-a1)^n
    lo = PowerDown(-a.hi, n);
    return Bounds(lo, PowerUp(-a.lo, n));
}
