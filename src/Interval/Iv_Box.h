// Boxes: one closed interval per variable, in variable order.
//
// A Box is a handle to a shared, reference-counted array of components: copies
// share the array until one of them is written (copy on write; SAL_Shared.h
// says how boxes go to another thread: Detach). Dimension -1 is
// the empty box (no point); dimension 0 is the single point of the
// zero-dimensional space, which is not empty.
#ifndef BRIX_INTERVAL_IV_BOX_H
#define BRIX_INTERVAL_IV_BOX_H

#include "Interval/Iv_Itvl.h"
#include "System/SAL_Shared.h"

#include <cassert>
#include <utility>

class Ex_Expr;
class FormatSet;

class Box {
public:
    // The empty box (dimension -1).
    Box() = default;
    // dimension components, each [0, 0]. Requires dimension >= -1.
    explicit Box(int dimension);
    Box(const Box& other) = default;
    Box(Box&& other) noexcept
        : store_(std::move(other.store_)), dimension_(std::exchange(other.dimension_, -1)) {}
    Box& operator=(const Box& other) = default;
    Box& operator=(Box&& other) noexcept;
    ~Box() = default;

    int Dimension() const { return dimension_; }
    bool IsEmpty() const { return dimension_ < 0; }

    // Component i, 0 <= i < Dimension().
    const Iv_Itvl<double>& operator[](int i) const {
        assert(0 <= i && i < dimension_);
        return Items(store_.Get())[i];
    }
    // Component i for writing; the array is first made private when it is shared.
    Iv_Itvl<double>& At(int i);
    void Set(int i, const Iv_Itvl<double>& value) { At(i) = value; }

    // Dimension n (n >= -1) with n fresh components [0, 0]; no other box sees them.
    void Reserve(int n);
    // Dimension n (n >= -1), keeping the first components; new ones are [0, 0].
    void Resize(int n);
    // The empty box; the array is released.
    void MakeEmpty();

    // The product of the component widths, each rounded up, and of the partial
    // products, rounded up (a zero width gives 0 even beside an infinite one);
    // 1.0 below dimension 1, so the empty box too: test IsEmpty first.
    // Rounding: leaves the mode at up (unchanged below dimension 1).
    double Volume() const;

    // The same components in an array of its own, shared with no other box:
    // the way to hand a box to another thread.
    Box Detach() const;

private:
    // The array header; capacity components follow it in the same block, the
    // first size of them constructed (size may exceed a holder's dimension).
    struct alignas(Iv_Itvl<double>) Store {
        unsigned rc;
        int capacity;
        int size;
        // A store of capacity components, none constructed, not yet counted.
        static Store* New(int capacity);
        static Store* Copy(const Store& s);
        static void Free(Store* s);
    };
    static_assert(sizeof(Store) % alignof(Iv_Itvl<double>) == 0, "components misaligned");
    static const Iv_Itvl<double>* Items(const Store* s) {
        return reinterpret_cast<const Iv_Itvl<double>*>(s + 1);
    }
    static Iv_Itvl<double>* Items(Store* s) { return reinterpret_cast<Iv_Itvl<double>*>(s + 1); }
    // Makes the array private with room for at least capacity components.
    void Own(int capacity);

    SAL_Shared<Store> store_;  // null below dimension 1
    int dimension_ = -1;
};

// Same dimension and equal components (empty components are equal); two empty
// boxes are equal, boxes of different dimensions never.
bool operator==(const Box& a, const Box& b);
// Whether inner is non-empty, of outer's dimension, and each of its
// components lies in outer's.
bool IsSubBox(const Box& inner, const Box& outer);
inline bool operator!=(const Box& a, const Box& b) {
    return !(a == b);
}

// A list of the components printed by IntervalToExpr with formats (borrowed,
// may be null); the empty box and the zero-dimensional box are both the empty
// list.
Ex_Expr BoxToExpr(const Box& box, const FormatSet* formats);
// A list whose elements convert with ExprToInterval; each component must have
// real bounds with lo <= hi (not empty, not upside down, no NaN, not [inf, inf]
// nor [-inf, -inf]). False (box unchanged) otherwise.
bool ExprToBox(const Ex_Expr& e, Box& box);
// The box of the reals typed: the same list read with ExprToIntervalDomain,
// outer rounded outward so that it covers every real point typed, inner per
// component doubles inside them (upside down or empty when none is known).
// The components of outer must be box components as above.
bool ExprToBoxDomain(const Ex_Expr& e, Box& outer, Box& inner);

#endif
