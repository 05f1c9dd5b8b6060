#include <gtest/gtest.h>

#include "engine/qc_report.h"
#include "tests/engine/qc_test_scan.h"

namespace tarn {
namespace {

using test::Columns;
using test::ReadFile;
using test::ReadLines;

class QcTableTest : public test::QcScanTest {
  protected:
    std::string TablePath() const { return QaqcFile("173QC.exa"); }
    std::string LastRow() const { return ReadLines(TablePath()).back(); }
};

const char* const kHeaderAfterBanner =
    "! Quality check shift and structure\n"
    "! sh1 refers to average shift over wavelength interval: 300.00 325.00\n"
    "! sh2 refers to average shift over wavelength interval: 325.00 400.00\n"
    "! wave indicates lowest wavelength where  5 successive readings\n"
    "! meet criterium for structural checks\n"
    "! pos and neg indicate respectively:\n"
    "! the number of readings that meet or exceed criterium for structural checks\n"
    "! number of criteria:  5\n"
    "! criterium CR 1 structure check:  0.909 -  1.100\n"
    "! criterium CR 2 structure check:  0.800 -  1.250\n"
    "! criterium CR 3 structure check:  0.667 -  1.500\n"
    "! criterium CR 4 structure check:  0.500 -  2.000\n"
    "! criterium CR 5 structure check:  0.167 -  6.000\n"
    "!date_time sza  sh1:mean sd  n    sh2:mean sd  n  "
    "CR_1_wav pos  neg  shape_score CR_2_wav pos  neg  shape_score CR_3_wav pos  neg  shape_score "
    "CR_4_wav pos  neg  shape_score CR_5_wav pos  neg  shape_score "
    "    %_efuv below wave       %_efuv above wave   "
    "irrad_first  max_irr_below trans1   sd_1 % trans2  sd_2 % transall sd_all %"
    "   ER1      sd_ER1     ER2      sd_ER2   number_of_spikes_above_starting_wavelength\n";

// The scan's row: shift statistics of the window table, five criteria (the
// first never clean: 999.999 shown as 1000.00), fractions in percent, ratios
// with their percent deviations, error ratios, criteria 3-5 late exceedings,
// spike counts, hour, Q_index and ozone.
//   Q_index = sqrt(((0.05/0.1)^2 + (0.08/0.1)^2 + (5/10)^2 + (0.0002/0.0005)^2
//                   + (4/10)^2 + 0) / 5) = sqrt(1.46 / 5) = 0.54
const char* const kRow =
    "1731230  45.00  0.050 0.016   5  -0.080 0.016   5  "
    "400.00    0    0    1000.00    292.00  204    0       5.00    "
    "292.00  210    2      10.00    292.00  211    1       1.00    "
    "292.00  212    0       0.00    "
    "     1.200 %< 292.00        0.100 %> 400.00     0.00020000   0.00010000   "
    "0.8000   5.00 % 0.9000   4.00 % 0.8500   5.00 %   "
    " 0.02400  0.00548    0.04000  0.00000"
    " spikes_at_CR3 0   spikes_at_CR4 1   spikes_at_CR5 0  "
    " median_spikes_detected_above:     0.00050000     0     0.00010000     3"
    " median_spikes_corrected_above:     0.00050000     0     0.00010000     0"
    "   12.5000  Q_index     0.54 ozone_indication:  333.00 DU";

TEST_F(QcTableTest, GoldenHeaderRowConsoleAndLog) {
    QC_report();
    EXPECT_EQ(ReadFile(TablePath()),
              std::string("!") + kVersionBanner + "\n" + kHeaderAfterBanner + kRow + "\n");
    EXPECT_EQ(ConsoleText(),
              "Wavelength Shift UVB:    0.05 nm  Relative Struct. dev.:      0.024\n"
              "Wavelength Shift UVA:   -0.08 nm  Relative Struct. dev.:      0.040\n\n");
    std::string log = Log();
    EXPECT_NE(log.find("1731230  45.00  0.050 0.016   5  -0.080 0.016   5  \n"
                       "criterium:  0.100 400.00    0    0      1000.00  %\n"
                       "criterium:  0.250 292.00  204    0         5.00  %\n"
                       "criterium:  0.500 292.00  210    2        10.00  %\n"
                       "criterium:  1.000 292.00  211    1         1.00  %\n"
                       "criterium:  5.000 292.00  212    0         0.00  %\n"
                       "     1.200 %< 292.00\n"
                       "     0.100 %> 400.00\n"
                       "First wavelength: 292.00 First irradiance:   0.00020000 highest below:   "
                       "0.00010000\n"),
              std::string::npos);
    // The report writes percentages and leaves the shared fractions alone.
    EXPECT_EQ(QcOut.EfuvBelowStart, 0.012);
    EXPECT_EQ(QcOut.EfuvAboveLast, 0.001);
}

TEST_F(QcTableTest, ColumnsOfTheBuiltInCounts) {
    QcOut.DetectedAboveLevel1 = 17;
    QC_report();
    std::vector<std::string> c = Columns(LastRow());
    ASSERT_EQ(c.size(), 71u);               // 45 + 6 x 5 - 2 x 2
    EXPECT_EQ(c[2 - 1], "45.00");           // zenith angle
    EXPECT_EQ(c[3 - 1], "0.050");           // MeanShift1
    EXPECT_EQ(c[6 - 1], "-0.080");          // MeanShift2
    EXPECT_EQ(c[16 - 1], "5.00");           // ShapeScore of criterion 2
    EXPECT_EQ(c[36 - 1], "0.00010000");     // MaxIrradianceBelowStart
    EXPECT_EQ(c[40 - 1], "0.9000");         // RatioMean2
    EXPECT_EQ(c[50 - 1], "spikes_at_CR3");  // b + 22 with b = 28
    EXPECT_EQ(c[60 - 1], "17");             // DetectedAboveLevel1
    EXPECT_EQ(c[66 - 1], "12.5000");        // ScanHour
    EXPECT_EQ(c[68 - 1], "0.54");           // Q_index
    EXPECT_EQ(c[70 - 1], "333.00");         // ozone indication
}

TEST_F(QcTableTest, ColumnsOfFourCriteriaAndOfOtherStartCriteria) {
    Qc.CriteriaCount = 4;
    QC_report();
    std::vector<std::string> c = Columns(LastRow());
    ASSERT_EQ(c.size(), 65u);         // b = 24, c = 49
    EXPECT_EQ(c[36 - 1], "0.9000");   // RatioMean2
    EXPECT_EQ(c[60 - 1], "12.5000");  // ScanHour
    EXPECT_EQ(c[46 - 1], "spikes_at_CR3");
    EXPECT_EQ(c[48 - 1], "spikes_at_CR4");

    std::remove(TablePath().c_str());  // a new header for the other counts
    Qc.CriteriaCount = 4;
    Qc.StartCriterion = 4;  // S = k: no spikes_at_CR pairs, 45 + 4k columns
    QC_report();
    EXPECT_EQ(Columns(LastRow()).size(), 61u);
    EXPECT_EQ(LastRow().find("spikes_at_CR"), std::string::npos);

    std::remove(TablePath().c_str());
    Qc.CriteriaCount = 5;
    Qc.StartCriterion = 1;
    QC_report();
    std::vector<std::string> s1 = Columns(LastRow());
    EXPECT_EQ(s1.size(), 73u);
    EXPECT_EQ(s1[50 - 1], "spikes_at_CR2");
}

TEST_F(QcTableTest, SecondScanAppendsWithoutASecondHeader) {
    QC_report();
    CommandLine.ScanName = "1731300";
    QcOut.EfuvBelowStart = 0.012;
    QcOut.EfuvAboveLast = 0.001;
    QC_report();
    std::vector<std::string> lines = ReadLines(TablePath());
    ASSERT_EQ(lines.size(), 17u);  // 15 header lines and two rows
    EXPECT_EQ(lines[15], kRow);
    EXPECT_EQ(lines[16].substr(0, 8), "1731300 ");
    EXPECT_EQ(Columns(lines[16])[66 - 1], "13.0000");
}

TEST_F(QcTableTest, WithTheTableSwitchOffTheConsoleAndLogStillHappen) {
    Engine.Switches.Q_flag = false;
    QC_report();
    EXPECT_FALSE(test::FileExists(TablePath()));
    EXPECT_NE(ConsoleText().find("Wavelength Shift UVA:"), std::string::npos);
    EXPECT_NE(Log().find("criterium:  0.250 292.00"), std::string::npos);
    EXPECT_NE(Log().find("     1.200 %< 292.00"), std::string::npos);

    Engine.Switches.Log_main_tarn = false;
    QC_report();
    std::string log = Log();
    int groups = 0;
    for (size_t at = log.find("criterium:  0.100"); at != std::string::npos;
         at = log.find("criterium:  0.100", at + 1))
        ++groups;
    EXPECT_EQ(groups, 1);
}

TEST_F(QcTableTest, UndeterminedValuesAreWrittenAsTheyComeAndBoundTheQIndex) {
    Windows.Count = 0;                              // shift statistics 9.999, 0 windows
    QcOut.MeetCount[2] = QcOut.ExceedCount[2] = 0;  // score 999.999
    QcOut.RatioMean1 = QcOut.RatioSd1 = -999.999;
    QcOut.RatioMean2 = QcOut.RatioSd2 = -999.999;
    QcOut.RatioMeanAll = QcOut.RatioSdAll = -999.999;
    QcOut.EfuvBelowStart = QcOut.EfuvAboveLast = -1.0;
    QcOut.StartIrradiance = QcOut.MaxIrradianceBelowStart = 0.0;
    QC_report();
    std::vector<std::string> c = Columns(LastRow());
    ASSERT_EQ(c.size(), 71u);
    EXPECT_EQ(c[3 - 1], "9.999");
    EXPECT_EQ(c[5 - 1], "0");
    EXPECT_EQ(c[16 - 1], "1000.00");
    EXPECT_EQ(c[29 - 1], "-100.000");
    EXPECT_EQ(c[37 - 1], "-999.9990");
    EXPECT_EQ(c[38 - 1], "100.00");  // -999.999 over -999.999
    // d1, d2, d3, d5 bounded at 100, d4 = 0: sqrt(400 / 5) = 8.94.
    EXPECT_EQ(c[68 - 1], "8.94");
}

TEST_F(QcTableTest, QIndexTerms) {
    // All five terms 0 and seven spikes above level 2: sqrt(7 / 5) = 1.18.
    for (int w = 1; w <= 10; ++w) Windows.Shift[w] = 0.0;
    QcOut.DeviationSquareSum[2] = 0.0;
    QcOut.StartIrradiance = QcOut.MaxIrradianceBelowStart = 0.0;
    QcOut.RatioSd2 = 0.0;
    QcOut.DetectedAboveLevel2 = 7;
    QC_report();
    EXPECT_EQ(Columns(LastRow())[68 - 1], "1.18");

    // A limit of 0 gives its term the bound 100: sqrt((100 + 7) / 5) = 4.63.
    Qc.Shift1Limits[1] = 0.0;
    QcOut.EfuvBelowStart = QcOut.EfuvAboveLast = 0.0;
    QC_report();
    EXPECT_EQ(Columns(LastRow())[68 - 1], "4.63");

    // The higher of the two irradiances enters: (0.001 / 0.0005)^2 = 4,
    // sqrt((100 + 4 + 7) / 5) = 4.71.
    QcOut.MaxIrradianceBelowStart = 0.001;
    QC_report();
    EXPECT_EQ(Columns(LastRow())[68 - 1], "4.71");
}

TEST_F(QcTableTest, RatioMeanOfZeroKeepsTheColumns) {
    QcOut.RatioMean1 = 0.0;
    QcOut.RatioSd1 = 0.0;
    QcOut.RatioMean2 = 0.0;
    QcOut.RatioSd2 = 0.1;
    QC_report();
    std::string row = LastRow();
    EXPECT_NE(row.find("0.0000 999.99 % 0.0000 999.99 % 0.8500   5.00 %"), std::string::npos);
    std::vector<std::string> c = Columns(row);
    ASSERT_EQ(c.size(), 71u);
    // RatioMean2 of 0: the scan-variability term is 100 without a division:
    // sqrt((0.25 + 0.64 + 0.25 + 0.16 + 100) / 5) = 4.50.
    EXPECT_EQ(c[68 - 1], "4.50");
}

TEST_F(QcTableTest, CountsOutsideTheTablesAreKeptInRange) {
    Qc.CriteriaCount = 9;
    Qc.StartCriterion = 7;
    QcOut.StartIndex[5] = 90000;  // kept within the measured arrays
    QC_report();
    std::vector<std::string> c = Columns(LastRow());
    EXPECT_EQ(c.size(), 65u);      // k = 5, S = 5
    EXPECT_EQ(c[25 - 1], "0.00");  // wavelength of a point past the scan
}

}  // namespace
}  // namespace tarn
