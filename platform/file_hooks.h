// The file layer's changes to files, counted, with the hooks that tests use to
// simulate a full disk and a killed process.
//
// Every open for writing, write, close of a written file, truncation,
// renaming, removal, directory creation and synchronisation that the file
// layer makes goes through these wrappers, which behave as the POSIX calls
// they wrap.  The program never sets a hook: they stay off unless a test
// calls the setters.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarn {

// Lets writes put at most `bytes` more bytes on disk: the write that reaches
// the limit is cut there, and every later write fails with ENOSPC (a full
// disk).  A negative value removes the limit.
void SetDiskSpace(long long bytes);

// Ends the process with _exit(`code`) just before its `operation`-th file
// operation counted from now (as a kill would); 0 turns the kill point off.
void SetKillPoint(long operation, int code);

// File operations and bytes written since the process started or the last
// ResetFileHooks; ResetFileHooks also removes the two hooks.
long FileOperations();
long long BytesWritten();
void ResetFileHooks();

// The wrapped calls.  Each counts as one file operation.
int HookedOpen(const std::string& path, int flags, mode_t mode = 0666);
ssize_t HookedWrite(int fd, const char* data, size_t size);
int HookedClose(int fd);
int HookedTruncate(const std::string& path, off_t size);
int HookedRename(const std::string& from, const std::string& to);
int HookedUnlink(const std::string& path);
// mkdir; a full disk (no byte left) refuses it with ENOSPC.
int HookedMakeDirectory(const std::string& path, mode_t mode);
// Makes the data of the open file durable, or the entries of the open
// directory (fdatasync).
int HookedSyncData(int fd);
// Makes durable everything written to the file system that holds the open
// file or directory `fd` (its entries included).
int HookedSyncFileSystem(int fd);

// Writes the whole text with HookedWrite (again after EINTR or a short write);
// false with errno set when the system refuses a part.
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace tarn
