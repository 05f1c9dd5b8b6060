// Small file helpers of the shell's tests: whole files written and read as
// bytes, and line lists joined as the shell saves them.
#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <string>
#include <vector>

namespace tarn::tarncall::test {

// Writes `text` to `path` as it stands (the test stops when it cannot).
inline void Write(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// The bytes of `path`, or "<none>" when it cannot be read.
inline std::string Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

// The lines with "\n" after each, as a saved line list.
inline std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace tarn::tarncall::test
