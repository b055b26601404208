#include "Interval/Iv_Rational.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

Iv_Rational::Iv_Rational(double x) {
    mpq_init(q_);
    mpq_set_d(q_, x);
}

Iv_Rational::Iv_Rational(const Iv_Rational& other) {
    mpq_init(q_);
    mpq_set(q_, other.q_);
}

Iv_Rational::Iv_Rational(Iv_Rational&& other) noexcept {
    mpq_init(q_);
    mpq_swap(q_, other.q_);
}

Iv_Rational& Iv_Rational::operator=(const Iv_Rational& other) {
    mpq_set(q_, other.q_);
    return *this;
}

Iv_Rational& Iv_Rational::operator=(Iv_Rational&& other) noexcept {
    mpq_swap(q_, other.q_);
    return *this;
}

bool Iv_Rational::FromDecimal(const char* text, Iv_Rational& value, long maxExponent) {
    std::string digits;
    long scale = 0;  // value = digits * 10^scale
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        digits += *p;
    }
    if (digits.empty()) {
        return false;
    }
    if (*p == '.') {
        const char* start = ++p;
        for (; *p >= '0' && *p <= '9'; ++p) {
            digits += *p;
            --scale;
        }
        if (p == start) {
            return false;
        }
    }
    if (*p == 'e' || *p == 'E') {
        ++p;
        const char* start = p + (*p == '+' || *p == '-' ? 1 : 0);
        if (!(*start >= '0' && *start <= '9')) {
            return false;
        }
        errno = 0;
        char* end = nullptr;
        const long exponent = std::strtol(p, &end, 10);
        if (errno == ERANGE || exponent > maxExponent || exponent < -maxExponent) {
            return false;
        }
        scale += exponent;
        p = end;
    }
    if (*p != '\0' || scale > maxExponent || scale < -maxExponent - 10000) {
        return false;
    }
    Iv_Rational r;
    mpz_set_str(mpq_numref(r.q_), digits.c_str(), 10);
    mpz_t power;
    mpz_init(power);
    mpz_ui_pow_ui(power, 10, static_cast<unsigned long>(scale < 0 ? -scale : scale));
    if (scale >= 0) {
        mpz_mul(mpq_numref(r.q_), mpq_numref(r.q_), power);
    } else {
        mpz_set(mpq_denref(r.q_), power);
        mpq_canonicalize(r.q_);
    }
    mpz_clear(power);
    value = std::move(r);
    return true;
}

Iv_Rational operator+(const Iv_Rational& a, const Iv_Rational& b) {
    Iv_Rational r;
    mpq_add(r.q_, a.q_, b.q_);
    return r;
}

Iv_Rational operator-(const Iv_Rational& a, const Iv_Rational& b) {
    Iv_Rational r;
    mpq_sub(r.q_, a.q_, b.q_);
    return r;
}

Iv_Rational operator*(const Iv_Rational& a, const Iv_Rational& b) {
    Iv_Rational r;
    mpq_mul(r.q_, a.q_, b.q_);
    return r;
}

Iv_Rational operator/(const Iv_Rational& a, const Iv_Rational& b) {
    Iv_Rational r;
    mpq_div(r.q_, a.q_, b.q_);
    return r;
}

Iv_Rational operator-(const Iv_Rational& a) {
    Iv_Rational r;
    mpq_neg(r.q_, a.q_);
    return r;
}

std::size_t Iv_Rational::Size() const {
    return mpz_size(mpq_numref(q_)) + mpz_size(mpq_denref(q_));
}

void Iv_Rational::Enclose(double& down, double& up) const {
    const double infinity = std::numeric_limits<double>::infinity();
    const int sign = mpq_sgn(q_);
    // mpq_get_d truncates toward zero; too large a number may come out
    // infinite, in which case the largest double is the truncation.
    double t = mpq_get_d(q_);
    if (std::isinf(t)) {
        t = std::copysign(std::numeric_limits<double>::max(), t);
    }
    Iv_Rational back(t);
    if (back == *this) {
        down = up = t;
    } else if (sign > 0) {
        down = t;
        up = std::nextafter(t, infinity);
    } else {
        up = t;
        down = std::nextafter(t, -infinity);
    }
}
