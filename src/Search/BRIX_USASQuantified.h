// The state of a quantifier: a stack of elements (BRIX_StackEl), each a part of
// the quantifier's box whose truth is still open together with the state of
// the quantified sub-constraint on it. The store of the top quantifier also
// keeps the boxes already proved true and false.
//
// Lists are singly linked through the elements' `next` field, headed by
// `stack`, `trueBoxes` and `falseBoxes`; walk them as
//   for (BRIX_StackEl* e = state->stack; e != nullptr; e = e->next) ...
// The state owns every element of its lists.
#ifndef BRIX_SEARCH_BRIX_USASQUANTIFIED_H
#define BRIX_SEARCH_BRIX_USASQUANTIFIED_H

#include "Interval/Iv_Box.h"
#include "Search/BRIX_USAS.h"

#include <vector>

class BRIX_Quantified;
class BRIX_StackEl;

class BRIX_USASQuantified : public BRIX_USAS {
public:
    // An empty stack; maySplit set.
    BRIX_USASQuantified(int polarity, int boundCount)
        : polarity(polarity), boundCount(boundCount) {}
    // Destroys every stack element.
    ~BRIX_USASQuantified() override;

    int Kind() const override { return BRIX_USASKindQuantified; }
    // New: a plain quantified state (a store is copied without its box lists)
    // holding a Clone of every element in reverse order. The elements copied
    // get splitMark 0, as their copies do.
    [[nodiscard]] BRIX_USAS* Clone() override;
    // Consumes *this (and every element).
    void Destroy() override { delete this; }
    // "Quantified: " identity value, then every element with indent + 2.
    void Print(int indent) const override;
    bool RefineStatic(int varOffset, int var) override;
    bool RefineDynamic(bool force) override;
    bool RefineParallel(int varOffset, int var) override;
    bool IsStore() const override { return false; }
    // Every element's state is marked (an empty stack: true).
    bool AllMarked(bool up) const override;
    bool AllMarkedExcept(bool up, int var) const override;
    // Passed to every element's state.
    void ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) override;

    // Unlinks and destroys every element whose box is empty, keeping the order
    // of the others.
    void RemoveEmptyElements();
    // Consumes element (not in any list): pushed onto the front of the stack.
    void Push(BRIX_StackEl* element);
    // Number of elements in the stack.
    int StackSize() const;
    // boundCount, polarity and maySplit from node (borrowed), and the first
    // element: a box whose components for the node's free variables are
    // [-inf, +inf], followed by the node's bound box, with a fresh state of the
    // quantified sub-constraint. False when that state cannot be made (the
    // stack then stays empty).
    bool InitFrom(const BRIX_Quantified& node);

    // Whether some bound component of e is wider than twice freeWidth (or
    // of no finite width).
    bool WiderThanFree(const BRIX_StackEl& e) const;
    // With nothing left to split at this level: the step on the state of
    // each exhausted element in turn, until one takes it (deeper levels may
    // still split). Step is bool(BRIX_USAS*).
    template <class Step>
    bool RefineBelowExhausted(Step step);

    // Destroys every element of the list headed by head and leaves it empty.
    // Iterative, so long lists do not deepen the call stack.
    static void DestroyList(BRIX_StackEl*& head);

    int polarity;                   // node's Polarity(): +1 EXISTS, -1 FORALL, 0 top
    int boundCount;                 // variables bound by the quantifier
    BRIX_StackEl* stack = nullptr;  // owned list of open elements
    bool maySplit = true;           // false: refinement never splits these elements
    // The largest width of the free box the quantifier was last narrowed on
    // (0 without free variables). The dynamic strategy splits a bound
    // variable only while it is more than twice as wide, so that pieces stay
    // at least as wide as the free box: a bound piece much narrower than the
    // free box it must cover decides nothing more (a root of y - x for every
    // x of the free box needs a piece of y as wide), and refining it would
    // multiply the pieces of every free box.
    double freeWidth = 0;
    // Point witnesses (see the quantifier's narrowing): over free boxes the
    // tries still paid for by earlier successes; the chances passed over
    // since the last try; without free variables the dives that failed.
    int witnessCredit = 4;
    int witnessIdle = 0;
    int witnessMisses = 0;
    // The free box the quantifier's last narrowing ended with: what its
    // continuity information speaks about.
    Box lastFree;

protected:
    // Deep copy of other's fields into this state with an empty stack.
    void CloneQuantifiedFrom(const BRIX_USASQuantified& other);
    // Takes over other's fields into this state with an empty stack; other's
    // stack is left empty.
    void TakeQuantifiedFrom(BRIX_USASQuantified& other);
};

// The state of the top quantifier over the free variables: the stack holds the
// open boxes, trueBoxes and falseBoxes the boxes proved true and false (plain
// box holders: BRIX_StackElAtomic elements without a constraint).
class BRIX_USASQuantifiedStore final : public BRIX_USASQuantified {
public:
    BRIX_USASQuantifiedStore(int polarity, int boundCount)
        : BRIX_USASQuantified(polarity, boundCount) {}
    // Destroys the stack and both box lists.
    ~BRIX_USASQuantifiedStore() override;

    bool IsStore() const override { return true; }

    // Consume boxes: for each box, in order, a new box holder is pushed onto
    // the front of trueBoxes (falseBoxes). Pass with std::move to avoid a copy.
    void AddTrueBoxes(std::vector<Box> boxes);
    void AddFalseBoxes(std::vector<Box> boxes);

    BRIX_StackEl* trueBoxes = nullptr;   // owned list: proved true
    BRIX_StackEl* falseBoxes = nullptr;  // owned list: proved false
};

#endif
