#include "platform/file_transaction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "platform/file_calls.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Journal: a head line, one line per file, and an end line with the number of
// files and a check sum of everything before it.  A kill while it is written
// leaves a beginning of it, cut anywhere (an empty file included): such a
// journal belongs to a commit that had not begun to write any file.  Paths are
// relative to the journal's directory, so that a run naming that directory in
// another way (relative or absolute) finds the same files.
//   A <size> <path>   appended to; undo: cut back to <size> bytes
//   N <path>          new; undo: remove
//   R <path>          replaced; the new text is written to <path>.tarnnew and
//                     renamed over <path> once everything is durable; undo:
//                     remove <path>.tarnnew
constexpr const char* kJournalHead = "tarnpelo journal 2";
constexpr const char* kReplacementSuffix = ".tarnnew";

using StagedFile = RunFileStore::HeldFile;

std::string ReplacementName(const std::string& path) {
    return path + kReplacementSuffix;
}

// The journal's directory with its separator ("" for the working directory):
// the start of every path the journal names.
std::string JournalBase(const std::string& journal) {
    size_t slash = journal.rfind(kPathSeparator);
    return slash == std::string::npos ? std::string() : journal.substr(0, slash + 1);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? kPathSeparatorText : path.substr(0, slash);
}

// FNV-1a, 64 bits.
uint64_t CheckSum(const std::string& text) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

std::string Hex(uint64_t value) {
    static const char* digits = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 15];
    return text;
}

[[noreturn]] void Fail(const char* operation, const std::string& path) {
    throw RunTimeError(operation, path, 0, SystemError());
}

// The files the commit has open; closed when it goes out of scope.
struct OpenFiles {
    std::vector<int> Fds;
    std::vector<std::string> Paths;
    ~OpenFiles() {
        for (int fd : Fds)
            if (fd >= 0) close(fd);
    }
};

// Writes the text of `file` to `path` (appended to, made new, or emptied)
// and keeps it open in `files`; the file counts as touched once it is open.
void WriteFile(StagedFile& file, const std::string& path, int flags, OpenFiles& files,
               ReadCache& cache) {
    errno = 0;
    int fd = FileOpen(path, O_WRONLY | flags);
    bool append = (flags & O_APPEND) != 0;
    if (fd < 0) Fail(append ? "open for appending" : "create", path);
    file.Touched = true;
    cache.Forget(path);
    files.Fds.push_back(fd);
    files.Paths.push_back(path);
    if (!WriteAll(fd, file.Text.data(), file.Text.size())) Fail("write to", path);
}

// Makes the names in `directories` durable.
void SyncDirectories(const std::vector<std::string>& directories) {
    for (const std::string& dir : directories) {
        int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        bool ok = fd >= 0 && FileSyncData(fd) == 0;
        if (fd >= 0) close(fd);
        if (!ok) Fail("synchronise", dir);
    }
}

// Makes the written files and their names durable and closes them.  On Linux
// one synchronisation of each file system that holds them: a synchronisation
// per file would make the file system commit its own journal once per file.
void SyncAndClose(OpenFiles& files, const std::vector<std::string>& directories) {
#if defined(__linux__)
    std::vector<dev_t> devices;
    for (size_t i = 0; i < files.Fds.size(); ++i) {
        struct stat info;
        errno = 0;
        if (fstat(files.Fds[i], &info) != 0) Fail("synchronise", files.Paths[i]);
        if (std::find(devices.begin(), devices.end(), info.st_dev) != devices.end()) continue;
        devices.push_back(info.st_dev);
        if (FileSyncFileSystem(files.Fds[i]) != 0) Fail("synchronise", files.Paths[i]);
    }
#else
    for (size_t i = 0; i < files.Fds.size(); ++i) {
        errno = 0;
        if (FileSyncData(files.Fds[i]) != 0) Fail("synchronise", files.Paths[i]);
    }
    SyncDirectories(directories);
#endif
    (void)directories;
    for (size_t i = 0; i < files.Fds.size(); ++i) {
        int fd = files.Fds[i];
        files.Fds[i] = -1;
        errno = 0;
        if (FileClose(fd) != 0) Fail("close", files.Paths[i]);
    }
}

// Makes an undo durable and removes the journal; false when it cannot.
bool FinishUndo(const std::string& journal) {
    int dir = open(DirectoryOf(journal).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = dir >= 0 && FileSyncFileSystem(dir) == 0;
    if (dir >= 0) close(dir);
    return ok && (FileUnlink(journal) == 0 || errno == ENOENT);
}

// Reads the whole journal; false when there is none.  One that cannot be
// read is the run-time error: the run must not go on over an unknown undo.
bool ReadJournal(const std::string& path, std::string& text) {
    errno = 0;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) return false;
    if (fd < 0) Fail("open for reading", path);
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        throw RunTimeError("open for reading", path, 0, "not a file");
    }
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    int saved = errno;
    close(fd);
    errno = saved;
    if (n < 0) Fail("read from", path);
    return true;
}

// True when `path` (relative to the journal's directory) is a plain path in
// the result tree `tree` there.
bool InResultTree(const std::string& path, const std::string& tree) {
    size_t slash = path.find(kPathSeparator);
    return slash != std::string::npos && SameIgnoringCase(path.substr(0, slash), tree) &&
           IsPlainRelativePath(path);
}

// True when `path`, cut while it was written, is the beginning of a plain
// path in the result tree `tree`.
bool BeginsInResultTree(const std::string& path, const std::string& tree) {
    if (path.find(kPathSeparator) == std::string::npos)
        return path.size() <= tree.size() && SameIgnoringCase(path, tree.substr(0, path.size()));
    return InResultTree(path + "x", tree);  // any name completes a path so begun
}

// Reads the journal line `line` into the change of `f` and its path (relative
// to the journal's directory); false when it is no entry.  A line cut while it
// was written (`whole` false) need only be the beginning of one.
bool ReadEntry(const std::string& line, bool whole, StagedFile& f) {
    if (line.empty() || (line[0] != 'N' && line[0] != 'R' && line[0] != 'A')) return false;
    if (line.size() == 1) return !whole;
    if (line[1] != ' ') return false;
    f.Existed = line[0] != 'N';
    f.Replaced = line[0] == 'R';
    size_t p = 2;
    if (line[0] == 'A') {
        for (; p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])); ++p) {
            if (p == 2 + 18) return false;  // no size of a file has so many digits
            f.OriginalSize = f.OriginalSize * 10 + (line[p] - '0');
        }
        if (p == line.size()) return !whole;
        if (p == 2 || line[p] != ' ') return false;
        ++p;
    }
    f.Path = line.substr(p);
    return true;
}

[[noreturn]] void RefuseJournal(const std::string& journal, int line, const std::string& why) {
    throw RunTimeError("restore", journal, line, why + "; left as it is");
}

// The files of a whole journal, paths relative to its directory; false when it
// was cut while it was written (it names no file the commit had begun to
// write).  Any other journal (another form, bytes no commit writes, a wrong
// end line, a file that the commit of a run with the result tree `tree` could
// not have written) is refused with the run-time error naming `journal`:
// nothing is touched, and it stays.
bool ParseJournal(const std::string& journal, const std::string& text, const std::string& tree,
                  std::vector<StagedFile>& files) {
    const std::string head = kJournalHead;
    std::string body;  // the whole lines so far
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t stop = text.find('\n', start);
        const bool whole = stop != std::string::npos;
        const std::string line = text.substr(start, whole ? stop - start : std::string::npos);
        start = whole ? stop + 1 : text.size();
        ++number;
        if (number == 1) {
            if (!(whole ? line == head : head.compare(0, line.size(), line) == 0))
                RefuseJournal(journal, 0,
                              line.rfind("tarnpelo journal ", 0) == 0
                                  ? "a journal of another version"
                                  : "not a journal");
        } else if (line[0] == 'E') {
            const std::string end = "E " + IntText(number - 2) + " " + Hex(CheckSum(body));
            if (whole ? line != end : end.compare(0, line.size(), line) != 0)
                RefuseJournal(journal, number, "its end line does not match its entries");
            if (start < text.size()) RefuseJournal(journal, number + 1, "text after its end line");
            return whole;
        } else {
            StagedFile f;
            if (!ReadEntry(line, whole, f) || (!whole && !BeginsInResultTree(f.Path, tree)))
                RefuseJournal(journal, number, "not a journal entry");
            if (!whole) return false;
            if (!InResultTree(f.Path, tree))
                RefuseJournal(journal, 0,
                              "names " + ControlsShown(f.Path) + ", outside the result tree " +
                                  tree + kPathSeparatorText);
            files.push_back(std::move(f));
        }
        body += line + "\n";
    }
    return false;
}

// Opens, for every entry of a whole journal (paths relative to the open
// directory `base`), the directory that holds the file its undo changes: the
// result tree as the system finds it (it may be a link), each directory below
// it without following a link.  `held` gets the directory (-1 when one on the
// way is absent: nothing to undo) and the file's name there.  An entry that
// leads through a link, or to one, refuses the journal before anything is
// undone.
void HoldEntries(const std::string& journal, int base, const std::vector<StagedFile>& files,
                 OpenFiles& held) {
    for (const StagedFile& f : files) {
        const std::string& path = f.Path;
        auto refuse = [&](const std::string& part, const char* what) {
            RefuseJournal(journal, 0,
                          "names " + ControlsShown(path) + ": " + ControlsShown(part) + what);
        };
        held.Fds.push_back(-1);
        size_t start = 0;
        for (size_t slash; (slash = path.find(kPathSeparator, start)) != std::string::npos;
             start = slash + 1) {
            const int from = start == 0 ? base : held.Fds.back();
            const std::string name = path.substr(start, slash - start);
            const int next =
                openat(from, name.c_str(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC | (start == 0 ? 0 : O_NOFOLLOW));
            if (next < 0 && errno != ENOENT) {
                const int error = errno;
                struct stat info;
                if (fstatat(from, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(info.st_mode))
                    refuse(path.substr(0, slash), " is a link");
                if (error == ENOTDIR) refuse(path.substr(0, slash), " is no directory");
                errno = error;
                Fail("restore", JournalBase(journal) + path);
            }
            if (from != base) close(from);
            held.Fds.back() = next;
            if (next < 0) break;
        }
        held.Paths.push_back(path.substr(start));
        const std::string changed = f.Replaced ? ReplacementName(path) : path;
        struct stat info;
        if (held.Fds.back() >= 0 &&
            fstatat(held.Fds.back(), changed.c_str() + start, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(info.st_mode)) refuse(changed, " is a link");
            if (!S_ISREG(info.st_mode)) refuse(changed, " is no file");
        }
    }
}

// Undoes the change the commit may have made to the file of `f`, `name` in
// the open directory `dir` (AT_FDCWD: `name` is its path); with `flags`
// AT_SYMLINK_NOFOLLOW a link there is not followed.  False with errno set
// when it cannot be undone.
bool UndoFile(int dir, const std::string& name, const StagedFile& f, int flags) {
    errno = 0;
    if (!f.Existed) return FileUnlinkAt(dir, name) == 0 || errno == ENOENT;
    if (f.Replaced) return FileUnlinkAt(dir, ReplacementName(name)) == 0 || errno == ENOENT;
    struct stat info;
    return fstatat(dir, name.c_str(), &info, flags) != 0 || info.st_size <= f.OriginalSize ||
           FileTruncateAt(dir, name, static_cast<off_t>(f.OriginalSize), flags) == 0;
}

}  // namespace

bool RunFileStore::Covered(const std::string& path) const {
    if (!m_open) return false;
    for (const std::string& root : m_roots)
        if (path.compare(0, root.size(), root) == 0) return true;
    return false;
}

// The held file of `path`: by the name a writer used before, else by its name
// on disk, else by a name that differs from it only in case (names are
// compared without regard to case); -1 when none.
int RunFileStore::Find(const std::string& path) {
    auto known = m_byName.find(path);
    if (known != m_byName.end()) return known->second;
    int found = -1;
    for (size_t i = 0; i < m_files.size() && found < 0; ++i)
        if (m_files[i].Path == path) found = static_cast<int>(i);
    for (size_t i = 0; i < m_files.size() && found < 0; ++i)
        if (SameIgnoringCase(m_files[i].Path, path)) found = static_cast<int>(i);
    if (found >= 0) m_byName[path] = found;
    return found;
}

int RunFileStore::Add(const std::string& name, StagedFile file) {
    if (name.find('\n') != std::string::npos || name.find('\r') != std::string::npos)
        throw RunTimeError("create", name, 0, "a line end in a file name");
    m_files.push_back(std::move(file));
    int index = static_cast<int>(m_files.size() - 1);
    m_byName[name] = index;
    return index;
}

void RunFileStore::Clear() {
    m_open = false;
    m_journal.clear();
    m_roots.clear();
    m_files.clear();
    m_byName.clear();
}

std::string RunFileStore::JournalText() const {
    std::string body = std::string(kJournalHead) + "\n";
    const size_t base = JournalBase(m_journal).size();  // every root lies below it
    for (const StagedFile& f : m_files) {
        std::string path = f.Path.substr(base);
        if (!f.Existed) {
            body += "N " + path + "\n";
        } else if (f.Replaced) {
            body += "R " + path + "\n";
        } else {
            body += "A " + IntText(f.OriginalSize) + " " + path + "\n";
        }
    }
    return body + "E " + IntText(static_cast<long long>(m_files.size())) + " " +
           Hex(CheckSum(body)) + "\n";
}

// Undoes the changes of `files` (in reverse order) that the commit may have
// begun; false with errno set when one cannot be undone.
bool RunFileStore::Undo(const std::vector<StagedFile>& files) {
    for (auto f = files.rbegin(); f != files.rend(); ++f) {
        if (!f->Touched) continue;
        m_cache.Forget(f->Path);
        if (!UndoFile(AT_FDCWD, f->Path, *f, 0)) return false;
    }
    return true;
}

void RunFileStore::WriteJournal(int journalDir) {
    std::string text = JournalText();
    errno = 0;
    int fd = FileOpen(m_journal, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) Fail("create", m_journal);
    bool ok = WriteAll(fd, text.data(), text.size()) && FileSyncData(fd) == 0;
    int saved = errno;
    if (FileClose(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    // The journal's name must be durable too before any file changes.
    if (ok && FileSyncData(journalDir) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        (void)FileUnlink(m_journal);
        errno = saved;
        Fail("write to", m_journal);
    }
}

// Writes every held file and makes them durable, then puts the replacements
// in place and makes their names durable.
void RunFileStore::ApplyAndPlace() {
    std::vector<std::string> created, replaced;  // directories with new names
    auto note = [](std::vector<std::string>& list, const std::string& dir) {
        if (std::find(list.begin(), list.end(), dir) == list.end()) list.push_back(dir);
    };
    {
        OpenFiles files;
        for (StagedFile& f : m_files) {
            if (!f.Existed) {
                // Exclusive: a file found there now is not this run's to remove.
                WriteFile(f, f.Path, O_CREAT | O_EXCL, files, m_cache);
                note(created, DirectoryOf(f.Path));
            } else if (f.Replaced) {
                WriteFile(f, ReplacementName(f.Path), O_CREAT | O_TRUNC, files, m_cache);
                note(replaced, DirectoryOf(f.Path));
            } else {
                WriteFile(f, f.Path, O_APPEND, files, m_cache);
            }
        }
        SyncAndClose(files, created);
    }
    for (const StagedFile& f : m_files) {
        if (!(f.Existed && f.Replaced)) continue;
        errno = 0;
        if (FileRename(ReplacementName(f.Path), f.Path) != 0) Fail("rename", f.Path);
        m_cache.Forget(f.Path);  // a copy read before holds the old content
    }
    SyncDirectories(replaced);
}

// Sizes of the files appended to, as the commit finds them.
void RunFileStore::TakeOriginalSizes() {
    for (StagedFile& f : m_files) {
        if (!f.Existed || f.Replaced) continue;
        struct stat info;
        errno = 0;
        if (stat(f.Path.c_str(), &info) != 0) Fail("open for appending", f.Path);
        f.OriginalSize = static_cast<long long>(info.st_size);
    }
}

void RunFileStore::Begin(const std::string& journal, const std::vector<std::string>& roots) {
    Clear();
    m_open = true;
    m_journal = journal;
    for (const std::string& root : roots)
        if (!root.empty()) m_roots.push_back(root);
}

void RunFileStore::Abandon() {
    Clear();
}

void RunFileStore::Commit() {
    if (!m_open) return;
    m_open = false;  // whatever follows writes directly
    if (m_files.empty()) {
        Clear();
        return;
    }
    int journalDir = open(DirectoryOf(m_journal).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (journalDir < 0) {
        std::string journal = m_journal;
        Clear();
        Fail("create", journal);
    }
    bool journalWritten = false;
    try {
        TakeOriginalSizes();
        WriteJournal(journalDir);
        journalWritten = true;
        ApplyAndPlace();
        errno = 0;
        if (FileUnlink(m_journal) != 0) Fail("remove", m_journal);
    } catch (...) {
        // The journal stays for the next run when the undo cannot be completed.
        if (journalWritten && Undo(m_files)) (void)FinishUndo(m_journal);
        close(journalDir);
        Clear();
        throw;
    }
    close(journalDir);
    Clear();
}

int RunFileStore::Recover(const std::string& journal, const std::string& tree) {
    std::string text;
    if (!ReadJournal(journal, text)) return 0;
    std::vector<StagedFile> files;
    int restored = 0;
    if (ParseJournal(journal, text, tree, files)) {
        OpenFiles base, held;
        base.Fds.push_back(open(DirectoryOf(journal).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (base.Fds[0] < 0) Fail("restore", journal);
        HoldEntries(journal, base.Fds[0], files, held);
        for (size_t i = 0; i < files.size(); ++i) {
            std::string path = JournalBase(journal) + files[i].Path;
            m_cache.Forget(path);
            if (held.Fds[i] >= 0 &&
                !UndoFile(held.Fds[i], held.Paths[i], files[i], AT_SYMLINK_NOFOLLOW))
                Fail("restore", path);
            ++restored;
        }
    }
    errno = 0;
    if (!FinishUndo(journal)) Fail("remove", journal);
    return restored;
}

int RunFileStore::Create(const std::string& path) {
    if (!Covered(path)) return -1;
    int index = Find(path);
    if (index >= 0) {
        StagedFile& f = m_files[static_cast<size_t>(index)];
        f.Replaced = true;
        f.Text.clear();
        return index;
    }
    StagedFile f;
    f.Replaced = true;
    std::string resolved = ResolveCase(path);
    struct stat info;
    if (stat(resolved.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) throw RunTimeError("create", path, 0, std::strerror(EISDIR));
        f.Existed = true;
        f.Path = resolved;
    } else {
        if (stat(DirectoryOf(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            throw RunTimeError("create", path, 0, MissingDirectoryText(path));
        f.Path = path;
    }
    return Add(path, std::move(f));
}

int RunFileStore::Append(const std::string& path) {
    if (!Covered(path)) return -1;
    int index = Find(path);
    if (index >= 0) return index;
    std::string resolved = ResolveCase(path);
    if (!IsReadableFile(resolved))
        throw RunTimeError("open for appending", path, 0, "file not found");
    StagedFile f;
    f.Existed = true;
    f.Path = resolved;
    return Add(path, std::move(f));
}

void RunFileStore::Write(int file, const std::string& text) {
    // A writer left over from a transaction already closed has nothing to add to.
    if (file >= 0 && static_cast<size_t>(file) < m_files.size())
        m_files[static_cast<size_t>(file)].Text += text;
}

bool RunFileStore::Holds(const std::string& path) {
    return Covered(path) && Find(path) >= 0;
}

StoredText RunFileStore::Load(const std::string& path) {
    StoredText stored;
    if (Covered(path)) {
        int index = Find(path);
        if (index >= 0) {
            const StagedFile& f = m_files[static_cast<size_t>(index)];
            stored.Found = true;
            if (!f.Replaced) stored.DiskPath = f.Path;
            stored.Text = f.Text;
            return stored;
        }
    }
    if (const std::string* kept = m_cache.Find(path)) {
        stored.Found = true;
        stored.Text = *kept;
    }
    return stored;
}

void RunFileStore::Loaded(const std::string& path, const struct stat& info,
                          const std::string& text) {
    m_cache.Keep(path, info, text);
}

void RunFileStore::Written(unsigned long long device, unsigned long long inode) {
    m_cache.Forget(device, inode);
}

}  // namespace tarn
