#include "tarnbat/zip_restore.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/file_calls.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_archive.h"
#include "tarnbat/zip_handle.h"

namespace tarn {

namespace {

// The directory `path` (found without regard to case by the caller), made
// when missing.  Raises RunTimeError "cannot make directory D: R".
void MakeMissingDirectory(const std::string& path) {
    if (!DirectoryExists(path)) MakeDirectory(path);
    if (!DirectoryExists(path))
        throw RunTimeError::Refusal("cannot make directory " + path + ": " +
                                    MissingDirectoryText(JoinPath(path, "x")));
}

// Size and CRC-32 of a file's content.
struct Content {
    zip_uint64_t Size = 0;
    uLong Crc = 0;
};

// What the open file `fd` holds, read from its start.  Raises RunTimeError
// "check of TARGET failed: R" when it cannot be read.
Content ReadBack(int fd, const std::string& target) {
    Content content;
    content.Crc = crc32(0L, Z_NULL, 0);
    std::vector<char> buffer(1 << 16);
    ssize_t got = -1;
    if (lseek(fd, 0, SEEK_SET) == 0) {
        while ((got = read(fd, buffer.data(), buffer.size())) > 0) {
            content.Size += static_cast<zip_uint64_t>(got);
            content.Crc = crc32(content.Crc, reinterpret_cast<const Bytef*>(buffer.data()),
                                static_cast<uInt>(got));
        }
    }
    if (got != 0) throw RunTimeError::Refusal("check of " + target + " failed: " + SystemError());
    return content;
}

// The locked temporary beside a file; removed, unless handed over, and closed
// when it is let go.
class TempFile {
  public:
    // Raises RunTimeError "cannot write TARGET: R" when it cannot be made.
    explicit TempFile(const std::string& target) {
        m_fd = CreateTempBeside(target, m_path);
        if (m_fd < 0) throw RunTimeError::Refusal("cannot write " + target + ": " + SystemError());
    }
    ~TempFile() {
        if (!m_handedOver) unlink(m_path.c_str());
        close(m_fd);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int Fd() const { return m_fd; }
    // Its path, handed to one that renames it or removes it itself.
    const std::string& HandOver() {
        m_handedOver = true;
        return m_path;
    }

  private:
    std::string m_path;
    int m_fd = -1;
    bool m_handedOver = false;
};

// Writes entry `index` of `archive` (shown as `shown`) to a locked temporary
// beside `target`, checks it and renames it into place.
void WriteEntry(zip_t* archive, zip_uint64_t index, const std::string& shown,
                const std::string& target) {
    zip_stat_t info;
    ZipEntry entry(zip_stat_index(archive, index, 0, &info) == 0
                       ? zip_fopen_index(archive, index, 0)
                       : nullptr);
    if (entry == nullptr)
        throw RunTimeError::Refusal("cannot read entry " + std::to_string(index + 1) + " of " +
                                    shown + ": " + zip_strerror(archive));
    RemoveStaleTemporaries(target);
    TempFile temp(target);
    std::vector<char> buffer(1 << 16);
    zip_int64_t got = 0;
    while ((got = zip_fread(entry.get(), buffer.data(), buffer.size())) > 0) {
        if (!WriteAll(temp.Fd(), buffer.data(), static_cast<size_t>(got)))
            throw RunTimeError::Refusal("cannot write " + target + ": " + SystemError());
    }
    // libzip tests the entry's CRC as it reads it to its end.
    if (got < 0)
        throw RunTimeError::Refusal(std::string("cannot read entry ") + info.name + " of " + shown +
                                    ": " + zip_file_strerror(entry.get()));
    entry.reset();
    const Content content = ReadBack(temp.Fd(), target);
    if (content.Size != info.size || content.Crc != info.crc)
        throw RunTimeError::Refusal("check of " + target + " failed: it differs from the entry");
    // ReplaceWithTemp removes the temporary when it fails.
    if (!ReplaceWithTemp(temp.HandOver(), target, false))
        throw RunTimeError::Refusal("cannot write " + target + ": " + SystemError());
}

// Writes the entries of the open `archive` that are missing under the
// directory of `request`, counting them in `result`.
void RestoreEntries(zip_t* archive, const UnpackRequest& request, UnpackResult& result) {
    zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<std::string> names;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        std::string text = name == nullptr ? std::string() : name;
        if (!IsPlainRelativePath(text)) {
            for (char& c : text)
                if (static_cast<unsigned char>(c) < ' ' || c == 127) c = '?';
            throw RunTimeError::Refusal("entry " + std::to_string(i + 1) + " of " + result.Archive +
                                        " is no plain relative path: " + text);
        }
        names.push_back(text);
    }
    std::string top = request.Directory;
    while (top.size() > 1 && top.back() == kPathSeparator) top.pop_back();
    top = ResolveCase(top);
    MakeMissingDirectory(top);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string directory = top;
        size_t start = 0;
        for (size_t slash; (slash = names[i].find('/', start)) != std::string::npos;) {
            if (request.KeepPaths) {
                directory = ResolveCase(JoinPath(directory, names[i].substr(start, slash - start)));
                MakeMissingDirectory(directory);
            }
            start = slash + 1;
        }
        std::string target = ResolveCase(JoinPath(directory, names[i].substr(start)));
        struct stat existing;
        // Never replaced; a link counts as it stands, even one that leads
        // nowhere (EntryExists would follow it).
        if (lstat(target.c_str(), &existing) == 0) continue;
        WriteEntry(archive, i, result.Archive, target);
        ++result.Restored;
    }
}

}  // namespace

UnpackRequest ParseUnpackArguments(const std::vector<std::string>& args) {
    UnpackRequest request;
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (SameIgnoringCase(arg, "-d"))
            request.KeepPaths = true;
        else if (arg.size() >= 2 && arg[0] == '-')
            throw RunTimeError::Refusal("unknown option " + arg);
        else
            names.push_back(arg);
    }
    if (names.size() != 2) throw RunTimeError::Refusal("needs an archive and a directory");
    request.Archive = names[0];
    request.Directory = names[1];
    return request;
}

UnpackResult RestoreFiles(const UnpackRequest& request) {
    UnpackResult result;
    result.Archive = ResolveTarget(ArchiveFileName(request.Archive));
    ZipArchive archive = OpenZip(result.Archive, ZIP_RDONLY | ZIP_CHECKCONS,
                                 "cannot open archive " + result.Archive + ": ");
    RestoreEntries(archive.get(), request, result);
    return result;
}

}  // namespace tarn
