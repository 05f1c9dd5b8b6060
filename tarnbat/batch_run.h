// The batch interpreter: runs a batch file line by line in the working
// directory.  Lines are never given to a shell.
//
// A line is split into arguments at blanks and tabs; double quotes group an
// argument and are removed.  A line without arguments does nothing.  The first
// argument, compared without regard to case, picks the kind of line:
//   del PATTERN...          deletes the regular files that match
//   copy SOURCE TARGET      copies one file
//   pkzip ARCHIVE FILES -rp packs files into a zip archive (zip_archive.h)
//   pkunzip -d ARCHIVE DIR  restores the files of an archive that are missing
//                           under DIR (zip_restore.h)
//   anything else           a program, started with the other arguments and
//                           waited for; it ends when tarnbat ends
// The file-name part of a del or pkzip mask matches letter for letter where
// the file system tells case apart (directories are found without regard to
// case), and a mask with "*" or "?" never matches a ".zip" archive.
//
// Console texts on standard output, one line each, flushed at once:
//   "> " LINE                             before a line runs (as read)
//   "< exit status " N                    a program ended with status N
//   "< ended by signal " N                a program was ended by signal N
//   "< cannot delete " PATH ": " REASON   a file of a del line stays
//   "< cannot copy " SOURCE " to " TARGET ": " REASON
//   "< del needs a file name"             a del line without an argument
//   "< copy needs a source and a target"  a copy line without two arguments
//   "< packed " N " files into " ARCHIVE  a pkzip line wrote and checked its archive
//   "< nothing to pack: " FILES           a pkzip line matched no file; the
//                                         archive is left as it was
//   "< restored " N " files from " ARCHIVE  a pkunzip line wrote and checked
//                                         N files (N may be 0)
// These lines report and the batch goes on.  A batch that stops before its
// end writes one line on standard error (and runs no further line):
//   "batch stopped: break"                SIGINT, SIGTERM or SIGHUP arrived,
//                                         or the parent process ended
//   "batch stopped: cannot start " NAME ": " REASON
//                                         a program could not be started
//   "batch stopped: pkzip: " REASON       a pkzip line failed (zip_archive.h
//                                         lists the reasons; bad arguments too)
//   "batch stopped: pkunzip: " REASON     a pkunzip line failed (zip_restore.h)
// Exit codes: 0 the batch ran to its end (whatever its programs returned),
// 1 the batch stopped, 2 the run-time error report (one line on standard
// error: the batch file cannot be read, or a line of it holds a NUL byte;
// then no line runs) or a wrong command line ("usage: tarnbat BATCHFILE").
#pragma once

#include <string>
#include <vector>

namespace tarn {

// The fixed beginnings of the console texts above, for the programs that read them.
constexpr const char kBatchEchoPrefix[] = "> ";               // a line about to run
constexpr const char kBatchStopPrefix[] = "batch stopped: ";  // the stop line
constexpr const char kBatchPackStopPrefix[] = "batch stopped: pkzip: ";
constexpr const char kBatchUnpackStopPrefix[] = "batch stopped: pkunzip: ";
constexpr const char kBatchStartStopPrefix[] = "batch stopped: cannot start ";

// Arguments of one batch line.
std::vector<std::string> SplitBatchLine(const std::string& line);

// What a line does, by its first argument (at least one) compared without
// regard to case.
enum class BatchLineKind { Delete, Copy, Pack, Unpack, Program };
BatchLineKind KindOfBatchLine(const std::vector<std::string>& args);

// Runs one line already split into `args` (at least one).  Returns "" when the
// batch goes on, else the reason for stopping it.  Writes the line's reports
// on the console (platform/console.h).
std::string RunBatchLine(const std::vector<std::string>& args);

// What runs each line of a batch file: RunBatchLine in the program; a
// function of the same contract that runs nothing where lines are only read.
using BatchLineRunner = std::string (*)(const std::vector<std::string>& args);

struct BatchOutcome {
    int exitCode = 0;
    std::string stopReason;  // "" when the batch ran to its end
};

// Runs the batch file `path` (found without regard to case) line by line
// through `runLine`, echoing each line on the console, until its end, a break
// or a line that stops the batch.  Raises RunTimeError, before any line runs,
// when the file cannot be read or a line holds a NUL byte.
BatchOutcome RunBatchFile(const std::string& path, BatchLineRunner runLine = RunBatchLine);

// The program: `args` is the command line without the program name (one
// batch file).  Installs the break handlers, runs the batch and writes the
// stop line or the run-time error report on standard error.  Returns the exit
// code.
int RunTarnbat(const std::vector<std::string>& args);

}  // namespace tarn
