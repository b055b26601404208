// One run of the program after system start-up: command line, banner, then
// the dialogue and the outputs the command line asked for.
#ifndef BRIX_DRIVER_BRIX_RUN_H
#define BRIX_DRIVER_BRIX_RUN_H

// Returns the process exit status: 1 when no problem was solved (usage
// printed, an answer not obtained, F not a valid constraint), 0 otherwise,
// including an early end at "-aq".
int Run(int argc, char** argv);

#endif
