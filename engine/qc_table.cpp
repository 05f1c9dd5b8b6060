// Daily quality table: first half of the QC report.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine_state.h"
#include "engine/formats/quality_table_layout.h"
#include "engine/formats/result_names.h"
#include "engine/qc_report.h"
#include "engine/qc_report_state.h"
#include "platform/console.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr double kNoScore = 999.999;
constexpr double kTermBound = 100.0;

std::string DailyQualityPath() {
    return ResultDirectory() + Paths.QaqcSubdir +
           DailyQualityName(CommandLine.ScanName.substr(0, 3), CommandLine.IdMet);
}

void CreateDailyQualityFile(const std::string& path) {
    const QcReportState& r = QcReport;
    TextOut out;
    out.Create(path);
    out.WriteLine(std::string("!") + kVersionBanner);
    out.WriteLine("! Quality check shift and structure");
    WriteIntervalLine(out, "sh1", 1);
    WriteIntervalLine(out, "sh2", 2);
    out.Text("! wave indicates lowest wavelength where ")
        .Int(Qc.StartRunLength, 2)
        .Text(" successive readings")
        .EndLine();
    out.WriteLine("! meet criterium for structural checks");
    out.WriteLine("! pos and neg indicate respectively:");
    out.WriteLine("! the number of readings that meet or exceed criterium for structural checks");
    out.Text("! number of criteria: ").Int(r.CriteriaCount, 2).EndLine();
    for (int j = 1; j <= r.CriteriaCount; ++j) {
        double c = Qc.CriterionDeviation[j];
        out.Text("! criterium CR")
            .Int(j, 2)
            .Text(" structure check: ")
            .Fixed(1.0 / (1.0 + c), 6, 3)
            .Text(" - ")
            .Fixed(1.0 + c, 6, 3)
            .EndLine();
    }
    std::string title = "!date_time sza  sh1:mean sd  n    sh2:mean sd  n  ";
    for (int j = 1; j <= r.CriteriaCount; ++j)
        title += "CR_" + IntText(j) + "_wav pos  neg  shape_score ";
    title += "    %_efuv below wave       %_efuv above wave   ";
    title += "irrad_first  max_irr_below trans1   sd_1 % trans2  sd_2 % transall sd_all %";
    title += "   ER1      sd_ER1     ER2      sd_ER2   number_of_spikes_above_starting_wavelength";
    out.WriteLine(title);
    out.Close();
}

// Root-mean-square relative deviation (percent) of the pair ratios above the
// start of criterion j.
double ShapeScore(int j) {
    long counted = QcOut.MeetCount[j] + QcOut.ExceedCount[j];
    if (counted == 0) return kNoScore;
    return 100.0 * std::sqrt(QcOut.DeviationSquareSum[j] / counted);
}

// (value / limit)^2, bounded at 100; a limit of 0 gives the bound.
double QTerm(double value, double limit) {
    if (limit == 0.0) return kTermBound;
    double ratio = value / limit;
    return std::min(ratio * ratio, kTermBound);
}

// One-number summary of shift, shape, start irradiance, scan variability and
// spikes above irradiance level 2.
double QualityIndex() {
    const QcReportState& r = QcReport;
    double d1 = QTerm(r.Interval[1].MeanShift, Qc.Shift1Limits[1]);
    double d2 = QTerm(r.Interval[2].MeanShift, Qc.Shift2Limits[1]);
    double d3 = QTerm(r.ShapeScore[r.StartCriterion], Qc.ShapeLimits[1]);
    double irradiance = QcOut.MaxIrradianceBelowStart > QcOut.StartIrradiance
                            ? QcOut.MaxIrradianceBelowStart
                            : QcOut.StartIrradiance;
    double d4 = QTerm(irradiance, Qc.IrradianceLevels[2]);
    double d5 = kTermBound;
    if (QcOut.RatioMean2 > 0.0)
        d5 = QTerm(100.0 * QcOut.RatioSd2 / QcOut.RatioMean2, Qc.ShapeLimits[1]);
    return std::sqrt((d1 + d2 + d3 + d4 + d5 + QcOut.DetectedAboveLevel2) / 5.0);
}

// Hour of the scan from characters 4-7 of its name (hhmm); 0 for a part that
// is not a number.
double ScanHour() {
    const std::string& name = CommandLine.ScanName;
    long hh = 0, mm = 0;
    if (name.size() < 5 || !ParseInt(name.substr(3, 2), hh)) hh = 0;
    if (name.size() < 7 || !ParseInt(name.substr(5, 2), mm)) mm = 0;
    return hh + mm / 60.0;
}

void PrepareReportState() {
    QcReportState& r = QcReport;
    // The structure check has already brought both settings into range and
    // logged it; they are kept in range here as well.
    CriteriaInForce counts = CriteriaCountsInForce(Qc.CriteriaCount, Qc.StartCriterion);
    r.CriteriaCount = counts.Count;
    r.StartCriterion = counts.Start;
    r.StartWavelength = MeasuredWavelengthAtIndex(QcOut.StartIndex[r.StartCriterion]);
    r.ScanHour = ScanHour();
    r.OzoneIndication = Flow.GivenOzone * kDobsonUnitsPerAmount;
}

// The row's values from the report state and the stages' results.
QualityRowValues RowValues() {
    const QcReportState& r = QcReport;
    const QcResults& q = QcOut;
    QualityRowValues v{};
    v.CriteriaCount = r.CriteriaCount;
    v.StartCriterion = r.StartCriterion;
    v.ScanName = CommandLine.ScanName;
    v.ZenithAngle = Scan.SolarZenithAngle;
    for (int i = 1; i <= 2; ++i) {
        v.MeanShift[i] = r.Interval[i].MeanShift;
        v.SdShift[i] = r.Interval[i].SdShift;
        v.WindowsUsed[i] = r.Interval[i].WindowsUsed;
        v.MeanErrorRatio[i] = r.Interval[i].MeanErrorRatio;
        v.SdErrorRatio[i] = r.Interval[i].SdErrorRatio;
    }
    for (int j = 1; j <= r.CriteriaCount; ++j) {
        v.StartWavelength[j] = MeasuredWavelengthAtIndex(q.StartIndex[j]);
        v.MeetCount[j] = q.MeetCount[j];
        v.ExceedCount[j] = q.ExceedCount[j];
        v.ShapeScore[j] = r.ShapeScore[j];
        v.LateExceedCount[j] = q.LateExceedCount[j];
    }
    v.EfuvBelowStart = 100.0 * q.EfuvBelowStart;
    v.EfuvAboveLast = 100.0 * q.EfuvAboveLast;
    v.FirstWavelength = r.StartWavelength;
    v.LastWavelength = Instrument.RangeEnd;
    v.StartIrradiance = q.StartIrradiance;
    v.MaxIrradianceBelowStart = q.MaxIrradianceBelowStart;
    v.RatioMean[1] = q.RatioMean1;
    v.RatioPercent[1] = PercentDeviation(q.RatioSd1, q.RatioMean1);
    v.RatioMean[2] = q.RatioMean2;
    v.RatioPercent[2] = PercentDeviation(q.RatioSd2, q.RatioMean2);
    v.RatioMean[0] = q.RatioMeanAll;
    v.RatioPercent[0] = PercentDeviation(q.RatioSdAll, q.RatioMeanAll);
    v.IrradianceLevel1 = Qc.IrradianceLevels[1];
    v.IrradianceLevel2 = Qc.IrradianceLevels[2];
    v.DetectedAboveLevel1 = q.DetectedAboveLevel1;
    v.DetectedAboveLevel2 = q.DetectedAboveLevel2;
    v.CorrectedAboveLevel1 = q.CorrectedAboveLevel1;
    v.CorrectedAboveLevel2 = q.CorrectedAboveLevel2;
    v.ScanHour = r.ScanHour;
    v.QualityIndex = QualityIndex();
    v.OzoneIndication = r.OzoneIndication;
    return v;
}

}  // namespace

void WriteIntervalLine(TextOut& out, const char* label, int interval) {
    out.Text(std::string("! ") + label + " refers to average shift over wavelength interval: ");
    out.Fixed(Qc.QcIntervals[interval][0], 6, 2).Text(" ");
    out.Fixed(Qc.QcIntervals[interval][1], 6, 2).EndLine();
}

void WriteDailyQualityTable() {
    QcReportState& r = QcReport;
    PrepareReportState();
    bool table = Engine.Switches.Q_flag;
    bool log = Engine.Switches.Log_main_tarn;
    std::string path = DailyQualityPath();
    if (table && !TextFileExists(path)) CreateDailyQualityFile(path);

    r.Interval[1] = ShiftWindowStatistics(Qc.QcIntervals[1][0], Qc.QcIntervals[1][1]);
    r.Interval[2] = ShiftWindowStatistics(Qc.QcIntervals[2][0], Qc.QcIntervals[2][1]);
    ConsoleLine("Wavelength Shift UVB: " + Fixed(r.Interval[1].MeanShift, 7, 2) +
                " nm  Relative Struct. dev.: " + Fixed(r.Interval[1].MeanErrorRatio, 10, 3));
    ConsoleLine("Wavelength Shift UVA: " + Fixed(r.Interval[2].MeanShift, 7, 2) +
                " nm  Relative Struct. dev.: " + Fixed(r.Interval[2].MeanErrorRatio, 10, 3));
    ConsoleLine();

    for (int j = 1; j <= r.CriteriaCount; ++j) r.ShapeScore[j] = ShapeScore(j);
    const QualityRowValues values = RowValues();

    TextOut row;
    if (table) row.Append(path);
    if (log) {
        TextOut logFile;
        logFile.Append(Engine.MainLogFile);
        logFile.WriteLine(QualityRowHeadText(values, logFile.Name()));
        for (int j = 1; j <= r.CriteriaCount; ++j) {
            logFile.Text("criterium: ")
                .Fixed(Qc.CriterionDeviation[j], 6, 3)
                .Text(" ")
                .Fixed(values.StartWavelength[j], 6, 2)
                .Text(" ")
                .Int(QcOut.MeetCount[j], 4)
                .Text(" ")
                .Int(QcOut.ExceedCount[j], 4)
                .Text(" ")
                .Fixed(r.ShapeScore[j], 12, 2)
                .Text("  %")
                .EndLine();
        }
        logFile.Fixed(values.EfuvBelowStart, 10, 3)
            .Text(" %< ")
            .Fixed(r.StartWavelength, 6, 2)
            .EndLine();
        logFile.Fixed(values.EfuvAboveLast, 10, 3)
            .Text(" %> ")
            .Fixed(Instrument.RangeEnd, 6, 2)
            .EndLine();
        logFile.Text("First wavelength: ")
            .Fixed(r.StartWavelength, 6, 2)
            .Text(" First irradiance: ")
            .Fixed(QcOut.StartIrradiance, 12, 8)
            .Text(" highest below: ")
            .Fixed(QcOut.MaxIrradianceBelowStart, 12, 8)
            .EndLine();
        logFile.Close();
    }
    if (table) {
        row.WriteLine(QualityRowText(values, row.Name()));
        row.Close();
    }
}

}  // namespace tarn
