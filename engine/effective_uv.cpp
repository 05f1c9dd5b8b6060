#include "engine/effective_uv.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/program_state.h"
#include "engine/usable_ratio.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr int kMaxCutoffs = 20;                    // table room, with the two extra cut-offs
constexpr int kMaxNamedCutoffs = kMaxCutoffs - 2;  // N
constexpr int kMaxActions = 20;                    // M
constexpr int kMaxBands = 20;                      // K
constexpr int kBuiltInActionCount = 6;
constexpr double kMissingActionDose = 10000.0;  // dose of an action file that did not open
constexpr double kUndetermined = -1.0;

const char* const kBuiltInActions[] = {"310.dat", "320.dat", "330.dat", "340.dat",
                                       "350.dat", "360.dat", "370.dat", "380.dat",
                                       "390.dat", "400.dat", "400.dat"};

// Settings of the effective-UV defaults file ("efuv.dfa").
struct EffectiveUvDefaults {
    int CutoffCount;                           // N
    std::string CutoffName[kMaxCutoffs + 1];   // at most 5 characters
    double CutoffWavelength[kMaxCutoffs + 1];  // nm; N + 1 and N + 2: start and last wavelength
    int ActionCount;                           // M
    std::string ActionName[kMaxActions + 1];   // at most 50 characters
    std::string BandFileName;                  // at most 5 characters
    int BandCount;                             // K
    double BandLower[kMaxBands + 1];           // nm
    double BandUpper[kMaxBands + 1];           // nm
    std::string NoDataMarker;                  // at most 2 characters
    int RatioAction;                           // A
    int RatioCutoff;                           // B
    bool EverRead;                             // a defaults file was read in this run
};

// The scan's name parts and where its rows go.
struct ScanParts {
    std::string Hhmm;
    std::string Day;
    std::string Id;
    std::string Directory;  // ends in the separator
    std::string DefaultsPath;
    double Hour;  // hh + mm / 60
};

// One action-spectrum file, read line by line along the grid: the bracket of
// two file points around the current grid wavelength.
struct ActionBracket {
    bool Open;
    double XPrev, YPrev, XNext, YNext;  // nm, relative weight
    // Weight at x: exp(LnPrev + Slope (x - XPrev)) (log-linear), YPrev +
    // Slope (x - XPrev) (linear, a weight of 0 or less in the bracket), or
    // YNext (both points at one wavelength).
    enum class Mode { LogLinear, Linear, Constant } How;
    double LnPrev, Slope;
    bool WarnedNonPositive, WarnedEqual;
};

EffectiveUvDefaults g_defaults;
ScanParts g_scan;
TextIn g_actionFile[kMaxActions + 1];
ActionBracket g_action[kMaxActions + 1];
double g_dose[kMaxActions + 1];                       // D[a]
double g_unweighted;                                  // U
double g_snapshot[kMaxActions + 1][kMaxCutoffs + 1];  // DoseSnapshots S[a][c]
double g_bandStart[kMaxBands + 1], g_bandEnd[kMaxBands + 1];
double g_zenithAngle;  // degrees

// Reads a count line and brings the count into 0..capacity, logging a change.
int ReadCount(TextIn& in, int capacity, const char* what, long& countInFile) {
    countInFile = in.Int();
    in.NextLine();
    int kept = static_cast<int>(std::clamp(countInFile, 0L, static_cast<long>(capacity)));
    if (kept != countInFile) {
        LogLine("Efuv defaults " + in.Name() + ": " + what + " " + IntText(countInFile) +
                " outside 0.." + IntText(capacity) + "; " + IntText(kept) + " used");
    }
    return kept;
}

// Reads the effective-UV defaults in the file's order; entries beyond a
// table's room are read over and dropped.
void ReadEffectiveUvDefaults(TextIn& in) {
    EffectiveUvDefaults& d = g_defaults;
    long inFile = 0;
    d.CutoffCount = ReadCount(in, kMaxNamedCutoffs, "cut-off count", inFile);
    for (long c = 1; c <= inFile && !in.Eof(); ++c) {
        std::string name = in.ReadText(5);
        double wavelength = in.Real();
        in.NextLine();
        if (c <= d.CutoffCount) {
            d.CutoffName[c] = name;
            d.CutoffWavelength[c] = wavelength;
        }
    }
    d.ActionCount = ReadCount(in, kMaxActions, "action-spectrum count", inFile);
    for (long a = 1; a <= inFile && !in.Eof(); ++a) {
        std::string name = in.ReadText(50);
        if (a <= d.ActionCount) d.ActionName[a] = name;
    }
    d.BandFileName = in.ReadText(5);
    d.BandCount = ReadCount(in, kMaxBands, "band count", inFile);
    for (long b = 1; b <= inFile && !in.Eof(); ++b) {
        double lower = in.Real();
        double upper = in.Real();
        in.NextLine();
        if (b <= d.BandCount) {
            d.BandLower[b] = lower;
            d.BandUpper[b] = upper;
        }
    }
    d.RatioAction = 1;
    d.RatioCutoff = d.CutoffCount;
    if (!in.Eof()) {
        d.NoDataMarker = in.ReadText(2);
        if (!in.Eof()) {
            d.RatioAction = static_cast<int>(std::clamp(in.Int(), -1L, 1000L));
            d.RatioCutoff = static_cast<int>(std::clamp(in.Int(), -1L, 1000L));
            in.NextLine();
        }
    }
    d.EverRead = true;
}

// Reads the defaults file when it opens; false when it does not.
bool ReadDefaultsFile(const std::string& path) {
    TextIn in;
    if (!in.Open(path)) return false;
    ReadEffectiveUvDefaults(in);
    return true;
}

// Keeps the scan's name parts and the hour of the scan.
void KeepScanParts(const std::string& directory, const std::string& scanName,
                   const std::string& defaultsPath, const std::string& id) {
    g_scan.Hhmm = scanName.size() > 3 ? scanName.substr(3, 4) : std::string();
    g_scan.Day = scanName.substr(0, 3);
    g_scan.Id = Cut(id, 15);
    g_scan.Directory = directory;
    g_scan.DefaultsPath = defaultsPath;
    long hh = 0, mm = 0;
    if (!ParseInt(g_scan.Hhmm.substr(0, 2), hh)) hh = 0;
    if (!ParseInt(g_scan.Hhmm.size() > 2 ? g_scan.Hhmm.substr(2, 2) : "", mm)) mm = 0;
    g_scan.Hour = hh + mm / 60.0;
}

std::string CutoffFilePath(int c) {
    return g_scan.Directory + EffectiveUvName(g_scan.Day, g_defaults.CutoffName[c], g_scan.Id);
}

std::string BandFilePath() {
    return g_scan.Directory + EffectiveUvName(g_scan.Day, g_defaults.BandFileName, g_scan.Id);
}

// The title of band b in the band file `file`.
std::string BandTitle(int b, const std::string& file) {
    FileText title(file);
    title.Fixed(g_defaults.BandLower[b], 3, 0).Text("-").Fixed(g_defaults.BandUpper[b], 3, 0);
    return title.Str();
}

// Creates a day file when it does not exist yet: the lines of the header file
// up to and including its first empty line, then the column titles.
void CreateDayFileIfMissing(const std::string& path, const std::string& headerPath, bool bandFile) {
    if (TextFileExists(path)) return;
    TextOut out;
    out.Create(path);
    TextIn header;
    if (header.Open(headerPath)) {
        while (!header.Eof()) {
            std::string line = header.ReadLine();
            out.WriteLine(line);
            if (line.empty()) break;
        }
    }
    std::string titles = "!T:hhmm hh.dec  sza  ";
    int count = bandFile ? g_defaults.BandCount : g_defaults.ActionCount;
    for (int e = 1; e <= count; ++e)
        titles += PadRight(bandFile ? BandTitle(e, path) : g_defaults.ActionName[e], 13);
    out.WriteLine(titles);
    out.Close();
}

// Makes sure the day's cut-off and band files exist under the switches.
void CreateDayFiles(const std::string& headerPath) {
    if (!g_defaults.EverRead) return;  // no cut-offs, actions or bands to write
    if (Engine.Switches.Effective_UV) {
        for (int c = 1; c <= g_defaults.CutoffCount; ++c)
            CreateDayFileIfMissing(CutoffFilePath(c), headerPath, false);
    }
    if (Engine.Switches.Interval_UV) CreateDayFileIfMissing(BandFilePath(), headerPath, true);
}

// Appends a row: the scan's time, hour and zenith angle (a no-data marker for
// a missing scan), then `count` values of `value(i)` (a no-data entry each).
template <class Value>
void AppendRow(const std::string& path, bool noData, int count, Value value) {
    TextOut out;
    out.Append(path);
    out.Text(g_scan.Hhmm + " ").Fixed(g_scan.Hour, 7, 4).Text(" ");
    if (noData) {
        out.Text(PadRight(g_defaults.NoDataMarker, 8));
        for (int i = 1; i <= count; ++i) out.Text(PadRight(g_defaults.NoDataMarker, 13));
    } else {
        out.Fixed(g_zenithAngle, 6, 2).Text(" ");
        for (int i = 1; i <= count; ++i) out.Fixed(value(i), 12, 8).Text(" ");
    }
    out.EndLine();
    out.Close();
}

// Appends the dose rows: S[a][c] per cut-off file, the band integrals to the band file.
void WriteEffectiveUvRows() {
    if (!g_defaults.EverRead) return;
    if (Engine.Switches.Effective_UV) {
        for (int c = 1; c <= g_defaults.CutoffCount; ++c) {
            AppendRow(CutoffFilePath(c), false, g_defaults.ActionCount,
                      [c](int a) { return g_snapshot[a][c]; });
        }
    }
    if (Engine.Switches.Interval_UV) {
        AppendRow(BandFilePath(), false, g_defaults.BandCount,
                  [](int b) { return g_bandEnd[b] - g_bandStart[b]; });
    }
}

// Sets how the weight is interpolated in the action's current bracket.
void PrepareBracket(int a) {
    ActionBracket& b = g_action[a];
    double dx = b.XNext - b.XPrev;
    if (dx == 0.0) {
        b.How = ActionBracket::Mode::Constant;
        if (!b.WarnedEqual) {
            LogLine(LogText()
                        .Text("Action spectrum ")
                        .Text(g_defaults.ActionName[a])
                        .Text(": bracket of one wavelength ")
                        .Fixed(b.XNext, 8, 3)
                        .Text(" nm; its weight is used there"));
            b.WarnedEqual = true;
        }
    } else if (b.YPrev > 0.0 && b.YNext > 0.0) {
        b.How = ActionBracket::Mode::LogLinear;
        b.LnPrev = std::log(b.YPrev);
        b.Slope = (std::log(b.YNext) - b.LnPrev) / dx;
    } else {
        b.How = ActionBracket::Mode::Linear;
        b.Slope = (b.YNext - b.YPrev) / dx;
        if (!b.WarnedNonPositive) {
            LogLine(LogText()
                        .Text("Action spectrum ")
                        .Text(g_defaults.ActionName[a])
                        .Text(": weight of 0 or less between ")
                        .Fixed(b.XPrev, 8, 3)
                        .Text(" and ")
                        .Fixed(b.XNext, 8, 3)
                        .Text(" nm; interpolated linearly there"));
            b.WarnedNonPositive = true;
        }
    }
}

double BracketWeight(const ActionBracket& b, double wavelength) {
    switch (b.How) {
        case ActionBracket::Mode::LogLinear:
            return std::exp(b.LnPrev + b.Slope * (wavelength - b.XPrev));
        case ActionBracket::Mode::Linear:
            return b.YPrev + b.Slope * (wavelength - b.XPrev);
        case ActionBracket::Mode::Constant:
            break;
    }
    return b.YNext;
}

void ReadNextPoint(int a) {
    g_action[a].XNext = g_actionFile[a].Real();
    g_action[a].YNext = g_actionFile[a].Real();
    g_actionFile[a].NextLine();
}

// Opens action file a and reads up to the bracket of `wavelength` (nm).
void OpenAction(int a, const std::string& directory, double wavelength) {
    ActionBracket& b = g_action[a];
    b = ActionBracket{};
    TextIn& in = g_actionFile[a];
    if (!in.Open(directory + g_defaults.ActionName[a])) return;
    b.Open = true;
    ReadNextPoint(a);
    b.XPrev = b.XNext;
    b.YPrev = b.YNext;
    while (!in.Eof()) {
        b.XPrev = b.XNext;
        b.YPrev = b.YNext;
        ReadNextPoint(a);
        if (b.XNext >= wavelength) break;
    }
    PrepareBracket(a);
}

// Adds one grid point of width `width` (nm) to the dose of each action.
void AddGridPoint(double wavelength, double irradiance, double width) {
    for (int a = 1; a <= g_defaults.ActionCount; ++a) {
        ActionBracket& b = g_action[a];
        if (!b.Open) {
            g_dose[a] = kMissingActionDose;
            continue;
        }
        if (wavelength > b.XNext) {
            b.XPrev = b.XNext;
            b.YPrev = b.YNext;
            if (g_actionFile[a].Eof()) continue;  // beyond the file's last line: weight 0
            ReadNextPoint(a);
            PrepareBracket(a);
        }
        g_dose[a] += BracketWeight(b, wavelength) * irradiance * width;
    }
    g_unweighted += irradiance * width;
}

// Records the doses at every cut-off and the unweighted integral at every
// band edge whose grid cell [wavelength - step/2, wavelength + step/2) has
// been reached.
void TakeDoseSnapshots(double wavelength, double halfStep) {
    double low = wavelength - halfStep;
    for (int c = 1; c <= g_defaults.CutoffCount + 2; ++c) {
        if (low < g_defaults.CutoffWavelength[c]) {
            for (int a = 1; a <= g_defaults.ActionCount; ++a) g_snapshot[a][c] = g_dose[a];
        }
    }
    for (int b = 1; b <= g_defaults.BandCount; ++b) {
        if (low < g_defaults.BandLower[b]) g_bandStart[b] = g_unweighted;
        if (low < g_defaults.BandUpper[b]) g_bandEnd[b] = g_unweighted;
    }
}

void ResetDoses() {
    for (int a = 0; a <= kMaxActions; ++a) {
        g_dose[a] = 0.0;
        for (int c = 0; c <= kMaxCutoffs; ++c) g_snapshot[a][c] = 0.0;
    }
    for (int b = 0; b <= kMaxBands; ++b) g_bandStart[b] = g_bandEnd[b] = 0.0;
    g_unweighted = 0.0;
}

// Walks the fine grid from `start` while below `end` (nm), integrating
// FineSpectrum with each action spectrum (each point times its distance
// from the previous one).
void IntegrateGrid(const std::string& actionDirectory, double start, double end, double step) {
    if (!(step > 0.0)) {
        LogLine(LogText()
                    .Text("Effective UV: grid step ")
                    .Fixed(step, 8, 4)
                    .Text(" nm; no integration"));
        return;
    }
    long long i = GridIndex(start, step);
    double wavelength = kReferenceGridStart + i * step;
    for (int a = 1; a <= g_defaults.ActionCount; ++a) OpenAction(a, actionDirectory, wavelength);
    double previous = start;
    do {
        AddGridPoint(wavelength, GridValue(Spectra.FineSpectrum, i), wavelength - previous);
        previous = wavelength;
        TakeDoseSnapshots(wavelength, step / 2);
        ++i;
        wavelength = kReferenceGridStart + i * step;
    } while (wavelength < end && i <= kMaxGridIndex);
    for (int a = 1; a <= kMaxActions; ++a) g_actionFile[a].Close();
}

// The fractions below the start and above the last wavelength from the
// reference dose S[A][B]; undetermined when either has no usable value.
EffectiveUvFractions ComputeFractions() {
    EffectiveUvFractions f{kUndetermined, kUndetermined};
    int a = g_defaults.RatioAction, c = g_defaults.RatioCutoff;
    int n = g_defaults.CutoffCount;
    if (a < 1 || a > g_defaults.ActionCount || c < 1 || c > n + 2) {
        LogLine("Effective UV: ratio indexes " + IntText(a) + " " + IntText(c) +
                " outside the tables; fractions undetermined (-1)");
        return f;
    }
    double reference = g_snapshot[a][c];
    if (!(reference > 0.0)) return f;
    const std::optional<double> below = UsableRatio(g_snapshot[a][n + 1], reference);
    const std::optional<double> toLast = UsableRatio(g_snapshot[a][n + 2], reference);
    if (below && toLast) {
        f.BelowStart = *below;
        f.AboveLast = 1.0 - *toLast;
    }
    return f;
}

}  // namespace

void ResetEffectiveUv() {
    g_defaults = EffectiveUvDefaults{};
    g_scan = ScanParts{};
    for (int a = 0; a <= kMaxActions; ++a) {
        g_actionFile[a].Close();
        g_action[a] = ActionBracket{};
    }
    ResetDoses();
    g_zenithAngle = 0.0;
}

void PrepareEffectiveUvFiles(const std::string& resultDirectory, const std::string& scanName,
                             const std::string& defaultsPath, const std::string& headerPath,
                             const std::string& id) {
    g_defaults.NoDataMarker = "* ";
    if (!resultDirectory.empty())
        MakeDirectory(resultDirectory.substr(0, resultDirectory.size() - 1));
    KeepScanParts(resultDirectory, scanName, defaultsPath, id);
    if (!ReadDefaultsFile(defaultsPath))
        LogLine("ERROR EF1 Default Efuv_File not found: " + defaultsPath);
    CreateDayFiles(headerPath);
}

EffectiveUvFractions ComputeEffectiveUv(const std::string& resultDirectory,
                                        const std::string& scanName,
                                        const std::string& defaultsPath, const std::string& id,
                                        const EffectiveUvIntegration& grid) {
    KeepScanParts(resultDirectory, scanName, defaultsPath, id);
    g_defaults.ActionCount = kBuiltInActionCount;
    for (int a = 1; a <= 11; ++a) g_defaults.ActionName[a] = kBuiltInActions[a - 1];
    ResetDoses();
    g_zenithAngle = grid.ZenithAngle;
    ReadDefaultsFile(defaultsPath);
    g_defaults.CutoffWavelength[g_defaults.CutoffCount + 1] = grid.StartWavelength;
    g_defaults.CutoffWavelength[g_defaults.CutoffCount + 2] = grid.LastWavelength;
    IntegrateGrid(grid.ActionDirectory, grid.Start, grid.End, grid.Step);
    WriteEffectiveUvRows();
    return ComputeFractions();
}

void WriteEffectiveUvNoData(const std::string& resultDirectory, const std::string& scanName,
                            const std::string& defaultsPath, const std::string& id) {
    g_defaults.NoDataMarker = "* ";
    KeepScanParts(resultDirectory, scanName, defaultsPath, id);
    ReadDefaultsFile(defaultsPath);
    if (!g_defaults.EverRead) return;
    // The first scan of a day may be the missing one: the day's files are
    // made here so that the no-data rows have somewhere to go.
    if (!resultDirectory.empty())
        MakeDirectory(resultDirectory.substr(0, resultDirectory.size() - 1));
    CreateDayFiles(Paths.MainPath + kHeaderFileName);
    auto none = [](int) { return 0.0; };
    if (Engine.Switches.Effective_UV) {
        for (int c = 1; c <= g_defaults.CutoffCount; ++c)
            AppendRow(CutoffFilePath(c), true, g_defaults.ActionCount, none);
    }
    if (Engine.Switches.Interval_UV) AppendRow(BandFilePath(), true, g_defaults.BandCount, none);
}

}  // namespace tarn
