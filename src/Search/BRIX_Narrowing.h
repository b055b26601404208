// The one-variable narrowing step of an atomic constraint p REL 0, the root
// enclosure it is built on, and the truth of a constant relation.
//
// Narrowing a variable x with interval [lo, hi] turns p into a univariate
// interval polynomial q in x (the other variables replaced by their
// intervals), negated for < and <= so that the points to keep are those where
// q > 0 or q >= 0 might hold. On each half-axis q is bounded from above by a
// polynomial with double coefficients; where that bound is negative the
// relation certainly fails. The real roots of the bound polynomials in [lo, hi]
// are enclosed (closed form up to degree 2, interval Newton above), and the
// outermost enclosures give the new bounds.
//
// Soundness: the pieces [lo, L] and [U, hi] cut off by a result [L, U] are
// closed boxes on which the relation fails for every choice of the
// coefficients, bounds included. For <= and >= (and the passes of =) q < 0
// there: p > 0 for <=, p < 0 for >=, so the opposite strict relation holds,
// which is what down-narrowing relies on (it cuts where p < 0 holds by
// narrowing p > 0). Such a moved bound lies at least one double outside the
// root enclosure it comes from. For < and > q <= 0 there, which fails the
// strict relation (a zero of p belongs to its false side) and makes the
// opposite non-strict relation hold; the bound may lie on the enclosure's
// edge. Every moved bound lies inside [lo, hi]. Whenever an invalid operation
// (a NaN, as from inf - inf at an infinite bound) arises, nothing is
// concluded: the interval is returned unchanged, no bound moved, exact false.
#ifndef BRIX_SEARCH_BRIX_NARROWING_H
#define BRIX_SEARCH_BRIX_NARROWING_H

#include "Constraint/BRIX_TruthValue.h"
#include "Interval/Iv_Box.h"
#include "Interval/Iv_Itvl.h"
#include "Search/BRIX_DistPoly.h"
#include "Search/BRIX_SmallVector.h"

#include <vector>

// A univariate polynomial with double coefficients, terms ordered by
// decreasing exponent, no term with a zero coefficient.
struct BoundPoly {
    SmallVector<double, 8> coefficients;
    SmallVector<int, 8> exponents;
    int TermCount() const { return static_cast<int>(exponents.size()); }
    int Degree() const { return exponents.empty() ? 0 : exponents.front(); }
};

enum class BoundSide { Negative, Positive };

// Root enclosures: intervals inside the searched interval, in increasing order.
using RootList = SmallVector<Iv_Itvl<double>, 4>;

// The result of one narrowing step.
struct NarrowResult {
    Iv_Itvl<double> interval;  // the new interval; empty: the relation fails on all of [lo, hi]
    bool lowerMoved = false;   // the relation certainly fails at lo (q < 0; q <= 0 when strict)
    bool upperMoved = false;   // the same at hi
    bool exact = false;        // the relation certainly holds at neither end
    // q <= 0 certainly at lo (hi), strict relation or not: for the passes of
    // an equation the sign of p there (p >= 0 for <=, p <= 0 for >=). Set
    // whenever the bound moved, where q < 0 holds at the new bound too.
    bool lowerSign = false;
    bool upperSign = false;
};

// Scoped watch on invalid operations: clears the SAL_FPInvalid flag on
// construction; Raised() tells whether an invalid operation happened since.
// The destructor raises the flag again when it was set on construction, so an
// enclosing watch still sees what happened before this one.
class BRIX_InvalidWatch {
public:
    BRIX_InvalidWatch();
    ~BRIX_InvalidWatch();
    BRIX_InvalidWatch(const BRIX_InvalidWatch&) = delete;
    BRIX_InvalidWatch& operator=(const BRIX_InvalidWatch&) = delete;
    bool Raised() const;
    // Clears the flag again (the state on construction is kept).
    void Reset();

private:
    bool before_;
};

// Horner's scheme over X: encloses q(x) for every x in X and every choice of
// the coefficients; [0, 0] without terms. Rounding: leaves the mode at up
// (unchanged without terms).
Iv_Itvl<double> Horner(const UnivPoly& q, const Iv_Itvl<double>& X);
Iv_Itvl<double> Horner(const BoundPoly& f, const Iv_Itvl<double>& X);

// A polynomial with double coefficients that is >= every polynomial of q
// (every choice of coefficients) at every x of the half-axis: the upper
// coefficient bounds on the positive side; on the negative side the upper
// bound for even exponents and the lower bound for odd ones. Terms whose bound
// is exactly zero are dropped; the others keep their order. Rounding: unchanged.
BoundPoly BoundPolynomial(const UnivPoly& q, BoundSide side);

// Enclosures of the real roots of f of degree at most 2 in X (closed form),
// in increasing order. The zero polynomial gives [X]. Should an invalid
// operation arise (infinite coefficients), the result is [X]: any point may be
// a root. Requires X non-empty. Rounding: leaves the mode at down, up or
// nearest.
RootList ClosedFormRoots(const BoundPoly& f, const Iv_Itvl<double>& X);

// Enclosures of every real root of f in X, in increasing order: closed form
// below degree 3, interval Newton with bisection above, pieces narrower than
// eps (or whose midpoint is not interior) recorded as they are. An invalid
// operation gives [X]. Requires X non-empty. Rounding: leaves the mode at
// down, up or nearest.
RootList EncloseRoots(const BoundPoly& f, const Iv_Itvl<double>& X, double eps);

// The narrowing step on a univariate polynomial q (a copy: it is negated in
// place) already built for the variable, whose interval is X: relation is a
// code of BRIX_Atomic.h. For < and <= q is negated; for >, >= and = it is used
// as it is (for = this keeps the points where q >= 0 might hold, a superset).
// For != and unknown codes nothing is narrowed. Parameters read:
// ZeroRelativeError (root enclosure width relative to X), InflateTightening
// (1: one double outward, 2: a tenth of the interval outward; for <= and >=
// always at least one double; never past X).
// Rounding: leaves the mode at down, up or nearest.
NarrowResult NarrowUnivariate(UnivPoly q, int relation, const Iv_Itvl<double>& X);

// The narrowing step for variable var of p (0 <= var < p.VariableCount()) on a
// box with one component per variable of p: NarrowUnivariate of
// EvalToUniv(poly, box, var, univData) over component var. The box is only
// read. Rounding: leaves the mode at down, up or nearest.
NarrowResult NarrowVariable(const DistPoly& poly, int relation, const Box& box, int var,
                            const UnivData& univData);
// The NarrowVariable calls made so far by the calling thread (for the
// benchmarks' steps per second).
unsigned long long NarrowingStepCount();

// The truth of c REL 0 for the constant value c of poly ([0, 0] without terms):
// possibly/certainly true by the relation table; unknown for an empty, NaN or
// upside-down value and for an unknown relation code. Rounding: unchanged.
TruthValue ConstantTest(const DistPoly& poly, int relation);
// The same for a value given directly.
TruthValue ConstantTest(const Iv_Itvl<double>& value, int relation);

#endif
