// The real resplot program in its export mode, started as a child process:
// the view saved in the working directory is plotted into PNG files and the
// graphs.txt summary; an unwritable directory is refused with exit code 2.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/viewer/viewer_test_files.h"

using viewer_test::ReadFile;
using viewer_test::WriteFile;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray errors;
};

Run RunResplot(const QString& workingDirectory, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(RESPLOT_EXE, arguments);
    Run run;
    if (!process.waitForStarted(10000) || !process.waitForFinished(60000)) return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.errors = process.readAllStandardError();
    return run;
}

}  // namespace

class ViewerExportTest : public QObject {
    Q_OBJECT

  private slots:
    void exportWritesEachGraphAndTheSummary() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("qaqc"));
        WriteFile(dir.filePath("qaqc/185QC.TES"),
                  "! Quality check shift and structure\n"
                  "1850900  35.10  0.012\n1851000  30.20  -0.020\n1851100  28.00  0.031\n");
        WriteFile(dir.filePath("viewer.dfa"),
                  "185QC.TES\n" + dir.filePath("qaqc").toUtf8() +
                      "/\nWavelength shift1 range 185* TES\n2\n90\n0\n"
                      "Solar Zenith Angle(Degrees)\n3\n0.5\n-0.5\nShift (nm)\n18\n10\n");
        const Run run = RunResplot(dir.path(), {"--export", "out"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errors, QByteArray());
        QCOMPARE(ReadFile(dir.filePath("out/graphs.txt")),
                 QByteArray("graph-1.png\t3\t3\t0\t90\t5\t-0.5\t0.5\t0.1\t"
                            "Wavelength shift1 range 185* TES\n"));
        QImage image(dir.filePath("out/graph-1.png"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), 696);
        QVERIFY(image.height() > 480);  // the window and its caption bar
        QVERIFY(!QFile::exists(dir.filePath("out/graph-2.png")));
    }

    void noViewAndUnwritableDirectory() {
        QTemporaryDir dir;
        // No settings file: the form defaults match no file, so no graph.
        Run run = RunResplot(dir.path(), {"--export", "out"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadFile(dir.filePath("out/graphs.txt")), QByteArray());

        WriteFile(dir.filePath("plain"), "a file, not a directory\n");
        run = RunResplot(dir.path(), {"--export", "plain/out"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.errors.startsWith("resplot: "));
        QCOMPARE(run.errors.count('\n'), 1);
        QVERIFY(run.errors.endsWith('\n'));
    }
};

QTEST_GUILESS_MAIN(ViewerExportTest)
#include "test_viewer_export.moc"
