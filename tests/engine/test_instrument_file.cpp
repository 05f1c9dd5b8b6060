#include <gtest/gtest.h>

#include <string>

#include "engine/engine_state.h"
#include "engine/instrument_file.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::WriteFile;

constexpr const char* kNineLines =
    "ozonshi.dfa\n"
    "2\n"
    ".abcdefghijkl\n"
    "/data/scans\n"
    "290 400 0.5\n"
    "3\n"
    "1 measured slit\n"
    "1.0\n"
    "2\n";

class InstrumentTest : public test::EngineTest {
  protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        CommandLine.IdMet = "abc";
    }
    void WriteInstrument(const std::string& text) { WriteFile(Path("abc.dfa"), text); }
    std::string Log() const { return ReadFile(Path("tarnpelo.log")); }
};

TEST_F(InstrumentTest, NineLines) {
    WriteInstrument(kNineLines);
    Inlezen_Instrument();
    EXPECT_EQ(Instrument.SettingsFileName, "ozonshi.dfa");
    EXPECT_EQ(Instrument.HeaderLineCount, 2u);
    EXPECT_FALSE(Instrument.NoIdMet);
    EXPECT_EQ(Instrument.MeasurementExtension, ".abcdefghi");  // 10 characters
    EXPECT_EQ(Instrument.MeasurementDirectory, "/data/scans/abc/");
    EXPECT_DOUBLE_EQ(Instrument.RangeStart, 290);
    EXPECT_DOUBLE_EQ(Instrument.RangeEnd, 400);
    EXPECT_DOUBLE_EQ(Instrument.RangeStep, 0.5);
    EXPECT_EQ(Instrument.HalfWidthPoints, 3);
    EXPECT_EQ(Instrument.SlitChar, '1');
    EXPECT_DOUBLE_EQ(Instrument.Fwhm, 1.0);
    EXPECT_EQ(Instrument.LineStep, 2);
    EXPECT_DOUBLE_EQ(Instrument.IrradianceFactor, 1.0);
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.02);
}

TEST_F(InstrumentTest, OptionalLinesTenAndEleven) {
    WriteInstrument(std::string(kNineLines) + "0.001\n");
    Inlezen_Instrument();
    EXPECT_DOUBLE_EQ(Instrument.IrradianceFactor, 0.001);
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.02);

    WriteInstrument(std::string(kNineLines) + "2.5\n0.08\n");
    Inlezen_Instrument();
    EXPECT_DOUBLE_EQ(Instrument.IrradianceFactor, 2.5);
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.08);

    for (const char* factor : {"0", "-3", "1e-13"}) {
        WriteInstrument(std::string(kNineLines) + factor + "\n");
        Inlezen_Instrument();
        EXPECT_DOUBLE_EQ(Instrument.IrradianceFactor, 1.0) << factor;
    }
}

TEST_F(InstrumentTest, EmptyLinesAtTheEndAreLinesOfTheFile) {
    // Line 11 is read while bytes are left; its number reads 0 at the end of the file.
    Analysis.SdShiftThreshold = 0.02;
    WriteInstrument(std::string(kNineLines) + "2.5\n\n\n");
    Inlezen_Instrument();
    EXPECT_DOUBLE_EQ(Instrument.IrradianceFactor, 2.5);
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.0);
    WriteInstrument(std::string(kNineLines) + "2.5\n");
    Analysis.SdShiftThreshold = 0.02;
    Inlezen_Instrument();
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.02);
}

TEST_F(InstrumentTest, DirectoryRuleNoIdMetAndSlitFlag) {
    WriteInstrument("ozonshi.dfa\n0 no_id_met\n.abc\n/data/scans/\n290 400 0.5\n1\n 1\n1.0\n1\n");
    Inlezen_Instrument();
    EXPECT_TRUE(Instrument.NoIdMet);
    EXPECT_EQ(Instrument.HeaderLineCount, 0u);
    EXPECT_EQ(Instrument.MeasurementDirectory, "/data/scans/");
    EXPECT_EQ(Instrument.SlitChar, ' ');  // a blank: the triangular slit

    // "NO_ID_MET" is not the word (case-sensitive); an empty line 4 is the
    // working directory.
    Instrument.NoIdMet = false;
    WriteInstrument("ozonshi.dfa\n0 NO_ID_MET\n.abc\n\n290 400 0.5\n1\n0\n1.0\n1\n");
    Inlezen_Instrument();
    EXPECT_FALSE(Instrument.NoIdMet);
    EXPECT_EQ(Instrument.MeasurementDirectory, "abc/");
    Instrument.NoIdMet = false;
    WriteInstrument("ozonshi.dfa\n0 no_id_met\n.abc\n\n290 400 0.5\n1\n\n1.0\n1\n");
    Inlezen_Instrument();
    EXPECT_EQ(Instrument.MeasurementDirectory, "");
    EXPECT_EQ(Instrument.SlitChar, ' ');
}

TEST_F(InstrumentTest, NegativeHeaderCountIsClampedAndLogged) {
    WriteInstrument("ozonshi.dfa\n-4\n.abc\nd\n290 400 0.5\n1\n0\n1.0\n1\n");
    Inlezen_Instrument();
    EXPECT_EQ(Instrument.HeaderLineCount, 0u);
    EXPECT_NE(Log().find("abc.dfa line 2: header line count -4 outside 0..65535; 0 used"),
              std::string::npos);
}

// Fine-grid step and level count for an FWHM and a range step (nm), built-in steps.
void ExpectStep(double fwhm, double step, int levels, double gridStep) {
    WriteFile("abc.dfa", "ozonshi.dfa\n0\n.abc\nd\n290 400 " + std::to_string(step) + "\n1\n0\n" +
                             std::to_string(fwhm) + "\n1\n");
    Inlezen_Instrument();
    EXPECT_EQ(StepTable.LevelCount, levels) << fwhm << " " << step;
    EXPECT_DOUBLE_EQ(Spectra.SimulatedSpectrum[0], gridStep) << fwhm << " " << step;
}

TEST_F(InstrumentTest, FineGridStepChoice) {
    ExpectStep(1.0, 0.5, 3, 0.02);   // 0.04 (q 25), then 0.02 (q 50) reaches the low bound
    ExpectStep(3.0, 0.5, 2, 0.04);   // 0.04 (q 75) reaches it; 0.02 (q 150) passed over
    ExpectStep(0.5, 0.5, 3, 0.02);   // low bound never reached: the last step in use
    ExpectStep(0.1, 0.05, 3, 0.02);  // no step below 0.005
    ExpectStep(12.0, 0.5, 2, 0.04);  // 0.04 has q 300: the first step beyond the high bound
}

TEST_F(InstrumentTest, GridMarginAndTheSettingsFileGolden) {
    WriteInstrument(kNineLines);
    Inlezen_Instrument();
    EXPECT_NEAR(Analysis.GridMargin, 2.9, 1e-12);  // 2.0 x 1.0 + 0.9, one rounding step
    Paths.SimulationFileName = "ozon_shi.abc";
    ClipWindows();  // RangeEnd 400: windows 1..95
    WriteOzoneShiftSettings();
    const std::string golden =
        "ozon_shi.abc\n"
        " 9.00000000000000E-0001\n"
        "3\n"
        "meting.met\n"
        "shift.shi\n"
        "curve.shi\n"
        "    8.6266    45.8138 geo_long  and geolat\n"
        "     0.000      0.000 susim en ozonX shift normaal=0\n"
        "kp320a3L.et\n"
        "ozonsim.hsp\n"
        "ozon_shi.abc\n"
        "o3cross.wgt\n"
        "abc\n"
        " 2.82100000000000E+0002  4.12900000000000E+0002  1.00000000000000E-0002\n"
        " 2.90000000000000E+0002  4.00000000000000E+0002  5.00000000000000E-0001\n"
        " 1.00000000000000E+0000\n"
        "1\n"
        "abc.sli\n"
        " 0.00000000000000E+0000  5.00000000000000E-0001  1.00000000000000E-0002  "
        "1.20000000000000E-0001\n"
        "3\n"
        " 2.00000000000000E-0001 4.00000000000000E-0002 2.00000000000000E-0002\n"
        " 2.90000000000000E+0000  2.00000000000000E+0000\n"
        " 2.90000000000000E+0002  4.00000000000000E+0002\n"
        "0 0 0 0\n";
    EXPECT_EQ(ReadFile(Path("ozonshi.dfa")), golden);

    // With spike correction line 23 holds the grid low and high instead.
    Analysis.SpikeCorrectionOn = true;
    Analysis.TimeCorrection[1] = -2;
    WriteOzoneShiftSettings();
    std::vector<std::string> lines = test::ReadLines(Path("ozonshi.dfa"));
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[22], " 2.85000000000000E+0002  4.10000000000000E+0002");
    EXPECT_EQ(lines[23], "0 -2 0 0");
}

TEST_F(InstrumentTest, MissingFileHaltsWithErrorC1) {
    try {
        Inlezen_Instrument();
        FAIL() << "no halt";
    } catch (const EngineExit& end) {
        EXPECT_EQ(end.Code, 1);
    }
    std::string path = MainPath() + "abc.dfa";
    EXPECT_EQ(ConsoleText(),
              "Error in TARNpelo main programm\nUnable to find Instrument Default "
              "file:\n" +
                  path + "\nProgram Halted; ERROR C1\n");
    std::string log = Log();
    std::string block = "Error in TARN main routine\nUnable to find Default file:\n" + path +
                        "\nProgram HALTED; ERROR C1\n\n";
    ASSERT_GE(log.size(), block.size());
    EXPECT_EQ(log.substr(log.size() - block.size()), block);
}

TEST_F(InstrumentTest, UnreadableNumberIsARunTimeError) {
    WriteInstrument("ozonshi.dfa\n0\n.abc\nd\n290 400 0.5\nthree\n0\n1.0\n1\n");
    try {
        Inlezen_Instrument();
        FAIL() << "no run-time error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Line(), 6);
    }
}

}  // namespace
}  // namespace tarn
