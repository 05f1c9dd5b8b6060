#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#endif

#include "platform/file_calls.h"

namespace tarn {

std::string AsDirectory(const std::string& path) {
    if (path.empty() || path.back() == kPathSeparator) return path;
    return path + kPathSeparator;
}

std::string WithTrailingSeparator(const std::string& path) {
    return path.size() > 1 ? AsDirectory(path) : path;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return AsDirectory(directory) + name;
}

std::string WorkingDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20)) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

namespace {

// Errors of the failed directory creations, by the name given.
std::map<std::string, int> g_failedDirectories;

std::string ParentOf(const std::string& path) {
    size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Finds `name` in directory `dir` without regard to case; empty when absent.
std::string FindInDirectory(const std::string& dir, const std::string& name) {
    DIR* handle = opendir(dir.empty() ? "." : dir.c_str());
    if (handle == nullptr) return std::string();
    std::string found;
    while (struct dirent* entry = readdir(handle)) {
        if (SameIgnoringCase(name, entry->d_name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(handle);
    return found;
}

}  // namespace

void MakeDirectory(const std::string& path) {
    errno = 0;
#ifdef _WIN32
    int made = _mkdir(path.c_str());
#else
    int made = FileMakeDirectory(path, 0777);
#endif
    if (made == 0 || errno == EEXIST) {
        g_failedDirectories.erase(path);
        return;
    }
    int error = errno;
    // A parent that could not be made is the reason for its children too.
    auto parent = g_failedDirectories.find(ParentOf(path));
    if (error == ENOENT && parent != g_failedDirectories.end()) error = parent->second;
    g_failedDirectories[path] = error;
}

std::string MissingDirectoryText(const std::string& path) {
    auto failed = g_failedDirectories.find(ParentOf(path));
    return std::strerror(failed == g_failedDirectories.end() ? ENOENT : failed->second);
}

char FoldedCase(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldedCase(a[i]) != FoldedCase(b[i])) return false;
    return true;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           SameIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

std::string ResolveCase(const std::string& path) {
    if (path.empty() || Exists(path)) return path;
    // When the directory exists as named, only the last component needs the
    // lookup (the walk below would find every earlier component as it is).
    size_t slash = path.rfind(kPathSeparator);
    if (slash != std::string::npos && slash + 1 < path.size() && slash > 0) {
        std::string dir = path.substr(0, slash);
        std::string last = path.substr(slash + 1);
        if (last != "." && last != ".." && Exists(dir)) {
            std::string match = FindInDirectory(dir, last);
            return match.empty() ? path : dir + kPathSeparator + match;
        }
    }
    // Walk the components from the left, fixing the case of each missing one.
    std::string resolved;
    size_t start = 0;
    if (path[0] == kPathSeparator) {
        resolved = kPathSeparatorText;
        start = 1;
    }
    while (start <= path.size()) {
        size_t end = path.find(kPathSeparator, start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        std::string candidate = resolved + part;
        if (!part.empty() && part != "." && part != ".." && !Exists(candidate)) {
            std::string dir = resolved.empty() ? "." : resolved;
            std::string match = FindInDirectory(dir, part);
            if (match.empty()) return path;
            candidate = resolved + match;
        }
        resolved = candidate;
        if (end == path.size()) break;
        resolved += kPathSeparator;
        start = end + 1;
    }
    return resolved;
}

bool IsPlainRelativePath(const std::string& path) {
    for (unsigned char c : path)
        if (c < ' ' || c == 127 || c == '\\') return false;
    for (size_t start = 0; start <= path.size();) {
        size_t stop = std::min(path.find(kPathSeparator, start), path.size());
        std::string part = path.substr(start, stop - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = stop + 1;
    }
    return true;
}

namespace {

// The stat of the entry `path` names, found without regard to case: the
// exact name first (one stat), the lookup only when it does not exist.
// `found` is the name it was found under.  False when nothing exists.
bool StatEntry(const std::string& path, struct stat& info, std::string& found) {
    if (path.empty()) return false;
    if (stat(path.c_str(), &info) == 0) {
        found = path;
        return true;
    }
    found = ResolveCase(path);
    return found != path && stat(found.c_str(), &info) == 0;
}

}  // namespace

EntryKind KindOfEntry(const std::string& path) {
    struct stat info;
    std::string found;
    if (!StatEntry(path, info, found)) return EntryKind::None;
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    return S_ISDIR(info.st_mode) ? EntryKind::Directory : EntryKind::Other;
}

bool EntryExists(const std::string& path) {
    return KindOfEntry(path) != EntryKind::None;
}

bool FileExists(const std::string& path) {
    return KindOfEntry(path) == EntryKind::File;
}

bool DirectoryExists(const std::string& path) {
    return KindOfEntry(path) == EntryKind::Directory;
}

bool IsReadableFile(const std::string& path) {
    // Readable: access() with the process's rights.
    struct stat info;
    std::string found;
    return StatEntry(path, info, found) && S_ISREG(info.st_mode) &&
           access(found.c_str(), R_OK) == 0;
}

std::string UnreadableReason(const std::string& path) {
    struct stat info;
    errno = 0;
    if (stat(path.c_str(), &info) != 0 && errno != ENOENT && errno != ENOTDIR)
        return std::strerror(errno);
    return EntryExists(path) ? "not a readable file" : "";
}

}  // namespace tarn
