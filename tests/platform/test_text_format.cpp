#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/text_format.h"

namespace tarn {
namespace {

TEST(TextFormat, FixedRightAlignsAndWidens) {
    EXPECT_EQ(Fixed(250.0, 7, 2), " 250.00");
    EXPECT_EQ(Fixed(410.0, 7, 2), " 410.00");
    EXPECT_EQ(Fixed(370.0, 7, 2), " 370.00");
    EXPECT_EQ(Fixed(12345.678, 5, 2), "12345.68");
    EXPECT_EQ(Fixed(-0.5, 6, 3), "-0.500");
    EXPECT_EQ(Fixed(0.5, 14, 8), "    0.50000000");
    EXPECT_EQ(Fixed(290.0, 6, 2), "290.00");
    EXPECT_EQ(Fixed(999.999, 10, 2), "   1000.00");
}

TEST(TextFormat, FixedRoundsAsPrintf) {
    // 0.125 is exact in binary: ties go to even as printf does; 0.375 likewise.
    EXPECT_EQ(Fixed(0.125, 4, 2), "0.12");
    EXPECT_EQ(Fixed(0.375, 4, 2), "0.38");
    // 1.005 is stored slightly below 1.005.
    EXPECT_EQ(Fixed(1.005, 4, 2), "1.00");
}

TEST(TextFormat, SciIsTwentyThreeCharacters) {
    EXPECT_EQ(Sci(290.0), " 2.90000000000000E+0002");
    EXPECT_EQ(Sci(0.0005), " 5.00000000000000E-0004");
    EXPECT_EQ(Sci(-1.5), "-1.50000000000000E+0000");
    EXPECT_EQ(Sci(0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(Sci(1e-300), " 1.00000000000000E-0300");
    EXPECT_EQ(Sci(1.0), " 1.00000000000000E+0000");
    EXPECT_EQ(Sci(290.0).size(), 23u);
    EXPECT_EQ(Sci(-123456.789).size(), 23u);
}

TEST(TextFormat, IntegersWithAndWithoutWidth) {
    EXPECT_EQ(IntW(7, 4), "   7");
    EXPECT_EQ(IntW(2026, 4), "2026");
    EXPECT_EQ(IntW(12345, 2), "12345");
    EXPECT_EQ(IntW(-3, 3), " -3");
    EXPECT_EQ(IntText(300), "300");
    EXPECT_EQ(IntText(-12), "-12");
}

TEST(TextFormat, RoundHalvesToEven) {
    EXPECT_EQ(RoundEven(0.5), 0);
    EXPECT_EQ(RoundEven(1.5), 2);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(-0.5), 0);
    EXPECT_EQ(RoundEven(-1.5), -2);
    EXPECT_EQ(RoundEven(2.4999), 2);
    EXPECT_EQ(RoundEven(30012.5), 30012);
    EXPECT_EQ(RoundEven(30037.5), 30038);
}

TEST(TextFormat, TruncIntFrac) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_DOUBLE_EQ(IntPart(-2.9), -2.0);
    EXPECT_NEAR(FracPart(2.75), 0.75, 1e-15);
    EXPECT_NEAR(FracPart(-2.75), -0.75, 1e-15);
}

TEST(TextFormat, ParseRealAcceptsTheNumberForms) {
    double v = 0;
    EXPECT_TRUE(ParseReal("290", v));
    EXPECT_DOUBLE_EQ(v, 290);
    EXPECT_TRUE(ParseReal("-0.25", v));
    EXPECT_DOUBLE_EQ(v, -0.25);
    EXPECT_TRUE(ParseReal("+1.5E+0002", v));
    EXPECT_DOUBLE_EQ(v, 150);
    EXPECT_TRUE(ParseReal(".25", v));
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_TRUE(ParseReal("5.", v));
    EXPECT_DOUBLE_EQ(v, 5);
    EXPECT_TRUE(ParseReal("2.90000000000000E+0002", v));
    EXPECT_DOUBLE_EQ(v, 290);
    EXPECT_TRUE(ParseReal("1e-400", v));  // too small for a real: 0
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(ParseReal("0.01e310", v));
    EXPECT_DOUBLE_EQ(v, 1e308);
    v = 7;
    EXPECT_FALSE(ParseReal("1e400", v));  // too large for a real: not a number
    EXPECT_FALSE(ParseReal("-2e308", v));
    EXPECT_EQ(v, 7);
}

TEST(TextFormat, ParseRealRejectsText) {
    double v = 7;
    for (const char* bad :
         {"", "abc", "1.2.3", "12abc", "e5", ".", "-", "1e", "inf", "nan", "0x10", "1,5", " 1"}) {
        EXPECT_FALSE(ParseReal(bad, v)) << bad;
    }
    EXPECT_EQ(v, 7);
}

TEST(TextFormat, ParseIntTakesWholeIntegersOnly) {
    long v = 0;
    EXPECT_TRUE(ParseInt("300", v));
    EXPECT_EQ(v, 300);
    EXPECT_TRUE(ParseInt("-5", v));
    EXPECT_EQ(v, -5);
    EXPECT_FALSE(ParseInt("1.5", v));
    EXPECT_FALSE(ParseInt("abc", v));
    EXPECT_FALSE(ParseInt("99999999999", v));
    EXPECT_TRUE(ParseIntTrimmed("  12 ", v));
    EXPECT_EQ(v, 12);
    // One sign at most.
    EXPECT_FALSE(ParseInt("--5", v));
    EXPECT_FALSE(ParseInt("+-5", v));
    EXPECT_FALSE(ParseInt("-", v));
    EXPECT_EQ(v, 12);
}

TEST(TextFormat, IndependentOfTheProcessLocale) {
    // A locale with a decimal comma must not change reading or writing.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "nl_NL.UTF-8") == nullptr) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    double v = 0;
    EXPECT_TRUE(ParseReal("0.5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_EQ(Fixed(0.5, 6, 3), " 0.500");
    EXPECT_EQ(Sci(290.0), " 2.90000000000000E+0002");
    std::setlocale(LC_ALL, "C");
}

// printf's forms, as the formatter produced them before it had its own digits.
std::string PrintfFixed(double x, int width, int decimals) {
    char buffer[400];
    int n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, x);
    return std::string(buffer, n);
}

std::string PrintfSci(double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", x);
    std::string text(buffer);
    size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    long exponent = std::strtol(text.c_str() + e + 2, nullptr, 10);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%04ld", text[e + 1], exponent);
    if (mantissa[0] != '-') mantissa.insert(mantissa.begin(), ' ');
    return mantissa + exp;
}

// Doubles of every kind: random bit patterns over all exponents, sizes the
// engine writes (wavelengths, irradiances, errors), grid sums of 0.01, and
// dyadic fractions m / 2^j, whose decimal expansions end in 5 and so make
// exact ties at some number of decimals or significant digits.
std::vector<double> ManyDoubles(size_t count) {
    std::mt19937_64 random(20240611);
    std::vector<double> values;
    values.reserve(count);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double grid = 250.0;
    while (values.size() < count) {
        double x = 0.0;
        switch (values.size() % 5) {
            case 0: {
                uint64_t bits = random();
                std::memcpy(&x, &bits, sizeof x);
                if (!std::isfinite(x)) continue;
                break;
            }
            case 1:
                x = (unit(random) - 0.5) * std::pow(10.0, static_cast<int>(random() % 24) - 8);
                break;
            case 2:
                grid += 0.01;
                x = grid;
                break;
            case 3:
                x = std::ldexp(static_cast<double>(random() % 2000001) - 1000000.0,
                               -static_cast<int>(random() % 64));
                break;
            default:
                x = std::ldexp(static_cast<double>(random() >> 11),
                               -static_cast<int>(random() % 120));
                if (random() % 2 == 0) x = -x;
                break;
        }
        values.push_back(x);
    }
    return values;
}

TEST(TextFormat, FixedEqualsPrintfForEveryKindOfDouble) {
    // Byte for byte, over 400000 doubles with 0..20 decimals and widths 0..30.
    std::mt19937 random(7);
    size_t mismatches = 0;
    for (double x : ManyDoubles(400000)) {
        int decimals = static_cast<int>(random() % 21);
        int width = static_cast<int>(random() % 31);
        if (std::fabs(x) > 1e30 && decimals > 8) decimals = 8;  // keep printf below 400 bytes
        if (Fixed(x, width, decimals) != PrintfFixed(x, width, decimals) && ++mismatches < 10) {
            ADD_FAILURE() << "x = " << PrintfSci(x) << " (" << std::hexfloat << x << ") w " << width
                          << " d " << decimals << ": " << Fixed(x, width, decimals) << " vs "
                          << PrintfFixed(x, width, decimals);
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(TextFormat, SciEqualsPrintfForEveryKindOfDouble) {
    size_t mismatches = 0;
    for (double x : ManyDoubles(400000)) {
        if (Sci(x) != PrintfSci(x) && ++mismatches < 10)
            ADD_FAILURE() << std::hexfloat << x << ": " << Sci(x) << " vs " << PrintfSci(x);
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(TextFormat, TiesCarriesAndSignsAsPrintf) {
    // Exact ties go to the even digit; carries move the point or the exponent.
    const double cases[] = {0.125,
                            0.375,
                            2.5,
                            3.5,
                            -2.5,
                            1.0 / 1024,
                            -0.0,
                            0.0,
                            -0.001,
                            0.0005,
                            9.9995,
                            999.9999999,
                            std::ldexp(1.0, -22),
                            std::ldexp(3.0, -30),
                            9.999999999999995,
                            0.99999999999999995,
                            999999999999999.9,
                            99999999999999.99,
                            1e-7,
                            9.99999999999999e-8,
                            1e15,
                            -1e15,
                            5e-324,
                            1.7976931348623157e308,
                            123456789012345.6};
    for (double x : cases) {
        EXPECT_EQ(Sci(x), PrintfSci(x)) << x;
        for (int d = 0; d <= 18; ++d) {
            if (std::fabs(x) > 1e30 && d > 8) continue;
            EXPECT_EQ(Fixed(x, 12, d), PrintfFixed(x, 12, d)) << x << " d " << d;
        }
    }
    EXPECT_EQ(Sci(std::ldexp(1.0, -22)), " 2.38418579101562E-0007");  // ...625: tie to even
    EXPECT_EQ(Fixed(-0.001, 6, 2), " -0.00");
    EXPECT_EQ(Sci(-0.0), "-0.00000000000000E+0000");
}

TEST(TextFormat, ParseRealEqualsStrtodForEveryKindOfNumberText) {
    // Bit for bit: random digit strings with and without a point and an
    // exponent, and the engine's own forms of many doubles read back.
    std::mt19937_64 random(11);
    auto bits = [](double v) {
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    size_t mismatches = 0;
    auto check = [&](const std::string& text) {
        double parsed = 0.0;
        ASSERT_TRUE(ParseReal(text, parsed)) << text;
        double expected = std::strtod(text.c_str(), nullptr);
        if (std::fabs(expected) == HUGE_VAL ||
            (expected == 0.0 && text.find_first_of("123456789") < text.find_first_of("eE")))
            return;  // out of range: handled apart
        if (bits(parsed) != bits(expected) && ++mismatches < 10)
            ADD_FAILURE() << text << ": " << PrintfSci(parsed) << " vs " << PrintfSci(expected);
    };
    for (int n = 0; n < 200000; ++n) {
        std::string text;
        if (random() % 4 == 0) text += random() % 2 ? "-" : "+";
        int before = static_cast<int>(random() % 12);
        int after = static_cast<int>(random() % 16);
        if (before + after == 0) before = 1;
        for (int i = 0; i < before; ++i) text += static_cast<char>('0' + random() % 10);
        if (after > 0 || random() % 3 == 0) text += '.';
        for (int i = 0; i < after; ++i) text += static_cast<char>('0' + random() % 10);
        if (random() % 2 == 0) {
            text += random() % 2 ? 'E' : 'e';
            if (random() % 2 == 0) text += random() % 2 ? "-" : "+";
            int exponent = static_cast<int>(random() % 40);
            char digits[8];
            std::snprintf(digits, sizeof digits, random() % 2 ? "%04d" : "%d", exponent);
            text += digits;
        }
        check(text);
    }
    for (double x : ManyDoubles(100000)) {
        if (std::fabs(x) > 1e300 || (x != 0.0 && std::fabs(x) < 1e-300)) continue;
        std::string sci = Sci(x);
        check(sci[0] == ' ' ? sci.substr(1) : sci);  // the sign place is blank for x >= 0
        check(Fixed(x, 0, 6));
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(TextFormat, RoundEvenEqualsNearbyint) {
    for (double x : ManyDoubles(100000)) {
        double r = std::nearbyint(x);
        long long expected = !std::isfinite(x) ? 0
                             : r >= 9.2e18     ? std::numeric_limits<long long>::max()
                             : r <= -9.2e18    ? std::numeric_limits<long long>::min()
                                               : static_cast<long long>(r);
        ASSERT_EQ(RoundEven(x), expected) << std::hexfloat << x;
        double half = std::floor(x) + 0.5;  // a tie near x
        if (std::fabs(half) < 1e15) {
            ASSERT_EQ(RoundEven(half), static_cast<long long>(std::nearbyint(half)));
        }
    }
}

TEST(TextFormat, FixedPrecisionLimitsTheSignificantDigits) {
    EXPECT_EQ(FixedPrecision(52.1, 10, 5), "52.10000");
    EXPECT_EQ(FixedPrecision(5.18, 10, 5), "5.18000");
    EXPECT_EQ(FixedPrecision(3.14159265, 10, 5), "3.14159");
    EXPECT_EQ(FixedPrecision(3.14159265, 4, 5), "3.14200");
    EXPECT_EQ(FixedPrecision(287.1, 6, 2), "287.10");
    EXPECT_EQ(FixedPrecision(1000, 6, 2), "1000.00");  // no digit grouping
    EXPECT_EQ(FixedPrecision(123456.789, 6, 2), "123457.00");
    EXPECT_EQ(FixedPrecision(-0.0049, 6, 2), "0.00");
    EXPECT_EQ(FixedPrecision(0.000123456, 6, 8), "0.00012346");
    EXPECT_EQ(FixedPrecision(-2.5, 3, 0), "-2");  // halves to even
    EXPECT_EQ(FixedPrecision(0, 2, 0), "0");
    EXPECT_EQ(FixedPrecision(99.96, 3, 1), "100.0");
    // More digits before the point than the precision: scientific form.
    EXPECT_EQ(FixedPrecision(1234567, 6, 2), "1.23457E+06");
    EXPECT_EQ(FixedPrecision(-100, 2, 0), "-1E+02");
    EXPECT_EQ(FixedPrecision(999.6, 3, 0), "1E+03");
    double back = 0;
    EXPECT_TRUE(ParseReal(FixedPrecision(1234567, 6, 2), back));
    EXPECT_DOUBLE_EQ(back, 1234570);
}

TEST(TextFormat, PadAndCut) {
    EXPECT_EQ(PadRight("GREEN", 8), "GREEN   ");
    EXPECT_EQ(PadRight("LONGER TEXT", 4), "LONGER TEXT");
    EXPECT_EQ(Cut("abcdefghijklmnopqrst", 15), "abcdefghijklmno");
    EXPECT_EQ(Cut("abc", 15), "abc");
}

}  // namespace
}  // namespace tarn
