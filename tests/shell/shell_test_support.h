// Helpers of the shell's window tests: whole files written and read back, line
// lists joined as the shell saves them, an edit's text replaced by typing, and
// the progress window of a running batch.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QtTest>
#include <string>
#include <vector>

#include "shell/batch_progress.h"

namespace tarn::test {

// Writes `text` to `path`, making its directory when missing.
inline void Write(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// The whole file, or "<none>" when it cannot be read.
inline std::string Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

// Selects the edit's text and types `text` over it, key by key.
inline void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// The lines with "\n" after each, as a saved line list.
inline std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The progress window of the batch that runs now; nullptr when none is open.
inline tarncall::TfrmBatchProgress* ProgressWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<tarncall::TfrmBatchProgress*>(window)) return progress;
    return nullptr;
}

}  // namespace tarn::test
