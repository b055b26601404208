#include "Driver/BRIX_Context.h"

#include "Driver/BRIX_Timer.h"
#include "System/SAL.h"

namespace {

// The installed context; null for the thread's default one.
thread_local BRIX_Context* installed = nullptr;

BRIX_Context& DefaultContext() {
    thread_local BRIX_Context context;
    return context;
}

}  // namespace

BRIX_Tuning::BRIX_Tuning() {
    for (int i = 0; i < BRIX_FlagCount; ++i) {
        flags[i] = BRIX_DefaultFlag(i);
    }
    for (int i = 0; i < BRIX_ParamCount; ++i) {
        params[i] = BRIX_DefaultParam(i);
    }
}

BRIX_Context::BRIX_Context() = default;

// The timers unlink themselves from `timers` before it goes.
BRIX_Context::~BRIX_Context() {
    refineTimer.reset();
    totalTimer.reset();
}

BRIX_Context& BRIX_CurrentContext() {
    return installed != nullptr ? *installed : DefaultContext();
}

BRIX_ContextScope::BRIX_ContextScope(BRIX_Context& context) : previous_(installed) {
    installed = &context;
}

BRIX_ContextScope::~BRIX_ContextScope() {
    installed = previous_;
}

namespace {

// Saves the thread's floating-point environment and sets the solving one;
// answers the saved one.
std::fenv_t EnterSolvingEnvironment() {
    std::fenv_t saved;
    std::fegetenv(&saved);
    std::fesetround(FE_TONEAREST);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    for (int code = 0; code < 5; ++code) {
        SAL_Interface::MaskFPException(code);
        SAL_Interface::ClearFPException(code);
    }
    return saved;
}

}  // namespace

BRIX_SolveScope::BRIX_SolveScope(BRIX_Context& context)
    : environment_(EnterSolvingEnvironment()), contextScope_(context), redirect_(out_, err_) {}

BRIX_SolveScope::~BRIX_SolveScope() {
    std::fesetenv(&environment_);
}
