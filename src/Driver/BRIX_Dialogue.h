// The three questions of a run: the constraint F, the free variables V and
// the box B, each read as one ";"-terminated answer from standard input.
#ifndef BRIX_DRIVER_BRIX_DIALOGUE_H
#define BRIX_DRIVER_BRIX_DIALOGUE_H

#include "Expr/Ex_Expr.h"
#include "Interval/Iv_Box.h"

#include <string>
#include <vector>

struct BRIX_Answers {
    Ex_Expr constraint;              // F
    std::vector<std::string> names;  // V
    Box box;                         // B, each number its nearest double (echoed, drawn)
    // The reals B stands for (ExprToBoxDomain): solved over the outward
    // rounding domainOuter; domainInside holds doubles inside them.
    Box domainOuter;
    Box domainInside;
};

// Asks F, V and B in turn, each up to 10 times (once when silent); prompts,
// echoes and messages are printed unless silent. False when a question could
// not be answered: the run then ends with status 1.
bool RunDialogue(bool silent, BRIX_Answers& answers);

// The answer to V as a list of names: a List whose elements are atoms.
bool ExprToNames(const Ex_Expr& e, std::vector<std::string>& names);

#endif
