// Building the problem of a run from the answers of the dialogue.
#ifndef BRIX_DRIVER_BRIX_BUILDPROBLEM_H
#define BRIX_DRIVER_BRIX_BUILDPROBLEM_H

#include "Driver/BRIX_Problem.h"
#include "Expr/Ex_Expr.h"
#include "Interval/Iv_Box.h"

#include <string>
#include <vector>

// Builds the constraint tree of F over the free variables V and fills
// problem: the tree (simplified under flag SimplifyConstraint and printed with
// the names of V under flag PrintSimplified), wrapped, when V has names, in a
// top quantifier over B (an EXISTS when single, otherwise the unknown
// quantifier carrying the error bound eps), the trace flag of the top node,
// a copy of V, and refined false. problem.constraint is owned by the problem
// afterwards. valid becomes false, and problem keeps no constraint, when F is
// not a valid constraint over V, when V repeats a name or has a name that is
// not a plain word, or when B does not have one interval per name. inside
// (borrowed; null when B is exactly the box meant) holds, when B is the
// outward rounding of reals typed, doubles inside them (SetDomain of the top
// quantifier).
void buildProblem(Ex_Expr F, std::vector<std::string> V, const Box& B, bool single, double eps,
                  bool& valid, BRIX_Problem& problem, const Box* inside = nullptr);

// Prepares the refinement of a problem built by buildProblem from the same
// F, V, B, single, eps and inside to be shared by `threads` threads: B is cut
// into several parts a thread and problem.pieces gets the problem over each
// part (built silently), problem.threads the count. Nothing changes (one
// thread refines) when threads is 1, for a constraint without free
// variables, for the search of a single box, with sampling or with a
// per-refinement time-out.
void buildPieces(const Ex_Expr& F, const std::vector<std::string>& V, const Box& B, bool single,
                 double eps, const Box* inside, int threads, BRIX_Problem& problem);

// The problem over one part of B (inside B) as buildPieces makes it: built
// silently from the same F, V, single, eps, with inside (borrowed; null when
// B is exact) cut to the part. False, with piece holding no constraint, when
// it cannot be built.
bool buildPiece(const Ex_Expr& F, const std::vector<std::string>& V, const Box& part, bool single,
                double eps, const Box* inside, BRIX_Problem& piece);

// A closed sentence whose outermost node is a classical quantifier (whole,
// borrowed) over the part of that quantifier's box given (inside it): piece
// (its former constraint and state freed) gets a copy of the sentence with
// the quantifier's box and domain cut to the part. False, with piece
// unchanged, for another shape or a part outside the box.
bool buildSentencePiece(const BRIX_Problem& whole, const Box& part, BRIX_Problem& piece);

// buildPieces for `sharers` processes or threads, and also for a closed
// sentence: one whose outermost node is a classical quantifier is cut into
// 16 sentences a sharer over parts of that quantifier's box
// (problem.sentencePieces); another shape, a single sharer, sampling or a
// per-refinement time-out leave it whole.
void buildSharedPieces(const Ex_Expr& F, const std::vector<std::string>& V, const Box& B,
                       bool single, double eps, const Box* inside, int sharers,
                       BRIX_Problem& problem);

#endif
