#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::WriteFile;

// "tarn_e.dfa" as a run on the built-in set writes it (result code "i" from the
// main flow), 93 lines.
const char* const kBuiltInEffectiveDefaults =
    " 4.58138000000000E+0001  8.62660000000000E+0000\n"
    "300 1\n"
    " 3.05000000000000E+0002  3.30000000000000E+0002\n"
    " 2.90000000000000E+0002  1.60000000000000E+0001  1.00000000000000E+0000\n"
    " 9.00000000000000E-0001\n"
    " 0.00000000000000E+0000  0.00000000000000E+0000\n"
    "uvanalys/\n"
    "uvanalys/etoz/\n"
    "meting.met\n"
    "ozon_shi.\n"
    "kp320a3L.et\n"
    "ozonsim.hsp\n"
    "decon.hsp\n"
    "9\n"
    " 2.85000000000000E+0002  4.10000000000000E+0002  1.00000000000000E-0002\n"
    " 2.90000000000000E+0002  4.00000000000000E+0002  5.00000000000000E-0001  "
    "1.00000000000000E+0000\n"
    "0\n"
    "uvanalys/etoz/\n"
    "i\n"
    "o3cross.wgt\n"
    " 0.00000000000000E+0000  5.00000000000000E-0001  1.00000000000000E-0002  "
    "1.20000000000000E-0001\n"
    "1998\n"
    "3\n"
    " 2.00000000000000E-0001  4.00000000000000E-0002  2.00000000000000E-0002 \n"
    " 5.00000000000000E+0001  1.00000000000000E+0002  1.00000000000000E-0001\n"
    " 2.00000000000000E+0000\n"
    "5\n"
    "str01  1.00000000000000E-0001\n"
    "str25  2.50000000000000E-0001\n"
    "str05  5.00000000000000E-0001\n"
    "str10  1.00000000000000E+0000\n"
    "str50  5.00000000000000E+0000\n"
    " 3.50000000000000E+0000  1.10000000000000E+0000  6.00000000000000E-0002  "
    "2.50000000000000E-0002\n"
    "6\n"
    "1\n"
    "5\n"
    "17\n"
    "33\n"
    "49\n"
    "64\n"
    "0 0 0 0\n"
    "efuv.dfa\n"
    "efuv/\n"
    "shift/\n"
    "qaqc/\n"
    "2\n"
    " 5.00000000000000E-0002  2.00000000000000E-0002\n"
    "5 5\n"
    "Qflag\n"
    " 1.00000000000000E-0001  2.00000000000000E-0001  4.00000000000000E-0001\n"
    " 1.00000000000000E-0001  2.00000000000000E-0001  4.00000000000000E-0001\n"
    " 3.00000000000000E+0000  5.00000000000000E+0000\n"
    " 1.00000000000000E+0001  1.50000000000000E+0001  2.00000000000000E+0001\n"
    " 3.00000000000000E+0000  6.00000000000000E+0000  1.20000000000000E+0001\n"
    "8\n"
    " 2.00000000000000E+0001  2.97000000000000E+0002  2.99000000000000E+0002  "
    "3.02000000000000E+0002\n"
    " 3.00000000000000E+0001  2.98000000000000E+0002  3.00000000000000E+0002  "
    "3.03000000000000E+0002\n"
    " 4.50000000000000E+0001  2.99000000000000E+0002  3.01000000000000E+0002  "
    "3.04000000000000E+0002\n"
    " 5.50000000000000E+0001  3.00000000000000E+0002  3.02000000000000E+0002  "
    "3.05000000000000E+0002\n"
    " 6.00000000000000E+0001  3.01000000000000E+0002  3.03000000000000E+0002  "
    "3.06000000000000E+0002\n"
    " 6.50000000000000E+0001  3.02000000000000E+0002  3.04000000000000E+0002  "
    "3.07000000000000E+0002\n"
    " 7.00000000000000E+0001  3.03000000000000E+0002  3.05000000000000E+0002  "
    "3.08000000000000E+0002\n"
    " 3.61000000000000E+0002  3.04000000000000E+0002  3.06000000000000E+0002  "
    "3.10000000000000E+0002\n"
    "SPQ\n"
    "SPD\n"
    "true\n"
    "false\n"
    "   2.00000    5\n"
    "struc/\n"
    " 310.00000 wavelength used for check of irradiance level\n"
    " 2.00\n"
    " 1.50\n"
    " 1.25\n"
    " 0.75\n"
    " 0.25\n"
    " 0.10\n"
    " 0.05\n"
    " 0.01\n"
    " 0.00\n"
    "trans/\n"
    "T\n"
    "kp320a3L.1nm\n"
    "300.000 325.000\n"
    "325.000 400.000\n"
    " 0.0001000  0.0005000  0.0015000  0.0050000 \n"
    " 3.00000000000000E+0001\n"
    " 2.00000000000000E+0001\n"
    " 1.50000000000000E+0001\n"
    " 1.00000000000000E+0001\n"
    " 5.00000000000000E+0000\n"
    " 3.00000000000000E+0000\n"
    " 2.00000000000000E+0000\n"
    " 0.00000000000000E+0000\n";

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// A long defaults file's required head as an operator writes it.
std::vector<std::string> Head() {
    return {"52.1 5.18",
            "150 1",
            "300 325",
            "295 10 2.0",
            "0.5",
            "0.1 0.2",
            "main",
            "ref/",
            "copy.met",
            "sim.",
            "et.et",
            "osim.hsp",
            "deconvolved.hsp",
            "7",
            "280 420 0.02",
            "295 395 1.0 0.8",
            "1std.sli",
            "act/",
            "x",
            "o3.wgt"};
}

// Groups 1 to 3.
std::vector<std::string> Groups1To3() {
    return {"0.1 0.6 0.005 0.2", "2004", "4", "0.25 0.05 0.025 0.0125", "40 90 0.2", "3.0"};
}

// Groups 4 to 14 with four criteria and six selected windows (k + n = 10).
std::vector<std::string> Groups4To14() {
    return {"4",
            "crA   0.2",
            "crB   0.3",
            "crC   0.4",
            "crD   0.6",
            "4.0 1.2 0.07 0.03",
            "6",
            "2",
            "4",
            "8",
            "16",
            "32",
            "64",
            "0 1 30 15",
            "e.dfa",
            "eu/",
            "sh/",
            "qc/",
            "3",
            "0.06 0.03",
            "6 7",
            "QF",
            "0.11 0.21 0.41",
            "0.12 0.22 0.42",
            "3.5 5.5",
            "11 16 21",
            "4 7 13",
            "2",
            "40 298 300 303",
            "361 305 307 311",
            "SQ",
            "SD",
            "false",
            "true",
            "2.5 7",
            "st/",
            "315 wavelength",
            "2.1",
            "1.6",
            "1.3",
            "0.8",
            "0.3",
            "0.2",
            "0.06",
            "0.02",
            "0.001",
            "tr/",
            "U",
            "et.1nm",
            "301 326",
            "326 401",
            "0.0002 0.0006 0.0016 0.006",
            "31",
            "21",
            "16",
            "11",
            "6",
            "4",
            "3",
            "1"};
}

std::vector<std::string> AllGroups() {
    std::vector<std::string> lines = Head();
    for (const auto& part : {Groups1To3(), Groups4To14()})
        lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

class DefaultsTest : public test::EngineTest {
  protected:
    // Writes `lines` as the long defaults file "long.dfa" and reads it.
    void ReadLong(const std::vector<std::string>& lines, const std::string& name = "long.dfa") {
        WriteFile(Path(name), Join(lines));
        CommandLine.DefaultsFile = name;
        ReadLongDefaults();
    }
    std::string Log() const { return ReadFile(Path("tarnpelo.log")); }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
};

TEST_F(DefaultsTest, MissingFileRunsOnTheBuiltInSetAndWritesTheGoldenFile) {
    test::MakeDirs(Path("uvanalys"));
    Paths.MainPath = MainPath();
    CommandLine.DefaultsFile = "none.dfa";
    ReadLongDefaults();
    EXPECT_EQ(ConsoleText(),
              "Specified Default-file does NOT exist\nProgram TARNpelo reads internal defaults\n");
    EXPECT_TRUE(LogHas("Specified defaults for TARNpelo do not exist:\n" + MainPath() +
                       "none.dfa\nInternal defaults used\n"));
    EXPECT_EQ(Paths.MainPath, "uvanalys/");
    CommandLine.IdSpecout = "i";  // as the main flow sets it
    WriteEffectiveDefaults();
    std::string written = ReadFile(Path("uvanalys/tarn_e.dfa"));
    EXPECT_EQ(written, kBuiltInEffectiveDefaults);
    EXPECT_EQ(test::SplitLines(written).size(), 93u);

    // Read back as a long defaults file and written again: the same text.
    WriteFile(Path("copy.dfa"), written);
    CommandLine.DefaultsFile = "copy.dfa";
    ReadLongDefaults();
    EXPECT_FALSE(Analysis.ShortDefaultsRead);
    EXPECT_EQ(CommandLine.IdSpecout, "i");
    WriteEffectiveDefaults();
    EXPECT_EQ(ReadFile(Path("uvanalys/tarn_e.dfa")), kBuiltInEffectiveDefaults);
}

class DefaultsProgram : public test::TempDirTest {};

TEST_F(DefaultsProgram, RunOnTheBuiltInSetWritesTheGoldenFile) {
    std::string dir = Dir(), year2003 = kBuiltInEffectiveDefaults, d(95, 'd'), tooLong(300, 'g');
    const std::string deep = d + "/" + d + "/" + d + "/long_def.dfa";
    test::MakeDirs(dir + "/uvanalys");
    test::MakeDirs(dir + "/" + d + "/" + d + "/" + d);
    WriteFile(dir + "/" + deep, year2003.replace(year2003.find("\n1998\n") + 1, 4, "2003"));
    const std::pair<std::string, std::string> rows[] = {
        {"none.dfa", kBuiltInEffectiveDefaults}, {deep, year2003}, {tooLong, year2003}};
    for (const auto& [name, effective] : rows) {
        std::string out, err;
        // No instrument file: the run ends with ERROR C1 after the defaults.
        EXPECT_EQ(test::RunTarnpelo(dir, {"0011200", "abc", name}, &out, &err),
                  name == tooLong ? 2 : 1);
        EXPECT_EQ(ReadFile(dir + "/uvanalys/tarn_e.dfa"), effective);
        EXPECT_EQ(out.rfind("Specified Default-file does NOT exist", 0) == 0, name == "none.dfa");
        EXPECT_EQ(err, name != tooLong ? ""
                                       : "tarnpelo: run-time error: open for reading '" + tooLong +
                                             "': File name too long\n");
    }
}

TEST_F(DefaultsTest, MissingMainPathDirectoryIsARunTimeError) {
    CommandLine.DefaultsFile = "none.dfa";
    ReadLongDefaults();  // main path "uvanalys/", which does not exist here
    EXPECT_THROW(WriteEffectiveDefaults(), RunTimeError);
}

TEST_F(DefaultsTest, AllGroupsLandWhereTheLayoutSays) {
    ReadLong(AllGroups());
    EXPECT_TRUE(
        LogHas("Reads LONG defaults: long.dfa\n"
               "Reads LONG defaults: Na de regel naar beeldscherm\n"));
    EXPECT_FALSE(Analysis.ShortDefaultsRead);
    EXPECT_DOUBLE_EQ(Analysis.Latitude, 52.1);
    EXPECT_DOUBLE_EQ(Analysis.Longitude, 5.18);
    EXPECT_EQ(Windows.Count, 150);
    EXPECT_DOUBLE_EQ(Windows.Lower[0], 300);
    EXPECT_DOUBLE_EQ(Windows.Upper[0], 325);
    EXPECT_DOUBLE_EQ(Windows.Lower[1], 295);
    EXPECT_DOUBLE_EQ(Windows.Upper[1], 305);
    EXPECT_DOUBLE_EQ(Windows.Lower[150], 295 + 149 * 2.0);
    EXPECT_DOUBLE_EQ(Windows.Upper[150], 305 + 149 * 2.0);
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.5);
    EXPECT_DOUBLE_EQ(Analysis.EtShift, 0.1);
    EXPECT_DOUBLE_EQ(Analysis.O3Shift, 0.2);
    EXPECT_EQ(Paths.MainPath, "main/");  // the separator is added
    EXPECT_EQ(Paths.SecondPath, "main/");
    EXPECT_EQ(Paths.ShiftRootPath, "main/");
    EXPECT_EQ(Paths.RefDataPath, "ref/");
    EXPECT_EQ(Paths.MeasurementCopyName, "copy.met");
    EXPECT_EQ(Paths.SimulationFileName, "sim.");
    EXPECT_EQ(Paths.EtFileName, "et.et");
    EXPECT_EQ(Paths.SimSpectrumName, "osim.hsp");
    EXPECT_EQ(Paths.DeconFileName, "deconvolved.hsp");
    EXPECT_EQ(Paths.DeconOutputName, "deconvolved.hsp");
    EXPECT_EQ(Analysis.DeconStepCount, 7);
    EXPECT_DOUBLE_EQ(Analysis.GridLow, 280);
    EXPECT_DOUBLE_EQ(Analysis.GridHigh, 420);
    EXPECT_DOUBLE_EQ(Analysis.GridStep, 0.02);
    EXPECT_DOUBLE_EQ(Analysis.FinalSimStart, 295);
    EXPECT_DOUBLE_EQ(Analysis.FinalSimEnd, 395);
    EXPECT_DOUBLE_EQ(Analysis.FinalSimStep, 1.0);
    EXPECT_DOUBLE_EQ(Analysis.StdFwhm, 0.8);
    EXPECT_EQ(Analysis.StdSlitChar, '1');
    EXPECT_EQ(Paths.StdSlitFileName, "std.sli");
    EXPECT_EQ(Paths.ActionSpectrumDir, "act/");
    EXPECT_EQ(CommandLine.IdSpecout, "x");
    EXPECT_EQ(Paths.O3CrossFileName, "o3.wgt");
    EXPECT_DOUBLE_EQ(Analysis.OzoneFitValues[0], 0.1);
    EXPECT_DOUBLE_EQ(Analysis.OzoneFitValues[3], 0.2);
    EXPECT_EQ(Analysis.MeasurementYear, "2004");
    EXPECT_EQ(Analysis.StepTableLength, 4);
    EXPECT_DOUBLE_EQ(StepTable.Steps[1], 0.25);
    EXPECT_DOUBLE_EQ(StepTable.Steps[4], 0.0125);
    EXPECT_DOUBLE_EQ(Analysis.StepRatioLow, 40);
    EXPECT_DOUBLE_EQ(Analysis.StepRatioHigh, 90);
    EXPECT_DOUBLE_EQ(Analysis.StepRatioFactor, 0.2);
    EXPECT_DOUBLE_EQ(Engine.SlitRangeFactor, 3.0);
    EXPECT_NEAR(Analysis.GridMargin, 3.0 * 2.1 + 0.5, 1e-12);  // one rounding step
    EXPECT_EQ(Qc.CriteriaCount, 4);
    EXPECT_EQ(Qc.CriterionName[1], "crA  ");
    EXPECT_DOUBLE_EQ(Qc.CriterionDeviation[4], 0.6);
    EXPECT_DOUBLE_EQ(Analysis.ErK2, 4.0);
    EXPECT_DOUBLE_EQ(Analysis.ErK1, 1.2);
    EXPECT_DOUBLE_EQ(Analysis.ErHigh, 0.07);
    EXPECT_DOUBLE_EQ(Analysis.ErLow, 0.03);
    EXPECT_EQ(Qc.SelectedWindowCount, 6);
    EXPECT_EQ(Qc.SelectedWindows[6], 64);
    EXPECT_EQ(Analysis.TimeCorrection[0], 0);
    EXPECT_EQ(Analysis.TimeCorrection[1], 1);
    EXPECT_EQ(Analysis.TimeCorrection[3], 15);
    EXPECT_EQ(Paths.EfuvDefaultsName, "e.dfa");
    EXPECT_EQ(Paths.EfuvSubdir, "eu/");
    EXPECT_EQ(Paths.ShiftSubdir, "sh/");
    EXPECT_EQ(Paths.QaqcSubdir, "qc/");
    EXPECT_EQ(Qc.StartCriterion, 3);
    EXPECT_DOUBLE_EQ(Analysis.ReservedValue, 0.06);
    EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.03);
    EXPECT_EQ(Qc.Shift1MinWindows, 6);
    EXPECT_EQ(Qc.Shift2MinWindows, 7);
    EXPECT_EQ(Paths.QflagName, "QF");
    EXPECT_DOUBLE_EQ(Qc.Shift1Limits[3], 0.41);
    EXPECT_DOUBLE_EQ(Qc.Shift2Limits[1], 0.12);
    EXPECT_DOUBLE_EQ(Qc.StabilityLimits[2], 5.5);
    EXPECT_DOUBLE_EQ(Qc.ShapeLimits[2], 16);
    EXPECT_DOUBLE_EQ(Qc.EfuvPercentLimits[3], 13);
    EXPECT_EQ(Qc.ZenithRowCount, 2);
    EXPECT_DOUBLE_EQ(Qc.ZenithTable[2][0], 361);
    EXPECT_DOUBLE_EQ(Qc.ZenithTable[2][3], 311);
    EXPECT_EQ(Paths.SpikeCorrectionName, "SQ");
    EXPECT_EQ(Paths.SpikeSummaryName, "SD");
    EXPECT_FALSE(Analysis.SpikeDetectionOn);
    EXPECT_TRUE(Analysis.SpikeCorrectionOn);
    EXPECT_DOUBLE_EQ(Analysis.SpikeCriterion, 2.5);
    EXPECT_EQ(Analysis.SpikeHalfWindow, 7);
    EXPECT_EQ(Paths.StrucSubdir, "st/");
    EXPECT_DOUBLE_EQ(Analysis.ReferenceWavelength, 315);
    EXPECT_DOUBLE_EQ(Qc.TransmissionThresholds[1], 2.1);
    EXPECT_DOUBLE_EQ(Qc.TransmissionThresholds[9], 0.001);
    EXPECT_EQ(Paths.TransSubdir, "tr/");
    EXPECT_EQ(Paths.TransName, "U");
    EXPECT_EQ(Paths.Et1nmFileName, "et.1nm");
    EXPECT_DOUBLE_EQ(Qc.QcIntervals[1][0], 301);
    EXPECT_DOUBLE_EQ(Qc.QcIntervals[2][1], 401);
    EXPECT_DOUBLE_EQ(Qc.IrradianceLevels[4], 0.006);
    EXPECT_DOUBLE_EQ(Qc.ScanVariationThresholds[1], 31);
    EXPECT_DOUBLE_EQ(Qc.ScanVariationThresholds[8], 1);
    EXPECT_TRUE(ConsoleText().empty()) << ConsoleText();
}

TEST_F(DefaultsTest, FourCriteriaAndSixWindowsPutTheShellsValuesAtItsFixedLines) {
    test::MakeDirs(Path("main"));
    ReadLong(AllGroups());
    WriteEffectiveDefaults();
    std::vector<std::string> lines = ReadLines(Path("main/tarn_e.dfa"));
    ASSERT_EQ(lines.size(), 44u + 4 + 6 + 2 + 30);  // m + 30 with k 4, n 6, z 2
    // Shell positions 39 and 40 of the four-criteria layout (z 2 moves 67 and 80 to 61 and 74).
    EXPECT_EQ(lines[39], "0 1 30 15");
    EXPECT_EQ(lines[40], "e.dfa");
    EXPECT_EQ(lines[43], "qc/");
    EXPECT_EQ(lines[44 + 10 + 2 + 5], "st/");
    EXPECT_EQ(lines[44 + 10 + 2 + 18], "et.1nm");
    EXPECT_EQ(lines[23],
              " 2.50000000000000E-0001  5.00000000000000E-0002  2.50000000000000E-0002 "
              " 1.25000000000000E-0002 ");
    EXPECT_EQ(lines[27], "crA    2.00000000000000E-0001");
    EXPECT_EQ(lines[16], "1std.sli");
    EXPECT_EQ(lines[6], "main/");
}

TEST_F(DefaultsTest, HeadOnlyKeepsEveryOptionalValue) {
    ReadLong(Head());
    EXPECT_EQ(Qc.StartCriterion, 2);
    EXPECT_NEAR(Analysis.GridMargin, 5.1, 1e-12);  // built in, whatever line 4 says
    EXPECT_EQ(Analysis.MeasurementYear, "1998");
    EXPECT_EQ(Analysis.StepTableLength, 3);
    EXPECT_EQ(Qc.CriteriaCount, 5);
    EXPECT_DOUBLE_EQ(Analysis.OzoneFitValues[3], 0.12);
    EXPECT_DOUBLE_EQ(Qc.ScanVariationThresholds[1], 30);
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.5);
    EXPECT_EQ(Log().find("ends after line"), std::string::npos);
}

// A file saved by a Windows editor begins with a UTF-8 byte-order mark: it is
// read as without one (its first number is the latitude).
TEST_F(DefaultsTest, ByteOrderMarkBeforeTheFirstLineIsSkipped) {
    std::vector<std::string> lines = Head();
    lines[0] = "\xEF\xBB\xBF" + lines[0];
    ReadLong(lines);
    EXPECT_DOUBLE_EQ(Analysis.Latitude, 52.1);
    EXPECT_EQ(Analysis.MeasurementYear, "1998");
}

TEST_F(DefaultsTest, EmptyLinesAtTheEndAreLinesOfTheFile) {
    // A file has ended only when no byte is left: empty last lines start group
    // 1, whose numbers then read 0 at the end of the file.
    std::vector<std::string> lines = Head();
    lines.push_back("");
    lines.push_back("  ");
    ReadLong(lines);
    EXPECT_DOUBLE_EQ(Analysis.OzoneFitValues[1], 0.0);
    EXPECT_EQ(Analysis.MeasurementYear, "1998");  // group 2 is not reached
}

TEST_F(DefaultsTest, FileEndingAfterGroupThreeSetsTheGridMargin) {
    std::vector<std::string> lines = Head();
    for (const std::string& l : Groups1To3()) lines.push_back(l);
    ReadLong(lines);
    EXPECT_NEAR(Analysis.GridMargin, 3.0 * 2.1 + 0.5, 1e-12);
    EXPECT_EQ(Qc.CriteriaCount, 5);
    EXPECT_EQ(Qc.StartCriterion, 2);
}

TEST_F(DefaultsTest, ExplicitWindowListMovesLaterLinesAndIsWrittenAsASeries) {
    std::vector<std::string> lines = Head();
    lines[1] = "3 2";
    lines[3] = "300 310";
    lines.insert(lines.begin() + 4, {"305.5 312", "311 330"});
    for (const std::string& l : Groups1To3()) lines.push_back(l);
    ReadLong(lines);
    EXPECT_EQ(Windows.Count, 3);
    EXPECT_EQ(Analysis.WindowMode, 2);
    EXPECT_DOUBLE_EQ(Windows.Lower[2], 305.5);
    EXPECT_DOUBLE_EQ(Windows.Upper[3], 330);
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.5);  // the line after the list
    EXPECT_EQ(Paths.O3CrossFileName, "o3.wgt");
    EXPECT_EQ(Analysis.MeasurementYear, "2004");

    test::MakeDirs(Path("main"));
    WriteEffectiveDefaults();
    std::vector<std::string> written = ReadLines(Path("main/tarn_e.dfa"));
    ASSERT_EQ(written.size(), 93u);
    EXPECT_EQ(written[1], "3 1");
    // First lower bound, and the width and step in force (built in).
    EXPECT_EQ(written[3],
              " 3.00000000000000E+0002  1.60000000000000E+0001  1.00000000000000E+0000");
    EXPECT_DOUBLE_EQ(Windows.Upper[1], 316);  // lower bound plus the width
    EXPECT_DOUBLE_EQ(Windows.Upper[2], 312);
}

TEST_F(DefaultsTest, CriterionNamesTakeExactlyFiveCharacters) {
    std::vector<std::string> lines = AllGroups();
    lines[26] = "2";
    lines[27] = "abcd 0.5";
    lines[28] = "abc 0.25";
    lines.erase(lines.begin() + 29, lines.begin() + 31);
    ReadLong(lines);
    EXPECT_EQ(Qc.CriteriaCount, 2);
    EXPECT_EQ(Qc.CriterionName[1], "abcd ");
    EXPECT_DOUBLE_EQ(Qc.CriterionDeviation[1], 0.5);
    EXPECT_EQ(Qc.CriterionName[2], "abc 0");
    EXPECT_DOUBLE_EQ(Qc.CriterionDeviation[2], 0.25);
    EXPECT_DOUBLE_EQ(Analysis.ErK2, 4.0);  // the next line keeps its place
}

TEST_F(DefaultsTest, ErrorRatioAndSdShiftSplitLines) {
    struct Case {
        const char* line;
        double erK2, erLow;
    } cases[] = {{"4.0 1.2 0.07", 4.0, 0.025},
                 {"4.0 1.2 0.07 0", 4.0, 0.025},
                 {"4.0 1.2 0.07 0.03", 4.0, 0.03},
                 {"   4.0   1.2  0.07   0.03  ", 4.0, 0.03},
                 {"4.0 1.2 0.07 ", 4.0, 0.025}};
    for (const Case& c : cases) {
        std::vector<std::string> lines = AllGroups();
        lines[31] = c.line;
        lines[45] = "0.04";  // the reserved value alone (index 35 + k + n)
        ReadLong(lines);
        EXPECT_DOUBLE_EQ(Analysis.ErK2, c.erK2) << c.line;
        EXPECT_DOUBLE_EQ(Analysis.ErLow, c.erLow) << c.line;
        EXPECT_DOUBLE_EQ(Analysis.ReservedValue, 0.04);
        EXPECT_DOUBLE_EQ(Analysis.SdShiftThreshold, 0.02) << "one field keeps the threshold";
    }
}

TEST_F(DefaultsTest, ShortErrorRatioLineKeepsTheBuiltInValuesAndIsLogged) {
    std::vector<std::string> lines = AllGroups();
    lines[31] = "4.5";
    ReadLong(lines);
    EXPECT_DOUBLE_EQ(Analysis.ErK2, 4.5);
    EXPECT_DOUBLE_EQ(Analysis.ErK1, 1.1);
    EXPECT_DOUBLE_EQ(Analysis.ErHigh, 0.06);
    EXPECT_TRUE(LogHas("long.dfa line 32: error-ratio line holds 1 of 3 numbers"));
    EXPECT_EQ(Qc.SelectedWindowCount, 6);
}

TEST_F(DefaultsTest, SplitLineWithMoreThanFiftyFieldsIsReported) {
    std::vector<std::string> lines = AllGroups();
    std::string many = "4.0 1.2 0.07 0.03";
    for (int i = 0; i < 51; ++i) many += " 9";
    lines[31] = many;
    ReadLong(lines);
    EXPECT_DOUBLE_EQ(Analysis.ErLow, 0.03);
    std::string text = "long.dfa line 32: field count 55 outside 1..50; 50 used";
    EXPECT_TRUE(LogHas(text));
    EXPECT_NE(ConsoleText().find(text), std::string::npos);
}

TEST_F(DefaultsTest, PathLinesSlitLineAndSwitchLines) {
    std::vector<std::string> lines = AllGroups();
    lines[6] = "";
    lines[7] = "refdir";
    lines[16] = " std.sli";
    ReadLong(lines);
    EXPECT_EQ(Paths.MainPath, "");           // the working directory
    EXPECT_EQ(Paths.RefDataPath, "refdir");  // used as written
    EXPECT_EQ(Analysis.StdSlitChar, ' ');
    EXPECT_EQ(Paths.StdSlitFileName, "std.sli");

    struct Case {
        const char* line;
        bool on;
    } cases[] = {{"true", true},  {"spikes true", true}, {"untrue", true},
                 {"TRUE", false}, {"", false},           {"false", false}};
    for (const Case& c : cases) {
        lines[58] = c.line;  // SpikeDetectionOn, index m + 2 with k 4, n 6, z 2
        ReadLong(lines);
        EXPECT_EQ(Analysis.SpikeDetectionOn, c.on) << '"' << c.line << '"';
    }
}

TEST_F(DefaultsTest, NameChoosesTheFormat) {
    // A path ending in "tarnpelo.dfa": the short format.
    test::MakeDirs(Path("sub"));
    WriteFile(Path("sub/tarnpelo.dfa"), "2003\n4.9 52.1\n0.7\nmp\nref/\n");
    CommandLine.DefaultsFile = "sub/tarnpelo.dfa";
    ReadLongDefaults();
    EXPECT_TRUE(Analysis.ShortDefaultsRead);
    EXPECT_EQ(Paths.MainPath, "mp/");
    EXPECT_TRUE(LogHas("Reads short defaults: sub/tarnpelo.dfa\n"));
    // The test is case-sensitive: "TARNpelo.dfa" is a long file.
    ReadLong(Head(), "TARNpelo.dfa");
    EXPECT_FALSE(Analysis.ShortDefaultsRead);
    EXPECT_EQ(Paths.MainPath, "main/");
}

TEST_F(DefaultsTest, FileEndingInsideTheHeadKeepsTheRestBuiltIn) {
    std::vector<std::string> lines = Head();
    lines.resize(7);
    ReadLong(lines);
    EXPECT_DOUBLE_EQ(Analysis.Latitude, 52.1);
    EXPECT_EQ(Paths.MainPath, "main/");
    EXPECT_EQ(Paths.RefDataPath, "uvanalys/etoz/");
    EXPECT_EQ(Paths.O3CrossFileName, "o3cross.wgt");
    EXPECT_EQ(Paths.DeconOutputName, "decon.hsp");
    EXPECT_TRUE(
        LogHas("long.dfa ends after line 7, inside its first 20 lines; the missing "
               "settings keep their built-in values\n"));
}

TEST_F(DefaultsTest, CountsBeyondTheTablesAreClampedAndLaterLinesKeepTheirPlace) {
    std::vector<std::string> lines = Head();
    lines[1] = "352 2";
    lines.erase(lines.begin() + 3);
    std::vector<std::string> list;
    for (int i = 1; i <= 352; ++i)
        list.push_back(std::to_string(289 + i) + " " + std::to_string(299 + i));
    lines.insert(lines.begin() + 3, list.begin(), list.end());
    std::vector<std::string> rest = {"0.1 0.6 0.005 0.2",
                                     "2004",
                                     "9",  // steps: 9 values, 7 kept
                                     "0.4 0.2 0.1 0.05 0.04 0.03 0.02 0.01 0.005",
                                     "40 90 0.2",
                                     "3.0",
                                     "7"};  // criteria: 7 lines, 5 kept
    for (int j = 1; j <= 7; ++j)
        rest.push_back("cr" + std::to_string(j) + "   0." + std::to_string(j));
    rest.push_back("4.0 1.2 0.07 0.03");
    rest.push_back("22");  // selected windows: 22 lines, 20 kept
    for (int i = 1; i <= 22; ++i) rest.push_back(std::to_string(i == 3 ? 999 : i));
    rest.insert(rest.end(), {"0 1 30 15", "e.dfa", "eu/", "sh/", "qc/", "3", "0.06 0.03", "6 7",
                             "QF", "0.11 0.21 0.41", "0.12 0.22 0.42", "3.5 5.5", "11 16 21",
                             "4 7 13", "12"});  // zenith rows: 12 lines, 10 kept
    for (int r = 1; r <= 12; ++r) rest.push_back(std::to_string(r * 10) + " 300 302 305");
    rest.insert(rest.end(), {"SQ", "SD", "false", "true", "2.5 7", "st/", "315"});
    lines.insert(lines.end(), rest.begin(), rest.end());
    ReadLong(lines);

    EXPECT_EQ(Windows.Count, 350);
    EXPECT_DOUBLE_EQ(Windows.Lower[350], 639);
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.5);  // after the 352 list lines
    EXPECT_EQ(Analysis.StepTableLength, 7);
    EXPECT_DOUBLE_EQ(StepTable.Steps[7], 0.02);
    EXPECT_DOUBLE_EQ(Analysis.StepRatioLow, 40);
    EXPECT_EQ(Qc.CriteriaCount, 5);
    EXPECT_EQ(Qc.CriterionName[5], "cr5  ");
    EXPECT_DOUBLE_EQ(Analysis.ErK2, 4.0);
    EXPECT_EQ(Qc.SelectedWindowCount, 20);
    EXPECT_EQ(Qc.SelectedWindows[3], 350);
    EXPECT_EQ(Analysis.TimeCorrection[3], 15);
    EXPECT_EQ(Qc.ZenithRowCount, 10);
    EXPECT_DOUBLE_EQ(Qc.ZenithTable[10][0], 100);
    EXPECT_EQ(Paths.SpikeCorrectionName, "SQ");
    EXPECT_DOUBLE_EQ(Analysis.ReferenceWavelength, 315);
    for (const char* text : {"long.dfa line 2: window count 352 outside 1..350; 350 used",
                             "long.dfa line 374: shift step count 9 outside 1..7; 7 used",
                             "long.dfa line 378: structure criterion count 7 outside 1..5; 5 used",
                             "long.dfa line 387: selected window count 22 outside 0..20; 20 used",
                             "long.dfa line 390: window number 999 outside 1..350; 350 used",
                             "long.dfa line 424: zenith row count 12 outside 1..10; 10 used"}) {
        EXPECT_TRUE(LogHas(text)) << text;
        EXPECT_NE(ConsoleText().find(text), std::string::npos) << text;
    }
}

TEST_F(DefaultsTest, CountsBelowOneAndStepsOfZeroOrLess) {
    std::vector<std::string> lines = AllGroups();
    lines[1] = "0 1";
    lines[3] = "295 -1 0";
    lines[14] = "280 420 0";
    lines[15] = "295 395 -0.5 0.8";
    lines[22] = "5";
    lines[23] = "0.25 0 0.025 0.0125 -1";
    lines[26] = "0";
    lines.erase(lines.begin() + 27, lines.begin() + 31);
    ReadLong(lines);
    EXPECT_EQ(Windows.Count, 1);
    EXPECT_DOUBLE_EQ(Analysis.WindowWidth, 16);
    EXPECT_DOUBLE_EQ(Analysis.WindowStep, 1);
    EXPECT_DOUBLE_EQ(Windows.Upper[1], 311);
    EXPECT_DOUBLE_EQ(Analysis.GridStep, 0.01);
    EXPECT_DOUBLE_EQ(Analysis.FinalSimStep, 0.5);
    EXPECT_DOUBLE_EQ(StepTable.Steps[2], 0.04);  // the built-in step 2 is kept
    EXPECT_EQ(Analysis.StepTableLength, 4);      // no built-in step 5: the table ends at 4
    EXPECT_EQ(Qc.CriteriaCount, 1);
    EXPECT_EQ(Qc.CriterionName[1], "str01");
    EXPECT_DOUBLE_EQ(Analysis.ErK2, 4.0);
    for (const char* text :
         {"long.dfa line 2: window count 0 outside 1..350; 1 used",
          "long.dfa line 4: window width -1.0000 not above 0; 16.0000 kept",
          "long.dfa line 4: window step 0.0000 not above 0; 1.0000 kept",
          "long.dfa line 15: grid step 0.0000 not above 0; 0.0100 kept",
          "long.dfa line 16: final simulation step -0.5000 not above 0",
          "long.dfa line 24: shift step 2 0.0000 not above 0; 0.0400 kept",
          "long.dfa line 24: shift step 5 -1.0000 not above 0; 4 steps used",
          "long.dfa line 27: structure criterion count 0 outside 1..5; 1 used"}) {
        EXPECT_TRUE(LogHas(text)) << text;
    }
}

TEST_F(DefaultsTest, WordWhereANumberBelongsIsARunTimeErrorNamingFileAndLine) {
    std::vector<std::string> lines = AllGroups();
    lines[24] = "40 ninety 0.2";
    WriteFile(Path("long.dfa"), Join(lines));
    CommandLine.DefaultsFile = "long.dfa";
    try {
        ReadLongDefaults();
        FAIL() << "no run-time error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.File(), "long.dfa");
        EXPECT_EQ(e.Line(), 25);
    }
}

TEST_F(DefaultsProgram, WordWhereANumberBelongsEndsTheRunWithTheReport) {
    std::string dir = Dir();
    std::vector<std::string> lines = Head();
    lines[4] = "half";
    WriteFile(dir + "/bad.dfa", Join(lines));
    std::string out, err;
    EXPECT_EQ(test::RunTarnpelo(dir, {"0011200", "abc", "bad.dfa"}, &out, &err), 2);
    EXPECT_NE(err.find("'bad.dfa' line 5"), std::string::npos) << err;
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

// Wavelength settings outside the fine grid would make the stages walk
// millions of grid steps: they are bounded to the grid and logged.
TEST_F(DefaultsTest, WavelengthSettingsAreBoundedToTheFineGrid) {
    std::vector<std::string> lines = Head();
    lines[4] = "1000000";             // maximum shift
    lines[14] = "-1000000 900 0.02";  // model grid: 250..1050 nm at 0.02 nm
    lines[15] = "290 2000 0.5 1.0";   // final simulation
    ReadLong(lines);
    EXPECT_EQ(Analysis.GridLow, 250.0);
    EXPECT_EQ(Analysis.GridHigh, 900.0);
    EXPECT_EQ(Analysis.FinalSimStart, 290.0);
    EXPECT_EQ(Analysis.FinalSimEnd, 1050.0);
    EXPECT_EQ(Analysis.MaximumShift, 800.0);
    EXPECT_TRUE(
        LogHas("long.dfa: maximum shift 1000000.000 outside -800.000..800.000; 800.000 used"));
    EXPECT_TRUE(
        LogHas("long.dfa: model grid start -1000000.000 outside 250.000..1050.000; 250.000 used"));
    EXPECT_NE(ConsoleText().find("final simulation end 2000.000"), std::string::npos);
}

}  // namespace
}  // namespace tarn
