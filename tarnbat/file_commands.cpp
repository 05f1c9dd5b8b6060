#include "tarnbat/file_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_calls.h"
#include "platform/run_error.h"

namespace tarn {

std::string ResolveTarget(const std::string& path) {
    std::string directory, name;
    SplitMask(path, directory, name);
    return ResolveCase(AsDirectory(ResolveCase(directory)) + name);
}

std::vector<std::string> DeleteByPattern(const std::string& pattern) {
    std::vector<std::string> failures;
    std::string directory, mask;
    SplitMask(pattern, directory, mask);
    const std::string prefix = AsDirectory(ResolveCase(directory));
    for (const std::string& name : ListFilesByMask(directory, mask, kBatchNameCase)) {
        if (!BatchMaskTakes(name, mask)) continue;
        std::string path = prefix + name;
        if (unlink(path.c_str()) != 0) failures.push_back(path + ": " + SystemError());
    }
    return failures;
}

bool CopyInto(const std::string& source, int fd) {
    int in = open(source.c_str(), O_RDONLY);
    if (in < 0) return false;
    std::vector<char> buffer(1 << 16);
    bool copied = true;
    int error = 0;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || (got > 0 && !WriteAll(fd, buffer.data(), static_cast<size_t>(got)))) {
            copied = false;
            error = errno;
        }
        if (got <= 0 || !copied) break;
    }
    close(in);
    if (!copied) errno = error;
    return copied;
}

void CopyOneFile(const std::string& source, const std::string& target) {
    // Only a readable regular file is copied; a pipe or a device is never
    // opened (opening a pipe without a writer would wait for ever).  The
    // reasons come from the calls themselves, so stat and access are asked
    // here rather than IsReadableFile.
    std::string from = ResolveCase(source);
    struct stat info;
    errno = 0;
    if (stat(from.c_str(), &info) != 0) throw RunTimeError::Refusal(SystemError());
    if (!S_ISREG(info.st_mode)) throw RunTimeError::Refusal("not a file");
    if (access(from.c_str(), R_OK) != 0) throw RunTimeError::Refusal(SystemError());
    std::string to = ResolveTarget(target);
    if (DirectoryExists(to)) {
        std::string directory, name;
        SplitMask(from, directory, name);
        to = ResolveTarget(JoinPath(to, name));
    }
    std::string tempPath;
    int fd = CreateTempBeside(to, tempPath);
    if (fd < 0) throw RunTimeError::Refusal(SystemError());
    // The temporary stays open, and locked, until it is renamed.
    std::string error = CopyInto(from, fd) ? std::string() : SystemError();
    if (!error.empty())
        unlink(tempPath.c_str());
    else if (!ReplaceWithTemp(tempPath, to))
        error = SystemError();
    close(fd);
    if (!error.empty()) throw RunTimeError::Refusal(error);
}

}  // namespace tarn
