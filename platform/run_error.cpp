#include "platform/run_error.h"

#include <cerrno>
#include <cstring>

#include "platform/text_format.h"

namespace tarn {

namespace {

std::string ReportText(const std::string& operation, const std::string& file, int line,
                       const std::string& reason) {
    std::string text = "run-time error: " + operation + " '" + file + "'";
    if (line > 0) text += " line " + std::to_string(line);
    return text + ": " + reason;
}

std::string ListText(const std::string& operation, const std::string& file, int index,
                     const std::string& reason) {
    std::string text = "Cannot " + operation;
    if (index >= 0) text += " index " + std::to_string(index) + " of";
    return text + " '" + MessagePart(file) + "': " + reason;
}

// `pos` moved by `step` (-1 or +1) off UTF-8 continuation bytes, so that no
// character is cut in two there.
size_t AtCharacter(const std::string& text, size_t pos, int step) {
    while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
        pos += step;
    return pos;
}

}  // namespace

RunTimeError::RunTimeError(std::string operation, std::string file, int line, std::string reason)
    : RunTimeError(ReportText(operation, file, line, reason), operation, file, line, reason) {}

RunTimeError::RunTimeError(std::string text, std::string operation, std::string file, int line,
                           std::string reason)
    : std::runtime_error(text),
      m_operation(std::move(operation)),
      m_file(std::move(file)),
      m_line(line),
      m_reason(std::move(reason)) {}

RunTimeError RunTimeError::ListError(std::string operation, std::string file, int index,
                                     std::string reason) {
    std::string text = ListText(operation, file, index, reason);
    return RunTimeError(std::move(text), operation, file, index < 0 ? 0 : index + 1, reason);
}

RunTimeError RunTimeError::Refusal(std::string text) {
    return RunTimeError(text, std::string(), std::string(), 0, text);
}

std::string RunTimeError::Report() const {
    return what();
}

std::string SystemError() {
    return errno != 0 ? std::strerror(errno) : "unknown error";
}

std::string MessagePart(const std::string& text) {
    if (text.size() <= kMessagePartLength) return text;
    const size_t head = AtCharacter(text, kMessagePartLength * 2 / 3, -1);
    const size_t tail = AtCharacter(text, text.size() - kMessagePartLength / 3, 1);
    return text.substr(0, head) + " ... " + text.substr(tail);
}

std::string ControlsShown(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 127) c = '?';
    return text;
}

}  // namespace tarn
