// Shared state of the engine's modules: constants, the eight spectra arrays,
// the main and shift logs, the significance table of the shift test and the
// output switches; the file-exists test, the log preparation, main-log groups,
// the fatal error block and the checked fine-grid accessor.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/formats/constants.h"
#include "engine/formats/output_spec_layout.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

constexpr int kSignificanceEntries = 31;

// The engine's one-line banner (heads the main log and most result files).
extern const char* const kVersionBanner;

// Eight arrays of 40001 reals, indexes 0..40000.  The measured arrays keep the
// point count N in element 0 and the points in 1..N; the fine-grid arrays are
// indexed by Round((wavelength - 250 nm) / grid step).
struct SpectraArrays {
    double MeasuredWavelengths[kSpectrumSize];
    double MeasuredIrradiances[kSpectrumSize];
    double ExtraterrestrialGrid[kSpectrumSize];
    double OzoneCrossSectionGrid[kSpectrumSize];
    double FineSpectrum[kSpectrumSize];
    double SimulatedSpectrum[kSpectrumSize];  // element 0: the scan's fine-grid step
    double DeconCorrectionFactors[kSpectrumSize];
    double DeconSimulatedMeasurement[kSpectrumSize];
};

struct EngineState {
    double SlitRangeFactor;    // slit files are read within +- factor x FWHM
    std::string MainLogFile;   // name the main log is bound to
    std::string ShiftLogFile;  // name the shift log is bound to
    double SignificanceTable[kSignificanceEntries];
    OutputSwitches Switches;
    long GridIndexFaults;  // fine-grid indexes outside 0..40000 met this run
};

extern SpectraArrays Spectra;
extern EngineState Engine;

// Zeroes the shared state as at program start, then runs the module's
// initialisation (log files in the working directory, significance table).
void ResetEngineState();
void InitEngineState();
void InitLogFilesAtStart();
void InitSignificanceTable();

// True when the file can be opened for reading as a text file (never for a directory).
bool TextFileExists(const std::string& name);

// Appends the separator to `path` when it is longer than one character and
// lacks one, and prepares the main log and the (emptied) shift log in that
// directory.
void PrepareLogFiles(std::string& path);

// One group of main-log lines: opens the log for appending, writes, closes.
void LogLines(std::initializer_list<std::string> lines);
void LogLine(const std::string& line);
// A main-log line with numbers: LogLine(LogText().Text("step ").Fixed(x, 8, 4)).
FileText LogText();
void LogLine(const FileText& line);

// When `logPath` does not exist, binds the main log to it and creates it empty.
void BindMainLogIfAbsent(const std::string& logPath);

// Fatal error block: four lines on the console, the log's own lines
// ("Program HALTED; ERROR <code>" and an empty line) appended to the main log
// as bound now, then the engine halts (exit code 1).
[[noreturn]] void HaltWithErrorBlock(const std::string& consoleModuleLine,
                                     const std::string& consoleWhatLine,
                                     const std::string& logModuleLine,
                                     const std::string& logWhatLine, const std::string& path,
                                     const std::string& code);

// Point count N held in element 0 of the measured arrays, kept within
// 0..40000; a count outside is logged with the stage's name.
long StoredPointCount(const std::string& stage);

// Fine-grid index of a wavelength (nm) for a grid step (nm), ties to even.
inline long long GridIndex(double wavelength, double step) {
    return RoundEven((wavelength - kReferenceGridStart) / step);
}

// Checked access to a fine-grid array: an index outside 0..40000 reads 0 and
// its writes go nowhere; such accesses are counted in Engine.GridIndexFaults.
double& GridAt(double (&array)[kSpectrumSize], long long index);
double GridValue(const double (&array)[kSpectrumSize], long long index);

}  // namespace tarn
