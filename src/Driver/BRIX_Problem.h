// The driver's record of one run: the constraint to solve and what the
// refinement has learnt about it. Owned by the driver for the whole run.
#ifndef BRIX_DRIVER_BRIX_PROBLEM_H
#define BRIX_DRIVER_BRIX_PROBLEM_H

#include "Interval/Iv_Box.h"

#include <functional>
#include <string>
#include <vector>

class BRIX_Constraint;
class BRIX_USAS;

struct BRIX_Problem {
    // True when no refinement is pending: set false once a constraint is
    // built, true again when the refinement starts, so it runs at most once.
    bool refined = true;
    // The top of the constraint tree (owned by the driver), or null.
    BRIX_Constraint* constraint = nullptr;
    // A constraint without free variables proved true / false.
    bool provedTrue = false;
    bool provedFalse = false;
    // V has at least one name: the top node is the quantifier over B.
    bool hasFreeVariables = false;
    // The top approximation state, made by the refinement; freed with Destroy().
    BRIX_USAS* approximation = nullptr;
    // Set when the refinement reached its goal.
    bool complete = false;
    // Set when the time-out stopped the refinement (the result is partial).
    bool timedOut = false;
    // Boxes that could no longer be split (floating-point precision ran
    // out); they stay open and the result is partial. lostBox is the first,
    // lostVar the variable it was to be split on.
    long precisionLosses = 0;
    Box lostBox;
    int lostVar = -1;
    // Pieces whose process failed before answering: they stay open (their
    // part of B, or undecided for a piece of a sentence) and the result is
    // partial.
    long piecesLost = 0;
    // B and the relative error bound of the run (shown by the progress line).
    Box box;
    double errorBound = 0.5;
    // The names of V.
    std::vector<std::string> variables;
    // Sharing the refinement among threads: the same problem over parts of
    // B (owned; each refined by one of `threads` threads and gathered into
    // this one, then freed). Empty: this problem is refined by itself.
    std::vector<BRIX_Problem> pieces;
    // The same pieces again, for a second pass that refines some of them to
    // a share of the error bound (see refinePieces); may be empty.
    std::vector<BRIX_Problem> finerPieces;
    int threads = 1;
    // A closed sentence shared by cutting the box of its outermost
    // quantifier: the pieces are the sentence over the parts of that box,
    // true / false as one piece (EXISTS) or every piece (FORALL) is, or the
    // other way round.
    bool sentencePieces = false;
    bool sentenceForall = false;
    // Refines the given pieces (pointers into pieces) in place; null: they
    // are refined by `threads` threads of this process. A program that
    // shares the pieces among processes installs its own.
    std::function<void(BRIX_Problem& whole, const std::vector<BRIX_Problem*>& queue)> runner;
};

#endif
