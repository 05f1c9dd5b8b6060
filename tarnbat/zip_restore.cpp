#include "tarnbat/zip_restore.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include "platform/file_calls.h"
#include "platform/paths.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_archive.h"

namespace tarn {

namespace {

// The directory `name` in `directory`, found without regard to case, made
// when missing.  Returns "" or the reason.
std::string EnterDirectory(std::string& directory, const std::string& name) {
    std::string path = ResolveCase(JoinPath(directory, name));
    if (!DirectoryExists(path)) MakeDirectory(path);
    if (!DirectoryExists(path))
        return "cannot make directory " + path + ": " + MissingDirectoryText(JoinPath(path, "x"));
    directory = path;
    return std::string();
}

// Size and CRC-32 of what the open file `fd` holds; false when it cannot be read.
bool ReadBack(int fd, zip_uint64_t& size, uLong& crc) {
    if (lseek(fd, 0, SEEK_SET) != 0) return false;
    std::vector<char> buffer(1 << 16);
    size = 0;
    crc = crc32(0L, Z_NULL, 0);
    ssize_t got;
    while ((got = read(fd, buffer.data(), buffer.size())) > 0) {
        size += static_cast<zip_uint64_t>(got);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
    }
    return got == 0;
}

// Writes entry `index` of `archive` (shown as `shown`) to a locked temporary
// beside `target`, checks it and renames it into place.  Returns "" or the reason.
std::string WriteEntry(zip_t* archive, zip_uint64_t index, const std::string& shown,
                       const std::string& target) {
    zip_stat_t info;
    zip_file_t* entry = nullptr;
    if (zip_stat_index(archive, index, 0, &info) != 0 ||
        (entry = zip_fopen_index(archive, index, 0)) == nullptr)
        return "cannot read entry " + std::to_string(index + 1) + " of " + shown + ": " +
               zip_strerror(archive);
    RemoveStaleTemporaries(target);
    std::string tempPath, reason;
    int fd = CreateTempBeside(target, tempPath);
    if (fd < 0) reason = "cannot write " + target + ": " + SystemError();
    std::vector<char> buffer(1 << 16);
    zip_int64_t got = 0;
    while (reason.empty() && (got = zip_fread(entry, buffer.data(), buffer.size())) > 0) {
        if (!WriteAll(fd, buffer.data(), static_cast<size_t>(got)))
            reason = "cannot write " + target + ": " + SystemError();
    }
    // libzip tests the entry's CRC as it reads it to its end.
    if (reason.empty() && got < 0)
        reason = std::string("cannot read entry ") + info.name + " of " + shown + ": " +
                 zip_file_strerror(entry);
    zip_fclose(entry);
    zip_uint64_t size = 0;
    uLong crc = 0;
    if (reason.empty() && !ReadBack(fd, size, crc))
        reason = "check of " + target + " failed: " + SystemError();
    if (reason.empty() && (size != info.size || crc != info.crc))
        reason = "check of " + target + " failed: it differs from the entry";
    if (reason.empty()) {
        if (!ReplaceWithTemp(tempPath, target, false))
            reason = "cannot write " + target + ": " + SystemError();
    } else if (fd >= 0) {
        unlink(tempPath.c_str());
    }
    if (fd >= 0) close(fd);
    return reason;
}

// Writes the entries of the open `archive` that are missing under the
// directory of `request`; "" or the reason.
std::string RestoreEntries(zip_t* archive, const UnpackRequest& request, UnpackResult& result) {
    zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<std::string> names;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        std::string text = name == nullptr ? std::string() : name;
        if (!IsPlainRelativePath(text)) {
            for (char& c : text)
                if (static_cast<unsigned char>(c) < ' ' || c == 127) c = '?';
            return "entry " + std::to_string(i + 1) + " of " + result.Archive +
                   " is no plain relative path: " + text;
        }
        names.push_back(text);
    }
    std::string top = request.Directory;
    while (top.size() > 1 && top.back() == kPathSeparator) top.pop_back();
    top = ResolveCase(top);
    if (!DirectoryExists(top)) MakeDirectory(top);
    if (!DirectoryExists(top))
        return "cannot make directory " + top + ": " + MissingDirectoryText(JoinPath(top, "x"));
    for (size_t i = 0; i < names.size(); ++i) {
        std::string directory = top, reason;
        size_t start = 0;
        for (size_t slash; (slash = names[i].find('/', start)) != std::string::npos;) {
            if (request.KeepPaths)
                reason = EnterDirectory(directory, names[i].substr(start, slash - start));
            if (!reason.empty()) return reason;
            start = slash + 1;
        }
        std::string target = ResolveCase(JoinPath(directory, names[i].substr(start)));
        struct stat existing;
        if (lstat(target.c_str(), &existing) == 0) continue;  // never replaced
        reason = WriteEntry(archive, i, result.Archive, target);
        if (!reason.empty()) return reason;
        ++result.Restored;
    }
    return std::string();
}

}  // namespace

std::string ParseUnpackArguments(const std::vector<std::string>& args, UnpackRequest& request) {
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (SameIgnoringCase(arg, "-d"))
            request.KeepPaths = true;
        else if (arg.size() >= 2 && arg[0] == '-')
            return "unknown option " + arg;
        else
            names.push_back(arg);
    }
    if (names.size() != 2) return "needs an archive and a directory";
    request.Archive = names[0];
    request.Directory = names[1];
    return std::string();
}

UnpackResult RestoreFiles(const UnpackRequest& request) {
    UnpackResult result;
    result.Archive = ResolveTarget(ArchiveFileName(request.Archive));
    int code = 0;
    zip_t* archive = zip_open(result.Archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        result.Error = "cannot open archive " + result.Archive + ": " + zip_error_strerror(&error);
        zip_error_fini(&error);
        return result;
    }
    result.Error = RestoreEntries(archive, request, result);
    zip_discard(archive);
    return result;
}

}  // namespace tarn
