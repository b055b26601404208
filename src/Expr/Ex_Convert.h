// Conversions between expression trees and plain values (numbers, Booleans,
// characters, texts). Tree-to-value conversions return false on failure and
// then leave the target unchanged. A top-level Lazy handle is converted as the
// tree it evaluates to.
#ifndef BRIX_EXPR_EX_CONVERT_H
#define BRIX_EXPR_EX_CONVERT_H

#include "Expr/Ex_Expr.h"

class FormatSet;
struct Iv_DoubleStyle;

// "Infinity", or an atom whose text strtod reads (at least one character; the
// rest is ignored), optionally inside "+"(...) and then "-"(...), as in
// "-"("+"(5)). The literal is read as the nearest double whatever mode an
// earlier interval operation left. Rounding: leaves the mode at nearest.
bool ExprToDouble(const Ex_Expr& e, double& value);
// The same literals as ExprToDouble, read as the real number they denote: lo
// and hi are the largest double not above it and the smallest not below it
// (lo == hi exactly when the number is a double; beyond the largest double
// one of them is infinite). Rounding: leaves the mode at nearest.
bool ExprToDoubleEnclosure(const Ex_Expr& e, double& lo, double& hi);
// An atom read base 10 (text that is not a number reads as 0), or "-"/"+"
// applied to such an atom. Fails when the number is outside the target type.
bool ExprToLong(const Ex_Expr& e, long& value);
bool ExprToInt(const Ex_Expr& e, int& value);
// As ExprToLong, but a minus sign (prefix or in the text) fails.
bool ExprToULong(const Ex_Expr& e, unsigned long& value);
bool ExprToUInt(const Ex_Expr& e, unsigned& value);
// The atoms "true" and "false".
bool ExprToBool(const Ex_Expr& e, bool& value);
// An atom of at most one character (the empty atom gives NUL).
bool ExprToChar(const Ex_Expr& e, char& value);
// On success value is a new copy of the atom's text from LocMalloc (the caller owns it).
bool ExprToString(const Ex_Expr& e, char*& value);

Ex_Expr LongToExpr(long value);
Ex_Expr ULongToExpr(unsigned long value);
Ex_Expr BoolToExpr(bool value);
Ex_Expr CharToExpr(char value);
Ex_Expr StringToExpr(const char* value);  // a null value gives the empty atom
// The exact decimal text of x as an atom, in the "DoubleFormat" of formats
// (borrowed; null or without that format: the default format).
// Rounding: does not depend on the mode and leaves it unchanged.
Ex_Expr DoubleToText(double x, const FormatSet* formats);
// The same text in an explicit style.
Ex_Expr DoubleToText(double x, const Iv_DoubleStyle& style);

#endif
