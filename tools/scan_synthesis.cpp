#include "tools/scan_synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/main_flow.h"
#include "engine/ozone_fit.h"
#include "engine/program_state.h"
#include "engine/slit_simulation.h"
#include "engine/wavelength_shift.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn::synth {

namespace {

constexpr const char* kSettingsName = "ozonshi.dfa";
constexpr const char* kSlitName = "exa.sli";

// Settings file of the model runs: the example's settings with an output
// step of 0.01 nm, so that the simulated spectrum can be read at any shift.
void WriteModelSettings(const std::string& path, double latitude, double longitude) {
    AnalysisSettingsValues v{};
    const double margin = GridMarginFor(kSlitRangeFactor, kFwhm, kMaximumShift);
    v.SimulationName = "ozon_shi.exa";
    v.MaximumShift = kMaximumShift;
    v.HalfWidthPoints = 1;
    v.MeasurementCopyName = kMeasurementCopyName;
    v.ShiftResultName = kShiftResultName;
    v.ShiftCurveName = kShiftCurveName;
    v.Longitude = longitude;
    v.Latitude = latitude;
    v.EtFileName = "etsyn.et";
    v.SimSpectrumName = "ozonsim.hsp";
    v.O3CrossFileName = "o3syn.wgt";
    v.InstrumentId = "exa";
    v.GridLow = 285 - margin;
    v.GridHigh = 410 + margin;
    v.GridStep = 0.01;
    v.RangeStart = 290;
    v.RangeEnd = 400;
    v.RangeStep = 0.5;
    v.Fwhm = kFwhm;
    v.SlitChar = '1';
    v.SlitFileName = kSlitName;
    const double fit[4] = {0, 0.5, 0.01, 0.12};
    std::copy(fit, fit + 4, v.OzoneFitValues);
    v.StepCount = 1;
    v.Steps[1] = 0.01;
    v.GridMargin = margin;
    v.SlitRangeFactor = kSlitRangeFactor;
    v.FinalRangeLow = 289;
    v.FinalRangeHigh = 401;
    CreateWithLines(path, AnalysisSettingsLines(v, path));
}

double ShiftAt(double wavelength) {
    return kShiftAt290 + kShiftSlope * (wavelength - 290.0);
}

// Simulated spectrum (0.01-nm output step) at any wavelength, linearly interpolated.
double SimulatedAt(double wavelength) {
    double position = (wavelength - kReferenceGridStart) / 0.01;
    long long i = static_cast<long long>(std::floor(position));
    double t = position - static_cast<double>(i);
    return (1.0 - t) * GridValue(Spectra.SimulatedSpectrum, i) +
           t * GridValue(Spectra.SimulatedSpectrum, i + 1);
}

}  // namespace

double RandomStream::Uniform() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return (static_cast<double>(z >> 11) + 0.5) / 9007199254740992.0;  // (0, 1)
}

double RandomStream::Gaussian() {
    double u1 = Uniform(), u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string MakeScratchDirectory(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + ".XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch directory " + pattern);
    return pattern + "/";
}

void StartModelRuns(ModelRun& run, double latitude, double longitude, const std::string& slitPath) {
    WriteModelSettings(run.Directory + kSettingsName, latitude, longitude);
    std::filesystem::copy_file(slitPath, run.Directory + kSlitName,
                               std::filesystem::copy_options::overwrite_existing);
    ResetEngineState();
    ResetProgramState();
    ResetOzoneFit();
    ResetSimulationUnit();
    ResetShiftUnit();
    run.Loaded = false;
    Engine.SlitRangeFactor = kSlitRangeFactor;
    Engine.MainLogFile = run.Directory + kMainLogName;
    CreateWithLines(Engine.MainLogFile, {});
}

double RunModel(ModelRun& run, const std::string& name, double ozone) {
    CommandLine.ScanName = name;
    Analysis.MeasurementYear = run.Year;
    DayNumberToFileCode();
    const OzoneFitResult fit =
        RunOzoneSimulation({run.Directory, run.RefDataPath, kSettingsName, Scan.MeasurementFileCode,
                            305, 330, kFwhm, '1', ozone, run.Loaded ? ">1 no_fit" : "no_fit"});
    run.Loaded = true;
    return fit.ZenithAngle;
}

std::vector<std::string> ScanLines(const ScanPlan& plan, double earthSun, RandomStream* random) {
    std::vector<std::string> lines;
    for (int i = 0; i <= 220; ++i) {
        double wavelength = 290.0 + 0.5 * i;
        double model =
            0.001 * earthSun * plan.Cloud * SimulatedAt(wavelength + ShiftAt(wavelength));
        double value = model;
        if (random != nullptr) {
            value = model * (1.0 + kRelativeNoise * random->Gaussian()) +
                    kAbsoluteNoise * random->Gaussian();
        }
        for (int k = 0; k < 2; ++k)
            if (std::fabs(plan.SpikeAt[k] - wavelength) < 1e-9) value += plan.SpikeSize[k] * model;
        lines.push_back(Fixed(wavelength, 5, 1) + " " + Printf("%.4E", value));
    }
    return lines;
}

}  // namespace tarn::synth
