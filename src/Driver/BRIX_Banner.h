// The program's version and the banner printed before the dialogue.
#ifndef BRIX_DRIVER_BRIX_BANNER_H
#define BRIX_DRIVER_BRIX_BANNER_H

// The version text, "16_0.5".
const char* BRIX_Version();

// Prints the banner: rules, product name, version and credit lines.
void PrintBanner();

#endif
