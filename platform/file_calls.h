// The calls by which the file layer changes files.
//
// Every open for writing, write, close of a written file, truncation,
// renaming, removal, directory creation and synchronisation that the file
// layer makes goes through these functions, which behave as the POSIX calls
// they stand for.  They call through one table of functions, the system's
// own unless another is installed: a test library installs one that counts
// the operations and simulates a full disk or a killed process.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarn {

// The table of calls.
struct FileCalls {
    int (*Open)(const char* path, int flags, mode_t mode);
    ssize_t (*Write)(int fd, const void* data, size_t size);
    int (*Close)(int fd);
    // Cuts the file `name` in the open directory `dir` (AT_FDCWD: the working
    // directory) to `size` bytes; with AT_SYMLINK_NOFOLLOW in `flags` a link
    // there is not followed (ELOOP).
    int (*TruncateAt)(int dir, const char* name, off_t size, int flags);
    int (*Rename)(const char* from, const char* to);
    // Removes the entry `name` (never what a link leads to) of the open
    // directory `dir` (unlinkat).
    int (*UnlinkAt)(int dir, const char* name);
    int (*MakeDirectory)(const char* path, mode_t mode);
    // Makes the data of the open file durable, or the entries of the open
    // directory (fdatasync).
    int (*SyncData)(int fd);
    // Makes durable everything written to the file system that holds the open
    // file or directory (its entries included).
    int (*SyncFileSystem)(int fd);
};

// The system's own calls.
const FileCalls& SystemFileCalls();

// Installs `calls` (not owned; it must outlive its use); nullptr restores the
// system's calls.
void SetFileCalls(const FileCalls* calls);

// The calls through the table in force.  FileOpen opens with O_CLOEXEC.
[[nodiscard]] int FileOpen(const std::string& path, int flags, mode_t mode = 0666);
ssize_t FileWrite(int fd, const char* data, size_t size);
int FileClose(int fd);
int FileTruncateAt(int dir, const std::string& name, off_t size, int flags);
int FileRename(const std::string& from, const std::string& to);
int FileUnlink(const std::string& path);
int FileUnlinkAt(int dir, const std::string& name);
int FileMakeDirectory(const std::string& path, mode_t mode);
int FileSyncData(int fd);
int FileSyncFileSystem(int fd);

// Writes the whole text with FileWrite (again after EINTR or a short write);
// false with errno set when the system refuses a part.
[[nodiscard]] bool WriteAll(int fd, const char* data, size_t size);

}  // namespace tarn
