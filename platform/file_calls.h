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
    int (*Truncate)(const char* path, off_t size);
    int (*Rename)(const char* from, const char* to);
    int (*Unlink)(const char* path);
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
int FileTruncate(const std::string& path, off_t size);
int FileRename(const std::string& from, const std::string& to);
int FileUnlink(const std::string& path);
int FileMakeDirectory(const std::string& path, mode_t mode);
int FileSyncData(int fd);
int FileSyncFileSystem(int fd);

// Writes the whole text with FileWrite (again after EINTR or a short write);
// false with errno set when the system refuses a part.
[[nodiscard]] bool WriteAll(int fd, const char* data, size_t size);

}  // namespace tarn
