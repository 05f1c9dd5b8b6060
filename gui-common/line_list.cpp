#include "gui-common/line_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/file_replace.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

namespace tarn::gui {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkLength = 3;

[[noreturn]] void FailSave(const std::string& path, const std::string& reason) {
    throw RunTimeError::ListError("save file", path, -1, reason);
}

// The file that a save of `path` replaces: an existing file of the name in
// another case, and the file a symbolic link points to.
std::string SaveTarget(const std::string& path) {
    std::string target = ResolveCase(path);
    struct stat info;
    if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char real[PATH_MAX];
        if (realpath(target.c_str(), real) != nullptr) target = real;
    }
    return target;
}

// True when `path` names something that exists and is no regular file.
bool IsOtherThanRegularFile(const std::string& path) {
    const EntryKind kind = KindOfEntry(path);
    return kind != EntryKind::None && kind != EntryKind::File;
}

bool IsLineEnd(const std::string& end) {
    return end.find('\n') != std::string::npos;
}

}  // namespace

void SaveLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    SaveTextAtomically(path, text);
}

void SaveTextAtomically(const std::string& path, const std::string& text) {
    if (path.empty()) FailSave(path, "no file name");
    const std::string target = SaveTarget(path);
    if (IsOtherThanRegularFile(target)) FailSave(path, "not a regular file");
    std::string temporary;
    errno = 0;
    int fd = CreateTempBeside(target, temporary);
    if (fd < 0) FailSave(path, SystemError());
    // Held open until it is renamed: its lock keeps a cleaner of stale
    // temporaries away.
    std::string failure;
    try {
        TextOut out;
        out.Create(temporary);
        out.Write(text);
        out.Close();
    } catch (const RunTimeError& error) {
        std::remove(temporary.c_str());
        failure = error.Reason();
    }
    if (failure.empty() && !ReplaceWithTemp(temporary, target)) failure = SystemError();
    close(fd);
    if (!failure.empty()) FailSave(path, failure);
}

void LineList::Load(const std::string& path) {
    if (path.empty()) throw RunTimeError::ListError("load file", path, -1, "no file name");
    if (IsOtherThanRegularFile(path))
        throw RunTimeError::ListError("load file", path, -1, "not a regular file");
    TextIn in;
    if (!in.Open(path))
        throw RunTimeError::ListError("load file", path, -1, "not found or unreadable");
    const std::string& text = in.Text();
    if (text.find('\0') != std::string::npos)
        throw RunTimeError::ListError("load file", path, -1, "not a text file");
    std::vector<std::string> lines, ends;
    const bool mark = text.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0;
    size_t pos = mark ? kByteOrderMarkLength : 0;
    while (pos < text.size()) {
        // The carriage returns before "\n" (or at the end of the file) belong
        // to the line's end.
        const size_t newline = text.find('\n', pos);
        const size_t next = newline == std::string::npos ? text.size() : newline + 1;
        size_t cut = newline == std::string::npos ? text.size() : newline;
        while (cut > pos && text[cut - 1] == '\r') --cut;
        lines.push_back(text.substr(pos, cut - pos));
        ends.push_back(text.substr(cut, next - cut));
        pos = next;
    }
    m_lineEnd = "\n";
    const auto ended = std::find_if(ends.begin(), ends.end(), IsLineEnd);
    if (ended != ends.end() && ended->size() > 1) m_lineEnd = "\r\n";
    m_lines.swap(lines);
    m_ends.swap(ends);
    m_byteOrderMark = mark;
    m_fileName = path;
}

std::string LineList::Text() const {
    std::string text = m_byteOrderMark ? kByteOrderMark : "";
    for (size_t i = 0; i < m_lines.size(); ++i) {
        text += m_lines[i];
        // Every line but a non-empty last one needs an end to stay a line.
        const bool last = i + 1 == m_lines.size();
        const std::string& end = m_ends[i];
        text += IsLineEnd(end) || (last && !(end.empty() && m_lines[i].empty())) ? end : m_lineEnd;
    }
    return text;
}

void LineList::Save(const std::string& path) const {
    SaveTextAtomically(path, Text());
}

void LineList::CheckIndex(const char* operation, int index) const {
    if (index >= 0 && index < Count()) return;
    throw RunTimeError::ListError(operation, m_fileName, index,
                                  "the file holds " + std::to_string(Count()) + " lines");
}

const std::string& LineList::Line(int index) const {
    CheckIndex("read line", index);
    return m_lines[static_cast<size_t>(index)];
}

void LineList::Replace(int index, const std::string& text) {
    CheckIndex("replace line", index);
    m_lines[static_cast<size_t>(index)] = text;
}

void LineList::Append(const std::string& text) {
    // The last line gets an end now that another follows.
    if (!m_ends.empty() && !IsLineEnd(m_ends.back())) m_ends.back() = m_lineEnd;
    m_lines.push_back(text);
    m_ends.push_back(m_lineEnd);
}

void LineList::Insert(int index, const std::string& text) {
    if (index == Count()) {
        Append(text);
        return;
    }
    CheckIndex("replace line", index);
    m_lines.insert(m_lines.begin() + index, text);
    m_ends.insert(m_ends.begin() + index, m_lineEnd);
}

void LineList::Erase(int index, int count) {
    const int first = std::clamp(index, 0, Count());
    const int last = std::clamp(index + std::max(count, 0), first, Count());
    m_lines.erase(m_lines.begin() + first, m_lines.begin() + last);
    m_ends.erase(m_ends.begin() + first, m_ends.begin() + last);
}

void LineList::Clear() {
    m_lines.clear();
    m_ends.clear();
}

}  // namespace tarn::gui
