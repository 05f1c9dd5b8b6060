#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine_state.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::WriteFile;

TEST(MainFlow, EarthSunDistanceFactor) {
    EXPECT_NEAR(EarthSunDistanceFactor(1), 1.03505, 1e-12);
    EXPECT_NEAR(EarthSunDistanceFactor(60), 1.0189843638599352, 1e-13);
    EXPECT_NEAR(EarthSunDistanceFactor(183), 0.9666188525760673, 1e-13);
    EXPECT_NEAR(EarthSunDistanceFactor(365), 1.0350198201507328, 1e-13);
}

class FlowTest : public test::EngineTest {};

std::string FileCode(const std::string& scanName, const std::string& year) {
    CommandLine.ScanName = scanName;
    Analysis.MeasurementYear = year;
    DayNumberToFileCode();
    return Scan.MeasurementFileCode;
}

TEST_F(FlowTest, DayNumberToFileCode) {
    EXPECT_EQ(FileCode("0601200", "2004"), "022912002004");
    EXPECT_EQ(FileCode("0601200", "2003"), "030112002003");
    EXPECT_EQ(FileCode("3651200", "2003"), "123112002003");
    EXPECT_EQ(FileCode("0010000", "2003"), "010100002003");
    EXPECT_EQ(FileCode("3661200", "2004"), "123112002004");
    EXPECT_EQ(FileCode("0000930", "2003"), "010009302003");  // day 0: month 1, day 0
    // A day past the year's last day stays in December.
    EXPECT_EQ(FileCode("3701200", "2003"), "123612002003");
    EXPECT_TRUE(ConsoleText().empty());
    EXPECT_EQ(FileCode("ab31200", "2003"), "010012002003");
    EXPECT_EQ(ConsoleText(),
              " Error occurred determining daynr from measurement filename: ab31200\n");
}

TEST_F(FlowTest, WindowClipping) {
    Windows.Count = 300;  // built in: window i spans 289 + i .. 305 + i
    Instrument.RangeEnd = 400;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 95);  // 305 + 95 = 400
    Instrument.RangeEnd = 363.2;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 58);
    Instrument.RangeEnd = 300;  // below every upper bound
    ClipWindows();
    EXPECT_EQ(Windows.Count, 1);
}

TEST_F(FlowTest, WindowCountOutsideTheTableIsClampedAndLogged) {
    Windows.Count = 400;
    for (int w = 1; w <= kMaxWindows; ++w) Windows.Upper[w] = 300 + w;
    Instrument.RangeEnd = 1000;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 350);
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("Window count 400 outside 1..350; taken as 350"),
              std::string::npos);
    Windows.Count = 0;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 1);
}

TEST_F(FlowTest, OptionWord) {
    Flow.ShiftCorrectionOn = true;
    ApplyOptionWord("0.1no_fitno_sh_cor");
    EXPECT_FALSE(Flow.ShiftCorrectionOn);
    EXPECT_EQ(Scan.HeaderLines[0], "no_fit");
    EXPECT_DOUBLE_EQ(Flow.GivenOzone, 0.1);
    EXPECT_FALSE(Analysis.SpikeCorrectionOn);

    ApplyOptionWord("spike_cor");
    EXPECT_TRUE(Analysis.SpikeCorrectionOn);
    ApplyOptionWord("no_spike_cor");
    EXPECT_FALSE(Analysis.SpikeCorrectionOn);
}

TEST_F(FlowTest, OptionWordWithoutAnAmountBeforeNoFitStillFits) {
    Scan.HeaderLines[0] = "";
    Flow.GivenOzone = 0;
    ApplyOptionWord("xno_fit");
    EXPECT_EQ(Scan.HeaderLines[0], "");
    EXPECT_EQ(Flow.GivenOzone, 0);
    EXPECT_NE(ConsoleText().find("Warning"), std::string::npos);
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

// Whole runs of the program in a fresh working directory.
class ProgramRunTest : public test::TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        test::MakeDirs(Path("uvanalys"));
        WriteFile(Path("uvanalys/abc.dfa"),
                  "ozonshi.dfa\n0\n.abc\nuvdata/\n290 400 0.5\n1\n0\n1.0\n1\n");
    }

    // True when `lines` holds `expected` in this order (other lines may come between).
    static bool InOrder(const std::vector<std::string>& lines,
                        const std::vector<std::string>& expected) {
        size_t next = 0;
        for (const std::string& line : lines) {
            if (next < expected.size() && line.rfind(expected[next], 0) == 0) ++next;
        }
        return next == expected.size();
    }
};

TEST_F(ProgramRunTest, MissingScanTakesTheErrorPathAndEndsNormally) {
    std::string out;
    ASSERT_EQ(test::RunTarnpelo(Dir(), {"1731200", "abc"}, &out), 0);
    EXPECT_EQ(ReadFile(Path("check.chk")), "error\n");
    EXPECT_FALSE(test::FileExists(Path("uvanalys/check.chk")));
    std::vector<std::string> log = ReadLines(Path("tarnpelo.log"));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "");  // a new log starts with one empty line
    EXPECT_EQ(log[1], kVersionBanner);
    EXPECT_EQ(log[2].rfind("! Calculated : ", 0), 0u);
    EXPECT_TRUE(
        InOrder(log, {"Specified defaults for TARNpelo do not exist:", "Internal defaults used",
                      "End reading defaults", "procedure Inlezen_Instrument",
                      "Analysing Measurement: uvdata/abc/1731200.abc   Year: 1998",
                      "IO error finding:  uvdata/abc/1731200.abc", "END of Program "}));
    EXPECT_TRUE(InOrder(test::SplitLines(out),
                        {"Specified Default-file does NOT exist", "", kVersionBanner,
                         "Analysing Measurement: 1731200.abc   Year: 1998", "Start Analyses",
                         "IO error finding:  uvdata/abc/1731200.abc", "END of analysis "}));
    // The result tree is made before the scan is looked for.
    for (const char* dir : {"uvanalys/abc/shift", "uvanalys/abc/qaqc/struc", "uvanalys/abc/trans",
                            "uvanalys/abc/qaqc/flagstat"}) {
        EXPECT_TRUE(test::FileExists(Path(dir))) << dir;
    }
    // The elapsed time closes the console output.
    std::vector<std::string> lines = test::SplitLines(out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 1], "");
    std::string end = lines[lines.size() - 2];
    ASSERT_EQ(end.size(), std::string("END of analysis 00:00:00.00 sec").size()) << end;
    EXPECT_EQ(end.substr(end.size() - 4), " sec");
}

TEST_F(ProgramRunTest, SecondRunMarksTheLogAsANewAnalysis) {
    test::RunTarnpelo(Dir(), {"1731200", "abc"});
    size_t before = ReadLines(Path("tarnpelo.log")).size();
    test::RunTarnpelo(Dir(), {"1731200", "abc"});
    std::vector<std::string> log = ReadLines(Path("tarnpelo.log"));
    ASSERT_GT(log.size(), before + 4);
    EXPECT_EQ(log[before], "");
    EXPECT_EQ(log[before + 1], "NEW ANALYSIS");
    EXPECT_EQ(log[before + 2], "");
    EXPECT_EQ(log[before + 3], kVersionBanner);
}

TEST_F(ProgramRunTest, ScanWithoutPairsInRangeEndsWithOneLogLine) {
    test::MakeDirs(Path("uvdata/abc"));
    WriteFile(Path("uvdata/abc/1731200.abc"), "200 1\n240 2\n");
    std::string out;
    ASSERT_EQ(test::RunTarnpelo(Dir(), {"1731200", "abc"}, &out), 0);
    std::vector<std::string> log = ReadLines(Path("tarnpelo.log"));
    EXPECT_EQ(log.back(), "uvdata/abc/1731200.abc Wavelengths out of range:  250.00  410.00nm");
    EXPECT_EQ(ReadFile(Path("uvanalys/check.chk")), "OK\n");
    EXPECT_EQ(out.find("END of analysis"), std::string::npos);
}

TEST_F(ProgramRunTest, MissingInstrumentFileHaltsWithExitCodeOne) {
    std::string out;
    EXPECT_EQ(test::RunTarnpelo(Dir(), {"1731200", "xyz"}, &out), 1);
    EXPECT_NE(out.find("Program Halted; ERROR C1"), std::string::npos);
}

TEST_F(ProgramRunTest, UnreadableScanNumberIsARunTimeError) {
    test::MakeDirs(Path("uvdata/abc"));
    WriteFile(Path("uvdata/abc/1731200.abc"), "300 1\n300.5 x\n");
    std::string err;
    EXPECT_EQ(test::RunTarnpelo(Dir(), {"1731200", "abc"}, nullptr, &err), 2);
    EXPECT_NE(err.find("uvdata/abc/1731200.abc"), std::string::npos) << err;
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    // Files written before the error stay whole.
    EXPECT_EQ(ReadFile(Path("uvanalys/check.chk")), "OK\n");
    EXPECT_EQ(ReadFile(Path("uvanalys/meting.met")), "  300.0000  1.00000000000000E+0000\n");
}

// A scan name, id or result code that is no plain name is refused with one
// line naming it and the usage, exit code 2, before any file is touched.
TEST_F(ProgramRunTest, NameHoldingAPathIsRefusedBeforeAnyFileIsTouched) {
    const std::vector<std::vector<std::string>> calls = {
        {"../../elsewhere/1731130", "abc"},      {"1731130", "../abc"}, {"1731130", ".."},
        {"1731130", "abc", "tarnpelo.dfa", "/"}, {"..\\1731130"},       {"17311\n30", "abc"}};
    for (const std::vector<std::string>& args : calls) {
        std::string out, err;
        EXPECT_EQ(test::RunTarnpelo(Dir(), args, &out, &err), 2) << args[0];
        EXPECT_EQ(out, "");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("is not a plain name; usage: TARNpelo [DDDhhmm] [id_met] "
                           "<path+defaultsfilename> <id_shift> <id_specout> <id_shif_appl>"),
                  std::string::npos)
            << err;
    }
    EXPECT_FALSE(test::FileExists(Path("tarnpelo.log")));
    EXPECT_FALSE(test::FileExists(Path("shift.log")));
    EXPECT_FALSE(test::FileExists(Path("uvanalys/abc")));
}

// An irradiance of 1e300 is refused at reading, naming the scan and the line,
// and the run leaves no result file (the applied-shift file's head included).
TEST_F(ProgramRunTest, HugeIrradianceIsRefusedBeforeAResultFileIsWritten) {
    test::MakeDirs(Path("uvdata/abc"));
    WriteFile(Path("uvdata/abc/1731200.abc"), "300 1\n300.5 1e300\n301 1\n");
    std::string err;
    EXPECT_EQ(test::RunTarnpelo(Dir(), {"1731200", "abc"}, nullptr, &err), 2);
    EXPECT_EQ(err,
              "tarnpelo: run-time error: read 'uvdata/abc/1731200.abc' line 2: irradiance times "
              "the irradiance factor ( 1.00000000000000E+0300) is beyond +- "
              "1.00000000000000E+0006\n");
    EXPECT_TRUE(test::FileExists(Path("uvanalys/abc/shift")));
    EXPECT_FALSE(test::FileExists(Path("uvanalys/abc/shift/1731200.abc")));
    EXPECT_FALSE(test::FileExists(Path("uvanalys/tarnpelo.jnl")));
}

}  // namespace
}  // namespace tarn
