// Text files with the system's reading and writing rules.
//
// TextIn reads a whole file into memory and hands out numbers, lines and
// texts: a number is taken by skipping blanks and line ends and reading up to
// the next blank or line end (at most 64 characters); a number read at the end
// of the file is 0 and no error; a "\r" before a line end is not part of the
// line; a UTF-8 byte-order mark at the start of a file is skipped.  TextOut
// writes "\n" line ends.  Both read and write the disk, or through the store
// installed for the engine's run (platform/file_store.h).  Numbers reach a
// file through the number calls, which refuse one that is not finite.
// Failures that the caller does not test raise RunTimeError.
#pragma once

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/text_format.h"

namespace tarn {

class FileStore;

// Raises the run-time error of a number bound for `file` that is NaN or infinite.
[[noreturn]] void FailNonFiniteNumber(const std::string& file);

// The number calls of text bound for a file, in the forms of text_format.h:
// out.Text("x ").Fixed(x, 8, 3).EndLine() writes "x " and x as "x:8:3".  A
// number that is not finite is the run-time error naming the file, and the
// unfinished line is dropped.  `Out` supplies Write(text), Name() and
// DropUnfinishedLine().
template <class Out>
class NumberCalls {
  public:
    Out& Text(const std::string& text) { return Put(text); }
    Out& Fixed(double x, int width, int decimals) {
        return Put(tarn::Fixed(Finite(x), width, decimals));
    }
    Out& FixedPrecision(double x, int precision, int decimals) {
        return Put(tarn::FixedPrecision(Finite(x), precision, decimals));
    }
    Out& Sci(double x) { return Put(tarn::Sci(Finite(x))); }
    // An integer right-aligned in `width` characters (wider when needed).
    Out& Int(long long n, int width = 0) { return Put(IntW(n, width)); }
    Out& EndLine() { return Put("\n"); }

  private:
    Out& Put(const std::string& text) {
        Out& self = static_cast<Out&>(*this);
        self.Write(text);
        return self;
    }
    double Finite(double x) {
        if (!std::isfinite(x)) {
            Out& self = static_cast<Out&>(*this);
            self.DropUnfinishedLine();
            FailNonFiniteNumber(self.Name());
        }
        return x;
    }
};

// Text of one or more lines built with the number calls for the file `file`
// (which is named when a number is refused), for a writer that passes whole
// lines on (AppendLines, the main log) or a reader that wants the row.
class FileText : public NumberCalls<FileText> {
  public:
    explicit FileText(std::string file) : m_name(std::move(file)) {}
    void Write(const std::string& text) { m_text += text; }
    const std::string& Name() const { return m_name; }
    const std::string& Str() const { return m_text; }
    void DropUnfinishedLine() { m_text.erase(m_text.rfind('\n') + 1); }

  private:
    std::string m_name;
    std::string m_text;
};

class TextIn {
  public:
    TextIn() = default;
    TextIn(const TextIn&) = delete;
    TextIn& operator=(const TextIn&) = delete;

    // Opens `path` (found without regard to case) and loads it; false when it
    // cannot be opened.
    [[nodiscard]] bool Open(const std::string& path);
    // Opens `path` or raises the run-time error.
    void OpenOrThrow(const std::string& path);
    // Loads text that did not come from a file, under the name `name`.
    void OpenText(const std::string& name, const std::string& content);
    void Close();
    bool IsOpen() const { return m_open; }

    // True when no byte is left.
    bool Eof() const { return m_pos >= m_data.size(); }
    // True at a line end or at the end of the file.
    bool Eoln() const;

    // Reads a real; false (token consumed) when the text is not a number.
    [[nodiscard]] bool TryReal(double& value);
    // Reads a real or raises the run-time error naming the file and line.
    double Real();
    // Reads a 32-bit integer, as above.
    [[nodiscard]] bool TryInt(long& value);
    long Int();

    // Rest of the current line; moves to the next line.
    std::string ReadLine();
    // First `maxLength` characters of the rest of the line; moves to the next line.
    std::string ReadText(size_t maxLength);
    // Skips the rest of the current line.
    void NextLine();

    // 1-based number of the line the next read starts on.
    int LineNumber() const { return m_line; }
    const std::string& Name() const { return m_name; }
    // The whole text as loaded, a byte-order mark included.
    const std::string& Text() const { return m_data; }

  private:
    // Skips blanks and line ends, then takes the next token (at most 64
    // characters); returns its length, the token starts at m_pos - length.
    size_t NextToken();
    void Advance();
    // Raises the run-time error for the token read since `before` (line `line`).
    [[noreturn]] void FailNumber(const char* operation, size_t before, int line) const;

    std::string m_name;
    std::string m_data;
    size_t m_pos = 0;
    int m_line = 1;
    bool m_open = false;
};

class TextOut : public NumberCalls<TextOut> {
  public:
    TextOut() = default;
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;
    ~TextOut();

    // Creates or empties `path`; raises the run-time error when it cannot.
    void Create(const std::string& path);
    // Opens an existing file for appending; raises the run-time error when it
    // does not exist or cannot be opened.
    void Append(const std::string& path);
    void Write(const std::string& text);
    void WriteLine(const std::string& text = std::string());
    // Closes the file; raises the run-time error when a write failed.
    void Close();
    bool IsOpen() const { return m_fd >= 0 || m_staged >= 0; }
    const std::string& Name() const { return m_name; }
    // Drops the text written since the last line end (a refused number's
    // line); the buffer is only sent at line ends, so it is all still held.
    void DropUnfinishedLine() { m_buffer.erase(m_buffer.rfind('\n') + 1); }

  private:
    // True when the installed store holds `path` for this writer: it then
    // takes the text (`open` is the store's Create or Append).
    bool TakeHeldFile(int (FileStore::*open)(const std::string&), const std::string& path);
    // The store that holds this writer's file, while it is still installed.
    FileStore* OwnStore() const;
    // Takes the descriptor of the opened file and, when a store is installed,
    // its identity (from `info` when the caller has it, else from fstat).
    void Opened(int fd, const struct stat* info = nullptr);
    // Tells the installed store that the disk file of this writer changed.
    void ReportWritten() const;
    // Writes the buffered text; false (errno set) when the system refuses it.
    bool Flush();
    [[noreturn]] void Fail(const char* operation);

    int m_fd = -1;
    int m_staged = -1;  // the store's held file, when it holds this one
    unsigned long m_storeSerial = 0;
    std::string m_buffer;  // text not yet written, sent at a line end past 64 KiB and at Close
    std::string m_name;
    unsigned long long m_device = 0, m_inode = 0;
};

// Opens `path` for appending, writes the lines and closes it again.
void AppendLines(const std::string& path, std::initializer_list<std::string> lines);
void AppendLines(const std::string& path, const std::vector<std::string>& lines);
// Creates `path` with the lines and closes it.
void CreateWithLines(const std::string& path, std::initializer_list<std::string> lines);
void CreateWithLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tarn
