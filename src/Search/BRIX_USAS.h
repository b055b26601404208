// Approximation states: what the search has learnt about one node of the
// constraint tree on the boxes it works on.
//
// The states form a tree that mirrors the constraint tree: a connective's
// state holds one state per operand (BRIX_USASBoolean), a quantifier's state a
// stack of boxes still open, each with a state of the quantified sub-constraint
// (BRIX_USASQuantified, BRIX_StackEl), an atomic constraint's state the
// fixpoint marks of narrowing (BRIX_USASAtomic). A negation has no state of its
// own: the state of its operand stands for it.
//
// Ownership: a state is owned by exactly one parent (a Boolean state, a stack
// element, or the driver) and owns its children and stack elements. Destroy()
// frees the state and everything it owns; `delete` through a BRIX_USAS*
// does the same (the destructors release what they own), so a
// std::unique_ptr works too. States are made by CreateUsas and copied with
// Clone; they are never copied by value.
#ifndef BRIX_SEARCH_BRIX_USAS_H
#define BRIX_SEARCH_BRIX_USAS_H

#include "Interval/Iv_Itvl.h"

#include <cstddef>
#include <cstdint>

class BRIX_Constraint;
class Ex_OutputStream;

// Kind codes of states (the same codes as the constraint kinds).
enum {
    BRIX_USASKindAtomic = 1,
    BRIX_USASKindQuantified = 2,
    BRIX_USASKindBoolean = 3,
};

class BRIX_USAS {
public:
    BRIX_USAS(const BRIX_USAS&) = delete;
    BRIX_USAS& operator=(const BRIX_USAS&) = delete;

    // Releases everything the state owns (children, stack elements).
    virtual ~BRIX_USAS() = default;
    // 1 atomic, 2 quantified, 3 Boolean.
    virtual int Kind() const = 0;
    // New: a deep copy. Not const: copying stack elements resets their
    // splitMark in the original too.
    [[nodiscard]] virtual BRIX_USAS* Clone() = 0;
    // Consumes *this: frees the state and everything it owns.
    virtual void Destroy() = 0;
    // Writes the state tree to the standard output stream, each line starting
    // with indent spaces (nested parts indented further).
    virtual void Print(int indent) const = 0;
    // One refinement step under the static strategy: split variable var (a
    // variable index counted over all quantifier levels) where it belongs to
    // this level, varOffset being the number of variables of the enclosing
    // levels. False when no step could be taken.
    virtual bool RefineStatic(int varOffset, int var) = 0;
    // One refinement step under the dynamic strategy; force splits the chosen
    // element on its first bound variable even where splitting is not due.
    virtual bool RefineDynamic(bool force) = 0;
    // One refinement step under the parallel strategies (parameter 23 = 2, 3).
    virtual bool RefineParallel(int varOffset, int var) = 0;
    // True only for the store of the top quantifier.
    virtual bool IsStore() const = 0;
    // The narrowing fixpoint marks of this subtree are all set for the
    // direction (up true: up-narrowing).
    virtual bool AllMarked(bool up) const = 0;
    virtual bool AllMarkedExcept(bool up, int var) const = 0;
    // Invalidates marks of the direction after the lower and/or upper bound of
    // variable var moved.
    virtual void ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) = 0;

    // States come from the system layer's local allocator.
    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    Iv_Itvl<double> value = Iv_Itvl<double>::Entire();
    std::uint32_t setA = 0;
    std::uint32_t setB = 0;

protected:
    BRIX_USAS() = default;
    // Copies value, setA and setB.
    void CopyBaseFrom(const BRIX_USAS& other) {
        value = other.value;
        setA = other.setA;
        setB = other.setB;
    }
    // indent spaces on the standard output stream.
    static void Indent(Ex_OutputStream& out, int indent);
    // The object's address as an integer: the identity printed by Print.
    static unsigned long Identity(const void* object);
};

// New: the state for node (borrowed; the state keeps pointers into the tree,
// which must outlive it), chosen by the node's Kind(): constant or atomic ->
// BRIX_USASAtomic; quantified -> BRIX_USASQuantified with one stack element
// covering the quantifier's box, or a BRIX_USASQuantifiedStore when the node has
// no free variables and storeAllowed is true; connective -> BRIX_USASBoolean
// with one child per operand; negation -> the state of the negated operand.
// Null for a null node, an unknown kind, or a node with such a part below it.
// Free it with Destroy().
[[nodiscard]] BRIX_USAS* CreateUsas(const BRIX_Constraint* node, bool storeAllowed);

// Parameter index of the registry rounded to the nearest integer (halves away
// from zero, whatever the rounding mode); INT_MIN for NaN and for values
// outside the int range, which select no method.
int BRIX_RoundedParam(int index);

// The node whose state stands for node: a negation has no state of its own,
// so a chain of negations ends at its operand (borrowed; null for null).
const BRIX_Constraint* StateNode(const BRIX_Constraint* node);

#endif
