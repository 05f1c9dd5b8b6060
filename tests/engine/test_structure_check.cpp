#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/structure_check.h"
#include "engine/wavelength_shift.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

struct Point {
    double wavelength;  // nm
    double irradiance;  // W m-2 nm-1
    double model;       // mW m-2 nm-1, placed on the fine grid at the wavelength
};

// Ten points 300.0..304.5 nm against a flat model: five clean pairs, then
// pairs with ratios 0.625 and 1.6, a zero second irradiance and a zero first one.
const std::vector<Point> kScanA = {{300.0, 0.10, 100}, {300.5, 0.10, 100}, {301.0, 0.10, 100},
                                   {301.5, 0.10, 100}, {302.0, 0.10, 100}, {302.5, 0.10, 100},
                                   {303.0, 0.16, 100}, {303.5, 0.10, 100}, {304.0, 0.00, 100},
                                   {304.5, 0.05, 100}};

// Same wavelengths: no model at the first point, a clean run from point 2, a
// negative irradiance before a zero one, and two zero irradiances at the end.
const std::vector<Point> kScanB = {{300.0, 0.10, 0},   {300.5, 0.10, 100},  {301.0, 0.105, 100},
                                   {301.5, 0.10, 100}, {302.0, 0.10, 100},  {302.5, 0.10, 100},
                                   {303.0, 0.10, 100}, {303.5, -0.10, 100}, {304.0, 0.00, 100},
                                   {304.5, 0.00, 100}};

class StructureCheckTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        CommandLine.ScanName = "1731200";
        CommandLine.IdMet = "exa";
        CommandLine.IdShift = "S";
        CommandLine.IdSpecout = "I";
        CommandLine.IdShifAppl = "W";
        Instrument.MeasurementDirectory = "uvdata/exa/";
        Instrument.MeasurementExtension = ".exa";
        Instrument.RangeStart = 299.9;
        Instrument.RangeEnd = 307.0;  // pairs end below 307 - 2 x 1 nm
        Instrument.Fwhm = 1.0;
        StepTable.LevelCount = 4;  // 0.01 nm
        Scan.EarthSunFactor = 1.0;
        Qc.QcIntervals[1][0] = 300.0;
        Qc.QcIntervals[1][1] = 302.0;
        Qc.QcIntervals[2][0] = 302.0;
        Qc.QcIntervals[2][1] = 310.0;
        Engine.Switches.Spec_struc = false;
        Engine.Switches.Trans_Q = false;
        test::MakeDirs(MainPath() + "exa/qaqc/struc");
    }

    void SetScan(const std::vector<Point>& points) {
        std::fill(std::begin(Spectra.SimulatedSpectrum), std::end(Spectra.SimulatedSpectrum), 0.0);
        long n = 0;
        for (const Point& p : points) {
            ++n;
            Spectra.MeasuredWavelengths[n] = p.wavelength;
            Spectra.MeasuredIrradiances[n] = p.irradiance;
            GridAt(Spectra.SimulatedSpectrum, GridIndex(p.wavelength, 0.01)) = p.model;
        }
        Scan.PointCount = static_cast<int>(n);
        Spectra.MeasuredWavelengths[0] = Spectra.MeasuredIrradiances[0] = n;
    }

    // One criterion (index 1) of relative deviation c, start criterion 1.
    void SingleCriterion(double c) {
        Qc.CriteriaCount = 1;
        Qc.CriterionDeviation[1] = c;
        Qc.StartCriterion = 1;
    }

    std::string File(const std::string& name) { return test::ReadFile(MainPath() + name); }
};

double Sq(double x) {
    return x * x;
}

TEST_F(StructureCheckTest, NoCleanRunLeavesStartAtLastPointAndCountsZero) {
    // Runs of four meeting pairs, each broken by a pair of ratio 2; the last pair fails.
    std::vector<Point> points;
    double w = 300.0;
    for (int block = 0; block < 3; ++block) {
        for (int p = 0; p < 5; ++p) points.push_back({w += 0.5, 0.1, 100});
        points.push_back({w += 0.5, 0.05, 100});
    }
    Instrument.RangeEnd = 400.0;
    SetScan(points);
    SingleCriterion(0.5);
    CheckStructure();
    EXPECT_EQ(QcOut.StartIndex[1], 18);
    EXPECT_EQ(QcOut.MeetCount[1], 0);
    EXPECT_EQ(QcOut.ExceedCount[1], 0);
    EXPECT_EQ(QcOut.DeviationSquareSum[1], 0.0);
    EXPECT_EQ(QcOut.LateExceedCount[1], 0);
}

TEST_F(StructureCheckTest, CleanStartCountsTheRunAndThePairsAfterIt) {
    // Point 1 (300.0) is not above the range start: the first in-range pair is (2, 3).
    Instrument.RangeStart = 300.0;
    std::vector<Point> points = {{300.0, 0.5, 100},   {300.5, 0.10, 100},  {301.0, 0.102, 100},
                                 {301.5, 0.10, 100},  {302.0, 0.098, 100}, {302.5, 0.10, 100},
                                 {303.0, 0.101, 100}, {303.5, 0.20, 100},  {304.0, 0.10, 100}};
    SetScan(points);
    SingleCriterion(0.1);
    CheckStructure();
    EXPECT_EQ(QcOut.StartIndex[1], 2);
    double run = Sq(0.10 / 0.102 - 1) + Sq(0.102 / 0.10 - 1) + Sq(0.10 / 0.098 - 1) +
                 Sq(0.098 / 0.10 - 1) + Sq(0.10 / 0.101 - 1);
    // After the run: pair (7,8) R 0.505 exceeds, (8,9) R 2 exceeds.
    EXPECT_EQ(QcOut.MeetCount[1], 5);
    EXPECT_EQ(QcOut.ExceedCount[1], 2);
    double after = Sq(0.101 / 0.20 - 1) + Sq(0.20 / 0.10 - 1);
    EXPECT_NEAR(QcOut.DeviationSquareSum[1], run + after, 1e-12);  // rounding of the sums only
}

TEST_F(StructureCheckTest, BoundsOfTheCriterionExceed) {
    // c = 0.25: R exactly 1.25 and exactly 1 / 1.25 (the same real as 1 / (1 + c)) both exceed.
    std::vector<Point> points;
    double w = 300.0;
    for (int p = 0; p < 6; ++p) points.push_back({w += 0.5, 1.25, 100});
    points.push_back({w += 0.5, 1.0, 100});   // (6,7): 1.25
    points.push_back({w += 0.5, 1.25, 100});  // (7,8): 0.8
    points.push_back({w += 0.5, 1.3, 100});   // (8,9): 0.96 meets
    SetScan(points);
    Instrument.RangeEnd = 400.0;
    SingleCriterion(0.25);
    CheckStructure();
    EXPECT_EQ(QcOut.StartIndex[1], 1);
    EXPECT_EQ(QcOut.MeetCount[1], 6);
    EXPECT_EQ(QcOut.ExceedCount[1], 2);
}

TEST_F(StructureCheckTest, ZeroSecondIrradianceMarksTheRatioAndAZeroPairCarriesTheLastOne) {
    Engine.Switches.Spec_struc = true;
    SetScan(kScanB);
    SingleCriterion(0.1);
    Qc.CriterionName[1] = "crt";
    CheckStructure();
    // Clean run from point 2 (pairs 2..6); pair 7 R -1, pair 8 e2 = 0 with e1 < 0,
    // pair 9 e1 = e2 = 0: no row, exceeding, adds pair 8's deviation again.
    EXPECT_EQ(QcOut.StartIndex[1], 2);
    EXPECT_EQ(QcOut.MeetCount[1], 5);
    EXPECT_EQ(QcOut.ExceedCount[1], 3);
    double run = Sq(0.10 / 0.105 - 1) + Sq(0.105 / 0.10 - 1);
    EXPECT_NEAR(QcOut.DeviationSquareSum[1], run + Sq(-2) + 2 * Sq(-9999.999 - 1),
                1e-6);  // sums of values near 1e8: relative 1e-14
    std::vector<std::string> lines = test::ReadLines(MainPath() + "exa/qaqc/173crt.exa");
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[7], " 303.00  303.50     -1.000       1.000");
    EXPECT_EQ(lines[8], " 303.50  304.00  -9999.999       1.000");

    SetScan(kScanA);
    CommandLine.ScanName = "1731400";
    CheckStructure();
    lines = test::ReadLines(MainPath() + "exa/qaqc/173crt.exa");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[13], " 303.50  304.00   9999.999       1.000");
}

TEST_F(StructureCheckTest, LateExceedingPairsCountFromTheStartCriterionsStart) {
    // Criterion 1 (c = 0.5) is the start criterion; both criteria start at point 3 after
    // two exceeding pairs, and criterion 2 (c = 0.01) exceeds twice after that start.
    std::vector<Point> points = {{300.0, 0.1, 100}, {300.5, 0.2, 100}, {301.0, 0.1, 100},
                                 {301.5, 0.1, 100}, {302.0, 0.1, 100}, {302.5, 0.1, 100},
                                 {303.0, 0.1, 100}, {303.5, 0.1, 100}, {304.0, 0.12, 100},
                                 {304.5, 0.1, 100}};
    SetScan(points);
    Qc.CriteriaCount = 2;
    Qc.CriterionDeviation[1] = 0.5;
    Qc.CriterionDeviation[2] = 0.01;
    Qc.StartCriterion = 1;
    CheckStructure();
    EXPECT_EQ(QcOut.StartIndex[1], 3);  // pairs 3..7
    EXPECT_EQ(QcOut.StartIndex[2], 3);
    // Criterion 2: pairs 8 (R 0.833) and 9 (R 1.2) exceed, both after point 3.
    EXPECT_EQ(QcOut.ExceedCount[2], 2);
    EXPECT_EQ(QcOut.LateExceedCount[2], 2);
    EXPECT_EQ(QcOut.LateExceedCount[1], 0);
}

TEST_F(StructureCheckTest, RatioStatisticsOfTheTwoIntervals) {
    SetScan(kScanA);
    Scan.EarthSunFactor = 0.5;  // modelled irradiance 0.05: ratios are 20 e1
    CheckStructure();
    // Interval 1: points 1..4, ratio 2 each; interval 2: points 5..9: 2, 2, 3.2, 2, 0.
    EXPECT_NEAR(QcOut.RatioMean1, 2.0, 1e-12);
    EXPECT_EQ(QcOut.RatioSd1, 0.0);
    EXPECT_NEAR(QcOut.RatioMean2, 1.84, 1e-12);
    EXPECT_NEAR(QcOut.RatioSd2, std::sqrt((4 + 4 + 10.24 + 4 - 5 * 1.84 * 1.84) / 4), 1e-12);
    EXPECT_NEAR(QcOut.RatioMeanAll, 17.2 / 9, 1e-12);
    EXPECT_NEAR(QcOut.RatioSdAll, std::sqrt((38.24 - 17.2 * 17.2 / 9) / 8), 1e-12);
    EXPECT_EQ(QcOut.RangeStatus1, "");
    EXPECT_EQ(QcOut.RangeStatus2, "");
}

TEST_F(StructureCheckTest, EmptyAndSinglePointIntervals) {
    SetScan(kScanA);
    Qc.QcIntervals[1][0] = 200.0;  // interval 1 holds no point
    Qc.QcIntervals[1][1] = 250.0;
    Qc.QcIntervals[2][0] = 303.0;  // interval 2 holds point 7 only (ratio 1.6)
    Qc.QcIntervals[2][1] = 303.2;
    CheckStructure();
    EXPECT_EQ(QcOut.RatioMean1, -999.999);
    EXPECT_EQ(QcOut.RatioSd1, -999.999);
    EXPECT_EQ(QcOut.RangeStatus1, "NOT_DETERMINED");
    EXPECT_NEAR(QcOut.RatioMean2, 1.6, 1e-12);
    EXPECT_EQ(QcOut.RatioSd2, -999.999);
    EXPECT_EQ(QcOut.RangeStatus2, "");
    EXPECT_NEAR(QcOut.RatioMeanAll, 1.6, 1e-12);
    EXPECT_EQ(QcOut.RatioSdAll, -999.999);

    Qc.QcIntervals[2][0] = 500.0;
    Qc.QcIntervals[2][1] = 600.0;
    CheckStructure();
    EXPECT_EQ(QcOut.RatioMean2, -999.999);
    EXPECT_EQ(QcOut.RatioSd2, -999.999);
    EXPECT_EQ(QcOut.RangeStatus2, "NOT_DETERMINED");
    EXPECT_EQ(QcOut.RatioMeanAll, -999.999);
}

TEST_F(StructureCheckTest, RatiosCountOnlyFromTheStartCriterionsStart) {
    // With S = k the start index is N until the run is found during the same pass.
    SetScan(kScanB);
    SingleCriterion(0.1);
    CheckStructure();
    // The run from point 2 is complete at pair 6, after that pair's ratio step, so points
    // 2..6 are not counted: interval 2 holds points 7..9 (1, -1, 0); interval 1 none.
    EXPECT_EQ(QcOut.RangeStatus1, "NOT_DETERMINED");
    EXPECT_NEAR(QcOut.RatioMean2, 0.0, 1e-12);
    EXPECT_NEAR(QcOut.RatioSd2, 1.0, 1e-12);
}

TEST_F(StructureCheckTest, OutOfRangeSettingsAreClampedAndLoggedOnce) {
    SetScan(kScanA);
    Qc.CriteriaCount = 8;
    Qc.StartCriterion = 9;
    std::string before = File("tarnpelo.log");
    CheckStructure();
    EXPECT_EQ(Qc.CriteriaCount, 5);
    EXPECT_EQ(Qc.StartCriterion, 5);
    EXPECT_EQ(File("tarnpelo.log"), before +
                                        "Structure criteria count 8 outside 1..5; taken as 5\n"
                                        "Start criterion 9 outside 1..5; taken as 5\n");
    EXPECT_EQ(QcOut.StartIndex[5], 1);
    EXPECT_NEAR(StructureStartWavelength(), 300.0, 1e-12);

    Qc.StartCriterion = 0;
    CheckStructure();
    EXPECT_EQ(Qc.StartCriterion, 1);
}

TEST_F(StructureCheckTest, ModelOffTheFineGridReadsZeroThroughTheCheckedAccessor) {
    std::vector<Point> points = kScanA;
    SetScan(points);
    Spectra.MeasuredWavelengths[10] = 700.0;  // grid index 45000
    Instrument.RangeEnd = 800.0;
    SingleCriterion(0.1);
    CheckStructure();
    EXPECT_GT(Engine.GridIndexFaults, 0);
    EXPECT_EQ(QcOut.ExceedCount[1], 4);  // pair (9,10) cannot form a ratio: exceeds
}

TEST_F(StructureCheckTest, ShortDayNameIsPaddedAndTransQOffWritesNoRatioFile) {
    Engine.Switches.Spec_struc = true;
    CommandLine.ScanName = "12";
    SetScan(kScanA);
    CheckStructure();
    EXPECT_TRUE(test::FileExists(MainPath() + "exa/qaqc/012str01.exa"));
    EXPECT_FALSE(test::FileExists(MainPath() + "exa/qaqc/struc/12q.exa"));
    EXPECT_NEAR(QcOut.RatioMean1, 1.0, 1e-12);
}

TEST_F(StructureCheckTest, StructureFileOverTwoScansOfADay) {
    Engine.Switches.Spec_struc = true;
    SetScan(kScanA);
    CheckStructure();
    SetScan(kScanB);
    CommandLine.ScanName = "1731400";
    CheckStructure();
    const std::string head = std::string("!") + kVersionBanner +
                             "\n"
                             "! structure check; criterium rel. deviation;      0.100\n"
                             "! wavelength range:     299.90 -     307.00\n"
                             "! Ratio = Irrad(w1)/Irrad(w2)\n"
                             "! meas.wavelength 1 and 2, Meas.ratio/Theor.ratio, Theor.Ratio\n";
    EXPECT_EQ(File("exa/qaqc/173str01.exa"), head +
                                                 "\n"
                                                 "uvdata/exa/1731200.exa S I W\n"
                                                 " 302.50  303.00      0.625       1.000\n"
                                                 " 303.00  303.50      1.600       1.000\n"
                                                 " 303.50  304.00   9999.999       1.000\n"
                                                 " 304.00  304.50      0.000       1.000\n"
                                                 "\n"
                                                 "uvdata/exa/1731400.exa S I W\n"
                                                 " 303.00  303.50     -1.000       1.000\n"
                                                 " 303.50  304.00  -9999.999       1.000\n");
    std::vector<std::string> str10 = test::ReadLines(MainPath() + "exa/qaqc/173str10.exa");
    ASSERT_EQ(str10.size(), 13u);
    EXPECT_EQ(str10[1], "! structure check; criterium rel. deviation;      1.000");
    EXPECT_EQ(str10[7], " 303.50  304.00   9999.999       1.000");
    EXPECT_EQ(str10[8], " 304.00  304.50      0.000       1.000");
    EXPECT_TRUE(test::FileExists(MainPath() + "exa/qaqc/173str50.exa"));
}

TEST_F(StructureCheckTest, ModelRatioFileOfAScan) {
    Engine.Switches.Trans_Q = true;
    CommandLine.ScanName = "1731400";
    SetScan(kScanB);
    CheckStructure();
    EXPECT_EQ(File("exa/qaqc/struc/1731400q.exa"),
              "! Earth_sun distance correction factor:   1.0000\n"
              "! wave measured irr. modelled irr.   ratio meas/mod   "
              "meas_ratio(m1/m2)/model_ratio\n"
              " 300.00     0.10000000      0.00000000 99999.9999  99999.9999\n"
              " 300.50     0.10000000      0.10000000    1.00000    -4.762\n"
              " 301.00     0.10500000      0.10000000    1.05000     5.000\n"
              " 301.50     0.10000000      0.10000000    1.00000     0.000\n"
              " 302.00     0.10000000      0.10000000    1.00000     0.000\n"
              " 302.50     0.10000000      0.10000000    1.00000     0.000\n"
              " 303.00     0.10000000      0.10000000    1.00000  99999.9999\n"
              " 303.50    -0.10000000      0.10000000   -1.00000  99999.9999\n"
              " 304.00     0.00000000      0.10000000    0.00000  99999.9999\n");
    // Built-in S = 2 starts at point 2: interval 1 holds 1, 1.05, 1; interval 2 1, 1, 1, -1, 0.
    EXPECT_NEAR(QcOut.RatioMean1, 3.05 / 3, 1e-12);
    EXPECT_NEAR(QcOut.RatioSd1, std::sqrt((3.1025 - 3.05 * 3.05 / 3) / 2), 1e-9);
    EXPECT_NEAR(QcOut.RatioMean2, 0.4, 1e-12);
    EXPECT_NEAR(QcOut.RatioSd2, std::sqrt(0.8), 1e-12);

    // A later run of the same scan rewrites the file.
    SetScan(kScanA);
    CheckStructure();
    std::vector<std::string> lines = test::ReadLines(MainPath() + "exa/qaqc/struc/1731400q.exa");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[9], " 303.50     0.10000000      0.10000000    1.00000  99999.9999");
    EXPECT_EQ(lines[10], " 304.00     0.00000000      0.10000000    0.00000  -100.000");
}

}  // namespace
}  // namespace tarn
