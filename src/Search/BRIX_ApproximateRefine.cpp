#include "Search/BRIX_ApproximateRefine.h"

#include "Constraint/BRIX_Constraint.h"
#include "Constraint/BRIX_Quantified.h"
#include "Constraint/BRIX_Simplify.h"
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_ResultPainter.h"
#include "Driver/BRIX_Timeout.h"
#include "Driver/BRIX_Timer.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_ParallelRefine.h"
#include "Search/BRIX_PrecisionLoss.h"
#include "Search/BRIX_Progress.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USAS.h"
#include "Search/BRIX_USASQuantified.h"

#include <memory>

namespace {

// The trace window lives for the rest of the run, so its drawing stays
// visible; it is freed at exit.
std::unique_ptr<Win_Window>& TraceWindow() {
    static std::unique_ptr<Win_Window> window;
    return window;
}

// The trace window of flags TraceTopLevel / TraceFunctionInversion: the box of
// the top quantifier, when there is one of dimension below 3.
Win_Window* OpenTraceWindow(const BRIX_Problem& problem) {
    if (!BRIX_GetFlag(BRIX_Flag::TraceTopLevel) &&
        !BRIX_GetFlag(BRIX_Flag::TraceFunctionInversion)) {
        return nullptr;
    }
    if (problem.constraint->Kind() != BRIX_KindQuantified) {
        return nullptr;
    }
    const Box& box = static_cast<const BRIX_Quantified*>(problem.constraint)->BoundBox();
    if (box.Dimension() >= 3) {
        return nullptr;
    }
    Ex_StdOut() << "Window: " << box << "\n";
    TraceWindow().reset(MakeResultWindow(box, false));
    return TraceWindow().get();
}

class Refinement {
public:
    // Continuity information is read only where it can decide more than
    // narrowing does: with flag UseContinuity and an equation in the tree.
    Refinement(BRIX_Problem& problem, const ResultPainter& painter)
        : problem_(problem),
          painter_(painter),
          top_(0),
          continuity_(BRIX_GetFlag(BRIX_Flag::UseContinuity) && HasEquation(problem.constraint)) {}

    void Run() {
        BRIX_Constraint* constraint = problem_.constraint;
        int samples = BRIX_RoundedParam(BRIX_Param::Sampling);
        if (samples != 0) {
            // A count below 1 samples nothing and would lose B from every
            // result list: it counts as no sampling.
            if (samples >= 1) {
                constraint->Sample(problem_.approximation, top_, samples);
                problem_.complete = true;
                return;
            }
        }
        NarrowPhase(BRIX_GetFlag(BRIX_Flag::StartWithUpNarrowing));
        ReadContinuity();
        int counter = 0;
        BRIX_RefineWatch watch(problem_);
        while (!top_.IsEmpty() && !problem_.provedTrue && !problem_.provedFalse) {
            if (watch.Expired() || timeoutPassed()) {
                // Every list is consistent between steps: the result stands,
                // only the refinement is incomplete. (A step or narrowing
                // that met the time-out stopped early, which is as sound.)
                problem_.complete = false;
                problem_.timedOut = true;
                return;
            }
            bool stepped = RefinementStep(counter);
            bool changed = NarrowPhase(true);
            ReadContinuity();
            if (!stepped && !changed) {
                // Nothing can be split any more and narrowing is stable: the
                // loop would spin for ever. The result stays partial.
                problem_.complete = false;
                return;
            }
        }
    }

private:
    bool Narrow(bool up) {
        return problem_.constraint->Narrow(problem_.approximation, top_, up, painter_,
                                           problem_.complete);
    }

    // Narrows the zero-dimensional top box; true when a narrowing reported a
    // change or the box changed.
    bool NarrowPhase(bool startUp) {
        bool changed = false;
        if (BRIX_GetFlag(BRIX_Flag::SingleUpDownNarrowing)) {
            changed = Narrow(true);
            if (top_.IsEmpty()) {
                problem_.provedFalse = true;
                return true;
            }
            changed = Narrow(false) || changed;
            if (top_.IsEmpty()) {
                problem_.provedTrue = true;
                return true;
            }
            return changed;
        }
        // Alternate until both directions are stable, a thousand rounds at
        // most (a sub may keep reporting changes), or the time-out.
        constexpr int roundLimit = 1000;
        bool up = startUp;
        bool upDone = false, downDone = false;
        for (int round = 0;
             !top_.IsEmpty() && !(upDone && downDone) && round < roundLimit && !timeoutPassed();
             ++round) {
            Box before = top_;
            bool r = Narrow(up);
            changed = changed || r;
            if (up) {
                if (r) {
                    downDone = false;
                }
                upDone = true;
            } else {
                if (r) {
                    upDone = false;
                }
                downDone = true;
            }
            if (top_ != before) {
                changed = true;
                (up ? downDone : upDone) = false;
                if (top_.IsEmpty()) {
                    (up ? problem_.provedFalse : problem_.provedTrue) = true;
                }
            }
            up = !up;
        }
        return changed;
    }

    void ReadContinuity() {
        if (!continuity_) {
            return;
        }
        ContinuityInfo continuity = problem_.constraint->ContinuityMarks(problem_.approximation);
        if (continuity.HoldsSurely()) {
            problem_.provedTrue = true;
        }
        if (continuity.FailsSurely()) {
            problem_.provedFalse = true;
        }
    }

    // One refinement step under the branching strategy; true when some
    // element was split.
    bool RefinementStep(int& counter) {
        BRIX_USAS* state = problem_.approximation;
        switch (BRIX_RoundedParam(BRIX_Param::BranchingStrategy)) {
            case 0:
                return StepWithCounter(counter,
                                       [state](int var) { return state->RefineStatic(0, var); });
            case 1:
                return state->RefineDynamic(false) || state->RefineDynamic(true);
            case 2:
            case 3:
                return StepWithCounter(counter,
                                       [state](int var) { return state->RefineParallel(0, var); });
            default:
                return false;
        }
    }

    // The static and parallel strategies run the variable counter across all
    // quantifier levels and start again at 0 when no variable was found.
    template <class Step>
    static bool StepWithCounter(int& counter, Step step) {
        bool stepped = step(counter);
        if (!stepped) {
            counter = 0;
            stepped = step(0);
        }
        counter += 1;
        return stepped;
    }

    BRIX_Problem& problem_;
    ResultPainter painter_;
    Box top_;
    bool continuity_;
};

// Opens the trace window, creates the top state and runs the refinement.
void Refine(BRIX_Problem& problem) {
    ResultPainter painter;
    painter.window = problem.constraint != nullptr ? OpenTraceWindow(problem) : nullptr;
    painter.box = Box(0);
    painter.borders = true;

    if (problem.constraint != nullptr) {
        problem.approximation = CreateUsas(problem.constraint, problem.hasFreeVariables);
    }
    if (problem.approximation != nullptr) {
        Refinement(problem, painter).Run();
    } else {
        problem.complete = false;  // nothing that could be refined
    }
}

// Whether the result leaves a box open: the top store's stack for a
// constraint with free variables, the sentence itself otherwise.
bool HasOpenBox(const BRIX_Problem& problem) {
    if (!problem.hasFreeVariables) {
        return true;
    }
    const auto* store = dynamic_cast<const BRIX_USASQuantified*>(problem.approximation);
    if (store == nullptr) {
        return true;
    }
    for (const BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
        if (!e->box.IsEmpty()) {
            return true;
        }
    }
    return false;
}

}  // namespace

void approximateRefine(BRIX_Problem& problem) {
    if (problem.refined) {
        return;
    }
    problem.refined = true;
    BRIX_ResetPrecisionLosses();
    {
        // Stops the timer also when a precision-loss handler throws.
        struct Timing {
            BRIX_Timer& timer;
            ~Timing() { timer.Stop(); }
        } timing{BRIX_RefineTimer()};
        timing.timer.Start();
        if (problem.pieces.empty()) {
            Refine(problem);
        } else {
            refinePieces(problem);
        }
    }
    // A box that could not be split matters only while something is left
    // undecided: later narrowing may still have decided it.
    const BRIX_PrecisionLosses& losses = BRIX_GetPrecisionLosses();
    if (losses.count > 0 && !problem.provedTrue && !problem.provedFalse && HasOpenBox(problem)) {
        problem.precisionLosses = losses.count;
        problem.lostBox = losses.first;
        problem.lostVar = losses.firstVar;
        problem.complete = false;
        BRIX_ReportPrecisionLoss();
    }
    if (problem.piecesLost > 0 && !problem.provedTrue && !problem.provedFalse) {
        problem.complete = false;
    }
    if (!problem.complete) {
        Ex_StdOut() << "Partial result!  Reason(s):\n";
        printPartialReasons(Ex_StdOut(), problem);
    }
}

void printPartialReasons(Ex_OutputStream& out, const BRIX_Problem& problem) {
    if (problem.complete) {
        return;
    }
    if (problem.timedOut) {
        out << "  time-out after " << getTimeout() / 1e6 << " seconds\n";
    }
    if (problem.precisionLosses > 0) {
        out << "  out of precision on " << problem.lostBox << " (variable "
            << static_cast<long>(problem.lostVar) << ")";
        if (problem.precisionLosses > 1) {
            out << " and " << problem.precisionLosses - 1 << " more boxes";
        }
        out << "\n";
    }
    if (problem.piecesLost > 0) {
        out << "  " << problem.piecesLost << " pieces lost with a failed process\n";
    }
}

void releaseProblem(BRIX_Problem& problem) {
    if (problem.approximation != nullptr) {
        problem.approximation->Destroy();
        problem.approximation = nullptr;
    }
    delete problem.constraint;
    problem.constraint = nullptr;
}
