// Exact decimal text of doubles: examples, the exact value of the smallest
// subnormal, directed rounding against a GMP oracle, and mode independence.
#include "Interval/Iv_NumberText.h"

#include "System/SAL.h"

#include <gmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

Iv_DoubleStyle Style(int style, int rounding, unsigned width = 12, unsigned digits = 6) {
    Iv_DoubleStyle format;
    format.style = style;
    format.rounding = rounding;
    format.width = width;
    format.digits = digits;
    return format;
}

// Reads "  -12.345e-006" (blanks, sign, digits, point, exponent of at least
// three digits) exactly into value; exponent receives the decimal exponent (0
// without one). False when the text has any other form.
bool ParseDecimal(const std::string& text, mpq_t value, long& exponent) {
    std::size_t i = std::min(text.find_first_not_of(' '), text.size());
    // Takes the run of digits starting at i.
    auto run = [&text, &i]() {
        const std::size_t start = i;
        i = std::min(text.find_first_not_of("0123456789", start), text.size());
        return text.substr(start, i - start);
    };
    const std::string sign = text.compare(i, 1, "-") == 0 ? text.substr(i++, 1) : "";
    const std::string whole = run();
    const bool point = text.compare(i, 1, ".") == 0;
    i += point ? 1 : 0;
    const std::string fraction = point ? run() : "";
    exponent = 0;
    if (text.compare(i, 2, "e+") == 0 || text.compare(i, 2, "e-") == 0) {
        const bool down = text[i + 1] == '-';
        i += 2;
        const std::string magnitude = run();
        if (magnitude.size() < 3) {
            return false;
        }
        exponent = std::stol(magnitude) * (down ? -1 : 1);
    }
    if (whole.empty() || (point && fraction.empty()) || i != text.size()) {
        return false;
    }
    const std::string digits = sign + whole + fraction;
    const long shift = exponent - static_cast<long>(fraction.size());
    // value = (sign digits) * 10^shift
    mpq_t power;
    mpq_init(power);
    mpq_set_ui(power, 1, 1);
    mpz_ui_pow_ui(shift >= 0 ? mpq_numref(power) : mpq_denref(power), 10,
                  static_cast<unsigned long>(std::labs(shift)));
    EXPECT_EQ(mpq_set_str(value, digits.c_str(), 10), 0);
    mpq_mul(value, value, power);
    mpq_clear(power);
    return true;
}

struct TextCase {
    double x;
    int style;
    int rounding;
    unsigned width;
    unsigned digits;
    const char* text;
};

// The texts brix prints. Directed rounding at a fixed place is checked against
// the exact value in DirectedRoundingEnclosesExactValue; the rows here pin the
// choice of style, padding, carries, signs of zero, ties and special values.
TEST(NumberText, Examples) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TextCase cases[] = {
        // 0.1 lies just above 1/10.
        {0x1.999999999999ap-4, 3, 3, 12, 6, "0.1"},
        {0x1.999999999999ap-4, 3, 2, 12, 6, "0.100001"},
        // 1e-20 lies just below 10^-20 and rounds to zero at 6 decimals.
        {0x1.79ca10c924223p-67, 3, 0, 12, 6, "1e-020"},
        {0x1.79ca10c924223p-67, 3, 3, 12, 6, "9.999999e-021"},
        {0x1.79ca10c924223p-67, 3, 2, 12, 6, "0.000001"},
        {-0x1.79ca10c924223p-67, 3, 2, 12, 6, "-9.999999e-021"},
        {-0x1.79ca10c924223p-67, 3, 3, 12, 6, "-0.000001"},
        {-0x1.79ca10c924223p-67, 2, 0, 12, 6, "-1.000000e-020"},
        {0x1.79ca10c924223p-67, 2, 0, 20, 6, "       1.000000e-020"},
        {0x1.79ca10c924223p-67, 3, 0, 20, 6, "1e-020"},
        {-0x1.79ca10c924223p-67, 0, 0, 12, 6, "   -0.000000"},
        {-2.5, 0, 0, 12, 6, "   -2.500000"},
        {-2.5, 3, 0, 12, 6, "-2.5"},
        {-2.5, 1, 0, 12, 6, "-2.500000e+000"},
        // 3.14159 lies just below its literal.
        {0x1.921f9f01b866ep+1, 0, 0, 12, 6, "    3.141590"},
        {0x1.921f9f01b866ep+1, 2, 0, 12, 6, "    3.141590"},
        {0x1.921f9f01b866ep+1, 3, 0, 12, 6, "3.14159"},
        // 1e300 lies just above 10^300.
        {0x1.7e43c8800759cp+996, 3, 0, 12, 6, "1e+300"},
        {0x1.7e43c8800759cp+996, 1, 3, 12, 6, "1.000000e+300"},
        // 0.0015 lies just above its literal.
        {0x1.89374bc6a7efap-10, 1, 0, 12, 6, "1.500000e-003"},
        {0x1.89374bc6a7efap-10, 1, 2, 12, 6, "1.500001e-003"},
        {0x1.89374bc6a7efap-10, 1, 0, 16, 6, "   1.500000e-003"},
        {0x1.89374bc6a7efap-10, 3, 0, 12, 6, "0.0015"},
        // Just below 10: the mantissa carries into the exponent.
        {0x1.3ffffffffffffp+3, 1, 0, 12, 6, "1.000000e+001"},
        {0x1.3ffffffffffffp+3, 1, 2, 12, 6, "1.000000e+001"},
        {0x1.3ffffffffffffp+3, 1, 3, 12, 6, "9.999999e+000"},
        {0x1.fffffffffffffp+1023, 3, 0, 12, 6, "1.797693e+308"},
        {0x0.0000000000001p-1022, 1, 0, 12, 6, "4.940656e-324"},
        // Fixed text too wide for the field.
        {123456789.0, 0, 0, 12, 6, "123456789.000000"},
        {123456789.0, 2, 0, 12, 6, "1.234568e+008"},
        {123456.5, 3, 0, 12, 6, "1.234565e+005"},
        // Zero of either sign has no sign.
        {0.0, 0, 0, 12, 6, "    0.000000"},
        {0.0, 3, 0, 12, 6, "0"},
        {-0.0, 0, 3, 12, 6, "    0.000000"},
        {-0.0, 3, 3, 12, 6, "0"},
        {-0.0, 1, 0, 15, 6, "  0.000000e+000"},
        // No decimals: integer zeros stay, no point.
        {100.0, 3, 0, 12, 0, "100"},
        {100.0, 0, 0, 5, 0, "  100"},
        // A first quotient that already has one digit is kept, even when
        // the next place would be finer.
        {0.5, 1, 0, 12, 0, "      1e+000"},
        {0.5, 1, 3, 12, 0, "      5e-001"},
        {0x1.79ca10c924223p-67, 1, 0, 0, 0, "1e-020"},
        {0.4, 3, 0, 12, 0, "4e-001"},
        // A field too narrow for the number widens instead of losing digits.
        {0.5, 0, 0, 2, 6, "0.500000"},
        {-0.5, 0, 0, 0, 6, "-0.500000"},
        // Ties go away from zero; codes other than 0, 2, 3 truncate.
        {0.5, 0, 0, 1, 0, "1"},
        {-0.5, 0, 0, 1, 0, "-1"},
        {0.125, 0, 0, 0, 2, "0.13"},
        {-0.125, 0, 0, 0, 2, "-0.13"},
        {-0.125, 0, 1, 0, 2, "-0.12"},
        {0.125, 0, 7, 0, 2, "0.12"},
        // Special values, cut only when the width is small.
        {inf, 3, 0, 12, 6, "Infinity"},
        {inf, 0, 0, 3, 6, "Inf"},
        {-inf, 3, 0, 12, 6, "-Infinity"},
        {-inf, 3, 0, 8, 6, "-Infinity"},
        {-inf, 3, 0, 7, 6, "-Infini"},
        {nan, 3, 0, 3, 6, "NaN"},
        {nan, 3, 0, 2, 6, "Na"},
        {nan, 3, 0, 0, 6, ""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(Iv_DoubleToString(c.x, Style(c.style, c.rounding, c.width, c.digits)), c.text)
            << std::hexfloat << c.x << " style " << c.style << " rounding " << c.rounding
            << " width " << c.width << " digits " << c.digits;
    }
}

TEST(NumberText, SmallestSubnormalIsExact) {
    // 2^-1074 = 5^1074 / 10^1074: 323 zeros after the point, then the 751
    // digits of 5^1074.
    mpz_t five;
    mpz_init(five);
    mpz_ui_pow_ui(five, 5, 1074);
    char* power = mpz_get_str(nullptr, 10, five);
    const std::string digits = power;
    void (*release)(void*, std::size_t);
    mp_get_memory_functions(nullptr, nullptr, &release);
    release(power, std::strlen(power) + 1);
    mpz_clear(five);
    ASSERT_EQ(digits.size(), 751u);

    const double tiny = 0x0.0000000000001p-1022;
    const std::string exact = "0." + std::string(323, '0') + digits;
    EXPECT_EQ(Iv_DoubleToString(tiny, Style(0, 3, 0, 1074)), exact);
    EXPECT_EQ(Iv_DoubleToString(tiny, Style(0, 2, 0, 1074)), exact);
    EXPECT_EQ(Iv_DoubleToString(-tiny, Style(3, 0, 2000, 1080)), "-" + exact);
    EXPECT_EQ(exact.substr(325, 12), "494065645841");
    EXPECT_EQ(exact.back(), '5');

    // One digit fewer: the trailing ...25 becomes ...2 down and ...3 up and nearest.
    const std::string cut = exact.substr(0, exact.size() - 1);
    EXPECT_EQ(Iv_DoubleToString(tiny, Style(0, 3, 0, 1073)), cut);
    std::string above = cut;
    above.back() = '3';
    EXPECT_EQ(Iv_DoubleToString(tiny, Style(0, 2, 0, 1073)), above);
    EXPECT_EQ(Iv_DoubleToString(tiny, Style(0, 0, 0, 1073)), above);
}

// For seeded random doubles of all magnitudes and signs, in every style: the
// down text is <= x, the up text >= x, the toward-zero text no larger in
// magnitude, each within one unit of its last digit, and the nearest text within
// half a unit.
TEST(NumberText, DirectedRoundingEnclosesExactValue) {
    std::mt19937_64 random(20240611);
    const unsigned digitChoices[] = {0, 1, 3, 6, 10, 17};
    const unsigned widthChoices[] = {0, 12, 25};
    mpq_t exact, text, difference, unit;
    mpq_inits(exact, text, difference, unit, static_cast<mpq_ptr>(nullptr));
    int checked = 0;
    for (int i = 0; checked < 3000; ++i) {
        double x;
        if (i % 2 == 0) {  // any bit pattern: subnormals to the largest doubles
            const std::uint64_t bits = random();
            std::memcpy(&x, &bits, sizeof x);
        } else {  // moderate magnitudes, where the fixed text is used
            const double mantissa = std::ldexp(static_cast<double>(random() >> 11), -53);
            const int exponent = static_cast<int>(random() % 80) - 40;
            x = std::ldexp(mantissa, exponent) * ((random() & 1) ? -1 : 1);
        }
        if (!std::isfinite(x)) {
            continue;
        }
        ++checked;
        mpq_set_d(exact, x);
        const int style = i % 4;
        const unsigned digits = digitChoices[(i / 4) % 6];
        const unsigned width = widthChoices[(i / 24) % 3];
        for (int rounding : {SAL_RoundNearest, SAL_RoundToZero, SAL_RoundUp, SAL_RoundDown}) {
            const std::string t = Iv_DoubleToString(x, Style(style, rounding, width, digits));
            long exponent = 0;
            ASSERT_TRUE(ParseDecimal(t, text, exponent)) << '"' << t << '"';
            const std::string where = "x = " + std::to_string(i) + " text \"" + t + "\"";
            // unit = 10^(exponent - digits): one unit of the last digit written.
            const long shift = exponent - static_cast<long>(digits);
            mpq_set_ui(unit, 1, 1);
            mpz_ui_pow_ui(shift >= 0 ? mpq_numref(unit) : mpq_denref(unit), 10,
                          static_cast<unsigned long>(std::labs(shift)));
            mpq_sub(difference, text, exact);  // text - x
            if (rounding == SAL_RoundToZero && x < 0) {
                mpq_neg(difference, difference);
            }
            if (rounding == SAL_RoundUp) {
                EXPECT_GE(mpq_sgn(difference), 0) << where;
                EXPECT_LT(mpq_cmp(difference, unit), 0) << where;
            } else if (rounding == SAL_RoundDown || rounding == SAL_RoundToZero) {
                EXPECT_LE(mpq_sgn(difference), 0) << where;
                mpq_neg(difference, difference);
                EXPECT_LT(mpq_cmp(difference, unit), 0) << where;
            } else {
                mpq_abs(difference, difference);
                mpz_mul_2exp(mpq_numref(difference), mpq_numref(difference), 1);
                mpq_canonicalize(difference);
                EXPECT_LE(mpq_cmp(difference, unit), 0) << where;
            }
        }
    }
    mpq_clears(exact, text, difference, unit, static_cast<mpq_ptr>(nullptr));
}

TEST(NumberText, SameTextInEveryRoundingMode) {
    const double values[] = {0x1.999999999999ap-4,
                             -0x1.79ca10c924223p-67,
                             0x1.7e43c8800759cp+996,
                             0x0.0000000000001p-1022,
                             -2.5,
                             0x1.89374bc6a7efap-10};
    for (double x : values) {
        for (int style = 0; style < 4; ++style) {
            for (int rounding = 0; rounding < 4; ++rounding) {
                SAL_Interface::SetRounding(SAL_RoundNearest);
                const std::string reference = Iv_DoubleToString(x, Style(style, rounding));
                for (int mode = 0; mode < 4; ++mode) {
                    SAL_Interface::SetRounding(mode);
                    const std::string t = Iv_DoubleToString(x, Style(style, rounding));
                    SAL_Interface::SetRounding(SAL_RoundNearest);
                    EXPECT_EQ(t, reference) << std::hexfloat << x << " style " << style
                                            << " rounding " << rounding << " mode " << mode;
                }
            }
        }
    }
}

}  // namespace
