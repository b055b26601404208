// The relation form of the constraint builder: L REL R as an atomic
// polynomial constraint, with the conversion of expression trees into
// polynomials. Used by BuildConstraint only.
#ifndef BRIX_CONSTRAINT_BRIX_BUILDERPOLY_H
#define BRIX_CONSTRAINT_BRIX_BUILDERPOLY_H

#include "Constraint/BRIX_Constraint.h"
#include "Expr/Ex_Expr.h"

#include <utility>
#include <vector>

// New: the atomic node for e when its head is a relation with two operands,
// or null (not a relation, or a side that is not a polynomial over the names
// in scope: an unknown function, a division by a variable, a leaf that is
// neither a name in scope nor a number, an interval literal that is empty or
// upside down, an exponent of a variable term that is not a numeral up to
// kBuilderMaxExponent, or a polynomial beyond the builder's size limits).
// names is borrowed; indices has one entry per name.
[[nodiscard]] BRIX_Constraint* BuildRelation(const Ex_Expr& e, const BRIX_Names& names,
                                             const std::vector<int>& indices);

// The exponent of a power: an atom of decimal digits whose value is at most
// kBuilderMaxExponent, under one "-" or "+" when signedAllowed (constants
// only; a variable term needs a non-negative power). A fraction or a name is
// refused: reading them as integers would truncate or drop them silently.
bool BRIX_ReadExponent(const Ex_Expr& e, bool signedAllowed, long& n);

// base^n (n >= 0) by square and multiply, starting from one; multiply(a, b,
// out) forms one product and returns false to give up (a limit reached),
// which ends the power with false too. Shared by the exact and the interval
// polynomial builders.
template <class Poly, class Multiply>
bool SquareAndMultiply(Poly base, long n, Poly one, Multiply multiply, Poly& out) {
    Poly result = std::move(one);
    while (n > 0) {
        if ((n & 1) != 0 && !multiply(result, base, result)) {
            return false;
        }
        n >>= 1;
        if (n > 0 && !multiply(base, base, base)) {
            return false;
        }
    }
    out = std::move(result);
    return true;
}

// Whether text is a number as the scanner reads one (digits, optionally a
// fraction and an exponent) or "Infinity": the whole text, nothing ignored.
bool BRIX_IsNumberText(const char* text);

#endif
