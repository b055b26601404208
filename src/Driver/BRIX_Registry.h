// The tuning registry: 19 Boolean flags and 26 double parameters, each
// addressed by a small index and carrying a one-line description whose
// bracketed tail names its default.
//
// The defaults are fixed. The values in force belong to the calling thread's
// solver context (Driver/BRIX_Context.h): the command line sets them in the
// program's context ("-f FLAG VAL", "-p PARAM VAL"), a solver in its own.
#ifndef BRIX_DRIVER_BRIX_REGISTRY_H
#define BRIX_DRIVER_BRIX_REGISTRY_H

#include <string>

constexpr int BRIX_FlagCount = 19;
constexpr int BRIX_ParamCount = 26;

// Flag indices. Flags 2 and 6 have no name and no description.
namespace BRIX_Flag {
enum Index : int {
    TraceTopLevel = 0,
    MergeUnknownBoxes = 1,
    SimplifyConstraint = 3,
    PrintSimplified = 4,
    TraceFunctionInversion = 5,
    EliminateLinearVariables = 7,
    PushQuantifiersInside = 8,
    SaveDisjunctiveQuantifiers = 9,
    SaveDisjunctiveConnectives = 10,
    PropagateNarrowingBelowThreshold = 11,
    SingleUpDownNarrowing = 12,
    ShortcutQuantifiers = 13,
    ShortcutConnectives = 14,
    UseContinuity = 15,
    RemoveEmptyBranches = 16,
    StartWithUpNarrowing = 17,
    CheckMarksBeforeRecursion = 18,
};
}  // namespace BRIX_Flag

// Parameter indices. Parameters 7 to 10 have no name and no description.
// Parameters that select a method or count are stored as doubles too; each
// reader rounds them as it needs.
namespace BRIX_Param {
enum Index : int {
    ZeroExpansionRatio = 0,
    ZeroRelativeError = 1,
    BisectionThreshold = 2,
    RangeMethod = 3,
    EvalToUnivMethod = 4,
    RefinementTimeout = 5,
    QuantifierWidthFraction = 6,
    SplitVariableMethod = 11,
    StackChoiceByVolume = 12,
    StackChoiceByTruth = 13,
    StackChoiceFreeVarTruth = 14,
    InversionRefineFraction = 15,
    InversionHeuristic = 16,
    MonotonicityPruning = 17,
    StackTieBreak = 18,
    BooleanSubconstraintChoice = 19,
    BranchingMethod = 20,
    LeanNarrowing = 21,
    InflateTightening = 22,
    BranchingStrategy = 23,
    Sampling = 24,
    CountWitnessBoxes = 25,
};
}  // namespace BRIX_Param

// Accessors of the current context's values and of the defaults. Requires
// 0 <= index < BRIX_FlagCount (BRIX_ParamCount).
void BRIX_SetFlag(int index, bool value);
bool BRIX_GetFlag(int index);
bool BRIX_DefaultFlag(int index);
// The description text, or null for an entry without one.
const char* BRIX_FlagDescription(int index);

void BRIX_SetParam(int index, double value);
double BRIX_GetParam(int index);
double BRIX_DefaultParam(int index);
// The description text, or null for an entry without one.
const char* BRIX_ParamDescription(int index);

// Reads a base-10 integer the way strtol does (leading blanks and a sign
// allowed, trailing characters ignored, out-of-range values clamped to the
// long range). False, value untouched, when no digit could be read.
bool BRIX_ReadInteger(const char* text, long& value);

// Reads a double the way strtod does, rounded to the nearest double whatever
// rounding mode was set before. False, value untouched, when nothing could be
// read. Rounding: leaves the mode at nearest.
bool BRIX_ReadDouble(const char* text, double& value);

// "-f FLAG VAL" with the two argument texts as typed: sets flag FLAG to
// VAL != 0. Returns the warning to print, or "" when the flag was set; on a
// warning the registry is unchanged.
std::string BRIX_FlagOption(const char* flag, const char* value);

// "-p PARAM VAL" with the two argument texts as typed: sets parameter PARAM
// to VAL. Returns the warning to print, or "" when the parameter was set.
// Rounding: leaves the mode at nearest.
std::string BRIX_ParamOption(const char* param, const char* value);

// Warnings for "-f" and "-p" followed by fewer than two arguments.
extern const char BRIX_FlagArgumentsMissing[];
extern const char BRIX_ParamArgumentsMissing[];

// The listing of every described flag and parameter that follows the option
// lines of the usage text.
std::string BRIX_RegistryListing();

#endif
