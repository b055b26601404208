#include "Driver/BRIX_Run.h"

#include "Driver/BRIX_Banner.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Options.h"

int Run(int argc, char** argv) {
    BRIX_Options options;
    int status = 0;
    if (!ScanCommandLine(argc, argv, options, status)) {
        return status;
    }
    if (!options.silentInput) {
        PrintBanner();
    }
    return 0;
}
