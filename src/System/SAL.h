// System abstraction layer: the one place the rest of BRIX reaches the
// operating system and the floating-point environment.
//
// SAL_Interface declares the services as static operations; SAL<UNIX_GENERIC>
// implements them for Unix; OS_SEQUENTIAL<...> adds the reference counts of the
// shared handles, which belong to one thread each (handles cross threads only
// detached). SAL_System names the stack used throughout the program.
#ifndef BRIX_SYSTEM_SAL_H
#define BRIX_SYSTEM_SAL_H

#include <cassert>
#include <cfenv>
#include <cstddef>

// Rounding-mode codes.
enum {
    SAL_RoundNearest = 0,
    SAL_RoundToZero = 1,
    SAL_RoundUp = 2,
    SAL_RoundDown = 3,
};

// Floating-point exception codes.
enum {
    SAL_FPDivByZero = 0,
    SAL_FPOverflow = 1,
    SAL_FPUnderflow = 2,
    SAL_FPInvalid = 3,
    SAL_FPInexact = 4,
};

// One record per module that needs start-up work; modules append themselves
// from static initialisers, and start-up runs them in registration order.
struct SAL_Module {
    SAL_Module* next = nullptr;
    SAL_Module* previous = nullptr;
    bool (*init)(int*, char***) = nullptr;  // may be null
    bool (*exit)(int) = nullptr;            // may be null
};

class SAL_Interface {
public:
    // Sets the rounding mode from a rounding code; any other code leaves it
    // unchanged. Doubles are computed by the SSE unit, so on x86-64 the mode
    // is written to its control register directly: one instruction instead
    // of a library call that also rewrites the x87 control word, which
    // matters because every interval bound changes the mode. The x87 mode,
    // which the C library's strtod and printf consult, stays at nearest.
    static void SetRounding(int mode) {
#if defined(__x86_64__) && defined(__SSE2_MATH__)
        static const unsigned bits[4] = {0x0000u, 0x6000u, 0x4000u, 0x2000u};
        if (mode >= 0 && mode < 4) {
            __builtin_ia32_ldmxcsr((__builtin_ia32_stmxcsr() & ~0x6000u) | bits[mode]);
        }
#else
        static const int table[4] = {FE_TONEAREST, FE_TOWARDZERO, FE_UPWARD, FE_DOWNWARD};
        if (mode >= 0 && mode < 4) {
            std::fesetround(table[mode]);
        }
#endif
    }
    // The rounding code of the mode the arithmetic uses (3 down, 2 up, 1
    // toward zero, else 0).
    static int GetRounding() {
#if defined(__x86_64__) && defined(__SSE2_MATH__)
        switch (__builtin_ia32_stmxcsr() & 0x6000u) {
            case 0x2000u:
                return SAL_RoundDown;
            case 0x4000u:
                return SAL_RoundUp;
            case 0x6000u:
                return SAL_RoundToZero;
            default:
                return SAL_RoundNearest;
        }
#else
        switch (std::fegetround()) {
            case FE_DOWNWARD:
                return SAL_RoundDown;
            case FE_UPWARD:
                return SAL_RoundUp;
            case FE_TOWARDZERO:
                return SAL_RoundToZero;
            default:
                return SAL_RoundNearest;
        }
#endif
    }

    // Exception control. A masked exception does not trap. Codes outside 0..4
    // change nothing (raise/clear pass no flag; tests answer false).
    static void MaskFPException(int code);
    static void UnmaskFPException(int code);
    static bool FPExceptionUnmasked(int code);  // always false for SAL_FPInexact
    static void RaiseFPException(int code);
    static void ClearFPException(int code);
    static bool TestFPException(int code);

    // Declared services. Only Clock and the local allocator are used by the
    // system; the others have simple Unix implementations.
    static void Abort();
    static void Exit(int code);
    static void Error(const char* message);
    static int GetPID();
    static int GetGID();
    static const char* Getenv(const char* name);
    // Processor time used by the process, in microseconds.
    static long Clock();
    // Allocation for the system's own objects; aborts when memory runs out.
    static void* LocMalloc(unsigned int size);
    static void* LocRealloc(void* pointer, unsigned int size);
    static void LocFree(void* pointer);
    static void* ShMalloc(unsigned int size);
    static void* ShRealloc(void* pointer, unsigned int size);
    static void ShFree(void* pointer);
    static unsigned long AtomicInc(unsigned long* count);
    static unsigned long AtomicDec(unsigned long* count);

    // Registers a function to run at normal process exit.
    static void AtExit(void (*function)());

    // Appends a module record (borrows it: it must live for the whole run).
    static void RegisterModule(SAL_Module* record, bool (*init)(int*, char***),
                               bool (*exit)(int) = nullptr);
    // Start-up: rounding to nearest, all five exceptions masked then cleared,
    // then every module's init hook in order; false at the first failing hook.
    static bool StartUp(int* argc, char*** argv);
    // Walks the modules from the last to the first calling their exit hooks.
    static bool ShutDown(int code);

    // A double as sign (+1/-1), low mantissa (31 bits), high mantissa (21 bits:
    // the top 20 fraction bits shifted left by one plus the top bit of the low
    // word) and unbiased exponent (biased - 1023). Compose is the exact inverse.
    static void SplitDouble(double x, int& sign, unsigned long& low, unsigned long& high,
                            int& exponent);
    static double ComposeDouble(int sign, unsigned long low, unsigned long high, int exponent);
};

// Mutex and semaphore services are declared for completeness; nothing uses
// them (solvers in several threads share no mutable state).
class MUTEX_Interface {
public:
    virtual ~MUTEX_Interface() = default;
    virtual int init() = 0;
    virtual int destroy() = 0;
    virtual int lock() = 0;
    virtual int unlock() = 0;
};

class SEMAPHORE_Interface {
public:
    virtual ~SEMAPHORE_Interface() = default;
    virtual int init() = 0;
    virtual int destroy() = 0;
    virtual int wait() = 0;
    virtual int signal() = 0;
};

struct UNIX_GENERIC {};

template <class Platform>
class SAL;

// Unix implementation: the operations of SAL_Interface as defined in
// src/System/UNIX_GENERIC.cpp.
template <>
class SAL<UNIX_GENERIC> : public SAL_Interface {};

// Reference counts of handles owned by one thread: plain 32-bit counters.
template <class Base>
class OS_SEQUENTIAL : public Base {
public:
    static void InitRC(unsigned* count) { *count = 0; }
    static void IncRC(unsigned* count) { ++*count; }
    // Requires a count above 0. True when the count has reached 0: the caller
    // then deletes the object.
    static bool DecRC(unsigned* count) {
        assert(*count > 0);
        return --*count == 0;
    }
};

using SAL_System = OS_SEQUENTIAL<SAL<UNIX_GENERIC>>;

#endif
