// Helpers of the shell's end-to-end tests over the engine's results: every
// file of a result tree, every entry of a zip archive (read back through
// libzip), and the number pairs of chosen columns counted independently of
// the programs' own readers.
#pragma once

#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/shell/shell_test_support.h"

namespace tarn::test {

using Files = std::map<std::string, std::string>;  // relative path -> content
using Points = std::vector<std::pair<double, double>>;

// Every regular file below `directory` (relative path -> content).
inline Files FilesUnder(const QString& directory) {
    Files files;
    const QDir root(QDir(directory).absolutePath());
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[root.relativeFilePath(path).toStdString()] = Read(path);
    }
    return files;
}

// Every entry of a zip archive (name -> content); empty when it cannot be opened.
inline Files ZipEntries(const QString& path) {
    Files entries;
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string content(static_cast<size_t>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        entries[stat.name] = content;
    }
    zip_close(archive);
    return entries;
}

// The result directory `results` (with its separator) of instrument `id`
// after a "Run TARN" with "ZIP" over days 173 and 174: no file of day 173 is
// left on disk, the archive of day 174 holds exactly the day's files on
// disk, and the archive of day 173 the same names for day 173.  Fills
// `archived173` (the archive of day 173) and `onDisk174` (relative paths).
inline void CheckTwoArchivedDays(const QString& results, const QString& id, Files& archived173,
                                 Files& onDisk174) {
    for (const auto& [name, text] : FilesUnder(results)) {
        const QString base = QFileInfo(QString::fromStdString(name)).fileName();
        QVERIFY2(!base.startsWith("173"), name.c_str());
        if (base.startsWith("174")) onDisk174[name] = text;
    }
    QCOMPARE(ZipEntries(results + id + "174.zip"), onDisk174);
    archived173 = ZipEntries(results + id + "173.zip");
    std::vector<std::string> names173, names174;
    for (const auto& entry : archived173) names173.push_back(entry.first);
    for (const auto& entry : onDisk174) {
        std::string name = entry.first;
        name.replace(name.rfind("174"), 3, "173");
        names174.push_back(name);
    }
    QCOMPARE(names173, names174);
}

// The (x, y) pairs of the lines of `text` whose blank-separated fields x and y
// (1 = first) both hold finite numbers: the points a column plot must show.
inline Points ColumnPairs(const std::string& text, int x, int y) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    Points pairs;
    for (const QString& line : QString::fromStdString(text).split('\n')) {
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        if (fields.size() < std::max(x, y)) continue;
        bool xOk = false, yOk = false;
        const double xValue = fields[x - 1].toDouble(&xOk);
        const double yValue = fields[y - 1].toDouble(&yOk);
        if (xOk && yOk && std::isfinite(xValue) && std::isfinite(yValue))
            pairs.emplace_back(xValue, yValue);
    }
    return pairs;
}

// The number of such pairs over the files `paths`.
inline int CountPairs(const QStringList& paths, int x, int y) {
    size_t count = 0;
    for (const QString& path : paths) count += ColumnPairs(Read(path), x, y).size();
    return static_cast<int>(count);
}

// The files of `directory` matching `pattern`, sorted by name, with their directory.
inline QStringList MatchingFiles(const QString& directory, const QString& pattern) {
    QStringList files;
    for (const QString& name : QDir(directory).entryList({pattern}, QDir::Files, QDir::Name))
        files << QDir(directory).filePath(name);
    return files;
}

}  // namespace tarn::test
