// Helpers of the shell's window tests: whole files written and read back, line
// lists joined as the shell saves them, an edit's text replaced by typing, a
// check box clicked, the progress window of a running batch, and the example's
// working directory.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "shell/batch_progress_window.h"

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

// Clicks a check box near its left edge, on the box itself (its centre may be
// empty room).
inline void Toggle(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
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

#if defined(TARN_SOURCE_DIR) && defined(TARN_PROGRAM_DIR_PATH)
// Makes the shell's working directory for the example day in `directory`, as
// the examples' notes tell the operator to: examples/make_shell_workdir.sh
// with the built programs.
inline void MakeExampleWorkDirectory(const QString& directory) {
    QProcess script;
    script.setStandardOutputFile(QProcess::nullDevice());
    script.start("bash", {TARN_SOURCE_DIR "/examples/make_shell_workdir.sh", TARN_PROGRAM_DIR_PATH,
                          directory});
    QVERIFY(script.waitForFinished(60000) && script.exitCode() == 0);
}
#endif

// Keeps only the example scans `kept` (file names) in `scanDirectory` and adds
// a copy of each as day 174.
inline void KeepExampleScansAsTwoDays(const QString& scanDirectory, const QStringList& kept) {
    QDir scans(scanDirectory);
    for (const QString& name : scans.entryList(QDir::Files))
        if (!kept.contains(name)) QVERIFY(scans.remove(name));
    for (const QString& name : kept)
        QVERIFY(QFile::copy(scans.filePath(name), scans.filePath("174" + name.mid(3))));
}

// A fresh temporary working directory for one test function: made into
// `dir`, entered, with a home directory "home" in it (HOME points there, so
// the shell's fixed defaults lie inside) and the shell's state reset.
inline bool EnterFreshWorkDirectory(std::unique_ptr<QTemporaryDir>& dir) {
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid() || !QDir::setCurrent(dir->path()) || !QDir().mkpath("home")) return false;
    qputenv("HOME", dir->filePath("home").toLocal8Bit());
    return true;
}

}  // namespace tarn::test
