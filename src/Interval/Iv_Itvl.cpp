// Interval measures that need more than one line.
#include "Interval/Iv_Itvl.h"

#include <cfloat>

double Mid(const Iv_Itvl<double>& a) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    if (a.lo == -a.hi) {  // symmetric, [-inf, +inf] included: exactly 0
        return 0.0;
    }
    if (a.lo == a.hi || a.IsEmpty()) {  // [inf, inf] has no finite centre either
        return a.lo;
    }
    // Half-unbounded: the finite double farthest out, which lies inside a.
    if (a.lo == -PlusInfinity()) {
        return -DBL_MAX;
    }
    if (a.hi == PlusInfinity()) {
        return DBL_MAX;
    }
    double s = AddNear(a.lo, a.hi);
    if (IsInfinite(s)) {
        // Both bounds are large and of one sign, so a2 - a1 does not overflow.
        return AddNear(a.lo, DivNear(SubNear(a.hi, a.lo), 2.0));
    }
    return DivNear(s, 2.0);
}
