// Synthetic scans of the example instrument made with the engine's own ozone
// stage: the clear-sky model of a known ozone amount at the scan's solar
// zenith angle, convolved with the instrument's slit, then read with a known
// wavelength shift, noise, a cloud factor and spikes.  The example generator
// (tools/make_example.cpp) and the ozone-fit accuracy benchmark
// (bench/ozone_accuracy.cpp) make their scans here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::synth {

// The example instrument.
constexpr double kFwhm = 0.55;         // nm, slit exa.sli
constexpr double kMaximumShift = 0.9;  // nm
constexpr double kSlitRangeFactor = 2.0;

// Wavelength shift and noise of every synthetic scan.
constexpr double kShiftAt290 = 0.05;       // nm
constexpr double kShiftSlope = 0.0004;     // nm per nm above 290 nm
constexpr double kRelativeNoise = 0.005;   // 1 sigma, of the irradiance
constexpr double kAbsoluteNoise = 1.0e-6;  // 1 sigma, W m-2 nm-1

// Deterministic random numbers (splitmix64, Box-Muller).
class RandomStream {
  public:
    explicit RandomStream(uint64_t seed) : m_state(seed) {}
    double Uniform();   // in (0, 1)
    double Gaussian();  // mean 0, sigma 1

  private:
    uint64_t m_state;
};

// `value` in the printf form `format` (one conversion of a double).
std::string Printf(const char* format, double value);

// A fresh directory /tmp/<prefix>.XXXXXX; the name ends in '/'.  Throws
// std::runtime_error when it cannot be made.
std::string MakeScratchDirectory(const std::string& prefix);

// The conditions of one scan.
struct ScanPlan {
    const char* Time;     // hhmm, UT
    double Cloud;         // wavelength-independent transmission
    double SpikeAt[2];    // nm (0: none)
    double SpikeSize[2];  // relative excess
};

// Runs of the ozone stage without a fit, in a scratch main path.
struct ModelRun {
    std::string Directory;    // scratch main path, ends in '/'
    std::string RefDataPath;  // holds etsyn.et and o3syn.wgt, ends in '/'
    std::string Year;         // of the scans' file codes
    bool Loaded = false;      // the reference spectra are on the fine grid
};

// Prepares model runs: writes <Directory>ozonshi.dfa (the example instrument
// at `latitude`, `longitude`, degrees, east positive; output step 0.01 nm so
// that the model can be read at any shift), copies the slit file `slitPath`
// there as exa.sli, sets the engine's records and the ozone stage's as at
// program start and binds the main log to <Directory>tarnpelo.log.
void StartModelRuns(ModelRun& run, double latitude, double longitude, const std::string& slitPath);

// Leaves the model of scan `name` (DDDhhmm) for the ozone amount `ozone`
// (3700 x = DU), slit-convolved, in mW m-2 nm-1 at 1 AU, in
// SimulatedSpectrum; returns the scan's solar zenith angle (degrees).
double RunModel(ModelRun& run, const std::string& name, double ozone);

// The lines of a scan (wavelength nm, irradiance W m-2 nm-1; 290-400 nm at
// 0.5 nm) from the model that RunModel left: the model at w + shift(w) times
// 0.001, `earthSun` and the cloud factor, with noise from `random` (none when
// it is null) and the plan's spikes.
std::vector<std::string> ScanLines(const ScanPlan& plan, double earthSun, RandomStream* random);

}  // namespace tarn::synth
