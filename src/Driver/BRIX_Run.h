// One run of the program after system start-up: command line, banner, then
// the dialogue and the outputs the command line asked for.
#ifndef BRIX_DRIVER_BRIX_RUN_H
#define BRIX_DRIVER_BRIX_RUN_H

#include "Driver/BRIX_Problem.h"

#include <functional>

// Returns the process exit status: 1 when no problem was solved (usage
// printed, an answer not obtained, F not a valid constraint), 0 otherwise,
// including an early end at "-aq".
int Run(int argc, char** argv);

// What a program that shares the refinement among processes changes in the
// run: the refinement is cut for `sharers` processes (buildSharedPieces;
// 0: for the threads of -j, as brix does; -aq leaves it whole), and prepare,
// when set, is given the problem once it is built and cut, before the
// outputs start its refinement (to install the pieces' runner).
struct BRIX_RunSetup {
    int sharers = 0;
    std::function<void(BRIX_Problem&)> prepare;
};
int Run(int argc, char** argv, const BRIX_RunSetup& setup);

#endif
