#include "Search/BRIX_ParallelRefine.h"

#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Driver/BRIX_Context.h"
#include "Interval/Iv_Round.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_PrecisionLoss.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USAS.h"
#include "Search/BRIX_USASQuantified.h"

#include <atomic>
#include <cstddef>
#include <limits>
#include <utility>
#include <thread>
#include <vector>

namespace {

// The piece's loss is gathered and reported once by the caller.
void KeepLossQuiet(const Box&, int) {}

// One thread's share: pieces taken from the queue until it is empty.
void Work(const BRIX_Context& parent, const std::vector<BRIX_Problem*>& queue,
          std::atomic<std::size_t>& next) {
    BRIX_Context context;
    context.tuning = parent.tuning;
    // Windows are drawn by one thread only: tracing stays with a single one.
    context.tuning.flags[BRIX_Flag::TraceTopLevel] = false;
    context.tuning.flags[BRIX_Flag::TraceFunctionInversion] = false;
    context.timeout.limit = parent.timeout.limit;
    context.timeout.clockStart = parent.timeout.clockStart;
    context.lossHandler = KeepLossQuiet;
    BRIX_SolveScope scope(context);
    for (std::size_t i = next++; i < queue.size(); i = next++) {
        approximateRefine(*queue[i]);
    }
}

// The pieces of the queue refined by the problem's runner, or else by its
// threads.
void RunQueue(BRIX_Problem& problem, const std::vector<BRIX_Problem*>& queue) {
    if (problem.runner) {
        problem.runner(problem, queue);
    } else {
        refineQueue(queue, problem.threads);
    }
}

// The top node of a piece, whose error bound the passes set.
BRIX_QuantifiedUnknown* TopOf(BRIX_Problem& piece) {
    return dynamic_cast<BRIX_QuantifiedUnknown*>(piece.constraint);
}

// An upper bound of the volume of the piece's open boxes (infinite when
// there is no store). Rounding: leaves up.
double OpenVolume(const BRIX_Problem& piece) {
    const auto* store = dynamic_cast<const BRIX_USASQuantifiedStore*>(piece.approximation);
    if (store == nullptr) {
        return std::numeric_limits<double>::infinity();
    }
    double sum = 0.0;
    for (const BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
        if (!e->box.IsEmpty()) {
            sum = AddUp(sum, VolumeOf(e->box).hi);
        }
    }
    return sum;
}

// The second pass. The first refined every piece to a coarser bound; the
// open volume allowed for the whole (eps times its volume) is now shared
// among the pieces in proportion to what each left open, so that every
// piece ends with boxes about as fine as one refinement of the whole would
// leave. A piece already within its share keeps its first result; the others
// are refined anew (their twins in `finer`) to their share. Every share is
// rounded down and they sum to at most the whole's allowance.
void RefineShares(BRIX_Problem& problem) {
    std::vector<BRIX_Problem>& pieces = problem.pieces;
    std::vector<BRIX_Problem>& finer = problem.finerPieces;
    std::vector<double> open(pieces.size());
    double total = 0.0;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        open[k] = OpenVolume(pieces[k]);
        total = AddUp(total, open[k]);
    }
    const double allowance = MulDown(VolumeOf(problem.box).lo, problem.errorBound);
    std::vector<BRIX_Problem*> queue;
    if (!(total < std::numeric_limits<double>::infinity())) {
        return;  // a piece without a result: its first pass stands
    }
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const double share = total > 0 ? MulDown(allowance, DivDown(open[k], total)) : 0.0;
        if (open[k] <= share) {
            continue;
        }
        BRIX_QuantifiedUnknown* top = TopOf(finer[k]);
        const double volume = VolumeOf(finer[k].box).hi;
        if (top == nullptr || !(volume > 0)) {
            continue;
        }
        top->errorBound = DivDown(share, volume);
        std::swap(pieces[k], finer[k]);
        queue.push_back(&pieces[k]);
    }
    RunQueue(problem, queue);
}

// The piece's precision losses added to the current context's, its lost
// pieces to the problem's.
void AddLosses(BRIX_Problem& problem, const BRIX_Problem& piece) {
    problem.piecesLost += piece.piecesLost;
    BRIX_PrecisionLosses& losses = BRIX_CurrentContext().losses;
    if (piece.precisionLosses > 0 && losses.count == 0) {
        losses.first = piece.lostBox;
        losses.firstVar = piece.lostVar;
    }
    losses.count += piece.precisionLosses;
}

// Appends the list headed by from to the list whose last link is *tail, and
// leaves from empty and tail at the new last link.
void Append(BRIX_StackEl**& tail, BRIX_StackEl*& from) {
    *tail = from;
    from = nullptr;
    while (*tail != nullptr) {
        tail = &(*tail)->next;
    }
}

// Moves every piece's boxes into the problem's top store and settles its
// outcome from theirs.
void Gather(BRIX_Problem& problem) {
    BRIX_USAS* top = CreateUsas(problem.constraint, problem.hasFreeVariables);
    auto* store = dynamic_cast<BRIX_USASQuantifiedStore*>(top);
    problem.approximation = top;
    problem.complete = true;
    problem.timedOut = false;
    problem.provedTrue = true;
    problem.provedFalse = true;
    if (store == nullptr) {
        problem.complete = false;  // nothing that could hold the boxes
        problem.provedTrue = problem.provedFalse = false;
        return;
    }
    BRIX_USASQuantified::DestroyList(store->stack);
    BRIX_StackEl** trueTail = &store->trueBoxes;
    BRIX_StackEl** falseTail = &store->falseBoxes;
    BRIX_StackEl** openTail = &store->stack;
    for (BRIX_Problem& piece : problem.pieces) {
        auto* from = dynamic_cast<BRIX_USASQuantifiedStore*>(piece.approximation);
        if (from != nullptr) {
            Append(trueTail, from->trueBoxes);
            Append(falseTail, from->falseBoxes);
            Append(openTail, from->stack);
        } else {
            // A piece that made no state keeps its part of B open.
            problem.complete = false;
        }
        problem.complete = problem.complete && piece.complete;
        problem.timedOut = problem.timedOut || piece.timedOut;
        problem.provedTrue = problem.provedTrue && piece.provedTrue;
        problem.provedFalse = problem.provedFalse && piece.provedFalse;
        AddLosses(problem, piece);
    }
}

// A closed sentence from its pieces (the sentence over parts of the box of
// its outermost quantifier, which together cover it): EXISTS is true when
// one piece is true and false when every piece is; FORALL the other way
// round. Undecided otherwise: complete only when every piece is.
void GatherSentence(BRIX_Problem& problem) {
    const bool forall = problem.sentenceForall;
    bool anyTrue = false, allTrue = true, anyFalse = false, allFalse = true;
    problem.complete = true;
    problem.timedOut = false;
    for (const BRIX_Problem& piece : problem.pieces) {
        anyTrue = anyTrue || piece.provedTrue;
        allTrue = allTrue && piece.provedTrue;
        anyFalse = anyFalse || piece.provedFalse;
        allFalse = allFalse && piece.provedFalse;
        problem.complete = problem.complete && piece.complete;
        problem.timedOut = problem.timedOut || piece.timedOut;
        AddLosses(problem, piece);
    }
    problem.provedTrue = forall ? allTrue : anyTrue;
    problem.provedFalse = forall ? anyFalse : allFalse;
    if (problem.provedTrue || problem.provedFalse) {
        problem.complete = true;
        problem.timedOut = false;
    }
}

}  // namespace

void refineQueue(const std::vector<BRIX_Problem*>& queue, int threads) {
    std::atomic<std::size_t> next{0};
    const BRIX_Context& parent = BRIX_CurrentContext();
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) {
        helpers.emplace_back(Work, std::cref(parent), std::cref(queue), std::ref(next));
    }
    Work(parent, queue, next);
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

void refinePieces(BRIX_Problem& problem) {
    // The first pass, coarser when a second one can follow.
    const bool twoPasses = !problem.sentencePieces &&
                           problem.finerPieces.size() == problem.pieces.size() &&
                           problem.errorBound > 0 && problem.errorBound < 0.0625;
    std::vector<BRIX_Problem*> queue;
    for (BRIX_Problem& piece : problem.pieces) {
        BRIX_QuantifiedUnknown* top = TopOf(piece);
        if (twoPasses && top != nullptr) {
            top->errorBound = problem.errorBound * 8;
        }
        queue.push_back(&piece);
    }
    RunQueue(problem, queue);
    bool timedOut = false;
    for (const BRIX_Problem& piece : problem.pieces) {
        timedOut = timedOut || piece.timedOut;
    }
    if (twoPasses && !timedOut) {
        RefineShares(problem);
    }
    if (problem.sentencePieces) {
        GatherSentence(problem);
    } else {
        Gather(problem);
    }
    for (std::vector<BRIX_Problem>* list : {&problem.pieces, &problem.finerPieces}) {
        for (BRIX_Problem& piece : *list) {
            releaseProblem(piece);
        }
        list->clear();
    }
}
