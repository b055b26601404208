// The input language: one ";"-terminated expression per call.
#ifndef BRIX_EXPR_EX_PARSE_H
#define BRIX_EXPR_EX_PARSE_H

#include "Expr/Ex_Expr.h"

class Ex_InputStream;

// Parses one input (an expression and its ";") from the stream's system input
// (borrowed). On success stores the tree in result and returns true. On a
// syntax error leaves result unchanged, discards the rest of the faulty input
// up to and including the ";" that ends it (or up to the end of input) and
// returns false. End of input inside a block comment ends the process with
// "End of file in comment" on standard error and status 1.
bool ParseExpression(Ex_InputStream& stream, Ex_Expr& result);

#endif
