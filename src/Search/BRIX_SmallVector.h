// A vector of trivially copyable values that keeps its first N elements inside
// the object: the univariate polynomials and root lists of a narrowing step
// hold a handful of terms, and allocating them cost more than the step's
// arithmetic. Beyond N elements it moves to the heap and behaves as usual.
#ifndef BRIX_SEARCH_BRIX_SMALLVECTOR_H
#define BRIX_SEARCH_BRIX_SMALLVECTOR_H

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <type_traits>

template <class T, int N>
class SmallVector {
    static_assert(std::is_trivially_copyable<T>::value, "values are copied bytewise");
    static_assert(N > 0, "room for at least one value inside");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;
    using size_type = std::size_t;

    SmallVector() = default;
    SmallVector(std::initializer_list<T> values) {
        reserve(values.size());
        for (const T& v : values) {
            push_back(v);
        }
    }
    SmallVector(size_type n, const T& value) { assign(n, value); }
    SmallVector(const SmallVector& other) { CopyFrom(other); }
    SmallVector(SmallVector&& other) noexcept { MoveFrom(other); }
    SmallVector& operator=(const SmallVector& other) {
        if (this != &other) {
            size_ = 0;
            CopyFrom(other);
        }
        return *this;
    }
    SmallVector& operator=(SmallVector&& other) noexcept {
        if (this != &other) {
            heap_.reset();
            data_ = inline_;
            capacity_ = N;
            size_ = 0;
            MoveFrom(other);
        }
        return *this;
    }
    ~SmallVector() = default;

    size_type size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](size_type i) {
        assert(i < size_);
        return data_[i];
    }
    const T& operator[](size_type i) const {
        assert(i < size_);
        return data_[i];
    }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }

    void reserve(size_type n) {
        if (n <= capacity_) {
            return;
        }
        std::unique_ptr<T[]> grown(new T[n]);
        if (size_ > 0) {
            std::memcpy(static_cast<void*>(grown.get()), data_, size_ * sizeof(T));
        }
        heap_ = std::move(grown);
        data_ = heap_.get();
        capacity_ = n;
    }
    void push_back(const T& value) {
        if (size_ == capacity_) {
            const T copy = value;  // value may live in this vector
            reserve(2 * capacity_);
            data_[size_++] = copy;
            return;
        }
        data_[size_++] = value;
    }
    void pop_back() {
        assert(size_ > 0);
        --size_;
    }
    void clear() { size_ = 0; }
    void assign(size_type n, const T& value) {
        const T copy = value;
        size_ = 0;
        reserve(n);
        std::fill(data_, data_ + n, copy);
        size_ = n;
    }

    friend bool operator==(const SmallVector& a, const SmallVector& b) {
        return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator!=(const SmallVector& a, const SmallVector& b) { return !(a == b); }

private:
    void CopyFrom(const SmallVector& other) {
        reserve(other.size_);
        if (other.size_ > 0) {
            std::memcpy(static_cast<void*>(data_), other.data_, other.size_ * sizeof(T));
        }
        size_ = other.size_;
    }
    // Takes other's heap array when it has one, copies the inline values
    // otherwise; other is left empty.
    void MoveFrom(SmallVector& other) {
        if (other.heap_) {
            heap_ = std::move(other.heap_);
            data_ = heap_.get();
            capacity_ = other.capacity_;
            size_ = other.size_;
        } else {
            CopyFrom(other);
        }
        other.data_ = other.inline_;
        other.capacity_ = N;
        other.size_ = 0;
    }

    T inline_[N];
    std::unique_ptr<T[]> heap_;
    T* data_ = inline_;
    size_type size_ = 0;
    size_type capacity_ = N;
};

#endif
