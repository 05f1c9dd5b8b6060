// The file work of the settings dialog, as plain functions over the texts of
// its edits (tests call them without a window): the long defaults file, the
// instrument defaults file <main path><id>.DFA and the output specification.
//
// Each value of the long defaults file is found on its own line through the
// engine's locator, whatever the file's window list and counts of structure
// criteria, selected windows and zenith rows; a value the file does not hold
// is never written over another line.  Files are edited as line lists:
// loaded whole, lines replaced, saved whole (also when an edit ends early,
// with the lines replaced so far).  An Apply writes only what the operator
// edited: the lines of an edit left as it was filled keep their bytes, and
// are neither checked nor rewritten (a value the file does not hold yet is
// written as shown).  Before it touches a file, an Apply checks every edited
// numeric edit of its tab as the engine reads its line (the numbers it needs
// first, any text after them) and refuses one it could not read with
// RunTimeError::Refusal (one line naming the edit by its label), writing
// nothing; so is an Apply with no long defaults file named (kNoDefaultsFileText).
// File failures raise RunTimeError; the dialog's guard reports them.
#pragma once

#include <string>

#include "engine/formats/output_spec_layout.h"
#include "gui-common/edit_text.h"
#include "shell/defaults_upkeep.h"

namespace tarn::tarncall {

// Shown for the 1-nm extraterrestrial spectrum when the file does not hold it.
constexpr const char kNotUsedText[] = "NOT USED no full dfa-file";
// Shown in the four edits the dialog never writes.
constexpr const char kNotAdjustableText[] = "NOT ADJUSTABLE";
// Shown when the file holds no time correction, or the instrument file no
// irradiance factor.
constexpr const char kNoTimeCorrectionText[] = "0  0  0  0";
constexpr const char kNoIrradianceFactorText[] = "1.0";
// The refusal of an Apply of the Output control tab with an empty name.
constexpr const char kNoOutputSpecText[] = "No output specification file is named; nothing written";

using gui::EditText;

// The edits of the "Main Instrument" tab.
struct MainInstrumentTexts {
    // Long defaults file.
    EditText Year;          // edtYEAR: measurement year
    EditText LatLong;       // edtLatLong: latitude, longitude (degrees)
    EditText TimeShift;     // Edt_timeshft: days, hours, minutes, seconds
    EditText AnalysisPath;  // Edt_Analys: main path
    // Instrument defaults file.
    EditText HeaderCount;       // edt_nrheader: header lines of a scan
    EditText DataPath;          // EdtData: the scans' directory
    EditText Extension;         // edt_exten: the scans' extension
    EditText Range;             // edtRange: start, end, step (nm)
    EditText HalfWidth;         // edt_stapnr: half width in scan points
    bool SlitAvailable = true;  // chkbxSlit: slit-function file
    bool SlitEdited = false;    // chkbxSlit changed since it was filled
    EditText Fwhm;              // edtFWHM: FWHM of the slit (nm)
    EditText IrradianceFactor;  // Edt_irrcor: unit correction factor
    // The instrument edits were filled from the file; when not (the main
    // path was missing), Apply and Undo leave the instrument file alone.
    bool InstrumentShown = true;
};

// The edits of the "Analysis" tab (and Edt_Analys).
struct AnalysisTexts {
    EditText OzoneFit;      // Edt_OzFit: ozone-fit window, lower and upper (nm)
    EditText Shift;         // Edt_Shift: first window, width, step (nm)
    EditText WindowCount;   // Edt_nrSh: number of shift windows
    EditText Output;        // Edt_Out: final simulation start, end, step, FWHM (nm)
    EditText AnalysisPath;  // Edt_Analys: main path
};

// The edits of the "ET_QA-settings" tab.
struct EtQaTexts {
    EditText EtPath;      // Edt_etpath: reference and action-spectrum directory
    EditText EtSpectrum;  // Edt_etspec: extraterrestrial spectrum file
    EditText Et1nm;       // Edt_et1nm: extraterrestrial spectrum at 1 nm
    EditText O3Cross;     // Edt_Ox: ozone cross-section file
};

// The dialog's start on the long defaults file `defaultsFile`: when it
// exists it is first completed from the template (MergeDefaultsWithTemplate
// with `mainPathText`), else the template "tarn_e.dfa" of the working
// directory is its source.  The main path is `mainPathText` when that
// directory exists, else DefaultMainAnalysisPath() when that one exists,
// else `mainPathText` as written (DirectoryMissing set); it goes into the
// main-path line.  Fills the year, the location (each field fixed(10, 5),
// five blanks between), the time correction (fixed(3, 0) then three times
// fixed(2, 0), two blanks between; "0  0  0  0" when the file holds none)
// and every text of `etqa` (kNotUsedText for a 1-nm spectrum the file does
// not hold), then saves the lines as `defaultsFile`, also when a fill
// failed.  With `write` false (a run holds the working directory) nothing
// is merged or saved: the texts are those the file holds with that main
// path.  Returns the main path chosen.
MainPathChoice OpenLongDefaults(const std::string& defaultsFile, const std::string& mainPathText,
                                MainInstrumentTexts& main, EtQaTexts& etqa, bool write = true);

// The instrument defaults file of instrument `id` in `mainPath`.
std::string InstrumentFileOf(const std::string& mainPath, const std::string& id);

// Fills the instrument edits of `main` from InstrumentFileOf(mainPath, id),
// written first as the nine-line default when missing (without a message,
// as for every reader of the dialog): the header count
// (without "no_id_met"), the measurement directory (MeasurementDirectoryOf),
// the extension, the range (each field fixed(6, 2), three blanks between),
// the half width, the slit flag, the FWHM (fixed(6, 3)) and the irradiance
// factor ("1.0" when the file has no tenth line).  With `write` false a
// missing file is not written: the default's texts are shown.
void ReadInstrumentTexts(const std::string& mainPath, const std::string& id,
                         MainInstrumentTexts& main, bool write = true);

// "Undo" of the Main Instrument tab: the year and the location as written in
// `defaultsFile`; from the instrument file in its main path (the default
// first when missing), the measurement directory, the range and the FWHM as
// written and the slit flag (not without InstrumentShown).  The other texts
// keep their values; nothing else is saved.
void ReloadMainInstrumentTexts(const std::string& defaultsFile, const std::string& id,
                               MainInstrumentTexts& main);

// "Undo" of the Analysis tab: every text of `texts` from `defaultsFile`,
// the windows grouped (FormatFieldValues), the window count rounded to a
// whole number right-aligned in 4 characters.  Nothing is saved.
void ReadAnalysisTexts(const std::string& defaultsFile, AnalysisTexts& texts);

// The extension with "." put in front when it holds none ("TES" -> ".TES").
std::string ExtensionWithPoint(const std::string& text);

// Raises RunTimeError::Refusal for the first edited numeric edit of `main` that
// the engine could not read: the year (a whole number of at most 4 digits at
// the line's start, as the engine takes its first four characters), the
// location (2 numbers), the time correction (4 whole numbers), the header
// count (1 whole), the range (3), the half width (1 whole), the FWHM (1) and
// the irradiance factor (1).  Text after the numbers is allowed.
void CheckMainInstrumentTexts(const MainInstrumentTexts& main);

// "Apply" of the Main Instrument tab.  After CheckMainInstrumentTexts, the
// edited year, location, main path and time correction go into
// `defaultsFile` (saved); then the instrument file of `id` in the main path
// the file holds (the default first when missing) gets what was edited: its
// directory, its header count as typed with " no_id_met" (both when either
// was edited and the file did not say "no_id_met", as the directory shown is
// the whole measurement directory), the extension (ExtensionWithPoint), the
// range, the FWHM, the slit flag ("1" or "0"), the half width and the
// irradiance factor (appended as the tenth line to a file of nine); not
// without InstrumentShown.  A time
// correction the file does not hold raises after the other lines were saved;
// the instrument file is then not touched.
void ApplyMainInstrument(const std::string& defaultsFile, const std::string& id,
                         const MainInstrumentTexts& main);

// "Apply" of the Analysis tab on `defaultsFile`.  Checks the edited numeric
// edits, then writes what was edited: the final simulation := Output; the
// ozone-fit window, the window series, the main path and the window count
// (+ "  1", a regular series; with an explicit window list in the file the
// series and the count go together, the series line in place of the list).
// The model grid (start a, end b, step c) is widened to cover the final
// simulation's start s and end e by f x FWHM + m on each side (m the maximum
// shift, f the slit range factor): a := s - f w - m when that is lower,
// b := e + f w + m when that is higher, written grouped with two blanks
// before each only when it widened.  Saves.
void ApplyAnalysis(const std::string& defaultsFile, const AnalysisTexts& texts);

// "Apply" of the ET_QA-settings tab on `defaultsFile`, for each edited text:
// the reference directory and the action-spectrum directory := EtPath, the
// ET spectrum, the ozone cross-section, and the 1-nm spectrum only when the
// file holds that line.  Saves.
void ApplyEtQa(const std::string& defaultsFile, const EtQaTexts& texts);

// "Apply" of the Output control tab: writes the output specification in the
// main path P of `defaultsFile` (its main-path line with the separator):
// P + `name` with the 23 lines of OutputSpecLines (first line P + name);
// then, when `name` is not "output.dfa" (in any case of letters),
// P + "output.dfa" holding the single line P + name.  An empty `name` is
// refused (kNoOutputSpecText).
void WriteOutputSpecification(const std::string& defaultsFile, const std::string& name,
                              const OutputSwitches& switches);

}  // namespace tarn::tarncall
