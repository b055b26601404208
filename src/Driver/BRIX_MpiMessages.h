// The messages of a refinement shared among processes, as flat bytes: a
// piece job (coordinator to worker) and a piece result (worker to
// coordinator), and the moves between a refined piece and its result. Every
// double travels as its eight bytes, so boxes arrive exactly as they left.
#ifndef BRIX_DRIVER_BRIX_MPIMESSAGES_H
#define BRIX_DRIVER_BRIX_MPIMESSAGES_H

#include "Driver/BRIX_Problem.h"
#include "Interval/Iv_Box.h"

#include <cstdint>
#include <vector>

// One piece to refine: its index among the problem's pieces (the job's
// number in the coordinator's book), its part of B (of the outermost
// quantifier's box for a closed sentence), the error bound relative to the
// piece, and the processor time left to it (microseconds; 0: no time-out).
struct BRIX_PieceJob {
    std::int64_t index = -1;
    double errorBound = 0.0;
    std::uint64_t timeLeft = 0;
    Box box;
};

// A box of a result list with the continuity lists of an open box.
struct BRIX_ResultBox {
    Box box;
    std::vector<std::uint32_t> trueSets;
    std::vector<std::uint32_t> falseSets;
};

// What refining one piece gave: the outcome flags and precision losses of
// the piece, its three lists in order, and the processor and wall time the
// refinement took.
struct BRIX_PieceResult {
    std::int64_t index = -1;
    bool complete = false;
    bool timedOut = false;
    bool provedTrue = false;
    bool provedFalse = false;
    std::int64_t precisionLosses = 0;
    Box lostBox;
    std::int32_t lostVar = -1;
    std::int64_t processorMicros = 0;
    double wallSeconds = 0.0;
    std::vector<BRIX_ResultBox> trueBoxes;
    std::vector<BRIX_ResultBox> falseBoxes;
    std::vector<BRIX_ResultBox> openBoxes;
};

std::vector<char> packJob(const BRIX_PieceJob& job);
// False (job unchanged in part) when the bytes are not one whole job.
bool unpackJob(const std::vector<char>& bytes, BRIX_PieceJob& job);
std::vector<char> packResult(const BRIX_PieceResult& result);
// False when the bytes are not one whole result.
bool unpackResult(const std::vector<char>& bytes, BRIX_PieceResult& result);

// The result of a refined piece: its outcome and copies of the boxes of its
// top store (none without one). The piece is left as it was.
BRIX_PieceResult resultOf(const BRIX_Problem& piece);
// Gives piece (built, not refined) the outcome of result: a top store with
// the result's lists, its flags and precision losses; refined becomes true.
void installResult(const BRIX_PieceResult& result, BRIX_Problem& piece);
// A piece whose result was lost (its process failed twice): undecided, not
// complete, its whole box open, counted in piecesLost.
void installLost(BRIX_Problem& piece);

#endif
