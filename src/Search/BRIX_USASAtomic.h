// The state of an atomic constraint (or a constant): the fixpoint marks of
// narrowing, one set per direction. Also the plain box holder of the store's
// true and false lists (no constraint).
#ifndef BRIX_SEARCH_BRIX_USASATOMIC_H
#define BRIX_SEARCH_BRIX_USASATOMIC_H

#include "Search/BRIX_USAS.h"

#include <cstdint>

class BRIX_USASAtomic : public BRIX_USAS {
public:
    // constraint is borrowed (null for a box holder); splitCursor is taken
    // from parameter 11 (SplitVariableMethod): 0 for 0, -1 for 1, else 0.
    explicit BRIX_USASAtomic(const BRIX_Constraint* constraint);
    ~BRIX_USASAtomic() override = default;

    int Kind() const override { return BRIX_USASKindAtomic; }
    // New: a copy of every field (the same constraint pointer).
    [[nodiscard]] BRIX_USAS* Clone() override;
    // Consumes *this.
    void Destroy() override { delete this; }
    // "Atomic: " identity, splitCursor, the done marks of direction 1 and 0,
    // the node's continuity marks on this state.
    void Print(int indent) const override;
    // An atomic state has nothing to split.
    bool RefineStatic(int, int) override { return false; }
    bool RefineDynamic(bool) override { return false; }
    bool RefineParallel(int, int) override { return false; }
    bool IsStore() const override { return false; }
    // Every variable 0 .. NumberOfVariables()-1 of the constraint is done for
    // the direction. A constant keeps no marks: never all marked, so it is
    // always narrowed (cheap and idempotent). A box holder: true.
    bool AllMarked(bool up) const override;
    // AllMarked(up), and for every variable v of the constraint: v != var and
    // bit var is set in lowerMarks or upperMarks of the direction.
    bool AllMarkedExcept(bool up, int var) const override;
    // lowerChanged clears bit var in both lowerMarks, upperChanged in both
    // upperMarks; then every variable the constraint has loses its done mark
    // for the direction, and when var is one of them, so does the whole-box
    // test.
    void ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) override;

    // Marks indexed by direction: [0] down-narrowing, [1] up-narrowing.
    // Bit v of lowerMarks (upperMarks), written by the two passes of an
    // equation ([1] the first, [0] the second): for = the sign of p at the
    // lower (upper) end of variable v is known for every value of the others
    // (p >= 0 for [1], p <= 0 for [0]); for != the bound moved. Bit v of
    // variableMarks: narrowing has reached its fixpoint for v.
    std::uint32_t lowerMarks[2] = {0, 0};
    std::uint32_t upperMarks[2] = {0, 0};
    std::uint32_t variableMarks[2] = {0, 0};
    // Bit d (d as above): the whole-box test of direction d failed on the box
    // the constraint saw last, and no bound of its variables has moved since.
    std::uint32_t wholeTested = 0;
    // What the last whole-box test proved on the box it saw (which holds on
    // every box inside it): bit 0 the relation holds everywhere, bit 1 it
    // fails everywhere. Cleared when a bound of its variables moves.
    std::uint32_t wholeTruth = 0;
    int splitCursor = 0;                          // only printed
    const BRIX_Constraint* constraint = nullptr;  // borrowed; null for a box holder

protected:
    // Copies every field of other into this state.
    void CopyAtomicFrom(const BRIX_USASAtomic& other);
    // Number of variables the marks cover (0 for a constant or a box holder).
    int MarkedVariableCount() const;
};

#endif
