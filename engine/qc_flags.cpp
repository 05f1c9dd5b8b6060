// Quality flags and flag classes: second half of the QC report.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/qc_report.h"
#include "engine/qc_report_state.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr size_t kFlagWidth = 30;
constexpr size_t kLabelWidth = 28;
constexpr const char* kNotDetermined = "NOT_DETERMINED";

// Colour flags and class labels of one scan.
struct QcFlags {
    std::string Shift1Flag, Shift2Flag;
    std::string LocalShapeFlag, LocalShapeStability;
    std::string StartWavelengthFlag, StartIrradianceFlag, LastWavelengthFlag;
    std::string SpikeFlag, SpikeShapeFlag;
    std::string Transmission1Class, Transmission2Class;
    std::string ScanVariationLabel;
    std::string FlagSummary;
    std::string OverallFlag;
    double ZenithWavelengths[3];  // nm: w1, w2, w3
};

QcFlags g_flags;

bool Holds(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

// The flag text cut or padded to 30 characters.
std::string Padded(const std::string& flag) {
    return PadRight(Cut(flag, kFlagWidth), kFlagWidth);
}

std::string Label(const char* label) {
    return PadRight(label, kLabelWidth);
}

// GREEN, YELLOW, RED below the three limits [1..3] in turn, else BLACK.
std::string GradeBelow(double value, const double limits[4]) {
    if (value < limits[1]) return "GREEN";
    if (value < limits[2]) return "YELLOW";
    if (value < limits[3]) return "RED";
    return "BLACK";
}

std::string ShiftFlag(const IntervalShiftStats& s, long minWindows, const double limits[4]) {
    if (s.WindowsUsed < minWindows) return "GREY";
    return GradeBelow(std::fabs(s.MeanShift), limits);
}

// Relative deviation c and late exceedings of criterion S + 1; 0 and 0 when
// the start criterion is the last one.
double NextCriterionDeviation() {
    int j = QcReport.StartCriterion + 1;
    return j <= QcReport.CriteriaCount ? Qc.CriterionDeviation[j] : 0.0;
}

long NextCriterionLateExceedings() {
    int j = QcReport.StartCriterion + 1;
    return j <= QcReport.CriteriaCount ? QcOut.LateExceedCount[j] : 0;
}

// w1, w2, w3 of the first zenith row whose limit exceeds the angle (degrees).
// The search runs over every row the table holds, whatever its row count says;
// when no row's limit exceeds the angle, the last row of the count is used.
void SelectZenithWavelengths(double zenithAngle) {
    int rows = std::clamp(Qc.ZenithRowCount, 1, kMaxZenithRows);
    int row = 0;
    for (int i = 1; i <= kMaxZenithRows; ++i) {
        if (Qc.ZenithTable[i][0] > zenithAngle) {
            row = i;
            break;
        }
    }
    if (row == 0) {
        row = rows;
        LogLine(
            LogText()
                .Text("Zenith angle ")
                .Fixed(zenithAngle, 6, 2)
                .Text(" above every limit of the zenith wavelength table; its last row is used"));
    }
    for (int w = 0; w < 3; ++w) g_flags.ZenithWavelengths[w] = Qc.ZenithTable[row][w + 1];
}

// Class of the interval 2 transmission; interval 1 is not classified.
void ClassifyTransmission() {
    double mean = QcOut.RatioMean2;
    if (mean < 0.0) {
        g_flags.Transmission2Class = kNotDetermined;
    } else {
        int row = kTransmissionClasses;
        for (int i = 1; i <= kTransmissionClasses; ++i) {
            if (mean > Qc.TransmissionThresholds[i]) {
                row = i;
                break;
            }
        }
        g_flags.Transmission2Class = Cut(Qc.TransmissionLabels[row], kFlagWidth);
    }
    g_flags.Transmission1Class = "NOT_IMPLEMENTED";
}

// Class of the interval 2 scan variability, 100 x RatioSd2 / RatioMean2 (percent).
void ClassifyScanVariation() {
    double mean = QcOut.RatioMean2;
    if (mean <= 0.0) {
        g_flags.ScanVariationLabel = kNotDetermined;
        return;
    }
    int row = kScanVariationClasses;
    for (int i = 1; i <= kScanVariationClasses; ++i) {
        if (100.0 * QcOut.RatioSd2 > Qc.ScanVariationThresholds[i] * mean) {
            row = i;
            break;
        }
    }
    g_flags.ScanVariationLabel = Qc.ScanVariationLabels[row];
}

void GradeScan() {
    const QcReportState& r = QcReport;
    QcFlags& f = g_flags;
    int s = r.StartCriterion;
    f.Shift1Flag = ShiftFlag(r.Interval[1], Qc.Shift1MinWindows, Qc.Shift1Limits);
    f.Shift2Flag = ShiftFlag(r.Interval[2], Qc.Shift2MinWindows, Qc.Shift2Limits);
    double score = r.ShapeScore[s];
    f.LocalShapeStability.clear();
    if (score < Qc.ShapeLimits[1]) {
        f.LocalShapeFlag = "GREEN";
        if (score < Qc.StabilityLimits[1]) {
            f.LocalShapeStability = "STABLE";
        } else if (score < Qc.StabilityLimits[2]) {
            f.LocalShapeStability = "VARIABLE";
        } else {
            f.LocalShapeStability = "HIGHLY_VARIABLE";
        }
    } else {
        f.LocalShapeFlag = GradeBelow(score, Qc.ShapeLimits);
    }
    SelectZenithWavelengths(Scan.SolarZenithAngle);
    double start = r.StartWavelength, below = 100.0 * QcOut.EfuvBelowStart;
    const double* limits = Qc.EfuvPercentLimits;
    if (start < f.ZenithWavelengths[0] && below < limits[1]) {
        f.StartWavelengthFlag = "GREEN";
    } else if (start < f.ZenithWavelengths[1] && below < limits[2]) {
        f.StartWavelengthFlag = "YELLOW";
    } else if (start < f.ZenithWavelengths[2] && below < limits[3]) {
        f.StartWavelengthFlag = "RED";
    } else {
        f.StartWavelengthFlag = "BLACK";
    }
    double highest = std::max(QcOut.MaxIrradianceBelowStart, QcOut.StartIrradiance);
    const double* levels = Qc.IrradianceLevels;
    if (highest < levels[2]) {
        f.StartIrradianceFlag = "GREEN";
    } else if (highest < levels[3]) {
        f.StartIrradianceFlag = "YELLOW";
    } else if (highest < levels[4]) {
        f.StartIrradianceFlag = "RED";
    } else {
        f.StartIrradianceFlag = "BLACK";
    }
    f.LastWavelengthFlag = GradeBelow(100.0 * QcOut.EfuvAboveLast, limits);
    if (QcOut.DetectedAboveLevel2 > 0) {
        f.SpikeFlag = "BLACK";
    } else if (NextCriterionLateExceedings() > 0) {
        f.SpikeFlag = "RED";
    } else if (QcOut.ExceedCount[s] > 0) {
        f.SpikeFlag = "YELLOW";
    } else {
        f.SpikeFlag = "GREEN";
    }
    if (QcOut.CorrectedAboveLevel2 > 0) f.SpikeFlag = Cut("CORRECTED_" + f.SpikeFlag, kFlagWidth);
    ClassifyTransmission();
    ClassifyScanVariation();
}

// Low irradiance: BLACK start, irradiance, last-wavelength and shape flags
// become GREY, and so do undetermined or BLACK transmission classes.
void ApplyLowIrradianceRule() {
    const std::string& level = QcOut.IrradianceLevel;
    if (level != "LOW_IRRADIANCE" && level != "VERY_LOW_IRR") return;
    QcFlags& f = g_flags;
    for (std::string* flag : {&f.StartWavelengthFlag, &f.StartIrradianceFlag, &f.LastWavelengthFlag,
                              &f.LocalShapeFlag}) {
        if (*flag == "BLACK") *flag = "GREY";
    }
    if (Holds(f.Transmission1Class, "BLACK") || QcOut.RangeStatus1 == kNotDetermined)
        f.Transmission1Class = Cut("GREY " + QcOut.RangeStatus1, kFlagWidth);
    if (Holds(f.Transmission2Class, "BLACK") || QcOut.RangeStatus2 == kNotDetermined)
        f.Transmission2Class = Cut("GREY " + QcOut.RangeStatus2, kFlagWidth);
}

// The first colour word of BLACK, GREY, RED, YELLOW that either text holds;
// GREEN when none.
std::string WorstColour(const std::string& a, const std::string& b) {
    for (const char* colour : {"BLACK", "GREY", "RED", "YELLOW"}) {
        if (Holds(a, colour) || Holds(b, colour)) return colour;
    }
    return "GREEN";
}

void GradeSpikeShape() {
    if (!Analysis.SpikeDetectionOn) return;
    QcFlags& f = g_flags;
    f.SpikeShapeFlag = WorstColour(f.SpikeFlag, f.LocalShapeFlag);
    if (Holds(f.SpikeFlag, "CORRECTED"))
        f.SpikeShapeFlag = Cut(f.SpikeShapeFlag + "_CORRECTED", kFlagWidth);
}

std::string QaqcPath(const std::string& name) {
    return ResultDirectory() + Paths.QaqcSubdir + name;
}

void CreateQflagFile(const std::string& path) {
    TextOut out;
    out.Create(path);
    out.WriteLine(std::string("!") + kVersionBanner);
    out.WriteLine(
        "! Quality check of wavelength shift and spectral structure; indication of scan "
        "conditions");
    WriteIntervalLine(out, "sh1", 1);
    WriteIntervalLine(out, "sh2", 2);
    out.WriteLine("! spike and local shape flagging");
    out.WriteLine(
        "! start_irradiance: irradiance level above which measurement starts to appear "
        "reliable in shape (see start wave)");
    out.WriteLine(
        "! similar trans1 and trans2 transmission compared to clear sky for interval 1 and 2, "
        "and scan variability for interval 2");
    out.Text("! start_wave indicates lowest wavelength where ").Int(Qc.StartRunLength, 2);
    out.Text(" successive readings").EndLine();
    out.Text("! meet criterium for structural checks: ");
    out.Fixed(Qc.CriterionDeviation[QcReport.StartCriterion], 8, 3).EndLine();
    out.WriteLine("! local shape flagging: checking above the starting wavelength");
    out.Close();
}

// Appends the scan's block to the day's flag file and builds FlagSummary.
void WriteQflagBlock(const std::string& path) {
    const QcReportState& r = QcReport;
    const QcResults& q = QcOut;
    QcFlags& f = g_flags;
    int s = r.StartCriterion;
    bool spikes = Analysis.SpikeDetectionOn;
    std::string sum;
    auto flagLine = [&](const char* label, const std::string& flag, const char* shortLabel,
                        size_t shortLength) {
        std::string padded = Padded(flag);
        sum += std::string(shortLabel) + padded.substr(0, shortLength);
        return Label(label) + padded;
    };
    auto undetermined = [&](const char* label, const char* shortLabel, const char* shortText) {
        sum += std::string(shortLabel) + shortText;
        return Label(label) + kNotDetermined;
    };
    double pct2 = PercentDeviation(q.RatioSd2, q.RatioMean2);
    TextOut out;
    out.Append(path);
    out.Text(CommandLine.ScanName)
        .Text("  ")
        .Text(Analysis.MeasurementYear)
        .Text("  sza ")
        .Fixed(Scan.SolarZenithAngle, 8, 3)
        .Text(" UVA_transmission: ")
        .Text(f.Transmission2Class)
        .Text(" scan_variability: ")
        .Text(f.ScanVariationLabel)
        .Text(" local: ")
        .Text(f.LocalShapeFlag)
        .Text(" ")
        .Text(f.LocalShapeStability)
        .Text("  indicative eff. ozone: ")
        .Fixed(r.OzoneIndication, 8, 2)
        .Text(" DU")
        .EndLine();
    out.Text(flagLine(" shift1_flagging", f.Shift1Flag, " shift1 ", 6))
        .Fixed(r.Interval[1].MeanShift, 6, 3)
        .Text(" (nm)")
        .EndLine();
    out.Text(flagLine(" shift2_flagging", f.Shift2Flag, " shift2 ", 6))
        .Fixed(r.Interval[2].MeanShift, 6, 3)
        .Text(" (nm)")
        .EndLine();
    out.Text(flagLine(" start_irradiance_flag", f.StartIrradianceFlag, " start_irrad ", 6))
        .Fixed(q.StartIrradiance, 10, 7)
        .Text(" maximum_below_first: ")
        .Fixed(q.MaxIrradianceBelowStart, 10, 7)
        .EndLine();
    out.WriteLine(spikes
                      ? flagLine(" Spike+local_shape", f.SpikeShapeFlag, " Spike+local_shape ", 6)
                      : undetermined(" Spike+local_shape", " Spike+local_shape ", "NOT_DE"));
    out.Text(flagLine(" Transmission_2", f.Transmission2Class, " Transm_2 ", 25))
        .Fixed(q.RatioMean2, 10, 8)
        .Text(" ")
        .Fixed(pct2, 6, 2)
        .Text("   all ")
        .Fixed(q.RatioMeanAll, 10, 8)
        .Text(" ")
        .Fixed(PercentDeviation(q.RatioSdAll, q.RatioMeanAll), 6, 2)
        .EndLine();
    out.Text(flagLine(" scan_variability_2", f.ScanVariationLabel, " scan_variab_2 ", 22))
        .Fixed(pct2, 6, 2)
        .Text(" =sd trans2")
        .EndLine();
    out.Text(flagLine(" Transmission_1", f.Transmission1Class, " Transm_1 ", 10))
        .Fixed(q.RatioMean1, 10, 8)
        .Text(" ")
        .Fixed(PercentDeviation(q.RatioSd1, q.RatioMean1), 6, 2)
        .EndLine();
    out.Text(flagLine(" local_shape_flag", f.LocalShapeFlag + " " + f.LocalShapeStability,
                      " local_shape ", 22));
    out.Fixed(r.ShapeScore[s], 8, 2).Text(" % criterium and nr_spikes  ");
    out.Fixed(Qc.CriterionDeviation[s], 6, 3).Text(" ").Int(q.ExceedCount[s], 6).Text("   ");
    for (int j = s + 1; j <= r.CriteriaCount; ++j)
        out.Fixed(Qc.CriterionDeviation[j], 6, 3)
            .Text(" ")
            .Int(q.LateExceedCount[j], 6)
            .Text("   ");
    out.EndLine();
    if (spikes) {
        out.Text(flagLine(" spike_flag_median_based", f.SpikeFlag, " spike_flag_median ", 6));
        out.Text("nr_spikes_above_irr: ").Fixed(Qc.IrradianceLevels[2], 14, 8).Text(" ");
        out.Int(q.DetectedAboveLevel2 + q.CorrectedAboveLevel2, 5).Text(" ");
        out.Text(" nr_spikes_above_irr0: ").Fixed(Qc.IrradianceLevels[1], 14, 8).Text(" ");
        out.Int(q.CorrectedAboveLevel1, 5).Text(" detected: ").Int(q.DetectedAboveLevel1, 5);
        out.EndLine();
    } else {
        out.WriteLine(undetermined(" spike_flag_median_based", " spike_flag_median ", "NOT_DE"));
    }
    out.Text(flagLine(" start_wavelength_flag", f.StartWavelengthFlag, " start_wavelength ", 6))
        .Fixed(r.StartWavelength, 6, 2)
        .Text(" (nm)   efuv_below: ")
        .Fixed(100.0 * q.EfuvBelowStart, 6, 2)
        .Text(" %")
        .EndLine();
    out.Text(flagLine(" last_wavelength_flag", f.LastWavelengthFlag, " last_wavelength ", 6))
        .Fixed(Instrument.RangeEnd, 6, 2)
        .Text(" (nm)   efuv_above: ")
        .Fixed(100.0 * q.EfuvAboveLast, 6, 2)
        .Text(" %")
        .EndLine();
    if (spikes) {
        out.Text(flagLine(" Median_irradiance_flag", q.IrradianceLevel, " Median_irrad ", 10));
        out.Text("Median_Irradiance: ").Fixed(q.MedianIrradianceAtReference, 14, 8).Text(" at ");
        out.Fixed(Analysis.ReferenceWavelength, 6, 2).Text(" nm").EndLine();
    } else {
        out.WriteLine(undetermined(" Median_irradiance_flag", " Median_irrad ", kNotDetermined));
    }
    out.WriteLine();
    out.Close();
    f.FlagSummary = sum;
}

// Overall colour from the shift, start-irradiance, transmission and
// spike-and-shape texts; returns the class-file switch index (-1: no list).
int GradeOverall() {
    QcFlags& f = g_flags;
    const std::string* texts[] = {&f.Shift1Flag, &f.Shift2Flag, &f.StartIrradianceFlag,
                                  &f.Transmission2Class, &f.SpikeShapeFlag};
    auto any = [&](const char* colour) {
        for (const std::string* t : texts)
            if (Holds(*t, colour)) return true;
        return false;
    };
    if (any("BLACK")) {
        f.OverallFlag = "BLACK";
        return 0;
    }
    if (any("GREY")) {
        f.OverallFlag = "GREY";
        return 1;
    }
    if (any("RED")) {
        f.OverallFlag = "RED";
        return 3;
    }
    f.OverallFlag = any("YELLOW") ? "YELLOW" : "GREEN";
    return 4;
}

void WriteListLineStart(TextOut& out) {
    out.Text(CommandLine.ScanName + " " + Analysis.MeasurementYear + " sza: ");
    out.Fixed(Scan.SolarZenithAngle, 7, 2);
}

void WriteFlagClassLine() {
    int list = GradeOverall();
    if (!Qc.ClassFileSwitches[list]) return;
    std::string path = QaqcPath(AsDirectory(kFlagstatSubdirectory) +
                                FlagClassName(g_flags.OverallFlag, CommandLine.IdMet));
    TextOut out;
    if (!TextFileExists(path)) {
        out.Create(path);
        out.WriteLine(std::string("!") + kVersionBanner);
        out.WriteLine(
            "! Quality check shift and structure; overall flag is based on five "
            "flagging-criteria:");
        WriteIntervalLine(out, "shift1", 1);
        WriteIntervalLine(out, "shift2", 2);
        for (const char* line :
             {"! start_irradiance refers to lowest reliable irradiance",
              "! transmission in range 2", "! spike and local shape errors", "! "})
            out.WriteLine(line);
        out.Close();
    }
    out.Append(path);
    WriteListLineStart(out);
    out.Text(g_flags.FlagSummary).EndLine();
    out.Close();
}

void WriteSpikeLine() {
    const QcFlags& f = g_flags;
    if (!Analysis.SpikeDetectionOn || !Qc.ClassFileSwitches[2]) return;
    if (!Holds(f.SpikeShapeFlag, "BLACK") && !Holds(f.SpikeShapeFlag, "CORRECTED")) return;
    const QcResults& q = QcOut;
    int s = QcReport.StartCriterion;
    std::string path =
        QaqcPath(AsDirectory(kFlagstatSubdirectory) + SpikeListName(CommandLine.IdMet));
    TextOut out;
    if (!TextFileExists(path)) {
        out.Create(path);
        out.WriteLine(std::string("!") + kVersionBanner);
        out.WriteLine("! Spikes detected and/or corrected");
        out.Text("! All spikes above irradiance level: ").Fixed(Qc.IrradianceLevels[2], 10, 8);
        out.Text(" criterium factor ").Fixed(Analysis.SpikeCriterion, 6, 2).EndLine();
        out.Text("! red_flags refer to   : ").Fixed(100.0 * NextCriterionDeviation(), 8, 4);
        out.Text(" % relative error").EndLine();
        out.Text("! yellow_flags refer to: ").Fixed(100.0 * Qc.CriterionDeviation[s], 8, 4);
        out.Text(" % relative error").EndLine();
        for (const char* line :
             {"! shape_score", "! transmission in range 2", "! scan variability in range 2", "! "})
            out.WriteLine(line);
        out.Close();
    }
    out.Append(path);
    WriteListLineStart(out);
    out.Text(" " + PadRight(Cut(f.SpikeShapeFlag, 20), 20) + " nr_spikes ");
    out.Int(q.CorrectedAboveLevel2 + q.DetectedAboveLevel2, 6).Text(" above irr_level: ");
    out.Fixed(Qc.IrradianceLevels[2], 10, 6).Text(" nr_spikes ");
    out.Int(q.DetectedAboveLevel1 + q.CorrectedAboveLevel1, 6).Text(" above irr_level: ");
    out.Fixed(Qc.IrradianceLevels[1], 10, 6).Text(" red_spikes: ");
    out.Int(NextCriterionLateExceedings(), 6).Text(" yellow_spikes: ").Int(q.ExceedCount[s], 6);
    out.Text(" shape: ").Fixed(QcReport.ShapeScore[s], 8, 4);
    out.Text(" trans2: ").Fixed(q.RatioMean2, 8, 4);
    if (q.RatioMean2 > 0.0)
        out.Text(" rel_scan_variab2_%: ").Fixed(PercentDeviation(q.RatioSd2, q.RatioMean2), 8, 4);
    out.EndLine();
    out.Close();
}

}  // namespace

void ResetQualityFlags() {
    g_flags = QcFlags{};
}

void WriteQualityFlags() {
    GradeScan();
    std::string path = QaqcPath(
        QualityFlagName(CommandLine.ScanName.substr(0, 3), Paths.QflagName, CommandLine.IdMet));
    if (!TextFileExists(path)) CreateQflagFile(path);
    ApplyLowIrradianceRule();
    GradeSpikeShape();
    WriteQflagBlock(path);
    WriteFlagClassLine();
    WriteSpikeLine();
}

}  // namespace tarn
