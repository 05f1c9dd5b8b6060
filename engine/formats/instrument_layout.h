// The instrument defaults file <main path><id>.dfa: the line of each value and
// the writer of its lines.  The engine's install dialogue and reader and the
// operator shell (its reader and its default file) all take the positions
// from here.  Pure: no module state, console or log.
#pragma once

#include <string>
#include <vector>

namespace tarn {

// 0-based line of each value.  Writers put lines 0 to 8; lines 9 and 10 are
// read only while the file has more lines.
enum InstrumentLine : int {
    kInstrumentSettingsName = 0,       // name of the analysis settings file
    kInstrumentHeaderCount = 1,        // header-line count, optionally followed by "no_id_met"
    kInstrumentExtension = 2,          // extension of the scan files, with its point
    kInstrumentDirectory = 3,          // directory of the scan files
    kInstrumentRange = 4,              // start, end and step of the wavelength range (nm)
    kInstrumentHalfWidth = 5,          // half width in scan points
    kInstrumentSlitChar = 6,           // "1": slit-function file, else a triangle of the FWHM
    kInstrumentFwhm = 7,               // FWHM of the slit (nm)
    kInstrumentLineStep = 8,           // every n-th scan line is used
    kInstrumentIrradianceFactor = 9,   // optional
    kInstrumentSdShiftThreshold = 10,  // optional (nm)
    kInstrumentWrittenLineCount = 9
};

// The word of line 1 that puts the scans directly in the directory of line 3,
// without the instrument id's sub-directory (a case-sensitive substring).
constexpr const char kNoIdMetWord[] = "no_id_met";

// Maximum length of the extension that the engine takes from line 2.
constexpr size_t kMaxExtensionLength = 10;

// The values of a written file, each as the text of its line (the install
// dialogue writes numbers in the default real notation, the shell's default
// file as typed).
struct InstrumentDefaultsTexts {
    std::string SettingsFileName;
    std::string HeaderCount;  // see HeaderCountText
    std::string Extension;
    std::string Directory;
    std::string Range;
    std::string HalfWidth;
    std::string SlitChar;
    std::string Fwhm;
    std::string LineStep;
};

// Line 1: the count, and " no_id_met" after it when `noIdMet` ("0 no_id_met").
std::string HeaderCountText(long count, bool noIdMet);

// True when line 1 holds the word "no_id_met".
bool HasNoIdMet(const std::string& headerCountLine);

// The nine lines of a written file, line 0 first.
std::vector<std::string> InstrumentDefaultsLines(const InstrumentDefaultsTexts& texts);

}  // namespace tarn
