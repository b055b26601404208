// The expression of a text in the input language, for tests.
#ifndef BRIX_TESTS_SUPPORT_PARSETEXT_H
#define BRIX_TESTS_SUPPORT_PARSETEXT_H

#include "Expr/Ex_Parse.h"
#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"

#include <string>

#include <gtest/gtest.h>

// text parsed (it ends with ";"); a failure to parse fails the test.
inline Ex_Expr ParseText(const std::string& text) {
    IO_SysInputString input;
    input.Attach(text.c_str());
    Ex_InputStream stream;
    stream.AttachSys(&input);
    Ex_Expr e;
    EXPECT_TRUE(ParseExpression(stream, e)) << text;
    return e;
}

#endif
