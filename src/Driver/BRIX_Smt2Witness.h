// Exact witnesses: rational points at which a quantifier-free formula is
// checked with rational arithmetic, the simplest rational of an interval, and
// points that solve one linear equation of the formula exactly.
#ifndef BRIX_DRIVER_BRIX_SMT2WITNESS_H
#define BRIX_DRIVER_BRIX_SMT2WITNESS_H

#include "Driver/BRIX_Smt2Term.h"

#include <vector>

// The simplest rational (smallest denominator, then smallest magnitude) in
// the open interval (lo, hi), lo < hi.
mpq_class BRIX_Smt2Simplest(const mpq_class& lo, const mpq_class& hi);

// The quantifier-free formula holds at `point` (by variable index), exactly.
bool BRIX_Smt2Holds(const BRIX_Smt2TermPtr& formula, const std::vector<mpq_class>& point);

// The point itself, else the point with one of `vars` moved to solve one
// equation of the formula exactly, else the point moved to solve the
// equations among its top-level conjuncts together (exactly when they are
// linear): true, with `point` set to it, when the formula holds there.
bool BRIX_Smt2TryCandidates(const BRIX_Smt2TermPtr& formula, const std::vector<int>& vars,
                            std::vector<mpq_class>& point);

#endif
