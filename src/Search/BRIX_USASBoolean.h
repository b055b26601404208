// The state of a connective: one child state per operand, in operand order.
// A child may be null: that operand's branch was removed as empty and is no
// longer consulted.
#ifndef BRIX_SEARCH_BRIX_USASBOOLEAN_H
#define BRIX_SEARCH_BRIX_USASBOOLEAN_H

#include "Interval/Iv_Box.h"
#include "Search/BRIX_ClaimRegion.h"
#include "Search/BRIX_USAS.h"

#include <vector>

class BRIX_Constraint;

class BRIX_USASBoolean : public BRIX_USAS {
public:
    // No children yet; polarity +1 for a disjunction, -1 for a conjunction.
    explicit BRIX_USASBoolean(int polarity) : polarity(polarity) {}
    // Destroys every non-null child.
    ~BRIX_USASBoolean() override;

    int Kind() const override { return BRIX_USASKindBoolean; }
    // New: value, masks, cursor, polarity, savedBoxes and the claim regions
    // copied; every non-null child replaced by its Clone, null children stay
    // null.
    [[nodiscard]] BRIX_USAS* Clone() override;
    // Consumes *this (and every child).
    void Destroy() override { delete this; }
    // "Boolean: " identity value, then each child with indent + 2 ("Child i
    // empty" for a null one).
    void Print(int indent) const override;
    // Advances cursor to the next non-null child (wrapping) and hands it the
    // step. False, cursor unchanged, when every child is null: no step taken.
    bool RefineStatic(int varOffset, int var) override;
    bool RefineDynamic(bool force) override;
    // The step on every non-null child; true when any took one.
    bool RefineParallel(int varOffset, int var) override;
    bool IsStore() const override { return false; }
    // Conjunction up / disjunction down (the children's marks must all hold):
    // every non-null child marked; otherwise some non-null child marked.
    bool AllMarked(bool up) const override;
    // Every non-null child.
    bool AllMarkedExcept(bool up, int var) const override;
    // Passed to every non-null child.
    void ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) override;

    int ChildCount() const { return static_cast<int>(children.size()); }
    // Child i (0 <= i < ChildCount()), still owned here; may be null.
    BRIX_USAS* Child(int i) const { return children[static_cast<std::size_t>(i)]; }
    // Destroys child i and stores null in its place.
    void RemoveChild(int i);
    // Consumes child (may be null): appended as the last child.
    void AddChild(BRIX_USAS* child) { children.push_back(child); }
    // One child per operand of node (borrowed; a connective, Kind 3), each
    // CreateUsas(operand, false); cursor -1, polarity from the connective.
    // False when an operand's state cannot be made (the children made so far
    // stay owned here).
    bool InitFrom(const BRIX_Constraint& node);

    std::vector<BRIX_USAS*> children;  // owned; entries may be null
    std::vector<Box> savedBoxes;       // copied with the state; not filled by narrowing
    // Per child, the boxes it was narrowed to (where its continuity marks
    // hold), and the box the connective's last narrowing ended with.
    std::vector<BRIX_ClaimRegion> claims;
    Box lastBox;
    int cursor = -1;  // the child that took the last step
    int polarity;     // +1 disjunction, -1 conjunction

protected:
    // Deep copy of other's fields into this childless state.
    void CloneBooleanFrom(const BRIX_USASBoolean& other);
    // Takes over other's fields into this childless state; other keeps no child.
    void TakeBooleanFrom(BRIX_USASBoolean& other);

private:
    // The next non-null child after cursor (wrapping), made the cursor; null
    // when there is none.
    BRIX_USAS* AdvanceCursor();
};

#endif
