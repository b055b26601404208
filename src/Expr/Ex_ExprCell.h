// The cell classes behind Ex_Expr. Normal and List cells keep their argument
// handles inline, in the same allocation as the cell.
#ifndef BRIX_EXPR_EX_EXPRCELL_H
#define BRIX_EXPR_EX_EXPRCELL_H

#include "Expr/Ex_Expr.h"

#include <cstddef>

class Ex_ExprCell {
public:
    enum { Normal = 0, Neutral = 1, List = 2, Lazy = 3 };

    Ex_ExprCell(const Ex_ExprCell&) = delete;
    Ex_ExprCell& operator=(const Ex_ExprCell&) = delete;
    virtual ~Ex_ExprCell() = default;
    virtual int Kind() const = 0;
    // Bytes the cell occupies, inline slots and head text included.
    virtual int Size() const = 0;

    // Cells come from the system layer's local allocator, with room for
    // `slots` inline handles after the object.
    static void* operator new(std::size_t size, int slots);
    static void operator delete(void* block);
    static void operator delete(void* block, int slots);

    // The store protocol of SAL_Shared: a deep copy (new; a Lazy cell is
    // copied as the tree it evaluates to) and the deletion at count 0.
    static Ex_ExprCell* Copy(const Ex_ExprCell& cell);
    static void Free(Ex_ExprCell* cell);

    unsigned rc = 0;
    unsigned count = 0;

protected:
    Ex_ExprCell() = default;
};

class Ex_ExprCellNormal final : public Ex_ExprCell {
public:
    // Copies head; `count` null argument slots follow the object.
    Ex_ExprCellNormal(const char* head, int count);
    ~Ex_ExprCellNormal() override;
    int Kind() const override { return Normal; }
    int Size() const override;
    Ex_Expr* Slots() { return reinterpret_cast<Ex_Expr*>(this + 1); }
    const Ex_Expr* Slots() const { return reinterpret_cast<const Ex_Expr*>(this + 1); }

    char* head;
    int quoted = 0;
};

class Ex_ExprCellNeutral final : public Ex_ExprCell {
public:
    int Kind() const override { return Neutral; }
    int Size() const override { return static_cast<int>(sizeof(Ex_ExprCellNeutral)); }
};

class Ex_ExprCellList final : public Ex_ExprCell {
public:
    explicit Ex_ExprCellList(int count);
    ~Ex_ExprCellList() override;
    int Kind() const override { return List; }
    int Size() const override;
    Ex_Expr* Slots() { return reinterpret_cast<Ex_Expr*>(this + 1); }
    const Ex_Expr* Slots() const { return reinterpret_cast<const Ex_Expr*>(this + 1); }

    const Ex_Format* format;
};

class Ex_ExprCellLazy final : public Ex_ExprCell {
public:
    explicit Ex_ExprCellLazy(Ex_FutureBase* future) : future(future) {}  // owns future
    ~Ex_ExprCellLazy() override;
    int Kind() const override { return Lazy; }
    int Size() const override { return static_cast<int>(sizeof(Ex_ExprCellLazy)); }

    Ex_FutureBase* future;
};

static_assert(sizeof(Ex_ExprCellNormal) % alignof(Ex_Expr) == 0, "inline slots misaligned");
static_assert(sizeof(Ex_ExprCellList) % alignof(Ex_Expr) == 0, "inline slots misaligned");

#endif
