// How doubles are written as text (key "DoubleFormat").
#ifndef BRIX_EXPR_EX_DOUBLEFORMAT_H
#define BRIX_EXPR_EX_DOUBLEFORMAT_H

#include "IO/IO_FormatBase.h"
#include "Interval/Iv_NumberText.h"

class FormatSet;

class Ex_DoubleFormat : public IO_FormatBase {
public:
    enum { Fixed = 0, Scientific = 1, General = 2, GeneralCompact = 3 };
    // Text limits: digits beyond the exact value of every double (1074 after the
    // point) add only zeros, and a wider field only blanks; larger settings are
    // written with these so that a stray setting cannot exhaust memory.
    static const int kMaxDigits = 1074;
    static const int kMaxWidth = 2048;

    Ex_DoubleFormat() = default;
    const char* Key() const override { return "DoubleFormat"; }

    // 0 fixed, 1 scientific, 2 general, 3 general compact.
    int Style() const { return style_; }
    void SetStyle(int style) { style_ = style; }
    // Direction of the decimal text as a rounding code: 0 nearest, 2 up, 3 down,
    // any other value toward zero.
    int Rounding() const { return rounding_; }
    void SetRounding(int rounding) { rounding_ = rounding; }
    // Field width in characters.
    int Width() const { return width_; }
    void SetWidth(int width) { width_ = width; }
    // Digits after the decimal point.
    int Digits() const { return digits_; }
    void SetDigits(int digits) { digits_ = digits; }

    // The settings for the text engine; a negative width or digit count counts
    // as 0 and the limits above apply.
    Iv_DoubleStyle TextStyle() const;

    // The object used when a format set holds no "DoubleFormat" entry (style 3,
    // rounding 0, width 12, digits 6).
    static const Ex_DoubleFormat& Default();
    // The "DoubleFormat" entry of formats (borrowed; may be null), or Default().
    static const Ex_DoubleFormat& In(const FormatSet* formats);

private:
    int style_ = GeneralCompact;
    int rounding_ = 0;
    int width_ = 12;
    int digits_ = 6;
};

// The default double format; same key and fields as its base.
class DF_DFltFormat : public Ex_DoubleFormat {};

#endif
