// The one-variable narrowing step and the truth of constant relations.
//
// Why the new bounds are safe. Let A (B) be the bound polynomial of the
// negative (positive) half-axis: q(x) <= A(x) for x <= 0 and q(x) <= B(x) for
// x >= 0, and A(0) = B(0) (both take the upper bound of the constant
// coefficient). When the lower end is certainly false, A(lo) < 0 (lo < 0) or
// B(lo) < 0 (lo >= 0). Between lo and the first root of the bound polynomials
// no sign change can happen, so the relation fails there; the first root
// enclosure of A counts when it starts at or below 0, otherwise the first of B
// (A < 0 on [lo, 0] then, so B(0) < 0). The upper end is the mirror image. For
// <= and >= (keep q >= 0) the bound is moved at least one double outside the
// enclosure, so that a root on the enclosure's edge stays inside the kept
// interval. For < and > (keep q > 0) a root fails the relation: the relation
// counts as failing at an end where q <= 0, and the bound may stay on the
// enclosure's edge, where A <= 0.
#include "Search/BRIX_Narrowing.h"

#include "Constraint/BRIX_Atomic.h"
#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_USAS.h"

#include <cassert>

namespace {

using Itvl = Iv_Itvl<double>;

// The lowest lower bound and the highest upper bound of a root list (the list
// is in increasing order; taking the extremes does not rely on it).
void Extremes(const RootList& roots, double& first, double& last) {
    first = roots.front().lo;
    last = roots.front().hi;
    for (const Itvl& r : roots) {
        first = Min(first, r.lo);
        last = Max(last, r.hi);
    }
}

bool HasNaN(const Itvl& a) {
    return IsNaN(a.lo) || IsNaN(a.hi);
}

// A lower bound taken from a root enclosure starting at root: at least one
// double below it, further out with inflation 2, never below lo. For a strict
// relation the root itself may go (q <= 0 there), so the bound stays on it.
double OutwardLower(double root, const Itvl& X, int inflate, bool strict) {
    double L = strict ? root : NextDown(root);
    if (inflate == 2) {  // a tenth of the distance to the old upper bound
        double wide = SubDown(root, MulUp(SubUp(X.hi, root), 0.1));
        if (!IsNaN(wide)) {
            L = Min(L, wide);
        }
    }
    return Max(L, X.lo);
}

// The mirror image, with the distance measured from the new lower bound.
double OutwardUpper(double root, double L, const Itvl& X, int inflate, bool strict) {
    double U = strict ? root : NextUp(root);
    if (inflate == 2) {
        double wide = AddUp(MulUp(SubUp(root, L), 0.1), root);
        if (!IsNaN(wide)) {
            U = Max(U, wide);
        }
    }
    return Min(U, X.hi);
}

}  // namespace

NarrowResult NarrowUnivariate(UnivPoly q, int relation, const Iv_Itvl<double>& X) {
    NarrowResult unchanged;
    unchanged.interval = X;
    if (IsNaN(X.lo) || IsNaN(X.hi) || !(X.lo <= X.hi)) {
        return unchanged;
    }
    bool negate = false;
    // Strict relations keep only the points where q > 0 might hold, so a
    // point where q <= 0 certainly fails them; the others keep q >= 0.
    const bool strict = relation == BRIX_Less || relation == BRIX_Greater;
    switch (relation) {
        case BRIX_Less:
        case BRIX_LessEqual:
            negate = true;
            break;
        case BRIX_Greater:
        case BRIX_GreaterEqual:
        case BRIX_Equal:  // keeps q >= 0: a superset of q = 0
            break;
        default:  // p != 0 holds where p < 0 as well: nothing can be cut
            return unchanged;
    }
    // Read before the watch: rounding an odd parameter may compare a NaN.
    const int inflate = BRIX_RoundedParam(BRIX_Param::InflateTightening);
    double relativeError = BRIX_GetParam(BRIX_Param::ZeroRelativeError);
    if (!(relativeError >= 0)) {
        relativeError = 0;
    }
    const double eps = MulUpZ(Width(X), relativeError);

    BRIX_InvalidWatch watch;
    for (Itvl& c : q.coefficients) {
        if (HasNaN(c)) {
            return unchanged;
        }
        if (negate) {
            c = -c;
        }
    }
    NarrowResult result;
    result.exact = true;
    const Itvl atLower = Horner(q, Itvl(X.lo));
    const Itvl atUpper = Horner(q, Itvl(X.hi));
    if (HasNaN(atLower) || HasNaN(atUpper)) {
        return unchanged;
    }
    // The relation certainly fails at lo (hi).
    result.lowerMoved = strict ? atLower.hi <= 0 : atLower.hi < 0;
    result.upperMoved = strict ? atUpper.hi <= 0 : atUpper.hi < 0;
    result.lowerSign = atLower.hi <= 0;
    result.upperSign = atUpper.hi <= 0;
    // The relation certainly holds at an end, where narrowing its negation
    // could cut.
    if (strict ? (atLower.lo > 0 || atUpper.lo > 0) : (atLower.lo >= 0 || atUpper.lo >= 0)) {
        result.exact = false;
    }
    result.interval = X;
    if (!result.lowerMoved && !result.upperMoved) {
        return watch.Raised() ? unchanged : result;
    }

    RootList negative, positive;  // roots of A and of B in X
    if (X.lo < 0) {
        negative = EncloseRoots(BoundPolynomial(q, BoundSide::Negative), X, eps);
    }
    if (0 <= X.hi) {
        positive = EncloseRoots(BoundPolynomial(q, BoundSide::Positive), X, eps);
    }
    double nFirst = 0, nLast = 0, pFirst = 0, pLast = 0;
    if (!negative.empty()) {
        Extremes(negative, nFirst, nLast);
    }
    if (!positive.empty()) {
        Extremes(positive, pFirst, pLast);
    }
    if (IsNaN(nFirst) || IsNaN(nLast) || IsNaN(pFirst) || IsNaN(pLast)) {
        return unchanged;
    }

    double L = X.lo;
    double U = X.hi;
    if (result.lowerMoved) {
        if (!negative.empty() && nFirst <= 0) {  // a root of A at 0 counts too
            L = OutwardLower(nFirst, X, inflate, strict);
        } else if (!positive.empty()) {
            L = OutwardLower(pFirst, X, inflate, strict);
        }
    }
    if (result.upperMoved) {
        if (!positive.empty() && pLast >= 0) {  // a root of B at 0 counts too
            U = OutwardUpper(pLast, L, X, inflate, strict);
        } else if (!negative.empty()) {
            U = OutwardUpper(nLast, L, X, inflate, strict);
        } else {  // no root anywhere and negative at hi: false on all of X
            if (watch.Raised()) {
                return unchanged;
            }
            result.interval = Itvl::Empty();
            return result;
        }
    }
    if (watch.Raised() || IsNaN(L) || IsNaN(U) || !(L <= U)) {
        return unchanged;
    }
    result.interval = Itvl::FromBounds(L, U);
    return result;
}

namespace {
thread_local unsigned long long narrowingSteps = 0;
}  // namespace

unsigned long long NarrowingStepCount() {
    return narrowingSteps;
}

NarrowResult NarrowVariable(const DistPoly& poly, int relation, const Box& box, int var,
                            const UnivData& univData) {
    assert(var >= 0 && var < box.Dimension());
    narrowingSteps += 1;
    if (relation == BRIX_NotEqual || relation < BRIX_Less || relation > BRIX_NotEqual) {
        NarrowResult unchanged;
        unchanged.interval = box[var];
        return unchanged;
    }
    return NarrowUnivariate(EvalToUniv(poly, box, var, univData), relation, box[var]);
}

TruthValue ConstantTest(const Iv_Itvl<double>& value, int relation) {
    const double a = value.lo;
    const double b = value.hi;
    if (IsNaN(a) || IsNaN(b) || !(a <= b)) {  // no value to compare
        return TruthValue::Unknown();
    }
    switch (relation) {
        case BRIX_Less:
            return TruthValue(a < 0, b < 0);
        case BRIX_LessEqual:
            return TruthValue(!(a > 0), !(b > 0));
        case BRIX_Greater:
            return TruthValue(b > 0, a > 0);
        case BRIX_GreaterEqual:
            return TruthValue(!(b < 0), !(a < 0));
        case BRIX_Equal:
            return TruthValue(!(b < 0) && !(a > 0), a == 0 && b == 0);
        case BRIX_NotEqual:
            return TruthValue(!(a == 0 && b == 0), b < 0 || a > 0);
        default:
            return TruthValue::Unknown();
    }
}

TruthValue ConstantTest(const DistPoly& poly, int relation) {
    return ConstantTest(poly.ConstantValue(), relation);
}
