// Deferred conversion of typed values into expression trees.
#ifndef BRIX_EXPR_EX_LAZY_H
#define BRIX_EXPR_EX_LAZY_H

#include "Expr/Ex_Expr.h"
#include "System/SAL.h"

#include <cstddef>
#include <cstring>

class FormatSet;

// A value that becomes a tree when first inspected.
class Ex_FutureBase {
public:
    Ex_FutureBase() = default;
    Ex_FutureBase(const Ex_FutureBase&) = delete;
    Ex_FutureBase& operator=(const Ex_FutureBase&) = delete;
    virtual ~Ex_FutureBase() = default;
    virtual Ex_Expr Evaluate() = 0;

    static void* operator new(std::size_t size) { return SAL_Interface::LocMalloc(size); }
    static void operator delete(void* block) { SAL_Interface::LocFree(block); }
};

// A copy of a T and the conversion that turns it into a tree with the format
// set of the stream that made it (borrowed: it must outlive the cell).
template <class T>
class LazyConvert : public Ex_FutureBase {
public:
    using Converter = void (*)(Ex_Expr& result, const T* value, const FormatSet* formats);
    LazyConvert(const T& value, Converter convert, const FormatSet* formats)
        : value(value), convert(convert), formats(formats) {}
    Ex_Expr Evaluate() override {
        Ex_Expr result;
        convert(result, &value, formats);
        return result;
    }

    T value;
    Converter convert;
    const FormatSet* formats;
};

// Strings are copied, so the cell does not depend on the caller's buffer.
template <>
class LazyConvert<char*> : public Ex_FutureBase {
public:
    using Converter = void (*)(Ex_Expr& result, char* const* value, const FormatSet* formats);
    LazyConvert(const char* text, Converter convert, const FormatSet* formats)
        : value(Copy(text)), convert(convert), formats(formats) {}
    ~LazyConvert() override { SAL_Interface::LocFree(value); }
    Ex_Expr Evaluate() override {
        Ex_Expr result;
        convert(result, &value, formats);
        return result;
    }

    char* value;
    Converter convert;
    const FormatSet* formats;

private:
    static char* Copy(const char* text) {
        std::size_t n = std::strlen(text) + 1;
        char* copy = static_cast<char*>(SAL_Interface::LocMalloc(static_cast<unsigned>(n)));
        std::memcpy(copy, text, n);
        return copy;
    }
};

template <class T, class Value>
Ex_Expr MakeLazy(const Value& value, typename LazyConvert<T>::Converter convert,
                 const FormatSet* formats) {
    return MakeLazyFrom(new LazyConvert<T>(value, convert, formats));
}

#endif
