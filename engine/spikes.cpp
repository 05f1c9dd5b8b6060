#include "engine/spikes.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/median.h"
#include "engine/program_state.h"
#include "engine/usable_ratio.h"
#include "engine/wavelength_shift.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Model values of the current window in elements 1..n (element 0 unused).
double g_modelWindow[kSpectrumSize];

constexpr double kFirstDistance = 100000.0;  // nm, start of the nearest-to-reference search
constexpr double kTinyModelMedian = 1e-100;

enum class SpikeCase { Zeroed, ZeroIrradiance, Spike };

const char* StatusText(SpikeCase kind) {
    switch (kind) {
        case SpikeCase::Zeroed:
            return " ! Irradiance zeroed";
        case SpikeCase::ZeroIrradiance:
            return " ! Irradiance = 0";
        case SpikeCase::Spike:
            return " ! Irradiance spike corrected";
    }
    return "";
}

std::string SpikeFilePath(const std::string& namePart) {
    return ResultDirectory() + Paths.QaqcSubdir +
           SpikeFileName(DayPart(), namePart, CommandLine.IdMet);
}

// Creates a day's spike file with its four header lines unless it exists.
void CreateSpikeFileIfAbsent(const std::string& path, const std::string& secondLine,
                             const std::string& fourthLine) {
    if (TextFileExists(path)) return;
    TextOut out;
    out.Create(path);
    out.WriteLine(std::string("!") + kVersionBanner);
    out.Text(secondLine).Fixed(Analysis.SpikeCriterion, 10, 5).EndLine();
    out.Text("! range_number_of_measured_datapoints: ").Int(Analysis.SpikeHalfWindow, 10);
    out.EndLine();
    out.WriteLine(fourthLine);
    out.Close();
}

void AppendCorrectionBlockHead(const std::string& path) {
    TextOut out;
    out.Append(path);
    out.WriteLine();
    out.WriteLine(ScanLine());
    out.Text("criterium: ").Fixed(Analysis.SpikeCriterion, 10, 5);
    out.Text(Analysis.SpikeCorrectionOn ? "Spikes CORRECTED" : " NO spike correction applied");
    out.EndLine();
    out.Close();
}

// Last examined point: point N only when it lies below the upper limit (nm),
// else the last of the earlier points at or below it (at least point 1).
long LastExaminedPoint(long n, double upperLimit) {
    if (n < 1) return 0;
    const double* wl = Spectra.MeasuredWavelengths;
    if (wl[n] < upperLimit) return n;
    long g = n - 1;
    while (g > 1 && wl[g] > upperLimit) --g;
    return std::max(g, 1L);
}

double FineGridStep() {
    int level = std::clamp(StepTable.LevelCount, 0, kMaxStepLevels);
    return StepTable.Steps[level];
}

double ModelAt(double wavelength, double step) {
    return GridValue(Spectra.SimulatedSpectrum, GridIndex(wavelength, step));
}

// Median of the model values at the window's points lo..hi.
double ModelWindowMedian(long lo, long hi, double step) {
    for (long k = lo; k <= hi; ++k)
        g_modelWindow[k - lo + 1] = ModelAt(Spectra.MeasuredWavelengths[k], step);
    return get_mediaan(g_modelWindow, 1, hi - lo + 1);
}

// Raises the counters of one found point: level 1 and level 2 are reached when
// `a` or `b` (irradiances, W m-2 nm-1) is at or above the level.
void CountSpike(double a, double b) {
    double level1 = Qc.IrradianceLevels[1];
    double level2 = Qc.IrradianceLevels[2];
    if (!(a >= level1 || b >= level1)) return;
    bool corrected = Analysis.SpikeCorrectionOn;
    ++(corrected ? QcOut.CorrectedAboveLevel1 : QcOut.DetectedAboveLevel1);
    if (a >= level2 || b >= level2)
        ++(corrected ? QcOut.CorrectedAboveLevel2 : QcOut.DetectedAboveLevel2);
}

// Writes the row of a found point, counts it and, with spike correction on,
// replaces its irradiance.
void HandleSpike(long i, SpikeCase kind, double c, const std::string& correctionFile) {
    double& irradiance = Spectra.MeasuredIrradiances[i];
    double before = irradiance;
    if (Engine.Switches.Details_on_corrections) {
        TextOut out;
        out.Append(correctionFile);
        out.Fixed(Spectra.MeasuredWavelengths[i], 8, 2).Text(" ").Fixed(before, 14, 8).Text(" ");
        out.Fixed(c, 14, 8).Text(StatusText(kind)).EndLine();
        out.Close();
    }
    bool correct = Analysis.SpikeCorrectionOn;
    switch (kind) {
        case SpikeCase::Zeroed:
            if (correct) irradiance = 0.0;
            CountSpike(before, before * c);
            break;
        case SpikeCase::ZeroIrradiance: {
            double after = correct ? c : before;
            if (correct) irradiance = c;
            CountSpike(after, after);
            break;
        }
        case SpikeCase::Spike:
            if (correct) irradiance = before * c;
            CountSpike(before, before * c);
            break;
    }
}

const char* IrradianceLevelLabel(double median) {
    if (median >= Qc.IrradianceLevels[2]) return "NOT_EXTREME";
    if (median < Qc.IrradianceLevels[1]) return "VERY_LOW_IRR";
    return "LOW_IRRADIANCE";
}

void AppendSummaryRow(const std::string& summaryFile) {
    TextOut out;
    out.Append(summaryFile);
    out.Text(CommandLine.ScanName + Instrument.MeasurementExtension + " ");
    out.Fixed(Scan.SolarZenithAngle, 7, 2).Text(" ");
    out.Int(QcOut.DetectedAboveLevel2 + QcOut.CorrectedAboveLevel2, 5).Text(" ");
    out.Sci(Qc.IrradianceLevels[2]).Text("    ");
    out.Int(QcOut.DetectedAboveLevel1 + QcOut.CorrectedAboveLevel1, 5).Text("  ");
    out.Sci(Qc.IrradianceLevels[1]);
    out.Text(Analysis.SpikeCorrectionOn ? " SPIKES CORRECTED " : " SPIKES NOT_CORRECTED ");
    out.Fixed(QcOut.MedianIrradianceAtReference, 14, 8).EndLine();
    out.Close();
}

}  // namespace

// Tests each point up to the upper limit (Instrument.RangeEnd, nm) by its
// running median against the model's (SimulatedSpectrum); corrects with
// spike_cor.  Writes <result dir><qaqc>DDD<SPQ>.<id> and DDD<SPD>.<id>; sets
// the spike counters, the median at the reference wavelength (W m-2 nm-1) and
// the irradiance-level label.  Windows under 3 points halt in get_mediaan.
void DetectSpikes() {
    QcOut.DetectedAboveLevel1 = QcOut.DetectedAboveLevel2 = 0;
    QcOut.CorrectedAboveLevel1 = QcOut.CorrectedAboveLevel2 = 0;

    const std::string summaryFile = SpikeFilePath(Paths.SpikeSummaryName);
    const std::string correctionFile = SpikeFilePath(Paths.SpikeCorrectionName);
    if (Engine.Switches.Main_spikes_only) {
        CreateSpikeFileIfAbsent(
            summaryFile, "! files with spike detection; criterium rel. deviation; ",
            "! spectrum sza number_of_spikes at_irradiance_level   correction_id     "
            "median_irradiance_310nm");
    }
    if (Engine.Switches.Details_on_corrections) {
        CreateSpikeFileIfAbsent(correctionFile, "! spike correction; criterium rel. deviation; ",
                                "! meas.wavelength measured_irradiance correction");
        AppendCorrectionBlockHead(correctionFile);
    }

    const long last = LastExaminedPoint(StoredPointCount("Spike detection"), Instrument.RangeEnd);
    const long h = Analysis.SpikeHalfWindow;
    const double criterion = Analysis.SpikeCriterion;
    const double step = FineGridStep();
    const double* wl = Spectra.MeasuredWavelengths;
    double nearest = kFirstDistance;
    for (long i = 1; i <= last; ++i) {
        // With h >= 0 the window stays within 1..last; with h < 1 or fewer
        // than 3 points it holds fewer than 3 points and get_mediaan halts
        // before it reads anything.
        long lo = i < h + 1 ? 1 : i - h;
        long hi = i > last - h ? last : i + h;
        double m = get_mediaan(Spectra.MeasuredIrradiances, lo, hi);
        double d = std::fabs(wl[i] - Analysis.ReferenceWavelength);
        if (d < nearest) {
            nearest = d;
            QcOut.MedianIrradianceAtReference = m;
        }
        // A median that the irradiance cannot be divided by counts as 0, and
        // a ratio s that r cannot be divided by as an irradiance of 0.
        const std::optional<double> ratio =
            m > 0.0 ? UsableRatio(Spectra.MeasuredIrradiances[i], m) : std::nullopt;
        if (!ratio) {
            HandleSpike(i, SpikeCase::Zeroed, 0.0, correctionFile);
            continue;
        }
        double s = *ratio;
        double modelMedian = ModelWindowMedian(lo, hi, step);
        double r = modelMedian < kTinyModelMedian ? 1.0 : ModelAt(wl[i], step) / modelMedian;
        if (!(s > criterion * r || s < r / criterion)) continue;
        const std::optional<double> factor = s != 0.0 ? UsableRatio(r, s) : std::nullopt;
        if (!factor) {
            HandleSpike(i, SpikeCase::ZeroIrradiance, r * m, correctionFile);
        } else {
            HandleSpike(i, SpikeCase::Spike, *factor, correctionFile);
        }
    }

    QcOut.IrradianceLevel = IrradianceLevelLabel(QcOut.MedianIrradianceAtReference);
    if (QcOut.DetectedAboveLevel1 + QcOut.CorrectedAboveLevel1 > 0 &&
        Engine.Switches.Main_spikes_only) {
        AppendSummaryRow(summaryFile);
    }
}

}  // namespace tarn
