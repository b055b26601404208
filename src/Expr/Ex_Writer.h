// Writes expression trees as text with the fewest parentheses the printing
// levels allow.
#ifndef BRIX_EXPR_EX_WRITER_H
#define BRIX_EXPR_EX_WRITER_H

#include "Expr/Ex_Expr.h"
#include "Expr/Ex_StreamFormat.h"

#include <string>

// The text of e (without the terminating ";" or line break of the format).
std::string ExpressionText(const Ex_Expr& e, const Ex_StreamFormat& format);

// The printing level of an operator application, -1 for any other cell.
int PrintingLevel(const Ex_Expr& e);

// The quoting rule: text in double quotes, inner quotes escaped, when it holds
// anything but letters and digits; unchanged otherwise.
std::string QuoteText(const char* text);

#endif
