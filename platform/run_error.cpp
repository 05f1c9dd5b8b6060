#include "platform/run_error.h"

#include <cerrno>
#include <cstring>

#include "platform/text_format.h"

namespace tarn {

namespace {

std::string Compose(const std::string& operation, const std::string& file, int line,
                    const std::string& reason) {
    std::string text = "run-time error: " + operation + " '" + file + "'";
    if (line > 0) text += " line " + std::to_string(line);
    text += ": " + reason;
    return WithoutNonFiniteMarks(text);
}

}  // namespace

RunTimeError::RunTimeError(std::string operation, std::string file, int line, std::string reason)
    : std::runtime_error(Compose(operation, file, line, reason)),
      m_operation(std::move(operation)),
      m_file(std::move(file)),
      m_line(line),
      m_reason(std::move(reason)) {}

std::string RunTimeError::Report() const {
    return what();
}

std::string SystemError() {
    return errno != 0 ? std::strerror(errno) : "unknown error";
}

}  // namespace tarn
