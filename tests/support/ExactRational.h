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
#include <string>

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
    friend int Sign(const ExactQ& a) { return mpq_sgn(a.q_); }
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

    // "p/q" in lowest terms, or "p" for an integer.
    std::string Text() const {
        char* text = mpq_get_str(nullptr, 10, q_);
        std::string result(text);
        void (*release)(void*, std::size_t) = nullptr;
        mp_get_memory_functions(nullptr, nullptr, &release);
        release(text, std::strlen(text) + 1);
        return result;
    }

    // The number as a finite decimal ("-0.140625", "3") when its denominator
    // has no prime factor but 2 and 5 and at most maxDecimals digits follow
    // the point; false, leaving out untouched, otherwise.
    bool DecimalText(std::string& out, unsigned long maxDecimals = 20) const {
        mpz_t d, m;
        mpz_init_set(d, mpq_denref(q_));
        unsigned long twos = mpz_scan1(d, 0), fives = 0;
        mpz_tdiv_q_2exp(d, d, twos);
        while (mpz_divisible_ui_p(d, 5) != 0) {
            mpz_divexact_ui(d, d, 5);
            ++fives;
        }
        const unsigned long k = twos > fives ? twos : fives;
        const bool finite = mpz_cmp_ui(d, 1) == 0 && k <= maxDecimals;
        if (finite) {
            mpz_init(m);
            mpz_ui_pow_ui(m, 10, k);
            mpz_mul(m, m, mpq_numref(q_));
            mpz_divexact(m, m, mpq_denref(q_));
            mpz_abs(d, m);
            std::string digits(mpz_sizeinbase(d, 10) + 2, '\0');
            mpz_get_str(&digits[0], 10, d);
            digits.resize(std::strlen(digits.c_str()));
            if (digits.size() <= k) {
                digits.insert(0, k + 1 - digits.size(), '0');
            }
            if (k > 0) {
                digits.insert(digits.size() - k, ".");
                digits.erase(digits.find_last_not_of('0') + 1);
                if (digits.back() == '.') {
                    digits.pop_back();
                }
            }
            out = (mpz_sgn(m) < 0 ? "-" : "") + digits;
            mpz_clear(m);
        }
        mpz_clear(d);
        return finite;
    }

private:
    static ExactQ Op(void (*f)(mpq_ptr, mpq_srcptr, mpq_srcptr), const ExactQ& a, const ExactQ& b) {
        ExactQ r;
        f(r.q_, a.q_, b.q_);
        return r;
    }
    mpq_t q_;
};

// An exact decimal text ("-1.25e-3", "0.5", "7", "+2E+1") as a rational; false,
// leaving value untouched, when text is not one.
inline bool ParseDecimal(const std::string& text, ExactQ& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    auto isDigit = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    const ExactQ ten(10.0);
    ExactQ r(0.0);
    long scale = 0;
    bool any = false;
    for (; isDigit(i); ++i, any = true) {
        r = r * ten + ExactQ(static_cast<double>(text[i] - '0'));
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; isDigit(i); ++i, any = true) {
            r = r * ten + ExactQ(static_cast<double>(text[i] - '0'));
            --scale;
        }
    }
    if (!any) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (!isDigit(i)) {
            return false;
        }
        long exponent = 0;
        for (; isDigit(i); ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > 100000) {
                return false;  // far beyond any number a test writes
            }
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    if (i != text.size()) {
        return false;
    }
    r = scale >= 0 ? r * Pow(ten, scale) : r / Pow(ten, -scale);
    value = negative ? -r : r;
    return true;
}

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
