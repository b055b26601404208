// Exact rational numbers (GMP) for the numbers a user types: decimal text
// read without rounding, exact arithmetic, and the two doubles around a
// rational. Used where a constraint is built, so that what the user wrote is
// computed exactly before anything is rounded.
#ifndef BRIX_INTERVAL_IV_RATIONAL_H
#define BRIX_INTERVAL_IV_RATIONAL_H

#include <cstddef>

#include <gmp.h>

class Iv_Rational {
public:
    Iv_Rational() { mpq_init(q_); }
    // The exact value of a finite double.
    explicit Iv_Rational(double x);
    Iv_Rational(const Iv_Rational& other);
    Iv_Rational(Iv_Rational&& other) noexcept;
    Iv_Rational& operator=(const Iv_Rational& other);
    Iv_Rational& operator=(Iv_Rational&& other) noexcept;
    ~Iv_Rational() { mpq_clear(q_); }

    // A number as the scanner reads one: digits, optionally "." and digits,
    // optionally "e" or "E", a sign and digits ("Infinity" is no rational).
    // False (value unchanged) otherwise, and for a decimal exponent beyond
    // maxExponent in magnitude (such a number would take too much room).
    static bool FromDecimal(const char* text, Iv_Rational& value, long maxExponent = 4000);

    friend Iv_Rational operator+(const Iv_Rational& a, const Iv_Rational& b);
    friend Iv_Rational operator-(const Iv_Rational& a, const Iv_Rational& b);
    friend Iv_Rational operator*(const Iv_Rational& a, const Iv_Rational& b);
    // Requires b != 0.
    friend Iv_Rational operator/(const Iv_Rational& a, const Iv_Rational& b);
    friend Iv_Rational operator-(const Iv_Rational& a);
    friend bool operator<(const Iv_Rational& a, const Iv_Rational& b) {
        return mpq_cmp(a.q_, b.q_) < 0;
    }
    friend bool operator==(const Iv_Rational& a, const Iv_Rational& b) {
        return mpq_equal(a.q_, b.q_) != 0;
    }
    friend bool operator!=(const Iv_Rational& a, const Iv_Rational& b) { return !(a == b); }
    int Sign() const { return mpq_sgn(q_); }
    // Limbs of numerator and denominator: what arithmetic on it costs.
    std::size_t Size() const;

    // The largest double not above the number and the smallest not below it
    // (equal when the number is a double; beyond the largest double the
    // outer one is infinite). Rounding: unchanged.
    void Enclose(double& down, double& up) const;

private:
    mpq_t q_;
};

#endif
