// Exact decimal text of doubles with directed rounding.
//
// Every digit comes from integer arithmetic (GMP) on the exact value of the
// double, so a text rounded down never exceeds the value and a text rounded up
// is never below it.
#ifndef BRIX_INTERVAL_IV_NUMBERTEXT_H
#define BRIX_INTERVAL_IV_NUMBERTEXT_H

#include <string>

// How a double is written.
struct Iv_DoubleStyle {
    int style = 3;        // 0 fixed, 1 scientific, 2 general, 3 general compact
    int rounding = 0;     // rounding code: 0 nearest (ties away), 2 up, 3 down, else toward zero
    unsigned width = 12;  // field width in characters
    unsigned digits = 6;  // digits after the decimal point
};

// The text of x in the given style: "Infinity", "-Infinity" and "NaN" for the
// special values (cut to the width when it is too small for them). A style code
// outside 0..3 acts as 2. Style 3 text carries no padding. Negative zero prints
// as zero. Rounding: does not depend on the mode and leaves it unchanged.
std::string Iv_DoubleToString(double x, const Iv_DoubleStyle& format);

#endif
