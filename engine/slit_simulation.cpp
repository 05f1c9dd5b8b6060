#include "engine/slit_simulation.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_state.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr int kMaxTriangleHalfWidth = kMaxKernelIndex / 2;  // m of the widest triangle
constexpr double kCentreTolerance = 0.00001;                // nm

// Arguments of the last simulation, the kernel built for it and the status of
// its last convolution.
struct SimulationUnit {
    std::string Directory;     // at most 255 characters, ends in the separator
    std::string OutputName;    // at most 40
    std::string SlitFileName;  // at most 40
    char SlitChar = '0';
    double Start = 0.0, End = 0.0, OutputStep = 0.0, GridStep = 0.0, Fwhm = 0.0;  // nm
    SlitKernel Kernel;
    bool EndOfGrid = false;  // status of the last convolution: "EOF" when true, else "OK"
    double LastValue = 0.0;
    std::string Mode;  // "final", "not" or empty at start
};

SimulationUnit g_unit;

// A kernel of one sample of weight 1: the spectrum itself at each wavelength.
void SingleSampleKernel(SlitKernel& kernel) {
    kernel.Samples[0] = 1.0;
    kernel.Centre = 0;
    kernel.Sum = 1.0;
    kernel.FirstOffset = 0.0;
    kernel.LastOffset = 0.0;
}

// Triangle of full width at half maximum `fwhm` (nm): samples i/m rising to 1
// at the centre m = Round(fwhm / gridStep) and falling back to 0, base 2 fwhm.
void BuildTriangle(SlitKernel& kernel, double fwhm, double gridStep) {
    long long m = RoundEven(fwhm / gridStep);
    if (m < 1) {
        LogLine(LogText()
                    .Text("Slit triangle FWHM ")
                    .Fixed(fwhm, 8, 4)
                    .Text(" nm is narrower than half the grid step ")
                    .Fixed(gridStep, 8, 4)
                    .Text(" nm; the spectrum is taken without convolution"));
        SingleSampleKernel(kernel);
        return;
    }
    double firstOffset = -fwhm;
    double lastOffset = fwhm;
    if (m > kMaxTriangleHalfWidth) {
        LogLine(LogText()
                    .Text("Slit triangle FWHM ")
                    .Fixed(fwhm, 8, 4)
                    .Text(" nm needs ")
                    .Int(2 * m + 1)
                    .Text(" kernel samples; cut to ")
                    .Int(kMaxKernelIndex + 1)
                    .Text(", simulated values are not meaningful"));
        m = kMaxTriangleHalfWidth;
        firstOffset = -m * gridStep;
        lastOffset = m * gridStep;
    }
    const int half = static_cast<int>(m);
    double* k = kernel.Samples;
    k[0] = 0.0;
    k[2 * half] = 0.0;
    for (int i = 1; i <= half; ++i) {
        k[i] = k[i - 1] + 1.0 / half;
        k[2 * half - i] = k[2 * half - i + 1] + 1.0 / half;
    }
    double sum = 0.0;
    for (int i = 1; i <= 2 * half; ++i) sum += k[i];
    kernel.Centre = half;
    kernel.Sum = sum;
    kernel.FirstOffset = firstOffset;
    kernel.LastOffset = lastOffset;
}

// Reads the slit-function file `path` into `kernel`: points (offset nm,
// response) from above -SlitRangeFactor x fwhm to the first one above
// +SlitRangeFactor x fwhm, each interval divided into Round(interval /
// gridStep) linearly interpolated samples.  Text lines before the first pair
// are skipped; a bad pair after it raises the run-time error.
void ReadSlitFunctionFile(SlitKernel& kernel, const std::string& path, double fwhm,
                          double gridStep) {
    TextIn in;
    in.OpenOrThrow(path);
    double x = 0.0, y = 0.0;
    for (;;) {
        bool numbers = in.TryReal(x) && in.TryReal(y);
        in.NextLine();
        if (numbers) break;
        if (in.Eof()) {
            x = y = 0.0;
            break;
        }
    }
    const double lowCut = -Engine.SlitRangeFactor * fwhm - 0.001;
    const double highCut = Engine.SlitRangeFactor * fwhm - 0.001;
    while (x <= lowCut) {
        // The end of the file reads as the pair (0, 0); with a cut at or above
        // 0 (a FWHM or range factor of 0 or less) it would never pass the cut.
        if (in.Eof()) {
            x = y = 0.0;
            break;
        }
        x = in.Real();
        y = in.Real();
        in.NextLine();
    }
    double* k = kernel.Samples;
    k[0] = y;
    kernel.FirstOffset = x;
    kernel.LastOffset = x;
    double sum = y;
    int p = 0;
    int centre = 0;
    // Sample nearest offset 0, the centre when no sample lies on it.
    int nearest = 0;
    double nearestOffset = x;
    bool cut = false;
    while (!in.Eof()) {
        const double x2 = in.Real();
        const double y2 = in.Real();
        in.NextLine();
        const long long parts = RoundEven((x2 - x) / gridStep);
        long long n = parts;
        if (n > kMaxKernelIndex - p) {  // no sample index past the kernel's end
            n = kMaxKernelIndex - p;
            cut = true;
        }
        const double rise = parts > 0 ? (y2 - y) / static_cast<double>(parts) : 0.0;
        double offset = x2;
        for (long long i = 1; i <= n; ++i) {
            ++p;
            k[p] = k[p - 1] + rise;
            sum += k[p];
            offset = x2 - static_cast<double>(parts - i) * gridStep;
            if (centre == 0 && offset > -kCentreTolerance && offset < kCentreTolerance) centre = p;
            if (std::fabs(offset) < std::fabs(nearestOffset)) {
                nearestOffset = offset;
                nearest = p;
            }
        }
        x = x2;
        y = y2;
        kernel.LastOffset = cut ? offset : x2;
        if (x2 > highCut || p >= kMaxKernelIndex) break;
    }
    if (cut) {
        LogLine("Slit function " + path + ": samples beyond kernel index " +
                IntText(kMaxKernelIndex) + " dropped; simulated values are not meaningful");
    }
    if (centre == 0 && std::fabs(nearestOffset) >= kCentreTolerance) {
        centre = nearest;
        LogLine(LogText()
                    .Text("Slit function ")
                    .Text(path)
                    .Text(": no sample at offset 0 on the grid step ")
                    .Fixed(gridStep, 6, 4)
                    .Text(" nm; the sample at offset ")
                    .Fixed(nearestOffset, 9, 5)
                    .Text(" nm is taken as centre"));
    }
    // The kernel in use is samples 0..2c; those past the last sample read are 0.
    const int used = std::min(2 * centre, kMaxKernelIndex);
    for (int j = p + 1; j <= used; ++j) k[j] = 0.0;
    kernel.Centre = centre;
    kernel.Sum = sum;
}

// Builds the kernel and fills SimulatedSpectrum from start to end (nm) at the
// output step; in final mode also writes <directory><output name>.
void SimulateSpectrum() {
    BuildSlitKernel(g_unit.Kernel,
                    {g_unit.Directory, g_unit.SlitChar, g_unit.SlitFileName, g_unit.Fwhm},
                    g_unit.GridStep);
    const bool final = g_unit.Mode == "final";
    if (!(g_unit.OutputStep > 0.0)) {
        LogLine(LogText()
                    .Text("Simulation output step ")
                    .Fixed(g_unit.OutputStep, 8, 4)
                    .Text(" nm is not positive; no simulated values"));
        if (final) CreateWithLines(g_unit.Directory + g_unit.OutputName, {});
        return;
    }
    TextOut out;
    if (final) out.Create(g_unit.Directory + g_unit.OutputName);
    const double topReach = kReferenceGridStart + kMaxGridIndex * g_unit.GridStep;
    const long long kernelLength = std::min(2LL * g_unit.Kernel.Centre, 1LL * kMaxKernelIndex);
    double firstBeyond = 0.0;
    bool beyond = false;
    double lambda = g_unit.Start;
    bool more = true;
    while (more) {
        // The next wavelengths of the walk start, start + step, ... (at most a
        // block), convolved together.
        double lambdas[kConvolveBlock];
        double values[kConvolveBlock];
        bool ends[kConvolveBlock];
        int count = 0;
        do {
            lambdas[count++] = lambda;
            lambda += g_unit.OutputStep;
            more = lambda <= g_unit.End + 0.0001;
        } while (more && count < kConvolveBlock);
        ConvolveSeveral(g_unit.Kernel, lambdas, count, g_unit.GridStep, values, ends);
        for (int n = 0; n < count; ++n) {
            const double at = lambdas[n];
            const double v = values[n];
            g_unit.EndOfGrid = ends[n];
            g_unit.LastValue = v;
            if (!beyond &&
                GridIndex(at + g_unit.Kernel.FirstOffset, g_unit.GridStep) + kernelLength >
                    kMaxGridIndex) {
                beyond = true;
                firstBeyond = at;
            }
            long long k = GridIndex(at, g_unit.OutputStep);
            if (final) out.Fixed(at, 6, 2).Text(" ").Fixed(v, 14, 8).EndLine();
            GridAt(Spectra.SimulatedSpectrum, k) = v;
        }
    }
    if (final) out.Close();
    if (beyond) {
        LogLine(LogText()
                    .Text("Simulation: the slit passes the end of the fine grid (")
                    .Fixed(topReach, 8, 2)
                    .Text(" nm) from ")
                    .Fixed(firstBeyond, 8, 2)
                    .Text(" nm on; values there are not meaningful"));
    }
}

}  // namespace

void BuildSlitKernel(SlitKernel& kernel, const SlitSpec& slit, double gridStep) {
    const std::string& directory = slit.Directory;
    const std::string& slitFile = slit.FileName;
    const double fwhm = slit.Fwhm;
    if (!(gridStep > 0.0)) {
        LogLine(LogText()
                    .Text("Slit kernel: grid step ")
                    .Fixed(gridStep, 8, 4)
                    .Text(" nm is not positive; the spectrum is taken without convolution"));
        SingleSampleKernel(kernel);
        return;
    }
    if (slit.SlitChar != '1') {
        BuildTriangle(kernel, fwhm, gridStep);
    } else {
        std::string path = directory + slitFile;
        if (!TextFileExists(path)) {
            BindMainLogIfAbsent(directory + kMainLogName);
            HaltWithErrorBlock("Error in Simulation routine",
                               "Unable to find slitfunction file:", "Error in Simulation routine",
                               "Unable to find slitfunction file:", path, "S2");
        }
        ReadSlitFunctionFile(kernel, path, fwhm, gridStep);
    }
    if (kernel.Sum == 0.0) {
        LogLine("Slit kernel sum is 0 (" +
                (slit.SlitChar == '1' ? directory + slitFile : "triangle") +
                "); simulated values are set to 0");
    }
}

namespace {

// Where the kernel meets the fine grid for one wavelength: first grid index
// i0, kernel samples jLow..jHigh that carry terms (grid points 1..40000 only).
struct ConvolutionSpan {
    long long I0 = 0, Last = 0, JLow = 0, JHigh = -1;
    bool OffGrid = false;  // i0 at or past the grid's end: value 0, "EOF"
};

ConvolutionSpan SpanAt(const SlitKernel& kernel, double wavelength, double gridStep) {
    ConvolutionSpan span;
    span.I0 = gridStep > 0.0 ? GridIndex(wavelength + kernel.FirstOffset, gridStep) : kMaxGridIndex;
    if (span.I0 >= kMaxGridIndex) {
        span.OffGrid = true;
        return span;
    }
    span.Last = std::min<long long>(2LL * kernel.Centre, kMaxKernelIndex);
    // Only grid points 1..40000 carry terms; each sample keeps its own grid point.
    if (span.I0 + span.Last >= 1) {
        span.JLow = std::max<long long>(0, 1 - span.I0);
        span.JHigh = std::min<long long>(span.Last, kMaxGridIndex - span.I0);
    }
    return span;
}

// One convolved value and whether the kernel reached past the fine grid's end.
struct Convolved {
    double Value;
    bool EndOfGrid;
};

// The sum's division by the kernel sum and the end-of-grid status.
Convolved FinishConvolution(const SlitKernel& kernel, const ConvolutionSpan& span,
                            double wavelength, double gridStep, double sum) {
    if (span.OffGrid) return {0.0, true};
    const double endWavelength =
        kReferenceGridStart + static_cast<double>(span.I0 + span.Last) * gridStep;
    const bool eof = wavelength + kernel.LastOffset - 0.0001 > endWavelength ||
                     span.I0 + span.Last > kMaxGridIndex;
    return {kernel.Sum != 0.0 ? sum / kernel.Sum : 0.0, eof};
}

double SpanSum(const SlitKernel& kernel, const ConvolutionSpan& span) {
    double sum = 0.0;
    if (span.JHigh < span.JLow) return sum;
    // Grid points i0 + jLow .. i0 + jHigh, all within 1..40000.
    const double* fine = Spectra.FineSpectrum + (span.I0 + span.JLow);
    const double* k = kernel.Samples + span.JLow;
    const long long n = span.JHigh - span.JLow;
    for (long long t = 0; t <= n; ++t) sum += k[t] * fine[t];
    return sum;
}

}  // namespace

double ConvolveAt(const SlitKernel& kernel, double wavelength, double gridStep, bool* endOfGrid) {
    const ConvolutionSpan span = SpanAt(kernel, wavelength, gridStep);
    const double sum = span.OffGrid ? 0.0 : SpanSum(kernel, span);
    const Convolved c = FinishConvolution(kernel, span, wavelength, gridStep, sum);
    if (endOfGrid != nullptr) *endOfGrid = c.EndOfGrid;
    return c.Value;
}

void ConvolveSeveral(const SlitKernel& kernel, const double* wavelengths, int count,
                     double gridStep, double* values, bool* endOfGrid) {
    count = std::clamp(count, 0, kConvolveBlock);
    ConvolutionSpan spans[kConvolveBlock];
    double sums[kConvolveBlock] = {};
    bool together = count == kConvolveBlock;
    for (int n = 0; n < count; ++n) {
        spans[n] = SpanAt(kernel, wavelengths[n], gridStep);
        together = together && !spans[n].OffGrid && spans[n].JLow == spans[0].JLow &&
                   spans[n].JHigh == spans[0].JHigh;
    }
    if (together && spans[0].JHigh >= spans[0].JLow) {
        // Eight independent sums keep the adder busy; each still adds its
        // terms in the order of ConvolveAt, so every value is the same.
        const long long jLow = spans[0].JLow;
        const double* f[kConvolveBlock];
        for (int n = 0; n < kConvolveBlock; ++n) f[n] = Spectra.FineSpectrum + (spans[n].I0 + jLow);
        const double* k = kernel.Samples + jLow;
        const long long last = spans[0].JHigh - jLow;
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
        for (long long j = 0; j <= last; ++j) {
            const double w = k[j];
            s0 += w * f[0][j];
            s1 += w * f[1][j];
            s2 += w * f[2][j];
            s3 += w * f[3][j];
            s4 += w * f[4][j];
            s5 += w * f[5][j];
            s6 += w * f[6][j];
            s7 += w * f[7][j];
        }
        const double all[kConvolveBlock] = {s0, s1, s2, s3, s4, s5, s6, s7};
        for (int n = 0; n < kConvolveBlock; ++n) sums[n] = all[n];
    } else {
        for (int n = 0; n < count; ++n)
            if (!spans[n].OffGrid) sums[n] = SpanSum(kernel, spans[n]);
    }
    for (int n = 0; n < count; ++n) {
        const Convolved c = FinishConvolution(kernel, spans[n], wavelengths[n], gridStep, sums[n]);
        values[n] = c.Value;
        endOfGrid[n] = c.EndOfGrid;
    }
}

void ResetSimulationUnit() {
    g_unit = SimulationUnit{};
}

void RunSimulation(const SlitSpec& slit, const SimulationRange& range,
                   const std::string& outputName) {
    if (g_unit.Mode != "final") g_unit.Mode = "not";
    g_unit.Directory = Cut(slit.Directory, 255);
    g_unit.OutputName = Cut(outputName, 40);
    g_unit.SlitFileName = Cut(slit.FileName, 40);
    g_unit.SlitChar = slit.SlitChar;
    g_unit.Start = range.Start;
    g_unit.End = range.End;
    g_unit.OutputStep = range.OutputStep;
    g_unit.GridStep = range.GridStep;
    g_unit.Fwhm = slit.Fwhm;
    SimulateSpectrum();
}

void RunFinalSimulation(const SlitSpec& slit, const SimulationRange& range,
                        const std::string& outputName) {
    g_unit.Mode = "final";
    RunSimulation(slit, range, outputName);
}

}  // namespace tarn
