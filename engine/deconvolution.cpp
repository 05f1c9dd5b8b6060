#include "engine/deconvolution.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/slit_simulation.h"
#include "engine/usable_ratio.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr int kIntervalCount = 4;
constexpr double kOutputMargin = 10.0;     // nm, the output starts this far below the start
constexpr double kFillTolerance = 0.0001;  // nm

// The stage's settings, its own slit kernel and the state of the iteration.
struct DeconState {
    std::string Directory;     // main path, ends in the separator
    std::string SettingsName;  // analysis settings file, at most 40 characters
    std::string OutputName;    // deconvolved spectrum, at most 40 characters
    double Start, End, Step;   // nm: deconvolution range and fine-grid step
    double RangeEnd;           // nm: the instrument's range end
    double Fwhm;               // nm
    char SlitChar;
    std::string SlitFile;
    SlitKernel Kernel;
    double IntervalLower[kIntervalCount + 1];  // nm, [1..4]; upper bound: End
    double ErrorSum[kIntervalCount + 1];
    long ErrorCount[kIntervalCount + 1];
    long PointCount;           // N
    long FirstPoint;           // k0, 0 when no point reaches the start
    long long UpperEdge;       // U, fine-grid index
    double FirstRatioProduct;  // P
    // Per examined point, the ratio that the step applies: the mean ratio of
    // the consecutive points in its fine-grid cell (its own when it is alone).
    double CellRatio[kSpectrumSize];
};

DeconState g;

// Clamps the fine-grid index range first..last to 0..kMaxGridIndex and counts
// the indexes that fall away; false when nothing of the range is left.
bool ClampGridRange(long long& first, long long& last) {
    if (last < first) return false;
    long long lo = std::max(first, 0LL);
    long long hi = std::min(last, static_cast<long long>(kMaxGridIndex));
    long long kept = hi >= lo ? hi - lo + 1 : 0;
    Engine.GridIndexFaults += static_cast<long>(last - first + 1 - kept);
    first = lo;
    last = hi;
    return kept > 0;
}

// Fine-grid index of a wavelength (nm); kept far from the integer limits so
// that index arithmetic cannot overflow (anything this far out is off the grid).
long long FineIndex(double wavelength) {
    constexpr long long kFar = 1LL << 40;
    return std::clamp(GridIndex(wavelength, g.Step), -kFar, kFar);
}

double Wavelength(long p) {
    return Spectra.MeasuredWavelengths[p];
}

// Reach of the slit below the first measured point (nm).
double SlitReachOfFirstPoint() {
    return Wavelength(1) - Engine.SlitRangeFactor * g.Fwhm;
}

// Ratio measured / simulated of point p, 1 where the simulation gives 0 or the
// ratio has no usable value.
double PointRatio(long p) {
    return UsableRatio(Spectra.MeasuredIrradiances[p], Spectra.DeconSimulatedMeasurement[p])
        .value_or(1.0);
}

// Stops with the run-time error when the settings give no usable fine step.
void CheckFineStep(const std::string& path) {
    if (std::isfinite(g.Step) && g.Step > 0.0) return;
    throw RunTimeError("read deconvolution settings", path, 14,
                       "the fine-grid step " + Sci(g.Step) + " is not positive");
}

void ReadDeconDefaults() {
    std::string path = g.Directory + g.SettingsName;
    if (!TextFileExists(path)) {
        BindMainLogIfAbsent(g.Directory + kMainLogName);
        HaltWithErrorBlock("Error in Deconvolution routine",
                           "Unable to find default file:", "Error in Deconvolution routine",
                           "Unable to find default file:", path, "D1");
    }
    TextIn in;
    in.OpenOrThrow(path);
    AnalysisSettingsValues v{};
    ReadDeconvolutionSettings(in, v);
    in.Close();
    g.Start = v.GridLow;
    g.End = v.GridHigh;
    g.Step = v.GridStep;
    g.RangeEnd = v.RangeEnd;
    g.Fwhm = v.Fwhm;
    g.SlitChar = v.SlitChar;
    g.SlitFile = g.SlitChar == '1' ? Cut(v.SlitFileName, 40) : std::string();
    CheckFineStep(path);

    const double lower[kIntervalCount + 1] = {0.0, g.Start, 300.0, 305.0, 310.0};
    std::copy(lower, lower + kIntervalCount + 1, g.IntervalLower);
}

long FirstPointAtStart() {
    for (long p = 1; p <= g.PointCount; ++p) {
        if (Wavelength(p) >= g.Start) return p;
    }
    return 0;
}

long long UpperEdgeIndex() {
    double lastOffset = g.Kernel.LastOffset;
    double lastWavelength = Wavelength(g.PointCount);
    long long u = FineIndex(g.End);
    if (g.RangeEnd + lastOffset > g.End) {
        u = FineIndex(g.RangeEnd + lastOffset);
        if (lastWavelength > g.RangeEnd) u = FineIndex(lastWavelength + lastOffset);
    } else if (lastWavelength + lastOffset > g.End) {
        u = FineIndex(lastWavelength + lastOffset);
    }
    return u;
}

// The slit-simulated value at every measured point, a block of points at a time.
void SimulateMeasuredPoints() {
    bool ends[kConvolveBlock];
    for (long p = 1; p <= g.PointCount; p += kConvolveBlock) {
        const int count = static_cast<int>(std::min<long>(kConvolveBlock, g.PointCount - p + 1));
        ConvolveSeveral(g.Kernel, &Spectra.MeasuredWavelengths[p], count, g.Step,
                        &Spectra.DeconSimulatedMeasurement[p], ends);
    }
}

void ScaleGridRange(long long first, long long last, double factor) {
    if (!ClampGridRange(first, last)) return;
    for (long long i = first; i <= last; ++i) Spectra.FineSpectrum[i] *= factor;
}

// Below the first examined point the grid, from one index below the slit
// reach of point 1, takes that point's ratio.
void ScaleLowerEdge(double firstWavelength, double ratio) {
    ScaleGridRange(FineIndex(SlitReachOfFirstPoint()) - 1, FineIndex(firstWavelength) - 1, ratio);
}

void AccumulateIntervalError(double squaredDeviation, double wavelength) {
    for (int k = 1; k <= kIntervalCount; ++k) {
        if (k == 1 || (g.IntervalLower[k] <= wavelength && wavelength <= g.End)) {
            g.ErrorSum[k] += squaredDeviation;
            ++g.ErrorCount[k];
        }
    }
}

// Multiplies fine-grid index j by the factor unless this step has scaled it
// already (`scaledUpTo` is the highest index the walk has scaled).
void ScaleOnce(long long j, double factor, long long& scaledUpTo) {
    if (j <= scaledUpTo) return;
    GridAt(Spectra.FineSpectrum, j) *= factor;
    scaledUpTo = j;
}

// Multiplies the grid from the index of wc (exclusive) towards wn by the
// ratio rising linearly from rc at wc to rn at wn; returns the last index.
long long FillTowardsNext(long long j, double wc, double rc, double wn, double rn,
                          long long& scaledUpTo) {
    double slope = wn != wc ? (rn - rc) / (wn - wc) : 0.0;  // equal wavelengths: flat
    double f = rc;
    double w = wc + g.Step;
    // Past the end of the grid nothing is left to scale; the bound also ends
    // the loop for a step too small to move w.
    while (w < wn - kFillTolerance && j < kMaxGridIndex) {
        f += g.Step * slope;
        ++j;
        ScaleOnce(j, f, scaledUpTo);
        w += g.Step;
    }
    return j;
}

// The ratio of each examined point for this step, its own one in the
// correction column and the mean of its fine-grid cell in CellRatio.  A scan
// denser than the fine grid puts several points into one cell; were the cell
// multiplied by each of their ratios, k points would raise its correction to
// the k-th power and the iteration would overshoot and diverge.
void TakeRatios() {
    for (long p = g.FirstPoint; p <= g.PointCount;) {
        long long cell = FineIndex(Wavelength(p));
        double sum = 0.0;
        long q = p;
        for (; q <= g.PointCount && FineIndex(Wavelength(q)) == cell; ++q) {
            Spectra.DeconCorrectionFactors[q] = PointRatio(q);
            sum += Spectra.DeconCorrectionFactors[q];
        }
        for (long k = p; k < q; ++k) g.CellRatio[k] = sum / static_cast<double>(q - p);
        p = q;
    }
}

// One ratio update of FineSpectrum: constant r(k0) below the first examined
// point, linear between examined points, constant r(N) above the last one;
// each fine-grid index is multiplied once.
void DeconvolutionStep() {
    std::fill(g.ErrorSum, g.ErrorSum + kIntervalCount + 1, 0.0);
    std::fill(g.ErrorCount, g.ErrorCount + kIntervalCount + 1, 0L);
    if (g.FirstPoint == 0) return;  // no point reaches the start: nothing to compare

    TakeRatios();
    long long j = 0;
    long long scaledUpTo = std::numeric_limits<long long>::min();
    double wc = Wavelength(g.FirstPoint);
    double rc = g.CellRatio[g.FirstPoint];
    g.FirstRatioProduct *= rc;
    bool lowerEdge = g.Start - Engine.SlitRangeFactor * g.Fwhm <= wc && wc <= g.End;
    if (lowerEdge) {
        ScaleLowerEdge(wc, rc);
        j = FineIndex(wc);
        scaledUpTo = j - 1;
    }
    for (long p = g.FirstPoint + 1; p <= g.PointCount; ++p) {
        double wn = Wavelength(p);
        double rn = g.CellRatio[p];
        if (g.Start <= wc && wc <= g.End) {
            j = FineIndex(wc);
            ScaleOnce(j, rc, scaledUpTo);
            double own = Spectra.DeconCorrectionFactors[p - 1];
            AccumulateIntervalError((own - 1.0) * (own - 1.0), wc);
            j = FillTowardsNext(j, wc, rc, wn, rn, scaledUpTo);
        }
        wc = wn;
        rc = rn;
    }
    // A single examined point has no walk: its own index joins the upper edge.
    bool singlePoint = g.FirstPoint == g.PointCount && lowerEdge;
    ScaleGridRange(singlePoint ? j : std::max(j, scaledUpTo) + 1, g.UpperEdge, rc);
}

void WriteIntervalBounds(TextOut& out) {
    for (int k = 1; k <= kIntervalCount; ++k) {
        out.Text("interv. ").Int(k, 2).Text(": ").Fixed(g.IntervalLower[k], 6, 2);
        out.Text(" ").Fixed(g.End, 6, 2).Text("  ");
    }
    out.EndLine();
}

void WriteErrorLine(TextOut& out) {
    for (int k = 1; k <= kIntervalCount; ++k) {
        long n = g.ErrorCount[k];
        if (n > 0) out.Fixed(std::sqrt(g.ErrorSum[k] / n), 10, 6).Text(" n: ").Int(n, 6).Text(" ");
    }
    out.EndLine();
}

void WriteOutputFile() {
    TextOut out;
    out.Create(g.Directory + g.OutputName);
    out.Sci(g.FirstRatioProduct).EndLine();
    long long first = FineIndex(g.Start - kOutputMargin);
    long long last = FineIndex(g.RangeEnd);
    if (ClampGridRange(first, last)) {
        for (long long j = first; j <= last; ++j) {
            out.Fixed(kReferenceGridStart + j * g.Step, 6, 2)
                .Text(" ")
                .Sci(Spectra.FineSpectrum[j])
                .EndLine();
        }
    }
    out.Close();
}

void WritePointTable(TextOut& log) {
    log.WriteLine();
    log.WriteLine("wavelength measurem. simul.meas  correction");
    for (long p = 1; p <= g.PointCount; ++p) {
        log.Fixed(Wavelength(p), 8, 3)
            .Text(" ")
            .Fixed(Spectra.MeasuredIrradiances[p], 12, 6)
            .Text(" ")
            .Fixed(Spectra.DeconSimulatedMeasurement[p], 12, 6)
            .Text(" ")
            .Fixed(Spectra.DeconCorrectionFactors[p], 10, 7)
            .EndLine();
    }
}

}  // namespace

// Multiplies FineSpectrum (fine grid of settings line 14) `stepCount` times by
// the measured/simulated ratios of the points, interpolated linearly in nm.
// Reads lines 14-18 of <directory><settingsFile> (ERROR D1 when missing) and
// the slit file; writes <directory>decon.log and <directory><outputName>.
// The simulated-spectrum and measurement-copy names are not used.
void ResetDeconvolution() {
    g = DeconState{};
}

void RunDeconvolution(const std::string& directory, const std::string& settingsFile,
                      const std::string& outputName, const std::string& /*simulatedName*/,
                      const std::string& /*measurementCopyName*/, unsigned stepCount) {
    g.Directory = Cut(directory, 255);
    g.SettingsName = Cut(settingsFile, 40);
    g.OutputName = Cut(outputName, 40);
    ReadDeconDefaults();

    g.PointCount = StoredPointCount("Deconvolution");
    g.FirstPoint = FirstPointAtStart();
    std::fill(Spectra.DeconCorrectionFactors + 1, Spectra.DeconCorrectionFactors + g.PointCount + 1,
              0.0);
    if (g.FirstPoint == 0) {
        LogLine(LogText()
                    .Text("Deconvolution: no measured point at or above ")
                    .Fixed(g.Start, 6, 2)
                    .Text(" nm; spectrum not changed"));
    }
    BuildSlitKernel(g.Kernel, {g.Directory, g.SlitChar, g.SlitFile, g.Fwhm}, g.Step);
    g.UpperEdge = UpperEdgeIndex();

    // The trace is created, then extended by one append per step and one at the end.
    const std::string logName = g.Directory + "decon.log";
    TextOut trace;
    trace.Create(logName);
    trace.WriteLine("decon analyse");
    WriteIntervalBounds(trace);
    trace.Close();
    g.FirstRatioProduct = 1.0;
    for (unsigned s = 1; s <= stepCount; ++s) {
        SimulateMeasuredPoints();
        DeconvolutionStep();
        trace.Append(logName);
        trace.Text("Deconv. STEP  ").Int(s, 5).Text("Rel. Error: ").EndLine();
        WriteErrorLine(trace);
        trace.Close();
    }
    SimulateMeasuredPoints();
    if (g.PointCount >= 1) {
        ScaleGridRange(FineIndex(g.Start), FineIndex(SlitReachOfFirstPoint()) - 2,
                       g.FirstRatioProduct);
    }
    WriteOutputFile();
    TextOut log;
    log.Append(logName);
    WritePointTable(log);
    log.Close();
}

}  // namespace tarn
