// The shell's seven quality views of the engine's results, as plain functions
// over the main window's entries (tests call them without a window).  The
// spectral-shift view plots the applied-shift files in the shell's own
// shift-graph window; the six others put their preset into the viewer
// settings file "viewer.dfa" of the working directory and start the result
// viewer resplot, waiting until the operator closes it.
//
// The diurnal views address columns of the daily quality table <DDD>QC.<id>.
// Their numbers come from the table's column rule for the structure-criteria
// counts of the long defaults file in force, so they name the same values
// whatever those counts are (36 and 60 with four criteria, 40 and 66 with
// the engine's built-in five).
#pragma once

#include <optional>
#include <string>

#include "gui-common/viewer_settings.h"

namespace tarn::gui {
class TfrmDataFiles;
}

namespace tarn::tarncall {

class ShiftGraphs;

// The views, one per radio button of "Viewing results graphically".
enum class QualityView {
    SpectralShift,         // "spectral shift": the shell's shift graph
    SpectralSpikes,        // "spectral spikes": model-ratio files, percent deviation
    SpectralTransmission,  // "spectral transmission": model-ratio files, ratio
    DiurnalTransmission2,  // "diurnal transm. 2": quality table, ratio mean of interval 2
    DiurnalShift1,         // "diurnal shift 1": quality table, mean shift of interval 1
    DiurnalShift2,         // "diurnal shift 2": quality table, mean shift of interval 2
    DiurnalShape,          // "diurnal shape error": quality table, shape score
};

// The program that draws the six viewer views, by its bare name.
constexpr const char kViewerProgram[] = "resplot.exe";

// What the operator asked for: the ticked view and the entries it uses.
struct ViewRequest {
    QualityView View = QualityView::SpectralShift;
    bool BySza = false;        // "SZA": diurnal views against the zenith angle, else the hour
    std::string DayTime;       // day-and-time mask, DDDhhmm or a pattern
    std::string InstrumentId;  // id
    std::string ResultCodes;   // result-code text; its 5th character is the applied-shift code
    std::string DefaultsFile;  // the long defaults file in force
};

// 1-based columns of the daily quality table that the diurnal views read.
struct DiurnalColumns {
    int ZenithAngle;  // degrees
    int MeanShift1;   // nm, interval 1
    int MeanShift2;   // nm, interval 2
    int ShapeScore;   // percent, criterion 2 (criterion 1 in a table of one criterion)
    int RatioMean2;   // measured/model ratio of interval 2
    int ScanHour;     // hours, hh + mm/60 of the scan name
};

// The columns for k structure criteria and start criterion S, by the quality
// table's column rule (both brought into range as the engine does).
DiurnalColumns DiurnalColumnsFor(int criteriaCount, int startCriterion);

// Where a view's files lie and how the quality table is laid out, as the long
// defaults file in force gives them.
struct ViewSources {
    std::string MainPath;               // main analysis path, as written
    std::string QcSubdirectory;         // quality-control subdirectory, with its separator
    std::string StructureSubdirectory;  // structure-check subdirectory inside it
    std::string ShiftSubdirectory;      // shift subdirectory ("shift/" when the file lacks it)
    DiurnalColumns Columns;             // for the file's criteria counts
    bool DefaultsMissing = false;       // the file was missing: made from the template
};

// Reads the long defaults file `path` for a view: ReadMainDefaults (a missing
// file shows its message, gives DefaultsMissing and is made from the
// template "tarn_e.dfa"), with the file's shift subdirectory and its
// criteria counts.  Raises RunTimeError when a file cannot be read.
ViewSources ReadViewSources(const std::string& path);

// The thirteen settings of a viewer view (any view but SpectralShift, which
// raises std::invalid_argument): file mask, directory, title, columns, axis
// limits in their shortest form, axis titles and step counts.
gui::ViewerSettings ViewerPreset(const ViewRequest& request, const ViewSources& sources);

// Puts `preset` into lines 0 to 12 of "viewer.dfa" in the working directory
// (found without regard to case) and saves it whole; its later lines stay.  A
// missing file is created and a short one completed with the preset's lines.
void WriteViewerSettings(const gui::ViewerSettings& preset);

// The directory of the applied-shift files, <main path><id>/<shift subdirectory>,
// and the mask of the spectral-shift view in it: <dayTime><code>.<id>, the code
// being the 5th character of the result-code text (none when it is shorter).
std::string AppliedShiftDirectory(const ViewRequest& request, const ViewSources& sources);
std::string AppliedShiftMask(const ViewRequest& request);

// The message of a view whose day lies only in its archive: no file matches
// `pattern` in `directory`, while the mask's day (its first three characters,
// three digits) has its archive <main path><id>/<id>DDD.zip; none otherwise.
[[nodiscard]] std::optional<std::string> ArchivedDayText(const ViewRequest& request,
                                                         const ViewSources& sources,
                                                         const std::string& directory,
                                                         const std::string& pattern);

// The spectral-shift view: lists the applied-shift files of the mask in the
// DataFiles window `files` (shown, empty or not) and plots them in list
// order, the first in a new window of `graphs` titled
// ShiftGraphTitleFor(id, mask), the others added to it.  No file opens no
// window.
void ShowAppliedShifts(const ViewRequest& request, const ViewSources& sources,
                       gui::TfrmDataFiles& files, ShiftGraphs& graphs);

// The whole view: ReadViewSources; a viewer view writes its preset and runs
// resplot until it ends (a viewer that cannot be started shows one message),
// also when the long defaults file was missing; the spectral-shift view shows
// its graph only when it was not, and refuses a result-code text without
// the applied-shift code as the batch run does (NoShiftCodeText).  A view
// whose day lies only in its archive says so (ArchivedDayText) and starts
// no viewer.
void ShowQualityView(const ViewRequest& request, gui::TfrmDataFiles& files,
                     ShiftGraphs& graphs);

}  // namespace tarn::tarncall
