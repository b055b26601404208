// The exact form of the constraint builder's polynomials: a relation's sides
// computed over rational intervals, so that numbers are the reals typed and
// sums, differences and products of them are exact (0.1 - 0.09999999999999999999
// is 1e-20, 9007199254740993 x - 9007199254740992 x is x). Only the finished
// coefficients are rounded, each outward to the doubles around it.
#ifndef BRIX_CONSTRAINT_BRIX_EXACTPOLY_H
#define BRIX_CONSTRAINT_BRIX_EXACTPOLY_H

#include "Expr/Ex_Expr.h"
#include "Search/BRIX_DistPoly.h"

#include <unordered_set>
#include <vector>

// p of e over the variables names (p's variable i is names[i], borrowed);
// withNames holds the cells of e that have a name below them. Numerals are
// exact rationals, interval literals [a, b] rational intervals; + - * and ^
// with an integer exponent are exact; a subtree without names that uses
// anything else (SquareRoot, Mid, Infinity, a division by an interval holding
// 0) enters as the enclosure ExprToEnclosure gives. False when e is no
// polynomial over names, when a value is not finite, or when the work
// exceeds the exact path's budget: the caller then builds the polynomial in
// interval arithmetic instead. On success every coefficient of out encloses
// the exact one, and terms whose exact coefficient is 0 are gone.
bool BuildExactPoly(const Ex_Expr& e, const std::vector<const char*>& names,
                    const std::unordered_set<const Ex_ExprCell*>& withNames, DistPoly& out);

#endif
