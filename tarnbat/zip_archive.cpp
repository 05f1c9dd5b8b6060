#include "tarnbat/zip_archive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_calls.h"
#include "tarnbat/file_commands.h"

namespace tarn {

namespace {

// One file to pack: where it is, the name it gets in the archive, its size.
struct SourceFile {
    std::string Path;
    std::string Entry;
    zip_uint64_t Size = 0;
};

// The state of a walk over the directory tree of a file mask.
struct TreeWalk {
    std::string Pattern;
    bool Recurse = false;
    bool KeepPaths = false;
    bool SkipArchive = false;  // the archive exists: never pack it into itself
    struct stat Archive;
    std::vector<SourceFile> Files;
    std::vector<std::pair<dev_t, ino_t>> Walked;  // directories, each walked once
    std::string Error;
};

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// Names in `directory` ("" is the working directory), sorted by their bytes.
bool ReadDirectory(const std::string& directory, std::vector<std::string>& names,
                   std::string& error) {
    std::string shown = directory.empty() ? "." : directory;
    DIR* handle = opendir(shown.c_str());
    if (handle == nullptr) {
        error = "cannot open directory " + shown + ": " + SystemError();
        return false;
    }
    for (;;) {
        errno = 0;
        struct dirent* entry = readdir(handle);
        if (entry == nullptr) break;
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    if (errno != 0) error = "cannot open directory " + shown + ": " + SystemError();
    closedir(handle);
    std::sort(names.begin(), names.end());
    return error.empty();
}

// Sets the walk's reason for a file that cannot be read; returns false.
bool CannotRead(TreeWalk& walk, const std::string& path) {
    walk.Error = "cannot read " + path + ": " + SystemError();
    return false;
}

// Adds the files of `directory` that the pattern takes (archive names
// prefixed with `relative`) to the walk, then walks its subdirectories when
// asked.  Links are followed, as a del line follows them; a directory met
// again (a link cycle) is walked once.
bool WalkDirectory(TreeWalk& walk, const std::string& directory, const std::string& relative) {
    struct stat self;
    if (stat(directory.empty() ? "." : directory.c_str(), &self) == 0) {
        std::pair<dev_t, ino_t> id(self.st_dev, self.st_ino);
        if (std::find(walk.Walked.begin(), walk.Walked.end(), id) != walk.Walked.end()) return true;
        walk.Walked.push_back(id);
    }
    std::vector<std::string> names, subdirectories;
    if (!ReadDirectory(directory, names, walk.Error)) return false;
    for (const std::string& name : names) {
        std::string path = JoinPath(directory, name);
        bool matches = BatchMaskTakes(name, walk.Pattern);
        struct stat info;
        if (stat(path.c_str(), &info) != 0) {
            if (!matches) continue;
            return CannotRead(walk, path);
        }
        if (S_ISDIR(info.st_mode)) {
            if (walk.Recurse) subdirectories.push_back(name);
            continue;
        }
        if (!matches || !S_ISREG(info.st_mode)) continue;
        if (walk.SkipArchive && info.st_dev == walk.Archive.st_dev &&
            info.st_ino == walk.Archive.st_ino)
            continue;
        int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) return CannotRead(walk, path);
        close(fd);
        walk.Files.push_back({path, walk.KeepPaths ? relative + name : name,
                              static_cast<zip_uint64_t>(info.st_size)});
    }
    for (const std::string& name : subdirectories) {
        if (!WalkDirectory(walk, JoinPath(directory, name), relative + name + "/")) return false;
    }
    return true;
}

// The first archive name that two files would share; "" when none does.
std::string SharedEntryName(const std::vector<SourceFile>& files) {
    std::vector<std::string> entries;
    for (const SourceFile& file : files) entries.push_back(file.Entry);
    std::sort(entries.begin(), entries.end());
    auto twin = std::adjacent_find(entries.begin(), entries.end());
    return twin == entries.end() ? std::string() : *twin;
}

// Adds the files to the archive file `path` (a copy of the existing archive
// when `existing`, else empty) and closes it.  `shown` names the archive in
// the reasons.  Returns "" or the reason.
std::string WriteArchive(const std::string& path, bool existing, const std::string& shown,
                         const std::vector<SourceFile>& files) {
    int code = 0;
    zip_t* archive =
        zip_open(path.c_str(), existing ? ZIP_CHECKCONS : ZIP_CREATE | ZIP_EXCL, &code);
    if (archive == nullptr) return "cannot open archive " + shown + ": " + ZipErrorText(code);
    for (const SourceFile& file : files) {
        zip_source_t* source = zip_source_file(archive, file.Path.c_str(), 0, -1);
        if (source == nullptr ||
            zip_file_add(archive, file.Entry.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            std::string reason = "cannot read " + file.Path + ": " + zip_strerror(archive);
            if (source != nullptr) zip_source_free(source);
            zip_discard(archive);
            return reason;
        }
    }
    if (zip_close(archive) != 0) {
        std::string reason = "cannot write archive " + shown + ": " + zip_strerror(archive);
        zip_discard(archive);
        return reason;
    }
    return std::string();
}

// Reads one entry to its end (libzip tests its checksum); "" or the reason.
std::string ReadEntryBack(zip_t* archive, zip_uint64_t index, zip_uint64_t size) {
    zip_file_t* entry = zip_fopen_index(archive, index, 0);
    if (entry == nullptr) return zip_strerror(archive);
    std::vector<char> buffer(1 << 16);
    zip_uint64_t total = 0;
    zip_int64_t got = 0;
    while ((got = zip_fread(entry, buffer.data(), buffer.size())) > 0)
        total += static_cast<zip_uint64_t>(got);
    std::string reason = got < 0 ? zip_file_strerror(entry) : std::string();
    zip_fclose(entry);
    if (reason.empty() && total != size) reason = "size differs";
    return reason;
}

// Reopens the archive file `path` with the consistency check, finds every
// packed file in it under its name with its size and reads every entry back.
std::string CheckArchive(const std::string& path, const std::string& shown,
                         const std::vector<SourceFile>& files) {
    const std::string failed = "check of archive " + shown + " failed: ";
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CHECKCONS | ZIP_RDONLY, &code);
    if (archive == nullptr) return failed + ZipErrorText(code);
    std::string reason;
    for (const SourceFile& file : files) {
        zip_stat_t info;
        zip_int64_t index = zip_name_locate(archive, file.Entry.c_str(), 0);
        if (index < 0 || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &info) != 0)
            reason = failed + file.Entry + " missing";
        else if (info.size != file.Size)
            reason = failed + file.Entry + " holds " + std::to_string(info.size) + " bytes, not " +
                     std::to_string(file.Size);
        if (!reason.empty()) break;
    }
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; reason.empty() && i < count; ++i) {
        zip_stat_t info;
        std::string why = zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &info) != 0
                              ? zip_strerror(archive)
                              : ReadEntryBack(archive, static_cast<zip_uint64_t>(i), info.size);
        if (!why.empty()) reason = failed + "entry " + std::to_string(i + 1) + ": " + why;
    }
    zip_discard(archive);
    return reason;
}

// Builds the new archive in a locked temporary directory beside `archive`
// (libzip makes its own temporaries there), checks it and renames it over
// `archive`.  Returns "" or the reason.
std::string ReplaceArchive(const std::string& archive, bool existing,
                           const std::vector<SourceFile>& files) {
    std::string tempDirectory;
    int lock = CreateTempDirectoryBeside(archive, tempDirectory);
    if (lock < 0) return "cannot write archive " + archive + ": " + SystemError();
    std::string tempPath = JoinPath(tempDirectory, "new.zip");
    std::string reason;
    if (existing) {
        int fd = FileOpen(tempPath, O_WRONLY | O_CREAT | O_EXCL, 0600);
        reason = fd < 0 ? SystemError() : CopyInto(archive, fd);
        if (!reason.empty()) reason = "cannot open archive " + archive + ": " + reason;
        if (fd >= 0 && close(fd) != 0 && reason.empty())
            reason = "cannot write archive " + archive + ": " + SystemError();
    }
    if (reason.empty()) reason = WriteArchive(tempPath, existing, archive, files);
    if (reason.empty()) reason = CheckArchive(tempPath, archive, files);
    if (reason.empty()) {
        if (!ReplaceWithTemp(tempPath, archive))
            reason = "cannot write archive " + archive + ": " + SystemError();
    }
    (void)unlink(tempPath.c_str());
    (void)rmdir(tempDirectory.c_str());
    close(lock);
    return reason;
}

}  // namespace

std::string ParsePackArguments(const std::vector<std::string>& args, PackRequest& request) {
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
            continue;
        }
        for (size_t i = 1; i < arg.size(); ++i) {
            const char letter = FoldedCase(arg[i]);
            if (letter == 'r')
                request.Recurse = true;
            else if (letter == 'p')
                request.KeepPaths = true;
            else
                return "unknown option " + arg;
        }
    }
    if (names.size() != 2) return "needs an archive and a file mask";
    request.Archive = names[0];
    request.Files = names[1];
    return std::string();
}

std::string ArchiveFileName(const std::string& archive) {
    size_t slash = archive.rfind(kPathSeparator);
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    return archive.find('.', start) == std::string::npos ? archive + ".zip" : archive;
}

PackResult PackFiles(const PackRequest& request) {
    PackResult result;
    result.Archive = ResolveTarget(ArchiveFileName(request.Archive));
    TreeWalk walk;
    std::string directory;
    SplitMask(request.Files, directory, walk.Pattern);
    walk.Recurse = request.Recurse;
    walk.KeepPaths = request.KeepPaths;
    walk.SkipArchive = stat(result.Archive.c_str(), &walk.Archive) == 0;
    // What a killed pkzip of this archive left is neither packed nor kept.
    RemoveStaleTemporaries(result.Archive);
    if (!WalkDirectory(walk, directory.empty() ? directory : ResolveCase(directory), "")) {
        result.Error = walk.Error;
        return result;
    }
    std::string twin = SharedEntryName(walk.Files);
    if (!twin.empty()) {
        result.Error = "two files would be stored as " + twin;
        return result;
    }
    result.Packed = walk.Files.size();
    if (!walk.Files.empty())
        result.Error = ReplaceArchive(result.Archive, walk.SkipArchive, walk.Files);
    result.Ok = result.Error.empty();
    return result;
}

}  // namespace tarn
