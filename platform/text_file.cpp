#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_calls.h"
#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr size_t kMaxTokenLength = 64;
constexpr size_t kFlushSize = 64 * 1024;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Reads the whole regular file open on `fd` into `data`; false on a read error.
bool ReadWhole(int fd, size_t sizeHint, std::string& data) {
    data.resize(sizeHint + 1);
    size_t done = 0;
    for (;;) {
        ssize_t n = read(fd, &data[done], data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        done += static_cast<size_t>(n);
        if (done == data.size()) data.resize(data.size() * 2);
    }
    data.resize(done);
    return true;
}

// Positions past a UTF-8 byte-order mark at the start of the text.
size_t AfterByteOrderMark(const std::string& data) {
    return data.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
}

}  // namespace

bool TextIn::Open(const std::string& path) {
    Close();
    m_name = path;
    FileStore* store = CurrentFileStore();
    StoredText stored = store != nullptr ? store->Load(path) : StoredText{};
    if (stored.Found) {
        // What the store gives: read after the disk file it names, if any.
        if (stored.DiskPath.empty()) {
            m_data = std::move(stored.Text);
        } else {
            int fd = open(stored.DiskPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat info;
            bool ok = fd >= 0 && fstat(fd, &info) == 0 &&
                      ReadWhole(fd, static_cast<size_t>(info.st_size), m_data);
            if (fd >= 0) close(fd);
            if (!ok) return false;
            m_data += stored.Text;
        }
        m_pos = AfterByteOrderMark(m_data);
        m_open = true;
        return true;
    }
    // The exact name first; the lookup without regard to case only when it fails.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const bool exact = fd >= 0;
    if (!exact) {
        std::string resolved = ResolveCase(path);
        if (resolved != path) fd = open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              ReadWhole(fd, static_cast<size_t>(info.st_size), m_data);
    close(fd);
    if (!ok) {
        m_data.clear();
        return false;
    }
    if (store != nullptr && exact) store->Loaded(path, info, m_data);
    m_pos = AfterByteOrderMark(m_data);
    m_open = true;
    return true;
}

void TextIn::OpenOrThrow(const std::string& path) {
    if (!Open(path))
        throw RunTimeError("open for reading", path, 0, "file not found or unreadable");
}

void TextIn::OpenText(const std::string& name, const std::string& content) {
    Close();
    m_name = name;
    m_data = content;
    m_pos = AfterByteOrderMark(m_data);
    m_open = true;
}

void TextIn::Close() {
    m_data.clear();
    m_pos = 0;
    m_line = 1;
    m_open = false;
}

bool TextIn::Eoln() const {
    if (Eof()) return true;
    char c = m_data[m_pos];
    if (c == '\n') return true;
    return c == '\r' && (m_pos + 1 >= m_data.size() || m_data[m_pos + 1] == '\n');
}

void TextIn::Advance() {
    if (m_data[m_pos] == '\n') ++m_line;
    ++m_pos;
}

size_t TextIn::NextToken() {
    const char* p = m_data.data() + m_pos;
    const char* end = m_data.data() + m_data.size();
    while (p < end && IsSeparator(*p)) {
        if (*p == '\n') ++m_line;
        ++p;
    }
    const char* start = p;
    const char* limit =
        end - p > static_cast<ptrdiff_t>(kMaxTokenLength) ? p + kMaxTokenLength : end;
    while (p < limit && !IsSeparator(*p)) ++p;
    m_pos = static_cast<size_t>(p - m_data.data());
    return static_cast<size_t>(p - start);
}

bool TextIn::TryReal(double& value) {
    size_t length = NextToken();
    if (length == 0) {  // end of file: 0 and no error
        value = 0.0;
        return true;
    }
    return ParseReal(m_data.data() + m_pos - length, length, value);
}

double TextIn::Real() {
    int line = m_line;
    size_t before = m_pos;
    double value = 0.0;
    if (!TryReal(value)) FailNumber("read number from", before, line);
    return value;
}

bool TextIn::TryInt(long& value) {
    size_t length = NextToken();
    if (length == 0) {
        value = 0;
        return true;
    }
    return ParseInt(m_data.data() + m_pos - length, length, value);
}

long TextIn::Int() {
    int line = m_line;
    size_t before = m_pos;
    long value = 0;
    if (!TryInt(value)) FailNumber("read integer from", before, line);
    return value;
}

void TextIn::FailNumber(const char* operation, size_t before, int line) const {
    // Report the line of the token itself, past the blanks and line ends skipped.
    while (before < m_data.size() && IsSeparator(m_data[before])) {
        if (m_data[before] == '\n') ++line;
        ++before;
    }
    throw RunTimeError(operation, m_name, line,
                       "invalid numeric format '" + m_data.substr(before, m_pos - before) + "'");
}

std::string TextIn::ReadLine() {
    size_t start = m_pos;
    size_t end = m_data.find('\n', m_pos);
    if (end == std::string::npos) end = m_data.size();
    size_t stop = end;
    if (stop > start && m_data[stop - 1] == '\r') --stop;
    std::string line = m_data.substr(start, stop - start);
    m_pos = end;
    if (m_pos < m_data.size()) Advance();
    return line;
}

std::string TextIn::ReadText(size_t maxLength) {
    return Cut(ReadLine(), maxLength);
}

void TextIn::NextLine() {
    // As ReadLine, without building the skipped text.
    size_t end = m_data.find('\n', m_pos);
    if (end == std::string::npos) {
        m_pos = m_data.size();
        return;
    }
    m_pos = end + 1;
    ++m_line;
}

TextOut::~TextOut() {
    if (m_staged >= 0) {
        (void)Flush();
        return;
    }
    if (m_fd < 0) return;
    (void)Flush();
    FileClose(m_fd);
    ReportWritten();
}

FileStore* TextOut::OwnStore() const {
    FileStore* store = CurrentFileStore();
    return store != nullptr && store->Serial() == m_storeSerial ? store : nullptr;
}

void TextOut::ReportWritten() const {
    if (m_inode == 0) return;
    if (FileStore* store = CurrentFileStore()) store->Written(m_device, m_inode);
}

void TextOut::Fail(const char* operation) {
    std::string reason = SystemError();
    if (m_fd >= 0) {
        FileClose(m_fd);
        m_fd = -1;
    }
    m_buffer.clear();
    throw RunTimeError(operation, m_name, 0, reason);
}

void TextOut::Opened(int fd, const struct stat* info) {
    m_fd = fd;
    m_buffer.clear();
    m_device = m_inode = 0;
    if (CurrentFileStore() == nullptr) return;
    struct stat own;
    if (info == nullptr) {
        if (fstat(fd, &own) != 0) return;
        info = &own;
    }
    m_device = static_cast<unsigned long long>(info->st_dev);
    m_inode = static_cast<unsigned long long>(info->st_ino);
    ReportWritten();
}

bool TextOut::Flush() {
    if (m_staged >= 0) {
        // A writer that outlived its store has nothing to add to.
        if (FileStore* store = OwnStore()) store->Write(m_staged, m_buffer);
        m_buffer.clear();
        return true;
    }
    if (!WriteAll(m_fd, m_buffer.data(), m_buffer.size())) {
        m_buffer.clear();
        return false;
    }
    m_buffer.clear();
    return true;
}

void FailNonFiniteNumber(const std::string& file) {
    throw RunTimeError("write to", file, 0, "a number to be written is NaN or infinite");
}

bool TextOut::TakeHeldFile(int (FileStore::*open)(const std::string&), const std::string& path) {
    FileStore* store = CurrentFileStore();
    if (store == nullptr) return false;
    m_staged = (store->*open)(path);
    m_storeSerial = store->Serial();
    return m_staged >= 0;
}

void TextOut::Create(const std::string& path) {
    Close();
    m_name = path;
    if (TakeHeldFile(&FileStore::Create, path)) return;
    errno = 0;
    // An existing file of the exact name is emptied with one call; otherwise
    // the name is looked up without regard to case and the file created.
    int fd = FileOpen(path, O_WRONLY | O_TRUNC);
    if (fd < 0) fd = FileOpen(ResolveCase(path), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 && errno == ENOENT)
        throw RunTimeError("create", path, 0, MissingDirectoryText(path));
    if (fd < 0) Fail("create");
    Opened(fd);
}

void TextOut::Append(const std::string& path) {
    Close();
    m_name = path;
    if (TakeHeldFile(&FileStore::Append, path)) return;
    // The exact name first: one open, which fails for a missing file, and a
    // check that it is a regular file; otherwise the lookup without regard to case.
    int fd = FileOpen(path, O_WRONLY | O_APPEND | O_NONBLOCK);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        FileClose(fd);
        fd = -1;
    }
    if (fd >= 0) {
        Opened(fd, &info);
        return;
    }
    std::string resolved = ResolveCase(path);
    if (!IsReadableFile(resolved)) {
        throw RunTimeError("open for appending", path, 0, "file not found");
    }
    errno = 0;
    fd = FileOpen(resolved, O_WRONLY | O_APPEND);
    if (fd < 0) Fail("open for appending");
    Opened(fd);
}

void TextOut::Write(const std::string& text) {
    if (!IsOpen()) throw RunTimeError("write to", m_name, 0, "file not open");
    m_buffer += text;
    errno = 0;
    if (m_buffer.size() >= kFlushSize && m_buffer.back() == '\n' && !Flush()) Fail("write to");
}

void TextOut::WriteLine(const std::string& text) {
    if (!IsOpen()) throw RunTimeError("write to", m_name, 0, "file not open");
    m_buffer += text;
    m_buffer += '\n';
    errno = 0;
    if (m_buffer.size() >= kFlushSize && !Flush()) Fail("write to");
}

void TextOut::Close() {
    if (m_staged >= 0) {
        Flush();
        m_staged = -1;
        return;
    }
    if (m_fd < 0) return;
    errno = 0;
    bool failed = !Flush();
    std::string reason = failed ? SystemError() : std::string();
    m_buffer.clear();
    if (FileClose(m_fd) != 0 && !failed) {
        failed = true;
        reason = SystemError();
    }
    m_fd = -1;
    ReportWritten();
    if (failed) throw RunTimeError("close", m_name, 0, reason);
}

void AppendLines(const std::string& path, std::initializer_list<std::string> lines) {
    TextOut out;
    out.Append(path);
    for (const std::string& line : lines) out.WriteLine(line);
    out.Close();
}

void AppendLines(const std::string& path, const std::vector<std::string>& lines) {
    TextOut out;
    out.Append(path);
    for (const std::string& line : lines) out.WriteLine(line);
    out.Close();
}

void CreateWithLines(const std::string& path, std::initializer_list<std::string> lines) {
    TextOut out;
    out.Create(path);
    for (const std::string& line : lines) out.WriteLine(line);
    out.Close();
}

void CreateWithLines(const std::string& path, const std::vector<std::string>& lines) {
    TextOut out;
    out.Create(path);
    for (const std::string& line : lines) out.WriteLine(line);
    out.Close();
}

}  // namespace tarn
