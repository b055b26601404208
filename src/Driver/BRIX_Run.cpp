#include "Driver/BRIX_Run.h"

#include "Driver/BRIX_Banner.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Dialogue.h"
#include "Driver/BRIX_Options.h"
#include "IO/Ex_Stream.h"

int Run(int argc, char** argv) {
    BRIX_Options options;
    int status = 0;
    if (!ScanCommandLine(argc, argv, options, status)) {
        Ex_StdOut().Flush();
        return status;
    }
    if (!options.silentInput) {
        PrintBanner();
    }
    BRIX_Answers answers;
    bool answered = RunDialogue(options.silentInput, answers);
    Ex_StdOut().Flush();
    return answered ? 0 : 1;
}
