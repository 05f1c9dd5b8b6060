#include "tarnbat/zip_archive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/file_calls.h"
#include "platform/run_error.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_handle.h"

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
};

// Ends the line with the failure whose whole text is `reason`.
[[noreturn]] void Refuse(std::string reason) {
    throw RunTimeError::Refusal(std::move(reason));
}

// Names in `directory` ("." for the working directory), sorted by their
// bytes.  Raises RunTimeError "cannot open directory D: R".
std::vector<std::string> ReadDirectory(const std::string& directory) {
    const std::string failure = "cannot open directory " + directory + ": ";
    DIR* handle = opendir(directory.c_str());
    if (handle == nullptr) Refuse(failure + SystemError());
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        struct dirent* entry = readdir(handle);
        if (entry == nullptr) break;
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    const int error = errno;
    closedir(handle);
    errno = error;
    if (error != 0) Refuse(failure + SystemError());
    std::sort(names.begin(), names.end());
    return names;
}

// Raises RunTimeError for a file that cannot be read (errno tells why).
[[noreturn]] void CannotRead(const std::string& path) {
    Refuse("cannot read " + path + ": " + SystemError());
}

// Adds the files of `directory` that the pattern takes (archive names
// prefixed with `relative`) to the walk, then walks its subdirectories when
// asked.  Links are followed, as a del line follows them; a directory met
// again (a link cycle) is walked once.
void WalkDirectory(TreeWalk& walk, const std::string& directory, const std::string& relative) {
    const std::string opened = directory.empty() ? "." : directory;
    struct stat self;
    if (stat(opened.c_str(), &self) == 0) {
        std::pair<dev_t, ino_t> id(self.st_dev, self.st_ino);
        if (std::find(walk.Walked.begin(), walk.Walked.end(), id) != walk.Walked.end()) return;
        walk.Walked.push_back(id);
    }
    std::vector<std::string> subdirectories;
    for (const std::string& name : ReadDirectory(opened)) {
        std::string path = JoinPath(directory, name);
        bool matches = BatchMaskTakes(name, walk.Pattern);
        struct stat info;
        if (stat(path.c_str(), &info) != 0) {
            if (!matches) continue;
            CannotRead(path);
        }
        if (S_ISDIR(info.st_mode)) {
            if (walk.Recurse) subdirectories.push_back(name);
            continue;
        }
        // A temporary of ours, even one a live writer holds, is never packed.
        if (!matches || !S_ISREG(info.st_mode) || IsTempName(name)) continue;
        if (walk.SkipArchive && info.st_dev == walk.Archive.st_dev &&
            info.st_ino == walk.Archive.st_ino)
            continue;
        int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) CannotRead(path);
        close(fd);
        walk.Files.push_back({path, walk.KeepPaths ? relative + name : name,
                              static_cast<zip_uint64_t>(info.st_size)});
    }
    for (const std::string& name : subdirectories)
        WalkDirectory(walk, JoinPath(directory, name), relative + name + "/");
}

// Raises RunTimeError "two files would be stored as N" for the first archive
// name that two files would share.
void RefuseSharedEntryNames(const std::vector<SourceFile>& files) {
    std::vector<std::string> entries;
    for (const SourceFile& file : files) entries.push_back(file.Entry);
    std::sort(entries.begin(), entries.end());
    auto twin = std::adjacent_find(entries.begin(), entries.end());
    if (twin != entries.end()) Refuse("two files would be stored as " + *twin);
}

// The beginning of the reason for an archive that cannot be written.
std::string CannotWriteArchive(const std::string& shown) {
    return "cannot write archive " + shown + ": ";
}

// The bytes of the archive file `archive` (found by the caller).  Raises
// RunTimeError "cannot open archive A: R" when it cannot be read.
std::string ArchiveBytes(const std::string& archive) {
    std::string bytes;
    int fd = open(archive.c_str(), O_RDONLY | O_CLOEXEC);
    bool read = fd >= 0;
    std::vector<char> buffer(1 << 16);
    while (read) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got == 0) break;
        if (got > 0)
            bytes.append(buffer.data(), static_cast<size_t>(got));
        else if (errno != EINTR)
            read = false;
    }
    const std::string reason = read ? std::string() : SystemError();
    if (fd >= 0) close(fd);
    if (!read) Refuse("cannot open archive " + archive + ": " + reason);
    return bytes;
}

// A libzip source that is freed when its owner lets it go.
struct ZipSourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipSource = std::unique_ptr<zip_source_t, ZipSourceFree>;

// The whole content of the closed in-memory `source`.  Raises RunTimeError,
// FAILURE and libzip's reason, when it cannot be read.
std::string SourceBytes(zip_source_t* source, const std::string& failure) {
    zip_stat_t info;
    if (zip_source_stat(source, &info) != 0 || (info.valid & ZIP_STAT_SIZE) == 0 ||
        zip_source_open(source) != 0)
        Refuse(failure + zip_error_strerror(zip_source_error(source)));
    std::string bytes(info.size, '\0');
    zip_uint64_t done = 0;
    zip_int64_t got = 1;
    while (done < info.size && got > 0) {
        got = zip_source_read(source, bytes.data() + done, info.size - done);
        if (got > 0) done += static_cast<zip_uint64_t>(got);
    }
    (void)zip_source_close(source);
    if (done != info.size) Refuse(failure + zip_error_strerror(zip_source_error(source)));
    return bytes;
}

// The new archive, built in memory: the bytes `old` of the existing archive
// (empty when there is none) with the files added or replaced.  libzip
// writes no file of its own.  `shown` names the archive in the reasons.
std::string BuildArchive(const std::string& old, const std::string& shown,
                         const std::vector<SourceFile>& files) {
    const std::string cannotOpen = "cannot open archive " + shown + ": ";
    zip_error_t error;
    zip_error_init(&error);
    ZipSource buffer(zip_source_buffer_create(old.data(), old.size(), 0, &error));
    ZipArchive archive(
        buffer == nullptr
            ? nullptr
            : zip_open_from_source(buffer.get(), old.empty() ? ZIP_CREATE : ZIP_CHECKCONS, &error));
    if (archive == nullptr) {
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        Refuse(cannotOpen + reason);
    }
    zip_source_keep(buffer.get());  // the archive owns it now; its bytes are read after the close
    for (const SourceFile& file : files) {
        zip_source_t* source = zip_source_file(archive.get(), file.Path.c_str(), 0, -1);
        if (source == nullptr ||
            zip_file_add(archive.get(), file.Entry.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            std::string reason = "cannot read " + file.Path + ": " + zip_strerror(archive.get());
            if (source != nullptr) zip_source_free(source);
            Refuse(std::move(reason));
        }
    }
    if (zip_close(archive.get()) != 0)
        Refuse(CannotWriteArchive(shown) + zip_strerror(archive.get()));
    (void)archive.release();  // zip_close freed it
    return SourceBytes(buffer.get(), CannotWriteArchive(shown));
}

// Reads one entry to its end (libzip tests its checksum).  Raises
// RunTimeError, FAILURE and the reason, when it cannot or the size differs.
void ReadEntryBack(zip_t* archive, zip_uint64_t index, zip_uint64_t size,
                   const std::string& failure) {
    ZipEntry entry(zip_fopen_index(archive, index, 0));
    if (entry == nullptr) Refuse(failure + zip_strerror(archive));
    std::vector<char> buffer(1 << 16);
    zip_uint64_t total = 0;
    zip_int64_t got = 0;
    while ((got = zip_fread(entry.get(), buffer.data(), buffer.size())) > 0)
        total += static_cast<zip_uint64_t>(got);
    if (got < 0) Refuse(failure + zip_file_strerror(entry.get()));
    if (total != size) Refuse(failure + "size differs");
}

// Reopens the archive file `path` with the consistency check, finds every
// packed file in it under its name with its size and reads every entry back.
void CheckArchive(const std::string& path, const std::string& shown,
                  const std::vector<SourceFile>& files) {
    const std::string failed = "check of archive " + shown + " failed: ";
    ZipArchive archive = OpenZip(path, ZIP_CHECKCONS | ZIP_RDONLY, failed);
    for (const SourceFile& file : files) {
        zip_stat_t info;
        zip_int64_t index = zip_name_locate(archive.get(), file.Entry.c_str(), 0);
        if (index < 0 ||
            zip_stat_index(archive.get(), static_cast<zip_uint64_t>(index), 0, &info) != 0)
            Refuse(failed + file.Entry + " missing");
        if (info.size != file.Size)
            Refuse(failed + file.Entry + " holds " + std::to_string(info.size) + " bytes, not " +
                   std::to_string(file.Size));
    }
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string failure = failed + "entry " + std::to_string(i + 1) + ": ";
        zip_stat_t info;
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &info) != 0)
            Refuse(failure + zip_strerror(archive.get()));
        ReadEntryBack(archive.get(), static_cast<zip_uint64_t>(i), info.size, failure);
    }
}

// The locked temporary beside an archive; removed, unless it was renamed,
// and closed when it is let go.
class ArchiveTemp {
  public:
    explicit ArchiveTemp(const std::string& archive) {
        m_fd = CreateTempBeside(archive, m_path);
        if (m_fd < 0) Refuse(CannotWriteArchive(archive) + SystemError());
    }
    ~ArchiveTemp() {
        if (!m_placed) (void)unlink(m_path.c_str());
        close(m_fd);
    }
    ArchiveTemp(const ArchiveTemp&) = delete;
    ArchiveTemp& operator=(const ArchiveTemp&) = delete;
    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }
    // Renamed over `archive` (ReplaceWithTemp removes it when that fails).
    bool ReplaceArchive(const std::string& archive) {
        m_placed = true;
        return ReplaceWithTemp(m_path, archive);
    }

  private:
    std::string m_path;
    int m_fd = -1;
    bool m_placed = false;
};

// Builds the new archive in memory, writes it to a locked temporary beside
// `archive`, checks it there and renames it over `archive`.
void ReplaceArchive(const std::string& archive, bool existing,
                    const std::vector<SourceFile>& files) {
    const std::string bytes =
        BuildArchive(existing ? ArchiveBytes(archive) : std::string(), archive, files);
    ArchiveTemp temp(archive);
    if (!WriteAll(temp.Fd(), bytes.data(), bytes.size()))
        Refuse(CannotWriteArchive(archive) + SystemError());
    CheckArchive(temp.Path(), archive, files);
    if (!temp.ReplaceArchive(archive)) Refuse(CannotWriteArchive(archive) + SystemError());
}

}  // namespace

PackRequest ParsePackArguments(const std::vector<std::string>& args) {
    PackRequest request;
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
                Refuse("unknown option " + arg);
        }
    }
    if (names.size() != 2) Refuse("needs an archive and a file mask");
    request.Archive = names[0];
    request.Files = names[1];
    return request;
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
    // What a killed pkzip left beside the archive is not kept.
    RemoveStaleTemporaries(result.Archive);
    WalkDirectory(walk, ResolveCase(directory), "");
    RefuseSharedEntryNames(walk.Files);
    if (!walk.Files.empty()) ReplaceArchive(result.Archive, walk.SkipArchive, walk.Files);
    result.Packed = walk.Files.size();
    return result;
}

}  // namespace tarn
