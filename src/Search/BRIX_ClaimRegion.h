// Where a sub-constraint's continuity information holds. Marks are set while
// the sub narrows a box, and narrowing shrinks that box (in a hull pass, to a
// piece of the box the parent ends with): what the marks claim is proved on
// the boxes the sub was narrowed to, not beyond. A parent uses such a claim
// for its own box only when the region covers it.
#ifndef BRIX_SEARCH_BRIX_CLAIMREGION_H
#define BRIX_SEARCH_BRIX_CLAIMREGION_H

#include "Interval/Iv_Box.h"

class BRIX_ClaimRegion {
public:
    // The sub was narrowed to box (its first count components count): the
    // region becomes what it was intersected with them.
    void Narrowed(const Box& box, int count);
    // Whether the region covers the first count components of box (never
    // before the sub was narrowed: it has proved nothing yet).
    bool Covers(const Box& box, int count) const;

private:
    Box region_;          // the intersection so far
    bool none_ = true;    // not narrowed yet
    bool empty_ = false;  // the intersection is empty: it covers nothing
};

#endif
