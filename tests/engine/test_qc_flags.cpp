#include <gtest/gtest.h>

#include "engine/qc_report.h"
#include "tests/engine/qc_test_scan.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;

// A flag text padded with blanks to 30 characters.
std::string P(const std::string& flag) {
    return flag + std::string(30 - flag.size(), ' ');
}

const char* const kColours[] = {"BLACK", "GREY", "RED", "YELLOW", "GREEN"};

class QcFlagsTest : public test::QcScanTest {
  protected:
    std::string QflagPath() const { return QaqcFile("173Qflag.exa"); }
    std::string ListPath(const std::string& colour) const {
        return QaqcFile("flagstat/" + colour + ".exa");
    }
    std::vector<std::string> Block() const {
        std::vector<std::string> lines = ReadLines(QflagPath());
        return std::vector<std::string>(lines.end() - 14, lines.end());
    }
    // The colour list that holds the scan's line, "" when none does.
    std::string ListedIn() const {
        std::string found;
        for (const char* colour : kColours) {
            std::vector<std::string> lines = ReadLines(ListPath(colour));
            if (!lines.empty() && lines.back().rfind(CommandLine.ScanName, 0) == 0) {
                EXPECT_TRUE(found.empty()) << "listed in " << found << " and " << colour;
                found = colour;
            }
        }
        return found;
    }
};

const char* const kQflagHeaderAfterBanner =
    "! Quality check of wavelength shift and spectral structure; indication of scan conditions\n"
    "! sh1 refers to average shift over wavelength interval: 300.00 325.00\n"
    "! sh2 refers to average shift over wavelength interval: 325.00 400.00\n"
    "! spike and local shape flagging\n"
    "! start_irradiance: irradiance level above which measurement starts to appear reliable in "
    "shape (see start wave)\n"
    "! similar trans1 and trans2 transmission compared to clear sky for interval 1 and 2, and "
    "scan variability for interval 2\n"
    "! start_wave indicates lowest wavelength where  5 successive readings\n"
    "! meet criterium for structural checks:    0.250\n"
    "! local shape flagging: checking above the starting wavelength\n";

const char* const kGreenSummary =
    " shift1 GREEN  shift2 GREEN  start_irrad GREEN  Spike+local_shape GREEN "
    " Transm_2 GREEN  LOW_OR_NO_CLOUDS   scan_variab_2 LOW_VARIATION_SCAN    "
    " Transm_1 NOT_IMPLEM local_shape GREEN HIGHLY_VARIABLE  spike_flag_median GREEN "
    " start_wavelength GREEN  last_wavelength GREEN  Median_irrad NOT_EXTREM";

TEST_F(QcFlagsTest, GreenScanGoldenBlockAndList) {
    QC_report();
    std::string block =
        "1731230  2004  sza   45.000 UVA_transmission: GREEN  LOW_OR_NO_CLOUDS       "
        " scan_variability: LOW_VARIATION_SCAN             local: GREEN HIGHLY_VARIABLE"
        "  indicative eff. ozone:   333.00 DU\n"
        " shift1_flagging            " +
        P("GREEN") +
        " 0.050 (nm)\n"
        " shift2_flagging            " +
        P("GREEN") +
        "-0.080 (nm)\n"
        " start_irradiance_flag      " +
        P("GREEN") +
        " 0.0002000 maximum_below_first:  0.0001000\n"
        " Spike+local_shape          " +
        P("GREEN") +
        "\n"
        " Transmission_2             GREEN  LOW_OR_NO_CLOUDS       0.90000000   4.00   all "
        "0.85000000   5.00\n"
        " scan_variability_2         LOW_VARIATION_SCAN              4.00 =sd trans2\n"
        " Transmission_1             " +
        P("NOT_IMPLEMENTED") +
        "0.80000000   5.00\n"
        " local_shape_flag           " +
        P("GREEN HIGHLY_VARIABLE") +
        "    5.00 % criterium and nr_spikes   0.250      0    0.500      0    1.000      1    "
        "5.000      0   \n"
        " spike_flag_median_based    " +
        P("GREEN") +
        "nr_spikes_above_irr:     0.00050000     0 "
        " nr_spikes_above_irr0:     0.00010000     0 detected:     3\n"
        " start_wavelength_flag      " +
        P("GREEN") +
        "292.00 (nm)   efuv_below:   1.20 %\n"
        " last_wavelength_flag       " +
        P("GREEN") +
        "400.00 (nm)   efuv_above:   0.10 %\n"
        " Median_irradiance_flag     " +
        P("NOT_EXTREME") +
        "Median_Irradiance:     0.00123000 at 310.00 nm\n"
        "\n";
    EXPECT_EQ(ReadFile(QflagPath()),
              std::string("!") + kVersionBanner + "\n" + kQflagHeaderAfterBanner + block);
    EXPECT_EQ(ReadFile(ListPath("GREEN")),
              std::string("!") + kVersionBanner + "\n" +
                  "! Quality check shift and structure; overall flag is based on five "
                  "flagging-criteria:\n"
                  "! shift1 refers to average shift over wavelength interval: 300.00 325.00\n"
                  "! shift2 refers to average shift over wavelength interval: 325.00 400.00\n"
                  "! start_irradiance refers to lowest reliable irradiance\n"
                  "! transmission in range 2\n"
                  "! spike and local shape errors\n"
                  "! \n"
                  "1731230 2004 sza:   45.00" +
                  kGreenSummary + "\n");
    EXPECT_EQ(ListedIn(), "GREEN");
    EXPECT_FALSE(test::FileExists(ListPath("SPIKES")));

    // A second scan: one more block, no second header, one more list line.
    CommandLine.ScanName = "1731300";
    QcOut.EfuvBelowStart = 0.012;
    QcOut.EfuvAboveLast = 0.001;
    QC_report();
    EXPECT_EQ(ReadLines(QflagPath()).size(), 10u + 14u + 14u);
    EXPECT_EQ(Block()[0].substr(0, 9), "1731300  ");
    EXPECT_EQ(ReadLines(ListPath("GREEN")).size(), 8u + 2u);
}

// Each case changes the green scan so that it falls into one colour class.
struct ClassCase {
    const char* name;
    void (*change)();
    const char* overall;
    bool spikesLine;
};

const ClassCase kClassCases[] = {
    {"yellow_spike_flag", [] { QcOut.ExceedCount[2] = 1; }, "YELLOW", false},
    {"yellow_transmission", [] { QcOut.RatioMean2 = 1.3; }, "YELLOW", false},
    {"red_late_exceedings", [] { QcOut.LateExceedCount[3] = 2; }, "RED", false},
    {"red_shift",
     [] {
         for (int w = 1; w <= 5; ++w) Windows.Shift[w] = 0.3;
     },
     "RED", false},
    {"black_spikes", [] { QcOut.DetectedAboveLevel2 = 1; }, "BLACK", true},
    {"black_start_irradiance", [] { QcOut.StartIrradiance = 0.01; }, "BLACK", false},
    {"black_shape", [] { QcOut.DeviationSquareSum[2] = 20.4; }, "BLACK", true},  // score 31.6
    {"grey_windows",
     [] { Windows.Status[1] = Windows.Status[2] = "NOT_SIGNIFICANT"; },  // 3 windows used
     "GREY", false},
    {"grey_low_irradiance_no_ratio",
     [] {
         QcOut.IrradianceLevel = "LOW_IRRADIANCE";
         QcOut.RatioMean2 = QcOut.RatioSd2 = -999.999;
         QcOut.RangeStatus2 = "NOT_DETERMINED";
     },
     "GREY", false},
    {"grey_low_irradiance_black_transmission",
     [] {
         QcOut.IrradianceLevel = "VERY_LOW_IRR";
         QcOut.RatioMean2 = 0.005;  // BLACK  EXTREMELY_LOW_TRANSMISS
     },
     "GREY", false},
};

void PrintTo(const ClassCase& c, std::ostream* out) {
    *out << c.name;
}

class QcFlagClassTest : public QcFlagsTest, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(QcFlagClassTest, ScanFallsIntoItsClass) {
    GetParam().change();
    QC_report();
    std::vector<std::string> block = Block();
    EXPECT_EQ(block[0].substr(0, 15), "1731230  2004  ");
    const char* labels[] = {
        " shift1_flagging",       " shift2_flagging",      " start_irradiance_flag",
        " Spike+local_shape",     " Transmission_2",       " scan_variability_2",
        " Transmission_1",        " local_shape_flag",     " spike_flag_median_based",
        " start_wavelength_flag", " last_wavelength_flag", " Median_irradiance_flag"};
    for (int i = 0; i < 12; ++i) {
        std::string label = labels[i];
        EXPECT_EQ(block[i + 1].substr(0, 28), label + std::string(28 - label.size(), ' '));
    }
    EXPECT_EQ(block[13], "");
    EXPECT_EQ(ListedIn(), GetParam().overall);
    EXPECT_EQ(test::FileExists(ListPath("SPIKES")), GetParam().spikesLine);
}

INSTANTIATE_TEST_SUITE_P(Classes, QcFlagClassTest, ::testing::ValuesIn(kClassCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QcFlagsTest, LowIrradianceTurnsBlackIntoGrey) {
    QcOut.IrradianceLevel = "VERY_LOW_IRR";
    QcOut.RatioMean2 = 0.005;
    QcOut.RangeStatus1 = "NOT_DETERMINED";
    QcOut.EfuvAboveLast = 0.5;  // 50 %: BLACK
    QC_report();
    std::vector<std::string> block = Block();
    EXPECT_NE(block[0].find(" UVA_transmission: GREY  scan_variability: EXTREME_VARIATION_SCAN"),
              std::string::npos);
    EXPECT_EQ(block[5].substr(28, 30), P("GREY "));
    EXPECT_EQ(block[7].substr(28, 30), P("GREY NOT_DETERMINED"));
    EXPECT_EQ(block[11].substr(28, 30), P("GREY"));  // last wavelength
    EXPECT_EQ(ListedIn(), "GREY");
}

TEST_F(QcFlagsTest, TransmissionAndScanVariationClasses) {
    QcOut.RatioMean2 = 0.0;
    QcOut.RatioSd2 = 0.0;
    QC_report();
    std::vector<std::string> block = Block();
    // A ratio mean of 0: the class of the lowest row, no scan variability,
    // and 999.99 in place of the percent deviation.
    EXPECT_EQ(block[5],
              " Transmission_2             BLACK  EXTREMELY_LOW_TRANSMISS0.00000000 "
              "999.99   all 0.85000000   5.00");
    EXPECT_EQ(block[6], " scan_variability_2         " + P("NOT_DETERMINED") + "999.99 =sd trans2");
    EXPECT_EQ(ListedIn(), "BLACK");

    CommandLine.ScanName = "1731300";
    QcOut.RatioMean2 = 2.0;  // 2.0 does not exceed 2.0
    QcOut.RatioSd2 = 0.0;    // a deviation of 0 takes the last row
    QC_report();
    block = Block();
    EXPECT_EQ(block[5].substr(28, 30), "RED    VERY_VERY_HIGH         ");
    EXPECT_EQ(block[6].substr(28, 30), "VERY_STABLE_SCAN              ");
    EXPECT_EQ(ListedIn(), "RED");
}

TEST_F(QcFlagsTest, CorrectedSpikesGoToTheSpikeList) {
    QcOut.ExceedCount[2] = 1;
    QcOut.CorrectedAboveLevel2 = 2;
    QcOut.CorrectedAboveLevel1 = 4;
    QC_report();
    std::vector<std::string> block = Block();
    EXPECT_EQ(block[4], " Spike+local_shape          " + P("YELLOW_CORRECTED"));
    EXPECT_EQ(block[9].substr(0, 58), " spike_flag_median_based    " + P("CORRECTED_YELLOW"));
    EXPECT_EQ(ListedIn(), "YELLOW");
    // The summary's six characters of "CORRECTED_YELLOW" carry no colour word.
    EXPECT_NE(ReadLines(ListPath("YELLOW")).back().find(" spike_flag_median CORREC "),
              std::string::npos);
    EXPECT_EQ(ReadFile(ListPath("SPIKES")),
              std::string("!") + kVersionBanner + "\n" +
                  "! Spikes detected and/or corrected\n"
                  "! All spikes above irradiance level: 0.00050000 criterium factor   2.00\n"
                  "! red_flags refer to   :  50.0000 % relative error\n"
                  "! yellow_flags refer to:  25.0000 % relative error\n"
                  "! shape_score\n! transmission in range 2\n! scan variability in range 2\n! \n"
                  "1731230 2004 sza:   45.00 YELLOW_CORRECTED     nr_spikes      2 above "
                  "irr_level:   0.000500 nr_spikes      7 above irr_level:   0.000100 red_spikes:"
                  "      0 yellow_spikes:      1 shape:   4.9878 trans2:   0.9000 "
                  "rel_scan_variab2_%:   4.0000\n");
}

TEST_F(QcFlagsTest, SpikeDetectionOff) {
    Analysis.SpikeDetectionOn = false;
    QcOut.DetectedAboveLevel2 = 3;  // would be BLACK
    QC_report();
    std::vector<std::string> block = Block();
    EXPECT_EQ(block[4], " Spike+local_shape          NOT_DETERMINED");
    EXPECT_EQ(block[9], " spike_flag_median_based    NOT_DETERMINED");
    EXPECT_EQ(block[12], " Median_irradiance_flag     NOT_DETERMINED");
    std::string line = ReadLines(ListPath("GREEN")).back();
    EXPECT_NE(line.find(" Spike+local_shape NOT_DE "), std::string::npos);
    EXPECT_NE(line.find(" spike_flag_median NOT_DE "), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - 28), " Median_irrad NOT_DETERMINED");
    EXPECT_FALSE(test::FileExists(ListPath("SPIKES")));
}

TEST_F(QcFlagsTest, ClassFileSwitchesTurnTheListsOff) {
    Qc.ClassFileSwitches[4] = false;  // YELLOW and GREEN
    QC_report();
    EXPECT_EQ(ListedIn(), "");

    CommandLine.ScanName = "1731300";
    QcOut.DetectedAboveLevel2 = 1;  // BLACK, with a SPIKES line
    Qc.ClassFileSwitches[0] = false;
    Qc.ClassFileSwitches[2] = false;
    QC_report();
    EXPECT_EQ(ListedIn(), "");  // no fall-through to a lower colour
    EXPECT_FALSE(test::FileExists(ListPath("SPIKES")));
    EXPECT_EQ(ReadLines(QflagPath()).size(), 10u + 2 * 14u);  // the flag file is always written

    CommandLine.ScanName = "1731330";
    QcOut.DetectedAboveLevel2 = 0;
    QcOut.LateExceedCount[3] = 1;  // RED
    Qc.ClassFileSwitches[3] = false;
    QC_report();
    EXPECT_EQ(ListedIn(), "");

    CommandLine.ScanName = "1731400";
    Windows.Status[1] = "NOT_SIGNIFICANT";  // GREY as well
    Qc.ClassFileSwitches[1] = false;
    QC_report();
    EXPECT_EQ(ListedIn(), "");
    Qc.ClassFileSwitches[1] = true;
    CommandLine.ScanName = "1731430";
    QC_report();
    EXPECT_EQ(ListedIn(), "GREY");
}

TEST_F(QcFlagsTest, ZenithRowsAndStartWavelength) {
    // 45 degrees is not below the limit 45: the row of 55 (300, 302, 305 nm).
    for (int i = 1; i <= 221; ++i) Spectra.MeasuredWavelengths[i] = 299.5 + 0.5 * (i - 5);
    QC_report();
    EXPECT_EQ(Block()[10].substr(28, 36), P("GREEN") + "299.50");

    // The row count is not consulted: with two rows (the second lowered to
    // 30) the search reads on to the row of 55 (300, 302, 305 nm).
    Qc.ZenithRowCount = 2;
    Qc.ZenithTable[2][0] = 30.0;
    CommandLine.ScanName = "1731300";
    QcOut.EfuvBelowStart = 0.012;
    QcOut.EfuvAboveLast = 0.001;
    QC_report();
    EXPECT_EQ(Block()[10].substr(28, 30), P("GREEN"));
    EXPECT_EQ(Log().find("above every limit"), std::string::npos);

    // No row's limit exceeds the angle: the last row of the count (30: 298,
    // 300, 303 nm), and the log says so.
    for (int r = 3; r <= kMaxZenithRows; ++r) Qc.ZenithTable[r][0] = 0.0;
    CommandLine.ScanName = "1731330";
    QcOut.EfuvBelowStart = 0.012;
    QcOut.EfuvAboveLast = 0.001;
    QC_report();
    EXPECT_EQ(Block()[10].substr(28, 30), P("YELLOW"));
    EXPECT_NE(Log().find("Zenith angle  45.00 above every limit of the zenith wavelength table; "
                         "its last row is used"),
              std::string::npos);
}

TEST_F(QcFlagsTest, StartCriterionAtTheLastCriterion) {
    // Criterion S + 1 does not exist: no red spikes and a relative deviation of 0.
    Qc.StartCriterion = 5;
    QcOut.DeviationSquareSum[5] = 0.0;
    QcOut.DetectedAboveLevel2 = 1;
    QC_report();
    std::vector<std::string> spikes = ReadLines(ListPath("SPIKES"));
    ASSERT_EQ(spikes.size(), 10u);
    EXPECT_EQ(spikes[3], "! red_flags refer to   :   0.0000 % relative error");
    EXPECT_EQ(spikes[4], "! yellow_flags refer to: 500.0000 % relative error");
    EXPECT_NE(spikes[9].find(" red_spikes:      0 yellow_spikes:      0 shape:   0.0000"),
              std::string::npos);
    EXPECT_EQ(Block()[8], " local_shape_flag           " + P("GREEN STABLE") +
                              "    0.00 % criterium and nr_spikes   5.000      0   ");
}

}  // namespace
}  // namespace tarn
