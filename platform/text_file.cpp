#include "platform/text_file.h"

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr size_t kMaxTokenLength = 64;

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string ErrnoText() {
    return errno != 0 ? std::strerror(errno) : "unknown error";
}

}  // namespace

bool TextIn::Open(const std::string& path) {
    Close();
    m_name = path;
    std::string resolved = ResolveCase(path);
    if (!IsReadableFile(resolved)) return false;
    std::FILE* f = std::fopen(resolved.c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) m_data.append(buffer, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        m_data.clear();
        return false;
    }
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

std::string TextIn::NextToken() {
    while (!Eof() && IsSeparator(m_data[m_pos])) Advance();
    size_t start = m_pos;
    while (!Eof() && !IsSeparator(m_data[m_pos]) && m_pos - start < kMaxTokenLength) ++m_pos;
    return m_data.substr(start, m_pos - start);
}

bool TextIn::TryReal(double& value) {
    std::string token = NextToken();
    if (token.empty()) {  // end of file: 0 and no error
        value = 0.0;
        return true;
    }
    return ParseReal(token, value);
}

double TextIn::Real() {
    int line = m_line;
    size_t before = m_pos;
    double value = 0.0;
    if (!TryReal(value)) FailNumber("read number from", before, line);
    return value;
}

bool TextIn::TryInt(long& value) {
    std::string token = NextToken();
    if (token.empty()) {
        value = 0;
        return true;
    }
    return ParseInt(token, value);
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
    (void)ReadLine();
}

TextOut::~TextOut() {
    if (m_file != nullptr) std::fclose(m_file);
}

void TextOut::Fail(const char* operation) {
    std::string reason = ErrnoText();
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    throw RunTimeError(operation, m_name, 0, reason);
}

void TextOut::Create(const std::string& path) {
    Close();
    m_name = path;
    errno = 0;
    m_file = std::fopen(ResolveCase(path).c_str(), "wb");
    if (m_file == nullptr) Fail("create");
}

void TextOut::Append(const std::string& path) {
    Close();
    m_name = path;
    std::string resolved = ResolveCase(path);
    if (!IsReadableFile(resolved)) {
        throw RunTimeError("open for appending", path, 0, "file not found");
    }
    errno = 0;
    m_file = std::fopen(resolved.c_str(), "ab");
    if (m_file == nullptr) Fail("open for appending");
}

void TextOut::Write(const std::string& text) {
    if (m_file == nullptr) throw RunTimeError("write to", m_name, 0, "file not open");
    errno = 0;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        Fail("write to");
}

void TextOut::WriteLine(const std::string& text) {
    Write(text);
    Write("\n");
}

void TextOut::Close() {
    if (m_file == nullptr) return;
    errno = 0;
    bool failed = std::ferror(m_file) != 0;
    failed = (std::fclose(m_file) != 0) || failed;
    m_file = nullptr;
    if (failed) throw RunTimeError("close", m_name, 0, ErrnoText());
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
