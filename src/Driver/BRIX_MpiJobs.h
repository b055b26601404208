// The coordinator's book of piece jobs when processes share a refinement:
// which job waits, which process holds which, which processes stopped
// answering. Pure bookkeeping (no messages): the transport asks it what to
// hand out and tells it what came back.
//
// Processes are numbered 0 .. ranks-1; 0 is the coordinator, which also takes
// jobs and never fails. A job is handed out at most `attempts` times: when a
// process is declared failed its jobs go back to the front of the queue, and
// a job that has used up its attempts is given up (its piece stays open).
#ifndef BRIX_DRIVER_BRIX_MPIJOBS_H
#define BRIX_DRIVER_BRIX_MPIJOBS_H

#include <cstddef>
#include <deque>
#include <vector>

class BRIX_JobBook {
public:
    // jobs 0 .. count-1 waiting in order; each worker holds at most depth
    // jobs at once (so it finds the next at hand when one is done).
    BRIX_JobBook(int ranks, std::size_t count, int depth = 2, int attempts = 2);

    // The next waiting job for rank, now held by it; -1 when none waits,
    // the rank has failed, or a worker already holds depth jobs.
    long Take(int rank, double now);
    // A result of job from rank: true when it counts (the rank holds the
    // job); false for a stale one (the job was taken away), which is dropped.
    bool Finish(int rank, long job, double now);
    // Declares failed every worker that holds jobs and has not been heard of
    // for more than grace seconds since the queue ran empty (nothing else was
    // left to hand out). Their jobs go back to the front of the queue, or,
    // after `attempts` hand-outs, are given up: answers those.
    std::vector<long> Expire(double now, double grace);

    // Settles every waiting job without handing it out (the answer no
    // longer depends on them); jobs already held are still awaited.
    void DropWaiting();
    // A rank known to have failed before: it takes no job.
    void MarkFailed(int rank) { failed_[static_cast<std::size_t>(rank)] = true; }
    // Every job finished or given up.
    bool Done() const { return settled_ == done_.size(); }
    bool Failed(int rank) const { return failed_[static_cast<std::size_t>(rank)]; }
    bool AnyFailed() const;
    // Jobs held by rank.
    std::size_t Held(int rank) const { return held_[static_cast<std::size_t>(rank)].size(); }

private:
    void Settle(long job);

    int depth_;
    int attempts_;
    std::deque<long> waiting_;
    std::vector<std::vector<long>> held_;  // per rank
    std::vector<double> heard_;            // per rank: last hand-out or answer
    std::vector<bool> failed_;             // per rank
    std::vector<int> handed_;              // per job: hand-outs so far
    std::vector<bool> done_;               // per job: finished or given up
    std::size_t settled_ = 0;
    double emptySince_ = -1;  // when the queue last ran empty; -1 while jobs wait
};

#endif
