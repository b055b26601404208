// The command-line scan of a run: toggles and valued options into a
// BRIX_Options record, "-f"/"-p" into the registry, "-to" into the time-out.
#ifndef BRIX_DRIVER_BRIX_COMMANDLINE_H
#define BRIX_DRIVER_BRIX_COMMANDLINE_H

#include "Driver/BRIX_Options.h"

// Examines argv[1] .. argv[argc - 1] in order, printing a warning for every
// option that cannot be applied (the setting concerned keeps its value).
// Returns true when the run goes on. Returns false with the exit status in
// `status` when the program ends here: 1 after the usage text for an unknown
// argument, 0 when "-aq" has no readable value.
// Rounding: may leave the mode at nearest.
bool ScanCommandLine(int argc, char** argv, BRIX_Options& options, int& status);

// Prints the usage text for the program named `program` (null prints as
// empty), followed by the registry listing.
void PrintUsage(const char* program);

#endif
