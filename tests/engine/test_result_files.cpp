#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/result_files.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

class ResultFilesTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        RunDate = RunDateTime{2024, 6, 21, 5, 9, 5, 0, 0};
        CommandLine.ScanName = "1731200";
        CommandLine.IdMet = "exa";
        Instrument.MeasurementDirectory = "uvdata/exa/";
        Instrument.MeasurementExtension = ".exa";
        Instrument.IrradianceFactor = 1.0;
        Instrument.RangeStart = 290.0;
        Instrument.RangeEnd = 363.2;
        Instrument.RangeStep = 0.5;
        Instrument.Fwhm = 0.55;
        Instrument.SlitChar = '1';
        Analysis.MeasurementYear = "2024";
        Analysis.TimeCorrection[0] = 0;
        Analysis.TimeCorrection[1] = 1;
        Analysis.TimeCorrection[2] = 0;
        Analysis.TimeCorrection[3] = 30;
        Analysis.Latitude = 52.1;
        Analysis.Longitude = 5.18;
        Analysis.SpikeDetectionOn = true;
        Analysis.SpikeCorrectionOn = false;
        Analysis.SpikeCriterion = 2.0;
        Analysis.StdFwhm = 1.0;
        Analysis.StdSlitChar = '0';
        Flow.ShiftCorrectionOn = true;
        Instrument.HeaderLineCount = 2;
        Scan.HeaderLines[1] = "line one";
        Scan.HeaderLines[2] = "  line two";
        Scan.EarthSunFactor = 0.5;
        Paths.RefDataPath = MainPath() + "etoz/";
        Paths.Et1nmFileName = "et.1nm";
        Paths.EtFileName = "etsyn.et";
        Paths.O3CrossFileName = "o3syn.wgt";
        test::MakeDirs(MainPath() + "etoz");
        test::MakeDirs(MainPath() + "exa/trans");
        SetStartWavelength(296.8);
    }

    // The structure check's start: point 3 of the scan at `wavelength` (nm), criterion S = 2.
    void SetStartWavelength(double wavelength) {
        Scan.PointCount = 5;
        Spectra.MeasuredWavelengths[3] = wavelength;
        QcOut.StartIndex[2] = 3;
    }

    void Switches(bool standard, bool instrument, bool transmission) {
        Engine.Switches.Stand_slit = standard;
        Engine.Switches.Instrument_slit = instrument;
        Engine.Switches.Transmission = transmission;
    }

    // A simulated spectrum file from `start` to `end` (nm) at `step`, in the
    // layout of the final simulation.
    void WriteSpectrum(const std::string& name, double start, double end, double step,
                       const std::function<double(double)>& value) {
        std::string text;
        for (int i = 0; start + i * step <= end + 0.0001; ++i) {
            double w = start + i * step;
            text += Fixed(w, 6, 2) + " " + Fixed(value(w), 14, 8) + "\n";
        }
        test::WriteFile(MainPath() + name, text);
    }

    // A 1-nm ET file with two head lines, 280..410 nm.
    void WriteEt(const std::function<double(double)>& value) {
        std::string text = "! synthetic extraterrestrial spectrum, 1 nm\n! nm  W m-2 nm-1\n";
        for (int w = 280; w <= 410; ++w) text += IntText(w) + " " + Fixed(value(w), 8, 5) + "\n";
        test::WriteFile(MainPath() + "etoz/et.1nm", text);
    }

    void Combine() { CombineResults(MainPath(), "instr1.out", "instr2.out", "exa/1731200I.exa"); }

    std::string HeaderText() { return test::ReadFile(MainPath() + "header.txt"); }
    std::string ResultText() { return test::ReadFile(MainPath() + "exa/1731200I.exa"); }
    std::string TransPath() { return MainPath() + "exa/trans/1731200T.exa"; }

    static const std::string kHeadTop;
    static const std::string kHeadEnd;
};

const std::string ResultFilesTest::kHeadTop = std::string("!Programm: ") + kVersionBanner +
                                              "\n"
                                              "!Calculated : 2024 Month  6 Day 21 Time:  9: 5\n";
const std::string ResultFilesTest::kHeadEnd =
    "Irradiance unit correction factor applied:    1.00  Time correction applied:   0 days   1 hr"
    "   0 min  30 sec\n"
    "!Range in wavelengths        : 290.00 - 363.20 step:   0.50\n"
    "!Latitude:  52.10 Longitude   5.18\n";

double Linear(double w) {
    return 0.0001 * (w - 289.0);
}

TEST_F(ResultFilesTest, HeaderWithShiftCorrectionAndWithoutSpikeCorrection) {
    WriteHeaderFile(MainPath() + "header.txt");
    EXPECT_EQ(HeaderText(),
              kHeadTop + "!Measurement file: uvdata/exa/1731200.exa Measurement Year: 2024\n" +
                  kHeadEnd +
                  "! Based on shift corrected and deconvoluted measurement\n"
                  "! NO spike correction applied \n"
                  "! Measurement Header-information:   2 lines\n"
                  "! line one\n"
                  "!   line two\n");
}

TEST_F(ResultFilesTest, HeaderWithoutShiftCorrectionWithSpikeCorrectionAndNoIdMet) {
    Flow.ShiftCorrectionOn = false;
    Analysis.SpikeCorrectionOn = true;
    Instrument.NoIdMet = true;
    Instrument.MeasurementDirectory = "uvdata/";
    Instrument.HeaderLineCount = 0;
    WriteHeaderFile(MainPath() + "header.txt");
    EXPECT_EQ(HeaderText(),
              kHeadTop +
                  "!Units as in measurement file: uvdata/1731200.exa Measurement Year: 2024\n" +
                  kHeadEnd +
                  "! NO SHIFT CORRECTION APPLIED; Based on deconvoluted measurement\n"
                  "! Spike correction applied, at relative error:  2.000\n"
                  "! Measurement Header-information:   0 lines\n");
}

TEST_F(ResultFilesTest, SpikeCorrectionWithoutDetectionIsNotApplied) {
    Analysis.SpikeDetectionOn = false;
    Analysis.SpikeCorrectionOn = true;
    WriteHeaderFile(MainPath() + "header.txt");
    std::vector<std::string> lines = test::ReadLines(MainPath() + "header.txt");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[7], "! NO spike correction applied ");
}

TEST_F(ResultFilesTest, ThreeColumnsAndTransmissionNearTheUpperMeasuredWavelength) {
    Switches(true, true, true);
    WriteSpectrum("instr1.out", 361.0, 365.0, 0.5, Linear);
    WriteSpectrum("instr2.out", 361.0, 365.0, 0.5, [](double w) { return 2 * Linear(w); });
    WriteEt([](double w) { return w == 363 ? 0.0 : 1.6; });  // no ET at 363 nm
    Combine();
    std::string head =
        kHeadTop + "!Measurement file: uvdata/exa/1731200.exa Measurement Year: 2024\n" + kHeadEnd +
        "! Based on shift corrected and deconvoluted measurement\n"
        "! NO spike correction applied \n"
        "! Measurement Header-information:   2 lines\n"
        "! line one\n"
        "!   line two\n";
    EXPECT_EQ(ResultText(),
              head +
                  "!Shift corrected, with standardized slit and instrument slit\n"
                  "!Three columns:\n"
                  "!col.1 wavelength based on      : etsyn.et ozone cross section: o3syn.wgt\n"
                  "!col.2 irrad_st based on FWHM   :   1.00 triangular slit function\n"
                  "!col.3 irrad_instr instr. FWHM  :   0.55 slitfunction: exa.sli\n"
                  "!wavelength irrad_st     irrad_instr\n"
                  "361.00     0.00720000     0.01440000\n"
                  "361.50     0.00725000     0.01450000\n"
                  "362.00     0.00730000     0.01460000\n"
                  "362.50     0.00735000     0.01470000\n"
                  "363.00     0.00740000     0.01480000\n"
                  "363.50     0.00745000     0.01490000 !NOTE: above measured wavelength\n"
                  "364.00     0.00750000     0.01500000 !NOTE: above measured wavelength\n"
                  "364.50     0.00755000     0.01510000 !NOTE: above measured wavelength\n"
                  "365.00     0.00760000     0.01520000 !NOTE: above measured wavelength\n");
    // Ratios: Ist / (1.6 x 0.5); an ET of 0 marks the field instead of dividing.
    EXPECT_EQ(test::ReadFile(TransPath()),
              head + "! ET 1nm fwhm file: " + MainPath() +
                  "etoz/et.1nm    Irradiance correction factor for Earth_sun distance : 0.5000\n"
                  "! wavelength and transmission-fraction\n"
                  " 361.000  0.009000000000\n"
                  " 362.000  0.009125000000\n"
                  " 363.000    99999.999999\n"
                  " 364.000  0.009375000000 !NOTE: above measured wavelength\n"
                  " 365.000  0.009500000000 !NOTE: above measured wavelength\n");
}

TEST_F(ResultFilesTest, TwoColumnsForEachSingleSlit) {
    Analysis.StdSlitChar = '1';
    Paths.StdSlitFileName = "std.sli";
    WriteSpectrum("instr1.out", 363.0, 364.0, 0.5, Linear);
    WriteSpectrum("instr2.out", 363.0, 364.0, 0.5, [](double w) { return 2 * Linear(w); });

    Switches(true, false, false);
    Combine();
    std::vector<std::string> lines = test::SplitLines(ResultText());
    ASSERT_EQ(lines.size(), 19u);
    std::vector<std::string> tail(lines.end() - 8, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "!Shift corrected, with instrument slit", "!Two columns:",
                        "!col.1 wavelength based on      : etsyn.et ozone cross section: o3syn.wgt",
                        "!col.2 irrad_st based on FWHM   :   1.00 slit function: std.sli",
                        "!wavelength   irrad_st", "363.00     0.00740000",
                        "363.50     0.00745000  !NOTE: above measured wavelength",
                        "364.00     0.00750000  !NOTE: above measured wavelength"}));

    Switches(false, true, false);
    Instrument.SlitChar = '0';
    Combine();
    lines = test::SplitLines(ResultText());
    ASSERT_EQ(lines.size(), 19u);
    tail.assign(lines.end() - 8, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "!Shift corrected, with instrument slit", "!Two columns:",
                        "!col.1 wavelength based on      : etsyn.et ozone cross section: o3syn.wgt",
                        "!col.2 irrad_instr instr. FWHM  :   0.55 triangular slitfunction",
                        "!wavelength   irrad_instr", "363.00     0.01480000",
                        "363.50     0.01490000  !NOTE: above measured wavelength",
                        "364.00     0.01500000  !NOTE: above measured wavelength"}));
    EXPECT_FALSE(test::FileExists(TransPath()));
}

TEST_F(ResultFilesTest, FullOutputRangeGives221RowsAnd111TransmissionRows) {
    Switches(true, true, true);
    WriteSpectrum("instr1.out", 290.0, 400.0, 0.5, Linear);
    WriteSpectrum("instr2.out", 290.0, 400.0, 0.5, Linear);
    WriteEt([](double w) { return 0.5 + 0.01 * (w - 280); });
    Combine();
    std::vector<std::string> result = test::SplitLines(ResultText());
    ASSERT_EQ(result.size(), 11u + 6u + 221u);
    EXPECT_EQ(result[17], "290.00     0.00010000     0.00010000");
    EXPECT_EQ(result.back(),
              "400.00     0.01110000     0.01110000 !NOTE: above measured wavelength");

    std::vector<std::string> trans = test::ReadLines(TransPath());
    ASSERT_EQ(trans.size(), 11u + 2u + 111u);
    std::vector<std::string> rows(trans.begin() + 13, trans.end());
    for (int i = 0; i <= 110; ++i) {
        double w = 290 + i;
        double written = 0;  // the standardised value as the file holds it
        ASSERT_TRUE(ParseRealTrimmed(Fixed(Linear(w), 14, 8), written));
        double expected = written / ((0.5 + 0.01 * (w - 280)) * 0.5);
        std::string row = Fixed(w, 8, 3) + " " + Fixed(expected, 15, 12);
        if (w > 363.2) row += " !NOTE: above measured wavelength";
        EXPECT_EQ(rows[i], row) << "at " << w << " nm";
    }
}

TEST_F(ResultFilesTest, StartIrradianceAtTheNearestRowAndMaximumBelowIt) {
    // Start 296.8 nm, rows every 0.5 nm from 290: the start row is 297.0; a peak at 292.0.
    auto value = [](double w) { return w == 292.0 ? 0.05 : Linear(w); };
    Switches(true, false, false);
    WriteSpectrum("instr1.out", 290.0, 400.0, 0.5, value);
    Combine();
    EXPECT_NEAR(QcOut.StartIrradiance, 0.0008, 1e-12);  // as written with 8 decimals
    EXPECT_NEAR(QcOut.MaxIrradianceBelowStart, 0.05, 1e-12);

    // Equally near rows (296.5 and 297.0 for 296.75): the first wins.
    SetStartWavelength(296.75);
    Combine();
    EXPECT_NEAR(QcOut.StartIrradiance, Linear(296.5), 1e-12);
    EXPECT_NEAR(QcOut.MaxIrradianceBelowStart, 0.05, 1e-12);

    // A start at the first row leaves nothing below it.
    SetStartWavelength(290.0);
    Combine();
    EXPECT_NEAR(QcOut.StartIrradiance, Linear(290.0), 1e-12);
    EXPECT_EQ(QcOut.MaxIrradianceBelowStart, 0.0);
}

TEST_F(ResultFilesTest, StartIrradianceFollowsTheInstrumentValuesWhenOnlyThoseAreRead) {
    Switches(false, true, false);
    WriteSpectrum("instr2.out", 290.0, 300.0, 0.5, [](double w) { return 3 * Linear(w); });
    Combine();
    EXPECT_NEAR(QcOut.StartIrradiance, 3 * Linear(297.0), 1e-12);
    EXPECT_NEAR(QcOut.MaxIrradianceBelowStart, 3 * Linear(296.5), 1e-12);
}

TEST_F(ResultFilesTest, TransmissionAloneWritesNoResultFile) {
    Switches(false, false, true);
    WriteSpectrum("instr1.out", 290.0, 300.0, 0.5, Linear);
    WriteEt([](double) { return 1.0; });
    Combine();
    EXPECT_FALSE(test::FileExists(MainPath() + "exa/1731200I.exa"));
    std::vector<std::string> trans = test::ReadLines(TransPath());
    ASSERT_EQ(trans.size(), 11u + 2u + 11u);
    EXPECT_EQ(trans.back(), " 300.000  0.002200000000");
    EXPECT_NEAR(QcOut.StartIrradiance, Linear(297.0), 1e-12);
}

TEST_F(ResultFilesTest, NoSwitchKeepsThePreviousValues) {
    Switches(false, false, false);
    QcOut.StartIrradiance = 1.5;
    Combine();
    EXPECT_EQ(QcOut.StartIrradiance, 1.5);
    EXPECT_FALSE(test::FileExists(MainPath() + "exa/1731200I.exa"));
}

TEST_F(ResultFilesTest, MissingOrUnreadableInputsAreRunTimeErrors) {
    Switches(true, false, true);
    WriteEt([](double) { return 1.0; });
    EXPECT_THROW(Combine(), RunTimeError);  // no instr1.out

    WriteSpectrum("instr1.out", 290.0, 292.0, 0.5, Linear);
    test::WriteFile(MainPath() + "etoz/et.1nm", "! head\n290 1.0\n291 x\n292 1.0\n");
    EXPECT_THROW(Combine(), RunTimeError);  // a row after the head that is not two numbers
}

}  // namespace
}  // namespace tarn
