// The defaults files as layouts: the built-in settings, the long defaults
// file (and the effective defaults "tarn_e.dfa" written in its layout) and the
// short defaults file "tarnpelo.dfa".
//
// One description per layout drives its reader, its writer and, for the long
// file, the locator that the windowed programs use to find a value's line in
// a file of any counts.  Everything here is pure: it works on the records it
// is given, and touches no module state, console or log.  The engine's
// wrappers (engine/defaults.h) apply the records and report the notes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/formats/settings_records.h"

namespace tarn {

class TextIn;

// Every setting that a defaults file can carry.
struct DefaultsSettings {
    PathsAndNames Paths;
    AnalysisSettings Analysis;  // ShortDefaultsRead is not a setting of the files
    QcTables Qc;
    int WindowCount;
    double WindowLower[kMaxWindows + 1];  // nm; element 0 the ozone-fit window
    double WindowUpper[kMaxWindows + 1];
    double Steps[kMaxStepLevels + 1];  // nm, shift step sizes [1..7], coarse to fine
    double SlitRangeFactor;
    std::string ResultCode;  // id_specout, line 18 of the long file
};

// The built-in set: every setting's value before any file is read.
DefaultsSettings BuiltInDefaults();

// A message of a reader about a value it did not take as written (a count
// beyond its table, a step of 0 or less, a file ending early).  The engine
// writes every note to the main log, and those with OnConsole also to the
// console.
struct DefaultsNote {
    std::string Text;
    bool OnConsole;
};

// ---- Long defaults file ----

// The values of the long layout, in file order.  The windowed programs read
// and write lines 0 to 25 and the values after the structure criteria.  With
// window mode 1, k criteria, n selected windows and z zenith rows, value i of
// the head is on line i; the groups' lines follow from the counts: criteria
// 26 .. 26 + k, TimeCorrection 29 + k + n, QcSubdirectory 33 + k + n,
// SpikeCorrectionName m = 44 + k + n + z, StructureSubdirectory m + 5,
// Et1nmFileName m + 18.  An explicit window list moves every later line.
// clang-format off
enum class LongDefaultsValue {
    // Head, lines 0 to 19.
    Location, WindowCount, OzoneFitWindow, WindowSeries, MaximumShift, ReferenceShifts,
    MainPath, ReferenceDirectory, MeasurementCopyName, SimulationName, EtFileName,
    SimulatedSpectrumName, DeconvolutionName, DeconvolutionSteps, ModelGrid, FinalSimulation,
    StandardSlit, ActionSpectrumDirectory, ResultCode, O3CrossSectionName,
    // Groups 1 to 3, lines 20 to 25.
    OzoneFitValues, MeasurementYear, StepCount, StepSizes, StepRatios, SlitRangeFactor,
    // Groups 4 to 9: criteria, selected windows, time correction, names.
    CriteriaCount, FirstCriterion, ErrorRatios, SelectedWindowCount, FirstSelectedWindow,
    TimeCorrection, EfuvDefaultsName, EfuvSubdirectory, ShiftSubdirectory, QcSubdirectory,
    StartCriterion,
    // Group 10: QC flag settings and zenith rows.
    SdShiftThreshold, MinimumWindows, QflagName, Shift1Limits, Shift2Limits, StabilityLimits,
    ShapeLimits, EfuvPercentLimits, ZenithRowCount, FirstZenithRow,
    // Groups 11 to 14.
    SpikeCorrectionName, SpikeSummaryName, SpikeDetection, SpikeCorrection, SpikeCriterion,
    StructureSubdirectory, ReferenceWavelength, FirstTransmissionClass,
    TransmissionSubdirectory, TransmissionName, Et1nmFileName, QcInterval1, QcInterval2,
    IrradianceLevels, FirstScanVariationClass,
    Count
};
// clang-format on
constexpr int kLongDefaultsValueCount = static_cast<int>(LongDefaultsValue::Count);

// Line index of a value that the file does not hold.
constexpr int kNotInFile = -1;

// Where a long defaults file holds its values, and the counts in force.
struct LongDefaultsLayout {
    // 0-based line index of each value (the line its reading starts on), or
    // kNotInFile when the file ends before it.
    int Lines[kLongDefaultsValueCount];
    // The counts as the engine uses them: the file's counts within their
    // tables, the built-in counts where the file ends before them.
    int WindowCount;          // 1..350
    int WindowMode;           // 1 a regular series, else an explicit list
    int StepTableLength;      // 1..7
    int CriteriaCount;        // k, 1..5
    int StartCriterion;       // S, 1..k
    int SelectedWindowCount;  // n, 0..20
    int ZenithRowCount;       // z, 1..10

    int LineOf(LongDefaultsValue value) const { return Lines[static_cast<int>(value)]; }
};

// Reads a long defaults file from `in` (lines 0-19 required, groups 1 to 14
// while the file has more lines) over `settings`, which holds the values in
// force before (normally the built-in set); appends its notes.  A word where
// a number belongs raises RunTimeError naming the file and line.
void ReadLongDefaultsText(TextIn& in, DefaultsSettings& settings, std::vector<DefaultsNote>& notes);

// The lines of the long layout for `settings`, every group written: the
// window line in mode 1 with the regular series, the first StepTableLength
// step sizes, k criteria, n selected windows and z zenith rows
// (44 + k + n + z + 30 lines; 93 with the built-in counts).
std::vector<std::string> LongDefaultsLines(const DefaultsSettings& settings);

// The same lines, and where they hold each value.
std::vector<std::string> LongDefaultsLines(const DefaultsSettings& settings,
                                           LongDefaultsLayout& layout);

// Where the lines of a long defaults file (as loaded, without line ends; any
// length, any counts, window mode 1 or an explicit list) hold each value, by
// the reader the engine uses.  Never fails: a word where a number belongs
// counts as 0, as far as the layout is concerned.  With four criteria and six
// selected windows, TimeCorrection is line 39, EfuvDefaultsName 40,
// QcSubdirectory 43, StructureSubdirectory 67 and Et1nmFileName 80.
LongDefaultsLayout LocateLongDefaults(const std::vector<std::string>& lines);

// One change of the lines of a file: lines First .. End - 1 give way to the
// one line Text, which goes before line First when First == End.
struct LineChange {
    int First;
    int End;
    std::string Text;
};

// The changes that put each value's new text, one line, in place of that
// value in a long defaults file located as `layout`.  A value spans the lines
// from its own to the next value the file holds (the line after its own when
// none follows): more than one where the engine reads its numbers on from the
// following lines or where an explicit window list follows the window series,
// none where it holds no line of its own.  Its text takes the whole span, so
// every later value stays on the line the engine reads it from.  The changes
// come last line first: applied in order, each leaves the lines of those
// still to come where they were; the lines not in a span keep their bytes.  A
// value the file does not hold (or one given twice, after the first) changes
// nothing: callers report it.
std::vector<LineChange> LongDefaultsEdit(
    const LongDefaultsLayout& layout,
    const std::vector<std::pair<LongDefaultsValue, std::string>>& values);

// ---- Short defaults file "tarnpelo.dfa" ----

// Reads a short defaults file from `in` over `settings`: year, longitude and
// latitude (degrees), maximum shift (nm), main path, reference-data path
// (also the action-spectrum directory), then while the file has more lines
// the time correction and the standardised slit line.  Appends its notes.
void ReadShortDefaultsText(TextIn& in, DefaultsSettings& settings,
                           std::vector<DefaultsNote>& notes);

// The six lines that the install dialogue writes: the five required lines and
// the time correction (never the standardised slit line).
std::vector<std::string> ShortDefaultsLines(const DefaultsSettings& settings);

}  // namespace tarn
