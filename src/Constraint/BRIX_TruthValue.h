// The truth value of a constraint on a set of points, as a set of two facts:
// bit 0 "certainly true" and bit 1 "certainly false", kept in the two low bits
// of a 32-bit word. 0 is unknown, 1 true, 2 false, 3 both (a contradiction,
// e.g. on an empty set of points).
#ifndef BRIX_CONSTRAINT_BRIX_TRUTHVALUE_H
#define BRIX_CONSTRAINT_BRIX_TRUTHVALUE_H

#include "Expr/Ex_Expr.h"

#include <cstdint>

class TruthValue {
public:
    // Unknown.
    TruthValue() = default;
    // Bit 0 = certainlyTrue, bit 1 = not possiblyTrue.
    TruthValue(bool possiblyTrue, bool certainlyTrue)
        : bits((certainlyTrue ? 1u : 0u) | (possiblyTrue ? 0u : 2u)) {}

    // Only the two low bits of bits are kept.
    static TruthValue FromBits(std::uint32_t bits) { return TruthValue(bits & 3u); }
    static TruthValue True() { return TruthValue(1u); }
    static TruthValue False() { return TruthValue(2u); }
    static TruthValue Unknown() { return TruthValue(0u); }
    static TruthValue Both() { return TruthValue(3u); }

    std::uint32_t Bits() const { return bits; }
    bool CertainlyTrue() const { return (bits & 1u) != 0; }
    bool CertainlyFalse() const { return (bits & 2u) != 0; }
    // Exactly true (certainly true and not certainly false), exactly false.
    bool IsTrue() const { return bits == 1u; }
    bool IsFalse() const { return bits == 2u; }
    bool IsUnknown() const { return bits == 0u; }

private:
    explicit TruthValue(std::uint32_t bits) : bits(bits) {}

    std::uint32_t bits = 0;
};

inline bool operator==(TruthValue a, TruthValue b) {
    return a.Bits() == b.Bits();
}
inline bool operator!=(TruthValue a, TruthValue b) {
    return a.Bits() != b.Bits();
}

// Exchanges the two facts: true and false trade places, unknown and both stay.
TruthValue Not(TruthValue a);
// Certainly true when both are, certainly false when either is.
TruthValue And(TruthValue a, TruthValue b);
// Certainly true when either is, certainly false when both are.
TruthValue Or(TruthValue a, TruthValue b);
// Or(Not(a), b).
TruthValue Implies(TruthValue a, TruthValue b);
// And(Implies(a, b), Implies(b, a)).
TruthValue Equivalence(TruthValue a, TruthValue b);

// The values as plain sets of the two facts.
TruthValue Union(TruthValue a, TruthValue b);
TruthValue Intersection(TruthValue a, TruthValue b);
// The facts of a that b does not hold.
TruthValue Difference(TruthValue a, TruthValue b);

// A list with one Boolean per fact: true for bit 0 first, then false for bit 1.
// True prints as "[ true ]", unknown as "[  ]".
Ex_Expr TruthToExpr(TruthValue value);

#endif
