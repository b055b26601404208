// Exact rational arithmetic on doubles (GMP) for tests: the oracle that computed
// bounds are checked against, and a seeded source of awkward doubles.
#ifndef BRIX_TESTS_SUPPORT_EXACTRATIONAL_H
#define BRIX_TESTS_SUPPORT_EXACTRATIONAL_H

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <gmp.h>

// A rational number; converting a finite double is exact.
class ExactQ {
public:
    ExactQ() { mpq_init(q_); }
    explicit ExactQ(double x) {
        mpq_init(q_);
        mpq_set_d(q_, x);  // requires a finite x
    }
    ExactQ(const ExactQ& other) {
        mpq_init(q_);
        mpq_set(q_, other.q_);
    }
    ExactQ& operator=(const ExactQ& other) {
        mpq_set(q_, other.q_);
        return *this;
    }
    ~ExactQ() { mpq_clear(q_); }

    friend ExactQ operator+(const ExactQ& a, const ExactQ& b) { return Op(mpq_add, a, b); }
    friend ExactQ operator-(const ExactQ& a, const ExactQ& b) { return Op(mpq_sub, a, b); }
    friend ExactQ operator*(const ExactQ& a, const ExactQ& b) { return Op(mpq_mul, a, b); }
    friend ExactQ operator/(const ExactQ& a, const ExactQ& b) { return Op(mpq_div, a, b); }
    friend ExactQ operator-(const ExactQ& a) {
        ExactQ r;
        mpq_neg(r.q_, a.q_);
        return r;
    }
    friend int Compare(const ExactQ& a, const ExactQ& b) { return mpq_cmp(a.q_, b.q_); }
    friend bool operator<(const ExactQ& a, const ExactQ& b) { return Compare(a, b) < 0; }
    friend bool operator==(const ExactQ& a, const ExactQ& b) { return mpq_equal(a.q_, b.q_); }

    // x^n for an integer n (x != 0 when n < 0).
    friend ExactQ Pow(const ExactQ& x, long n) {
        ExactQ r;
        unsigned long m = n < 0 ? 0ul - static_cast<unsigned long>(n) : n;
        mpz_pow_ui(mpq_numref(r.q_), mpq_numref(x.q_), m);
        mpz_pow_ui(mpq_denref(r.q_), mpq_denref(x.q_), m);
        mpq_canonicalize(r.q_);
        if (n < 0) {
            mpq_inv(r.q_, r.q_);
        }
        return r;
    }

private:
    static ExactQ Op(void (*f)(mpq_ptr, mpq_srcptr, mpq_srcptr), const ExactQ& a, const ExactQ& b) {
        ExactQ r;
        f(r.q_, a.q_, b.q_);
        return r;
    }
    mpq_t q_;
};

// a <= q for a double a that may be infinite (false for NaN).
inline bool LessEq(double a, const ExactQ& q) {
    if (std::isnan(a) || a == HUGE_VAL) {
        return false;
    }
    return a == -HUGE_VAL || !(q < ExactQ(a));
}
// q <= b for a double b that may be infinite (false for NaN).
inline bool LessEq(const ExactQ& q, double b) {
    return LessEq(-b, -q);
}

// lo <= q <= hi.
inline bool Encloses(double lo, double hi, const ExactQ& q) {
    return LessEq(lo, q) && LessEq(q, hi);
}

// lo is the largest double <= q: the best lower bound (q itself when it is a double).
inline bool IsRoundedDown(double lo, const ExactQ& q) {
    double next = std::nextafter(lo, HUGE_VAL);
    return LessEq(lo, q) && (next == HUGE_VAL || !LessEq(next, q));
}
// hi is the smallest double >= q.
inline bool IsRoundedUp(double hi, const ExactQ& q) {
    return IsRoundedDown(-hi, -q);
}

// Seed of the random tests: BRIX_TEST_SEED when set, else a fresh one. Printed, so
// a failure can be replayed with BRIX_TEST_SEED=<seed>.
inline std::uint64_t TestSeed(const char* what) {
    const char* text = std::getenv("BRIX_TEST_SEED");
    std::uint64_t seed =
        text != nullptr ? std::strtoull(text, nullptr, 10) : std::random_device{}();
    std::printf("[ seed     ] %s: BRIX_TEST_SEED=%llu\n", what,
                static_cast<unsigned long long>(seed));
    return seed;
}

// Finite doubles that exercise the rounding: zeros of both signs, small integers
// (exact results), subnormals, huge values near overflow, and full 53-bit
// mantissas of moderate size (inexact results).
inline double RandomDouble(std::mt19937_64& g) {
    double sign = (g() & 1) != 0 ? -1.0 : 1.0;
    double mantissa = static_cast<double>(g() >> 11) / 9007199254740992.0;  // [0, 1), 53 bits
    switch (g() % 12) {
        case 0:
            return sign * 0.0;
        case 1:
            return sign * static_cast<double>(g() % 16);
        case 2:
            return sign * std::ldexp(mantissa, -1022 - static_cast<int>(g() % 40));
        case 3:
            return sign * std::ldexp(0.5 + mantissa / 2, 1024 - static_cast<int>(g() % 8));
        default:
            return sign * std::ldexp(0.5 + mantissa / 2, static_cast<int>(g() % 80) - 40);
    }
}

#endif
