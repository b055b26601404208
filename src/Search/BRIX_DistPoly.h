// Multivariate polynomials with interval coefficients in distributive form,
// their evaluation over boxes and their range enclosures.
//
// A DistPoly over n variables (0 .. n-1) is a list of terms, each an interval
// coefficient and an exponent vector, ordered by decreasing exponent vector in
// lexicographic order (variable 0 most significant), at most one term per
// exponent vector. Terms sit in flat arrays so evaluation allocates nothing.
#ifndef BRIX_SEARCH_BRIX_DISTPOLY_H
#define BRIX_SEARCH_BRIX_DISTPOLY_H

#include "Interval/Iv_Box.h"
#include "Interval/Iv_Itvl.h"
#include "Search/BRIX_SmallVector.h"

#include <vector>

class DistPoly {
public:
    explicit DistPoly(int variableCount = 0) : variableCount_(variableCount) {}

    // Building (used by the constraint builder). Each result is normalised:
    // ordered, equal exponent vectors added, terms whose coefficient is
    // exactly [0, 0] dropped. Operands must be normalised and have the same
    // VariableCount. Coefficients are enclosed by interval operations; a sum
    // whose bound would be NaN (infinity minus infinity) is [-inf, +inf].
    static DistPoly Constant(int variableCount, const Iv_Itvl<double>& value);
    static DistPoly Variable(int variableCount, int var);  // the variable with coefficient 1
    DistPoly operator+(const DistPoly& other) const;
    DistPoly operator-(const DistPoly& other) const;
    DistPoly operator*(const DistPoly& other) const;
    DistPoly operator-() const;
    DistPoly Power(int exponent) const;  // exponent >= 0

    // Appends a term (exponents: variableCount entries); call Normalize after
    // a series of appends.
    void AppendTerm(const Iv_Itvl<double>& coefficient, const int* exponents);
    void Normalize();
    // The zero polynomial over variableCount (>= 0) variables; the storage is
    // kept for the next appends.
    void Clear(int variableCount);

    int VariableCount() const { return variableCount_; }
    int TermCount() const { return static_cast<int>(coefficients_.size()); }
    const Iv_Itvl<double>& Coefficient(int term) const { return coefficients_[term]; }
    int Exponent(int term, int var) const { return exponents_[term * variableCount_ + var]; }
    // The exponent row of a term (variableCount entries; any pointer when there are none).
    const int* Exponents(int term) const { return exponents_.data() + term * variableCount_; }

    // Highest exponent of var (0 when it does not occur); highest total degree.
    int Degree(int var) const;
    int TotalDegree() const;
    // The coefficient of the first term ([0, 0] without terms): the value of a
    // polynomial whose variables have all been substituted.
    Iv_Itvl<double> ConstantValue() const;
    // The polynomial with the point interval [value, value] substituted for
    // var, which leaves the variables (one fewer).
    DistPoly SubstituteVariable(int var, const Iv_Itvl<double>& value) const;

    // The forms of Derivative and SubstituteLast below that write their result
    // into out (reusing its storage). out must not be *this.
    void DerivativeInto(int k, DistPoly& out) const;
    void SubstituteLastInto(const Iv_Itvl<double>& X, DistPoly& out) const;

private:
    int variableCount_;
    std::vector<Iv_Itvl<double>> coefficients_;
    std::vector<int> exponents_;  // TermCount() x variableCount_, row per term
};

// A univariate polynomial with interval coefficients, terms ordered by
// decreasing exponent, at most one term per exponent.
struct UnivPoly {
    SmallVector<Iv_Itvl<double>, 8> coefficients;
    SmallVector<int, 8> exponents;
    int TermCount() const { return static_cast<int>(exponents.size()); }
    int Degree() const { return exponents.empty() ? 0 : exponents.front(); }
};

// The decomposition p = sum over e of c_e * x_var^e for every variable, made
// once per polynomial so narrowing does not rebuild polynomials.
struct UnivData {
    struct Part {
        int exponent;
        DistPoly coefficient;  // over the other variables, in their order
    };
    bool ready = false;
    std::vector<std::vector<Part>> parts;  // per variable, by decreasing exponent
};
// Replaces the contents of data with the decomposition of poly and sets ready.
void PrepareUnivData(const DistPoly& poly, UnivData& data);

// Enclosures of values. Every result below is a proper interval: where interval
// arithmetic meets infinity minus infinity (unbounded boxes or coefficients), or
// a component has a NaN bound, the result is [-inf, +inf] rather than an interval
// with a NaN bound (which would read as empty). Boxes need at least one component
// per variable; only the first VariableCount() are read.
// Rounding: each leaves the mode at up, down or nearest (no mode is promised).

// Nested Horner evaluation over a box with one component per variable.
Iv_Itvl<double> Evaluate(const DistPoly& poly, const Box& box);
// The same over the components x[0 .. VariableCount()-1] (borrows x; allocates nothing).
Iv_Itvl<double> Evaluate(const DistPoly& poly, const Iv_Itvl<double>* x);
// The partial derivative with respect to variable k.
DistPoly Derivative(const DistPoly& poly, int k);
// The last variable replaced by the interval X (one variable fewer).
DistPoly SubstituteLast(const DistPoly& poly, const Iv_Itvl<double>& X);
// The range enclosure chosen by the range method (parameter RangeMethod rounded):
// 1 and 2 BicenteredRange; 3 MidpointRange; any other value [-inf, +inf].
Iv_Itvl<double> Range(const DistPoly& poly, const Box& box);
// The bicentered mean-value form intersected with the plain evaluation: two
// mean-value forms whose centres are chosen per variable from the sign of the
// partial derivative (finite points of the variable's interval; its midpoint
// where the choice gives NaN or an infinite bound), intersected with each other
// and with the value of poly after substituting every variable's interval.
// When rounding made these disjoint, the nested Horner evaluation instead.
Iv_Itvl<double> BicenteredRange(const DistPoly& poly, const Box& box);
Iv_Itvl<double> BicenteredRange(const DistPoly& poly, const Iv_Itvl<double>* x);  // borrows x
// The second range method: the nested Horner evaluation intersected with the
// mean-value form centred at the midpoint of the box, whose gradient is the
// nested Horner evaluation of each partial derivative over the whole box.
Iv_Itvl<double> MidpointRange(const DistPoly& poly, const Box& box);
Iv_Itvl<double> MidpointRange(const DistPoly& poly, const Iv_Itvl<double>* x);  // borrows x
// The tightest enclosure at hand: the nested Horner evaluation intersected
// with BicenteredRange (both mean-value forms and the substituted value). Used
// to decide a relation on a whole box. Whatever parameter RangeMethod says.
Iv_Itvl<double> TightRange(const DistPoly& poly, const Box& box);
// Sum over the terms of coefficient times the product of Power(x_j, e_j).
Iv_Itvl<double> TermSum(const DistPoly& poly, const Iv_Itvl<double>* x);  // borrows x
// p as a univariate polynomial in var whose value at every x of the
// variable's interval encloses p at x and any point of the other components.
// Parameter EvalToUnivMethod (rounded) chooses the coefficient of each x^e when
// data is ready (prepared from poly): the range of c_e over the other components by
// 1 BicenteredRange, 2 Evaluate, 3 MidpointRange, 4 TermSum, 5 MidpointRange
// intersected with BicenteredRange, 6 TermSum intersected with BicenteredRange.
// Otherwise (0, any other value, data not ready) the coefficients are the
// term-by-term sums TermSum computed from poly itself.
UnivPoly EvalToUniv(const DistPoly& poly, const Box& box, int var, const UnivData& data);

#endif
