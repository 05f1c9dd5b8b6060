// Child processes of the shell: the real tarnbat run with its progress window
// and Break, the viewer start with the program directory and extra
// arguments, failed starts, and the windows disabled during the wait.
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "shell/batch_progress_window.h"
#include "shell/child_process.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using tarn::test::ProgressWindow;

namespace {

const QString kProbe = QStringLiteral(TARNBAT_PROBE);

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBatch(const QStringList& lines) {
    QFile file("tarn_bat.bat");
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write the batch");
    file.write((lines.join('\n') + '\n').toUtf8());
}

// The pid that the probe's "sleep" mode wrote to `path`; 0 until it is there.
qint64 SleeperPid(const QString& path) {
    const QByteArray text = ReadAll(path);
    return text.endsWith('\n') ? text.trimmed().toLongLong() : 0;
}

}  // namespace

class ChildProcessTest : public QObject {
    Q_OBJECT

  private:
    // Runs `step` every 20 ms from the event loop (so also while the shell
    // waits for a child) until it returns true.
    void Poll(const std::function<bool()>& step) {
        m_poll.disconnect();
        connect(&m_poll, &QTimer::timeout, this, [this, step] {
            if (step()) m_poll.stop();
        });
        m_poll.start(20);
    }

    QTemporaryDir m_dir;
    QString m_oldDirectory;
    QTimer m_poll;
    tarn::gui::RecordingDialogs m_dialogs;

  private slots:
    void init() {
        m_oldDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_dialogs.Clear();
        SetProgramDirectory(QFileInfo(QStringLiteral(TARNBAT_EXE)).absolutePath());
    }
    void cleanup() {
        m_poll.stop();
        SetExtraArguments("tarnbat_probe", {});
        QDir::setCurrent(m_oldDirectory);
    }

    void batchShowsItsLinesAndCountsTheScans() {
        const QString probe = '"' + kProbe + '"';
        WriteBatch({"del CHECK.RES", probe + " args one.txt 1850900 TES",
                    probe + " args two.txt 1850915 TES", "copy two.txt CHECK.RES"});
        QWidget main;
        main.show();
        TfrmBatchProgress window;
        window.StartRun(1, 2);
        const BatchRunResult run = RunBatchWithProgress(window, "tarn_bat.bat", kProbe);
        QCOMPARE(window.barScans->value(), 2);  // the last scan counted done too
        QVERIFY(run.Started);
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.StopLine, QString());
        QCOMPARE(run.ScansStarted, 2);
        const QStringList want = {"> del CHECK.RES", "> " + probe + " args one.txt 1850900 TES",
                                  "< exit status 0", "> " + probe + " args two.txt 1850915 TES",
                                  "< exit status 0", "> copy two.txt CHECK.RES"};
        QCOMPARE(run.OutputLines, want);
        QCOMPARE(ReadAll("CHECK.RES"), QByteArray("1850915\nTES\n"));
        QVERIFY(main.isEnabled());
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void breakStopsTheBatchAndItsRunningProgram() {
        WriteBatch({'"' + kProbe + "\" sleep pid.txt", '"' + kProbe + "\" args after.txt x"});
        QWidget main;
        main.show();
        qint64 pid = 0;
        bool mainEnabled = true;
        QString scan;
        Poll([&] {
            TfrmBatchProgress* progress = ProgressWindow();
            pid = SleeperPid("pid.txt");
            if (pid == 0 || progress == nullptr) return false;
            mainEnabled = main.isEnabled();
            scan = progress->lblScan->text();
            QTest::mouseClick(progress->btnBreak, Qt::LeftButton);
            return true;
        });
        TfrmBatchProgress window;
        window.StartRun(1, 2);
        const BatchRunResult run = RunBatchWithProgress(window, "tarn_bat.bat", kProbe);
        QVERIFY(!mainEnabled);
        QVERIFY(main.isEnabled());
        QCOMPARE(scan, QString("Scan 1 of 2: sleep"));
        QVERIFY(run.BreakPressed);
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.StopLine, QString("batch stopped: break"));
        QCOMPARE(run.ScansStarted, 1);
        QCOMPARE(run.OutputLines.mid(1, 1), QStringList{"< ended by signal 15"});
        QVERIFY(!QFile::exists("after.txt"));
        QVERIFY(pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0);  // the sleeper is gone
    }

    void viewerStartUsesTheProgramDirectoryAndExtraArguments() {
        SetProgramDirectory(QFileInfo(kProbe).absolutePath());
        SetExtraArguments("tarnbat_probe.exe", {"extra 1", "x"});
        ChildResult result = RunProgramAndWait("tarnbat_probe.exe", {"args", "seen.txt"});
        QVERIFY(result.Started);
        QCOMPARE(result.ExitCode, 0);
        QCOMPARE(ReadAll("seen.txt"), QByteArray("extra 1\nx\n"));
        SetExtraArguments("tarnbat_probe", {});
        QCOMPARE(RunProgramAndWait("tarnbat_probe", {"exit", "3"}).ExitCode, 3);

        // The shell's windows take no input while it waits.
        QWidget main;
        main.show();
        bool mainEnabled = true;
        QFile::remove("pid.txt");  // the break test's sleeper left its pid there
        Poll([&] {
            const qint64 pid = SleeperPid("pid.txt");
            if (pid == 0) return false;
            mainEnabled = main.isEnabled();
            kill(static_cast<pid_t>(pid), SIGTERM);
            return true;
        });
        result = RunProgramAndWait("tarnbat_probe", {"sleep", "pid.txt"});
        QVERIFY(result.Started && result.Crashed);
        QVERIFY(!mainEnabled);
        QVERIFY(main.isEnabled());
        QVERIFY(m_dialogs.Messages().isEmpty());

        SetProgramDirectory(m_dir.path());  // nothing there: the program search path
        QVERIFY(FindProgram("sh").endsWith("/sh"));
    }

    void programThatCannotStartIsReportedOnce() {
        ChildResult result = RunProgramAndWait("no-such-program-tarn.exe");
        QVERIFY(!result.Started);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"Cannot start no-such-program-tarn: program not found"});

        // Found, but not a program: the start itself fails.
        QDir(m_dir.path()).mkdir("bin");
        const QString broken = m_dir.filePath("bin/tarnbat");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a program\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetProgramDirectory(m_dir.filePath("bin"));
        m_dialogs.Clear();
        QWidget main;
        main.show();
        TfrmBatchProgress window;
        const BatchRunResult run = RunBatchWithProgress(window, "tarn_bat.bat", kProbe);
        QVERIFY(!run.Started);
        QCOMPARE(run.ExitCode, -1);
        QCOMPARE(m_dialogs.Errors().size(), 1);
        QVERIFY2(m_dialogs.Errors()[0].startsWith("Cannot start " + broken + ": "),
                 qPrintable(m_dialogs.Errors()[0]));
        QVERIFY(main.isEnabled());
    }
};

QTEST_MAIN(ChildProcessTest)
#include "test_child_process.moc"
