#include <gtest/gtest.h>

#include <clocale>

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
    EXPECT_TRUE(ParseReal("1e-400", v));
    EXPECT_EQ(v, 0.0);
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

TEST(TextFormat, PadAndCut) {
    EXPECT_EQ(PadRight("GREEN", 8), "GREEN   ");
    EXPECT_EQ(PadRight("LONGER TEXT", 4), "LONGER TEXT");
    EXPECT_EQ(Cut("abcdefghijklmnopqrst", 15), "abcdefghijklmno");
    EXPECT_EQ(Cut("abc", 15), "abc");
}

}  // namespace
}  // namespace tarn
