#include "gui-common/line_list.h"

#include <sys/stat.h>
#include <unistd.h>

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

std::string Compose(const std::string& operation, const std::string& file, int index,
                    const std::string& reason) {
    std::string text = "Cannot " + operation;
    if (index >= 0) text += " index " + std::to_string(index) + " of";
    return text + " '" + file + "': " + reason;
}

[[noreturn]] void FailSave(const std::string& path, const std::string& reason) {
    throw LineListError("save list", path, -1, reason);
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

}  // namespace

LineListError::LineListError(std::string operation, std::string file, int index, std::string reason)
    : std::runtime_error(Compose(operation, file, index, reason)),
      m_operation(std::move(operation)),
      m_file(std::move(file)),
      m_index(index),
      m_reason(std::move(reason)) {}

void SaveLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    const std::string target = SaveTarget(path);
    std::string temporary;
    errno = 0;
    int fd = CreateTempBeside(target, temporary);
    if (fd < 0) FailSave(path, SystemError());
    close(fd);
    try {
        TextOut out;
        out.Create(temporary);
        for (const std::string& line : lines) out.WriteLine(line);
        out.Close();
    } catch (const RunTimeError& error) {
        std::remove(temporary.c_str());
        FailSave(path, error.Reason());
    }
    std::string reason = ReplaceWithTemp(temporary, target);
    if (!reason.empty()) FailSave(path, reason);
}

void LineList::Load(const std::string& path) {
    TextIn in;
    if (!in.Open(path)) throw LineListError("load list", path, -1, "file not found or unreadable");
    std::vector<std::string> lines;
    while (!in.Eof()) {
        // Carriage returns at a line's end go too ("\r\r\n" ends a line): a
        // line ending in one would not read back as it was saved.
        std::string line = in.ReadLine();
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    m_lines.swap(lines);
    m_fileName = path;
}

void LineList::Save(const std::string& path) const {
    SaveLinesAtomically(path, m_lines);
}

void LineList::CheckIndex(const char* operation, int index) const {
    if (index >= 0 && index < Count()) return;
    throw LineListError(operation, m_fileName, index,
                        "the list holds " + std::to_string(Count()) + " lines");
}

const std::string& LineList::Line(int index) const {
    CheckIndex("read line", index);
    return m_lines[static_cast<size_t>(index)];
}

void LineList::Replace(int index, const std::string& text) {
    CheckIndex("replace line", index);
    m_lines[static_cast<size_t>(index)] = text;
}

ListEdit::ListEdit(const std::string& path, const std::string& savePath)
    : m_savePath(savePath.empty() ? path : savePath) {
    m_list.Load(path);
}

ListEdit::~ListEdit() {
    if (m_saved) return;
    try {
        m_list.Save(m_savePath);
    } catch (const LineListError&) {
        // The error that ended the edit early is the one the guard reports.
    }
}

void ListEdit::Save() {
    m_saved = true;
    m_list.Save(m_savePath);
}

}  // namespace tarn::gui
