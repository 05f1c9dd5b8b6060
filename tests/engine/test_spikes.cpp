#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/spikes.h"
#include "engine/wavelength_shift.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadLines;

const std::string kBannerLine = std::string("!") + kVersionBanner;

class SpikeTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        CommandLine.ScanName = "1731200";
        CommandLine.IdMet = "exa";
        CommandLine.IdShift = "s";
        CommandLine.IdSpecout = "i";
        CommandLine.IdShifAppl = "W";
        Instrument.MeasurementDirectory = "uvdata/exa/";
        Instrument.MeasurementExtension = ".exa";
        Instrument.RangeEnd = 400.0;
        Scan.SolarZenithAngle = 35.25;
        StepTable.LevelCount = 4;  // fine step 0.01 nm
        test::MakeDirs(MainPath() + "exa/qaqc");
        SetModel([](double) { return 100.0; });
    }

    // Model (mW m-2 nm-1) on the 0.01 nm fine grid from 250 nm.
    void SetModel(const std::function<double(double)>& model) {
        for (int j = 0; j <= kMaxGridIndex; ++j)
            Spectra.SimulatedSpectrum[j] = model(250.0 + j * 0.01);
    }

    // Scan points from `first` nm at 0.5 nm steps.
    void SetScan(double first, const std::vector<double>& irradiances) {
        int n = static_cast<int>(irradiances.size());
        Spectra.MeasuredWavelengths[0] = Spectra.MeasuredIrradiances[0] = n;
        for (int i = 1; i <= n; ++i) {
            Spectra.MeasuredWavelengths[i] = first + 0.5 * (i - 1);
            Spectra.MeasuredIrradiances[i] = irradiances[i - 1];
        }
        Scan.PointCount = n;
    }

    std::string SummaryFile() const { return MainPath() + "exa/qaqc/173SPD.exa"; }
    std::string CorrectionFile() const { return MainPath() + "exa/qaqc/173SPQ.exa"; }

    // Wavelength column of the correction rows (lines after the block heads).
    std::vector<std::string> RowWavelengths() const {
        std::vector<std::string> found;
        for (const std::string& line : ReadLines(CorrectionFile())) {
            if (line.find(" ! Irradiance") != std::string::npos) found.push_back(line.substr(0, 8));
        }
        return found;
    }

    double E(int i) const { return Spectra.MeasuredIrradiances[i]; }
    long D1() const { return QcOut.DetectedAboveLevel1; }
    long D2() const { return QcOut.DetectedAboveLevel2; }
    long C1() const { return QcOut.CorrectedAboveLevel1; }
    long C2() const { return QcOut.CorrectedAboveLevel2; }
};

// Smooth model rising over four decades from 290 nm, and a scan that is 0.0009
// times it at 221 points 290..400 nm with five planted spikes.
class PlantedSpikeTest : public SpikeTest {
  protected:
    static double Model(double wavelength) {
        return 500.0 / (1.0 + std::exp((316.0 - wavelength) / 2.2));
    }
    static double Clean(int i) { return 0.0009 * Model(290.0 + 0.5 * (i - 1)); }

    void SetUp() override {
        SpikeTest::SetUp();
        SetModel(Model);
        std::vector<double> e;
        for (int i = 1; i <= 221; ++i) e.push_back(Clean(i));
        e[8 - 1] *= 0.1;    // 293.5 nm: below level 1 before and after
        e[23 - 1] *= 0.1;   // 301.0 nm: level 1 only (its correction reaches it)
        e[41 - 1] *= 3.0;   // 310.0 nm: above level 2
        e[61 - 1] = 0.0;    // 320.0 nm: zero irradiance
        e[101 - 1] *= 0.2;  // 340.0 nm: above level 2
        SetScan(290.0, e);
    }
};

TEST_F(PlantedSpikeTest, FindsEveryPlantedSpikeAndOnlyThoseWithCorrectionOff) {
    DetectSpikes();
    EXPECT_EQ(RowWavelengths(), (std::vector<std::string>{"  293.50", "  301.00", "  310.00",
                                                          "  320.00", "  340.00"}));
    // Irradiances untouched; only the detected counters rise.  The zero point
    // counts at no level while it stays 0; 293.5 nm lies below level 1.
    EXPECT_EQ(E(41), 3.0 * Clean(41));
    EXPECT_EQ(E(61), 0.0);
    EXPECT_EQ(D1(), 3);
    EXPECT_EQ(D2(), 2);
    EXPECT_EQ(C1(), 0);
    EXPECT_EQ(C2(), 0);
    EXPECT_EQ(QcOut.IrradianceLevel, "NOT_EXTREME");
    // The reference point 310 nm is the up-spike: its window median is the next point.
    EXPECT_DOUBLE_EQ(QcOut.MedianIrradianceAtReference, Clean(42));
    std::vector<std::string> summary = ReadLines(SummaryFile());
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_NE(summary[4].find(" SPIKES NOT_CORRECTED "), std::string::npos);
}

TEST_F(PlantedSpikeTest, CorrectsToModelRatioTimesMedianAndCountsCorrected) {
    Analysis.SpikeCorrectionOn = true;
    DetectSpikes();
    EXPECT_EQ(RowWavelengths().size(), 5u);
    // The model is monotonic, so R = 1 and the corrected value is the window
    // median: the next point above an up-spike, the one below a down-spike or
    // a zero.  1e-12 relative covers the rounding of E x (R / S).
    EXPECT_NEAR(E(8), Clean(7), 1e-12 * Clean(7));
    EXPECT_NEAR(E(23), Clean(22), 1e-12 * Clean(22));
    EXPECT_NEAR(E(41), Clean(42), 1e-12 * Clean(42));
    EXPECT_EQ(E(61), Clean(60));
    EXPECT_NEAR(E(101), Clean(100), 1e-12 * Clean(100));
    EXPECT_EQ(E(100), Clean(100));
    EXPECT_EQ(C1(), 4);
    EXPECT_EQ(C2(), 3);
    EXPECT_EQ(D1(), 0);
    EXPECT_EQ(D2(), 0);
    EXPECT_NE(ReadLines(SummaryFile())[4].find(" SPIKES CORRECTED "), std::string::npos);
}

// Flat model and scan of 0.01 W m-2 nm-1 at 300..310 nm; the point at the
// upper limit 310 nm is not examined.  The first scan (no correction) creates
// both files, the second (corrected) appends its block and row.
TEST_F(SpikeTest, DaySpikeFilesCreatedThenAppended) {
    Instrument.RangeEnd = 310.0;
    std::vector<double> e(21, 0.01);
    e[4] = 0.05;   // 302.0 nm
    e[12] = 0.0;   // 306.0 nm
    e[20] = 0.09;  // 310.0 nm, at the limit
    SetScan(300.0, e);
    DetectSpikes();

    CommandLine.ScanName = "1731300";
    CommandLine.IdShifAppl = "";
    Analysis.SpikeCorrectionOn = true;
    Scan.SolarZenithAngle = 9.5;
    std::vector<double> second(21, 0.00015);
    second[6] = 0.00045;  // 303.0 nm: level 1 only
    SetScan(300.0, second);
    DetectSpikes();

    EXPECT_EQ(ReadLines(CorrectionFile()),
              (std::vector<std::string>{
                  kBannerLine,
                  "! spike correction; criterium rel. deviation;    2.00000",
                  "! range_number_of_measured_datapoints:          5",
                  "! meas.wavelength measured_irradiance correction",
                  "",
                  "uvdata/exa/1731200.exa s i W",
                  "criterium:    2.00000 NO spike correction applied",
                  "  302.00     0.05000000     0.20000000 ! Irradiance spike corrected",
                  "  306.00     0.00000000     0.01000000 ! Irradiance = 0",
                  "",
                  "uvdata/exa/1731300.exa s i ",
                  "criterium:    2.00000Spikes CORRECTED",
                  "  303.00     0.00045000     0.33333333 ! Irradiance spike corrected",
              }));
    EXPECT_EQ(ReadLines(SummaryFile()),
              (std::vector<std::string>{
                  kBannerLine,
                  "! files with spike detection; criterium rel. deviation;    2.00000",
                  "! range_number_of_measured_datapoints:          5",
                  "! spectrum sza number_of_spikes at_irradiance_level   correction_id     "
                  "median_irradiance_310nm",
                  "1731200.exa   35.25     1  5.00000000000000E-0004        1   "
                  "1.00000000000000E-0004 SPIKES NOT_CORRECTED     0.01000000",
                  "1731300.exa    9.50     0  5.00000000000000E-0004        1   "
                  "1.00000000000000E-0004 SPIKES CORRECTED     0.00015000",
              }));
    EXPECT_EQ(QcOut.IrradianceLevel, "LOW_IRRADIANCE");
    EXPECT_NEAR(E(7), 0.00015, 1e-18);  // R x M, up to the rounding of E x (R / S)
}

// A flat scan has no spike; S exactly at the criterion is none, S above it
// is one; the last point is examined only below the upper limit.
TEST_F(SpikeTest, CriterionAndUpperLimitBoundaries) {
    std::vector<double> e(11, 0.25);
    SetScan(300.0, e);
    DetectSpikes();
    EXPECT_EQ(ReadLines(CorrectionFile()).size(), 7u);  // header and one block head, no row
    EXPECT_EQ(ReadLines(SummaryFile()).size(), 4u);
    EXPECT_EQ(D1() + D2() + C1() + C2(), 0);

    e[5] = 0.5;  // 302.5 nm: S = 2, R = 1
    SetScan(300.0, e);
    DetectSpikes();
    EXPECT_TRUE(RowWavelengths().empty());
    e[5] = 0.5000001;
    SetScan(300.0, e);
    DetectSpikes();
    EXPECT_EQ(RowWavelengths(), std::vector<std::string>{"  302.50"});

    e[5] = 0.25;
    e[10] = 2.5;  // 305.0 nm, the last point
    SetScan(300.0, e);
    Instrument.RangeEnd = 305.0;
    DetectSpikes();
    EXPECT_EQ(RowWavelengths().size(), 1u);
    Instrument.RangeEnd = 305.01;
    DetectSpikes();
    EXPECT_EQ(RowWavelengths(), (std::vector<std::string>{"  302.50", "  305.00"}));
}

// Half window 2: the spike at point 4 is corrected to 1, after which point 5
// (2.5) stands out from a window median of 1; uncorrected, point 4's value 10
// lifts that median to 1.5 and point 5 is no spike.
TEST_F(SpikeTest, LaterWindowsSeeCorrectedValues) {
    Analysis.SpikeHalfWindow = 2;
    const std::vector<double> e = {1, 1, 1, 10, 2.5, 1, 1.5, 1, 1, 1};
    SetScan(300.0, e);
    DetectSpikes();
    EXPECT_EQ(RowWavelengths(), std::vector<std::string>{"  301.50"});

    Analysis.SpikeCorrectionOn = true;
    SetScan(300.0, e);
    DetectSpikes();
    std::vector<std::string> rows = RowWavelengths();
    ASSERT_EQ(rows.size(), 3u);  // the first block's row, then two
    EXPECT_EQ(rows[1], "  301.50");
    EXPECT_EQ(rows[2], "  302.00");
    EXPECT_EQ(E(4), 1.0);
    EXPECT_EQ(E(5), 1.0);
}

TEST_F(SpikeTest, WindowMedianAtOrBelowZeroZeroesEveryPoint) {
    Analysis.SpikeHalfWindow = 2;
    Analysis.SpikeCorrectionOn = true;
    SetScan(300.0, {0, -0.001, 0, 0.001, 0, 0, 0});
    DetectSpikes();
    std::vector<std::string> lines = ReadLines(CorrectionFile());
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[7], "  300.00     0.00000000     0.00000000 ! Irradiance zeroed");
    EXPECT_EQ(lines[10], "  301.50     0.00100000     0.00000000 ! Irradiance zeroed");
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(E(i), 0.0) << i;
    // 0.001 before the step is above both levels.
    EXPECT_EQ(C1(), 1);
    EXPECT_EQ(C2(), 1);
}

TEST_F(SpikeTest, IrradianceLevelLabelAtTheLevels) {
    SetScan(305.0, std::vector<double>(11, 0.0005));
    DetectSpikes();
    EXPECT_EQ(QcOut.IrradianceLevel, "NOT_EXTREME");
    SetScan(305.0, std::vector<double>(11, 0.0001));
    DetectSpikes();
    EXPECT_EQ(QcOut.IrradianceLevel, "LOW_IRRADIANCE");
    EXPECT_EQ(QcOut.MedianIrradianceAtReference, 0.0001);
    SetScan(305.0, std::vector<double>(11, 0.00009));
    DetectSpikes();
    EXPECT_EQ(QcOut.IrradianceLevel, "VERY_LOW_IRR");
}

// With both switches off no file is touched, but counters and label are set;
// a short scan name is padded with zeros in the day's file names.
TEST_F(SpikeTest, SwitchesOffAndShortScanName) {
    Engine.Switches.Main_spikes_only = false;
    Engine.Switches.Details_on_corrections = false;
    std::vector<double> e(11, 0.01);
    e[5] = 0.1;
    SetScan(305.0, e);
    DetectSpikes();
    EXPECT_FALSE(test::FileExists(SummaryFile()));
    EXPECT_FALSE(test::FileExists(CorrectionFile()));
    EXPECT_EQ(D1(), 1);
    EXPECT_EQ(D2(), 1);
    EXPECT_EQ(QcOut.MedianIrradianceAtReference, 0.01);
    EXPECT_EQ(QcOut.IrradianceLevel, "NOT_EXTREME");

    Engine.Switches.Main_spikes_only = Engine.Switches.Details_on_corrections = true;
    CommandLine.ScanName = "5";
    DetectSpikes();
    EXPECT_TRUE(test::FileExists(MainPath() + "exa/qaqc/005SPD.exa"));
    EXPECT_TRUE(test::FileExists(MainPath() + "exa/qaqc/005SPQ.exa"));
}

// A half window below 1 or fewer than 3 examined points leave windows of
// fewer than 3 points: get_mediaan prints its two lines and halts.
TEST_F(SpikeTest, WindowsOfFewerThanThreePointsHalt) {
    const std::string expected =
        "Procedure \"get_mediaan\" of unit sorteer recieved less than 3 elements\n"
        "Increase stop_index compared to start_index\n"
        "Measurement: " +
        ScanFilePath() + "\n";
    for (long h : {0L, -3L, 1L}) {
        Analysis.SpikeHalfWindow = h;
        SetScan(300.0, h == 1 ? std::vector<double>{0.01, 0.02} : std::vector<double>(11, 0.01));
        ClearConsole();
        try {
            DetectSpikes();
            ADD_FAILURE() << "no halt for half window " << h;
        } catch (const EngineExit& end) {
            EXPECT_EQ(end.Code, kExitHalt);
        }
        EXPECT_EQ(ConsoleText(), expected) << h;
    }
}

// Points beyond the 40000th fine-grid index read the model as 0 through the
// checked accessor (R = 1 where the model median vanishes) and are counted.
TEST_F(SpikeTest, ModelIndexOutsideTheFineGridReadsZero) {
    std::vector<double> e(11, 0.01);
    e[5] = 0.1;
    SetScan(648.0, e);  // 648..653 nm: indexes 39800..40300
    Instrument.RangeEnd = 700.0;
    DetectSpikes();
    EXPECT_EQ(RowWavelengths(), std::vector<std::string>{"  650.50"});
    EXPECT_GT(Engine.GridIndexFaults, 0);
}

}  // namespace
}  // namespace tarn
