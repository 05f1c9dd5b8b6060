#include "platform/file_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tarn {

namespace {

int SystemOpen(const char* path, int flags, mode_t mode) {
    return open(path, flags, mode);
}

int SystemTruncateAt(int dir, const char* name, off_t size, int flags) {
    int follow = (flags & AT_SYMLINK_NOFOLLOW) != 0 ? O_NOFOLLOW : 0;
    int fd = openat(dir, name, O_WRONLY | O_NONBLOCK | O_CLOEXEC | follow);
    if (fd < 0) return -1;
    int result = ftruncate(fd, size);
    int saved = errno;
    close(fd);
    errno = saved;
    return result;
}

int SystemUnlinkAt(int dir, const char* name) {
    return unlinkat(dir, name, 0);
}

int SyncData(int fd) {
#if defined(__linux__)
    return fdatasync(fd);
#else
    return fsync(fd);
#endif
}

int SyncFileSystem(int fd) {
#if defined(__linux__)
    return syncfs(fd);
#else
    (void)fd;
    sync();
    return 0;
#endif
}

const FileCalls kSystemCalls = {SystemOpen,     write, close,    SystemTruncateAt, rename,
                                SystemUnlinkAt, mkdir, SyncData, SyncFileSystem};

const FileCalls* g_calls = &kSystemCalls;

}  // namespace

const FileCalls& SystemFileCalls() {
    return kSystemCalls;
}

void SetFileCalls(const FileCalls* calls) {
    g_calls = calls != nullptr ? calls : &kSystemCalls;
}

int FileOpen(const std::string& path, int flags, mode_t mode) {
    return g_calls->Open(path.c_str(), flags | O_CLOEXEC, mode);
}

ssize_t FileWrite(int fd, const char* data, size_t size) {
    return g_calls->Write(fd, data, size);
}

int FileClose(int fd) {
    return g_calls->Close(fd);
}

int FileTruncateAt(int dir, const std::string& name, off_t size, int flags) {
    return g_calls->TruncateAt(dir, name.c_str(), size, flags);
}

int FileRename(const std::string& from, const std::string& to) {
    return g_calls->Rename(from.c_str(), to.c_str());
}

int FileUnlink(const std::string& path) {
    return FileUnlinkAt(AT_FDCWD, path);
}

int FileUnlinkAt(int dir, const std::string& name) {
    return g_calls->UnlinkAt(dir, name.c_str());
}

int FileMakeDirectory(const std::string& path, mode_t mode) {
    return g_calls->MakeDirectory(path.c_str(), mode);
}

int FileSyncData(int fd) {
    return g_calls->SyncData(fd);
}

int FileSyncFileSystem(int fd) {
    return g_calls->SyncFileSystem(fd);
}

bool WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = FileWrite(fd, data + done, size - done);
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
