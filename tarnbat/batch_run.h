// The batch interpreter: runs a batch file line by line in the working
// directory.  Lines are never given to a shell.
//
// A line without arguments does nothing.  The first
// argument, compared without regard to case, picks the kind of line:
//   del PATTERN...          deletes the regular files that match
//   copy SOURCE TARGET      copies one file
//   pkzip ARCHIVE FILES -rp packs files into a zip archive (zip_archive.h)
//   pkunzip -d ARCHIVE DIR  restores the files of an archive that are missing
//                           under DIR (zip_restore.h)
//   anything else           a program, started with the other arguments and
//                           waited for; it ends when tarnbat ends
// How lines split, which files a mask takes and the console texts, which the
// shell reads, are in batch_protocol.h.
// Exit codes: 0 the batch ran to its end (whatever its programs returned),
// 1 the batch stopped, 2 the run-time error report (one line on standard
// error: the batch file cannot be read, or a line of it holds a NUL byte or
// a carriage return that ends no line; then no line runs) or a wrong command
// line ("usage: tarnbat BATCHFILE").
#pragma once

#include <string>
#include <vector>

#include "tarnbat/batch_protocol.h"

namespace tarn {

// What a line does, by its first argument (at least one) compared without
// regard to case.
enum class BatchLineKind { Delete, Copy, Pack, Unpack, Program };
BatchLineKind KindOfBatchLine(const std::vector<std::string>& args);

// Runs one line already split into `args` (at least one), writing the line's
// reports on the console (platform/console.h).  Raises RunTimeError, a refusal
// whose text is the reason ("pkzip: ...", "cannot start ..."), when the line
// stops the batch.
void RunBatchLine(const std::vector<std::string>& args);

// What runs each line of a batch file: RunBatchLine in the program; a
// function of the same contract that runs nothing where lines are only read.
using BatchLineRunner = void (*)(const std::vector<std::string>& args);

struct BatchOutcome {
    int ExitCode = 0;
    std::string StopReason;  // "" when the batch ran to its end
};

// Runs the batch file `path` (found without regard to case) line by line
// through `runLine`, echoing each line on the console, until its end, a break
// or a line that stops the batch (its RunTimeError's text is the stop
// reason).  Raises RunTimeError, before any line runs, when the file cannot
// be read or a line holds a NUL byte or a carriage return (lines end in LF or
// CR LF).
[[nodiscard]] BatchOutcome RunBatchFile(const std::string& path,
                                        BatchLineRunner runLine = RunBatchLine);

// The program: `args` is the command line without the program name (one
// batch file).  Installs the break handlers, runs the batch and writes the
// stop line or the run-time error report on standard error.  Returns the exit
// code.
int RunTarnbat(const std::vector<std::string>& args);

}  // namespace tarn
