#include "Driver/BRIX_Run.h"

#include "Driver/BRIX_Banner.h"
#include "Driver/BRIX_BuildProblem.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Dialogue.h"
#include "Driver/BRIX_Display.h"
#include "Driver/BRIX_Options.h"
#include "Driver/BRIX_Output.h"
#include "Driver/BRIX_Problem.h"
#include "Driver/BRIX_Report.h"
#include "Driver/BRIX_Timer.h"
#include "Constraint/BRIX_Constraint.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_USAS.h"

namespace {

// The outputs the command line asked for, in their order, inside the
// "BRIX-Total" timer; the profiling report comes last. Every output that
// needs results starts the refinement first (it runs once per run).
int Report(const BRIX_Options& options, BRIX_Problem& problem, const Box& box) {
    Ex_OutputStream& out = Ex_StdOut();
    if (options.approximateQuantifiers) {
        problem.constraint = problem.constraint->ApproxQuantifiers(options.approximationError);
        problem.constraint->Print(out);
    }
    BRIX_TotalTimer().Start();
    out.enabled = true;
    const bool drawable = problem.variables.size() <= 2;
    if (options.display) {
        if (drawable) {
            displayResult(problem, options.displayBorders, box, options.displayAdjust,
                          options.displayWait);
        } else {
            BRIX_Print("Dimension too high for visualization\n");
        }
    }
    if (options.outputApplet && drawable) {
        printAppletData(problem);
    }
    if (options.outputBoxes) {
        printBoxes(problem, options.errorBound);
    }
    if (options.outputQuantities) {
        printQuantities(problem);
    }
    BRIX_TotalTimer().Stop();
    if (options.outputProfile) {
        printProfile();
    }
    // Boxes that could not be split were reported on standard error when it
    // happened; callers that test the status see it too.
    return problem.precisionLosses > 0 ? 1 : 0;
}

}  // namespace

int Run(int argc, char** argv) { return Run(argc, argv, BRIX_RunSetup()); }

int Run(int argc, char** argv, const BRIX_RunSetup& setup) {
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
    bool valid = false;
    // -cs silences what building and transforming the constraint print.
    Ex_StdOut().enabled = !options.silentComputation;
    buildProblem(answers.constraint, answers.names, answers.domainOuter, options.single,
                 options.errorBound, valid, problem, &answers.domainInside);
    // -aq transforms the whole constraint after this point: pieces built
    // from F would not follow it, so such a run is refined whole.
    if (valid && !options.approximateQuantifiers) {
        if (setup.sharers == 0) {
            buildPieces(answers.constraint, answers.names, answers.domainOuter, options.single,
                        options.errorBound, &answers.domainInside, options.threads, problem);
        } else {
            buildSharedPieces(answers.constraint, answers.names, answers.domainOuter,
                              options.single, options.errorBound, &answers.domainInside,
                              setup.sharers, problem);
        }
    }
    if (valid && setup.prepare) {
        setup.prepare(problem);
    }
    if (!valid) {
        // A refused constraint is reported whatever -cs says: only -is
        // keeps the run silent.
        Ex_StdOut().enabled = true;
        if (!options.silentInput) {
            Ex_StdOut() << "Parse error: Expression\n"
                        << answers.constraint << "\nis not a valid constraint!\n";
        }
        releaseProblem(problem);
        Ex_StdOut().Flush();
        return 1;
    }
    status = Report(options, problem, answers.box);
    releaseProblem(problem);
    Ex_StdOut().Flush();
    return status;
}
