// Small builders for expression trees in tests.
#ifndef BRIX_TESTS_SUPPORT_EXPRBUILDERS_H
#define BRIX_TESTS_SUPPORT_EXPRBUILDERS_H

#include "Expr/Ex_Expr.h"
#include "Expr/Ex_Writer.h"

#include <initializer_list>
#include <string>

// A List of the given elements.
inline Ex_Expr L(std::initializer_list<Ex_Expr> elements) {
    Ex_Expr list = MakeList(static_cast<int>(elements.size()));
    int i = 0;
    for (const Ex_Expr& e : elements) {
        list.SetArg(i++, e);
    }
    return list;
}

// The two-element List [lo, hi] of number atoms.
inline Ex_Expr L(const char* lo, const char* hi) {
    return L({Atom(lo), Atom(hi)});
}

// The text the default expression format prints for e.
inline std::string Text(const Ex_Expr& e) {
    return ExpressionText(e, Ex_StreamFormat::Default());
}

#endif
