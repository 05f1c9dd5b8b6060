// Shift result files, the shift interpolated between valid windows, the
// wavelength correction and the window statistics of an interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/shift_results.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

const std::string kGood =
    "!  wave_fit:     0.0012  meas:     4.3000 mod:     4.3100 factor: 0.3978";
const std::string kBad =
    "! NOT_SIGNIFICANT  wave_fit:     3.1000  meas:     0.4000 mod:     3.9000 factor: 0.3978";

class ShiftResultsTest : public test::EngineTest {
  protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        CommandLine.ScanName = "1731030";
        CommandLine.IdMet = "exa";
        CommandLine.IdShift = "s";
        CommandLine.IdShifAppl = "W";
        test::MakeDirs(Path("exa/shift"));
        Windows.ErThreshold = 0.06;
        Analysis.SdShiftThreshold = 0.1;
        Windows.Count = 0;
    }

    static void SetWindow(int w, double lower, double shift, double sd, double er,
                          const std::string& status) {
        Windows.Lower[w] = lower;
        Windows.Upper[w] = lower + 16.0;
        Windows.Shift[w] = shift;
        Windows.SdShift[w] = sd;
        Windows.ErrorRatio[w] = er;
        Windows.Status[w] = status;
        Windows.Count = std::max(Windows.Count, w);
    }

    // Centres 308, 318, 328, 338, 348 nm; windows 3 and 4 are not valid.
    static void FiveWindows() {
        SetWindow(1, 300.0, 0.05, 0.02, 0.01, kGood);
        SetWindow(2, 310.0, 0.15, 0.05, 0.10, kGood);  // only the error ratio exceeds
        SetWindow(3, 320.0, -0.2, 0.20, 0.20, kGood);  // both exceed
        SetWindow(4, 330.0, 0.90, 0.01, 0.01, kBad);
        SetWindow(5, 340.0, 0.25, 0.03, 0.02, kGood);
    }

    static void SetScan(std::initializer_list<double> wavelengths) {
        int n = 0;
        for (double wl : wavelengths) {
            Spectra.MeasuredWavelengths[++n] = wl;
            Spectra.MeasuredIrradiances[n] = 1.0;
        }
        Spectra.MeasuredWavelengths[0] = n;
    }

    void CreateAppliedShiftFile() {
        test::WriteFile(Path("exa/shift/1731030W.exa"), "!wavel wavelength shift (nm)\n");
    }
};

TEST_F(ShiftResultsTest, ScanShiftTableGoldenText) {
    RunDate = RunDateTime{2024, 6, 21, 6, 10, 5, 7, 0};
    Instrument.MeasurementDirectory = "uvdata/exa/";
    Instrument.MeasurementExtension = ".exa";
    Analysis.MeasurementYear = "2002";
    Paths.EtFileName = "etsyn.et";
    Paths.O3CrossFileName = "o3syn.wgt";
    Analysis.EtShift = 0.0;
    Analysis.O3Shift = 0.012;
    Instrument.RangeStart = 290.0;
    Instrument.RangeEnd = 400.0;
    Instrument.RangeStep = 0.5;
    Analysis.Latitude = 52.1;
    Analysis.Longitude = 5.18;
    Scan.SolarZenithAngle = 35.1234;
    Instrument.HeaderLineCount = 2;
    Scan.HeaderLines[1] = "header one";
    Scan.HeaderLines[2] = "header two";
    FiveWindows();
    Engine.Switches.Daily_shif = false;
    WriteShiftResults();
    EXPECT_EQ(test::ReadFile(Path("exa/shift/1731030s.exa")),
              std::string("! Programm: ") + kVersionBanner +
                  "\n"
                  "! Calculated : 2024 Month  6 Day 21 Time: 10: 5\n"
                  "! Units as in measurement file: uvdata/exa/1731030.exa Measurement Year: 2002\n"
                  "! Extra Terrestrial spectrum  : etsyn.et  ET-shifted over:  0.000 nm\n"
                  "! Ozone cross section applied : o3syn.wgt  OzonX-shifted over:  0.012 nm\n"
                  "! Range in wavelengths        : 290.00 - 400.00 step:   0.50\n"
                  "! Latitude:  52.10 Longitude   5.18 Solar Zenith Angle: 35.123\n"
                  "! Measurement Header-information:   2 lines\n"
                  "! header one\n"
                  "! header two\n"
                  "!wave begin end  shift SDshift Err.Ratio Mean_wavelength\n"
                  " 300.00  316.00  0.050 0.020  0.01000   308.00 " +
                  kGood +
                  "\n"
                  " 310.00  326.00  0.150 0.050  0.10000   318.00 " +
                  kGood +
                  "\n"
                  " 320.00  336.00 -0.200 0.200  0.20000   328.00 ! Error Ratio AND SDshift "
                  "exceed resp.:  0.06000 AND  0.100 " +
                  kGood +
                  "\n"
                  " 330.00  346.00  0.900 0.010  0.01000   338.00 " +
                  kBad +
                  "\n"
                  " 340.00  356.00  0.250 0.030  0.02000   348.00 " +
                  kGood + "\n");
    // The main log names the table.
    EXPECT_NE(test::ReadFile(Path(kMainLogName)).find(MainPath() + "exa/shift/1731030s.exa\n"),
              std::string::npos);
}

TEST_F(ShiftResultsTest, DailyShiftFileIsCreatedThenAppended) {
    FiveWindows();
    Scan.SolarZenithAngle = 35.1234;
    Qc.SelectedWindowCount = 3;
    Qc.SelectedWindows[1] = 1;
    Qc.SelectedWindows[2] = 3;
    Qc.SelectedWindows[3] = 7;  // no such window: 9.999 in its fields
    Engine.Switches.Detailed_shif = false;
    WriteShiftResults();
    CommandLine.ScanName = "1731215";
    Scan.SolarZenithAngle = 28.5;
    Windows.Shift[1] = 0.061;
    WriteShiftResults();
    EXPECT_EQ(test::ReadFile(Path("exa/shift/173shis.exa")),
              "!date hh.dec  sza shift: \n"
              "!                     300.0-316.0   320.0-336.0    10.0- 10.0   ER:300.0    320.0  "
              "   10.0    \n"
              "!daytime hh.dec  sza  shift SD_shi  shift SD_shi  shift SD_shi  ER_ratio ER_ratio "
              "ER_ratio \n"
              "1731030 10.5000 35.12  0.050 0.020  -0.200 0.200   9.999 9.999   0.01000  0.20000  "
              "9.99900 \n"
              "1731215 12.2500 28.50  0.061 0.020  -0.200 0.200   9.999 9.999   0.01000  0.20000  "
              "9.99900 \n");
    EXPECT_FALSE(test::FileExists(Path("exa/shift/1731030s.exa")));
}

TEST_F(ShiftResultsTest, DailyShiftFileWithoutSelectedWindowsAndOddScanName) {
    FiveWindows();
    Qc.SelectedWindowCount = 0;
    CommandLine.ScanName = "173ab30";  // hour not a number: 0
    Scan.SolarZenithAngle = 60.0;
    Engine.Switches.Detailed_shif = false;
    WriteShiftResults();
    EXPECT_EQ(test::ReadFile(Path("exa/shift/173shis.exa")),
              "!date hh.dec  sza shift: \n"
              "!                     ER:\n"
              "!daytime hh.dec  sza  \n"
              "173ab30  0.5000 60.00 \n");
}

// The day file is named by the scan name's first three characters as they
// stand: a shorter name is not padded.
TEST_F(ShiftResultsTest, DailyShiftFileOfAShortScanNameIsNotPadded) {
    FiveWindows();
    CommandLine.ScanName = "12";
    Engine.Switches.Detailed_shif = false;
    WriteShiftResults();
    EXPECT_TRUE(test::FileExists(Path("exa/shift/12shis.exa")));
    EXPECT_FALSE(test::FileExists(Path("exa/shift/012shis.exa")));
}

TEST_F(ShiftResultsTest, MissingShiftDirectoryIsARunTimeError) {
    FiveWindows();
    CommandLine.IdMet = "xyz";
    EXPECT_THROW(WriteShiftResults(), RunTimeError);
}

TEST_F(ShiftResultsTest, ShiftIsInterpolatedBetweenValidCentres) {
    FiveWindows();
    Engine.Switches.Corr_waveln = false;
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(290.0), 0.05);  // below the first valid centre
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(308.0), 0.05);  // on it
    EXPECT_NEAR(ShiftAtWavelength(313.0), 0.10, 1e-12);
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(318.0), 0.15);    // on a valid centre
    EXPECT_NEAR(ShiftAtWavelength(333.0), 0.20, 1e-12);  // windows 3 and 4 are passed over
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(348.0), 0.25);
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(400.0), 0.25);  // beyond the last valid centre
}

TEST_F(ShiftResultsTest, FirstValidWindowMayComeLate) {
    FiveWindows();
    Windows.Status[1] = kBad;
    Windows.Status[2] = kBad;
    Engine.Switches.Corr_waveln = false;
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(300.0), 0.25);
    EXPECT_DOUBLE_EQ(ShiftAtWavelength(360.0), 0.25);
}

TEST_F(ShiftResultsTest, CorrectionRoundsToTheHundredthAndListsTheShifts) {
    FiveWindows();
    CreateAppliedShiftFile();
    SetScan({290.0, 308.0, 313.0, 318.0, 333.0, 348.0, 400.0});
    Shift_correction();
    const double expected[] = {290.05, 308.05, 313.10, 318.15, 333.20, 348.25, 400.25};
    for (int i = 1; i <= 7; ++i)
        EXPECT_DOUBLE_EQ(Spectra.MeasuredWavelengths[i], expected[i - 1]) << i;
    EXPECT_EQ(Spectra.MeasuredIrradiances[3], 1.0);
    EXPECT_EQ(test::ReadFile(Path("exa/shift/1731030W.exa")),
              "!wavel wavelength shift (nm)\n"
              "290.00    0.0500\n"
              "308.00    0.0500\n"
              "313.00    0.1000\n"
              "318.00    0.1500\n"
              "333.00    0.2000\n"
              "348.00    0.2500\n"
              "400.00    0.2500\n");
}

TEST_F(ShiftResultsTest, CorrectedWavelengthsRoundTiesToEven) {
    SetWindow(1, 292.0, 0.125, 0.01, 0.01, kGood);
    Engine.Switches.Corr_waveln = false;  // no rows, correction applied all the same
    SetScan({300.0, 300.25});
    Shift_correction();
    EXPECT_DOUBLE_EQ(Spectra.MeasuredWavelengths[1], 300.12);  // 300.125
    EXPECT_DOUBLE_EQ(Spectra.MeasuredWavelengths[2], 300.38);  // 300.375
    EXPECT_FALSE(test::FileExists(Path("exa/shift/1731030W.exa")));
}

TEST_F(ShiftResultsTest, NoValidWindowGivesZeroShiftAndOneLogLine) {
    FiveWindows();
    for (int w = 1; w <= 5; ++w) Windows.Status[w] = kBad;
    CreateAppliedShiftFile();
    SetScan({300.0, 310.5, 320.0});
    Shift_correction();
    EXPECT_DOUBLE_EQ(Spectra.MeasuredWavelengths[2], 310.5);
    std::string log = test::ReadFile(Path(kMainLogName));
    const std::string line = "No valid shift window: a shift of 0 nm is applied";
    ASSERT_NE(log.find(line), std::string::npos);
    EXPECT_EQ(log.find(line), log.rfind(line));
    EXPECT_EQ(test::ReadLines(Path("exa/shift/1731030W.exa")).back(), "320.00    0.0000");
}

TEST_F(ShiftResultsTest, WindowStatisticsOverAnInterval) {
    // Centres 300, 310, 320, 325, 330 nm.
    SetWindow(1, 292.0, 0.1, 0.01, 0.01, kGood);
    SetWindow(2, 302.0, 0.2, 0.01, 0.02, kGood);
    SetWindow(3, 312.0, 0.9, 0.20, 0.50, kGood);  // both limits exceeded: not used
    SetWindow(4, 317.0, 0.3, 0.01, 0.03, kGood);
    SetWindow(5, 322.0, 0.4, 0.01, 0.04, kBad);
    IntervalShiftStats stats{};
    stats = ShiftWindowStatistics(300.0, 325.0);
    EXPECT_EQ(stats.WindowsUsed, 3);
    EXPECT_NEAR(stats.MeanShift, 0.2, 1e-12);
    EXPECT_NEAR(stats.SdShift, 0.1, 1e-12);
    EXPECT_NEAR(stats.MeanErrorRatio, 0.02, 1e-12);
    EXPECT_NEAR(stats.SdErrorRatio, 0.01, 1e-12);

    // The window centred on 325 nm counts in the second interval too; alone it has no deviation.
    stats = ShiftWindowStatistics(325.0, 400.0);
    EXPECT_EQ(stats.WindowsUsed, 1);
    EXPECT_DOUBLE_EQ(stats.MeanShift, 0.3);
    EXPECT_DOUBLE_EQ(stats.MeanErrorRatio, 0.03);
    EXPECT_EQ(stats.SdShift, 9.999);
    EXPECT_EQ(stats.SdErrorRatio, 9.999);

    // Only an invalid window, and no window at all, in the interval.
    stats = ShiftWindowStatistics(328.0, 340.0);
    EXPECT_EQ(stats.WindowsUsed, 0);
    EXPECT_EQ(stats.MeanShift, 9.999);
    EXPECT_EQ(stats.MeanErrorRatio, 9.999);
    stats = ShiftWindowStatistics(340.0, 400.0);
    EXPECT_EQ(stats.WindowsUsed, 0);
    EXPECT_EQ(stats.SdShift, 9.999);
}

}  // namespace
}  // namespace tarn
