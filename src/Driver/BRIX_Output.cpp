#include "Driver/BRIX_Output.h"

#include "IO/Ex_Stream.h"

void BRIX_Print(const char* text) {
    Ex_StdOut() << text;
}

void BRIX_Print(const std::string& text) {
    Ex_StdOut() << text.c_str();
}

void BRIX_PrintInteger(long value) {
    Ex_StdOut() << value;
}

void BRIX_PrintDouble(double value) {
    Ex_StdOut() << value;
}
