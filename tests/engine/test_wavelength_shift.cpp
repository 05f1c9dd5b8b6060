// Wavelength-shift determination on synthetic spectra: a structured model on
// the fine grid and a 0.5 nm scan sampled from it with a known shift.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "engine/engine_state.h"
#include "engine/run_clock.h"
#include "engine/wavelength_shift.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Model with line structure on scales of about a nanometre.
double Model(double wl) {
    return 100.0 *
           (1.0 + 0.25 * std::sin(2 * kPi * wl / 1.3) + 0.15 * std::sin(2 * kPi * wl / 0.77 + 0.5));
}

// One broad structure of 3 nm period: a single error basin over +-1.5 nm.
double Broad(double wl) {
    return 100.0 * (1.0 + 0.3 * std::sin(2 * kPi * wl / 3.0));
}

// A spectrum whose structure has nothing to do with the model.
double Unrelated(double wl) {
    return 100.0 * (1.0 + 0.3 * std::sin(2 * kPi * wl / 2.9 + 1.0));
}

// Deterministic noise in -1..1.
double Noise(int i) {
    double x = std::sin(i * 12.9898 + 78.233) * 43758.5453;
    return 2.0 * (x - std::floor(x)) - 1.0;
}

class ShiftTest : public test::EngineTest {
  protected:
    double shift = 0, uncertainty = 0, errorRatio = 0;
    std::string status;

    void SetUp() override {
        test::EngineTest::SetUp();
        StepTable.LevelCount = 4;
        const double steps[] = {0.0, 0.2, 0.04, 0.02, 0.01};
        for (int i = 0; i <= 4; ++i) StepTable.Steps[i] = steps[i];
        FillModel(Model);
        Engine.Switches.Log_shift = false;
    }

    // The model on the 0.01 nm grid.
    static void FillModel(double (*f)(double)) {
        for (int j = 0; j <= kMaxGridIndex; ++j) Spectra.SimulatedSpectrum[j] = f(250.0 + j * 0.01);
    }

    // A scan from `from` to `to` nm at 0.5 nm: E_i = f(wl_i + applied) x (1 + noise).
    static void FillScan(double (*f)(double), double from, double to, double applied,
                         double noise) {
        int n = 0;
        for (double wl = from; wl <= to + 1e-9; wl += 0.5) {
            ++n;
            Spectra.MeasuredWavelengths[n] = wl;
            Spectra.MeasuredIrradiances[n] = f(wl + applied) * (1.0 + noise * Noise(n));
        }
        Spectra.MeasuredWavelengths[0] = n;
        Spectra.MeasuredIrradiances[0] = n;
    }

    void WriteSettings(const std::string& dir, const std::string& kLine) {
        test::WriteFile(dir + "ozonshi.dfa", "simdec10.spc\n0.9     max shift\n" + kLine +
                                                 "\nmeting.met\nshift.shi\ncurve.shi\n305 330\n");
    }

    void Determine(double start, double end, const std::string& settings = "ozonshi.dfa",
                   const std::string& first = "") {
        std::string dir = first.empty() ? MainPath() : first;
        const ShiftResult r = DetermineShift(dir, MainPath(), settings, start, end);
        shift = r.Shift, uncertainty = r.Uncertainty, errorRatio = r.ErrorRatio, status = r.Status;
    }
    std::string Log() const { return test::ReadFile(Path(kMainLogName)); }
};

TEST_F(ShiftTest, KnownShiftIsFoundAndSignificant) {
    WriteSettings(MainPath(), "1");
    for (double applied : {0.13, -0.37, 0.0, 0.61}) {
        FillScan(Model, 290.0, 400.0, applied, 0.002);
        for (double start : {300.0, 331.0, 370.0}) {
            Determine(start, start + 16.0);
            // The 0.01 nm grid and 0.2 % noise allow a few thousandths.
            EXPECT_NEAR(shift, applied, 0.01) << start;
            EXPECT_GT(uncertainty, 0.0);
            EXPECT_LT(uncertainty, 0.05);
            EXPECT_LT(errorRatio, 0.01);
            EXPECT_EQ(status.rfind("!  wave_fit: ", 0), 0u) << status;
        }
    }
}

TEST_F(ShiftTest, StructureThatDoesNotMatchIsNotSignificant) {
    WriteSettings(MainPath(), "1");
    FillScan(Unrelated, 290.0, 400.0, 0.0, 0.002);
    Determine(300.0, 316.0);
    EXPECT_EQ(status.rfind("! NOT_SIGNIFICANT  wave_fit: ", 0), 0u) << status;
    EXPECT_NE(status.find(" factor: 0.3978"), std::string::npos) << status;  // dof 10 of 31 points
}

TEST_F(ShiftTest, OneOutlierMakesTheWindowNotSignificant) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.002);
    Spectra.MeasuredIrradiances[40] *= 1e5;  // 309.5 nm
    Determine(300.0, 316.0);
    EXPECT_EQ(status.rfind("! NOT_SIGNIFICANT ", 0), 0u) << status;
}

TEST_F(ShiftTest, SettingsNameXxxKeepsTheDefaults) {
    Engine.Switches.Log_shift = true;
    FillScan(Model, 290.0, 400.0, 0.13, 0.0);
    Determine(300.0, 316.0, "xxx.xxx");
    auto lines = test::ReadLines(Path("shift.shi"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4], "Applied simulation file: simdec10.spc");
    EXPECT_EQ(lines[6], "Wavelength step, and step intervalnumber:     1.00      1");
    EXPECT_NEAR(shift, 0.13, 0.01);
}

TEST_F(ShiftTest, ReportFileGoldenText) {
    Engine.Switches.Log_shift = true;
    test::MakeDirs(Path("first"));
    WriteSettings(Path("first/"), "2");
    FillScan(Model, 290.0, 400.0, 0.13, 0.002);
    Determine(300.0, 316.0, "ozonshi.dfa", Path("first/"));
    auto lines = test::ReadLines(Path("shift.shi"));  // in the second directory
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], Fixed(shift, 8, 3) + " +/- " + Fixed(uncertainty, 5, 3) + " " +
                            Fixed(errorRatio * 100, 10, 3) + " % ");
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex("   0\\.1[23]\\d \\+/- 0\\.0\\d\\d  +\\d+\\.\\d{3} % ")))
        << lines[0];
    EXPECT_EQ(lines[1], "DETERMINATION OF WAVELENGTH SHIFT");
    EXPECT_EQ(lines[2], status);
    EXPECT_EQ(lines[3].substr(0, 18), "Calculation Date: ");
    EXPECT_TRUE(std::regex_match(lines[3], std::regex("Calculation Date: \\d\\d-\\d\\d-\\d{4} "
                                                      "Time \\d\\d:\\d\\d:\\d\\d")))
        << lines[3];
    EXPECT_EQ(lines[3].substr(18, 10), ShortDateText());
    EXPECT_EQ(lines[4], "Applied simulation file: simdec10.spc");
    EXPECT_EQ(lines[5], "Wavelength range for shift determination:   300.00 316.00");
    EXPECT_EQ(lines[6], "Wavelength step, and step intervalnumber:     1.00      2");
    EXPECT_TRUE(test::FileExists(Path("first/curve.shi")));
    EXPECT_FALSE(test::FileExists(Path("curve.shi")));
}

TEST_F(ShiftTest, WindowWithoutCountedPointsEndsAtTheMaximumShift) {
    Engine.Switches.Log_shift = true;
    StepTable.LevelCount = 1;
    StepTable.Steps[1] = 0.3;
    test::WriteFile(Path("set.dfa"), "sim.spc\n0.6\n1\nm.met\nrep.shi\ncur.shi\n");
    FillScan(Model, 290.0, 400.0, 0.0, 0.0);
    for (int i = 1; i <= 221; ++i) Spectra.MeasuredIrradiances[i] = 0.0;
    Determine(300.0, 316.0, "set.dfa");
    // Every trial error is 0, so the last trial of the level is the minimum.
    EXPECT_NEAR(shift, 0.6, 1e-9);
    EXPECT_EQ(uncertainty, 9.999);
    EXPECT_EQ(errorRatio, 9.999);
    EXPECT_EQ(status,
              "! NOT_SIGNIFICANT  wave_fit:     0.0000  meas:     0.0000 mod:     0.0000 factor: "
              "0.0000");
    EXPECT_EQ(test::ReadFile(Path("cur.shi")),
              "     -0.60          0.0000\n"
              "     -0.30          0.0000\n"
              "      0.00          0.0000\n"
              "      0.30          0.0000\n"
              "      0.60          0.0000\n");
    auto report = test::ReadLines(Path("rep.shi"));
    ASSERT_EQ(report.size(), 7u);
    EXPECT_EQ(report[0], "   0.600 +/- 9.999    999.900 % ");
    EXPECT_EQ(report[4], "Applied simulation file: sim.spc");
    EXPECT_EQ(test::ReadFile(Path(kShiftLogName)), "");  // no parabola fit
}

TEST_F(ShiftTest, FirstLevelRunsTenTrialsFromMinusToPlusMaximum) {
    Engine.Switches.Log_shift = true;
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.0);
    Determine(300.0, 316.0);
    auto curve = test::ReadLines(Path("curve.shi"));
    ASSERT_GT(curve.size(), 10u);
    curve.resize(10);  // the first level; the next one starts between its neighbours

    EXPECT_EQ(curve.front().substr(0, 10), "     -0.90");
    EXPECT_EQ(curve[5].substr(0, 10), "      0.10");
    EXPECT_EQ(curve.back().substr(0, 10), "      0.90");
}

TEST_F(ShiftTest, MinimumOnTheLastTrialFallsBack) {
    WriteSettings(MainPath(), "1");
    FillModel(Broad);
    FillScan(Broad, 290.0, 400.0, 1.2, 0.0);  // beyond the maximum shift of 0.9 nm
    Determine(300.0, 316.0);
    EXPECT_NEAR(shift, 0.9, 1e-9);  // the last trial of every level
    EXPECT_EQ(uncertainty, 9.999);
    EXPECT_NE(errorRatio, 9.999);  // the minimum error, dof 10
    EXPECT_GT(errorRatio, 0.0);
}

TEST_F(ShiftTest, DegreesOfFreedomSelectTheFactor) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.0, 0.0);
    // 300.0 .. 302.0: 5 points, 3 counted, dof 1, factor SignificanceTable[1] = 0.
    Determine(300.0, 302.0);
    EXPECT_NE(status.find(" factor: 0.0000"), std::string::npos) << status;
    // 300.0 .. 303.5: 8 points, 6 counted, dof 2: factor 0.009975.
    Determine(300.0, 303.5);
    EXPECT_NE(status.find(" factor: 0.0100"), std::string::npos) << status;
    // 300.0 .. 301.0: 3 points, 1 counted, dof 0: no parabola, error ratio 9.999.
    Determine(300.0, 301.0);
    EXPECT_EQ(uncertainty, 9.999);
    EXPECT_EQ(errorRatio, 9.999);
}

TEST_F(ShiftTest, WindowWithTooFewPointsIsNotSignificantAndLogged) {
    WriteSettings(MainPath(), "3");
    FillScan(Model, 290.0, 400.0, 0.0, 0.0);
    Determine(300.0, 302.0);  // 5 points, k = 3 needs 7
    EXPECT_EQ(status.rfind("! NOT_SIGNIFICANT ", 0), 0u);
    EXPECT_EQ(errorRatio, 9.999);
    EXPECT_NE(Log().find("Shift window  300.00 - 302.00 nm holds fewer than 2k+1 = 7 measured "
                         "points; not significant"),
              std::string::npos);
}

TEST_F(ShiftTest, WindowAboveTheScanGetsTheLastPointOnly) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.0, 0.0);
    Determine(420.0, 436.0);
    EXPECT_EQ(status.rfind("! NOT_SIGNIFICANT ", 0), 0u);
    EXPECT_EQ(uncertainty, 9.999);
}

TEST_F(ShiftTest, GridIndexesBelowTheGridAreCheckedNotRead) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 250.0, 300.0, 0.1, 0.0);
    Determine(250.0, 266.0);  // trials reach 249.1 nm, below grid index 0
    EXPECT_GT(Engine.GridIndexFaults, 0);
    EXPECT_NEAR(shift, 0.1, 0.01);
}

TEST_F(ShiftTest, NeighbourDistanceBelowOneIsTakenAsOne) {
    WriteSettings(MainPath(), "0");
    FillScan(Model, 290.0, 400.0, 0.13, 0.0);
    Determine(300.0, 316.0);
    Determine(320.0, 336.0);
    EXPECT_NEAR(shift, 0.13, 0.01);
    std::string log = Log();
    const std::string line = "Shift neighbour distance k = 0 below 1; taken as 1";
    ASSERT_NE(log.find(line), std::string::npos);
    EXPECT_EQ(log.find(line), log.rfind(line));  // once per run
}

TEST_F(ShiftTest, StepTableFaultsAreLoggedAndGuarded) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.0);
    StepTable.LevelCount = 0;  // taken as 1: the first step only, here the grid step
    StepTable.Steps[1] = 0.01;
    Determine(300.0, 316.0);
    EXPECT_NEAR(shift, 0.13, 0.01);
    EXPECT_NE(Log().find("Shift step levels 0 outside 1..7; taken as 1"), std::string::npos);

    StepTable.LevelCount = 2;
    StepTable.Steps[2] = 0.0;
    Determine(300.0, 316.0);
    EXPECT_EQ(shift, 0.0);
    EXPECT_EQ(uncertainty, 9.999);
    EXPECT_EQ(errorRatio, 9.999);
    EXPECT_EQ(status.rfind("! NOT_SIGNIFICANT ", 0), 0u);
    EXPECT_NE(Log().find("Shift step 2 is   0.0000 nm; no shift is determined"), std::string::npos);
}

TEST_F(ShiftTest, ShiftLogBlockPerParabolaFit) {
    Engine.Switches.Log_shift = true;
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.002);
    Determine(300.0, 316.0);
    auto lines = test::ReadLines(Path(kShiftLogName));  // the main path holds shift.log
    ASSERT_GE(lines.size(), 11u);
    ASSERT_EQ(lines.size() % 11, 0u);
    const size_t last = lines.size() - 11;
    EXPECT_EQ(lines[last], "wavelength range:   300.00 -   316.00");
    EXPECT_EQ(lines[last + 1], "deltastap :  0.010");
    const std::string sci = "[ -]\\d\\.\\d{14}E[+-]\\d{4}";
    EXPECT_TRUE(std::regex_match(lines[last + 2],
                                 std::regex("shiftvorig: " + sci + "  foutvorig: " + sci)));
    EXPECT_TRUE(std::regex_match(lines[last + 3],
                                 std::regex("shift     : " + sci + "  fout     : " + sci)));
    EXPECT_TRUE(std::regex_match(lines[last + 4],
                                 std::regex("shiftvolge: " + sci + "  foutvolge: " + sci)));
    EXPECT_TRUE(std::regex_match(lines[last + 5], std::regex("a: " + sci)));
    EXPECT_TRUE(std::regex_match(lines[last + 6], std::regex("b: " + sci)));
    EXPECT_TRUE(std::regex_match(lines[last + 7], std::regex("c: " + sci)));
    const std::string fit =
        "shiftminimum: " + Fixed(shift, 10, 5) + " +/- " + Fixed(uncertainty, 10, 5) + " minim.: ";
    EXPECT_EQ(lines[last + 8].substr(0, fit.size()), fit);
    EXPECT_TRUE(std::regex_match(lines[last + 8].substr(fit.size()),
                                 std::regex(" *\\d+\\.\\d{7} number:   93")))
        << lines[last + 8];
    EXPECT_EQ(lines[last + 9], "error ratio at minimum: " + Fixed(errorRatio, 12, 7));
    EXPECT_EQ(lines[last + 10], "");
}

TEST_F(ShiftTest, ShiftLogIsCreatedInTheFirstDirectoryWhenMissing) {
    Engine.Switches.Log_shift = true;
    test::MakeDirs(Path("sub"));
    WriteSettings(Path("sub/"), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.002);
    Determine(300.0, 316.0, "ozonshi.dfa", Path("sub/"));
    auto lines = test::ReadLines(Path("sub/shift.log"));
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "SHIFT-unit 3.030; 05-05-2002 JV/QAV/PELO");
    EXPECT_EQ(lines[1], "wavelength range:   300.00 -   316.00");
    EXPECT_EQ(Engine.ShiftLogFile, Path("sub/shift.log"));
    EXPECT_EQ(test::ReadFile(Path(kShiftLogName)), "");
}

TEST_F(ShiftTest, LogShiftOffTouchesNoFile) {
    WriteSettings(MainPath(), "1");
    FillScan(Model, 290.0, 400.0, 0.13, 0.002);
    Determine(300.0, 316.0);
    EXPECT_FALSE(test::FileExists(Path("shift.shi")));
    EXPECT_FALSE(test::FileExists(Path("curve.shi")));
    EXPECT_EQ(test::ReadFile(Path(kShiftLogName)), "");
}

TEST_F(ShiftTest, MissingSettingsFileHaltsWithErrorS1) {
    test::MakeDirs(Path("sub"));  // no main log there: S1 keeps the main log of the start
    try {
        Determine(300.0, 316.0, "nothere.dfa", Path("sub/"));
        FAIL() << "no halt";
    } catch (const EngineExit& end) {
        EXPECT_EQ(end.Code, kExitHalt);
    }
    std::string path = Path("sub/nothere.dfa");
    EXPECT_EQ(ConsoleText(), "Error in shiftroutine\nUnable to find default file:\n" + path +
                                 "\nProgram Halted; ERROR S1\n");
    EXPECT_NE(Log().find("Error in shiftroutine\nUnable to find default file:\n" + path +
                         "\nProgram HALTED; ERROR S1\n\n"),
              std::string::npos);
    EXPECT_FALSE(test::FileExists(Path("sub/tarnpelo.log")));
}

TEST_F(ShiftTest, BadMaximumShiftIsARunTimeError) {
    test::WriteFile(Path("bad.dfa"), "sim\nnine\n1\nm\nr\nc\n");
    FillScan(Model, 290.0, 400.0, 0.0, 0.0);
    EXPECT_THROW(Determine(300.0, 316.0, "bad.dfa"), RunTimeError);
}

}  // namespace
}  // namespace tarn
