#include "Driver/BRIX_Banner.h"

#include "Driver/BRIX_Output.h"

namespace {

const char* const rule = "==================================================================\n";

}  // namespace

const char* BRIX_Version() {
    return "16_0.5";
}

void PrintBanner() {
    BRIX_Print(rule);
    BRIX_Print("           BRIX\n");
    BRIX_Print("                         Version ");
    BRIX_Print(BRIX_Version());
    BRIX_Print("\n");
    BRIX_Print("  Solution sets of quantified constraints over the reals.\n");
    BRIX_Print("\n");
    BRIX_Print("  Every bound is proved with outward-rounded interval arithmetic.\n");
    BRIX_Print("  Free to use, study, change and share.\n");
    BRIX_Print(rule);
    BRIX_Print("\n");
}
