// File helpers of the shell's tests: whole files written and read back as
// texts, and lines joined with their line ends.
#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <string>
#include <vector>

namespace shell_test {

using Lines = std::vector<std::string>;

inline void Write(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// The file's text, or "<none>" when it cannot be read.
inline std::string Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

// The lines, each followed by "\n".
inline std::string Join(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace shell_test
