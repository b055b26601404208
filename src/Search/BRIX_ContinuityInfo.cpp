#include "Search/BRIX_ContinuityInfo.h"

#include "Expr/Ex_Convert.h"
#include "IO/Ex_Stream.h"
#include "System/SAL.h"
#include "System/SAL_Fatal.h"

#include <cassert>
#include <climits>
#include <utility>

namespace {

std::uint32_t Bit(int k) {
    assert(0 <= k && k < 32);
    return std::uint32_t{1} << k;
}

bool HasSingleBit(std::uint32_t m) {
    return m != 0 && (m & (m - 1)) == 0;
}

bool AnyMentions(const MaskList& list, std::uint32_t bit) {
    for (int i = 0; i < list.Size(); ++i) {
        if ((list[i] & bit) != 0) {
            return true;
        }
    }
    return false;
}

bool AnySingle(const MaskList& list) {
    for (int i = 0; i < list.Size(); ++i) {
        if (HasSingleBit(list[i])) {
            return true;
        }
    }
    return false;
}

// Every a | b for a in x (outer loop) and b in y (inner loop) with a & b = 0.
MaskList DisjointUnions(const MaskList& x, const MaskList& y) {
    MaskList result;
    for (int i = 0; i < x.Size(); ++i) {
        for (int j = 0; j < y.Size(); ++j) {
            if ((x[i] & y[j]) == 0) {
                result.Append(x[i] | y[j]);
            }
        }
    }
    return result;
}

MaskList Concatenation(const MaskList& x, const MaskList& y) {
    MaskList result = x;
    for (int i = 0; i < y.Size(); ++i) {
        result.Append(y[i]);
    }
    return result;
}

MaskList WithoutBit(const MaskList& x, std::uint32_t bit) {
    MaskList result;
    for (int i = 0; i < x.Size(); ++i) {
        result.Append(x[i] & ~bit);
    }
    return result;
}

// One 0 for every 0 in x: the "certainly" marks survive, the others are lost.
MaskList ZerosOf(const MaskList& x) {
    MaskList result;
    for (int i = 0; i < x.Size(); ++i) {
        if (x[i] == 0) {
            result.Append(0);
        }
    }
    return result;
}

}  // namespace

MaskList::Store* MaskList::Store::New(int capacity) {
    auto* s = static_cast<Store*>(SAL_Interface::LocMalloc(static_cast<unsigned>(
        sizeof(Store) + static_cast<unsigned>(capacity) * sizeof(std::uint32_t))));
    s->rc = 0;
    s->size = 0;
    s->capacity = capacity;
    return s;
}

MaskList::Store* MaskList::Store::Copy(const Store& s) {
    Store* copy = New(s.capacity);
    for (int i = 0; i < s.size; ++i) {
        copy->Masks()[i] = s.Masks()[i];
    }
    copy->size = s.size;
    return copy;
}

void MaskList::Store::Free(Store* s) {
    SAL_Interface::LocFree(s);
}

int MaskList::Size() const {
    const Store* s = store_.Get();
    return s != nullptr ? s->size : 0;
}

int MaskList::Capacity() const {
    const Store* s = store_.Get();
    return s != nullptr ? s->capacity : 0;
}

std::uint32_t MaskList::operator[](int i) const {
    assert(0 <= i && i < Size());
    return store_.Get()->Masks()[i];
}

bool MaskList::Contains(std::uint32_t mask) const {
    const int size = Size();
    for (int i = 0; i < size; ++i) {
        if (store_.Get()->Masks()[i] == mask) {
            return true;
        }
    }
    return false;
}

void MaskList::Append(std::uint32_t mask) {
    const Store* old = store_.Get();
    const int size = Size();
    int capacity = Capacity();
    if (size == capacity) {
        const int limit = static_cast<int>((UINT_MAX - sizeof(Store)) / sizeof(std::uint32_t));
        if (capacity > (limit - 1) / 3 * 2) {
            BRIX_FATAL("Mask list too large");
        }
        capacity = capacity == 0 ? 3 : capacity * 3 / 2 + 1;
    }
    if (old == nullptr || store_.IsShared() || capacity != old->capacity) {
        // A fresh store: the list grows, or another copy still reads the old one.
        Store* s = Store::New(capacity);
        for (int i = 0; i < size; ++i) {
            s->Masks()[i] = old->Masks()[i];
        }
        s->size = size;
        store_.Reset(s);
    }
    Store* own = store_.Write();
    own->Masks()[size] = mask;
    own->size = size + 1;
}

void MaskList::UnionWith(const MaskList& other) {
    // A copy: other may be this list, which grows while it is read.
    const MaskList y = other;
    for (int i = 0; i < y.Size(); ++i) {
        if (!Contains(y[i])) {
            Append(y[i]);
        }
    }
}

void MaskList::Swap(MaskList& other) noexcept {
    std::swap(store_, other.store_);
}

MaskList MaskList::Detach() const {
    MaskList copy;
    copy.store_ = store_.Detach();
    return copy;
}

ContinuityInfo::ContinuityInfo(int k) {
    trueSets.Append(Bit(k));
}

ContinuityInfo ContinuityInfo::And(const ContinuityInfo& x, const ContinuityInfo& y) {
    ContinuityInfo r;
    r.trueSets = DisjointUnions(x.trueSets, y.trueSets);
    r.falseSets = Concatenation(x.falseSets, y.falseSets);
    return r;
}

ContinuityInfo ContinuityInfo::Or(const ContinuityInfo& x, const ContinuityInfo& y) {
    ContinuityInfo r;
    r.trueSets = x.trueSets;
    r.trueSets.UnionWith(y.trueSets);
    r.falseSets = DisjointUnions(x.falseSets, y.falseSets);
    return r;
}

ContinuityInfo ContinuityInfo::ForgetTrue(const ContinuityInfo& x, int k) {
    ContinuityInfo r;
    r.trueSets = WithoutBit(x.trueSets, Bit(k));
    r.falseSets = ZerosOf(x.falseSets);
    return r;
}

ContinuityInfo ContinuityInfo::ForgetFalse(const ContinuityInfo& x, int k) {
    ContinuityInfo r;
    r.trueSets = ZerosOf(x.trueSets);
    r.falseSets = WithoutBit(x.falseSets, Bit(k));
    return r;
}

void ContinuityInfo::UnionWith(const ContinuityInfo& y) {
    trueSets.UnionWith(y.trueSets);
    falseSets.UnionWith(y.falseSets);
}

bool ContinuityInfo::TrueMentions(int k) const {
    return AnyMentions(trueSets, Bit(k));
}

bool ContinuityInfo::FalseMentions(int k) const {
    return AnyMentions(falseSets, Bit(k));
}

bool ContinuityInfo::HasSingleTrue() const {
    return AnySingle(trueSets);
}

bool ContinuityInfo::HasSingleFalse() const {
    return AnySingle(falseSets);
}

ContinuityInfo ContinuityInfo::Detach() const {
    ContinuityInfo copy;
    copy.trueSets = trueSets.Detach();
    copy.falseSets = falseSets.Detach();
    return copy;
}

void ContinuityInfo::Print(Ex_OutputStream& out) const {
    out << ContinuityToExpr(*this);
}

Ex_Expr MasksToExpr(const MaskList& masks) {
    Ex_Expr list = MakeList(masks.Size());
    for (int i = 0; i < masks.Size(); ++i) {
        list.SetArg(i, ULongToExpr(masks[i]));
    }
    return list;
}

Ex_Expr ContinuityToExpr(const ContinuityInfo& info) {
    Ex_Expr pair = MakeList(2);
    pair.SetArg(0, MasksToExpr(info.trueSets));
    pair.SetArg(1, MasksToExpr(info.falseSets));
    return pair;
}
