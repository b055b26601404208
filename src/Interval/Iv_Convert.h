// Conversions between expression trees and intervals, and the format that
// chooses the rounding direction of printed intervals (key "Interval").
#ifndef BRIX_INTERVAL_IV_CONVERT_H
#define BRIX_INTERVAL_IV_CONVERT_H

#include "Expr/Ex_Expr.h"
#include "IO/IO_FormatBase.h"
#include "Interval/Iv_Itvl.h"

class FormatSet;

class Iv_ItvlFormat : public IO_FormatBase {
public:
    const char* Key() const override { return "Interval"; }
    // Outward: the lower bound is printed rounded down and the upper bound up, so
    // the text encloses the interval; inward: the other way round.
    bool Outward() const { return outward_; }
    void SetOutward() { outward_ = true; }
    void SetInward() { outward_ = false; }

private:
    bool outward_ = true;
};

// Evaluates e as an interval; false (value unchanged) on an unknown function,
// a wrong argument count or a number that cannot be read.
//  - A list is an interval literal: [] the empty interval, [x] the point x,
//    [x, y] the bounds as given (no reordering: [1, 0] stays improper).
//  - Any other cell without arguments is a number (ExprToDouble).
//  - One argument: "+", "-", "SquareRoot", "Square", "Abs", and the measures
//    "Mig", "Mag", "Width", "Rad", "Mid" (enclosures: points when exact).
//  - Two arguments: "+", "-", "*", "/" (0 in the divisor gives [-inf, +inf])
//    and "^", whose exponent must be an integer numeral (digits, possibly
//    under "-" or "+"); anything else, 1.5 or a name, fails.
// Every number is read as its nearest double, also after an operation.
// Rounding: the mode the last operation or read left.
bool ExprToInterval(const Ex_Expr& e, Iv_Itvl<double>& value);
// The same evaluation with each number read as the real it denotes: one that
// is no double becomes the two doubles around it (0.1 becomes
// [0.09999999999999999167, 0.1000000000000000055]), a double (0.5, 3) stays
// itself, so value encloses every real e stands for. Used wherever a number
// enters a constraint. Rounding: as ExprToInterval.
bool ExprToEnclosure(const Ex_Expr& e, Iv_Itvl<double>& value);
// ExprToEnclosure's value as outer, and in inner an interval of doubles
// inside the reals e denotes, when such is known: inner equals outer when no
// rounding happened; for a literal [x, y] it is [up(x), down(y)], upside down
// when no double lies between x and y; after any other rounded operation it
// is the empty interval. Rounding: as ExprToInterval.
bool ExprToIntervalDomain(const Ex_Expr& e, Iv_Itvl<double>& outer, Iv_Itvl<double>& inner);

// [lo, hi] as a list of two number atoms, in the "DoubleFormat" of formats
// (borrowed, may be null), with lo rounded down and hi up; the directions are
// exchanged when formats holds an "Interval" format that is inward. The empty
// interval is the empty list. Rounding: unchanged.
Ex_Expr IntervalToExpr(const Iv_Itvl<double>& value, const FormatSet* formats);

// IntervalToExpr in the form LazyConvert<Iv_Itvl<double>> calls.
void IntervalToExprLazy(Ex_Expr& result, const Iv_Itvl<double>* value, const FormatSet* formats);
// A Lazy cell that prints value with formats (borrowed: it must outlive the
// cell) when first inspected.
Ex_Expr IntervalToLazyExpr(const Iv_Itvl<double>& value, const FormatSet* formats);

#endif
