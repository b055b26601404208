// The MPI side of a refinement shared among the processes of an MPI job:
// standard input shared with every rank, the coordinator on rank 0 that
// hands piece jobs out as ranks become free (and refines pieces itself
// in a second thread), and the loop of the other ranks.
#ifndef BRIX_DRIVER_BRIX_MPITRANSPORT_H
#define BRIX_DRIVER_BRIX_MPITRANSPORT_H

#include "Driver/BRIX_Problem.h"

#include <cstdint>
#include <cstdio>
#include <vector>

// Rank 0 reads all of its standard input and broadcasts it; every rank then
// reads that text as its standard input. False when it could not be done.
bool brixShareStandardInput(int rank);

class BRIX_MpiCoordinator {
public:
    // grace: seconds a rank holding jobs may stay silent once nothing else
    // is left to hand out (at least; ten times the longest piece seen so far
    // when that is more) before its jobs go to another rank. stats (borrowed;
    // may be null) gets one line per piece result.
    BRIX_MpiCoordinator(int ranks, double grace, std::FILE* stats);

    // The pieces' runner (BRIX_Problem::runner): every piece of the queue
    // refined by some rank, its result installed in it, or, after its ranks
    // failed, left open (installLost).
    void Refine(BRIX_Problem& whole, const std::vector<BRIX_Problem*>& queue);
    // Tells every other rank to stop.
    void StopWorkers();

    bool AnyFailed() const;
    // Processor time of the other ranks' pieces, wall time inside Refine.
    std::int64_t WorkerMicros() const { return workerMicros_; }
    double WallSeconds() const { return wallSeconds_; }

private:
    int ranks_;
    double grace_;
    std::FILE* stats_;
    std::vector<bool> failed_;
    std::int64_t workerMicros_ = 0;
    double wallSeconds_ = 0.0;
    double longestPiece_ = 0.0;
};

// Ranks 0 and 1 send messages of 8 bytes to 1 MiB back and forth `rounds`
// times each; rank 0 writes "pingpong BYTES SECONDS" (one way) to out. The
// other ranks only meet the barriers. Needs two ranks at least.
void brixPingPong(int rank, int rounds, std::FILE* out);

// The loop of a rank other than 0: prepares a BRIX_PieceWorker from the
// command line and the shared standard input at the first job, answers
// every job with its result, and returns at the coordinator's stop. Reads
// BRIX_MPI_FAIL_RANK / BRIX_MPI_FAIL_MODE (hang or exit) to fail on purpose
// at the first job, for tests.
void brixServePieces(int rank, int argc, char** argv);

#endif
