#include "Search/BRIX_ClaimRegion.h"

void BRIX_ClaimRegion::Narrowed(const Box& box, int count) {
    if (empty_) {
        return;
    }
    if (box.IsEmpty() || box.Dimension() < count) {
        empty_ = true;
        return;
    }
    if (none_) {
        region_ = Box(count);
        for (int i = 0; i < count; ++i) {
            region_.Set(i, box[i]);
        }
        none_ = false;
        return;
    }
    for (int i = 0; i < count && i < region_.Dimension(); ++i) {
        const Iv_Itvl<double> c = Intersect(region_[i], box[i]);
        if (c.IsEmpty()) {
            empty_ = true;
            return;
        }
        region_.Set(i, c);
    }
}

bool BRIX_ClaimRegion::Covers(const Box& box, int count) const {
    if (box.IsEmpty()) {
        return true;
    }
    if (none_ || empty_ || box.Dimension() < count || region_.Dimension() < count) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!IsSubset(box[i], region_[i])) {
            return false;
        }
    }
    return true;
}
