#include "tarnbat/zip_restore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <map>

#include "platform/file_calls.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_handle.h"

namespace tarn {

namespace {

constexpr size_t kNoFolder = static_cast<size_t>(-1);

[[noreturn]] void Refuse(std::string reason) {
    throw RunTimeError::Refusal(std::move(reason));
}

// True when `text` holds a control character at `i`: a byte below 32 or 127,
// or (UTF-8) one of U+0080..U+009F; `size` gets its length in bytes.
bool ControlAt(const std::string& text, size_t i, size_t& size) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    size = 1;
    if (byte(i) < ' ' || byte(i) == 127) return true;
    size = 2;
    return byte(i) == 0xC2 && i + 1 < text.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F;
}

bool HoldsControl(const std::string& text) {
    size_t size = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (ControlAt(text, i, size)) return true;
    return false;
}

// `text` as shown in a reason: control characters as "?".
std::string Printable(const std::string& text) {
    std::string shown;
    size_t size = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!ControlAt(text, i, size)) {
            shown += text[i];
            continue;
        }
        shown += '?';
        i += size - 1;
    }
    return shown;
}

// `name` without regard to the case of its letters.
std::string Folded(std::string name) {
    for (char& c : name) c = FoldedCase(c);
    return name;
}

// The entry names of `archive` (shown as `shown`), as the archive's code page
// gives them.  Raises RunTimeError when a name, as given or in its raw bytes,
// is no plain relative path or holds a control character, or when two names
// are one file to a lookup without regard to case.
std::vector<std::string> EntryNames(zip_t* archive, const std::string& shown) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<std::string> names;
    std::map<std::string, size_t> seen;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive, index, 0);
        const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        std::string text = name == nullptr ? std::string() : name;
        if (!IsPlainRelativePath(text) || raw == nullptr || !IsPlainRelativePath(raw) ||
            HoldsControl(text))
            Refuse("entry " + std::to_string(i + 1) + " of " + shown +
                   " is no plain relative path: " + Printable(raw == nullptr ? text : raw));
        const auto twin = seen.emplace(Folded(text), names.size());
        if (!twin.second)
            Refuse("entries " + std::to_string(twin.first->second + 1) + " and " +
                   std::to_string(i + 1) + " of " + shown +
                   " name one file: " + names[twin.first->second] + " and " + text);
        names.push_back(text);
    }
    return names;
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
    if (got != 0) Refuse("check of " + target + " failed: " + SystemError());
    return content;
}

// A directory that receives files: found on disk, or made by the restore.
struct Folder {
    std::string Path;  // as shown; the name on disk where it was found
    std::string Name;  // its name in its parent
    size_t Parent = kNoFolder;
    bool Missing = false;
    bool Made = false;  // made by this restore
    int Fd = -1;
};

// A missing file to be written from an entry.
struct NewFile {
    zip_uint64_t Index = 0;
    std::string Path;  // as shown
    std::string Name;  // its name in its folder
    size_t Folder = 0;
    std::string Temp;  // its temporary in the folder, once made
    int Fd = -1;
    bool Placed = false;
};

// One restore: the folders and files planned, then written.  What it made is
// removed when it is let go unfinished: temporaries, then the folders it made
// (each only when empty).
class Restore {
  public:
    Restore(zip_t* archive, std::string shown) : m_archive(archive), m_shown(std::move(shown)) {}
    ~Restore() {
        for (NewFile& file : m_files) {
            if (file.Fd < 0) continue;
            if (!file.Placed) (void)unlinkat(m_folders[file.Folder].Fd, file.Temp.c_str(), 0);
            close(file.Fd);
        }
        for (size_t i = m_folders.size(); i-- > 0 && !m_finished;) {
            const Folder& folder = m_folders[i];
            if (!folder.Made) continue;
            if (folder.Parent == kNoFolder)
                (void)rmdir(folder.Path.c_str());
            else
                (void)unlinkat(m_folders[folder.Parent].Fd, folder.Name.c_str(), AT_REMOVEDIR);
        }
        for (const Folder& folder : m_folders)
            if (folder.Fd >= 0) close(folder.Fd);
    }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

    // Finds the folder and the missing files of every entry under `top`;
    // touches nothing.
    void Plan(const std::string& top, const std::vector<std::string>& names, bool keepPaths) {
        Folder folder;
        folder.Path = folder.Name = top;
        folder.Missing = !DirectoryExists(top);
        m_folders.push_back(folder);
        for (zip_uint64_t i = 0; i < names.size(); ++i) {
            size_t folder = 0;
            size_t start = 0;
            for (size_t slash; (slash = names[i].find('/', start)) != std::string::npos;) {
                if (keepPaths)
                    folder = Subfolder(folder, names[i].substr(start, slash - start), names[i]);
                start = slash + 1;
            }
            PlanFile(i, folder, names[i].substr(start));
        }
    }

    // Makes the missing folders and opens every folder, links below the top
    // never followed; removes the temporaries killed restores left there.
    void OpenFolders() {
        for (Folder& folder : m_folders) {
            const int parent = folder.Parent == kNoFolder ? AT_FDCWD : m_folders[folder.Parent].Fd;
            const int noLink = folder.Parent == kNoFolder ? 0 : O_NOFOLLOW;
            if (folder.Missing) {
                if (FileMakeDirectory(folder.Path, 0777) != 0)
                    Refuse("cannot make directory " + folder.Path + ": " + SystemError());
                folder.Made = true;
            }
            folder.Fd = openat(
                parent, folder.Parent == kNoFolder ? folder.Path.c_str() : folder.Name.c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC | noLink);
            if (folder.Fd < 0)
                Refuse("cannot open directory " + folder.Path + ": " + SystemError());
            if (!folder.Missing) RemoveStaleTemporariesIn(folder.Fd);
        }
    }

    // Refuses files that together declare more bytes than the top's file
    // system has free.
    void CheckSpace() const {
        zip_uint64_t total = 0;
        for (const NewFile& file : m_files) {
            const zip_uint64_t size = Stat(file.Index).size;
            // Declared sizes come from the archive: their sum must not wrap.
            total = size > UINT64_MAX - total ? UINT64_MAX : total + size;
        }
        struct statvfs space;
        if (fstatvfs(m_folders.front().Fd, &space) != 0) return;
        const auto free = static_cast<zip_uint64_t>(space.f_bavail) * space.f_frsize;
        if (total > free)
            Refuse("the missing files of " + m_shown + " need " + std::to_string(total) +
                   " bytes, " + m_folders.front().Path + " has " + std::to_string(free) + " free");
    }

    // Writes every missing file to a locked temporary in its folder and checks it.
    void WriteTemporaries() {
        for (NewFile& file : m_files) WriteTemporary(file);
    }

    // Renames every temporary into place, never over an existing entry.
    size_t Place() {
        for (NewFile& file : m_files) {
            if (!PlaceTempIn(m_folders[file.Folder].Fd, file.Temp, file.Name))
                Refuse("cannot write " + file.Path + ": " + SystemError());
            file.Placed = true;
        }
        m_finished = true;
        return m_files.size();
    }

  private:
    // The folder `name` in `parent`, planned once (names found without regard
    // to case).  Raises RunTimeError for a link or a file in the way of
    // `entry`.
    size_t Subfolder(size_t parent, const std::string& name, const std::string& entry) {
        for (size_t i = 0; i < m_folders.size(); ++i)
            if (m_folders[i].Parent == parent && SameIgnoringCase(m_folders[i].Name, name))
                return i;
        Folder folder;
        folder.Path = JoinPath(m_folders[parent].Path, name);
        folder.Name = name;
        folder.Parent = parent;
        folder.Missing = true;
        if (!m_folders[parent].Missing) {
            const std::string found = ResolveCase(folder.Path);
            struct stat info;
            if (lstat(found.c_str(), &info) == 0) {
                if (S_ISLNK(info.st_mode))
                    Refuse("entry " + entry + " of " + m_shown +
                           " would be written through the link " + found);
                if (!S_ISDIR(info.st_mode))
                    Refuse("cannot make directory " + found + ": " + std::strerror(ENOTDIR));
                folder.Path = found;
                folder.Name = found.substr(found.size() - name.size());
                folder.Missing = false;
            }
        }
        m_folders.push_back(folder);
        return m_folders.size() - 1;
    }

    // Plans entry `index` as the file `name` in `folder` when no entry of that
    // name is there (links count as they stand) or planned already.
    void PlanFile(zip_uint64_t index, size_t folder, const std::string& name) {
        for (const NewFile& file : m_files)
            if (file.Folder == folder && SameIgnoringCase(file.Name, name)) return;
        const std::string path = JoinPath(m_folders[folder].Path, name);
        struct stat existing;
        if (!m_folders[folder].Missing && lstat(ResolveCase(path).c_str(), &existing) == 0) return;
        NewFile file;
        file.Index = index;
        file.Path = path;
        file.Name = name;
        file.Folder = folder;
        m_files.push_back(file);
    }

    zip_stat_t Stat(zip_uint64_t index) const {
        zip_stat_t info;
        if (zip_stat_index(m_archive, index, 0, &info) != 0 ||
            (info.valid & (ZIP_STAT_SIZE | ZIP_STAT_CRC)) != (ZIP_STAT_SIZE | ZIP_STAT_CRC))
            Refuse("cannot read entry " + std::to_string(index + 1) + " of " + m_shown + ": " +
                   zip_strerror(m_archive));
        return info;
    }

    // Writes `file` from its entry, at most the entry's declared size, to a
    // new temporary and checks it against the entry's size and CRC.
    void WriteTemporary(NewFile& file) {
        const zip_stat_t info = Stat(file.Index);
        ZipEntry entry(zip_fopen_index(m_archive, file.Index, 0));
        if (entry == nullptr)
            Refuse("cannot read entry " + std::to_string(file.Index + 1) + " of " + m_shown + ": " +
                   zip_strerror(m_archive));
        file.Fd = CreateTempIn(m_folders[file.Folder].Fd, file.Temp);
        if (file.Fd < 0) Refuse("cannot write " + file.Path + ": " + SystemError());
        std::vector<char> buffer(1 << 16);
        zip_uint64_t total = 0;
        zip_int64_t got = 0;
        while ((got = zip_fread(entry.get(), buffer.data(), buffer.size())) > 0) {
            total += static_cast<zip_uint64_t>(got);
            if (total > info.size)
                Refuse("entry " + std::string(info.name) + " of " + m_shown +
                       " holds more than its declared " + std::to_string(info.size) + " bytes");
            if (!WriteAll(file.Fd, buffer.data(), static_cast<size_t>(got)))
                Refuse("cannot write " + file.Path + ": " + SystemError());
        }
        // libzip tests the entry's CRC as it reads it to its end.
        if (got < 0)
            Refuse("cannot read entry " + std::string(info.name) + " of " + m_shown + ": " +
                   zip_file_strerror(entry.get()));
        const Content content = ReadBack(file.Fd, file.Path);
        if (content.Size != info.size || content.Crc != info.crc)
            Refuse("check of " + file.Path + " failed: it differs from the entry");
        if (!FinishNewTemp(file.Fd)) Refuse("cannot write " + file.Path + ": " + SystemError());
    }

    zip_t* m_archive;
    std::string m_shown;
    std::vector<Folder> m_folders;  // the top first, every folder after its parent
    std::vector<NewFile> m_files;
    bool m_finished = false;
};

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
    const std::vector<std::string> names = EntryNames(archive.get(), result.Archive);
    std::string top = request.Directory;
    while (top.size() > 1 && top.back() == kPathSeparator) top.pop_back();
    Restore restore(archive.get(), result.Archive);
    restore.Plan(ResolveCase(top), names, request.KeepPaths);
    restore.OpenFolders();
    restore.CheckSpace();
    restore.WriteTemporaries();
    result.Restored = restore.Place();
    return result;
}

}  // namespace tarn
