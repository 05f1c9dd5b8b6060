#include "tarnbat/batch_protocol.h"

namespace tarn {

std::vector<std::string> SplitBatchLine(const std::string& line) {
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArg) args.push_back(arg);
            arg.clear();
            inArg = false;
        } else {
            arg += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(arg);
    return args;
}

bool BatchMaskTakes(const std::string& name, const std::string& pattern) {
    // A pattern with a wildcard never meets a ".zip" archive.
    const bool shieldedArchive =
        pattern.find_first_of("*?") != std::string::npos && EndsWithIgnoringCase(name, ".zip");
    return MatchesMask(name, pattern, kBatchNameCase) && !shieldedArchive;
}

std::string ArchiveFileName(const std::string& archive) {
    std::string directory, name;
    SplitMask(archive, directory, name);
    return name.find('.') == std::string::npos ? archive + ".zip" : archive;
}

std::string ArchiveLineName(const std::string& file) {
    constexpr size_t kExtension = 4;  // ".zip"
    if (file.size() <= kExtension) return file;
    const std::string bare = file.substr(0, file.size() - kExtension);
    return ArchiveFileName(bare) == file ? bare : file;
}

}  // namespace tarn
