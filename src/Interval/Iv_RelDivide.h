// Relational division: the points x of a domain for which x * y lies in a for
// some y of b. Part of the interval type; include Interval/Iv_Itvl.h to use it.
#ifndef BRIX_INTERVAL_IV_RELDIVIDE_H
#define BRIX_INTERVAL_IV_RELDIVIDE_H

#include "Interval/Iv_Itvl.h"

// Encloses {x in d : x * y in a for some y in b} by at most two intervals r1 <= r2
// (r1 below r2 when both are non-empty). When 0 is not in b this is d intersected
// with a / b; when 0 is in b and in a every x qualifies (r1 = d); when 0 is in b
// but not in a the set is d without a gap around 0, so it may take two pieces.
// r2 is empty when one piece suffices; r1 is empty only when nothing remains.
// An empty d gives r1 = r2 = d; an empty a or b gives two empty pieces.
// The arguments are copies, so r1 or r2 may be the same object as a, b or d.
// Rounding: leaves the mode at down or up (unchanged when no bound is divided).
void RelDivide(Iv_Itvl<double> a, Iv_Itvl<double> b, Iv_Itvl<double> d, Iv_Itvl<double>& r1,
               Iv_Itvl<double>& r2);

#endif
