#include "Driver/BRIX_Context.h"

#include "Driver/BRIX_Timer.h"

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
