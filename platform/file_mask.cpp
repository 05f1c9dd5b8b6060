#include "platform/file_mask.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/paths.h"

namespace tarn {

namespace {

// Iterative wildcard match with one back-track point (the last "*").
bool Match(const std::string& name, const std::string& pattern, NameCase letters) {
    auto same = [letters](char a, char b) {
        return letters == NameCase::Exact ? a == b : FoldedCase(a) == FoldedCase(b);
    };
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        // A "*" in the pattern is always the wildcard, also against a "*" in the name.
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = FoldedCase(a[i]), y = FoldedCase(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& pattern, NameCase letters) {
    // "*.*" is every name; a pattern ending in ".*" also matches the name without a dot.
    if (pattern == "*.*") return true;
    if (Match(name, pattern, letters)) return true;
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return Match(name, pattern.substr(0, pattern.size() - 2), letters);
    return false;
}

void SplitMask(const std::string& mask, std::string& directory, std::string& pattern) {
    size_t slash = mask.rfind(kPathSeparator);
    if (slash == std::string::npos) {
        directory.clear();
        pattern = mask;
    } else {
        directory = mask.substr(0, slash + 1);
        pattern = mask.substr(slash + 1);
    }
}

std::vector<std::string> ListFilesByMask(const std::string& directory, const std::string& pattern,
                                         NameCase letters) {
    std::vector<std::string> names;
    std::string dir = directory.empty() ? "." : ResolveCase(directory);
    DIR* handle = opendir(dir.c_str());
    if (handle == nullptr) return names;
    const std::string prefix = AsDirectory(dir);
    while (struct dirent* entry = readdir(handle)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesMask(name, pattern, letters)) continue;
        struct stat info;
        if (stat((prefix + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
            names.push_back(name);
    }
    closedir(handle);
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::vector<std::string> ListFilesByMask(const std::string& mask) {
    std::string directory, pattern;
    SplitMask(mask, directory, pattern);
    return ListFilesByMask(directory, pattern);
}

}  // namespace tarn
