#include "Driver/BRIX_MpiJobs.h"

#include <algorithm>

BRIX_JobBook::BRIX_JobBook(int ranks, std::size_t count, int depth, int attempts)
    : depth_(depth),
      attempts_(attempts),
      held_(static_cast<std::size_t>(ranks)),
      heard_(static_cast<std::size_t>(ranks), 0.0),
      failed_(static_cast<std::size_t>(ranks), false),
      handed_(count, 0),
      done_(count, false) {
    for (std::size_t j = 0; j < count; ++j) {
        waiting_.push_back(static_cast<long>(j));
    }
}

long BRIX_JobBook::Take(int rank, double now) {
    const auto r = static_cast<std::size_t>(rank);
    if (waiting_.empty() || failed_[r] ||
        (rank != 0 && held_[r].size() >= static_cast<std::size_t>(depth_))) {
        return -1;
    }
    const long job = waiting_.front();
    waiting_.pop_front();
    held_[r].push_back(job);
    heard_[r] = now;
    ++handed_[static_cast<std::size_t>(job)];
    if (waiting_.empty()) {
        emptySince_ = now;
    }
    return job;
}

bool BRIX_JobBook::Finish(int rank, long job, double now) {
    const auto r = static_cast<std::size_t>(rank);
    std::vector<long>& held = held_[r];
    const auto at = std::find(held.begin(), held.end(), job);
    if (failed_[r] || at == held.end()) {
        return false;
    }
    held.erase(at);
    heard_[r] = now;
    Settle(job);
    return true;
}

std::vector<long> BRIX_JobBook::Expire(double now, double grace) {
    std::vector<long> givenUp;
    if (!waiting_.empty()) {
        return givenUp;  // other work is left: a slow process is not yet a lost one
    }
    for (std::size_t r = 1; r < held_.size(); ++r) {
        if (held_[r].empty() || !(now - std::max(heard_[r], emptySince_) > grace)) {
            continue;
        }
        failed_[r] = true;
        // Back to the front in their order, so the oldest is taken first.
        for (auto it = held_[r].rbegin(); it != held_[r].rend(); ++it) {
            if (handed_[static_cast<std::size_t>(*it)] < attempts_) {
                waiting_.push_front(*it);
            } else {
                Settle(*it);
                givenUp.push_back(*it);
            }
        }
        held_[r].clear();
    }
    if (!waiting_.empty()) {
        emptySince_ = -1;
    }
    return givenUp;
}

void BRIX_JobBook::DropWaiting() {
    for (long job : waiting_) {
        Settle(job);
    }
    waiting_.clear();
}

bool BRIX_JobBook::AnyFailed() const {
    return std::find(failed_.begin(), failed_.end(), true) != failed_.end();
}

void BRIX_JobBook::Settle(long job) {
    const auto j = static_cast<std::size_t>(job);
    if (!done_[j]) {
        done_[j] = true;
        ++settled_;
    }
}
