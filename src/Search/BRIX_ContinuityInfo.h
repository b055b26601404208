// Continuity information: along which sets of variables a constraint node's
// truth is known to hold or fail on a box.
//
// A set of variables is a 32-bit mask (bit i stands for variable i). The
// information is two lists of masks: trueSets for the side on which the node
// holds, falseSets for the side on which it fails. The mask 0 in trueSets
// (falseSets) means the node certainly holds (fails) on the whole box.
#ifndef BRIX_SEARCH_BRIX_CONTINUITYINFO_H
#define BRIX_SEARCH_BRIX_CONTINUITYINFO_H

#include "Expr/Ex_Expr.h"
#include "System/SAL_Shared.h"

#include <cstdint>

class Ex_OutputStream;

// A growable list of masks, shared between copies until one of them is
// appended to (copy on write). Appending to a full list grows its capacity
// from n to floor(n * 3 / 2) + 1; a list without storage gets capacity 3.
class MaskList {
public:
    MaskList() = default;

    int Size() const;
    // Masks the storage can hold before it grows (0 without storage).
    int Capacity() const;
    // Mask i, 0 <= i < Size().
    std::uint32_t operator[](int i) const;
    bool Contains(std::uint32_t mask) const;

    // Adds mask at the end; a shared list is first made private.
    void Append(std::uint32_t mask);
    // Appends each mask of other that the list does not hold yet, in other's order.
    void UnionWith(const MaskList& other);
    void Swap(MaskList& other) noexcept;
    // The same masks in storage of their own: the way to hand the list to
    // another thread.
    MaskList Detach() const;

private:
    // The list header; capacity masks follow it in the same block.
    struct Store {
        unsigned rc;
        int size;
        int capacity;
        // A store for capacity masks, holding none, not yet counted.
        static Store* New(int capacity);
        static Store* Copy(const Store& s);
        static void Free(Store* s);
        std::uint32_t* Masks() { return reinterpret_cast<std::uint32_t*>(this + 1); }
        const std::uint32_t* Masks() const {
            return reinterpret_cast<const std::uint32_t*>(this + 1);
        }
    };

    SAL_Shared<Store> store_;  // null before the first mask
};

class ContinuityInfo {
public:
    // Both lists empty.
    ContinuityInfo() = default;
    // trueSets = [1 << k], falseSets empty. Requires 0 <= k < 32.
    explicit ContinuityInfo(int k);

    // Conjunction: trueSets holds a | b for every a of x.trueSets (outer loop)
    // and b of y.trueSets (inner loop) with no bit in common, duplicates kept;
    // falseSets is x.falseSets followed by y.falseSets.
    static ContinuityInfo And(const ContinuityInfo& x, const ContinuityInfo& y);
    // Disjunction: trueSets is the union of x.trueSets and y.trueSets (x's
    // masks in order, then y's that are not yet there); falseSets holds a | b
    // for every a of x.falseSets and b of y.falseSets with no bit in common.
    static ContinuityInfo Or(const ContinuityInfo& x, const ContinuityInfo& y);
    // Variable k quantified away on the true side: trueSets is x.trueSets with
    // bit k cleared in every mask; falseSets keeps one 0 for every 0 in
    // x.falseSets. Requires 0 <= k < 32.
    static ContinuityInfo ForgetTrue(const ContinuityInfo& x, int k);
    // The same with the sides exchanged.
    static ContinuityInfo ForgetFalse(const ContinuityInfo& x, int k);

    // Each list becomes its union with y's list (as in Or).
    void UnionWith(const ContinuityInfo& y);
    // Exchanges the two lists (negation).
    void Swap() { trueSets.Swap(falseSets); }

    bool HoldsSurely() const { return trueSets.Contains(0); }
    bool FailsSurely() const { return falseSets.Contains(0); }
    // Some mask of the list has bit k set. Requires 0 <= k < 32.
    bool TrueMentions(int k) const;
    bool FalseMentions(int k) const;
    // Some mask of the list has exactly one bit set.
    bool HasSingleTrue() const;
    bool HasSingleFalse() const;

    // Writes ContinuityToExpr(*this), as in "[ [ 1 ], [  ] ]".
    void Print(Ex_OutputStream& out) const;
    // Both lists detached (MaskList::Detach).
    ContinuityInfo Detach() const;

    MaskList trueSets;
    MaskList falseSets;
};

// The list of the masks as integers.
Ex_Expr MasksToExpr(const MaskList& masks);
// The two-element list [trueSets, falseSets].
Ex_Expr ContinuityToExpr(const ContinuityInfo& info);

#endif
