// Entry point of the brix-mpi executable: brix solved by every rank of an MPI
// job. Rank 0 runs the program as brix does (command line, dialogue,
// outputs) with the refinement cut into pieces for all ranks and handed out
// by its coordinator; the other ranks refine pieces until told to stop.
// Without windows: -d draws nothing.
#include "Driver/BRIX_MpiTransport.h"
#include "Driver/BRIX_Run.h"
#include "Driver/BRIX_Timer.h"
#include "IO/Ex_Stream.h"
#include "System/SAL.h"

#include <mpi.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// A positive number from the environment variable, or fallback when it is
// unset, unreadable or not positive.
double PositiveFrom(const char* name, double fallback) {
    const char* text = std::getenv(name);
    char* end = nullptr;
    const double value = text != nullptr ? std::strtod(text, &end) : 0.0;
    return text != nullptr && end != text && value > 0 ? value : fallback;
}

// Rank 0: the run, its refinement shared among the ranks.
int Coordinate(int ranks, int argc, char** argv) {
    std::FILE* stats = nullptr;
    if (const char* path = std::getenv("BRIX_MPI_STATS")) {
        stats = std::fopen(path, "a");
    }
    std::unique_ptr<BRIX_MpiCoordinator> coordinator;
    std::unique_ptr<BRIX_Timer> ranksTimer, wallTimer;
    BRIX_RunSetup setup;
    if (ranks > 1) {
        coordinator = std::make_unique<BRIX_MpiCoordinator>(
            ranks, PositiveFrom("BRIX_MPI_GRACE", 30.0), stats);
        // The profiling report adds the ranks and the wall time of the
        // shared refinement; its processor times are the sums over ranks.
        ranksTimer = std::make_unique<BRIX_Timer>("BRIX-MPI:Ranks");
        ranksTimer->AddValue(ranks);
        wallTimer = std::make_unique<BRIX_Timer>("BRIX-MPI:Refine-Wall-Seconds");
        BRIX_MpiCoordinator* c = coordinator.get();
        BRIX_Timer* wall = wallTimer.get();
        setup.sharers = ranks;
        setup.prepare = [c, wall](BRIX_Problem& problem) {
            if (problem.pieces.empty()) {
                return;  // refined whole on this rank
            }
            problem.runner = [c, wall](BRIX_Problem& whole,
                                       const std::vector<BRIX_Problem*>& queue) {
                const double before = c->WallSeconds();
                c->Refine(whole, queue);
                wall->AddValue(c->WallSeconds() - before);
            };
        };
    }
    const int status = Run(argc, argv, setup);
    Ex_StdOut().Flush();
    std::fflush(stdout);
    if (stats != nullptr) {
        std::fclose(stats);
    }
    if (coordinator != nullptr) {
        coordinator->StopWorkers();
        if (coordinator->AnyFailed()) {
            // A rank that stopped answering would never finish: the output
            // is out, the job ends here.
            std::fflush(stderr);
            MPI_Abort(MPI_COMM_WORLD, status == 0 ? 2 : status);
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Rounding to nearest, exceptions masked, registered modules started.
    (void)SAL_Interface::StartUp(&argc, &argv);
    // Only the main thread calls MPI; rank 0 refines its own pieces in a
    // second thread.
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
    int rank = 0;
    int ranks = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    if (!brixShareStandardInput(rank)) {
        std::fprintf(stderr, "brix-mpi: standard input could not be shared\n");
        MPI_Abort(MPI_COMM_WORLD, 1);
    }
    // Measuring the message cost (bench/mpi/run.sh): BRIX_MPI_PINGPONG=N
    // rounds per size before the run, written to standard error.
    const int rounds = static_cast<int>(PositiveFrom("BRIX_MPI_PINGPONG", 0));
    if (rounds > 0 && ranks > 1) {
        brixPingPong(rank, rounds, stderr);
    }
    int status = 0;
    if (rank == 0) {
        status = Coordinate(ranks, argc, argv);
    } else {
        // Only rank 0 writes the outputs.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
        brixServePieces(rank, argc, argv);
    }
    MPI_Finalize();
    return status;
}
