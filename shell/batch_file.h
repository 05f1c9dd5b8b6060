// The texts of a "Run TARN" run as plain functions (tests build them without a
// window): the engine lines, the archiving lines and the marker lines of the
// batch file "tarn_bat.bat", the marker files "CHECK.OK" and "CHECK.RES" in
// the working directory, and how the end of a day's batch is judged.
//
// Arguments of a batch line that hold a blank are written in double quotes, so
// that the batch interpreter passes each one whole; the result-code text is
// written as typed, its blanks separating the one-letter codes.  Main paths
// handed to these functions end in the path separator; subdirectory names are
// the built-in ones of engine/formats/result_names.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn::tarncall {

struct ShellSettings;

constexpr const char kRunBatchFile[] = "tarn_bat.bat";
// Locked by a run from before "CHECK.OK" is written until after it is deleted:
// one run at a time in a working directory.
constexpr const char kRunLockFile[] = "TARNcall.lck";
constexpr const char kCheckOkFile[] = "CHECK.OK";
constexpr const char kCheckResFile[] = "CHECK.RES";
// First line of every day's batch, and the two lines that end every day's
// batch but the last: "CHECK.RES" then exists only when the batch ran to
// its end.
constexpr const char kDeleteMarkerLine[] = "del CHECK.RES";
constexpr const char kCopyMarkerLine[] = "copy CHECK.OK CHECK.RES";
constexpr const char kUserBreakText[] = "USER induced break";

// `text` as one argument of a batch line: in double quotes when it is empty
// or holds a blank or a tab, else as it is.
std::string BatchArgument(const std::string& text);

// The scan name of a data-file list item: its text before the first ".".
std::string ScanNameOf(const std::string& item);
// The day of a scan name: its first three characters.
std::string DayOf(const std::string& scanName);
// The number of a day text of exactly three digits; none for any other text.
[[nodiscard]] std::optional<int> DayNumber(const std::string& day);
// A day number as three digits, zero-padded (7 -> "007").
std::string DayText(int day);

// The engine line of one scan: program, scan name, instrument id, long
// defaults file and result-code text of `entries`, blank-separated.
std::string EngineLine(const ShellSettings& entries, const std::string& scanName);

// The archive of day `day` (three digits): <mainPath><id>/<id><day>.zip.
std::string ArchiveFile(const std::string& mainPath, const std::string& id, const std::string& day);

// Appends the archiving lines of day number `day` to `batch`: the pkzip line
// packing <mainPath><id>/<DDD>*.* with relative paths into the archive of DDD
// (named without ".zip" where the interpreter adds it: ArchiveLineName);
// then, only when `previousZipDay` is another day whose archive exists now,
// the six "del" lines of that day's result files (result directory, efuv,
// shift, qaqc, qaqc/struc, trans).  Sets `previousZipDay` to DDD.
void WriteZipCommands(std::vector<std::string>& batch, const std::string& mainPath,
                      const std::string& id, int day, std::string& previousZipDay);

// The batch of one day, whose scans are `scanNames` (one day's, at least one):
// "del CHECK.RES"; when the day (three digits) has an archive,
// "pkunzip -d <archive> <mainPath><id>/", which restores the files of the
// archive missing on disk so that the engine appends to the whole daily
// tables (also after a restore cut short); the engine lines; with `zip` the
// archiving lines (WriteZipCommands); unless `lastDay`, the two marker lines.
std::vector<std::string> DayBatch(const ShellSettings& entries, const std::string& mainPath,
                                  const std::vector<std::string>& scanNames, bool zip, bool lastDay,
                                  std::string& previousZipDay);

// The applied-shift file of a scan that the engine writes with the result
// codes `resultCodes`: <mainPath><id>/<shiftSubdirectory><scan><c>.<id>, c the
// 5th character of the codes.  None when the codes have fewer than 5 characters.
[[nodiscard]] std::optional<std::string> AppliedShiftPath(const std::string& mainPath,
                                                          const std::string& shiftSubdirectory,
                                                          const std::string& id,
                                                          const std::string& scanName,
                                                          const std::string& resultCodes);

// Raises RunTimeError::Refusal saying why the run cannot go through a batch
// file: a text that a batch line would carry (program, instrument id,
// defaults file, a scan name, and with `zip` the main path) holding a double
// quote or a line break, which the interpreter cannot pass whole; with `zip`,
// a scan whose day is no three-digit number.
void CheckBatchLines(const ShellSettings& entries, const std::string& mainPath,
                     const std::vector<std::string>& scanNames, bool zip);

// The message when "Run TARN" finds another run going on in `directory`.
std::string RunGoingOnText(const std::string& directory);
// The message when the data-file mask `mask` ("dir/pattern", relative to the
// working directory or absolute) matches no file: the pattern and the
// directory searched, as an absolute path.
std::string NoDataFilesText(const std::string& mask);

// Writes "tarn_bat.bat" whole (replacing it) with `lines`.
void WriteBatchFile(const std::vector<std::string>& lines);
// Writes "CHECK.OK" with the one line "OK"; deletes it (a missing file is no
// error).
void WriteCheckOk();
void DeleteCheckOk();
// True when "CHECK.RES" exists: the last batch ran to its marker lines.
bool RunCompleted();

// How a day's batch ended, as the interpreter reported it.
struct BatchEnd {
    bool Started = false;       // false: the interpreter could not be started
    int ExitCode = -1;          // 0 ran to its end, 1 stopped, 2 its error report
    bool BreakPressed = false;  // the operator pressed "Break"
    std::string StopLine;       // its "batch stopped: ..." line, or ""
    std::string LastErrorLine;  // its last line on standard error, or ""
};

// What the run does after a day's batch.
struct DayVerdict {
    bool GoOn = false;
    std::string Message;  // shown to the operator; "" for none
};

// Judges a day's batch: it ran to its end when the interpreter ended with 0,
// no break was asked and, for every day but the last, "CHECK.RES" was found
// (`markerFound`).  Otherwise the run stops with "USER induced break" for a
// break, the interpreter's stop line for any other stop (a failed pkzip line,
// a program that cannot start), its error report for a batch it could not
// run, and else "USER induced break"; without a message when the interpreter
// did not start (the start already reported that).
DayVerdict JudgeDayBatch(const BatchEnd& end, bool lastDay, bool markerFound);

}  // namespace tarn::tarncall
