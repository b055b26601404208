// Horner evaluation, bound polynomials and the enclosure of the real roots of
// a bound polynomial: closed forms up to degree 2, interval Newton above.
#include "Search/BRIX_Narrowing.h"

#include "Driver/BRIX_Timeout.h"
#include "System/SAL.h"

#include <cassert>
#include <utility>

namespace {

using Itvl = Iv_Itvl<double>;

// The Newton iteration contracts or halves its piece at every step; pieces
// left when this many steps have been taken, or at the time-out, are recorded
// as they are (each may hold a root).
constexpr int maxNewtonSteps = 20000;

// 0 in a; false for the empty interval, tested before any comparison so that
// an empty piece never raises the invalid flag.
bool HasZero(const Itvl& a) {
    return !a.IsEmpty() && !(a.lo > 0 || a.hi < 0);
}

bool HasNaN(const Itvl& a) {
    return IsNaN(a.lo) || IsNaN(a.hi);
}

template <class CoefficientAt>
Itvl HornerScheme(int count, const int* exponents, CoefficientAt coefficient, const Itvl& X) {
    if (count == 0) {
        return Itvl(0.0);
    }
    Itvl acc = coefficient(0);
    for (int i = 1; i < count; ++i) {
        acc = acc * Power(X, exponents[i - 1] - exponents[i]) + coefficient(i);
    }
    return acc * Power(X, exponents[count - 1]);
}

// f at the point m and the range of f' over Y, both by Horner's scheme in one
// pass over the terms; the derivative's terms are e*c x^(e-1), e > 0.
void ValueAndSlope(const BoundPoly& f, double m, const Itvl& Y, Itvl& fm, Itvl& slope) {
    const int count = f.TermCount();
    const int* e = f.exponents.data();
    const Itvl point(m);
    const int slopeCount = count - (e[count - 1] == 0 ? 1 : 0);
    fm = Itvl(f.coefficients[0]);
    slope = slopeCount > 0 ? Itvl(f.coefficients[0]) * static_cast<double>(e[0]) : Itvl(0.0);
    for (int i = 1; i < count; ++i) {
        fm = fm * Power(point, e[i - 1] - e[i]) + Itvl(f.coefficients[i]);
        if (i < slopeCount) {
            slope = slope * Power(Y, e[i - 1] - e[i]) +
                    Itvl(f.coefficients[i]) * static_cast<double>(e[i]);
        }
    }
    fm = fm * Power(point, e[count - 1]);
    if (slopeCount > 0) {
        slope = slope * Power(Y, e[slopeCount - 1] - 1);
    }
}

// Appends J, or widens the last enclosure when J starts where it ends.
void Record(RootList& roots, const Itvl& J) {
    if (!roots.empty() && roots.back().hi == J.lo) {
        roots.back() = Hull(roots.back(), J);
    } else {
        roots.push_back(J);
    }
}

void AppendNonEmpty(RootList& roots, const Itvl& J) {
    if (!J.IsEmpty()) {
        roots.push_back(J);
    }
}

// The closed forms; a, b, c are the coefficients of x^2, x, 1 (0 when absent).
void QuadraticRoots(double a, double b, double c, const Itvl& X, RootList& roots) {
    if (c == 0) {  // a x^2 + b x: roots 0 and -b/a
        Itvl T = Intersect((-Itvl(b)) / Itvl(a), X);
        if (HasZero(T)) {
            roots.push_back(T);  // T holds both roots
            return;
        }
        if (!T.IsEmpty() && T.hi < 0) {
            roots.push_back(T);
        }
        if (HasZero(X)) {
            roots.push_back(Itvl(0.0));
        }
        if (!T.IsEmpty() && T.lo > 0) {
            roots.push_back(T);
        }
        return;
    }
    if (b == 0) {  // a x^2 + c: roots +-sqrt(-c/a) when the signs differ
        if (Sign(a) == Sign(c)) {
            return;
        }
        Itvl Q = SquareRoot((-Itvl(c)) / Itvl(a));
        if (Q.IsEmpty()) {
            SAL_Interface::RaiseFPException(SAL_FPInvalid);  // cannot happen for -c/a > 0
            return;
        }
        if (!HasZero(Q)) {
            AppendNonEmpty(roots, Intersect(-Q, X));
            AppendNonEmpty(roots, Intersect(Q, X));
        } else {
            AppendNonEmpty(roots, Intersect(Itvl::FromBounds(-Q.hi, Q.hi), X));
        }
        return;
    }
    Itvl D = Square(Itvl(b)) - (Itvl(4.0) * Itvl(a)) * Itvl(c);
    if (HasNaN(D) || D.hi < 0) {  // a NaN has raised the invalid flag
        return;
    }
    const Itvl A2 = Itvl(a) + Itvl(a);
    if (!(D.lo > 0)) {  // 0 <= discriminant <= D.hi: both roots in (-b +- [-h, h]) / 2a
        double h = SqrtUp(D.hi);
        Itvl S = Itvl::FromBounds(-h, h);
        AppendNonEmpty(roots, Intersect((S - Itvl(b)) / A2, X));
        return;
    }
    Itvl s = SquareRoot(D);
    Itvl R1 = (s - Itvl(b)) / A2;
    Itvl R2 = ((-s) - Itvl(b)) / A2;
    if (!Disjoint(R1, R2)) {
        AppendNonEmpty(roots, Intersect(Hull(R1, R2), X));
        return;
    }
    if (R2.lo <= R1.lo) {
        std::swap(R1, R2);
    }
    AppendNonEmpty(roots, Intersect(R1, X));
    AppendNonEmpty(roots, Intersect(R2, X));
}

}  // namespace

BRIX_InvalidWatch::BRIX_InvalidWatch() : before_(SAL_Interface::TestFPException(SAL_FPInvalid)) {
    SAL_Interface::ClearFPException(SAL_FPInvalid);
}

BRIX_InvalidWatch::~BRIX_InvalidWatch() {
    if (before_) {
        SAL_Interface::RaiseFPException(SAL_FPInvalid);
    }
}

bool BRIX_InvalidWatch::Raised() const {
    return SAL_Interface::TestFPException(SAL_FPInvalid);
}

void BRIX_InvalidWatch::Reset() {
    SAL_Interface::ClearFPException(SAL_FPInvalid);
}

Iv_Itvl<double> Horner(const UnivPoly& q, const Iv_Itvl<double>& X) {
    return HornerScheme(
        q.TermCount(), q.exponents.data(), [&q](int i) { return q.coefficients[i]; }, X);
}

Iv_Itvl<double> Horner(const BoundPoly& f, const Iv_Itvl<double>& X) {
    return HornerScheme(
        f.TermCount(), f.exponents.data(), [&f](int i) { return Itvl(f.coefficients[i]); }, X);
}

BoundPoly BoundPolynomial(const UnivPoly& q, BoundSide side) {
    BoundPoly f;
    f.coefficients.reserve(q.coefficients.size());
    f.exponents.reserve(q.exponents.size());
    for (int i = 0; i < q.TermCount(); ++i) {
        const int e = q.exponents[i];
        // x >= 0: a x^e <= hi(a) x^e; x < 0: x^e has the sign of (-1)^e.
        const bool useLower = side == BoundSide::Negative && IsOdd(e);
        const double c = useLower ? q.coefficients[i].lo : q.coefficients[i].hi;
        if (c == 0) {
            continue;
        }
        f.coefficients.push_back(c);
        f.exponents.push_back(e);
    }
    return f;
}

RootList ClosedFormRoots(const BoundPoly& f, const Iv_Itvl<double>& X) {
    assert(!X.IsEmpty() && f.Degree() <= 2);
    RootList roots;
    const int count = f.TermCount();
    if (count == 0) {  // every point is a root
        roots.push_back(X);
        return roots;
    }
    BRIX_InvalidWatch watch;
    double coefficient[3] = {0.0, 0.0, 0.0};  // of x^0, x^1, x^2
    for (int i = 0; i < count; ++i) {
        coefficient[f.exponents[i]] = f.coefficients[i];
    }
    if (count == 1) {
        if (f.exponents[0] > 0 && HasZero(X)) {  // a x or a x^2: the root 0
            roots.push_back(Itvl(0.0));
        }
    } else if (f.Degree() == 1) {  // a x + b: the root -b/a
        AppendNonEmpty(roots, Intersect(Itvl(coefficient[0]) / (-coefficient[1]), X));
    } else {
        QuadraticRoots(coefficient[2], coefficient[1], coefficient[0], X, roots);
    }
    if (watch.Raised()) {  // infinite coefficients: nothing can be excluded
        roots.assign(1, X);
    }
    return roots;
}

RootList EncloseRoots(const BoundPoly& f, const Iv_Itvl<double>& X, double eps) {
    assert(!X.IsEmpty());
    if (f.Degree() < 3) {
        return ClosedFormRoots(f, X);
    }
    BRIX_InvalidWatch watch;
    RootList roots;
    SmallVector<Itvl, 16> work(1, X);
    int steps = 0;
    while (!work.empty()) {
        const Itvl Y = work.back();
        work.pop_back();
        const double m = Mid(Y);
        if (++steps > maxNewtonSteps || !(Width(Y) > eps) || !InteriorContains(Y, m) ||
            timeoutPassed()) {
            Record(roots, Y);
            continue;
        }
        Itvl fm, slope;
        ValueAndSlope(f, m, Y, fm, slope);
        if (HasNaN(fm) || HasNaN(slope)) {
            roots.assign(1, X);
            return roots;
        }
        if (!HasZero(slope)) {  // every root x of Y has x = m - f(m) / f'(xi), xi in Y
            const Itvl next = Intersect(Y, m - fm / slope);
            if (next == Y) {
                Record(roots, next);
            } else if (!next.IsEmpty()) {
                work.push_back(next);
            }
            continue;
        }
        // A root x of Y has z = m - x in m - Y with z * f'(xi) = f(m).
        Itvl z1, z2;
        RelDivide(fm, slope, m - Y, z1, z2);
        Itvl Y1 = z1.IsEmpty() ? z1 : Intersect(Y, m - z1);
        Itvl Y2 = z2.IsEmpty() ? z2 : Intersect(Y, m - z2);
        if (!Y1.IsEmpty() && !Y2.IsEmpty() && Disjoint(Y1, Y2)) {
            if (Y1.lo < Y2.lo) {
                std::swap(Y1, Y2);
            }
            work.push_back(Y1);  // the upper piece first, so the lower is treated first
            work.push_back(Y2);
            continue;
        }
        const Itvl H = Hull(Y1, Y2);
        if (H != Y) {
            if (!H.IsEmpty()) {
                work.push_back(H);
            }
        } else {
            work.push_back(Itvl::FromBounds(m, Y.hi));
            work.push_back(Itvl::FromBounds(Y.lo, m));
        }
    }
    if (watch.Raised()) {
        roots.assign(1, X);
    }
    return roots;
}
