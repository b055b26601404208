#include "Driver/BRIX_Output.h"

#include "Interval/Iv_NumberText.h"

#include <cstdio>

void BRIX_Print(const char* text) {
    std::fputs(text, stdout);
}

void BRIX_Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void BRIX_PrintInteger(long value) {
    BRIX_Print(std::to_string(value));
}

void BRIX_PrintDouble(double value) {
    BRIX_Print(Iv_DoubleToString(value, Iv_DoubleStyle()));
}
