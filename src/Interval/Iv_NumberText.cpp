// Exact decimal text of doubles: every digit is computed with GMP integers from
// the exact binary fraction of the double, so the text never depends on the
// floating-point rounding mode and a directed text is always on the right side.
#include "Interval/Iv_NumberText.h"

#include "System/SAL.h"

#include <gmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

static_assert(sizeof(unsigned long) >= 8, "a 53-bit significand must fit one mpz_set_ui");

// One GMP integer owned by the enclosing scope.
class BigInt {
public:
    BigInt() { mpz_init(v_); }
    explicit BigInt(const mpz_t value) { mpz_init_set(v_, value); }
    ~BigInt() { mpz_clear(v_); }
    BigInt(const BigInt&) = delete;
    BigInt& operator=(const BigInt&) = delete;
    mpz_ptr get() { return v_; }
    operator mpz_ptr() { return v_; }
    operator mpz_srcptr() const { return v_; }

private:
    mpz_t v_;
};

// |x| = p / q in lowest terms with q a power of two. Requires x finite; zero
// (of either sign) gives p = 0, q = 1.
void ExactFraction(double x, mpz_ptr p, mpz_ptr q) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    // Normal numbers carry the hidden leading 1; subnormals share exponent -1022.
    const std::uint64_t significand = biased == 0 ? fraction : fraction | std::uint64_t{1} << 52;
    const int shift = (biased == 0 ? 1 : biased) - 1075;  // |x| = significand * 2^shift
    mpz_set_ui(p, significand);
    mpz_set_ui(q, 1);
    if (shift >= 0) {
        mpz_mul_2exp(p, p, static_cast<mp_bitcnt_t>(shift));
        return;
    }
    mpz_mul_2exp(q, q, static_cast<mp_bitcnt_t>(-shift));
    BigInt g;
    mpz_gcd(g, p, q);
    mpz_divexact(p, p, g);
    mpz_divexact(q, q, g);
}

// n = a / b rounded to an integer, for a >= 0, b > 0 and the magnitude of a
// number of the given sign: rounding up or down moves away from zero exactly when
// that direction enlarges the magnitude.
void RoundedQuotient(mpz_ptr n, mpz_srcptr a, mpz_srcptr b, bool negative, int rounding) {
    BigInt t;
    mpz_fdiv_qr(n, t, a, b);
    bool away = false;
    if ((rounding == SAL_RoundUp && !negative) || (rounding == SAL_RoundDown && negative)) {
        away = mpz_sgn(t.get()) > 0;
    } else if (rounding == SAL_RoundNearest) {  // ties go away from zero
        mpz_mul_2exp(t, t, 1);
        away = mpz_cmp(t, b) >= 0;
    }
    if (away) {
        mpz_add_ui(n, n, 1);
    }
}

// Decimal digits of n >= 0, least significant first; zero has none.
std::string DigitsOf(mpz_srcptr n) {
    BigInt rest(n);
    std::string digits;
    while (mpz_sgn(rest.get()) > 0) {
        digits += static_cast<char>('0' + mpz_fdiv_q_ui(rest, rest, 10));
    }
    return digits;
}

// The text of (digits as an integer) / 10^d with the sign, right-aligned in
// width characters: leading zeros above the units digit become blanks, the
// minus sign stands just before the first non-blank character, and d digits
// follow the point. The units digit is always written, so a narrow field widens
// the text instead of dropping its integer part.
std::string LayOut(const std::string& digits, long long d, bool negative, long long width) {
    const long long count = static_cast<long long>(digits.size());
    long long highest = width - 1 - (d > 0 ? 1 : 0) - (negative ? 1 : 0);
    highest = std::max({highest, count - 1, d});
    std::string text;
    bool started = false;
    for (long long position = highest; position >= 0; --position) {
        const char digit = position < count ? digits[static_cast<std::size_t>(position)] : '0';
        if (!started && digit == '0' && position > d) {
            text += ' ';
            continue;
        }
        if (!started && negative) {
            text += '-';
        }
        started = true;
        text += digit;
        if (position == d && d > 0) {
            text += '.';
        }
    }
    return text;
}

// Compact form: drops trailing zeros after the point, then a bare point, then
// leading blanks. Zeros of the integer part stay ("100" is not "1").
void Compact(std::string& text) {
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    text.erase(0, text.find_first_not_of(' '));
}

// Scientific text m.mmm...e+XXX of p/q with d digits after the point. The
// compact form has no padding; otherwise the text is right-aligned in field
// characters when it fits.
std::string Scientific(mpz_srcptr p, mpz_srcptr q, bool negative, int rounding, unsigned d,
                       long long field, bool compact) {
    BigInt m;
    long exponent = 0;  // the exponent as printed
    if (mpz_sgn(p) != 0) {
        // Find m with exactly d + 1 digits and E with m * 10^E close to p/q,
        // starting from E = 0 and moving one decimal place at a time. The
        // search is monotone: a quotient with too few digits never turns into
        // one with too many after one more place, nor the reverse.
        BigInt a(p), b(q), low, high;
        mpz_ui_pow_ui(low, 10, d);
        mpz_mul_ui(high, low, 10);
        long e = 0;
        RoundedQuotient(m, a, b, negative, rounding);
        for (;;) {
            if (mpz_cmp(m, low) < 0) {
                mpz_mul_ui(a, a, 10);
                --e;
            } else if (mpz_cmp(m, high) >= 0) {
                mpz_mul_ui(b, b, 10);
                ++e;
            } else {
                break;
            }
            RoundedQuotient(m, a, b, negative, rounding);
        }
        exponent = e + static_cast<long>(d);
    }
    std::string text = LayOut(DigitsOf(m), d, negative, 0);
    if (compact) {
        Compact(text);
    }
    char tail[32];
    std::snprintf(tail, sizeof tail, "e%c%03ld", exponent < 0 ? '-' : '+', std::labs(exponent));
    text += tail;
    if (!compact && static_cast<long long>(text.size()) < field) {
        text.insert(0, static_cast<std::size_t>(field) - text.size(), ' ');
    }
    return text;
}

// "Infinity", "-Infinity" or "NaN", cut to the width when the width is small.
std::string SpecialText(double x, unsigned width) {
    std::string text = std::isnan(x) ? "NaN" : (x > 0 ? "Infinity" : "-Infinity");
    const unsigned limit = std::isnan(x) ? 2 : 7;
    if (width <= limit) {
        text.resize(std::min<std::size_t>(width, text.size()));
    }
    return text;
}

}  // namespace

std::string Iv_DoubleToString(double x, const Iv_DoubleStyle& format) {
    if (!std::isfinite(x)) {
        return SpecialText(x, format.width);
    }
    BigInt p, q;
    ExactFraction(x, p, q);
    // Negative zero has the exact value 0 and prints like positive zero: a sign
    // adds nothing a reader could use and "-0" would look like a negative bound.
    const bool negative = x < 0;
    const unsigned d = format.digits;
    const long long width = format.width;
    const bool compact = format.style == 3;

    if (format.style == 1) {
        return Scientific(p, q, negative, format.rounding, d, width, false);
    }
    // Fixed text: n = p * 10^d / q rounded.
    BigInt scaled, n;
    mpz_ui_pow_ui(scaled, 10, d);
    mpz_mul(scaled, scaled, p);
    RoundedQuotient(n, scaled, q, negative, format.rounding);
    std::string text = LayOut(DigitsOf(n), d, negative, width);
    if (format.style == 0) {
        return text;
    }
    // General styles (2, 3 and any other code): scientific when the fixed text
    // overflows the width or would show a non-zero value as zero.
    if (static_cast<long long>(text.size()) > width ||
        (mpz_sgn(p.get()) != 0 && mpz_sgn(n.get()) == 0)) {
        const long long field = std::max(width, static_cast<long long>(d) + (negative ? 8 : 7));
        return Scientific(p, q, negative, format.rounding, d, field, compact);
    }
    if (compact) {
        Compact(text);
    }
    return text;
}
