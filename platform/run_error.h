// The one error type for file and input errors, and the orderly end of the
// engine.
//
// RunTimeError names the operation that failed, the file and the line, and
// the reason.  It reads as one of three texts, chosen where it is raised:
// "the run-time error report" of the engine and the batch interpreter (the
// console program catches it in main, prints the report and exits non-zero),
// the message of the windowed programs about a file of lines, or a refusal
// that is shown as it stands; the windowed programs' handler guard shows the
// text in one message.  EngineExit is an orderly end in the middle of the
// engine's flow (a halt, or a scan out of range), not an error.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace tarn {

// Exit codes of the console programs.
constexpr int kExitNormal = 0;
constexpr int kExitHalt = 1;
constexpr int kExitRunTimeError = 2;

class RunTimeError : public std::runtime_error {
  public:
    // The run-time error report, "run-time error: OPERATION 'FILE' line LINE:
    // REASON".  operation: what was attempted ("open for reading", "read
    // number", ...); file: the file's name; line: 1-based line number of a
    // read, 0 if none (then " line LINE" is left out).
    RunTimeError(std::string operation, std::string file, int line, std::string reason);

    // The windowed programs' message about a file of lines, "Cannot OPERATION
    // index INDEX of 'FILE': REASON" ("load list", "save list", "read line",
    // "replace line", ...).  index: the 0-based line index, -1 when the
    // operation has none (then " index INDEX of" is left out).  The file is
    // quoted as MessagePart cuts it.
    static RunTimeError ListError(std::string operation, std::string file, int index,
                                  std::string reason);

    // A refusal shown as `text` stands: an input that cannot be used (it names
    // the edit and what it expected), an action that has nothing to work on.
    static RunTimeError Refusal(std::string text);

    const std::string& Operation() const { return m_operation; }
    const std::string& File() const { return m_file; }
    // 1-based line number; 0 when none.
    int Line() const { return m_line; }
    // The same as a 0-based line index; -1 when none.
    int Index() const { return m_line - 1; }
    const std::string& Reason() const { return m_reason; }

    // The error's text, as it is printed or shown (what()).
    std::string Report() const;

  private:
    RunTimeError(std::string text, std::string operation, std::string file, int line,
                 std::string reason);

    std::string m_operation;
    std::string m_file;
    int m_line;
    std::string m_reason;
};

// The system's text for the last error (errno); "unknown error" when none is set.
std::string SystemError();

// `text` (a path, a line of a file) as a message quotes it: a text longer
// than kMessagePartLength bytes keeps its beginning and its end around
// " ... ", so that a message stays readable and quick to lay out whatever
// the length of what it names.
constexpr size_t kMessagePartLength = 200;
std::string MessagePart(const std::string& text);

// `text` shown on one line: each control byte (below 32, or 127) as "?".
std::string ControlsShown(std::string text);

// Thrown to end the run at once with the given exit code; files written so far
// are closed by their owners while the stack unwinds.
struct EngineExit {
    int Code;
};

}  // namespace tarn
