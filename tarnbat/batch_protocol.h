// What the batch interpreter tarnbat and the programs that write its batch
// files and read its console share: how a line splits into arguments, which
// files a "del" or "pkzip" mask takes, how an archive is named, and the
// console texts.
//
// A line is split into arguments at blanks and tabs; double quotes group an
// argument and are removed.  The file-name part of a del or pkzip mask
// matches letter for letter where the file system tells case apart
// (directories are found without regard to case), and a mask with "*" or "?"
// never matches a ".zip" archive.
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
//   "batch stopped: break"                SIGTERM or SIGHUP arrived, SIGINT
//                                         unless ignored at the start, or
//                                         the parent process ended
//   "batch stopped: cannot start " NAME ": " REASON
//                                         a program could not be started
//   "batch stopped: pkzip: " REASON       a pkzip line failed (zip_archive.h
//                                         lists the reasons; bad arguments too)
//   "batch stopped: pkunzip: " REASON     a pkunzip line failed (zip_restore.h)
#pragma once

#include <string>
#include <vector>

#include "platform/file_mask.h"
#include "platform/paths.h"

namespace tarn {

// The fixed beginnings of the console texts above, for the programs that read them.
constexpr const char kBatchEchoPrefix[] = "> ";               // a line about to run
constexpr const char kBatchStopPrefix[] = "batch stopped: ";  // the stop line
constexpr const char kBatchExitPrefix[] = "< exit status ";   // then N
constexpr const char kBatchSignalPrefix[] = "< ended by signal ";  // then N
constexpr const char kBatchPackStopPrefix[] = "batch stopped: pkzip: ";
constexpr const char kBatchUnpackStopPrefix[] = "batch stopped: pkunzip: ";
constexpr const char kBatchStartStopPrefix[] = "batch stopped: cannot start ";
// The reason of the stop line of a break ("batch stopped: break").
constexpr const char kBatchBreakReason[] = "break";

// Arguments of one batch line.
std::vector<std::string> SplitBatchLine(const std::string& line);

// How the file-name part of a del or pkzip mask compares letters: letter for
// letter where the file system tells case apart.
constexpr NameCase kBatchNameCase = kNamesTellCaseApart ? NameCase::Exact : NameCase::Ignore;

// True when the del or pkzip pattern `pattern` takes the file `name`: it
// matches with kBatchNameCase, and a pattern with "*" or "?" never takes a
// ".zip" archive (only a line naming an archive exactly touches it).
bool BatchMaskTakes(const std::string& name, const std::string& pattern);

// The archive file that a pkzip or pkunzip line naming `archive` packs into
// or restores from: `archive` with ".zip" added when its last component has
// no extension ("res/exa173" -> "res/exa173.zip"; "res/a.b007" stays).
std::string ArchiveFileName(const std::string& archive);

// How a line names the archive file `file`: without its ".zip" where
// ArchiveFileName gives the file back ("res/exa173.zip" -> "res/exa173"),
// else whole ("res/a.b007.zip").
std::string ArchiveLineName(const std::string& file);

}  // namespace tarn
