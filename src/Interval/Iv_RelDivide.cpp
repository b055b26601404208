// Relational division.
//
// With 0 in b and 0 not in a, the solutions of x * y = z (z in a, y in b, y != 0)
// are x = z / y. The bound of a nearest to 0 and the bounds of b give the edges of
// the gap around 0 that no solution reaches; each edge is rounded away from the
// gap, so the pieces never lose a solution.
#include "Interval/Iv_RelDivide.h"

namespace {

using Itvl = Iv_Itvl<double>;

// [lo, hi], or empty when lo <= hi fails (also for a NaN bound, which only a
// point of a at infinity can produce: no real x reaches it).
Itvl Piece(double lo, double hi) {
    Itvl r = Itvl::FromBounds(lo, hi);
    if (!(lo <= hi)) {
        r.SetEmpty();
    }
    return r;
}

}  // namespace

void RelDivide(Itvl a, Itvl b, Itvl d, Itvl& r1, Itvl& r2) {
    if (d.IsEmpty()) {
        r1 = r2 = d;
        return;
    }
    r2.SetEmpty();
    if (a.IsEmpty() || b.IsEmpty()) {  // no product can lie in an empty set
        r1.SetEmpty();
        return;
    }
    if (b.lo > 0 || b.hi < 0) {
        r1 = Intersect(d, a / b);
        return;
    }
    if (!(a.lo > 0) && !(a.hi < 0)) {  // 0 in a and in b: y = 0 gives x * 0 in a
        r1 = d;
        return;
    }
    if (b.lo == 0 && b.hi == 0) {  // only y = 0, and 0 is not in a
        r1.SetEmpty();
        return;
    }
    double l, u;  // the two-piece answer keeps x <= u and x >= l
    if (a.hi < 0) {
        if (b.lo == 0) {  // a < 0, 0 < y <= b2: x <= a2/b2
            r1 = Piece(d.lo, Min(d.hi, DivUp(a.hi, b.hi)));
            return;
        }
        if (b.hi == 0) {  // a < 0, b1 <= y < 0: x >= a2/b1
            r1 = Piece(Max(d.lo, DivDown(a.hi, b.lo)), d.hi);
            return;
        }
        // a < 0, b1 < 0 < b2: x <= a2/b2 or x >= a2/b1
        l = Max(d.lo, DivDown(a.hi, b.lo));
        u = Min(d.hi, DivUp(a.hi, b.hi));
    } else {
        if (b.lo == 0) {  // 0 < a, 0 < y <= b2: x >= a1/b2
            r1 = Piece(Max(d.lo, DivDown(a.lo, b.hi)), d.hi);
            return;
        }
        if (b.hi == 0) {  // 0 < a, b1 <= y < 0: x <= a1/b1
            r1 = Piece(d.lo, Min(d.hi, DivUp(a.lo, b.lo)));
            return;
        }
        // 0 < a, b1 < 0 < b2: x <= a1/b1 or x >= a1/b2
        l = Max(d.lo, DivDown(a.lo, b.hi));
        u = Min(d.hi, DivUp(a.lo, b.lo));
    }
    if (l <= u) {  // the gap lies outside d
        r1 = d;
        return;
    }
    r1 = Piece(d.lo, u);
    r2 = Piece(l, d.hi);
    if (r1.IsEmpty()) {
        r1 = r2;
        r2.SetEmpty();
    }
}
