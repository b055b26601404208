#include "Interval/Box.h"

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

// The array header; the components follow it in the same block.
struct Box::Store {
    unsigned rc;
    int capacity;
};

Box::Store* Box::Header() const {
    static_assert(sizeof(Store) % alignof(Itvl) == 0, "components misaligned");
    return data_ != nullptr ? reinterpret_cast<Store*>(data_) - 1 : nullptr;
}

Box::Box(int dimension) {
    Reserve(dimension);
}

Box::Box(const Box& other) : data_(other.data_), dimension_(other.dimension_) {
    if (Store* s = Header()) {
        SAL_System::IncRC(&s->rc);
    }
}

Box::Box(Box&& other) noexcept : data_(other.data_), dimension_(other.dimension_) {
    other.data_ = nullptr;
    other.dimension_ = -1;
}

Box& Box::operator=(const Box& other) {
    if (this == &other) {
        return *this;
    }
    if (Store* s = other.Header()) {
        SAL_System::IncRC(&s->rc);
    }
    Release();
    data_ = other.data_;
    dimension_ = other.dimension_;
    return *this;
}

Box& Box::operator=(Box&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        dimension_ = other.dimension_;
        other.data_ = nullptr;
        other.dimension_ = -1;
    }
    return *this;
}

Box::~Box() {
    Release();
}

void Box::Release() {
    Store* s = Header();
    if (s != nullptr && SAL_System::DecRC(&s->rc)) {
        SAL_Interface::LocFree(s);
    }
    data_ = nullptr;
}

// Makes the array private with room for at least capacity components, keeping
// the components below the current dimension.
void Box::Own(int capacity) {
    Store* old = Header();
    if (old != nullptr && old->rc == 1 && old->capacity >= capacity) {
        return;
    }
    const int limit = static_cast<int>((UINT_MAX - sizeof(Store)) / sizeof(Itvl));
    if (capacity > limit) {
        BRIX_FATAL("Box too large");
    }
    auto* s = static_cast<Store*>(SAL_Interface::LocMalloc(
        static_cast<unsigned>(sizeof(Store) + static_cast<unsigned>(capacity) * sizeof(Itvl))));
    SAL_System::InitRC(&s->rc);
    SAL_System::IncRC(&s->rc);
    s->capacity = capacity;
    auto* data = reinterpret_cast<Itvl*>(s + 1);
    for (int i = 0; i < dimension_ && i < capacity; ++i) {
        new (data + i) Itvl(data_[i]);
    }
    Release();
    data_ = data;
}

Iv_Itvl<double>& Box::At(int i) {
    assert(0 <= i && i < dimension_);
    Own(dimension_);
    return data_[i];
}

void Box::Reserve(int n) {
    assert(n >= -1);
    dimension_ = 0;  // nothing to keep
    Resize(n);
}

void Box::Resize(int n) {
    assert(n >= -1);
    if (n <= 0) {
        Release();
        dimension_ = n;
        return;
    }
    if (n <= dimension_) {
        dimension_ = n;  // shrinking writes nothing, so a shared array stays shared
        return;
    }
    const Store* s = Header();
    int capacity = n;
    if (s != nullptr && s->rc == 1 && n > s->capacity) {
        // Growing a private array: double it, so a list grown one component at a
        // time is copied only a logarithmic number of times.
        capacity = s->capacity < INT_MAX / 2 && n < 2 * s->capacity ? 2 * s->capacity : n;
    }
    Own(capacity);
    for (int i = dimension_ < 0 ? 0 : dimension_; i < n; ++i) {
        new (data_ + i) Itvl();
    }
    dimension_ = n;
}

void Box::MakeEmpty() {
    Release();
    dimension_ = -1;
}

double Box::Volume() const {
    if (dimension_ < 1) {
        return 1.0;
    }
    double volume = 1.0;
    for (int i = 0; i < dimension_; ++i) {
        volume = MulUpZ(volume, Width(data_[i]));
    }
    return volume;
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
