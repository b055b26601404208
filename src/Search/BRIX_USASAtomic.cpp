#include "Search/BRIX_USASAtomic.h"

#include "Constraint/BRIX_Atomic.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_ContinuityInfo.h"

namespace {

// Marks are 32-bit masks: variables beyond 31 have no bit.
constexpr int maskBits = 32;

std::uint32_t Bit(int var) {
    return var >= 0 && var < maskBits ? std::uint32_t{1} << var : 0;
}

}  // namespace

BRIX_USASAtomic::BRIX_USASAtomic(const BRIX_Constraint* constraint) : constraint(constraint) {
    splitCursor = BRIX_RoundedParam(BRIX_Param::SplitVariableMethod) == 1 ? -1 : 0;
}

void BRIX_USASAtomic::CopyAtomicFrom(const BRIX_USASAtomic& other) {
    CopyBaseFrom(other);
    for (int d = 0; d < 2; ++d) {
        lowerMarks[d] = other.lowerMarks[d];
        upperMarks[d] = other.upperMarks[d];
        variableMarks[d] = other.variableMarks[d];
    }
    wholeTested = other.wholeTested;
    wholeTruth = other.wholeTruth;
    splitCursor = other.splitCursor;
    constraint = other.constraint;
}

BRIX_USAS* BRIX_USASAtomic::Clone() {
    auto* copy = new BRIX_USASAtomic(constraint);
    copy->CopyAtomicFrom(*this);
    return copy;
}

void BRIX_USASAtomic::Print(int indent) const {
    Ex_OutputStream& out = Ex_StdOut();
    Indent(out, indent);
    out << "Atomic: " << Identity(this) << " " << splitCursor << " " << variableMarks[1] << " "
        << variableMarks[0] << " ";
    ContinuityInfo marks;
    if (constraint != nullptr) {
        // The node's ContinuityMarks only reads the marks of the state.
        marks = const_cast<BRIX_Constraint*>(constraint)
                    ->ContinuityMarks(const_cast<BRIX_USASAtomic*>(this));
    }
    marks.Print(out);
    out << "\n";
}

int BRIX_USASAtomic::MarkedVariableCount() const {
    if (constraint == nullptr || constraint->Kind() != BRIX_KindAtomic) {
        return 0;
    }
    int n = constraint->NumberOfVariables();
    return n < maskBits ? n : maskBits;
}

bool BRIX_USASAtomic::AllMarked(bool up) const {
    if (constraint != nullptr && constraint->Kind() == BRIX_KindConstant) {
        return false;
    }
    int n = MarkedVariableCount();
    std::uint32_t all = n == maskBits ? ~std::uint32_t{0} : (std::uint32_t{1} << n) - 1;
    return (variableMarks[up ? 1 : 0] & all) == all;
}

bool BRIX_USASAtomic::AllMarkedExcept(bool up, int var) const {
    if (!AllMarked(up)) {
        return false;
    }
    int d = up ? 1 : 0;
    int n = MarkedVariableCount();
    for (int v = 0; v < n; ++v) {
        if (v == var || ((lowerMarks[d] | upperMarks[d]) & Bit(var)) == 0) {
            return false;
        }
    }
    return true;
}

void BRIX_USASAtomic::ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) {
    if (lowerChanged) {
        lowerMarks[0] &= ~Bit(var);
        lowerMarks[1] &= ~Bit(var);
    }
    if (upperChanged) {
        upperMarks[0] &= ~Bit(var);
        upperMarks[1] &= ~Bit(var);
    }
    int n = MarkedVariableCount();
    if (n == 0) {
        return;  // a constant or a box holder has no variables
    }
    const auto& atomic = static_cast<const BRIX_Atomic&>(*constraint);
    if (var >= 0 && var < n && atomic.HasVariable(var)) {
        wholeTested &= ~(std::uint32_t{1} << (up ? 1 : 0));
        wholeTruth = 0;
    }
    for (int v = 0; v < n; ++v) {
        if (atomic.HasVariable(v)) {
            variableMarks[up ? 1 : 0] &= ~Bit(v);
        }
    }
}
