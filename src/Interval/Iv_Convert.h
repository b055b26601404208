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
//  - One argument: "+", "-", "SquareRoot", "Square", "Abs", and the point
//    intervals of "Mig", "Mag", "Width", "Rad", "Mid".
//  - Two arguments: "+", "-", "*", "/" (0 in the divisor gives [-inf, +inf])
//    and "^", whose exponent must be an integer numeral (digits, possibly
//    under "-" or "+"); anything else, 1.5 or a name, fails.
// Every number is read as its nearest double, also after an operation.
// Rounding: the mode the last operation or read left.
bool ExprToInterval(const Ex_Expr& e, Iv_Itvl<double>& value);

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
