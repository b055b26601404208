#include "Driver/BRIX_MpiWorker.h"

#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Driver/BRIX_BuildProblem.h"
#include "Driver/BRIX_CommandLine.h"
#include "Driver/BRIX_Timeout.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_ParallelRefine.h"

#include <chrono>
#include <limits>

BRIX_PieceWorker::~BRIX_PieceWorker() { releaseProblem(whole_); }

bool BRIX_PieceWorker::Prepare(int argc, char** argv) {
    int status = 0;
    if (!ScanCommandLine(argc, argv, options_, status) || !RunDialogue(true, answers_)) {
        return false;
    }
    bool valid = false;
    buildProblem(answers_.constraint, answers_.names, answers_.domainOuter, options_.single,
                 options_.errorBound, valid, whole_, &answers_.domainInside);
    prepared_ = valid;
    return valid;
}

BRIX_PieceResult BRIX_PieceWorker::Refine(const BRIX_PieceJob& job) {
    BRIX_Problem piece;
    const bool built =
        prepared_ && (whole_.hasFreeVariables
                          ? buildPiece(answers_.constraint, answers_.names, job.box,
                                       options_.single, options_.errorBound,
                                       &answers_.domainInside, piece)
                          : buildSentencePiece(whole_, job.box, piece));
    BRIX_PieceResult result;
    if (!built) {
        releaseProblem(piece);
        result.index = job.index;
        if (whole_.hasFreeVariables) {
            result.openBoxes.push_back({job.box, {}, {}});
        }
        return result;
    }
    if (auto* top = dynamic_cast<BRIX_QuantifiedUnknown*>(piece.constraint)) {
        top->errorBound = job.errorBound;
    }
    // The coordinator's time-out, what is left of it, counted from now.
    const std::uint64_t most = std::numeric_limits<std::uint32_t>::max();
    setTimeout(static_cast<std::uint32_t>(job.timeLeft < most ? job.timeLeft : most));
    startTimeoutClock();
    const auto wallStart = std::chrono::steady_clock::now();
    refineQueue({&piece}, 1);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart;
    result = resultOf(piece);
    result.index = job.index;
    result.processorMicros = static_cast<std::int64_t>(timeoutClockMicroseconds());
    result.wallSeconds = wall.count();
    releaseProblem(piece);
    return result;
}
