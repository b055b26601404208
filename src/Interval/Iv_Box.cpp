#include "Interval/Iv_Box.h"

#include "Expr/Ex_Expr.h"
#include "Interval/Iv_Convert.h"
#include "System/SAL.h"
#include "System/SAL_Fatal.h"

#include <cassert>
#include <climits>
#include <new>

namespace {

using Itvl = Iv_Itvl<double>;

// A component the solver can work with: real bounds in order. An empty,
// upside-down or NaN component would give negative or meaningless volumes, and
// [inf, inf] holds no real point.
bool IsBoxComponent(const Itvl& c) {
    return c.lo <= c.hi && c.lo < PlusInfinity() && c.hi > -PlusInfinity();
}

}  // namespace

Box::Store* Box::Store::New(int capacity) {
    const int limit = static_cast<int>((UINT_MAX - sizeof(Store)) / sizeof(Itvl));
    if (capacity > limit) {
        BRIX_FATAL("Box too large");
    }
    auto* s = static_cast<Store*>(SAL_Interface::LocMalloc(
        static_cast<unsigned>(sizeof(Store) + static_cast<unsigned>(capacity) * sizeof(Itvl))));
    s->rc = 0;
    s->capacity = capacity;
    s->size = 0;
    return s;
}

Box::Store* Box::Store::Copy(const Store& s) {
    Store* copy = New(s.size);
    for (int i = 0; i < s.size; ++i) {
        new (Items(copy) + i) Itvl(Items(&s)[i]);
    }
    copy->size = s.size;
    return copy;
}

void Box::Store::Free(Store* s) {
    SAL_Interface::LocFree(s);
}

Box::Box(int dimension) {
    Reserve(dimension);
}

Box& Box::operator=(Box&& other) noexcept {
    if (this != &other) {
        store_ = std::move(other.store_);
        dimension_ = std::exchange(other.dimension_, -1);
    }
    return *this;
}

// Makes the array private with room for at least capacity components, keeping
// the components below the current dimension.
void Box::Own(int capacity) {
    const Store* old = store_.Get();
    if (old != nullptr && !store_.IsShared() && old->capacity >= capacity) {
        return;
    }
    Store* s = Store::New(capacity);
    for (int i = 0; i < dimension_ && i < capacity; ++i) {
        new (Items(s) + i) Itvl(Items(old)[i]);
        s->size = i + 1;
    }
    store_.Reset(s);
}

Iv_Itvl<double>& Box::At(int i) {
    assert(0 <= i && i < dimension_);
    return Items(store_.Write())[i];
}

void Box::Reserve(int n) {
    assert(n >= -1);
    dimension_ = 0;  // nothing to keep
    Resize(n);
}

void Box::Resize(int n) {
    assert(n >= -1);
    if (n <= 0) {
        store_.Reset();
        dimension_ = n;
        return;
    }
    if (n <= dimension_) {
        dimension_ = n;  // shrinking writes nothing, so a shared array stays shared
        return;
    }
    const Store* s = store_.Get();
    int capacity = n;
    if (s != nullptr && !store_.IsShared() && n > s->capacity) {
        // Growing a private array: double it, so a list grown one component at a
        // time is copied only a logarithmic number of times.
        capacity = s->capacity < INT_MAX / 2 && n < 2 * s->capacity ? 2 * s->capacity : n;
    }
    Own(capacity);
    Store* own = store_.Write();
    const int from = dimension_ < 0 ? 0 : dimension_;
    for (int i = from; i < n; ++i) {
        new (Items(own) + i) Itvl();
    }
    if (own->size < n) {
        own->size = n;
    }
    dimension_ = n;
}

void Box::MakeEmpty() {
    store_.Reset();
    dimension_ = -1;
}

double Box::Volume() const {
    if (dimension_ < 1) {
        return 1.0;
    }
    const Itvl* items = Items(store_.Get());
    double volume = 1.0;
    for (int i = 0; i < dimension_; ++i) {
        volume = MulUpZ(volume, Width(items[i]));
    }
    return volume;
}

Box Box::Detach() const {
    Box copy;
    copy.store_ = store_.Detach();
    copy.dimension_ = dimension_;
    return copy;
}

bool IsSubBox(const Box& inner, const Box& outer) {
    if (inner.IsEmpty() || outer.IsEmpty() || inner.Dimension() != outer.Dimension()) {
        return false;
    }
    for (int i = 0; i < inner.Dimension(); ++i) {
        if (!IsSubset(inner[i], outer[i])) {
            return false;
        }
    }
    return true;
}

bool operator==(const Box& a, const Box& b) {
    if (a.Dimension() != b.Dimension()) {
        return false;
    }
    for (int i = 0; i < a.Dimension(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

Ex_Expr BoxToExpr(const Box& box, const FormatSet* formats) {
    const int n = box.Dimension() < 0 ? 0 : box.Dimension();
    Ex_Expr list = MakeList(n);
    for (int i = 0; i < n; ++i) {
        list.SetArg(i, IntervalToExpr(box[i], formats));
    }
    return list;
}

bool ExprToBox(const Ex_Expr& e, Box& box) {
    Ex_Expr x = e;
    x.Force();
    if (!x.IsList()) {
        return false;
    }
    Box result(x.Arity());
    for (int i = 0; i < x.Arity(); ++i) {
        Itvl c;
        if (!ExprToInterval(x.Arg(i), c) || !IsBoxComponent(c)) {
            return false;
        }
        result.Set(i, c);
    }
    box = result;
    return true;
}

bool ExprToBoxDomain(const Ex_Expr& e, Box& outer, Box& inner) {
    Ex_Expr x = e;
    x.Force();
    if (!x.IsList()) {
        return false;
    }
    Box result(x.Arity());
    Box within(x.Arity());
    for (int i = 0; i < x.Arity(); ++i) {
        Itvl c;
        Itvl d;
        if (!ExprToIntervalDomain(x.Arg(i), c, d) || !IsBoxComponent(c)) {
            return false;
        }
        result.Set(i, c);
        within.Set(i, d);
    }
    outer = result;
    inner = within;
    return true;
}
