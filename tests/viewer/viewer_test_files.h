// Small file helpers of the viewer tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace viewer_test {

inline void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace viewer_test
