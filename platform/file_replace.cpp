#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_mask.h"
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

}  // namespace

int CreateTempBeside(const std::string& path, std::string& tempPath) {
    std::vector<char> buffer(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    buffer.insert(buffer.end(), suffix, suffix + sizeof suffix);  // with the terminator
    int fd = mkstemp(buffer.data());
    if (fd >= 0) tempPath = buffer.data();
    return fd;
}

std::string ReplaceWithTemp(const std::string& tempPath, const std::string& path) {
    struct stat info;
    mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : DefaultFileMode();
    std::string error;
    errno = 0;
    int fd = open(tempPath.c_str(), O_RDWR);
    if (fd < 0 || fchmod(fd, mode) != 0 || fsync(fd) != 0) error = SystemError();
    if (fd >= 0) close(fd);
    if (error.empty() && rename(tempPath.c_str(), path.c_str()) != 0) error = SystemError();
    if (!error.empty()) {
        unlink(tempPath.c_str());
        return error;
    }
    SyncDirectoryOf(path);
    return std::string();
}

}  // namespace tarn
