// The shell's module-level values, alive while the program runs: what the
// readers of the long and instrument defaults files found, the shell settings
// file's name and the value of its optional sixth line, the batch run's
// progress and the error flag that stops an action.  A ShellStateRecord{}
// holds the values of the program start.
#pragma once

#include <string>

#include "engine/formats/constants.h"

namespace tarn::tarncall {

struct ShellStateRecord {
    // Main analysis path of the long defaults file, with the separator added
    // when its line lacks one (as the engine takes it).
    std::string MainAnalysisPath;
    // Quality-control and structure-check subdirectories of the long defaults
    // file, or the built-in names with the separator when the file ends before them.
    std::string QcSubdirectory;
    std::string StructureSubdirectory;
    // Shift subdirectory of the long defaults file ("shift" with the separator
    // when the file ends before it), and its structure-criteria counts in
    // force (the daily quality table's columns follow from them).
    std::string ShiftSubdirectory;
    int CriteriaCount = 0;
    int StartCriterion = 0;
    // Extension of the scan files, with its point (instrument defaults file).
    std::string DataExtension;
    // Measurement directory built from the instrument defaults file, ending
    // in the separator.
    std::string DataPath;
    // "TARNcall.dfa", set at start.
    std::string ShellSettingsName;
    // Name of the output specification file: the shell settings file's line
    // 5 when it has one, else "output.dfa"; the settings dialog takes it.
    std::string OutputSpecName = kOutputSpecName;
    // First item of the data-file list whose batch has not run yet.
    int FirstUnplottedIndex = 0;
    // Set when the long or the instrument defaults file was missing: the
    // action that asked stops.
    bool DefaultsMissing = false;
};

extern ShellStateRecord ShellState;

}  // namespace tarn::tarncall
