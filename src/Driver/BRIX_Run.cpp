#include "Driver/BRIX_Run.h"

#include "Driver/BRIX_Banner.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Dialogue.h"
#include "Driver/BRIX_Options.h"
#include "Driver/BRIX_Problem.h"
#include "Driver/BRIX_Timer.h"
#include "Constraint/BRIX_Constraint.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_USAS.h"

namespace {

// The outputs the command line asked for, in their order, inside the
// "BRIX-Total" timer; the profiling report comes last. Every output that
// needs results starts the refinement first (it runs once per run).
int Report(const BRIX_Options& options, BRIX_Problem& problem) {
    BRIX_TotalTimer().Start();
    Ex_StdOut().enabled = true;
    if (options.display || options.outputBoxes || options.outputQuantities) {
        approximateRefine(problem);
    }
    BRIX_TotalTimer().Stop();
    if (options.outputProfile) {
        printProfile();
    }
    return 0;
}

// Frees the approximation state tree and the constraint tree of a run.
void Release(BRIX_Problem& problem) {
    if (problem.approximation != nullptr) {
        problem.approximation->Destroy();
        problem.approximation = nullptr;
    }
    delete problem.constraint;
    problem.constraint = nullptr;
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
    BRIX_Problem problem;
    problem.variables = answers.names;
    status = Report(options, problem);
    Release(problem);
    Ex_StdOut().Flush();
    return status;
}
