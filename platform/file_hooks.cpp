#include "platform/file_hooks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    g_operations = 0;
    g_bytes = 0;
    g_space = -1;
    g_killAt = 0;
}

int HookedOpen(const std::string& path, int flags, mode_t mode) {
    Count();
    return open(path.c_str(), flags | O_CLOEXEC, mode);
}

ssize_t HookedWrite(int fd, const char* data, size_t size) {
    Count();
    if (g_space >= 0 && static_cast<unsigned long long>(g_space) < size) {
        if (g_space == 0) {
            errno = ENOSPC;
            return -1;
        }
        size = static_cast<size_t>(g_space);
    }
    ssize_t n = write(fd, data, size);
    if (n > 0) {
        g_bytes += n;
        if (g_space >= 0) g_space -= n;
    }
    return n;
}

int HookedClose(int fd) {
    Count();
    return close(fd);
}

int HookedTruncate(const std::string& path, off_t size) {
    Count();
    return truncate(path.c_str(), size);
}

int HookedRename(const std::string& from, const std::string& to) {
    Count();
    return rename(from.c_str(), to.c_str());
}

int HookedUnlink(const std::string& path) {
    Count();
    return unlink(path.c_str());
}

int HookedMakeDirectory(const std::string& path, mode_t mode) {
    Count();
    if (g_space == 0) {
        errno = ENOSPC;
        return -1;
    }
    return mkdir(path.c_str(), mode);
}

int HookedSyncData(int fd) {
    Count();
#if defined(__linux__)
    return fdatasync(fd);
#else
    return fsync(fd);
#endif
}

int HookedSyncFileSystem(int fd) {
    Count();
#if defined(__linux__)
    return syncfs(fd);
#else
    sync();
    return 0;
#endif
}

bool WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = HookedWrite(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace tarn
