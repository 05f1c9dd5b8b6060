// The viewer settings file: the view that the result viewer plots, written by
// the operator shell for its quality views and by the viewer at every "Plot".
// Thirteen lines, 0-based, one text each, in the order of kViewerSettingsLayout;
// lines after line 12 belong to nobody and may be kept.  The file lies in the
// working directory that the shell and the viewer share; its name is compared
// without regard to case ("Viewer.DFA" is the same file).
#pragma once

#include <array>
#include <string>

namespace tarn::gui {

class LineList;

// The name of the file in the working directory.
constexpr const char kViewerSettingsFileName[] = "viewer.dfa";
// Number of lines that hold the settings.
constexpr int kViewerSettingsLineCount = 13;

// One view, each value as the text of its line (numbers as typed or written).
struct ViewerSettings {
    std::string FileMask;  // 0: file name or pattern, without directory
    std::string Path;      // 1: directory of the result files, ending in a separator
    std::string Title;     // 2: chart title
    std::string XColumn;   // 3: X column, 1 = first blank-separated field
    std::string XMax;      // 4: X axis maximum
    std::string XMin;      // 5: X axis minimum
    std::string XTitle;    // 6: X axis title
    std::string YColumn;   // 7: Y column
    std::string YMax;      // 8: Y axis maximum
    std::string YMin;      // 9: Y axis minimum
    std::string YTitle;    // 10: Y axis title
    std::string XSteps;    // 11: number of X axis steps (increment = range / steps)
    std::string YSteps;    // 12: number of Y axis steps
};

// The member of ViewerSettings held by each line, line 0 first.
extern const std::array<std::string ViewerSettings::*, kViewerSettingsLineCount>
    kViewerSettingsLayout;

// The record whose lines 0..12 are `lines`.
ViewerSettings ViewerSettingsOf(const std::array<std::string, kViewerSettingsLineCount>& lines);

// The viewer's own defaults for a view, used when no settings file exists:
// "1851200i.ati" in "ati" of the engine's built-in main path (in the working
// directory), no titles and no step counts.
ViewerSettings DefaultViewerSettings();

// The thirteen lines of `settings`, line 0 first; a line break inside a value
// becomes a blank, so the layout always stays thirteen lines.
std::array<std::string, kViewerSettingsLineCount> ViewerSettingsLines(
    const ViewerSettings& settings);

// Takes lines 0..12 of `lines` into `settings`, in layout order, as far as the
// list reaches; values of missing lines stay as they were.  Returns the number
// of lines taken (kViewerSettingsLineCount for a whole file).
int ReadViewerSettings(const LineList& lines, ViewerSettings& settings);

// Puts `settings` into lines 0..12 of `lines` (appending lines a shorter list
// lacks; each line keeps its end).  Lines after line 12 are kept when
// `keepLaterLines`, else dropped.
void WriteViewerSettings(const ViewerSettings& settings, LineList& lines, bool keepLaterLines);

// Saves `settings` as the settings file of the working directory, lines
// 0..12; with `keepLaterLines` the lines after line 12 of an existing file
// stay, else the file holds exactly the thirteen lines.  Raises
// RunTimeError when the file cannot be loaded or saved.
void SaveViewerSettingsFile(const ViewerSettings& settings, bool keepLaterLines);

// A number in the file's shortest form: the fewest digits that read back as
// the same value, in fixed notation within 1e-5..1e15 (400, 290, -50, 0.5,
// 1.4), else scientific ("1e+20").  Independent of the process locale.
std::string ViewerSettingsNumber(double value);

}  // namespace tarn::gui
