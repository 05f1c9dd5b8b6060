#include <gtest/gtest.h>

#include "engine/engine_state.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "engine/scan_reading.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::WriteFile;

class ScanReadingTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Instrument.IrradianceFactor = 1.0;
        Instrument.LineStep = 1;
        Instrument.HeaderLineCount = 0;
        Instrument.RangeStart = 290;
        Instrument.RangeEnd = 400;
        Instrument.RangeStep = 0.5;
    }

    // Reads `content` as the scan file; returns false when the run ended (out of range).
    bool Read(const std::string& content) {
        WriteFile(Path("scan.txt"), content);
        TextIn scan;
        EXPECT_TRUE(scan.Open(Path("scan.txt")));
        try {
            ReadScan(scan, "dir/1731200.abc");
        } catch (const EngineExit& e) {
            EXPECT_EQ(e.Code, kExitNormal);
            return false;
        }
        return true;
    }

    int N() const { return Scan.PointCount; }
    double W(int i) const { return Spectra.MeasuredWavelengths[i]; }
    double E(int i) const { return Spectra.MeasuredIrradiances[i]; }
};

TEST_F(ScanReadingTest, SkipsTextAndOutOfRangeLinesAndKeepsTheLastLine) {
    ASSERT_TRUE(Read("header text\n240.0 1.0\n249.9 2.0\n250.0 0.5\n250.5 0.25\n251.0 0.125\n"));
    ASSERT_EQ(N(), 3);
    EXPECT_EQ(W(1), 250.0);
    EXPECT_EQ(E(1), 0.5);
    EXPECT_EQ(W(3), 251.0);  // the last line, on which the loop stops
    EXPECT_EQ(E(3), 0.125);
    EXPECT_EQ(Spectra.MeasuredWavelengths[0], 3.0);
    EXPECT_EQ(Spectra.MeasuredIrradiances[0], 3.0);
    EXPECT_EQ(Instrument.RangeEnd, 251.0);  // cut to the scan
    EXPECT_EQ(ReadFile(Path("meting.met")),
              "  250.0000  5.00000000000000E-0001\n"
              "  250.5000  2.50000000000000E-0001\n"
              "  251.0000  1.25000000000000E-0001\n");
}

TEST_F(ScanReadingTest, ScanEndingAtTheRangeEndKeepsIt) {
    Instrument.RangeEnd = 301.0;
    ASSERT_TRUE(Read("300 1\n300.5 2\n301 3\n"));
    EXPECT_EQ(N(), 3);
    EXPECT_EQ(Instrument.RangeEnd, 301.0);  // not the point before the last
    Instrument.RangeEnd = 400.0;
    ASSERT_TRUE(Read("300 1\n300.5 2\n301 3\n"));
    EXPECT_EQ(Instrument.RangeEnd, 301.0);
}

TEST_F(ScanReadingTest, HeaderLinesFactorAndStopAboveTheGridHigh) {
    Instrument.HeaderLineCount = 2;
    Instrument.IrradianceFactor = 2.0;
    ASSERT_TRUE(Read("first header\nsecond header\n399.5 1\n400 2\n410 3\n410.5 4\n411 5\n"));
    EXPECT_EQ(Scan.HeaderLines[1], "first header");
    EXPECT_EQ(Scan.HeaderLines[2], "second header");
    ASSERT_EQ(N(), 3);  // 410 is the grid high and is kept; 410.5 stops the storing
    EXPECT_EQ(W(3), 410.0);
    EXPECT_EQ(E(3), 6.0);
    EXPECT_EQ(Instrument.RangeEnd, 400.0);  // the last stored wavelength is not lower
}

TEST_F(ScanReadingTest, LineStepTwoStoresEverySecondLine) {
    Instrument.LineStep = 2;
    ASSERT_TRUE(Read("300 1\n300.5 2\n301 3\n301.5 4\n302 5\n302.5 6\n303 7\n"));
    ASSERT_EQ(N(), 4);
    EXPECT_EQ(W(1), 300.0);
    EXPECT_EQ(W(2), 301.0);
    EXPECT_EQ(W(3), 302.0);
    EXPECT_EQ(W(4), 303.0);
}

TEST_F(ScanReadingTest, LineStepBelowOneIsTakenAsOne) {
    Instrument.LineStep = 0;
    ASSERT_TRUE(Read("300 1\n300.5 2\n301 3\n"));
    EXPECT_EQ(N(), 3);
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("Line step 0 of the instrument file taken as 1"),
              std::string::npos);
}

TEST_F(ScanReadingTest, StoresAtMostFortyThousandPoints) {
    Analysis.GridHigh = 1000;
    std::string text;
    for (int i = 0; i < 40005; ++i) text += std::to_string(250 + i * 0.01) + " 1\n";
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(N(), 40000);
    EXPECT_NEAR(W(40000), 250 + 39999 * 0.01, 1e-9);
}

// The pair after the 40000th is not stored: equal to the range end, it does
// not set the range end, which becomes the last stored wavelength.
TEST_F(ScanReadingTest, PairBeyondThePointCapDoesNotSetTheRangeEnd) {
    Analysis.GridHigh = 1000;
    Instrument.RangeEnd = 650.0;
    std::string text;
    for (int i = 0; i <= 40000; ++i) text += Fixed(250 + i * 0.01, 0, 2) + " 1\n";
    text += "651 1\n";
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(N(), 40000);
    EXPECT_NEAR(Instrument.RangeEnd, 649.99, 1e-9);
}

// Wavelengths that do not rise (equal, falling past an empty line, equal on
// the last line) and an irradiance beyond +-1e6 after the factor are refused,
// naming the scan file and line; a byte-order mark keeps the first point.
TEST_F(ScanReadingTest, RefusedPairsNameTheScanFileAndLine) {
    struct Case {
        const char* text;
        double factor;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"300 1\n300.5 2\n300.5 3\n301 4\n", 1.0, 3, "300.5000 nm does not rise"},
        {"300 1\n301 2\n\n300.5 3\n302 4\n", 1.0, 4, "does not rise above the one before"},
        {"300 1\n301 2\n301 2\n", 1.0, 3, "does not rise"},
        {"300 1\n300.5 1e300\n301 1\n", 1.0, 2, "1.00000000000000E+0300) is beyond"},
        {"300 -2e-3\n", 1e9, 1, "is beyond +- 1.00000000000000E+0006"},
    };
    for (const Case& c : cases) {
        Instrument.IrradianceFactor = c.factor;
        try {
            Read(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.File(), "dir/1731200.abc") << c.text;
            EXPECT_EQ(e.Line(), c.line) << c.text;
            EXPECT_NE(e.Reason().find(c.reason), std::string::npos) << e.Reason();
        }
    }
    Instrument.IrradianceFactor = 1.0;
    ASSERT_TRUE(
        Read("\xEF\xBB\xBF"
             "300 1\n300.5 2\n"));
    EXPECT_EQ(N(), 2);
    EXPECT_EQ(W(1), 300.0);
    for (double tiny : {1e-300, -5e-49, 4e-320}) {
        ASSERT_TRUE(Read("300 1\n300.5 " + Sci(tiny) + "\n301 1\n"));
        EXPECT_EQ(E(2), tiny);
    }
}

TEST_F(ScanReadingTest, NoPairInRangeLogsOneLineAndEnds) {
    EXPECT_FALSE(Read("200 1\n210 2\ntext\n"));
    std::vector<std::string> log = ReadLines(Path("tarnpelo.log"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "dir/1731200.abc Wavelengths out of range:  250.00  410.00nm");
    EXPECT_TRUE(ConsoleText().empty());
    EXPECT_FALSE(Read(""));
}

TEST_F(ScanReadingTest, UnreadableNumberAfterTheFirstPairIsARunTimeError) {
    WriteFile(Path("scan.txt"), "300 1\n300.5 2\nbad 3\n");
    TextIn scan;
    ASSERT_TRUE(scan.Open(Path("scan.txt")));
    try {
        ReadScan(scan, "x");
        FAIL() << "no error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Line(), 3);
    }
    // The copy holds what was read up to the error.
    EXPECT_EQ(ReadLines(Path("meting.met")).size(), 2u);
}

TEST_F(ScanReadingTest, SurplusHeaderLinesAreSkipped) {
    Instrument.HeaderLineCount = 52;
    std::string text;
    for (int i = 1; i <= 52; ++i) text += "header " + std::to_string(i) + "\n";
    ASSERT_TRUE(Read(text + "300 1\n301 2\n"));
    EXPECT_EQ(Scan.HeaderLines[50], "header 50");
    EXPECT_EQ(N(), 2);
    EXPECT_EQ(Instrument.HeaderLineCount, 50u);
}

}  // namespace
}  // namespace tarn
