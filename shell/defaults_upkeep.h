// The shell's upkeep of the engine's defaults files, as plain functions over
// the texts of the main window's entries (tests call them without a window):
// reading the long defaults file and the instrument defaults file, writing a default instrument file, completing the long
// defaults file from its template, keeping its main path at start, and the
// mask of the scans to select.
//
// The long defaults file is read through the engine's locator, so each value
// is taken from, and written to, its own line whatever the file's counts of
// structure criteria, selected windows and zenith rows.  Every file is
// written whole or not at all, and only when a line changes; a line not
// changed keeps its bytes.  Failures raise RunTimeError (the caller's
// guard reports them); the routines' own messages go through
// gui::CurrentDialogs().  Paths are bytes, as the files hold them.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/formats/defaults_layout.h"
#include "gui-common/line_list.h"

namespace tarn::tarncall {

struct ShellSettings;

// The shell's messages.
constexpr const char kShellSettingsMissingText[] = "TARNCALL DFA-file not found";
constexpr const char kMainDefaultsMissingText[] =
    "General defaultsfile NOT found; Copy of defaults made; check settings";
constexpr const char kInstrumentMissingText[] = "Instrument defaults not found: ";
constexpr const char kInstrumentMissingTail[] = "  Check settings";
constexpr const char kMainPathMissingText[] = "Main analysis datapath does not exist: ";
constexpr const char kSelectedCountText[] = " datafile(s) selected";
// The failed save of a long defaults file whose name is empty.
constexpr const char kNoDefaultsFileText[] = "No long defaults file is named";

// The fixed defaults, in the working directory, where tarn-workdir makes
// them: the main analysis path "uvanalys/" (the engine's built-in one), the
// measurement directory "uvdata/" of a default instrument file and the long
// defaults file "uvanalys/tarn_e.dfa".
std::string DefaultMainAnalysisPath();
std::string DefaultMeasurementDirectory();
std::string DefaultDefaultsFile();
// The engine program installed beside the shell (else found on the search
// path), or <home>/tarnpel/uvanalys/tarnpelo when there is none.
std::string DefaultProgramCall();

// The instrument defaults file of `id`: <main path><id>.DFA.
std::string InstrumentDefaultsPath(const std::string& mainPath, const std::string& id);

// The 0-based line of `value` in a long defaults file of `lines`, by the
// engine's locator; when the file ends before the value, the line where a
// longer file would hold it (6 for the main path of a regular window series).
int LongDefaultsLineOf(const std::vector<std::string>& lines, LongDefaultsValue value);

// Puts each text of `values`, one line, in place of its value in the long
// defaults list `lines` located as `layout` (LongDefaultsEdit): the lines of
// other values keep their bytes and ends.  A value the list does not hold
// raises the list's report of the line where a longer file would hold it
// before anything is changed.
void ReplaceLongDefaults(gui::LineList& lines, const LongDefaultsLayout& layout,
                         const std::vector<std::pair<LongDefaultsValue, std::string>>& values);

// What the shell takes from a long defaults file.
struct MainDefaults {
    // Main analysis path, with the separator added when its line lacks one
    // (as the engine takes it).
    std::string MainAnalysisPath;
    // Quality-control, structure-check and shift subdirectories, or the
    // built-in names with the separator when the file ends before them.
    std::string QcSubdirectory;
    std::string StructureSubdirectory;
    std::string ShiftSubdirectory;
    // The structure-criteria counts in force (the daily quality table's
    // columns follow from them).
    int CriteriaCount = 0;
    int StartCriterion = 0;
    // The file was missing: the values are the template's.
    bool Missing = false;
};

// Reads the long defaults file `path` (each value from its own line).  A
// missing file shows its message, gives the values of the template
// "tarn_e.dfa" of the working directory (Missing set) and gets the
// template's lines.  An empty name raises kNoDefaultsFileText.
[[nodiscard]] MainDefaults ReadMainDefaults(const std::string& path);

// The measurement directory of an instrument file: its directory line with
// the separator, then the id and the separator unless its header-count line
// holds "no_id_met".  Letters keep their case.
std::string MeasurementDirectoryOf(const std::string& headerCountLine,
                                   const std::string& directoryLine, const std::string& id);

// What the shell takes from an instrument defaults file.
struct InstrumentDefaults {
    std::string DataExtension;  // extension of the scan files, with its point
    std::string DataPath;       // measurement directory, ending in the separator
    bool Missing = false;       // the file was missing: no values
};

// Reads the instrument defaults file `path` of instrument `id`.  A missing
// file shows its message with the full path, gets the default file
// (WriteDefaultInstrumentDefaults) and gives Missing.
[[nodiscard]] InstrumentDefaults ReadInstrumentDefaults(const std::string& path,
                                                        const std::string& id);

// The nine lines of the default instrument defaults file for instrument `id`:
// "ozonshi.dfa", "0 no_id_met", "." + id, the default measurement directory,
// "285.0 440.0 0.5" (nm), "1", "1", "0.32" (nm), "1".
std::vector<std::string> DefaultInstrumentDefaultsLines(const std::string& id);

// Writes them as the instrument defaults file `path`.
void WriteDefaultInstrumentDefaults(const std::string& path, const std::string& id);

// What the main window's entries select.
struct DataSelection {
    // The mask of the scans to list: DataPath + day-and-time text +
    // DataExtension; empty when a defaults file was missing.
    std::string Mask;
    MainDefaults Defaults;
    // The long or the instrument defaults file was missing: the action that
    // asked stops.
    bool DefaultsMissing = false;
};

// Reads both defaults files for the entries (the instrument file only when
// the long one was there).  A main path that names no directory (an
// unmounted disk) raises the refusal kMainPathMissingText naming it, before
// anything is read or made there.
[[nodiscard]] DataSelection SelectData(const ShellSettings& entries);

// Puts `mainPath` into the main-path line of the long defaults file
// `defaultsFile`, completes the file from the template "tarn_e.dfa" of the
// working directory (the template's lines beyond the file's last one are
// appended; a longer file keeps all its lines) and saves it when that changed
// it.  Then, when the main path (with its separator; an empty one is the
// working directory) is a directory that lacks the effective-UV defaults
// file the file names, copies "efuv.dfa" of the working directory there.  A
// missing template, or a file too short to hold the main path (reported
// with the index of that line), raises before anything is written; so does
// an empty name (kNoDefaultsFileText).
void MergeDefaultsWithTemplate(const std::string& defaultsFile, const std::string& mainPath);

// The main analysis path to put on the long defaults file's main-path line,
// and whether that directory is missing.
struct MainPathChoice {
    std::string Path;
    bool DirectoryMissing = false;
};

// The main path in force for `written`: `written` when it names an existing
// directory, else the fixed default when that exists; else `written` again
// (an unmounted disk must not erase the operator's path), DirectoryMissing set.
[[nodiscard]] MainPathChoice MainPathInForce(const std::string& written);

// The start's upkeep of the long defaults file `defaultsFile` (or, when
// nothing of that name exists, of the template "tarn_e.dfa"): its main path
// stays when that directory exists, else becomes DefaultMainAnalysisPath()
// when that one exists, else stays as written with DirectoryMissing set.
// `show` gets the choice before anything is saved; then the lines are saved
// as `defaultsFile` when the main path changed or the file did not exist (so
// a missing file is made from the template).  A file too short to hold the
// main path raises the read of that line and is left as it is; an empty
// name raises kNoDefaultsFileText after `show`.  Returns the choice.
MainPathChoice KeepMainPathAtStart(const std::string& defaultsFile,
                                   const std::function<void(const MainPathChoice&)>& show = {});

}  // namespace tarn::tarncall
