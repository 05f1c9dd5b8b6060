// Line-list files: a text file loaded whole as a list of lines, lines read and
// replaced by their 0-based index, lines appended, inserted and erased, and
// the whole list saved back.  Every failure (a file that cannot be loaded or
// saved, an index beyond the list) raises RunTimeError::ListError, which
// names the operation, the file and the line index.  A list keeps the bytes of the
// file: each line's own end ("\n", "\r\n"), a UTF-8 byte-order mark and a
// missing end of the last line, so that a list saved unchanged is the file
// byte for byte and a replaced line keeps the end of the line it replaces.
// Lists are read through the platform text layer (the name found without
// regard to case) and saved through a temporary file beside the target, so a
// save either replaces the file whole or leaves it as it was.  Only regular
// text files are loaded or replaced: never a pipe, a device or a directory,
// nor a file that holds a NUL byte.
#pragma once

#include <string>
#include <vector>

#include "platform/run_error.h"

namespace tarn::gui {

// Writes `lines` to `path` ("\n" after each) as SaveTextAtomically does.
void SaveLinesAtomically(const std::string& path, const std::vector<std::string>& lines);

// Writes `text` to `path` through a temporary file in the same directory that
// is flushed to disk and then renamed over the target (an existing file of the
// name in another case is the one replaced, and keeps its permissions).
// Raises RunTimeError::ListError("save file", path, -1, reason) and removes the
// temporary file when any step fails, or when `path` is empty or names
// something other than a regular file.
void SaveTextAtomically(const std::string& path, const std::string& text);

class LineList {
  public:
    // Replaces the list by the lines of `path`; raises RunTimeError::ListError ("load
    // file") when no name is given, the file is missing, unreadable, no regular file or holds a
    // NUL byte (the list is then left as it was).
    void Load(const std::string& path);
    // Saves the whole list under `path` (SaveTextAtomically).
    void Save(const std::string& path) const;
    // The bytes Save writes.
    std::string Text() const;

    int Count() const { return static_cast<int>(m_lines.size()); }
    // Line `index` (0-based) without its end; raises RunTimeError::ListError("read
    // line") beyond the list.
    const std::string& Line(int index) const;
    // Replaces the text of line `index`, which keeps its end; raises
    // RunTimeError::ListError("replace line") beyond the list.
    void Replace(int index, const std::string& text);
    // Adds a line at the end, or before line `index`, ended as the file's
    // lines are ("\n" in a new list).
    void Append(const std::string& text);
    void Insert(int index, const std::string& text);
    // Removes `count` lines from line `index` on (those beyond the list are none).
    void Erase(int index, int count);
    void Clear();
    const std::vector<std::string>& Lines() const { return m_lines; }
    // The name the list was last loaded from (used in error texts).
    const std::string& FileName() const { return m_fileName; }

  private:
    void CheckIndex(const char* operation, int index) const;

    std::vector<std::string> m_lines;
    std::vector<std::string> m_ends;  // each line's end, "" for a last line without one
    std::string m_lineEnd = "\n";     // the end of the file's first ended line
    bool m_byteOrderMark = false;
    std::string m_fileName;
};

}  // namespace tarn::gui
