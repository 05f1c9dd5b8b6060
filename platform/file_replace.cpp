#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_mask.h"
#include "platform/paths.h"
#include "platform/run_error.h"

namespace tarn {

namespace {

mode_t DefaultFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Flushes the directory that holds `path`, so a rename in it is on disk.
void SyncDirectoryOf(const std::string& path) {
    std::string directory, name;
    SplitMask(path, directory, name);
    int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)fsync(fd);
    close(fd);
}

// The name template "PATH.XXXXXX", with its terminator.
std::vector<char> TempTemplate(const std::string& path) {
    std::vector<char> buffer(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    buffer.insert(buffer.end(), suffix, suffix + sizeof suffix);
    return buffer;
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

// True when `name` is `base` followed by "." and the six letters or digits
// that mkstemp and mkdtemp put in place of "XXXXXX".
bool IsTempName(const std::string& name, const std::string& base) {
    if (name.size() != base.size() + 7 || name.compare(0, base.size(), base) != 0 ||
        name[base.size()] != '.')
        return false;
    for (size_t i = base.size() + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

// Names in the directory `directory` ("" is the working directory).
std::vector<std::string> DirectoryNames(const std::string& directory) {
    std::vector<std::string> names;
    DIR* handle = opendir(directory.empty() ? "." : directory.c_str());
    if (handle == nullptr) return names;
    while (struct dirent* entry = readdir(handle)) names.push_back(entry->d_name);
    closedir(handle);
    return names;
}

}  // namespace

int CreateTempBeside(const std::string& path, std::string& tempPath) {
    for (;;) {
        std::vector<char> buffer = TempTemplate(path);
        int fd = mkstemp(buffer.data());
        if (fd < 0) return fd;
        if (!LockNewTemp(fd)) continue;
        tempPath = buffer.data();
        return fd;
    }
}

int CreateTempDirectoryBeside(const std::string& path, std::string& tempPath) {
    for (;;) {
        std::vector<char> buffer = TempTemplate(path);
        if (mkdtemp(buffer.data()) == nullptr) return -1;
        int fd = open(buffer.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return fd;
        if (!LockNewTemp(fd)) continue;
        tempPath = buffer.data();
        return fd;
    }
}

void RemoveStaleTemporaries(const std::string& path) {
    std::string directory, base;
    SplitMask(path, directory, base);
    for (const std::string& name : DirectoryNames(directory)) {
        if (!IsTempName(name, base)) continue;
        std::string temp = directory + name;
        int fd = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat info;
        if (fd < 0) continue;
        // Held by a live writer, or no temporary of ours: left alone.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &info) != 0 ||
            !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
            close(fd);
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            for (const std::string& inner : DirectoryNames(temp))
                if (inner != "." && inner != "..") (void)unlink(JoinPath(temp, inner).c_str());
            (void)rmdir(temp.c_str());
        } else {
            (void)unlink(temp.c_str());
        }
        close(fd);
    }
}

bool ReplaceWithTemp(const std::string& tempPath, const std::string& path, bool replace) {
    struct stat info;
    mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : DefaultFileMode();
    errno = 0;
    int fd = open(tempPath.c_str(), O_RDWR);
    bool ok = fd >= 0 && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int saved = errno;
    if (fd >= 0) close(fd);
    errno = 0;
    if (ok && (replace ? rename(tempPath.c_str(), path.c_str())
                       : renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, path.c_str(),
                                   RENAME_NOREPLACE)) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(tempPath.c_str());
        errno = saved;
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}

}  // namespace tarn
