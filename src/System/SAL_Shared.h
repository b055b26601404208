// A handle to a reference-counted store: copies of the handle share the store,
// a writer first gets a private copy when the store is shared (copy on write),
// and Detach() makes a deep copy that shares nothing.
//
// Threads: the counts are the plain counters of SAL_System (IncRC, DecRC), not
// atomic. A store and every handle to it belong to one solver thread. Data
// going to another thread is detached first, and only the detached copy
// crosses; the sending thread keeps no handle to it.
//
// The store type S provides:
//   unsigned rc;                  the count, read and changed by the handles only
//   static S* Copy(const S& s);   new: a fresh store (count 0) with s's contents
//                                 that shares nothing with s
//   static void Free(S* s);       destroys a store whose count has reached 0
// Copy is instantiated only by Write() and Detach().
#ifndef BRIX_SYSTEM_SAL_SHARED_H
#define BRIX_SYSTEM_SAL_SHARED_H

#include "System/SAL.h"

template <class S>
class SAL_Shared {
public:
    // No store.
    SAL_Shared() = default;
    // Holds fresh, a store nobody counts yet (count 0), or null; consumes it.
    explicit SAL_Shared(S* fresh) : store_(fresh) { Retain(store_); }
    SAL_Shared(const SAL_Shared& other) : store_(other.store_) { Retain(store_); }
    SAL_Shared(SAL_Shared&& other) noexcept : store_(other.store_) { other.store_ = nullptr; }
    SAL_Shared& operator=(const SAL_Shared& other) {
        Retain(other.store_);  // first, so self-assignment keeps the store
        Release(store_);
        store_ = other.store_;
        return *this;
    }
    SAL_Shared& operator=(SAL_Shared&& other) noexcept {
        if (this != &other) {
            Release(store_);
            store_ = other.store_;
            other.store_ = nullptr;
        }
        return *this;
    }
    ~SAL_Shared() { Release(store_); }

    bool IsNull() const { return store_ == nullptr; }
    // Whether another handle holds the store too.
    bool IsShared() const { return store_ != nullptr && store_->rc > 1; }

    // The store for reading (borrowed; null without one).
    const S* Get() const { return store_; }
    // The store for writing (borrowed; null without one): a shared store is
    // first replaced by a private copy, which the other holders never see.
    S* Write() {
        if (IsShared()) {
            Reset(S::Copy(*store_));
        }
        return store_;
    }
    // The store as it is, shared or not (borrowed). Only for stores written
    // while they are fresh (a builder filling its new cell) and for holders
    // that pass the store on for reading.
    S* Raw() const { return store_; }

    // Holds fresh (count 0; consumes it) or null instead of the current store.
    void Reset(S* fresh = nullptr) {
        Retain(fresh);
        Release(store_);
        store_ = fresh;
    }

    // A handle to a deep copy that shares nothing with this one (null without
    // a store): the way to hand the data to another thread.
    SAL_Shared Detach() const { return SAL_Shared(store_ != nullptr ? S::Copy(*store_) : nullptr); }

private:
    static void Retain(S* s) {
        if (s != nullptr) {
            SAL_System::IncRC(&s->rc);
        }
    }
    static void Release(S* s) {
        if (s != nullptr && SAL_System::DecRC(&s->rc)) {
            S::Free(s);
        }
    }

    S* store_ = nullptr;
};

#endif
