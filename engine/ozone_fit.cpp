#include "engine/ozone_fit.h"

#include <algorithm>
#include <cmath>

#include "engine/date_arithmetic.h"
#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/slit_simulation.h"
#include "engine/solar_position.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

OzoneFitState OzoneFit;

namespace {

constexpr double kEarthRadius = 6370.0;  // km
constexpr double kGoldenFraction = 0.381966;
constexpr double kBrentAbsoluteTolerance = 1e-10;
constexpr int kBrentMaxIterations = 10;
constexpr double kModelZenithLimit = 89.0;  // degrees
constexpr const char* kTraceName = "ozsimlog.log";
constexpr const char* kLayerFileName = "ozsimuY.dfa";
constexpr const char* kModuleLine = "Error in OzSimu routine";
constexpr const char* kFileCodeFault =
    "Error occurred in OzSimu in filename to time-date conversion";

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Characters first..first+count-1 (0-based) of `text`, fewer at its end.
std::string Part(const std::string& text, size_t first, size_t count) {
    return first < text.size() ? text.substr(first, count) : std::string();
}

// Logs once per run that a wavelength range (nm) reaches past the fine grid
// 250 nm .. 250 + 40000 x step; the loops then leave those cells out.
void CheckGridRange(double low, double high, double step) {
    if (OzoneFit.RangeWarningLogged) return;
    if (low >= kReferenceGridStart && GridIndex(high, step) <= kMaxGridIndex) return;
    OzoneFit.RangeWarningLogged = true;
    LogLine(LogText()
                .Text("OzSimu: wavelengths ")
                .Fixed(low, 8, 3)
                .Text(" to ")
                .Fixed(high, 8, 3)
                .Text(" nm reach outside the fine grid ")
                .Fixed(kReferenceGridStart, 8, 3)
                .Text(" to ")
                .Fixed(kReferenceGridStart + kMaxGridIndex * step, 8, 3)
                .Text(" nm; cells outside it are left out"));
}

// Sets cells from..to (both included, clamped to the grid) to `value`.
void FillCells(double (&grid)[kSpectrumSize], long long from, long long to, double value) {
    long long first = std::max(from, 0LL);
    long long last = std::min(to, static_cast<long long>(kMaxGridIndex));
    for (long long i = first; i <= last; ++i) grid[i] = value;
}

// Fills cells cell+1..k by adding `slope` to `start` once per cell.
void InterpolateCells(double (&grid)[kSpectrumSize], long long cell, long long k, double start,
                      double slope) {
    long long first = cell + 1;
    double value = start;
    if (first < 0) {  // cells below the grid are passed over
        value += slope * static_cast<double>(-first);
        first = 0;
    }
    long long last = std::min(k, static_cast<long long>(kMaxGridIndex));
    for (long long i = first; i <= last; ++i) {
        value += slope;
        grid[i] = value;
    }
}

// A reference file read point by point with one point of look-ahead, so that
// "the file has ended" means that no further point follows (trailing empty
// lines hold no point).
struct ReferenceReader {
    TextIn File;
    double Offset;  // nm, added to every wavelength
    bool HasNext;
    double NextWavelength, NextValue;
};

void ReadAhead(ReferenceReader& r) {
    double wavelength = r.File.Real();
    if (r.File.Eof()) {  // nothing but blanks was left, or a line without a value
        r.HasNext = false;
        return;
    }
    double value = r.File.Real();
    r.File.NextLine();
    r.NextWavelength = wavelength + r.Offset;
    r.NextValue = value;
    r.HasNext = true;
}

bool NextPoint(ReferenceReader& r, double& wavelength, double& value) {
    if (!r.HasNext) return false;
    wavelength = r.NextWavelength;
    value = r.NextValue;
    ReadAhead(r);
    return true;
}

// Reads one reference spectrum onto `grid` over grid low - GridMargin .. grid
// high + GridMargin.  Above the last point the grid holds the last value
// (holdLast) or 0.
void LoadReferenceFile(const std::string& path, double offset, double (&grid)[kSpectrumSize],
                       bool holdLast) {
    const OzoneFitState& s = OzoneFit;
    const double step = s.GridStep;
    const double low = s.GridLow - s.GridMargin;
    const double high = s.GridHigh + s.GridMargin;
    CheckGridRange(low, high, step);

    ReferenceReader r;
    r.File.OpenOrThrow(path);
    r.Offset = offset;
    ReadAhead(r);
    double wavelength = 0.0, value = 0.0;
    if (!NextPoint(r, wavelength, value)) {
        LogLine("OzSimu: no data in " + path);
        return;
    }
    while (wavelength < kReferenceGridStart && r.HasNext) NextPoint(r, wavelength, value);

    long long cell = GridIndex(wavelength, step);
    if (wavelength > low) FillCells(grid, GridIndex(low, step), cell, value);

    double sum = 0.0, last = 0.0;
    long count = 0;
    while (true) {
        sum += value;
        ++count;
        last = value;
        if (!r.HasNext) {  // the first point in range is the file's last
            GridAt(grid, cell) = sum / count;
            break;
        }
        NextPoint(r, wavelength, value);
        long long k = GridIndex(wavelength, step);
        bool ended = !r.HasNext;
        if (k <= cell && !ended) {
            cell = k;
            continue;
        }
        if (k > cell) {
            GridAt(grid, cell) = sum / count;
            // The cell distance is taken as a real: for a wavelength far off the
            // grid (cell indexes near the integer limits) k - cell would overflow.
            const double cells = static_cast<double>(k) - static_cast<double>(cell);
            if (k > cell + 1) InterpolateCells(grid, cell, k, last, (value - last) / cells);
            cell = k;
            // The file's last point, alone in its cell, keeps its value.
            if (ended) GridAt(grid, cell) = value;
        } else {
            GridAt(grid, cell) = (sum + value) / (count + 1);
        }
        if (wavelength > high || ended) break;
        sum = 0.0;
        count = 0;
    }
    if (high > wavelength) {
        FillCells(grid, GridIndex(wavelength, step), GridIndex(high, step), holdLast ? value : 0.0);
    }
    r.File.Close();
}

// Fatal error block of the stage; the log goes to `logPath` when that file is
// absent (it is then created and bound as the main log).
[[noreturn]] void Halt(const std::string& logPath, const std::string& what, const std::string& path,
                       const std::string& code) {
    BindMainLogIfAbsent(logPath);
    HaltWithErrorBlock(kModuleLine, what, kModuleLine, what, path, code);
}

// The finest shift step: step n of line 21, or the finest step in use when
// line 20 gave no usable count; the grid step when no step is positive.
double ChooseOutputStep(int stepCount) {
    int level = stepCount;
    if (level < 1) level = std::clamp(StepTable.LevelCount, 1, 7);
    double step = StepTable.Steps[level];
    if (step > 0.0) return step;
    LogLine(LogText()
                .Text("OzSimu: shift step ")
                .Int(level)
                .Text(" is not positive; the grid step ")
                .Fixed(OzoneFit.GridStep, 6, 3)
                .Text(" nm is used as output step"));
    return OzoneFit.GridStep;
}

void ReadOzoneLayerFile() {
    OzoneFitState& s = OzoneFit;
    std::string path = s.MainPath + kLayerFileName;
    if (!TextFileExists(path)) {
        s.PressureFractionAbove = 0.05;
        s.FractionInLayer = 0.00001;
        s.LayerHeight = 25.0;
        return;
    }
    TextIn file;
    file.OpenOrThrow(path);
    s.PressureFractionAbove = file.Real();
    s.FractionInLayer = file.Real();
    file.NextLine();
    s.LayerHeight = file.Real();
    file.Close();
}

void Trace(const std::string& line) {
    AppendLines(OzoneFit.MainPath + kTraceName, {line});
}

// Appends "<lead><i> <u> <fu>" to the trace file and, when `q` is given, q.
void TracePoint(const char* lead, int i, double u, double fu, const double* q = nullptr) {
    TextOut out;
    out.Append(OzoneFit.MainPath + kTraceName);
    out.Text(lead).Int(i).Text(" ").Fixed(u, 8, 3).Text(" ").Fixed(fu, 10, 6);
    if (q != nullptr) out.Text(" ").Sci(*q);
    out.EndLine();
    out.Close();
}

// The main-log line of the result.
FileText ResultLine() {
    const OzoneFitState& s = OzoneFit;
    FileText line = LogText();
    line.Int(s.Year, 4).Text(" ").Int(s.Month, 2).Text(" ").Int(s.Day, 2).Text(" ");
    line.Int(s.Hour, 2).Text(" ").Int(s.Minute, 2).Text("  ");
    line.Fixed(s.ZenithAngle, 6, 2).Text(" ").Fixed(s.ModelZenithAngle, 6, 2).Text(" ");
    line.Fixed(s.Dobson, 6, 2).Text(" ").Fixed(s.Ozone, 7, 4).Text(" ").Fixed(s.Shift, 5, 3);
    line.Text(" ").Fixed(s.Uncertainty, 5, 3).Text("  ").Fixed(s.ErrorRatio, 8, 5);
    line.Text(" " + s.Status);
    return line;
}

// Parses two characters of the file code; on failure logs the conversion
// message with `label` and returns false.
bool FileCodeField(size_t first, const char* label, uint16_t& part) {
    long value = 0;
    bool ok = ParseInt(Part(OzoneFit.FileCode, first, 2), value);
    part = static_cast<uint16_t>(value);
    if (!ok) LogLine(kFileCodeFault + (label + OzoneFit.FileCode) + " MMDDhhmmYYYY");
    return ok;
}

// Terms of the clear-sky model that depend only on the zenith angle and the
// ozone-layer height; kept between calls, as the model runs cell by cell.
struct GeometryTerms {
    double Theta = -1.0, Height = -1.0;  // degrees, km: the arguments they belong to
    double Mu, AirMass, F, Slant;
};

GeometryTerms g_geometry;

const GeometryTerms& Geometry(double theta, double height) {
    GeometryTerms& g = g_geometry;
    if (g.Theta == theta && g.Height == height) return g;
    g.Theta = theta;
    g.Height = height;
    g.Mu = std::cos(kPi * theta / 180.0);
    g.AirMass = 35.0 / std::sqrt(1224.0 * g.Mu * g.Mu + 1.0);
    g.F = 0.08 * theta / 180.0 + 0.92 * (180.0 - theta) / 180.0;
    // Slant-path factor of a thin ozone layer at the height over a spherical Earth.
    g.Slant = (1.0 + height / kEarthRadius) / std::sqrt(g.Mu * g.Mu + 2.0 * height / kEarthRadius);
    return g;
}

// Terms of the clear-sky model at one wavelength that do not depend on the
// ozone amount: Rayleigh and aerosol transmissions and the diffuse parts.
struct WavelengthTerms {
    double Diffuse, A2, U, UpperFactor;
};

WavelengthTerms TermsAt(double lambda, const GeometryTerms& g, const OzoneFitState& s) {
    // Rayleigh and aerosol (Angstrom) optical depths and their direct transmissions.
    double tauR = 0.008735 * std::pow(lambda / 1000.0, -4.08);
    double tR = std::exp(-tauR * g.AirMass);
    double tauA = 0.2 * std::pow(lambda / 320.0, -1.3);
    double tA = std::exp(-tauA * g.AirMass);
    double tA2 = std::exp(-2.0 * tauA);
    double twoRayleigh = std::exp(-2.0 * tauR);
    double r2 = twoRayleigh + 0.5 * (1.0 - twoRayleigh);
    WavelengthTerms t;
    t.Diffuse = tR * tA + 0.5 * (1.0 - tR) * tA2 + 0.8 * g.F * (1.0 - tA) * tR;
    t.A2 = (0.5 * (1.0 - tA2) + tA2) * r2;
    t.U = tauR * g.Slant * s.FractionInLayer;
    t.UpperFactor = 1.0 - std::exp(-s.PressureFractionAbove * tauR * g.AirMass);
    return t;
}

// Model irradiance from the extraterrestrial value e and cross-section sigma
// of the cell, the ozone amount x and the cell's ozone-free terms.
double ModelAt(double e, double sigma, double x, const WavelengthTerms& t, const GeometryTerms& g) {
    double z = 0.5 * e * g.Mu * std::exp(-2.0 * sigma * x);
    double u = t.U;
    double v = sigma * x * (g.Slant - 2.0);
    double uv = u + v;
    // (1 - exp(-w)) / w tends to 1 as w -> 0.
    double layer = std::fabs(uv) < 1e-12 ? z * t.A2 * u : z * t.A2 * u * (1.0 - std::exp(-uv)) / uv;
    double upper = z * t.UpperFactor;
    double ozoneDepth = sigma * x * g.Slant;
    double transmission = ozoneDepth >= 100.0 ? std::exp(-100.0) : std::exp(-ozoneDepth);
    return e * t.Diffuse * g.Mu * transmission + upper + layer;
}

// The ozone-free terms of the cells of one model range, kept while the range,
// the geometry and the layer parameters stay: the fit evaluates the model
// over the same range about a dozen times per scan, and the walk over the
// range (wavelengths and cells) is then the same every time.
constexpr int kTermCacheCells = 8192;

struct TermCache {
    bool Valid = false;
    double Start = 0.0, End = 0.0, Step = 0.0;  // nm, the walk
    double Theta = 0.0, Height = 0.0, Fraction = 0.0, Pressure = 0.0;
    int Count = 0;                           // cells visited by the walk
    WavelengthTerms Terms[kTermCacheCells];  // in the order the walk visits the cells
};

TermCache g_terms;

bool SameTermRange(const TermCache& c, double start, double end, const OzoneFitState& s) {
    return c.Valid && c.Start == start && c.End == end && c.Step == s.GridStep &&
           c.Theta == s.ModelZenithAngle && c.Height == s.LayerHeight &&
           c.Fraction == s.FractionInLayer && c.Pressure == s.PressureFractionAbove;
}

}  // namespace

void ResetOzoneFit() {
    OzoneFit = OzoneFitState{};
    g_geometry = GeometryTerms{};
    g_terms.Valid = false;
}

OzoneFitResult RunOzoneSimulation(const OzoneFitRequest& request) {
    OzoneFitState& s = OzoneFit;
    const std::string& option = request.Option;
    s.MainPath = request.MainPath;
    s.RefDataPath = request.RefDataPath;
    s.SettingsFile = request.SettingsFile;
    s.FileCode = request.FileCode;
    s.FitLow = request.FitLow;
    s.FitHigh = request.FitHigh;
    s.Fwhm = request.Fwhm;
    s.SlitChar = request.SlitChar;
    s.EtFileName = "decsusim.hsp";
    s.SecondSimName = "ozonsim.hsp";
    s.SimOutputName = "ozon_shi.sxc";

    ReadOzoneDefaults();
    if (!Contains(option, ">1")) {
        LogLines({"Read Extra Terrestrial Spectrum: " + s.RefDataPath + s.EtFileName,
                  "Ozone X-section: " + s.RefDataPath + s.CrossSectionFileName});
        LoadSolarAndOzoneTables();
    }
    (void)FileCodeToZenithAngle();  // a failed check is logged and keeps the angle
    s.ModelZenithAngle = s.ZenithAngle >= kModelZenithLimit ? kModelZenithLimit : s.ZenithAngle;

    s.ModelLow = s.FitLow;
    s.ModelHigh = s.FitHigh;
    double x = request.GivenOzone;
    if (!Contains(option, "no_fit")) {
        const BrentMinimum fit =
            BrentMinimise({s.FitBracketA, s.FitStartValue, s.FitBracketB, s.FitTolerance});
        x = fit.X;
        s.ErrorRatio = fit.Cost;
        LogLine(LogText().Text(" Net na Brent ").Sci(s.ErrorRatio).Text(" ").Sci(x));
    }
    s.Ozone = x;
    s.Dobson = kDobsonUnitsPerAmount * x;
    LogLine(ResultLine());
    // A fit that found no significant structure is not trusted above 0.15.
    if (Contains(s.Status, "NOT_SIGNIFICANT") && x > 0.15) x = 0.1;
    s.Ozone = x;
    TextOut log;
    log.Append(Engine.MainLogFile);
    log.Text("ozsimuY parameters; fraction pressure above ozonelayer: ");
    log.Fixed(s.PressureFractionAbove, 6, 4).EndLine();
    log.Text("ozsimuY parameters; fraction in ozonelayer:         ");
    log.Fixed(s.FractionInLayer, 6, 4).EndLine();
    log.Close();

    const OzoneFitResult result{s.Shift, s.Uncertainty, s.ErrorRatio, x, s.ZenithAngle};

    s.ModelLow = s.GridLow;
    s.ModelHigh = s.GridHigh;
    ComputeModelSpectrum(x);
    RunSimulation({s.MainPath, s.SlitChar, s.SlitFileName, s.Fwhm},
                  {s.FinalSimulationRange[0] - s.MaximumShift,
                   s.FinalSimulationRange[1] + s.MaximumShift, s.OutputStep, s.GridStep},
                  s.SimOutputName);
    return result;
}

void ReadOzoneDefaults() {
    OzoneFitState& s = OzoneFit;
    std::string path = s.MainPath + s.SettingsFile;
    if (!TextFileExists(path))
        Halt(s.MainPath + kMainLogName, "Unable to find Default file:", path, "O3");

    TextIn file;
    file.OpenOrThrow(path);
    AnalysisSettingsValues v{};
    OzoneSettingsLines found{};
    ReadOzoneSettings(file, v, found);
    file.Close();
    s.MaximumShift = v.MaximumShift;
    s.Longitude = v.Longitude;
    s.Latitude = v.Latitude;
    s.EtOffset = v.EtShift;
    s.CrossSectionOffset = v.O3Shift;
    s.EtFileName = v.EtFileName;
    s.SecondSimName = v.SimSpectrumName;
    s.SimOutputName = v.SimulationName;
    s.CrossSectionFileName = v.O3CrossFileName;
    s.GridLow = v.GridLow;
    s.GridHigh = v.GridHigh;
    s.GridStep = v.GridStep;
    if (!(s.GridStep > 0.0)) {
        throw RunTimeError("read grid step from", path, kSettingsModelGrid,
                           "grid step " + Sci(s.GridStep) + " is not positive");
    }
    s.SlitChar = v.SlitChar;
    s.SlitFileName = Cut(v.SlitFileName, 40);
    if (found.FitValues) {
        s.FitBracketA = v.OzoneFitValues[0];
        s.FitBracketB = v.OzoneFitValues[1];
        s.FitTolerance = v.OzoneFitValues[2];
        s.FitStartValue = v.OzoneFitValues[3];
    }
    int stepCount = 0;
    if (found.StepsRead) {
        stepCount = static_cast<int>(v.StepCount);
        std::copy(v.Steps + 1, v.Steps + 1 + stepCount, StepTable.Steps + 1);
    } else if (found.StepGroup) {
        LogLine("OzSimu: shift step count " + IntText(v.StepCount) + " on line " +
                IntText(kSettingsStepCount) + " of " + path +
                " outside 1..7; the step sizes in force are kept");
    }
    if (found.StepGroup) {
        s.GridMargin = v.GridMargin;
        Engine.SlitRangeFactor = v.SlitRangeFactor;
    }
    s.FinalSimulationRange[0] = found.FinalRange ? v.FinalRangeLow : 293.0;
    s.FinalSimulationRange[1] = found.FinalRange ? v.FinalRangeHigh : 399.0;
    for (int i = 0; i < 4; ++i)
        s.TimeCorrection[i] = found.TimeCorrection ? static_cast<int32_t>(v.TimeCorrection[i]) : 0;
    s.OutputStep = ChooseOutputStep(stepCount);
    ReadOzoneLayerFile();
}

void LoadSolarAndOzoneTables() {
    OzoneFitState& s = OzoneFit;
    std::string etPath = s.RefDataPath + s.EtFileName;
    if (!TextFileExists(etPath)) {
        Halt(s.MainPath + kMainLogName, "Unable to find Extra Terrestrial spectrum:", etPath, "O1");
    }
    LoadReferenceFile(etPath, s.EtOffset, Spectra.ExtraterrestrialGrid, true);
    std::string o3Path = s.RefDataPath + s.CrossSectionFileName;
    if (!TextFileExists(o3Path))
        Halt("compar.log", "Unable to find Ozone Crossections:", o3Path, "O2");
    LoadReferenceFile(o3Path, s.CrossSectionOffset, Spectra.OzoneCrossSectionGrid, false);
}

DateCheck FileCodeToZenithAngle() {
    OzoneFitState& s = OzoneFit;
    long year = 0;
    (void)ParseInt(Part(s.FileCode, 8, 4), year);  // a bad year shows in the date check
    s.Year = static_cast<uint16_t>(year);
    const DateCheck fault{0, kFileCodeFault};
    if (!FileCodeField(0, " month code ", s.Month)) return fault;
    if (!FileCodeField(2, " day code ", s.Day)) return fault;
    if (!FileCodeField(4, " hour code ", s.Hour)) return fault;
    (void)FileCodeField(6, " minute code ", s.Minute);  // logged; the check goes on
    s.Second = 0;

    const int32_t* c = s.TimeCorrection;
    const DateTimeParts t = AddTimeOffset({s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second},
                                          {c[0], c[1], c[2], c[3]});
    auto u16 = [](int32_t v) { return static_cast<uint16_t>(v); };
    const SolarPosition sun = CheckDateAndSolarPosition(
        {u16(t.Year), u16(t.Month), u16(t.Day), u16(t.Hour), u16(t.Minute), u16(t.Second)},
        s.Longitude, s.Latitude);
    if (sun.ErrorCode == 0) {
        s.Azimuth = sun.Azimuth;
        s.ZenithAngle = sun.ZenithAngle;
    } else {
        LogLine(LogText()
                    .Text("OzSimu: date and place check of ")
                    .Text(s.FileCode)
                    .Text(" failed: ")
                    .Text(sun.Message)
                    .Text("the solar zenith angle stays ")
                    .Fixed(s.ZenithAngle, 8, 3)
                    .Text(" degrees"));
    }
    ConsoleLine("Solar Zenith Angle: " + Fixed(s.ZenithAngle, 8, 3) + " degrees.dec");
    return {sun.ErrorCode, sun.Message};
}

void ClearSkyIrradiance(double x) {
    OzoneFitState& s = OzoneFit;
    const GeometryTerms& g = Geometry(s.ModelZenithAngle, s.LayerHeight);
    s.CurrentValue =
        ModelAt(s.CurrentValue, s.CurrentCrossSection, x, TermsAt(s.CurrentWavelength, g, s), g);
}

void ComputeModelSpectrum(double x) {
    OzoneFitState& s = OzoneFit;
    const double step = s.GridStep;
    const double end = s.ModelHigh + s.GridMargin;
    double lambda = s.ModelLow - s.GridMargin;
    CheckGridRange(lambda, end, step);
    const GeometryTerms& g = Geometry(s.ModelZenithAngle, s.LayerHeight);
    TermCache& cache = g_terms;
    const bool reuse = SameTermRange(cache, lambda, end, s);
    // A new range is kept when its walk fits the cache (the fit window does).
    const bool keep = !reuse && (end - lambda) / step + 2.0 < kTermCacheCells;
    if (keep) {
        cache.Valid = false;
        cache.Start = lambda;
        cache.End = end;
        cache.Step = step;
        cache.Theta = s.ModelZenithAngle;
        cache.Height = s.LayerHeight;
        cache.Fraction = s.FractionInLayer;
        cache.Pressure = s.PressureFractionAbove;
    }
    int visit = 0;
    do {
        long long i = GridIndex(lambda, step);
        if (i > kMaxGridIndex) break;
        if (i < 0) {  // below 250 nm: go on at the grid's first cell
            lambda += step * static_cast<double>(-i);
            continue;
        }
        s.CurrentIndex = i;
        s.CurrentWavelength = lambda;
        s.CurrentCrossSection = Spectra.OzoneCrossSectionGrid[i];
        WavelengthTerms terms;
        if (reuse && visit < cache.Count) {
            terms = cache.Terms[visit];
        } else {
            terms = TermsAt(lambda, g, s);
            if (keep && visit < kTermCacheCells) cache.Terms[visit] = terms;
        }
        ++visit;
        s.CurrentValue =
            ModelAt(Spectra.ExtraterrestrialGrid[i], s.CurrentCrossSection, x, terms, g);
        Spectra.FineSpectrum[i] = s.CurrentValue;
        lambda += step;
    } while (lambda < end);
    if (keep && visit <= kTermCacheCells) {  // a longer walk is not kept
        cache.Count = visit;
        cache.Valid = true;
    }
}

double OzoneFitCost(double x) {
    OzoneFitState& s = OzoneFit;
    ComputeModelSpectrum(x);
    RunSimulation({s.MainPath, s.SlitChar, s.SlitFileName, s.Fwhm},
                  {s.FitLow - s.MaximumShift, s.FitHigh + s.MaximumShift, s.OutputStep, s.GridStep},
                  s.SimOutputName);
    const ShiftResult fit =
        DetermineShift(s.MainPath, s.MainPath, s.SettingsFile, s.FitLow, s.FitHigh);
    s.Shift = fit.Shift;
    s.Uncertainty = fit.Uncertainty;
    s.ErrorRatio = fit.ErrorRatio;
    s.Status = fit.Status;
    return s.ErrorRatio;
}

double TransferSign(double a, double b) {
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

BrentMinimum BrentMinimise(const BrentSearch& search) {
    return BrentMinimiseWith(OzoneFitCost, search);
}

BrentMinimum BrentMinimiseWith(OzoneCostFunction cost, const BrentSearch& search) {
    const double bracketA = search.BracketA, start = search.Start, bracketB = search.BracketB;
    const double tolerance = search.Tolerance;
    CreateWithLines(OzoneFit.MainPath + kTraceName, {OzoneFit.FileCode});
    double a = std::min(bracketA, bracketB);
    double b = std::max(bracketA, bracketB);
    double x = start, w = start, v = start;
    double e = 0.0, d = 0.0;
    Trace("voor aanroep xfout");
    double fx = cost(x);
    Trace("Na aanroep xfout");
    double fw = fx, fv = fx;
    double u = x, fu = fx;
    bool converged = false;
    for (int i = 1; i <= kBrentMaxIterations; ++i) {
        Trace(" iter " + IntText(i));
        double xm = 0.5 * (a + b);
        double tol1 = tolerance * std::fabs(x) + kBrentAbsoluteTolerance;
        double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) {
            Trace("criterium_met wordt true, iter naar itmax : " + IntText(i) + " " +
                  IntText(kBrentMaxIterations));
            converged = true;
            break;
        }
        bool golden = true;
        if (std::fabs(e) > tol1) {
            // Parabola through x, w and v.
            double r = (x - w) * (fx - fw);
            double q = (x - v) * (fx - fv);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) p = -p;
            q = std::fabs(q);
            double etemp = e;
            e = d;
            TracePoint("eerst ", i, u, fu, &q);
            if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) ||
                  p >= q * (b - x))) {
                TracePoint("voor p/q ", i, u, fu, &q);
                d = p / q;
                u = x + d;
                if (u - a < tol2 || b - u < tol2) d = TransferSign(tol1, xm - x);
                golden = false;
            }
        }
        if (golden) {
            e = x >= xm ? a - x : b - x;
            d = kGoldenFraction * e;
        }
        u = std::fabs(d) >= tol1 ? x + d : x + TransferSign(tol1, d);
        TracePoint("voor xfout", i, u, fu);
        fu = cost(u);
        TracePoint("na xfout ", i, u, fu);
        if (fu <= fx) {
            if (u >= x) {
                a = x;
            } else {
                b = x;
            }
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            if (u < x) {
                a = u;
            } else {
                b = u;
            }
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    if (!converged) {
        ConsoleLine(" Too many iterations");
        TextOut log;
        log.Append(Engine.MainLogFile);
        log.WriteLine("Non Fatal error in OzSimu:");
        log.Text("Too many iterations for ozone fit required : > ");
        log.Int(kBrentMaxIterations, 4).EndLine();
        log.Sci(x).Text("   ").Sci(fx).EndLine();
        log.Close();
    }
    return {x, fx};
}

}  // namespace tarn
