// Errors that unwind the engine to its entry point.
//
// RunTimeError is "the run-time error report": a file operation or a number
// read that failed and that the flow does not test itself.  EngineExit is an
// orderly end in the middle of the flow (a halt, or a scan out of range).
#pragma once

#include <stdexcept>
#include <string>

namespace tarn {

// Exit codes of the console program.
constexpr int kExitNormal = 0;
constexpr int kExitHalt = 1;
constexpr int kExitRunTimeError = 2;

class RunTimeError : public std::runtime_error {
  public:
    // operation: what was attempted ("open for reading", "read number", ...);
    // file: the file's name; line: 1-based line number of a read, 0 if none.
    RunTimeError(std::string operation, std::string file, int line, std::string reason);

    const std::string& Operation() const { return m_operation; }
    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }
    const std::string& Reason() const { return m_reason; }

    // The one-line report written to standard error.
    std::string Report() const;

  private:
    std::string m_operation;
    std::string m_file;
    int m_line;
    std::string m_reason;
};

// The system's text for the last error (errno); "unknown error" when none is set.
std::string SystemError();

// Thrown to end the run at once with the given exit code; files written so far
// are closed by their owners while the stack unwinds.
struct EngineExit {
    int code;
};

}  // namespace tarn
