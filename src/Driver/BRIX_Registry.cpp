#include "Driver/BRIX_Registry.h"

#include "Driver/BRIX_Context.h"

#include "System/SAL.h"

#include <cassert>
#include <cstdlib>

namespace {

const bool defaultFlags[BRIX_FlagCount] = {
    false,  // 0 TraceTopLevel
    true,   // 1 MergeUnknownBoxes
    true,   // 2
    true,   // 3 SimplifyConstraint
    false,  // 4 PrintSimplified
    false,  // 5 TraceFunctionInversion
    true,   // 6
    false,  // 7 EliminateLinearVariables
    true,   // 8 PushQuantifiersInside
    false,  // 9 SaveDisjunctiveQuantifiers
    false,  // 10 SaveDisjunctiveConnectives
    false,  // 11 PropagateNarrowingBelowThreshold
    true,   // 12 SingleUpDownNarrowing
    true,   // 13 ShortcutQuantifiers
    true,   // 14 ShortcutConnectives
    true,   // 15 UseContinuity
    true,   // 16 RemoveEmptyBranches
    true,   // 17 StartWithUpNarrowing
    false,  // 18 CheckMarksBeforeRecursion
};

const char* const flagDescriptions[BRIX_FlagCount] = {
    "Tracing for top evaluation level. [false]",
    "Merge adjacent unknown boxes. [true]",
    "",
    "Simplify constraint before approximation. [true]",
    "Print simplified constraint before approximation. [false]",
    "Tracing for top-level function inversion quantifier. [false]",
    "",
    "Eliminate linear variables. [false]",
    "Push quantifiers inside. [true]",
    "Save disjunctive information for quantifiers. [false]",
    "Save disjunctive information for connectives. [false]",
    "Propagate narrowing below threshold. [false]",
    "Single up/down narrowing. [true]",
    "Shortcut evalution for quantifiers. [true]",
    "Shortcut evalution for connectives. [true]",
    "Use continuity information. [true]",
    "Remove empty disjunctive branches. [true]",
    "Start with up-narrowing. [true]",
    "Check marks befure recursive calls. [false]",
};

const double defaultParams[BRIX_ParamCount] = {
    0.1,   // 0 ZeroExpansionRatio
    0.01,  // 1 ZeroRelativeError
    0.5,   // 2 BisectionThreshold
    1,     // 3 RangeMethod
    1,     // 4 EvalToUnivMethod
    0,     // 5 RefinementTimeout
    1,     // 6 QuantifierWidthFraction
    0,     // 7
    0,     // 8
    0,     // 9
    0,     // 10
    1,     // 11 SplitVariableMethod
    0,     // 12 StackChoiceByVolume
    1,     // 13 StackChoiceByTruth
    0,     // 14 StackChoiceFreeVarTruth
    0.1,   // 15 InversionRefineFraction
    2,     // 16 InversionHeuristic
    1,     // 17 MonotonicityPruning
    0,     // 18 StackTieBreak
    0,     // 19 BooleanSubconstraintChoice
    0,     // 20 BranchingMethod
    2,     // 21 LeanNarrowing
    1,     // 22 InflateTightening
    1,     // 23 BranchingStrategy
    0,     // 24 Sampling
    0,     // 25 CountWitnessBoxes
};

const char* const paramDescriptions[BRIX_ParamCount] = {
    "Ratio of expansion of exact zeros. [0.1]",
    "Relative approximation error of zeros. [0.01]",
    "Relative threshold for bisection. [0.5]",
    "Method for range computation. [1]",
    "Method for `EvalToUniv'. [1]",
    "Timeout in secs for constraint refinement. [0.0]",
    "Width fraction per quantifier for variable choice. [1.0]",
    "",
    "",
    "",
    "",
    "Method for choosing split variable. (0= up, 1= down, 2= widest). [1]",
    "Stack choice by volume (0=no, 1=yes). [0]",
    "Stack choice by degree of truth (0= no, 1=maximal, 2=rej.ind., 3=w. max, 4=w. "
    "rej.ind.). [1]",
    "Stack choice by deg. of truth for free var. (0=no, 1=min. abs., 2= av. abs., 3=max. abs., "
    "4=w. min. abs., 5=w. max. abs ). [0]",
    "Fraction threshold for refinement in function inversion quantifiers. [0.1]",
    "Heuristics value for function inversion quantifiers. (0=no, 1=union, 2=weighted union) [2]",
    "Use of monotonicity information for pruning (0=no, 1=yes/Horner, 2=yes/BicenteredHorner) "
    "[1]",
    "Stack choice tie breaking (0=newer, 1=older). [0]",
    "Boolean subconstraint choice (0=least often with empty truth val., 1=0 + zero in gradient "
    "set) [0]",
    "Branching (0=bisection, 1=symmetric trisection, 2=asymmetric trisection) [0]",
    "Lean narrowing (0=no, 1=FOC-3, 2=FOC-3-dual) [2]",
    "Inflate Tightening Results (0=no, 1=by canonical interval, 2=10%) [1]",
    "Branching Strategy (0=static, 1=dynamic, 2=parallel/maxVol 3=parallel/maxLen) [1]",
    "Sampling (0=no, otherwise sample number)",
    "Counting boxes with witness as known (0=no, 1=only hyperwitnesses, 2=yes) [0]",
};

const char* NullWhenEmpty(const char* text) {
    return text[0] == '\0' ? nullptr : text;
}

// Appends one listing line per described entry: "  " index " ... " text.
void AppendEntries(std::string& out, const char* const* descriptions, int count) {
    for (int i = 0; i < count; ++i) {
        if (descriptions[i][0] != '\0') {
            out += "  " + std::to_string(i) + " ... " + descriptions[i] + "\n";
        }
    }
}

// The index as read, taken as unsigned: negative numbers wrap to huge values
// and so fail the bound check like any other out-of-range index. The check is
// made on the full long so that a large number cannot wrap onto a valid index.
bool ValidIndex(long index, int count) {
    return static_cast<unsigned long>(index) < static_cast<unsigned long>(count);
}

}  // namespace

const char BRIX_FlagArgumentsMissing[] =
    "Warning: Insufficient number of arguments for `-f'.  Flag not set.\n";
const char BRIX_ParamArgumentsMissing[] =
    "Warning: Insufficient number of arguments for `-p'.  Parameter not set.\n";

void BRIX_SetFlag(int index, bool value) {
    assert(index >= 0 && index < BRIX_FlagCount);
    BRIX_CurrentContext().tuning.flags[index] = value;
}

bool BRIX_GetFlag(int index) {
    assert(index >= 0 && index < BRIX_FlagCount);
    return BRIX_CurrentContext().tuning.flags[index];
}

bool BRIX_DefaultFlag(int index) {
    assert(index >= 0 && index < BRIX_FlagCount);
    return defaultFlags[index];
}

const char* BRIX_FlagDescription(int index) {
    assert(index >= 0 && index < BRIX_FlagCount);
    return NullWhenEmpty(flagDescriptions[index]);
}

void BRIX_SetParam(int index, double value) {
    assert(index >= 0 && index < BRIX_ParamCount);
    BRIX_CurrentContext().tuning.params[index] = value;
}

double BRIX_GetParam(int index) {
    assert(index >= 0 && index < BRIX_ParamCount);
    return BRIX_CurrentContext().tuning.params[index];
}

double BRIX_DefaultParam(int index) {
    assert(index >= 0 && index < BRIX_ParamCount);
    return defaultParams[index];
}

const char* BRIX_ParamDescription(int index) {
    assert(index >= 0 && index < BRIX_ParamCount);
    return NullWhenEmpty(paramDescriptions[index]);
}

bool BRIX_ReadInteger(const char* text, long& value) {
    char* end = nullptr;
    const long read = std::strtol(text, &end, 10);
    if (end == text) {
        return false;
    }
    value = read;
    return true;
}

bool BRIX_ReadDouble(const char* text, double& value) {
    // strtod rounds in the current mode; a typed number means the double
    // nearest its literal, whatever mode an interval operation left behind.
    SAL_Interface::SetRounding(SAL_RoundNearest);
    char* end = nullptr;
    const double read = std::strtod(text, &end);
    if (end == text) {
        return false;
    }
    value = read;
    return true;
}

std::string BRIX_FlagOption(const char* flag, const char* value) {
    long index = 0;
    long setting = 0;
    if (!BRIX_ReadInteger(flag, index) || !BRIX_ReadInteger(value, setting)) {
        return std::string("Warning: Parse error for `-f ") + flag + " " + value +
               "'.  Flag not set.\n";
    }
    if (!ValidIndex(index, BRIX_FlagCount)) {
        return "Warning: Invalid flag value for `-f " + std::to_string(index) + " " + value +
               "'.  Flag not set.\n";
    }
    BRIX_SetFlag(static_cast<int>(index), setting != 0);
    return "";
}

std::string BRIX_ParamOption(const char* param, const char* value) {
    long index = 0;
    double setting = 0;
    // Both are read before either is judged, so the mode is nearest on every path.
    const bool indexRead = BRIX_ReadInteger(param, index);
    const bool settingRead = BRIX_ReadDouble(value, setting);
    if (!indexRead || !settingRead) {
        return std::string("Warning: Parse error for `-p ") + param + " " + value +
               "'.  Parameter not set.\n";
    }
    if (!ValidIndex(index, BRIX_ParamCount)) {
        return "Warning: Invalid flag value for `-p " + std::to_string(index) + " " + value +
               "'.  Parameter not set.\n";
    }
    BRIX_SetParam(static_cast<int>(index), setting);
    return "";
}

std::string BRIX_RegistryListing() {
    std::string out = "\n  FLAG settings:\n";
    AppendEntries(out, flagDescriptions, BRIX_FlagCount);
    out += "\n  PARAM settings:\n";
    AppendEntries(out, paramDescriptions, BRIX_ParamCount);
    return out;
}
