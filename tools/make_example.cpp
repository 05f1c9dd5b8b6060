// Generator of the synthetic example data set (examples/day): an
// extraterrestrial spectrum with Fraunhofer-like lines, ozone cross-sections
// with Huggins-like bands, a slit function, the defaults files and one day of
// scans made with the engine's own clear-sky model and slit simulation at a
// known ozone amount, with a known wavelength shift, noise and a few spikes.
//
//   make_example <output directory>
//
// Everything is computed from the formulas and constants below with a fixed
// seed, so a run reproduces the committed files byte for byte.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "tools/scan_synthesis.h"

namespace {

using namespace tarn;
using namespace tarn::synth;

// ---- True values of the example (documented in examples/README; the
// instrument, the wavelength shift and the noise in tools/scan_synthesis.h) ----
constexpr double kTrueOzoneDu = 330.0;
constexpr double kTrueOzone = kTrueOzoneDu / 3700.0;  // engine unit: 3700 x = DU
constexpr uint64_t kSeed = 20210622;

constexpr double kLatitude = 48.0;   // degrees north
constexpr double kLongitude = 11.0;  // degrees east
constexpr const char* kYear = "2021";
constexpr int kDay = 173;  // 22 June 2021

// Reference spectra: computed on 240..430 nm, written 250..420 nm.
constexpr double kWorkStart = 240.0;
constexpr int kWorkCells = 19001;  // 0.01 nm steps to 430 nm
constexpr double kFileStart = 250.0;
constexpr double kFileEnd = 420.0;

const ScanPlan kScans[] = {
    {"0500", 1.0, {0, 0}, {0, 0}},
    {"0630", 1.0, {0, 0}, {0, 0}},
    {"0800", 1.0, {0, 0}, {0, 0}},
    {"0900", 1.0, {340.5, 0}, {1.5, 0}},
    {"1000", 1.0, {0, 0}, {0, 0}},
    {"1100", 1.0, {0, 0}, {0, 0}},
    {"1130", 1.0, {0, 0}, {0, 0}},
    {"1230", 1.0, {0, 0}, {0, 0}},
    {"1330", 1.0, {362.0, 381.5}, {1.0, 0.8}},
    {"1500", 0.8, {0, 0}, {0, 0}},
    {"1630", 0.6, {297.5, 0}, {2.0, 0}},
    {"1800", 1.0, {0, 0}, {0, 0}},
};

// One stream of random numbers for the whole data set: the weak lines of the
// extraterrestrial spectrum first, then the noise of the scans.
RandomStream g_random(kSeed);

// ---- Small helpers ----
double WorkWavelength(int i) {
    return kWorkStart + 0.01 * i;
}

// Piecewise log-linear curve through (wavelength, value) anchors.
double LogLinear(const std::vector<std::pair<double, double>>& anchors, double wavelength) {
    if (wavelength <= anchors.front().first) return anchors.front().second;
    for (size_t k = 1; k < anchors.size(); ++k) {
        if (wavelength <= anchors[k].first) {
            const auto& a = anchors[k - 1];
            const auto& b = anchors[k];
            double t = (wavelength - a.first) / (b.first - a.first);
            return std::exp(std::log(a.second) + t * (std::log(b.second) - std::log(a.second)));
        }
    }
    return anchors.back().second;
}

// Gaussian smoothing (sigma in nm) of a 0.01-nm array, the ends held.
std::vector<double> Smooth(const std::vector<double>& in, double sigma) {
    int half = static_cast<int>(std::ceil(4 * sigma / 0.01));
    std::vector<double> weights(2 * half + 1);
    double total = 0;
    for (int j = -half; j <= half; ++j) {
        weights[j + half] = std::exp(-0.5 * std::pow(j * 0.01 / sigma, 2));
        total += weights[j + half];
    }
    int n = static_cast<int>(in.size());
    std::vector<double> out(n);
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int j = -half; j <= half; ++j)
            sum += weights[j + half] * in[std::clamp(i + j, 0, n - 1)];
        out[i] = sum / total;
    }
    return out;
}

double Logistic(double t) {
    return 1.0 / (1.0 + std::exp(-t));
}

// ---- Extraterrestrial spectrum (mW m-2 nm-1 at 1 AU, 0.01 nm) ----

// Upper envelope of the synthetic photosphere, before line absorption.
const std::vector<std::pair<double, double>> kContinuum = {
    {240, 70},   {250, 85},   {260, 160},  {270, 330},  {280, 360},  {290, 760},  {300, 860},
    {310, 1000}, {320, 1150}, {330, 1350}, {340, 1300}, {350, 1300}, {360, 1300}, {370, 1450},
    {380, 1380}, {390, 1420}, {400, 1950}, {410, 2000}, {420, 2000}, {430, 1950}};

struct StrongLine {
    double Centre;                // nm
    double CoreDepth, CoreWidth;  // optical depth, Gaussian sigma (nm)
    double WingDepth, WingWidth;  // optical depth, Lorentzian half width (nm)
};

// Strong lines at the wavelengths of well-known solar lines (Mg II, Mg I,
// Fe I, Ca II H and K, Al I, Balmer lines); strengths are made up.
const StrongLine kStrongLines[] = {
    {279.553, 3.0, 0.03, 1.2, 0.35}, {280.270, 3.0, 0.03, 1.0, 0.30},
    {285.213, 2.5, 0.02, 0.5, 0.10}, {344.061, 2.0, 0.02, 0.3, 0.05},
    {358.119, 2.2, 0.02, 0.3, 0.06}, {371.994, 2.2, 0.02, 0.3, 0.06},
    {373.486, 2.0, 0.02, 0.3, 0.05}, {374.556, 1.8, 0.02, 0.2, 0.05},
    {382.936, 2.0, 0.02, 0.3, 0.06}, {383.231, 2.2, 0.02, 0.4, 0.07},
    {383.829, 2.4, 0.02, 0.5, 0.08}, {385.991, 2.0, 0.02, 0.3, 0.05},
    {393.366, 3.0, 0.04, 1.6, 0.90}, {394.401, 1.8, 0.02, 0.3, 0.05},
    {396.152, 1.8, 0.02, 0.3, 0.05}, {396.847, 3.0, 0.04, 1.4, 0.80},
    {397.007, 0.8, 0.05, 0.3, 0.20}, {410.175, 1.0, 0.06, 0.5, 0.50},
};

std::vector<double> MakeExtraterrestrial() {
    std::vector<double> envelope(kWorkCells);
    for (int i = 0; i < kWorkCells; ++i) envelope[i] = LogLinear(kContinuum, WorkWavelength(i));
    envelope = Smooth(envelope, 2.0);

    std::vector<double> depth(kWorkCells, 0.0);  // total line optical depth
    // Weak lines: random positions, denser and deeper in the ultraviolet.
    double wavelength = kWorkStart;
    while (true) {
        double density = 22.0 - 10.0 * (wavelength - kWorkStart) / (430.0 - kWorkStart);  // per nm
        wavelength += -std::log(g_random.Uniform()) / density;
        if (wavelength >= 430.0) break;
        double d = 0.95 * std::pow(g_random.Uniform(), 2.0);
        double tau = -std::log(1.0 - d);
        double sigma = 0.006 + 0.03 * g_random.Uniform();
        int centre = static_cast<int>(std::lround((wavelength - kWorkStart) / 0.01));
        int half = static_cast<int>(std::ceil(5 * sigma / 0.01));
        for (int i = std::max(0, centre - half); i <= std::min(kWorkCells - 1, centre + half);
             ++i) {
            double dx = WorkWavelength(i) - wavelength;
            depth[i] += tau * std::exp(-0.5 * dx * dx / (sigma * sigma));
        }
    }
    for (const StrongLine& line : kStrongLines) {
        for (int i = 0; i < kWorkCells; ++i) {
            double dx = WorkWavelength(i) - line.Centre;
            if (std::fabs(dx) > 25.0) continue;
            depth[i] +=
                line.CoreDepth * std::exp(-0.5 * dx * dx / (line.CoreWidth * line.CoreWidth)) +
                line.WingDepth * line.WingWidth * line.WingWidth /
                    (dx * dx + line.WingWidth * line.WingWidth);
        }
    }
    std::vector<double> spectrum(kWorkCells);
    for (int i = 0; i < kWorkCells; ++i) {
        // Values as written in the file (two decimals), so that every later
        // product starts from what the engine reads.
        double value = envelope[i] * std::exp(-depth[i]);
        spectrum[i] = std::round(value * 100.0) / 100.0;
    }
    return spectrum;
}

// ---- Ozone cross-section (engine unit, 0.05 nm) ----

// Smooth Hartley-Huggins absorption (cm2 per molecule) through made-up anchors.
const std::vector<std::pair<double, double>> kCrossSection = {
    {240, 9.0e-18}, {250, 1.10e-17}, {255, 1.14e-17}, {260, 1.08e-17}, {270, 8.0e-18},
    {280, 3.9e-18}, {290, 1.3e-18},  {300, 3.4e-19},  {305, 1.8e-19},  {310, 8.8e-20},
    {315, 4.4e-20}, {320, 2.4e-20},  {325, 1.2e-20},  {330, 6.0e-21},  {335, 3.0e-21},
    {340, 1.6e-21}, {345, 8.0e-22},  {350, 4.0e-22},  {360, 9.0e-23},  {370, 2.5e-23},
    {380, 1.0e-23}, {390, 8.0e-24},  {400, 1.2e-23},  {410, 2.0e-23},  {420, 3.5e-23},
    {430, 5.0e-23}};

// Column of 1 DU in molecules per cm2, times 3700: x times the written value
// is an optical depth when 3700 x is the ozone column in DU.
constexpr double kMoleculesPerDu = 2.6867e16;
constexpr double kUnitFactor = kMoleculesPerDu * 3700.0;

std::vector<double> MakeCrossSection() {
    std::vector<double> smooth(kWorkCells);
    for (int i = 0; i < kWorkCells; ++i) smooth[i] = LogLinear(kCrossSection, WorkWavelength(i));
    smooth = Smooth(smooth, 1.5);
    // Huggins-like vibrational bands: period growing from 3.2 nm at 310 nm,
    // amplitude rising above 305 nm and fading above 350 nm.
    std::vector<double> values(kWorkCells);
    double phase = 0.0;
    for (int i = 0; i < kWorkCells; ++i) {
        double w = WorkWavelength(i);
        double period = 3.2 + 0.03 * (w - 310.0);
        phase += 0.01 / std::max(period, 1.0);
        double amplitude = 0.3 * Logistic((w - 307.0) / 3.0) * (1.0 - Logistic((w - 352.0) / 6.0));
        values[i] = smooth[i] * (1.0 + amplitude * std::cos(2.0 * M_PI * phase)) * kUnitFactor;
    }
    return values;
}

// ---- Writers ----

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    CreateWithLines(path, lines);
}

int FileCell(double wavelength) {
    return static_cast<int>(std::lround((wavelength - kWorkStart) / 0.01));
}

void WriteExtraterrestrial(const std::string& path, const std::vector<double>& et) {
    std::vector<std::string> lines;
    for (int i = FileCell(kFileStart); i <= FileCell(kFileEnd); ++i)
        lines.push_back(Fixed(WorkWavelength(i), 6, 2) + " " + Fixed(et[i], 1, 2));
    WriteLines(path, lines);
}

void WriteCrossSection(const std::string& path, const std::vector<double>& sigma) {
    std::vector<std::string> lines;
    for (int i = FileCell(kFileStart); i <= FileCell(kFileEnd); i += 5)
        lines.push_back(Fixed(WorkWavelength(i), 6, 2) + " " + Printf("%.5E", sigma[i]));
    WriteLines(path, lines);
}

// The extraterrestrial spectrum seen through a triangle of FWHM 1 nm, at
// whole nanometres, in W m-2 nm-1.
void WriteExtraterrestrial1nm(const std::string& path, const std::vector<double>& et) {
    std::vector<std::string> lines;
    for (int nm = static_cast<int>(kFileStart); nm <= static_cast<int>(kFileEnd); ++nm) {
        int centre = FileCell(nm);
        double sum = 0, weights = 0;
        for (int j = -100; j <= 100; ++j) {
            double w = 1.0 - std::abs(j) / 100.0;
            sum += w * et[centre + j];
            weights += w;
        }
        lines.push_back(IntText(nm) + " " + Printf("%.6E", 0.001 * sum / weights));
    }
    WriteLines(path, lines);
}

// Slit of the instrument: a slightly asymmetric flat-topped peak of FWHM
// 0.55 nm with weak wings, from -2 to +2 nm at 0.05 nm.
double SlitResponse(double offset) {
    double halfWidth = offset < 0 ? 0.265 : 0.285;
    double core = std::exp(-std::log(2.0) * std::pow(std::fabs(offset) / halfWidth, 2.6));
    double wing = 0.004 / (1.0 + std::pow(offset / 0.6, 2));
    return (core + wing) / 1.004;
}

void WriteSlitFile(const std::string& path) {
    std::vector<std::string> lines = {"! synthetic slit function of the example instrument"};
    for (int i = -40; i <= 40; ++i) {
        double offset = 0.05 * i;
        lines.push_back(Fixed(offset, 10, 4) + " " + Sci(SlitResponse(offset)));
    }
    WriteLines(path, lines);
}

void WriteInstrumentFile(const std::string& path) {
    WriteLines(path, {"ozonshi.dfa", "0", ".exa", "uvdata/", "290 400 0.5", "1", "1",
                      Fixed(kFwhm, 1, 2), "1"});
}

// The long defaults file, written by the engine's own writer: the built-in
// set (every group, five structure criteria, six selected windows, eight
// zenith rows: 93 lines) with the example's place, year, paths, file names
// and 95 shift windows.
void WriteLongDefaults(const std::string& out) {
    SetInternalDefaults();
    Analysis.Latitude = kLatitude;
    Analysis.Longitude = kLongitude;
    Analysis.MeasurementYear = kYear;
    Windows.Count = 95;
    Paths.MainPath = std::string("uvanalys") + kPathSeparator;
    Paths.EtFileName = "etsyn.et";
    Paths.O3CrossFileName = "o3syn.wgt";
    Paths.Et1nmFileName = "etsyn.1nm";
    CommandLine.IdSpecout = "i";
    std::string here = WorkingDirectory();
    if (chdir(out.c_str()) != 0) throw std::runtime_error("cannot enter " + out);
    WriteEffectiveDefaults();
    std::filesystem::rename(Paths.MainPath + "tarn_e.dfa", "tarn_exa.dfa");
    if (chdir(here.c_str()) != 0) throw std::runtime_error("cannot return to " + here);
}

int Generate(const std::string& out) {
    namespace fs = std::filesystem;
    fs::create_directories(out + "/uvanalys/etoz");
    fs::create_directories(out + "/uvdata/exa");
    std::string etoz = out + "/uvanalys/etoz/";

    std::vector<double> et = MakeExtraterrestrial();
    WriteExtraterrestrial(etoz + "etsyn.et", et);
    WriteExtraterrestrial1nm(etoz + "etsyn.1nm", et);
    WriteCrossSection(etoz + "o3syn.wgt", MakeCrossSection());
    WriteSlitFile(out + "/uvanalys/exa.sli");
    WriteInstrumentFile(out + "/uvanalys/exa.dfa");
    WriteLongDefaults(out);

    ModelRun run;
    run.Directory = MakeScratchDirectory("make_example");
    run.RefDataPath = etoz;
    run.Year = kYear;
    StartModelRuns(run, kLatitude, kLongitude, out + "/uvanalys/exa.sli");
    std::ostringstream console;
    SetConsole(&console);

    std::vector<std::string> names;
    for (const ScanPlan& plan : kScans) {
        std::string name = IntText(kDay) + plan.Time;
        double zenith = RunModel(run, name, kTrueOzone);
        WriteLines(out + "/uvdata/exa/" + name + ".exa",
                   ScanLines(plan, EarthSunDistanceFactor(static_cast<uint16_t>(kDay)), &g_random));
        std::cout << name << "  solar zenith angle " << Fixed(zenith, 6, 2) << " degrees\n";
        names.push_back(name);
    }
    SetConsole(nullptr);
    WriteLines(out + "/scans.txt", names);
    fs::remove_all(run.Directory);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_example <output directory>\n";
        return 2;
    }
    try {
        return Generate(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "make_example: " << error.what() << "\n";
        return 2;
    } catch (const tarn::EngineExit&) {
        std::cerr << "make_example: the engine halted\n";
        return 2;
    }
}
