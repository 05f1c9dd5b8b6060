#include "engine/engine_state.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

const char* const kVersionBanner =
    "TARNpelo version 3.075 24-07-2002; Joss Vantre  QAV/PELO, tarnpelo@pelo-uv.org";

SpectraArrays Spectra;
EngineState Engine;

namespace {

const double kSignificanceValues[kSignificanceEntries] = {
    0.0,      0.0,      0.009975, 0.047424, 0.099399, 0.159111, 0.215004, 0.268975,
    0.316071, 0.36,     0.397824, 0.432991, 0.464176, 0.493056, 0.518364, 0.541671,
    0.561756, 0.581391, 0.599311, 0.6156,   0.630336, 0.644784, 0.657775, 0.670524,
    0.680775, 0.691975, 0.701884, 0.710556, 0.7191,   0.727516, 0.735804};

double g_gridSink = 0.0;

// Creates `name` empty, or appends the given lines when it exists.
void CreateOrAppend(const std::string& name, std::initializer_list<std::string> linesWhenPresent) {
    if (!TextFileExists(name)) {
        CreateWithLines(name, {});
    } else {
        AppendLines(name, linesWhenPresent);
    }
}

}  // namespace

void ResetEngineState() {
    // The arrays have static storage and start zeroed; they need clearing only
    // when a process runs the engine more than once (the tests).
    static bool used = false;
    if (used) {
        for (double* a : {Spectra.MeasuredWavelengths, Spectra.MeasuredIrradiances,
                          Spectra.ExtraterrestrialGrid, Spectra.OzoneCrossSectionGrid,
                          Spectra.FineSpectrum, Spectra.SimulatedSpectrum,
                          Spectra.DeconCorrectionFactors, Spectra.DeconSimulatedMeasurement}) {
            std::fill(a, a + kSpectrumSize, 0.0);
        }
    }
    used = true;
    Engine = EngineState{};
}

void InitEngineState() {
    InitLogFilesAtStart();
    InitSignificanceTable();
}

void InitLogFilesAtStart() {
    Engine.SlitRangeFactor = 2.0;
    Engine.MainLogFile = kMainLogName;
    CreateOrAppend(Engine.MainLogFile, {"", "NEW ANALYSIS"});
    Engine.ShiftLogFile = kShiftLogName;
    CreateWithLines(Engine.ShiftLogFile, {});
}

void InitSignificanceTable() {
    std::copy(kSignificanceValues, kSignificanceValues + kSignificanceEntries,
              Engine.SignificanceTable);
}

bool TextFileExists(const std::string& name) {
    // A result file this run has written exists, though it is not committed yet.
    return StoreHolds(name) || IsReadableFile(name);
}

void PrepareLogFiles(std::string& path) {
    path = WithTrailingSeparator(path);
    Engine.MainLogFile = path + kMainLogName;
    CreateOrAppend(Engine.MainLogFile, {""});
    Engine.ShiftLogFile = path + kShiftLogName;
    CreateWithLines(Engine.ShiftLogFile, {});
}

void LogLines(std::initializer_list<std::string> lines) {
    AppendLines(Engine.MainLogFile, lines);
}

void LogLine(const std::string& line) {
    AppendLines(Engine.MainLogFile, {line});
}

FileText LogText() {
    return FileText(Engine.MainLogFile);
}

void LogLine(const FileText& line) {
    LogLine(line.Str());
}

void BindMainLogIfAbsent(const std::string& logPath) {
    if (TextFileExists(logPath)) return;
    Engine.MainLogFile = logPath;
    CreateWithLines(logPath, {});
}

void HaltWithErrorBlock(const std::string& consoleModuleLine, const std::string& consoleWhatLine,
                        const std::string& logModuleLine, const std::string& logWhatLine,
                        const std::string& path, const std::string& code) {
    ConsoleLine(consoleModuleLine);
    ConsoleLine(consoleWhatLine);
    ConsoleLine(path);
    ConsoleLine(kHaltLinePrefix + code);
    LogLines({logModuleLine, logWhatLine, path, "Program HALTED; ERROR " + code, ""});
    throw EngineExit{kExitHalt};
}

long StoredPointCount(const std::string& stage) {
    long long n = RoundEven(Spectra.MeasuredWavelengths[0]);
    if (n < 0 || n > kMaxMeasuredPoints) {
        long long kept = std::clamp<long long>(n, 0, kMaxMeasuredPoints);
        LogLine(stage + ": point count " + IntText(n) + " taken as " + IntText(kept));
        n = kept;
    }
    return static_cast<long>(n);
}

double& GridAt(double (&array)[kSpectrumSize], long long index) {
    if (index < 0 || index > kMaxGridIndex) {
        ++Engine.GridIndexFaults;
        g_gridSink = 0.0;
        return g_gridSink;
    }
    return array[index];
}

double GridValue(const double (&array)[kSpectrumSize], long long index) {
    if (index < 0 || index > kMaxGridIndex) {
        ++Engine.GridIndexFaults;
        return 0.0;
    }
    return array[index];
}

}  // namespace tarn
