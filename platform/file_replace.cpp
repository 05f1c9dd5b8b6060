#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "platform/file_calls.h"
#include "platform/file_mask.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// The mark that begins the name of every temporary of ours.
constexpr const char kTempMark[] = ".tarn-tmp.";
constexpr size_t kTempMarkLength = sizeof kTempMark - 1;
constexpr size_t kTempLetters = 6;

mode_t DefaultFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The directory part of `path`, with its separator ("" for the working directory).
std::string DirectoryOf(const std::string& path) {
    std::string directory, name;
    SplitMask(path, directory, name);
    return directory;
}

// Opens the directory of `path` (links followed: the caller's choice).
int OpenDirectoryOf(const std::string& path) {
    const std::string directory = DirectoryOf(path);
    return open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A fresh temporary name: the mark and six random letters or digits.
std::string NewTempName() {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random(std::random_device{}() ^ static_cast<unsigned>(getpid()));
    std::string name = kTempMark;
    for (size_t i = 0; i < kTempLetters; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

// Locks the new temporary `fd`; false (descriptor closed) when a cleaner
// removed it before the lock was taken.
bool LockNewTemp(int fd) {
    struct stat info;
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (fstat(fd, &info) == 0 && info.st_nlink > 0) return true;
    close(fd);
    return false;
}

// Names in the directory open as `directoryFd`.
std::vector<std::string> DirectoryNames(int directoryFd) {
    std::vector<std::string> names;
    int copy = dup(directoryFd);
    DIR* handle = copy < 0 ? nullptr : fdopendir(copy);
    if (handle == nullptr) {
        if (copy >= 0) close(copy);
        return names;
    }
    rewinddir(handle);
    while (struct dirent* entry = readdir(handle)) names.push_back(entry->d_name);
    closedir(handle);
    return names;
}

}  // namespace

bool IsTempName(const std::string& name) {
    if (name.size() != kTempMarkLength + kTempLetters ||
        name.compare(0, kTempMarkLength, kTempMark))
        return false;
    for (size_t i = kTempMarkLength; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

int CreateTempIn(int directoryFd, std::string& tempName) {
    for (int tries = 0; tries < 1000; ++tries) {
        std::string name = NewTempName();
        int fd = openat(directoryFd, name.c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return fd;
        if (!LockNewTemp(fd)) continue;
        tempName = name;
        return fd;
    }
    errno = EEXIST;
    return -1;
}

int CreateTempBeside(const std::string& path, std::string& tempPath) {
    int directory = OpenDirectoryOf(path);
    if (directory < 0) return -1;
    std::string name;
    int fd = CreateTempIn(directory, name);
    const int error = errno;
    close(directory);
    errno = error;
    if (fd >= 0) tempPath = DirectoryOf(path) + name;
    return fd;
}

void RemoveStaleTemporariesIn(int directoryFd) {
    for (const std::string& name : DirectoryNames(directoryFd)) {
        if (!IsTempName(name)) continue;
        int fd = openat(directoryFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        // Held by a live writer, or no file: left alone.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
            (void)unlinkat(directoryFd, name.c_str(), 0);
        close(fd);
    }
}

void RemoveStaleTemporaries(const std::string& path) {
    int directory = OpenDirectoryOf(path);
    if (directory < 0) return;
    RemoveStaleTemporariesIn(directory);
    close(directory);
}

bool FinishNewTemp(int fd) {
    return fchmod(fd, DefaultFileMode()) == 0 && FileSyncData(fd) == 0;
}

bool PlaceTempIn(int directoryFd, const std::string& tempName, const std::string& name) {
    if (renameat2(directoryFd, tempName.c_str(), directoryFd, name.c_str(), RENAME_NOREPLACE) != 0)
        return false;
    return FileSyncData(directoryFd) == 0;
}

bool ReplaceWithTemp(const std::string& tempPath, const std::string& path) {
    struct stat info;
    mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : DefaultFileMode();
    errno = 0;
    int fd = open(tempPath.c_str(), O_RDWR | O_CLOEXEC);
    bool ok = fd >= 0 && fchmod(fd, mode) == 0 && FileSyncData(fd) == 0;
    int saved = errno;
    if (fd >= 0) close(fd);
    errno = 0;
    if (ok && FileRename(tempPath, path) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(tempPath.c_str());
        errno = saved;
        return false;
    }
    int directory = OpenDirectoryOf(path);
    if (directory >= 0) {
        (void)FileSyncData(directory);
        close(directory);
    }
    return true;
}

}  // namespace tarn
