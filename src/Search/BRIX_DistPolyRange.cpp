// Range enclosures of polynomials over boxes: the bicentered mean-value form,
// the midpoint mean-value form, and the method switch.
//
// A mean-value form p(c) + sum of D_i * (X_i - c_i) encloses p over the box when
// each centre c_i is a point of X_i and D_i encloses the partial derivative over
// the box. The centres need no directed rounding: any double of X_i will do,
// since p(c) and X_i - c_i are evaluated in interval arithmetic. What matters is
// that each centre lies in X_i and is finite.
#include "Search/BRIX_DistPoly.h"

#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_DistPolyDetail.h"
#include "Search/BRIX_USAS.h"

#include <cassert>

namespace {

using Itvl = Iv_Itvl<double>;

// Rounded to nearest; leaves the mode at nearest (a centre needs no direction).
double MulNear(double a, double b) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    return PinnedMul(a, b);
}

// c when it is a finite point of X, else the midpoint of X (finite for every
// non-empty X other than [inf, inf] and [-inf, -inf], which boxes never hold).
double InsideOrMid(double c, const Itvl& X) {
    if (!IsInfOrNaN(c) && X.lo <= c && c <= X.hi) {
        return c;
    }
    return Mid(X);
}

}  // namespace

void BicenteredCentres(const Itvl& D, const Itvl& X, double& cUp, double& cLow) {
    if (D.lo < 0 && D.hi > 0) {
        // The points where the two slopes of D * (X - c) balance, for the upper
        // and for the lower bound. Rounding may put them just outside X; the
        // formula overflows or gives NaN on huge or unbounded X or D.
        cUp = DivNear(SubNear(MulNear(D.lo, X.lo), MulNear(D.hi, X.hi)), SubNear(D.lo, D.hi));
        cLow = DivNear(SubNear(MulNear(D.hi, X.lo), MulNear(D.lo, X.hi)), SubNear(D.hi, D.lo));
        if (cUp > X.hi) {
            cUp = X.hi;
        }
        if (cUp < X.lo) {
            cUp = X.hi;
        }
        if (cLow > X.hi) {
            cLow = X.lo;
        }
        if (cLow < X.lo) {
            cLow = X.lo;
        }
    } else if (D.lo < 0) {  // p does not increase in x_i
        cUp = X.lo;
        cLow = X.hi;
    } else {  // p does not decrease in x_i
        cUp = X.hi;
        cLow = X.lo;
    }
    cUp = InsideOrMid(cUp, X);
    cLow = InsideOrMid(cLow, X);
}

namespace {

bool HasNaNBound(const Itvl* x, int n) {
    for (int j = 0; j < n; ++j) {
        if (IsNaN(x[j].lo) || IsNaN(x[j].hi)) {
            return true;
        }
    }
    return false;
}

const Itvl* Components(const Box& box, int n) {
    assert(box.Dimension() >= n);
    return n > 0 ? &box[0] : nullptr;
}

}  // namespace

Itvl BicenteredRange(const DistPoly& poly, const Itvl* x) {
    const int n = poly.VariableCount();
    if (n == 0) {
        return EntireIfNaN(poly.ConstantValue());
    }
    if (HasNaNBound(x, n)) {
        return Itvl::Entire();
    }
    // Scratch storage kept from call to call (per thread): the range is asked
    // for at every narrowing, and allocating it anew cost more than the
    // arithmetic.
    thread_local std::vector<Itvl> centres;
    thread_local DistPoly substituted[2];
    thread_local DistPoly derivative;
    centres.resize(2 * static_cast<size_t>(n));
    Itvl* cUp = centres.data();
    Itvl* cLow = cUp + n;
    // P is poly with the variables after i replaced by their intervals: it has
    // i + 1 variables, so its derivative in x_i is evaluated over X_0 .. X_i.
    const DistPoly* P = &poly;
    Itvl accUp;
    Itvl accLow;
    for (int i = n - 1; i >= 0; --i) {
        const Itvl& X = x[i];
        P->DerivativeInto(i, derivative);
        const Itvl D = Evaluate(derivative, x);
        double up;
        double low;
        BicenteredCentres(D, X, up, low);
        accUp = AddOrEntire(accUp, D * (X - up));
        accLow = AddOrEntire(accLow, D * (X - low));
        cUp[i] = Itvl(up);
        cLow[i] = Itvl(low);
        DistPoly& next = substituted[P == &substituted[0] ? 1 : 0];
        P->SubstituteLastInto(X, next);
        P = &next;
    }
    const Itvl formUp = AddOrEntire(Evaluate(poly, cUp), accUp);
    const Itvl formLow = AddOrEntire(Evaluate(poly, cLow), accLow);
    const Itvl plain = EntireIfNaN(P->ConstantValue());
    // Three enclosures of one range meet; if they do not, one of them is wrong
    // by rounding or an empty operand, and the evaluation alone is returned.
    Itvl r = Intersect(Intersect(formUp, formLow), plain);
    return r.IsEmpty() ? Evaluate(poly, x) : r;
}

Itvl BicenteredRange(const DistPoly& poly, const Box& box) {
    return BicenteredRange(poly, Components(box, poly.VariableCount()));
}

Itvl MidpointRange(const DistPoly& poly, const Itvl* x) {
    const int n = poly.VariableCount();
    if (n == 0) {
        return EntireIfNaN(poly.ConstantValue());
    }
    const Itvl plain = Evaluate(poly, x);  // [-inf, +inf] for a NaN bound in x
    if (HasNaNBound(x, n)) {
        return plain;
    }
    std::vector<Itvl> mid(n);
    for (int j = 0; j < n; ++j) {
        mid[j] = Itvl(InsideOrMid(Mid(x[j]), x[j]));
    }
    Itvl form = Evaluate(poly, mid.data());
    DistPoly derivative;
    for (int i = 0; i < n; ++i) {
        poly.DerivativeInto(i, derivative);
        form = AddOrEntire(form, Evaluate(derivative, x) * (x[i] - mid[i].lo));
    }
    return IntersectOr(plain, form, plain);
}

Itvl MidpointRange(const DistPoly& poly, const Box& box) {
    return MidpointRange(poly, Components(box, poly.VariableCount()));
}

Itvl TightRange(const DistPoly& poly, const Box& box) {
    const Itvl* x = Components(box, poly.VariableCount());
    const Itvl plain = Evaluate(poly, x);
    return IntersectOr(plain, BicenteredRange(poly, x), plain);
}

Itvl Range(const DistPoly& poly, const Box& box) {
    switch (BRIX_RoundedParam(BRIX_Param::RangeMethod)) {
        case 1:
        case 2:  // the atomic constraint prepares no other range data
            return BicenteredRange(poly, box);
        case 3:
            return MidpointRange(poly, box);
        default:
            return Itvl::Entire();
    }
}
