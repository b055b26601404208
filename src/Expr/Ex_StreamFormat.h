// How a formatted stream writes expression trees (key "Expression").
#ifndef BRIX_EXPR_EX_STREAMFORMAT_H
#define BRIX_EXPR_EX_STREAMFORMAT_H

#include "IO/IO_FormatBase.h"

class Ex_StreamFormat : public IO_FormatBase {
public:
    // Which atom texts pass through the quoting rule.
    enum { QuoteAll = 0, QuoteNonWords = 1, QuoteMarked = 2 };

    Ex_StreamFormat(int quoting = QuoteMarked, bool terminate = false, bool newline = false)
        : quoting(quoting), terminate(terminate), newline(newline) {}
    const char* Key() const override { return "Expression"; }
    // The instance used when a stream has no "Expression" format.
    static const Ex_StreamFormat& Default();

    int quoting;
    bool terminate;  // ";" after each top-level expression
    bool newline;    // a line break after each top-level expression
};

#endif
