// The result files of one run as one transaction: written at the run's normal
// end or not at all.
//
// While a transaction is open, every TextOut create or append of a file whose
// name begins with one of its roots is held in memory, and the disk keeps the
// files as they were.  The commit first makes a journal durable that lists how
// to undo it (the size of each file appended to, each new file, each
// replacement written beside its file), then writes the files, makes them
// durable, puts the replacements in place and removes the journal.  An
// abnormal end drops what is held; a commit that fails undoes itself; a kill
// or power cut during a commit leaves the journal, and the next run's
// RecoverInterruptedCommit undoes what it had written.  The one change an undo
// cannot take back is a replacement already renamed into place (a kill or a
// failed rename among the last steps): that file then holds its new, whole
// content while the appends and new files are undone; a rerun of the scan
// writes it again.
#pragma once

#include <string>
#include <vector>

namespace tarn {

// Opens a transaction over the files whose names begin with one of `roots`;
// `journal` is the journal's path, in a directory the run holds locked, and
// every root lies in that directory.  A transaction still open is dropped
// first.
void BeginFileTransaction(const std::string& journal, const std::vector<std::string>& roots);

// Writes every held file as above and closes the transaction; nothing when no
// transaction is open.  A failure undoes the commit and raises the run-time
// error.
void CommitFileTransaction();

// Drops the held files and closes the transaction (an abnormal end).
void AbandonFileTransaction();

// Undoes the changes listed in the journal that an interrupted commit left at
// `journal` and removes it.  Returns the number of files restored (0 when
// there is no journal, or when its commit had not begun to write).  The
// journal may name only files in the result tree `tree`, a directory beside
// it (the instrument id): one that names anything else, or one of another
// version, touches nothing and raises the run-time error naming the journal,
// which stays for the operator to look at.  A change that cannot be undone
// raises the run-time error and keeps the journal.
int RecoverInterruptedCommit(const std::string& journal, const std::string& tree);

// For the file layer.  The held file that TextOut writes `path` into (emptied
// first for a create); -1 when the open transaction does not cover `path`.
// Raises the run-time error when the create or append could not succeed
// (missing directory, missing file to append to, a directory of that name).
int StageCreate(const std::string& path);
int StageAppend(const std::string& path);
void StageWrite(int file, const std::string& text);

// True when the open transaction holds `path` (also a file not yet on disk).
bool IsStagedFile(const std::string& path);

// True when the open transaction holds `path`.  Then `text` is what it holds
// for it, to be read after the content of `diskPath` (empty when the held
// text replaces the file).
bool StagedFileText(const std::string& path, std::string& diskPath, std::string& text);

}  // namespace tarn
