// Helpers shared by the polynomial sources (DistPoly*.cpp); not for other users.
#ifndef BRIX_SEARCH_BRIX_DISTPOLYDETAIL_H
#define BRIX_SEARCH_BRIX_DISTPOLYDETAIL_H

#include "Interval/Iv_Itvl.h"

// [-inf, +inf] in place of an interval with a NaN bound. Interval arithmetic
// makes NaN only from infinity minus infinity, where the exact set is unbounded
// (or unknown); read as empty, such a bound would make a wrong statement, and
// it must not reach a later Min or Max, which may silently drop it.
inline Iv_Itvl<double> EntireIfNaN(const Iv_Itvl<double>& a) {
    if (IsNaN(a.lo) || IsNaN(a.hi)) {
        return Iv_Itvl<double>::Entire();
    }
    return a;
}

// a + b, outward rounded; [-inf, +inf] where a bound would be NaN.
// Rounding: leaves the mode at up.
inline Iv_Itvl<double> AddOrEntire(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b) {
    return EntireIfNaN(a + b);
}

// Intersect(a, b) for enclosures a and b of one set, which cannot be disjoint in
// exact arithmetic: when they are (an operand was itself empty or rounded the
// wrong way), fallback is returned instead of the empty interval.
inline Iv_Itvl<double> IntersectOr(const Iv_Itvl<double>& a, const Iv_Itvl<double>& b,
                                   const Iv_Itvl<double>& fallback) {
    Iv_Itvl<double> r = Intersect(EntireIfNaN(a), EntireIfNaN(b));
    return r.IsEmpty() ? EntireIfNaN(fallback) : r;
}

// The centres of the bicentered form for one variable with interval X, from the
// range D of the partial derivative over the box: cUp gives the mean-value form
// the tighter upper bound, cLow the tighter lower bound. Both are finite points
// of X (the midpoint of X where the rule gives NaN or an infinite bound) for
// every X other than the empty interval, [inf, inf] and [-inf, -inf].
// Rounding: leaves the mode at nearest.
void BicenteredCentres(const Iv_Itvl<double>& D, const Iv_Itvl<double>& X, double& cUp,
                       double& cLow);

#endif
