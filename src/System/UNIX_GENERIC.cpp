// Unix implementation of the system layer.
#include "System/SAL.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

const int kFlags[5] = {FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INVALID, FE_INEXACT};

int FlagOf(int code) {
    return code >= 0 && code < 5 ? kFlags[code] : 0;
}

SAL_Module* moduleHead = nullptr;
SAL_Module* moduleTail = nullptr;

}  // namespace

// Masking is done on both the x87 and the SSE control words (glibc keeps them
// in step), so no exception traps whichever unit computes.
void SAL_Interface::MaskFPException(int code) {
    if (int flag = FlagOf(code)) {
        fedisableexcept(flag);
    }
}

void SAL_Interface::UnmaskFPException(int code) {
    if (int flag = FlagOf(code)) {
        feenableexcept(flag);
    }
}

bool SAL_Interface::FPExceptionUnmasked(int code) {
    if (code == SAL_FPInexact) {
        return false;
    }
    int flag = FlagOf(code);
    return flag != 0 && (fegetexcept() & flag) != 0;
}

void SAL_Interface::RaiseFPException(int code) {
    std::feraiseexcept(FlagOf(code));
}

void SAL_Interface::ClearFPException(int code) {
    std::feclearexcept(FlagOf(code));
}

bool SAL_Interface::TestFPException(int code) {
    int flag = FlagOf(code);
    return flag != 0 && std::fetestexcept(flag) != 0;
}

void SAL_Interface::Abort() {
    std::abort();
}

void SAL_Interface::Exit(int code) {
    std::exit(code);
}

void SAL_Interface::Error(const char* message) {
    std::fputs(message, stderr);
}

int SAL_Interface::GetPID() {
    return static_cast<int>(getpid());
}

int SAL_Interface::GetGID() {
    return static_cast<int>(getgid());
}

const char* SAL_Interface::Getenv(const char* name) {
    return std::getenv(name);
}

// clock() counts processor time in microseconds on this platform
// (CLOCKS_PER_SEC is 1,000,000 on POSIX systems).
long SAL_Interface::Clock() {
    return static_cast<long>(std::clock());
}

void* SAL_Interface::LocMalloc(unsigned int size) {
    // malloc(0) may answer null; ask for one byte so null always means failure.
    void* r = std::malloc(size == 0 ? 1 : size);
    assert(r);
    if (r == nullptr) {
        std::abort();
    }
    return r;
}

void* SAL_Interface::LocRealloc(void* pointer, unsigned int size) {
    void* r = std::realloc(pointer, size == 0 ? 1 : size);
    assert(r);
    if (r == nullptr) {
        std::abort();
    }
    return r;
}

void SAL_Interface::LocFree(void* pointer) {
    std::free(pointer);
}

void* SAL_Interface::ShMalloc(unsigned int size) {
    return LocMalloc(size);
}

void* SAL_Interface::ShRealloc(void* pointer, unsigned int size) {
    return LocRealloc(pointer, size);
}

void SAL_Interface::ShFree(void* pointer) {
    LocFree(pointer);
}

unsigned long SAL_Interface::AtomicInc(unsigned long* count) {
    return __atomic_add_fetch(count, 1, __ATOMIC_SEQ_CST);
}

unsigned long SAL_Interface::AtomicDec(unsigned long* count) {
    return __atomic_sub_fetch(count, 1, __ATOMIC_SEQ_CST);
}

void SAL_Interface::AtExit(void (*function)()) {
    std::atexit(function);
}

void SAL_Interface::RegisterModule(SAL_Module* record, bool (*init)(int*, char***),
                                   bool (*exit)(int)) {
    record->init = init;
    record->exit = exit;
    record->next = nullptr;
    record->previous = moduleTail;
    if (moduleTail != nullptr) {
        moduleTail->next = record;
    } else {
        moduleHead = record;
    }
    moduleTail = record;
}

bool SAL_Interface::StartUp(int* argc, char*** argv) {
    std::fesetround(FE_TONEAREST);  // both units, the C library's included
    SetRounding(SAL_RoundNearest);
    for (int code = 0; code < 5; ++code) {
        MaskFPException(code);
    }
    for (int code = 0; code < 5; ++code) {
        ClearFPException(code);
    }
    for (SAL_Module* m = moduleHead; m != nullptr; m = m->next) {
        if (m->init != nullptr && !m->init(argc, argv)) {
            return false;
        }
    }
    return true;
}

bool SAL_Interface::ShutDown(int code) {
    for (SAL_Module* m = moduleTail; m != nullptr; m = m->previous) {
        if (m->exit != nullptr && !m->exit(code)) {
            return false;
        }
    }
    return true;
}

void SAL_Interface::SplitDouble(double x, int& sign, unsigned long& low, unsigned long& high,
                                int& exponent) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    std::uint32_t hiWord = static_cast<std::uint32_t>(bits >> 32);
    std::uint32_t loWord = static_cast<std::uint32_t>(bits);
    sign = (hiWord >> 31) != 0 ? -1 : 1;
    exponent = static_cast<int>((hiWord >> 20) & 0x7FF) - 1023;
    high = ((hiWord & 0xFFFFFu) << 1) | (loWord >> 31);
    low = loWord & 0x7FFFFFFFu;
}

double SAL_Interface::ComposeDouble(int sign, unsigned long low, unsigned long high, int exponent) {
    std::uint32_t hiWord = (sign < 0 ? 0x80000000u : 0u) |
                           ((static_cast<std::uint32_t>(exponent + 1023) & 0x7FFu) << 20) |
                           ((static_cast<std::uint32_t>(high) >> 1) & 0xFFFFFu);
    std::uint32_t loWord = (static_cast<std::uint32_t>(low) & 0x7FFFFFFFu) |
                           ((static_cast<std::uint32_t>(high) & 1u) << 31);
    std::uint64_t bits = (static_cast<std::uint64_t>(hiWord) << 32) | loWord;
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}
