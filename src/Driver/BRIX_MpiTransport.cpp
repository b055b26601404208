#include "Driver/BRIX_MpiTransport.h"

#include "Constraint/BRIX_Quantified.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Driver/BRIX_Context.h"
#include "Driver/BRIX_MpiJobs.h"
#include "Driver/BRIX_MpiMessages.h"
#include "Driver/BRIX_MpiWorker.h"
#include "Driver/BRIX_Timeout.h"
#include "Driver/BRIX_Timer.h"
#include "Search/BRIX_ParallelRefine.h"

#include <mpi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

enum Tag { JobTag = 1, ResultTag = 2, StopTag = 3 };

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A short nap while waiting for a message: blocking receives of OpenMPI
// spin, which starves the ranks that share a core.
void Nap() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

void SendBytes(const std::vector<char>& bytes, int to, int tag) {
    MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, to, tag, MPI_COMM_WORLD);
}

// The message probed (status) received whole.
std::vector<char> ReceiveBytes(const MPI_Status& probed) {
    int count = 0;
    MPI_Get_count(&probed, MPI_BYTE, &count);
    std::vector<char> bytes(static_cast<std::size_t>(std::max(count, 0)));
    MPI_Recv(bytes.data(), count, MPI_BYTE, probed.MPI_SOURCE, probed.MPI_TAG, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
    return bytes;
}

// The job of one queued piece: its part (of B, or of the box of a closed
// sentence's outermost quantifier) and error bound.
BRIX_PieceJob JobOf(const BRIX_Problem& piece, long number) {
    BRIX_PieceJob job;
    job.index = number;
    job.errorBound = piece.errorBound;
    if (const auto* top = dynamic_cast<const BRIX_QuantifiedUnknown*>(piece.constraint)) {
        job.errorBound = top->errorBound;
    }
    job.box = piece.box;
    if (!piece.hasFreeVariables) {
        if (const auto* q = dynamic_cast<const BRIX_Quantified*>(piece.constraint)) {
            job.box = q->box;
        }
    }
    const std::uint64_t limit = getTimeout();
    if (limit > 0) {
        const std::uint64_t used = timeoutClockMicroseconds();
        job.timeLeft = used < limit ? limit - used : 1;
    }
    return job;
}

// A piece that settles its closed sentence alone: a true one under EXISTS, a
// false one under FORALL.
bool Decisive(const BRIX_Problem& whole, const BRIX_Problem& piece) {
    return whole.sentencePieces &&
           (whole.sentenceForall ? piece.provedFalse : piece.provedTrue);
}

// The piece rank 0 refines itself, in a thread that takes the calling
// thread's flags, parameters and time-out as the threads of -j do.
class LocalPiece {
public:
    LocalPiece() = default;
    LocalPiece(const LocalPiece&) = delete;
    LocalPiece& operator=(const LocalPiece&) = delete;
    ~LocalPiece() { Join(); }

    // Starts refining piece (borrowed until Join) as job number `number`.
    void Start(long number, BRIX_Problem& piece, double now) {
        job = number;
        begun = now;
        finished_.store(false, std::memory_order_relaxed);
        BRIX_Context& parent = BRIX_CurrentContext();
        thread_ = std::thread([this, &parent, &piece] {
            {
                BRIX_ContextScope scope(parent);
                refineQueue({&piece}, 1);
            }
            finished_.store(true, std::memory_order_release);
        });
    }
    bool joinable() const { return thread_.joinable(); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    long job = -1;
    double begun = 0.0;

private:
    std::thread thread_;
    std::atomic<bool> finished_{false};
};

}  // namespace

bool brixShareStandardInput(int rank) {
    std::string text;
    if (rank == 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(0, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    unsigned long long size = text.size();
    MPI_Bcast(&size, 1, MPI_UNSIGNED_LONG_LONG, 0, MPI_COMM_WORLD);
    text.resize(size);
    MPI_Bcast(&text[0], static_cast<int>(size), MPI_CHAR, 0, MPI_COMM_WORLD);
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fflush(file) == 0 && lseek(fileno(file), 0, SEEK_SET) == 0;
    const bool moved = written && dup2(fileno(file), 0) == 0;
    std::fclose(file);
    return moved;
}

BRIX_MpiCoordinator::BRIX_MpiCoordinator(int ranks, double grace, std::FILE* stats)
    : ranks_(ranks), grace_(grace), stats_(stats), failed_(static_cast<std::size_t>(ranks), false) {}

bool BRIX_MpiCoordinator::AnyFailed() const {
    return std::find(failed_.begin(), failed_.end(), true) != failed_.end();
}

void BRIX_MpiCoordinator::Refine(BRIX_Problem& whole, const std::vector<BRIX_Problem*>& queue) {
    const double start = Now();
    const std::int64_t microsBefore = workerMicros_;
    BRIX_JobBook book(ranks_, queue.size());
    for (int r = 1; r < ranks_; ++r) {
        if (failed_[static_cast<std::size_t>(r)]) {
            book.MarkFailed(r);
        }
    }
    LocalPiece local;
    auto refill = [&](int rank) {
        for (long j = book.Take(rank, Now()); j >= 0; j = book.Take(rank, Now())) {
            SendBytes(packJob(JobOf(*queue[static_cast<std::size_t>(j)], j)), rank, JobTag);
        }
    };
    for (int r = 1; r < ranks_; ++r) {
        refill(r);
    }
    while (!book.Done()) {
        bool heard = false;
        int flag = 0;
        MPI_Status status;
        while (MPI_Iprobe(MPI_ANY_SOURCE, ResultTag, MPI_COMM_WORLD, &flag, &status) ==
                   MPI_SUCCESS &&
               flag != 0) {
            heard = true;
            const double received = Now();
            const std::vector<char> bytes = ReceiveBytes(status);
            BRIX_PieceResult result;
            const int from = status.MPI_SOURCE;
            // Bytes that are no result, or a result of a job taken away
            // from the rank, are dropped: the job is still held or handed
            // out again.
            if (!unpackResult(bytes, result) || result.index < 0 ||
                result.index >= static_cast<std::int64_t>(queue.size()) ||
                !book.Finish(from, static_cast<long>(result.index), received)) {
                continue;
            }
            BRIX_Problem& piece = *queue[static_cast<std::size_t>(result.index)];
            installResult(result, piece);
            if (Decisive(whole, piece)) {
                book.DropWaiting();  // the pieces not handed out stay unrefined
            }
            workerMicros_ += result.processorMicros;
            longestPiece_ = std::max(longestPiece_, result.wallSeconds);
            if (stats_ != nullptr) {
                std::fprintf(stats_, "piece %d %lld %.6f %.6f %zu %.6f\n", from,
                             static_cast<long long>(result.index),
                             static_cast<double>(result.processorMicros) / 1e6,
                             result.wallSeconds, bytes.size(), Now() - received);
            }
            refill(from);
        }
        const std::vector<long> lost = book.Expire(Now(), std::max(grace_, 10 * longestPiece_));
        for (long j : lost) {
            installLost(*queue[static_cast<std::size_t>(j)]);
        }
        for (int r = 1; r < ranks_; ++r) {
            if (book.Failed(r) && !failed_[static_cast<std::size_t>(r)]) {
                failed_[static_cast<std::size_t>(r)] = true;
                std::fprintf(stderr, "brix-mpi: rank %d stopped answering; its pieces go elsewhere\n",
                             r);
            }
            refill(r);
        }
        // Rank 0's own share runs in a thread of its own, so that the
        // coordinator keeps answering the other ranks however long a piece
        // takes here (between pieces only, a long piece would leave them
        // without work).
        if (local.joinable() && local.Finished()) {
            BRIX_Problem& piece = *queue[static_cast<std::size_t>(local.job)];
            local.Join();
            book.Finish(0, local.job, Now());
            if (Decisive(whole, piece)) {
                book.DropWaiting();
            }
            longestPiece_ = std::max(longestPiece_, Now() - local.begun);
            if (stats_ != nullptr) {
                std::fprintf(stats_, "piece 0 %ld - %.6f 0 0\n", local.job, Now() - local.begun);
            }
        }
        if (!local.joinable()) {
            const long mine = book.Take(0, Now());
            if (mine >= 0) {
                local.Start(mine, *queue[static_cast<std::size_t>(mine)], Now());
                continue;
            }
        }
        if (!heard) {
            Nap();
        }
    }
    wallSeconds_ += Now() - start;
    // The other ranks' processor time of this call, so that the report's
    // times are sums over ranks.
    BRIX_TotalTimer().AddElsewhere(workerMicros_ - microsBefore);
    BRIX_RefineTimer().AddElsewhere(workerMicros_ - microsBefore);
}

void BRIX_MpiCoordinator::StopWorkers() {
    for (int r = 1; r < ranks_; ++r) {
        MPI_Send(nullptr, 0, MPI_BYTE, r, StopTag, MPI_COMM_WORLD);
    }
}

void brixPingPong(int rank, int rounds, std::FILE* out) {
    if (rank > 1) {
        return;
    }
    for (std::size_t size : {std::size_t{8}, std::size_t{4096}, std::size_t{65536},
                             std::size_t{1} << 20}) {
        std::vector<char> bytes(size, 'x');
        const int count = static_cast<int>(size);
        MPI_Barrier(MPI_COMM_WORLD);
        const double start = Now();
        for (int i = 0; i < rounds; ++i) {
            if (rank == 0) {
                MPI_Send(bytes.data(), count, MPI_BYTE, 1, JobTag, MPI_COMM_WORLD);
                MPI_Recv(bytes.data(), count, MPI_BYTE, 1, ResultTag, MPI_COMM_WORLD,
                         MPI_STATUS_IGNORE);
            } else {
                MPI_Recv(bytes.data(), count, MPI_BYTE, 0, JobTag, MPI_COMM_WORLD,
                         MPI_STATUS_IGNORE);
                MPI_Send(bytes.data(), count, MPI_BYTE, 0, ResultTag, MPI_COMM_WORLD);
            }
        }
        if (rank == 0 && out != nullptr) {
            std::fprintf(out, "pingpong %zu %.9f\n", size, (Now() - start) / rounds / 2);
        }
    }
}

void brixServePieces(int rank, int argc, char** argv) {
    const char* failRank = std::getenv("BRIX_MPI_FAIL_RANK");
    const char* failMode = std::getenv("BRIX_MPI_FAIL_MODE");
    const bool failing = failRank != nullptr && std::atoi(failRank) == rank;
    BRIX_PieceWorker worker;
    bool prepared = false;
    for (;;) {
        int flag = 0;
        MPI_Status status;
        MPI_Iprobe(0, MPI_ANY_TAG, MPI_COMM_WORLD, &flag, &status);
        if (flag == 0) {
            Nap();
            continue;
        }
        const std::vector<char> bytes = ReceiveBytes(status);
        if (status.MPI_TAG == StopTag) {
            return;
        }
        BRIX_PieceJob job;
        if (status.MPI_TAG != JobTag || !unpackJob(bytes, job)) {
            continue;  // not a job: the coordinator hands the piece out again
        }
        if (failing) {
            if (failMode != nullptr && std::strcmp(failMode, "exit") == 0) {
                _exit(3);
            }
            for (;;) {
                pause();  // hangs, as a process stuck in a system call would
            }
        }
        if (!prepared) {
            prepared = true;
            worker.Prepare(argc, argv);
        }
        SendBytes(packResult(worker.Refine(job)), 0, ResultTag);
    }
}
