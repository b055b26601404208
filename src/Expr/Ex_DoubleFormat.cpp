#include "Expr/Ex_DoubleFormat.h"

#include "IO/FormatSet.h"

namespace {

unsigned Clamped(int value, int limit) {
    if (value < 0) {
        return 0;
    }
    return static_cast<unsigned>(value < limit ? value : limit);
}

}  // namespace

Iv_DoubleStyle Ex_DoubleFormat::TextStyle() const {
    Iv_DoubleStyle style;
    style.style = style_;
    style.rounding = rounding_;
    style.width = Clamped(width_, kMaxWidth);
    style.digits = Clamped(digits_, kMaxDigits);
    return style;
}

const Ex_DoubleFormat& Ex_DoubleFormat::Default() {
    static const DF_DFltFormat instance;
    return instance;
}

const Ex_DoubleFormat& Ex_DoubleFormat::In(const FormatSet* formats) {
    // The key names the class; the cast only guards against a foreign object
    // registered under this key.
    const auto* found = formats != nullptr
                            ? dynamic_cast<const Ex_DoubleFormat*>(formats->Find("DoubleFormat"))
                            : nullptr;
    return found != nullptr ? *found : Default();
}
