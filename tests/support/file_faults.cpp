#include "tests/support/file_faults.h"

#include <unistd.h>

#include <cerrno>

#include "platform/file_calls.h"

namespace tarn {

namespace {

long g_operations = 0;
long long g_bytes = 0;
long long g_space = -1;  // bytes that writes may still add; negative: no limit
long g_killAt = 0;       // value of g_operations at which the process ends; 0: never
int g_killCode = 0;

// Counts one operation; ends the process when the kill point is reached.
void Count() {
    ++g_operations;
    if (g_killAt != 0 && g_operations >= g_killAt) _exit(g_killCode);
}

const FileCalls& System() {
    return SystemFileCalls();
}

int Open(const char* path, int flags, mode_t mode) {
    Count();
    return System().Open(path, flags, mode);
}

ssize_t Write(int fd, const void* data, size_t size) {
    Count();
    if (g_space >= 0 && static_cast<unsigned long long>(g_space) < size) {
        if (g_space == 0) {
            errno = ENOSPC;
            return -1;
        }
        size = static_cast<size_t>(g_space);
    }
    ssize_t n = System().Write(fd, data, size);
    if (n > 0) {
        g_bytes += n;
        if (g_space >= 0) g_space -= n;
    }
    return n;
}

int Close(int fd) {
    Count();
    return System().Close(fd);
}

int Truncate(int dir, const char* name, off_t size, int flags) {
    Count();
    return System().TruncateAt(dir, name, size, flags);
}

int Rename(const char* from, const char* to) {
    Count();
    return System().Rename(from, to);
}

int Unlink(int dir, const char* name) {
    Count();
    return System().UnlinkAt(dir, name);
}

int MakeDirectory(const char* path, mode_t mode) {
    Count();
    if (g_space == 0) {
        errno = ENOSPC;
        return -1;
    }
    return System().MakeDirectory(path, mode);
}

int SyncData(int fd) {
    Count();
    return System().SyncData(fd);
}

int SyncFileSystem(int fd) {
    Count();
    return System().SyncFileSystem(fd);
}

const FileCalls kFaultyCalls = {Open,   Write,         Close,    Truncate,      Rename,
                                Unlink, MakeDirectory, SyncData, SyncFileSystem};

// Installs the calls above when the program starts.
const bool g_installed = [] {
    SetFileCalls(&kFaultyCalls);
    return true;
}();

}  // namespace

void SetDiskSpace(long long bytes) {
    g_space = bytes;
}

void SetKillPoint(long operation, int code) {
    g_killAt = operation > 0 ? g_operations + operation : 0;
    g_killCode = code;
}

long FileOperations() {
    return g_operations;
}

long long BytesWritten() {
    return g_bytes;
}

void ResetFileHooks() {
    (void)g_installed;
    g_operations = 0;
    g_bytes = 0;
    g_space = -1;
    g_killAt = 0;
}

}  // namespace tarn
