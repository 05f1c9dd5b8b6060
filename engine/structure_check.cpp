#include "engine/structure_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/engine_state.h"
#include "engine/formats/quality_table_layout.h"
#include "engine/formats/result_names.h"
#include "engine/program_state.h"
#include "engine/usable_ratio.h"
#include "engine/wavelength_shift.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr double kNotDetermined = -999.999;
constexpr const char* kNoValue = "99999.9999";
constexpr double kRatioMissingDenominator = 9999.999;  // e2 = 0: the pair ratio's mark

// Model value (slit-convolved clear-sky spectrum) at each measured point 1..N.
double g_modelAtPoint[kMaxMeasuredPoints + 1];

// Sum, sum of squares and count of measured/model ratios of one QC interval.
struct RatioSums {
    double Sum;
    double Squares;
    long Count;
};

// Counts, ratio sums and the pair ratio that carries over from pair to pair
// and from criterion to criterion.
struct CheckState {
    long PointCount;
    int CriteriaCount;
    int StartCriterion;
    double Ratio;
    RatioSums Interval[3];  // [1], [2]
};

CheckState g_check;

// Brings the criteria count into 1..5 and the start criterion into 1..k,
// logging each correction; later readers see the corrected settings.
void ClampCriterionSettings() {
    const CriteriaInForce counts = CriteriaCountsInForce(Qc.CriteriaCount, Qc.StartCriterion);
    const int k = counts.Count;
    if (k != Qc.CriteriaCount) {
        LogLine("Structure criteria count " + IntText(Qc.CriteriaCount) + " outside 1.." +
                IntText(kMaxCriteria) + "; taken as " + IntText(k));
        Qc.CriteriaCount = k;
    }
    const int s = counts.Start;
    if (s != Qc.StartCriterion) {
        LogLine("Start criterion " + IntText(Qc.StartCriterion) + " outside 1.." + IntText(k) +
                "; taken as " + IntText(s));
        Qc.StartCriterion = s;
    }
}

// Step (nm) of the fine grid on which the simulated spectrum is indexed.
double FineGridStep() {
    return StepTable.Steps[std::clamp(StepTable.LevelCount, 1, kMaxStepLevels)];
}

// Looks the model up once per measured point; wavelengths off the fine grid
// (or an unusable step) go through the checked accessor and read 0.
void FillModelAtPoints(long n) {
    double step = FineGridStep();
    for (long i = 1; i <= n; ++i) {
        long long index = step > 0 ? GridIndex(Spectra.MeasuredWavelengths[i], step) : -1;
        g_modelAtPoint[i] = GridValue(Spectra.SimulatedSpectrum, index);
    }
}

std::string StructureFileName(int j) {
    return ResultDirectory() + Paths.QaqcSubdir +
           StructureCheckName(DayPart(), Qc.CriterionName[j], CommandLine.IdMet);
}

std::string ModelRatioFileName() {
    return ResultDirectory() + Paths.QaqcSubdir + Paths.StrucSubdir +
           ModelRatioName(CommandLine.ScanName, CommandLine.IdMet);
}

void CreateModelRatioFile() {
    TextOut out;
    out.Create(ModelRatioFileName());
    out.Text("! Earth_sun distance correction factor: ").Fixed(Scan.EarthSunFactor, 8, 4);
    out.EndLine();
    out.WriteLine(
        "! wave measured irr. modelled irr.   ratio meas/mod   "
        "meas_ratio(m1/m2)/model_ratio");
    out.Close();
}

// Creates the day's file of criterion j with its head when it is missing, then
// appends an empty line and the scan's line.
void StartStructureFile(int j) {
    std::string name = StructureFileName(j);
    if (!TextFileExists(name)) {
        TextOut out;
        out.Create(name);
        out.WriteLine(std::string("!") + kVersionBanner);
        out.Text("! structure check; criterium rel. deviation; ");
        out.Fixed(Qc.CriterionDeviation[j], 10, 3).EndLine();
        out.Text("! wavelength range: ").Fixed(Instrument.RangeStart, 10, 2).Text(" - ");
        out.Fixed(Instrument.RangeEnd, 10, 2).EndLine();
        out.WriteLine("! Ratio = Irrad(w1)/Irrad(w2)");
        out.WriteLine("! meas.wavelength 1 and 2, Meas.ratio/Theor.ratio, Theor.Ratio");
        out.Close();
    }
    AppendLines(name, {"", ScanLine()});
}

// Appends the flag row of an exceeding pair with the model's ratio m1 / m2
// (the file is opened and closed per row).
void WriteFlagRow(const std::string& file, long i, double modelRatio) {
    const double* wl = Spectra.MeasuredWavelengths;
    TextOut out;
    out.Append(file);
    out.Fixed(wl[i], 7, 2).Text(" ").Fixed(wl[i + 1], 7, 2).Text(" ");
    out.Fixed(g_check.Ratio, 10, 3).Text("  ").Fixed(modelRatio, 10, 3).EndLine();
    out.Close();
}

// Measured/model ratio of point i (the pair's first point): the sums of the QC
// intervals and, when a file is named, its row appended to the model-ratio file.
// A ratio without a usable value is marked as one of m1 = 0 (measured/model)
// or of e2 = 0 (the pair's deviation).
void ModelRatioStep(long i, double m1, double m2, const std::string* ratioFile) {
    double w = Spectra.MeasuredWavelengths[i];
    double e1 = Spectra.MeasuredIrradiances[i];
    double e2 = Spectra.MeasuredIrradiances[i + 1];
    double modelled = 0.001 * m1 * Scan.EarthSunFactor;
    const std::optional<double> value =
        m1 > 0 && modelled > 0 ? UsableRatio(e1, modelled) : std::nullopt;
    const double(*qi)[2] = Qc.QcIntervals;
    if (value && i >= QcOut.StartIndex[g_check.StartCriterion] && w >= qi[1][0]) {
        int interval = w < qi[1][1] ? 1 : (w >= qi[2][0] && w < qi[2][1] ? 2 : 0);
        if (interval > 0) {
            g_check.Interval[interval].Sum += *value;
            g_check.Interval[interval].Squares += *value * *value;
            ++g_check.Interval[interval].Count;
        }
    }
    if (ratioFile == nullptr) return;
    TextOut out;
    out.Append(*ratioFile);
    out.Fixed(w, 7, 2).Text(" ").Fixed(e1, 14, 8).Text("  ").Fixed(modelled, 14, 8).Text(" ");
    const std::optional<double> pair =
        value && e2 > 0 ? UsableRatio(e1 * m2, e2 * m1) : std::nullopt;
    if (!value) {
        out.Text(std::string(kNoValue) + "  " + kNoValue);
    } else if (!pair) {
        out.Fixed(*value, 10, 5).Text("  ").Text(kNoValue);
    } else {
        out.Fixed(*value, 10, 5).Text("  ").Fixed((*pair - 1) * 100, 8, 3);
    }
    out.EndLine();
    out.Close();
}

// One pass of criterion j over the in-range pairs: the start of its first
// clean run, the meeting and exceeding pairs after it, the flag rows; for the
// last criterion also the model-ratio step.
void CheckCriterion(int j, const std::string* structureFile, const std::string* ratioFile) {
    const long n = g_check.PointCount;
    const int s = g_check.StartCriterion;
    const bool last = j == g_check.CriteriaCount;
    const double c = Qc.CriterionDeviation[j];
    const long runLength = std::max(1, Qc.StartRunLength);
    const double upper = Instrument.RangeEnd - Engine.SlitRangeFactor * Instrument.Fwhm;
    const double* wl = Spectra.MeasuredWavelengths;
    const double* irr = Spectra.MeasuredIrradiances;

    uint16_t run = 0;
    bool started = false;
    long& startIndex = QcOut.StartIndex[j];
    long& meet = QcOut.MeetCount[j];
    long& exceed = QcOut.ExceedCount[j];
    double& squares = QcOut.DeviationSquareSum[j];
    long& lateExceed = QcOut.LateExceedCount[j];
    startIndex = n;
    meet = exceed = lateExceed = 0;
    squares = 0.0;

    for (long i = 1; i < n; ++i) {
        if (!(wl[i] > Instrument.RangeStart && wl[i + 1] < upper)) continue;
        double m1 = g_modelAtPoint[i], m2 = g_modelAtPoint[i + 1];
        double e1 = irr[i], e2 = irr[i + 1];
        if (last) ModelRatioStep(i, m1, m2, ratioFile);

        // A pair whose measured ratio e1 / e2 (or its quotient by the model's)
        // has no usable value counts as one with e2 = 0; a model ratio without
        // one, as one with m2 = 0.
        const std::optional<double> modelRatio = m2 > 0 ? UsableRatio(m1, m2) : std::nullopt;
        const std::optional<double> measured = UsableRatio(e1, e2);
        std::optional<double> ratio;
        bool noDenominator = !measured;
        if (measured && modelRatio && m1 > 0) {
            ratio = UsableRatio(*measured, *modelRatio);
            noDenominator = !ratio;
        }
        bool meets = false;
        if (ratio) {
            g_check.Ratio = *ratio;
            meets = g_check.Ratio > 1 / (1 + c) && g_check.Ratio < 1 + c;
            if (!meets && structureFile != nullptr) WriteFlagRow(*structureFile, i, *modelRatio);
        } else if (noDenominator && e1 != 0 && modelRatio) {
            g_check.Ratio = e1 < 0 ? -kRatioMissingDenominator : kRatioMissingDenominator;
            if (structureFile != nullptr) WriteFlagRow(*structureFile, i, *modelRatio);
        }

        double deviation = (g_check.Ratio - 1) * (g_check.Ratio - 1);
        if (!started) {
            if (e1 >= 0 && meets) {
                ++run;
                squares += deviation;
                if (run == runLength) {
                    startIndex = i - runLength + 1;
                    meet = runLength;
                    started = true;
                }
            } else {
                run = 0;
                squares = 0.0;
            }
        } else {
            squares += deviation;
            if (meets) {
                ++meet;
            } else {
                ++exceed;
                if (j > s && i >= QcOut.StartIndex[s]) ++lateExceed;
            }
        }
    }
}

// Mean and standard deviation of n values from their sum and sum of squares;
// -999.999 where a value cannot be formed.  False when there is no value.
bool RatioStatistics(const RatioSums& r, double& mean, double& sd) {
    if (r.Count > 1) {
        mean = r.Sum / r.Count;
        double spread = r.Squares - mean * mean * r.Count;
        sd = spread <= 0 ? 0.0 : std::sqrt(spread / (r.Count - 1));
    } else if (r.Count == 1) {
        mean = r.Sum;
        sd = kNotDetermined;
    } else {
        mean = sd = kNotDetermined;
    }
    return r.Count > 0;
}

void FinishRatioStatistics() {
    const RatioSums* r = g_check.Interval;
    if (!RatioStatistics(r[1], QcOut.RatioMean1, QcOut.RatioSd1))
        QcOut.RangeStatus1 = "NOT_DETERMINED";
    if (!RatioStatistics(r[2], QcOut.RatioMean2, QcOut.RatioSd2))
        QcOut.RangeStatus2 = "NOT_DETERMINED";
    RatioSums both{r[1].Sum + r[2].Sum, r[1].Squares + r[2].Squares, r[1].Count + r[2].Count};
    RatioStatistics(both, QcOut.RatioMeanAll, QcOut.RatioSdAll);
}

}  // namespace

void ResetStructureCheck() {
    g_check = CheckState{};
}

// Runs every structure criterion over the scan's in-range point pairs
// (wavelengths in nm, irradiances against 0.001 x model x Earth-Sun factor),
// leaving the results in QcOut.  With spec_struc appends to the day's file of
// each criterion <result dir><qaqc><DDD><name>.<id>; with trans_Q rewrites the
// scan's model-ratio file <result dir><qaqc><struc><DDDhhmm>q.<id>.
void CheckStructure() {
    ClampCriterionSettings();
    g_check = CheckState{};
    g_check.PointCount = std::clamp<long>(Scan.PointCount, 0, kMaxMeasuredPoints);
    g_check.CriteriaCount = Qc.CriteriaCount;
    g_check.StartCriterion = Qc.StartCriterion;
    g_check.Ratio = 1.23;
    FillModelAtPoints(g_check.PointCount);

    const OutputSwitches& sw = Engine.Switches;
    const std::string ratioFile = ModelRatioFileName();
    for (int j = 1; j <= g_check.CriteriaCount; ++j) {
        bool last = j == g_check.CriteriaCount;
        if (j == 1 && sw.Trans_Q) CreateModelRatioFile();
        const std::string structureFile = StructureFileName(j);
        if (sw.Spec_struc) StartStructureFile(j);
        CheckCriterion(j, sw.Spec_struc ? &structureFile : nullptr,
                       last && sw.Trans_Q ? &ratioFile : nullptr);
    }
    FinishRatioStatistics();
}

double StructureStartWavelength() {
    const int s = CriteriaCountsInForce(Qc.CriteriaCount, Qc.StartCriterion).Start;
    long n = std::clamp<long>(Scan.PointCount, 1, kMaxMeasuredPoints);
    return Spectra.MeasuredWavelengths[std::clamp(QcOut.StartIndex[s], 1L, n)];
}

}  // namespace tarn
