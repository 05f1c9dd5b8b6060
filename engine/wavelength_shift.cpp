#include "engine/wavelength_shift.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/program_state.h"
#include "engine/run_clock.h"
#include "engine/usable_ratio.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

ShiftStepTable StepTable;

namespace {

constexpr const char* kUnitBanner = "SHIFT-unit 3.030; 05-05-2002 JV/QAV/PELO";
constexpr const char* kNoSettingsName = "xxx.xxx";
constexpr double kStartError = 10000.0;
constexpr double kOutlierError = 47.7171;  // (ln 1000)^2 to four decimals
constexpr double kNoResult = 9.999;

// A trial of the shift scan: effective shift (nm) and its error.
struct Trial {
    double Shift;
    double Error;
};

// A counted point of the window: its wavelength and those of its two
// neighbours k points away (nm), and the measured ratio E_i / (E_i-k + E_i+k).
struct CountedPoint {
    double Centre, Left, Right;
    double MeasuredRatio;
    int C, L, R;  // the three wavelengths' places in the window's wavelength list
};

// State of one shift determination; every call sets it up again.
struct ShiftUnitState {
    std::string FirstDirectory, SecondDirectory, SettingsName;
    double WindowStart = 0.0, WindowEnd = 0.0;  // nm
    std::string SimulationName;
    double MaximumShift = 0.0;  // nm; the upper bound during the levels
    long K = 1;
    std::string MeasurementCopyName, ReportName, CurveName;
    double PrintedStep = 1.0;
    std::string Status;
    int Lo = 0, Hi = 0;
    int Levels = 0;       // step levels in use
    double GridStep = 0;  // g, the finest step in use (nm)
    // Counted points (irradiance ratio > 0) of the window, and their wavelength span.
    int CountedCount = 0;
    double LowestWavelength = 0.0, HighestWavelength = 0.0;
    // Current level.
    double Step = 0.0, TrialShift = 0.0, UpperBound = 0.0;
    double MinimumError = 0.0, ShiftAtMinimum = 0.0;
    Trial Previous{}, Next{};
    int Dof = 0;
    long ValueCount = 0;
    // Results of the last level.
    double ResultShift = 0.0, Uncertainty = 0.0, ErrorRatio = 0.0;
    bool LogShift = false;
};

ShiftUnitState g_state;
CountedPoint g_points[kMaxMeasuredPoints + 1];
// The window's wavelengths Lo..Hi (list place m = i - Lo) and, per trial, the
// grid index of each shifted wavelength and its rounding deviation (nm).
double g_windowWavelengths[kMaxMeasuredPoints + 1];
long long g_trialIndex[kMaxMeasuredPoints + 1];
double g_trialDeviation[kMaxMeasuredPoints + 1];
int g_windowCount = 0;
TextOut g_report;
TextOut g_curve;

// Problems of the settings that are logged once per run.
bool g_loggedLevels = false;
bool g_loggedK = false;
bool g_loggedSteps = false;

void LogOnce(bool& done, const std::string& line) {
    if (done) return;
    done = true;
    LogLine(line);
}

void LogOnce(bool& done, const FileText& line) {
    if (done) return;
    done = true;
    LogLine(line);
}

void SetShiftDefaults() {
    g_state.SimulationName = "simdec10.spc";
    g_state.MaximumShift = 0.9;
    g_state.K = 1;
    g_state.MeasurementCopyName = "Meting.met";
    g_state.ReportName = kShiftResultName;
    g_state.CurveName = kShiftCurveName;
    g_state.PrintedStep = 1.0;
    g_state.Status = kUnitBanner;
}

// Lines 1-6 of <first directory><settings name>; ERROR S1 when it is missing.
void ReadShiftDefaults() {
    if (g_state.SettingsName == kNoSettingsName) return;
    std::string path = g_state.FirstDirectory + g_state.SettingsName;
    if (!TextFileExists(path)) {
        HaltWithErrorBlock("Error in shiftroutine",
                           "Unable to find default file:", "Error in shiftroutine",
                           "Unable to find default file:", path, "S1");
    }
    TextIn in;
    in.OpenOrThrow(path);
    AnalysisSettingsValues v{};
    ReadShiftSettings(in, v);
    g_state.SimulationName = Cut(v.SimulationName, 255);
    g_state.MaximumShift = v.MaximumShift;
    g_state.K = v.HalfWidthPoints;
    g_state.MeasurementCopyName = Cut(v.MeasurementCopyName, 255);
    g_state.ReportName = Cut(v.ShiftResultName, 255);
    g_state.CurveName = Cut(v.ShiftCurveName, 255);
}

// Step levels and k that the scan can use; false when no step is usable.
bool CheckStepsAndK() {
    int levels = StepTable.LevelCount;
    if (levels < 1 || levels > kMaxStepLevels) {
        int clamped = std::clamp(levels, 1, kMaxStepLevels);
        LogOnce(g_loggedLevels, "Shift step levels " + IntText(levels) + " outside 1.." +
                                    IntText(kMaxStepLevels) + "; taken as " + IntText(clamped));
        levels = clamped;
    }
    g_state.Levels = levels;
    if (g_state.K < 1) {
        LogOnce(g_loggedK,
                "Shift neighbour distance k = " + IntText(g_state.K) + " below 1; taken as 1");
        g_state.K = 1;
    }
    for (int level = 1; level <= levels; ++level) {
        if (!(StepTable.Steps[level] > 0.0)) {
            LogOnce(g_loggedSteps, LogText()
                                       .Text("Shift step ")
                                       .Int(level)
                                       .Text(" is ")
                                       .Fixed(StepTable.Steps[level], 8, 4)
                                       .Text(" nm; no shift is determined"));
            return false;
        }
    }
    g_state.GridStep = StepTable.Steps[levels];
    return true;
}

// lo and hi: the measured points from window start - 0.0001 up to below
// window end + 0.0001, never the last point N.
void FindShiftWindow() {
    const double* wl = Spectra.MeasuredWavelengths;
    const int n = static_cast<int>(std::clamp<long long>(RoundEven(wl[0]), 0, kMaxMeasuredPoints));
    int lo = 1;
    while (lo < n && wl[lo] < g_state.WindowStart - 0.0001) ++lo;
    if (n < 1) lo = n;
    int hi = lo;
    if (lo < n) {
        int j = lo + 1;
        while (j < n && wl[j] < g_state.WindowEnd + 0.0001) ++j;
        hi = j - 1;
    }
    g_state.Lo = lo;
    g_state.Hi = hi;
}

// Collects the window's counted points (measured ratio > 0; one without a
// usable value counts as 0) once per call, so that the trials only look up
// the simulated spectrum.
void CollectCountedPoints() {
    const double* wl = Spectra.MeasuredWavelengths;
    const double* e = Spectra.MeasuredIrradiances;
    const int k = static_cast<int>(std::min<long>(g_state.K, kMaxMeasuredPoints));
    int count = 0;
    double low = 0.0, high = 0.0;
    for (int i = g_state.Lo + k; i <= g_state.Hi - k; ++i) {
        double d = e[i - k] + e[i + k];
        double rm = d > 0.0 ? UsableRatio(e[i], d).value_or(0.0) : 0.0;
        if (!(rm > 0.0)) continue;
        CountedPoint& p = g_points[count++];
        const int m = i - g_state.Lo;
        p = CountedPoint{wl[i], wl[i - k], wl[i + k], rm, m, m - k, m + k};
        double lo = std::min({p.Centre, p.Left, p.Right});
        double hi = std::max({p.Centre, p.Left, p.Right});
        if (count == 1 || lo < low) low = lo;
        if (count == 1 || hi > high) high = hi;
    }
    g_state.CountedCount = count;
    g_windowCount = count > 0 ? g_state.Hi - g_state.Lo + 1 : 0;
    for (int m = 0; m < g_windowCount; ++m) g_windowWavelengths[m] = wl[g_state.Lo + m];
    g_state.LowestWavelength = low;
    g_state.HighestWavelength = high;
    if (g_state.Hi - g_state.Lo < 2 * k) {
        LogLine(LogText()
                    .Text("Shift window ")
                    .Fixed(g_state.WindowStart, 7, 2)
                    .Text(" -")
                    .Fixed(g_state.WindowEnd, 7, 2)
                    .Text(" nm holds fewer than 2k+1 = ")
                    .Int(2 * k + 1)
                    .Text(" measured points; not significant"));
    }
}

// Fine-grid index j(x) of a wavelength x (nm).
inline long long GridOf(double x, double g) {
    return RoundEven((x - kReferenceGridStart) / g);
}

// Simulated spectrum at a grid index; `checked` routes it through the
// counted accessor when the trial's indexes may leave 0..40000.
inline double Simulated(long long j, bool checked) {
    return checked ? GridValue(Spectra.SimulatedSpectrum, j) : Spectra.SimulatedSpectrum[j];
}

// True when some grid index of the counted points shifted by s (nm) may lie
// outside 0..40000 (j is monotone in the wavelength).
bool NeedsCheckedAccess(double s) {
    if (g_state.CountedCount == 0) return false;
    const double g = g_state.GridStep;
    return GridOf(g_state.LowestWavelength + s, g) < 0 ||
           GridOf(g_state.HighestWavelength + s, g) > kMaxGridIndex;
}

// Simulated ratio S(j(c)) / (S(j(l)) + S(j(r))), 1 when the sum is not
// positive or the ratio has no usable value.
inline double SimulatedRatio(long long jc, long long jl, long long jr, bool checked) {
    double denominator = Simulated(jl, checked) + Simulated(jr, checked);
    return denominator > 0.0 ? UsableRatio(Simulated(jc, checked), denominator).value_or(1.0) : 1.0;
}

// Squared log quotient of the measured and simulated ratios, or the outlier
// error when the quotient lies outside 0.001..1000 (one without a usable
// value, infinity included, does) or the simulated ratio is not positive; and
// whether the point is such an outlier.
struct PointFit {
    double Error;
    bool Outlier;
};
inline PointFit PointError(double rm, double rs) {
    if (rs > 0.0) {
        double q = rm / rs;
        if (q >= 0.001 && q <= 1000.0) {
            double l = std::log(q);
            return {l * l, false};
        }
    }
    return {kOutlierError, true};
}

// Error of the trial shift s (nm); the mean grid-rounding deviation of the
// looked-up wavelengths goes to `meanDeviation`.  Each wavelength of the
// window is shifted and rounded to the grid once; the points look their three
// up (a centre is its neighbours' left and right), and the sums take the terms
// in the order point by point, centre, left, right.
double TrialError(double s, double& meanDeviation) {
    const double g = g_state.GridStep;
    const bool checked = NeedsCheckedAccess(s);
    for (int m = 0; m < g_windowCount; ++m) {
        const double u = g_windowWavelengths[m] + s - kReferenceGridStart;
        const long long j = RoundEven(u / g);
        g_trialIndex[m] = j;
        g_trialDeviation[m] = static_cast<double>(j) * g - u;
    }
    double error = 0.0;
    double deviationSum = 0.0;
    for (int p = 0; p < g_state.CountedCount; ++p) {
        const CountedPoint& pt = g_points[p];
        deviationSum += g_trialDeviation[pt.C];
        deviationSum += g_trialDeviation[pt.L];
        deviationSum += g_trialDeviation[pt.R];
        const double rs =
            SimulatedRatio(g_trialIndex[pt.C], g_trialIndex[pt.L], g_trialIndex[pt.R], checked);
        error += PointError(pt.MeasuredRatio, rs).Error;
    }
    const long valueCount = 3L * g_state.CountedCount;
    meanDeviation = valueCount > 0 ? deviationSum / static_cast<double>(valueCount) : 0.0;
    return error;
}

// One level: trials s0, s0 + h, ... while below the upper bound + 0.001 nm.
void ScanShiftError() {
    const double h = g_state.Step;
    const double s0 = g_state.TrialShift;
    g_state.MinimumError = kStartError;
    g_state.ShiftAtMinimum = s0;
    g_state.Previous = Trial{s0, kStartError};
    g_state.Next = Trial{g_state.UpperBound, kStartError};
    Trial last{s0, kStartError};
    double s = s0;
    do {
        double meanDeviation = 0.0;
        const double error = TrialError(s, meanDeviation);
        const double effective = s + meanDeviation;
        if (g_state.LogShift)
            g_curve.Fixed(effective, 10, 2).Text(" ").Fixed(error, 15, 4).EndLine();
        if (error <= g_state.MinimumError) {
            g_state.Previous = last;
            g_state.MinimumError = error;
            g_state.ShiftAtMinimum = effective;
            g_state.Next = Trial{effective, error};
        } else if (g_state.ShiftAtMinimum + 0.0001 >= g_state.Next.Shift) {
            g_state.Next = Trial{effective, error};
        }
        last = Trial{effective, error};
        s += h;
    } while (s < g_state.UpperBound + 0.001);
    g_state.ValueCount = 3L * g_state.CountedCount;
    g_state.Dof = static_cast<int>(RoundEven((g_state.ValueCount / 3.0 + 2.0) / 3.0)) - 1;
}

// Appends one block to the shift log; creates <first directory>shift.log
// (headed by the status text) when it is missing and binds the log to it.
// Opens the shift log for a block (creating the directory's own log, with the
// status line, when it is missing).
void OpenShiftLog(TextOut& out) {
    std::string own = g_state.FirstDirectory + kShiftLogName;
    if (!TextFileExists(own)) {
        Engine.ShiftLogFile = own;
        CreateWithLines(own, {g_state.Status});
    }
    out.Append(Engine.ShiftLogFile);
}

// Parabola y = a + b x + c x^2 through the trial before the minimum, the
// minimum and the next trial: shift at its vertex, uncertainty at the level
// m (dof + 1) / dof, error ratio exp(sqrt(m / (n - 1))) - 1.
void FitShiftParabola(const Trial& p1, const Trial& p2, const Trial& p3) {
    const double x1 = p1.Shift, y1 = p1.Error;
    const double x2 = p2.Shift, y2 = p2.Error;
    const double x3 = p3.Shift, y3 = p3.Error;
    const double t = (x3 - x1) / (x3 - x2);
    const double c = ((y3 - y1) - (y3 - y2) * t) / ((x3 * x3 - x1 * x1) - (x3 * x3 - x2 * x2) * t);
    const double b = ((y1 - y2) - c * (x1 * x1 - x2 * x2)) / (x1 - x2);
    const double a = y1 - b * x1 - c * x1 * x1;
    if (c == 0.0) {  // three points on a line: no vertex
        g_state.ResultShift = g_state.ShiftAtMinimum;
        g_state.Uncertainty = kNoResult;
        g_state.ErrorRatio = g_state.MinimumError;
        return;
    }
    const double shift = -b / (2.0 * c);
    double m = a + b * shift + c * shift * shift;
    if (m < 0.0) m = 0.0;
    const double level = m * (g_state.Dof + 1) / g_state.Dof;
    // A radicand a little below 0 comes from rounding: the parabola just touches the level.
    const double radicand = b * b - 4.0 * c * (a - level);
    const double uncertainty = std::sqrt(std::max(radicand, 0.0)) / (2.0 * c);
    const double n = g_state.ValueCount / 3.0;
    const double errorRatio = std::exp(std::sqrt(m / (n - 1.0))) - 1.0;
    g_state.ResultShift = shift;
    g_state.Uncertainty = uncertainty;
    g_state.ErrorRatio = errorRatio;
    if (!g_state.LogShift) return;
    TextOut out;
    OpenShiftLog(out);
    out.Text("wavelength range: ").Fixed(g_state.WindowStart, 8, 2).Text(" - ");
    out.Fixed(g_state.WindowEnd, 8, 2).EndLine();
    out.Text("deltastap : ").Fixed(g_state.Step, 6, 3).EndLine();
    out.Text("shiftvorig: ").Sci(x1).Text("  foutvorig: ").Sci(y1).EndLine();
    out.Text("shift     : ").Sci(x2).Text("  fout     : ").Sci(y2).EndLine();
    out.Text("shiftvolge: ").Sci(x3).Text("  foutvolge: ").Sci(y3).EndLine();
    out.Text("a: ").Sci(a).EndLine();
    out.Text("b: ").Sci(b).EndLine();
    out.Text("c: ").Sci(c).EndLine();
    out.Text("shiftminimum: ").Fixed(shift, 10, 5).Text(" +/- ").Fixed(uncertainty, 10, 5);
    out.Text(" minim.: ").Fixed(m, 12, 7).Text(" number: ").Int(g_state.ValueCount, 4).EndLine();
    out.Text("error ratio at minimum: ").Fixed(errorRatio, 12, 7).EndLine();
    out.EndLine();
    out.Close();
}

// Coarse-to-fine scan over the step levels, each between the neighbours of
// the previous level's minimum; a parabola refines each level's minimum.
void RefineShift() {
    if (g_state.LogShift) g_curve.Create(g_state.FirstDirectory + g_state.CurveName);
    g_state.TrialShift = -g_state.MaximumShift;
    g_state.UpperBound = g_state.MaximumShift;
    for (int level = 1; level <= g_state.Levels; ++level) {
        const double h = StepTable.Steps[level];
        g_state.Step = h;
        ScanShiftError();
        g_state.TrialShift = g_state.Previous.Shift;
        g_state.UpperBound = g_state.Next.Shift;
        const bool dofOk = g_state.Dof > 0.5;
        if (std::fabs(g_state.Previous.Shift - g_state.ShiftAtMinimum) >= h / 2 &&
            std::fabs(g_state.Next.Shift - g_state.ShiftAtMinimum) >= 0.0001 && dofOk &&
            std::fabs(g_state.Next.Error - g_state.MinimumError) >= 1e-7) {
            FitShiftParabola(g_state.Previous, Trial{g_state.ShiftAtMinimum, g_state.MinimumError},
                             g_state.Next);
        } else {
            g_state.ResultShift = g_state.ShiftAtMinimum;
            g_state.Uncertainty = kNoResult;
            g_state.ErrorRatio = dofOk ? g_state.MinimumError : kNoResult;
        }
    }
    if (g_state.LogShift) {
        g_report.Fixed(g_state.ResultShift, 8, 3)
            .Text(" +/- ")
            .Fixed(g_state.Uncertainty, 5, 3)
            .Text(" ")
            .Fixed(g_state.ErrorRatio * 100.0, 10, 3)
            .Text(" % ")
            .EndLine();
        g_curve.Close();
    }
}

// The status text: its numbers are finite by construction (sums of bounded
// logarithms and a table value), so it is formatted once and passed on.
std::string StatusText(const char* prefix, double error, double ssm, double sss, double f) {
    return Cut(std::string(prefix) + " wave_fit: " + Fixed(error, 10, 4) + "  meas: " +
                   Fixed(ssm, 10, 4) + " mod: " + Fixed(sss, 10, 4) + " factor: " + Fixed(f, 6, 4),
               255);
}

// Significance at the result shift: the residual error must not exceed the
// share f = SignificanceTable[dof] of the log-ratio structure of the measured
// spectrum nor of the model, and no point may be an outlier.
void TestShiftSignificance() {
    const double g = g_state.GridStep;
    const double s = g_state.ResultShift;
    const bool checked = NeedsCheckedAccess(s);
    double error = 0.0, sumM = 0.0, sumM2 = 0.0, sumS = 0.0, sumS2 = 0.0;
    int summed = 0;
    bool outlier = false;
    for (int p = 0; p < g_state.CountedCount; ++p) {
        const CountedPoint& pt = g_points[p];
        const double rs = SimulatedRatio(GridOf(pt.Centre + s, g), GridOf(pt.Left + s, g),
                                         GridOf(pt.Right + s, g), checked);
        const PointFit fit = PointError(pt.MeasuredRatio, rs);
        error += fit.Error;
        outlier = outlier || fit.Outlier;
        if (!(rs > 0.0)) continue;  // no logarithm: an outlier, kept out of the sums
        const double lm = std::log(pt.MeasuredRatio);
        const double ls = std::log(rs);
        sumM += lm;
        sumM2 += lm * lm;
        sumS += ls;
        sumS2 += ls * ls;
        ++summed;
    }
    const double* table = Engine.SignificanceTable;
    if (g_state.CountedCount == 0) {
        g_state.Status = StatusText("! NOT_SIGNIFICANT ", error, 0.0, 0.0, table[0]);
        return;
    }
    double ssm = 0.0, sss = 0.0;
    if (summed > 0) {
        ssm = sumM2 - sumM * sumM / summed;
        sss = sumS2 - sumS * sumS / summed;
    }
    const double f = table[std::clamp(g_state.Dof, 0, kSignificanceEntries - 1)];
    const bool significant = error <= f * ssm && error <= f * sss && !outlier;
    g_state.Status = StatusText(significant ? "! " : "! NOT_SIGNIFICANT ", error, ssm, sss, f);
}

}  // namespace

void ResetShiftUnit() {
    StepTable = ShiftStepTable{};
    g_state = ShiftUnitState{};
    g_windowCount = 0;
    // A report or curve file left open by a run that ended early is closed,
    // as the end of the process would close it.
    for (TextOut* out : {&g_report, &g_curve}) {
        try {
            out->Close();
        } catch (const RunTimeError&) {
        }
    }
    g_loggedLevels = g_loggedK = g_loggedSteps = false;
}

ShiftResult DetermineShift(const std::string& firstDirectory, const std::string& secondDirectory,
                           const std::string& settingsFile, double windowStart, double windowEnd) {
    g_state.FirstDirectory = Cut(firstDirectory, 255);
    g_state.SecondDirectory = Cut(secondDirectory, 255);
    g_state.SettingsName = Cut(settingsFile, 255);
    g_state.WindowStart = windowStart;
    g_state.WindowEnd = windowEnd;
    g_state.LogShift = Engine.Switches.Log_shift;
    SetShiftDefaults();
    ReadShiftDefaults();
    if (g_state.LogShift) g_report.Create(g_state.SecondDirectory + g_state.ReportName);
    const bool usable = CheckStepsAndK();
    FindShiftWindow();
    if (usable) {
        CollectCountedPoints();
        RefineShift();
        TestShiftSignificance();
    } else {
        g_state.ResultShift = 0.0;
        g_state.Uncertainty = kNoResult;
        g_state.ErrorRatio = kNoResult;
        g_state.Status =
            StatusText("! NOT_SIGNIFICANT ", 0.0, 0.0, 0.0, Engine.SignificanceTable[0]);
        if (g_state.LogShift) {
            CreateWithLines(g_state.FirstDirectory + g_state.CurveName, {});
            g_report.Fixed(0.0, 8, 3)
                .Text(" +/- ")
                .Fixed(kNoResult, 5, 3)
                .Text(" ")
                .Fixed(kNoResult * 100.0, 10, 3)
                .Text(" % ")
                .EndLine();
        }
    }
    if (g_state.LogShift) {
        g_report.WriteLine("DETERMINATION OF WAVELENGTH SHIFT");
        g_report.WriteLine(g_state.Status);
        g_report.WriteLine("Calculation Date: " + ShortDateText() + " Time " + LongTimeText());
        g_report.WriteLine("Applied simulation file: " + g_state.SimulationName);
        g_report.Text("Wavelength range for shift determination:  ")
            .Fixed(windowStart, 7, 2)
            .Fixed(windowEnd, 7, 2)
            .EndLine();
        g_report.Text("Wavelength step, and step intervalnumber:  ")
            .Fixed(g_state.PrintedStep, 7, 2)
            .Int(g_state.K, 7)
            .EndLine();
        g_report.Close();
    }
    return {g_state.ResultShift, g_state.Uncertainty, g_state.ErrorRatio, g_state.Status};
}

}  // namespace tarn
