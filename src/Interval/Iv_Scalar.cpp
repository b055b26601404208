// Scalar functions: the successor of a double and integer powers.
#include "Interval/Iv_Scalar.h"

namespace {

constexpr std::uint64_t kSignBit = 0x8000000000000000u;

// x^m for x >= 0 and m >= 1 by square and multiply in the current mode. Every
// factor is non-negative, so each rounded product moves the same way as the
// rounding direction and the result stays on that side of the exact power.
double PowerOfMagnitude(double x, unsigned long m) {
    double r = 1.0;
    while (m != 1) {
        if ((m & 1) != 0) {
            r = PinnedMul(r, x);
        }
        x = PinnedMul(x, x);
        m >>= 1;
    }
    return PinnedMul(r, x);
}

}  // namespace

double NextUp(double x) {
    if (IsNaN(x) || x == PlusInfinity()) {
        return x;
    }
    if (x == 0) {
        return Iv_FromBits(1);  // both zeros: the smallest positive subnormal
    }
    // Doubles of one sign are ordered like their bit patterns: a step of the
    // pattern away from zero (positive) or toward zero (negative) is one step up.
    // -inf steps to the most negative finite double, and -4.9e-324 to -0.
    std::uint64_t bits = Iv_Bits(x);
    return Iv_FromBits((bits & kSignBit) == 0 ? bits + 1 : bits - 1);
}

double Power(double x, long n) {
    if (IsInfOrNaN(x)) {
        if (IsNaN(x) || n > 0) {
            return IsEven(n) ? Abs(x) : x;
        }
        return n == 0 ? 1.0 : 0.0;
    }
    switch (n) {
        case 0:
            return 1.0;
        case 1:
            return x;
        case 2:
            return PinnedMul(x, x);
        case -1:
            return PinnedDiv(1.0, x);
        default:
            break;
    }
    if (IsEven(n)) {
        x = Abs(x);
    }
    // -|x|^m rounded down is -(|x|^m rounded up), and the other way round.
    int mode = SAL_Interface::GetRounding();
    bool negated = x < 0;
    if (negated) {
        x = -x;
        if (mode == SAL_RoundUp) {
            SAL_Interface::SetRounding(SAL_RoundDown);
        } else if (mode == SAL_RoundDown) {
            SAL_Interface::SetRounding(SAL_RoundUp);
        }
    }
    // The magnitude of n as unsigned, so that LONG_MIN has one too.
    unsigned long m = n < 0 ? 0ul - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    if (n < 0) {
        x = PinnedDiv(1.0, x);  // rounded the same way as the power, so the power stays on its side
    }
    double r = PowerOfMagnitude(x, m);
    if (negated) {
        r = -r;
        SAL_Interface::SetRounding(mode);
    }
    return r;
}
