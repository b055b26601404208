#include "Driver/BRIX_Run.h"

#include "Driver/BRIX_Banner.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Dialogue.h"
#include "Driver/BRIX_Options.h"
#include "Driver/BRIX_Timer.h"
#include "IO/Ex_Stream.h"

namespace {

// The outputs the command line asked for, in their order, inside the
// "BRIX-Total" timer; the profiling report comes last.
int Report(const BRIX_Options& options) {
    BRIX_TotalTimer().Start();
    Ex_StdOut().enabled = true;
    BRIX_TotalTimer().Stop();
    if (options.outputProfile) {
        printProfile();
    }
    return 0;
}

}  // namespace

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
    if (!RunDialogue(options.silentInput, answers)) {
        Ex_StdOut().Flush();
        return 1;
    }
    status = Report(options);
    Ex_StdOut().Flush();
    return status;
}
