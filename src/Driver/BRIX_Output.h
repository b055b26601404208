// The driver's one route to standard output: every message, prompt and
// listing line of a run is written through these functions.
#ifndef BRIX_DRIVER_BRIX_OUTPUT_H
#define BRIX_DRIVER_BRIX_OUTPUT_H

#include <string>

void BRIX_Print(const char* text);
void BRIX_Print(const std::string& text);
// Plain decimal.
void BRIX_PrintInteger(long value);
// The standard output stream's double text (0.5 prints as "0.5").
void BRIX_PrintDouble(double value);

#endif
