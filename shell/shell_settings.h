// The shell settings file "TARNcall.dfa" in the working directory: the main
// window's five entries, one per line, kept from one start of the shell to
// the next, and an optional sixth line, the name of the output specification
// file, which the shell reads and keeps but never writes itself.
#pragma once

#include <array>
#include <string>

namespace tarn::tarncall {

constexpr const char kShellSettingsFileName[] = "TARNcall.dfa";

// 0-based lines of the file.
enum ShellSettingsLine : int {
    kShellProgramLine = 0,       // engine program call
    kShellDefaultsFileLine = 1,  // path and name of the long defaults file
    kShellResultCodesLine = 2,   // result-code text ("S I W")
    kShellInstrumentLine = 3,    // instrument id
    kShellDayTimeLine = 4,       // day-and-time mask
    kShellOutputSpecLine = 5,    // optional: name of the output specification file
    kShellEntryCount = 5         // lines the shell writes
};

// The main window's entries, each as typed.
struct ShellSettings {
    std::string Program;       // edtProg
    std::string DefaultsFile;  // edtDFA
    std::string ResultCodes;   // edtResCode
    std::string InstrumentId;  // edtInstrument
    std::string DayTime;       // edtDayTime
};

// The member of ShellSettings held by each of lines 0 to 4.
extern const std::array<std::string ShellSettings::*, kShellEntryCount> kShellSettingsLayout;

// Reads "TARNcall.dfa" when it exists: lines 0 to 4 into `settings`, and
// line 5, when the file has one, into `outputSpecName`.  False (nothing
// changed) when there is no such file.  A file of fewer than five lines
// gives the values it holds, then raises RunTimeError for its first
// missing line.
bool ReadShellSettingsFile(ShellSettings& settings, std::string& outputSpecName);

// Puts the five entries into lines 0 to 4 of "TARNcall.dfa" and keeps every
// later line as it was (the file is made when missing).  The file is
// replaced whole or not at all; raises RunTimeError when it cannot be
// loaded or saved.
void WriteShellSettingsFile(const ShellSettings& settings);

}  // namespace tarn::tarncall
