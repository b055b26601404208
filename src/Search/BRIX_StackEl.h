// Stack elements: a part of a quantifier's box whose truth is still open,
// together with the state of the quantified sub-constraint on that box.
//
// Each concrete element derives from BRIX_StackEl (first base) and from one
// state class (second base), so that the element IS the state of the
// sub-constraint on its box: State() returns the element itself, seen as a
// state. The two bases declare Destroy, Clone and Print with the same
// signatures; each concrete class has one overrider for both:
// - Destroy() frees the whole element exactly once, whichever base it is
//   called through; `delete` through either base pointer does the same.
// - Clone() copies the whole element (covariant for both bases), so Clone()
//   of an element's State() is an element too.
// - Print() writes the box line, then the state part.
// An element does not own `next`: the list that holds it does.
#ifndef BRIX_SEARCH_BRIX_STACKEL_H
#define BRIX_SEARCH_BRIX_STACKEL_H

#include "Interval/Iv_Box.h"
#include "Search/BRIX_ClaimRegion.h"
#include "Search/BRIX_ContinuityInfo.h"
#include "Search/BRIX_USASAtomic.h"
#include "Search/BRIX_USASBoolean.h"
#include "Search/BRIX_USASQuantified.h"

#include <cstddef>
#include <utility>

class BRIX_StackEl {
public:
    BRIX_StackEl(const BRIX_StackEl&) = delete;
    BRIX_StackEl& operator=(const BRIX_StackEl&) = delete;

    // Releases the box and the continuity lists (the state part releases its own).
    virtual ~BRIX_StackEl() = default;
    // Consumes *this: frees the whole element. It must not be in a list.
    virtual void Destroy() = 0;
    // New: an element of the same class with box, depth, continuity and the
    // narrowed flags copied and the state part deep-copied as the state's
    // Clone does. splitMark becomes 0 in both; the copy's next is null.
    [[nodiscard]] virtual BRIX_StackEl* Clone() = 0;
    // New: the state part of a new element with default fields (empty box)
    // whose state is a deep copy of this element's state. The caller owns the
    // returned state; its Destroy frees that whole element.
    [[nodiscard]] virtual BRIX_USAS* CloneState() = 0;
    // The element's own state part (not a separate object; owned by the element).
    virtual BRIX_USAS* State() = 0;
    virtual const BRIX_USAS* State() const = 0;
    // indent spaces, the box, "\n", then the state's Print(indent).
    virtual void Print(int indent) const = 0;

    // Elements come from the system layer's local allocator.
    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    Box box;                    // free variables of the quantifier, then its bound ones
    int splitMark = 0;          // 1 + the variable last split on; 0 when none
    int depth = 0;              // splits from the quantifier's first element
    ContinuityInfo continuity;  // maintained by the quantifier's ContinuityMarks
    // The state changed (narrowed, refined inside) since continuity was
    // computed; the top quantifier computes it again only then.
    bool continuityStale = true;
    bool upNarrowed = false;    // narrowed up since the last split
    bool downNarrowed = false;  // narrowed down since the last split
    // No variable of the quantifier can be split any more (precision ran
    // out): the element stays open and is never chosen for a split again.
    bool exhausted = false;
    // The last box (free and bound part) on which the quantifier's narrowing
    // looked for a witness at the ends of the bound intervals, in vain.
    Box endsTried;
    // The last box w on which the quantifier's narrowing dived for a point
    // witness inside the bound box, in vain (not copied to the parts of a
    // split: their boxes differ).
    Box pointTried;
    // The free boxes the state was narrowed to: where its continuity marks
    // hold (kept by the parts of a split, whose marks come from here).
    BRIX_ClaimRegion claims;
    BRIX_StackEl* next = nullptr;  // following element of the list (not owned)

protected:
    explicit BRIX_StackEl(Box box) : box(std::move(box)) {}
    // Copies box, depth, continuity, the narrowed flags, exhausted,
    // endsTried and claims of other; splitMark becomes 0 here and in other;
    // next stays null.
    void CopyElementFrom(BRIX_StackEl& other);
    // Writes the box line of Print.
    void PrintBox(int indent) const;
};

class BRIX_StackElAtomic final : public BRIX_StackEl, public BRIX_USASAtomic {
public:
    // constraint is borrowed (null for a box holder).
    BRIX_StackElAtomic(Box box, const BRIX_Constraint* constraint)
        : BRIX_StackEl(std::move(box)), BRIX_USASAtomic(constraint) {}
    ~BRIX_StackElAtomic() override = default;

    void Destroy() override { delete this; }
    [[nodiscard]] BRIX_StackElAtomic* Clone() override;
    [[nodiscard]] BRIX_USAS* CloneState() override;
    BRIX_USAS* State() override { return this; }
    const BRIX_USAS* State() const override { return this; }
    void Print(int indent) const override;
    // Consumes state (an atomic state): this element takes over its fields.
    void TakeStateFrom(BRIX_USASAtomic* state);

    // Both bases declare these; the element names its own (local allocator).
    static void* operator new(std::size_t size);
    static void operator delete(void* block);
};

class BRIX_StackElBoolean final : public BRIX_StackEl, public BRIX_USASBoolean {
public:
    BRIX_StackElBoolean(Box box, int polarity)
        : BRIX_StackEl(std::move(box)), BRIX_USASBoolean(polarity) {}
    ~BRIX_StackElBoolean() override = default;

    void Destroy() override { delete this; }
    [[nodiscard]] BRIX_StackElBoolean* Clone() override;
    [[nodiscard]] BRIX_USAS* CloneState() override;
    BRIX_USAS* State() override { return this; }
    const BRIX_USAS* State() const override { return this; }
    void Print(int indent) const override;
    // Consumes state (a Boolean state): this element takes over its fields.
    void TakeStateFrom(BRIX_USASBoolean* state);

    // Both bases declare these; the element names its own (local allocator).
    static void* operator new(std::size_t size);
    static void operator delete(void* block);
};

class BRIX_StackElQuantified final : public BRIX_StackEl, public BRIX_USASQuantified {
public:
    BRIX_StackElQuantified(Box box, int polarity, int boundCount)
        : BRIX_StackEl(std::move(box)), BRIX_USASQuantified(polarity, boundCount) {}
    ~BRIX_StackElQuantified() override = default;

    void Destroy() override { delete this; }
    [[nodiscard]] BRIX_StackElQuantified* Clone() override;
    [[nodiscard]] BRIX_USAS* CloneState() override;
    BRIX_USAS* State() override { return this; }
    const BRIX_USAS* State() const override { return this; }
    void Print(int indent) const override;
    // Consumes state (a quantified state or store): this element takes over
    // its fields and stack; a store's box lists are destroyed with it.
    void TakeStateFrom(BRIX_USASQuantified* state);

    // Both bases declare these; the element names its own (local allocator).
    static void* operator new(std::size_t size);
    static void operator delete(void* block);
};

// New: the element for box over node (borrowed) by the node's Kind(): constant
// or atomic -> BRIX_StackElAtomic; quantified -> BRIX_StackElQuantified set up
// as CreateUsas sets up a quantified state (with its own first element);
// connective -> BRIX_StackElBoolean with a CreateUsas(operand, false) child per
// operand; negation -> the element of the negated operand. Null for a null
// node, an unknown kind, or a node with such a part below it.
[[nodiscard]] BRIX_StackEl* CreateStackEl(const Box& box, const BRIX_Constraint* node);

// New: an element for box of the class matching state->Kind() whose state part
// takes over the fields of state. Consumes state (freed, whatever the result).
// Null for a null state or a kind other than 1, 2, 3.
[[nodiscard]] BRIX_StackEl* CreateStackElFor(const Box& box, BRIX_USAS* state);

// New to the caller: unlinks and returns the element with the largest bound
// volume (the product of the widths of the last boundCount components, the
// dimension taken from the first element); among equal volumes the one nearest
// the top. Exhausted elements are passed over. The caller owns it until it
// goes back into a list (Push, Branch). Null for a stack without an element
// to choose. Borrows state.
[[nodiscard]] BRIX_StackEl* ChooseElement(BRIX_USASQuantified* state);

// Splits element on variable var by the method of parameter 20
// (BranchingMethod, rounded): 0 bisection, 1 symmetric trisection, 2 asymmetric
// trisection; the parts are pushed onto the front of state's stack. Consumes
// element (not in a list); borrows state. Returns true when the stack changed.
// - Cut points that do not fall strictly inside component var: the element
//   is split on the next bound variable of the quantifier (cyclically after
//   var) whose component can still be cut. When none can, the element is
//   marked exhausted and goes back onto the stack, BRIX_PrecisionLost records
//   the loss, and the result is false.
// - An element already exhausted goes back onto the stack (false).
// - A component var that is empty (the box holds no point): the element's box
//   is made empty and the element pushed back (true: the next narrowing
//   removes it).
// - var outside the box, or another method: the element is pushed back
//   unchanged (false).
bool Branch(BRIX_USASQuantified* state, BRIX_StackEl* element, int var);

#endif
