// A process that refines pieces for a coordinator: it reads the same command
// line and dialogue as the coordinator did, builds the same problem, and
// refines one piece job at a time into a piece result. No messages here:
// the transport brings the jobs and takes the results.
#ifndef BRIX_DRIVER_BRIX_MPIWORKER_H
#define BRIX_DRIVER_BRIX_MPIWORKER_H

#include "Driver/BRIX_Dialogue.h"
#include "Driver/BRIX_MpiMessages.h"
#include "Driver/BRIX_Options.h"
#include "Driver/BRIX_Problem.h"

class BRIX_PieceWorker {
public:
    BRIX_PieceWorker() = default;
    ~BRIX_PieceWorker();
    BRIX_PieceWorker(const BRIX_PieceWorker&) = delete;
    BRIX_PieceWorker& operator=(const BRIX_PieceWorker&) = delete;

    // Scans the command line (flags, parameters, options) and answers the
    // dialogue silently from standard input, then builds the whole problem.
    // False when the coordinator could not have built it either.
    bool Prepare(int argc, char** argv);
    // The piece of the job refined as the coordinator's own threads would
    // refine it (bound and time left from the job). A job whose piece cannot
    // be built comes back undecided with its box open.
    BRIX_PieceResult Refine(const BRIX_PieceJob& job);

private:
    BRIX_Options options_;
    BRIX_Answers answers_;
    BRIX_Problem whole_;
    bool prepared_ = false;
};

#endif
