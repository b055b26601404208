#include "Constraint/BRIX_AtomicPoly.h"

#include "Constraint/BRIX_Constant.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_Narrowing.h"
#include "Search/BRIX_USASAtomic.h"

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>

namespace {

using Itvl = Iv_Itvl<double>;

// Marks are 32-bit masks: variables beyond 31 have no bit and are never narrowed.
constexpr int maskBits = 32;

std::uint32_t Bit(int var) {
    return var >= 0 && var < maskBits ? std::uint32_t{1} << var : 0;
}

}  // namespace

BRIX_AtomicPoly::BRIX_AtomicPoly(DistPoly poly, std::vector<int> variables, int relation,
                                 std::vector<int> varMap, const Iv_Itvl<double>& rhs)
    : BRIX_Atomic(relation, rhs, static_cast<int>(variables.size())),
      poly(std::move(poly)),
      varMap(std::move(varMap)),
      variables(std::move(variables)) {
    PrepareDerived();
}

void BRIX_AtomicPoly::PrepareDerived() {
    univData = UnivData();
    if (BRIX_RoundedParam(BRIX_Param::EvalToUnivMethod) != 0) {
        PrepareUnivData(poly, univData);
    }
    work = Box(poly.VariableCount());
}

BRIX_Constraint* BRIX_AtomicPoly::Copy() const {
    auto* copy = new BRIX_AtomicPoly(poly, variables, relation, varMap, rhs);
    copy->traceFlag = traceFlag;
    return copy;
}

bool BRIX_AtomicPoly::IsConsistent() const {
    const auto n = static_cast<std::size_t>(numberOfVariables);
    if (numberOfVariables < 0 || varMap.size() != n || variables.size() != n) {
        return false;
    }
    const int k = poly.VariableCount();
    std::vector<bool> seen(static_cast<std::size_t>(k), false);
    for (int m : varMap) {
        if (m < -1 || m >= k) {
            return false;
        }
        if (m >= 0) {
            seen[static_cast<std::size_t>(m)] = true;
        }
    }
    for (bool s : seen) {
        if (!s) {
            return false;
        }
    }
    return true;
}

bool BRIX_AtomicPoly::HasVariable(int var) const {
    return var >= 0 && var < static_cast<int>(varMap.size()) && varMap[var] >= 0;
}

int BRIX_AtomicPoly::Degree(int var) const {
    return HasVariable(var) ? poly.Degree(varMap[var]) : 0;
}

BRIX_Constraint* BRIX_AtomicPoly::SimplifyNode() {
    if (poly.TotalDegree() != 0 || IsInfOrNaN(rhs.lo) || IsInfOrNaN(rhs.hi)) {
        return this;
    }
    auto* constant = new BRIX_Constant(ConstantTest(poly, relation), numberOfVariables);
    constant->traceFlag = traceFlag;
    delete this;
    return constant;
}

void BRIX_AtomicPoly::RemoveVariable(int var) {
    assert(var >= 0 && var < numberOfVariables);
    const int pv = varMap[var];
    if (pv >= 0) {
        poly = poly.SubstituteVariable(pv, Itvl(0.0));
        for (int& m : varMap) {
            if (m > pv) {
                --m;
            }
        }
        PrepareDerived();
    }
    varMap.erase(varMap.begin() + var);
    variables.erase(variables.begin() + var);
    --numberOfVariables;
}

void BRIX_AtomicPoly::Print(Ex_OutputStream& out, const BRIX_Names* names) const {
    const int k = poly.VariableCount();
    out << "NumberOfVariables(f) = " << k << "\n";
    // The name of each polynomial variable: through varMap and variables.
    std::vector<std::string> polyNames(static_cast<std::size_t>(k));
    for (int j = 0; j < k; ++j) {
        polyNames[j] = "x" + std::to_string(j);
    }
    if (names != nullptr) {
        for (std::size_t i = 0; i < varMap.size() && i < variables.size(); ++i) {
            const int j = varMap[i];
            const int scoped = variables[i];
            if (j >= 0 && j < k && scoped >= 0 && scoped < static_cast<int>(names->size())) {
                polyNames[j] = (*names)[scoped];
            }
        }
    }
    if (poly.TermCount() == 0) {
        out << Itvl(0.0);
    }
    for (int t = 0; t < poly.TermCount(); ++t) {
        if (t > 0) {
            out << " + ";
        }
        out << poly.Coefficient(t);
        for (int j = 0; j < k; ++j) {
            const int e = poly.Exponent(t, j);
            if (e > 0) {
                out << " * " << polyNames[j].c_str();
            }
            if (e > 1) {
                out << "^" << e;
            }
        }
    }
    out << "\n" << RelationText(relation) << rhs << "\n";
}

void BRIX_AtomicPoly::Restrict(const Box& box, Box& restricted) const {
    const int k = poly.VariableCount();
    if (restricted.Dimension() != k) {
        restricted = Box(k);
    }
    for (std::size_t i = 0; i < varMap.size() && static_cast<int>(i) < box.Dimension(); ++i) {
        if (varMap[i] >= 0) {
            restricted.At(varMap[i]) = box[static_cast<int>(i)];
        }
    }
}

void BRIX_AtomicPoly::NarrowConstant(Box& box, bool up) const {
    // Up removes the points where the relation certainly fails, down those
    // where it certainly holds; an empty or NaN constant decides nothing.
    const TruthValue truth = ConstantTest(poly.ConstantValue(), relation);
    if (up ? truth.CertainlyFalse() : truth.CertainlyTrue()) {
        box.MakeEmpty();
    }
}

bool BRIX_AtomicPoly::Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter, bool& complete) {
    complete = true;
    if (poly.VariableCount() == 0) {
        NarrowConstant(box, up);
        return false;
    }
    if (usas == nullptr) {  // no state to keep the marks in: a throwaway one
        BRIX_USASAtomic local(this);
        return Narrow(&local, box, up, ResultPainter(), complete);
    }
    assert(usas->Kind() == BRIX_USASKindAtomic);
    auto& state = static_cast<BRIX_USASAtomic&>(*usas);
    const int n = Min(numberOfVariables, maskBits);
    const int d = up ? 1 : 0;
    std::uint32_t absent = 0;
    for (int i = 0; i < n; ++i) {
        if (varMap[i] < 0) {
            absent |= Bit(i);
        }
    }
    state.variableMarks[0] |= absent;
    state.variableMarks[1] |= absent;
    int cursor = 0;
    for (int i = 0; i < n; ++i) {
        if ((state.variableMarks[d] & Bit(i)) == 0) {
            cursor = i;
            break;
        }
    }
    if (!box.IsEmpty()) {
        Restrict(box, work);
    }
    const bool lean = BRIX_RoundedParam(BRIX_Param::LeanNarrowing) >= 2;
    bool moved = false;  // some interval of the box was replaced
    while (n > 0 && (state.variableMarks[d] & Bit(cursor)) == 0) {
        bool exact = true;  // an empty box counts as exact
        if (!box.IsEmpty() && NarrowOne(state, box, cursor, up, exact, moved)) {
            // A real improvement: every variable of p must be narrowed again.
            state.variableMarks[0] = absent;
            state.variableMarks[1] = absent;
        }
        state.variableMarks[d] |= Bit(cursor);
        if (exact && lean) {
            state.variableMarks[1 - d] |= Bit(cursor);
        } else {
            state.variableMarks[1 - d] &= ~Bit(cursor);
        }
        for (int j = 1; j <= n; ++j) {
            const int next = (cursor + j) % n;
            if ((state.variableMarks[d] & Bit(next)) == 0) {
                cursor = next;
                break;
            }
        }
    }
    if (moved) {
        state.wholeTested = 0;
    }
    TestWholeBox(state, box, up);
    return false;
}

void BRIX_AtomicPoly::TestWholeBox(BRIX_USASAtomic& state, Box& box, bool up) {
    const std::uint32_t bit = std::uint32_t{1} << (up ? 1 : 0);
    if (box.IsEmpty() || (state.wholeTested & bit) != 0) {
        return;
    }
    // Narrowing one variable at a time cannot remove a box on which p touches
    // 0 only where the relation allows it (x <= 1 at x = 1, y^2 <= y at both
    // ends): every end is kept as a possible root. The range of p over the
    // whole box decides such boxes; a zero of p counts as true for <=, >= and
    // = and as false for <, > and !=.
    Restrict(box, work);
    const TruthValue truth = ConstantTest(TightRange(poly, work), relation);
    state.wholeTruth = (truth.CertainlyTrue() ? 1u : 0u) | (truth.CertainlyFalse() ? 2u : 0u);
    if (up ? truth.CertainlyFalse() : truth.CertainlyTrue()) {
        box.MakeEmpty();
    } else {
        state.wholeTested |= bit;
    }
}

bool BRIX_AtomicPoly::NarrowOne(BRIX_USASAtomic& state, Box& box, int v, bool up, bool& exact,
                                bool& moved) {
    const int pv = varMap[v];
    const Itvl current = box[v];
    const bool equation = relation == BRIX_Equal || relation == BRIX_NotEqual;
    if (equation && up != (relation == BRIX_Equal)) {
        // = down and != up: the points where p = 0 (or p != 0) certainly
        // holds cannot be told from an enclosure of p; nothing is removed.
        exact = false;
        return false;
    }
    Itvl I;
    if (equation) {  // keep where p <= 0 might hold, then where p >= 0 might
        // The bound marks of an equation record the sign of p at the ends,
        // zero included: p >= 0 (first pass) and p <= 0 (second pass) at two
        // points put a root between them. For != (which holds where p is not
        // 0) only a strict sign tells that it holds.
        const std::uint32_t bit = Bit(v);
        const bool closed = relation == BRIX_Equal;
        const NarrowResult first = NarrowVariable(poly, BRIX_LessEqual, work, pv, univData);
        state.lowerMarks[1] |= (closed ? first.lowerSign : first.lowerMoved) ? bit : 0;
        state.upperMarks[1] |= (closed ? first.upperSign : first.upperMoved) ? bit : 0;
        I = first.interval;
        exact = first.exact;
        if (!I.IsEmpty()) {
            work.At(pv) = I;
            const NarrowResult second = NarrowVariable(poly, BRIX_GreaterEqual, work, pv, univData);
            work.At(pv) = current;
            state.lowerMarks[0] |= (closed ? second.lowerSign : second.lowerMoved) ? bit : 0;
            state.upperMarks[0] |= (closed ? second.upperSign : second.upperMoved) ? bit : 0;
            I = second.interval;
            exact = exact && second.exact;
        }
    } else {
        // Down removes the points where the relation certainly holds, that
        // is where its negation certainly fails: p = 0 goes with <= and >=.
        const int code = up ? relation : NegatedRelation(relation);
        const NarrowResult result = NarrowVariable(poly, code, work, pv, univData);
        I = result.interval;
        exact = result.exact;
    }
    // An emptied interval is always applied, also from a point interval.
    const bool significant = I.IsEmpty() || Width(I) < 0.9 * Width(current);
    if (significant ||
        (BRIX_GetFlag(BRIX_Flag::PropagateNarrowingBelowThreshold) && I != current)) {
        if (I.IsEmpty()) {
            box.MakeEmpty();
        } else if (I != current) {
            box.At(v) = I;
            work.At(pv) = I;
            moved = true;
        }
    }
    return significant;
}

bool BRIX_AtomicPoly::Sample(BRIX_USAS*, Box box, int) {
    if (box.IsEmpty()) {
        return false;
    }
    Itvl range;
    if (poly.VariableCount() == 0) {
        range = poly.ConstantValue();
    } else {
        Box restricted;
        Restrict(box, restricted);
        range = Range(poly, restricted);
    }
    if (IsNaN(range.lo) || IsNaN(range.hi)) {
        return false;
    }
    switch (relation) {
        case BRIX_Less:
            return range.hi < 0;
        case BRIX_LessEqual:
            return range.hi <= 0;
        case BRIX_Greater:
            return range.lo > 0;
        case BRIX_GreaterEqual:
            return range.lo >= 0;
        case BRIX_Equal:
            return range.lo == 0 && range.hi == 0;
        case BRIX_NotEqual:
            return range.lo > 0 || range.hi < 0;
        default:
            return false;
    }
}

ContinuityInfo BRIX_AtomicPoly::ContinuityMarks(BRIX_USAS* usas) {
    ContinuityInfo info;
    if (!BRIX_GetFlag(BRIX_Flag::UseContinuity) || usas == nullptr ||
        usas->Kind() != BRIX_USASKindAtomic) {
        return info;
    }
    const auto& state = static_cast<const BRIX_USASAtomic&>(*usas);
    // Decided on the whole box the last narrowing saw.
    if ((state.wholeTruth & 1u) != 0) {
        info.trueSets.Append(0);
    }
    if ((state.wholeTruth & 2u) != 0) {
        info.falseSets.Append(0);
    }
    // For =, the first pass found p >= 0 at an end of variable i, the second
    // p <= 0 at an end, for all values of the other variables; what narrowing
    // removed since holds no root, so p = 0 somewhere along i in the box. For
    // != the signs are strict: p != 0 at an end.
    const std::uint32_t both =
        (state.lowerMarks[1] | state.upperMarks[1]) & (state.lowerMarks[0] | state.upperMarks[0]);
    const int n = Min(numberOfVariables, maskBits);
    for (int i = 0; i < n; ++i) {
        if ((both & Bit(i)) != 0) {
            info.UnionWith(ContinuityInfo(i));
        }
    }
    return info;
}

void BRIX_AtomicPoly::Substitute(int var, double value, BRIX_Constraint*& result,
                                 TruthValue& constant) {
    const int pv = HasVariable(var) ? varMap[var] : -1;
    DistPoly substituted = pv >= 0 ? poly.SubstituteVariable(pv, Itvl(value)) : poly;
    if (substituted.TotalDegree() == 0) {
        result = nullptr;
        constant = ConstantTest(substituted, relation);
        return;
    }
    std::vector<int> map = varMap;
    if (pv >= 0) {
        map[var] = -1;
        for (int& m : map) {
            if (m > pv) {
                --m;
            }
        }
    }
    result = new BRIX_AtomicPoly(std::move(substituted), variables, relation, std::move(map), rhs);
}
