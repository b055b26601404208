#include "Constraint/BRIX_TruthValue.h"

#include "Expr/Ex_Convert.h"

TruthValue Not(TruthValue a) {
    std::uint32_t b = a.Bits();
    return TruthValue::FromBits(((b & 1u) << 1) | ((b & 2u) >> 1));
}

TruthValue And(TruthValue a, TruthValue b) {
    std::uint32_t x = a.Bits();
    std::uint32_t y = b.Bits();
    return TruthValue::FromBits((x & y & 1u) | ((x | y) & 2u));
}

TruthValue Or(TruthValue a, TruthValue b) {
    std::uint32_t x = a.Bits();
    std::uint32_t y = b.Bits();
    return TruthValue::FromBits(((x | y) & 1u) | (x & y & 2u));
}

TruthValue Implies(TruthValue a, TruthValue b) {
    return Or(Not(a), b);
}

TruthValue Equivalence(TruthValue a, TruthValue b) {
    return And(Implies(a, b), Implies(b, a));
}

TruthValue Union(TruthValue a, TruthValue b) {
    return TruthValue::FromBits(a.Bits() | b.Bits());
}

TruthValue Intersection(TruthValue a, TruthValue b) {
    return TruthValue::FromBits(a.Bits() & b.Bits());
}

TruthValue Difference(TruthValue a, TruthValue b) {
    return TruthValue::FromBits(a.Bits() & ~b.Bits());
}

Ex_Expr TruthToExpr(TruthValue value) {
    Ex_Expr list = MakeList((value.CertainlyTrue() ? 1 : 0) + (value.CertainlyFalse() ? 1 : 0));
    int i = 0;
    if (value.CertainlyTrue()) {
        list.SetArg(i++, BoolToExpr(true));
    }
    if (value.CertainlyFalse()) {
        list.SetArg(i, BoolToExpr(false));
    }
    return list;
}
