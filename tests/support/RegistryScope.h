// Sets a flag or parameter of the registry for the lifetime of a test scope
// and restores the previous value afterwards.
#ifndef BRIX_TESTS_SUPPORT_REGISTRYSCOPE_H
#define BRIX_TESTS_SUPPORT_REGISTRYSCOPE_H

#include "Driver/BRIX_Registry.h"

class ParamScope {
public:
    ParamScope(int index, double value) : index_(index), saved_(BRIX_GetParam(index)) {
        BRIX_SetParam(index, value);
    }
    ~ParamScope() { BRIX_SetParam(index_, saved_); }
    ParamScope(const ParamScope&) = delete;
    ParamScope& operator=(const ParamScope&) = delete;

private:
    int index_;
    double saved_;
};

class FlagScope {
public:
    FlagScope(int index, bool value) : index_(index), saved_(BRIX_GetFlag(index)) {
        BRIX_SetFlag(index, value);
    }
    ~FlagScope() { BRIX_SetFlag(index_, saved_); }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    int index_;
    bool saved_;
};

#endif
