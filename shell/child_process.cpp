#include "shell/child_process.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "engine/formats/constants.h"
#include "gui-common/dialogs.h"
#include "gui-common/handler_guard.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/batch_progress_window.h"
#include "tarnbat/batch_protocol.h"

namespace tarn::tarncall {

namespace {

const QString kBatchProgram = QStringLiteral("tarnbat");
const QString kStopPrefix = QString::fromLatin1(kBatchStopPrefix);
const QString kEchoPrefix = QString::fromLatin1(kBatchEchoPrefix);
const QString kExitPrefix = QString::fromLatin1(kBatchExitPrefix);
const QString kSignalPrefix = QString::fromLatin1(kBatchSignalPrefix);
const QString kHaltPrefix = QString::fromLatin1(kHaltLinePrefix);
const QString kEngineErrorPrefix = QString::fromLatin1(kRunTimeErrorPrefix);

QString& ProgramDirectory() {
    static QString directory;
    return directory;
}

std::map<QString, QStringList>& ExtraArguments() {
    static std::map<QString, QStringList> arguments;
    return arguments;
}

QString WithoutExeEnding(const QString& name) {
#ifdef _WIN32
    return name;
#else
    constexpr char kExe[] = ".exe";
    return EndsWithIgnoringCase(name.toStdString(), kExe) ? name.chopped(sizeof kExe - 1) : name;
#endif
}

// The key of a program in the extra-argument table: its bare name.
QString ProgramKey(const QString& name) {
    return QFileInfo(WithoutExeEnding(name)).fileName();
}

QStringList ArgumentsFor(const QString& name, const QStringList& arguments) {
    auto extra = ExtraArguments().find(ProgramKey(name));
    return extra == ExtraArguments().end() ? arguments : arguments + extra->second;
}

// While it lives, the visible windows of the program but `keep` take no input
// (they still repaint); the destructor enables again those it disabled.
class InputBlock {
  public:
    explicit InputBlock(const QWidget* keep) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window == keep || !window->isVisible() || !window->isEnabled()) continue;
            window->setEnabled(false);
            m_disabled.emplace_back(window);
        }
    }
    ~InputBlock() {
        for (QPointer<QWidget>& window : m_disabled)
            if (window) window->setEnabled(true);
    }
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

  private:
    std::vector<QPointer<QWidget>> m_disabled;
};

// Cuts the bytes of one output channel into lines ("\n" or "\r\n" ends).
class LineSplitter {
  public:
    QStringList Add(const QByteArray& bytes) {
        m_pending += bytes;
        QStringList lines;
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            lines << Text(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
        return lines;
    }
    // The last line when it had no line end.
    QStringList Finish() {
        QStringList lines;
        if (!m_pending.isEmpty()) lines << Text(m_pending);
        m_pending.clear();
        return lines;
    }

  private:
    static QString Text(QByteArray line) {
        if (line.endsWith('\r')) line.chop(1);
        return QString::fromUtf8(line);
    }
    QByteArray m_pending;
};

// Starts `process` as the program `name` with `arguments` (and its extra
// arguments), keeping `keep` usable while the other windows take no input,
// and waits in a local event loop until it ends or fails to start.  When the
// program is told to quit meanwhile, `onQuit` runs and the wait goes on
// without events.  Shows no message.
ChildResult StartAndWait(QProcess& process, const QString& name, const QStringList& arguments,
                         const QWidget* keep, const std::function<void()>& onQuit) {
    ChildResult result;
    const QString path = FindProgram(name);
    if (path.isEmpty()) {
        result.Error = QStringLiteral("program not found");
        return result;
    }
    process.setProgram(path);
    process.setArguments(ArgumentsFor(name, arguments));
    process.setStandardInputFile(QProcess::nullDevice());

    bool ended = false, failed = false;
    QEventLoop loop;
    // No `finished` follows a failed start: both signals end the wait.
    gui::ConnectGuarded(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    gui::ConnectGuarded(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        failed = true;
        loop.quit();
    });
    {
        InputBlock block(keep);
        process.start();
        if (!ended && !failed) loop.exec();
        if (!ended && !failed) {
            // The event loops were ended (the program quits): the child still
            // runs and is waited for here.
            if (onQuit) onQuit();
            process.waitForFinished(-1);
        }
    }
    if (failed) {
        result.Error = process.errorString();
        return result;
    }
    result.Started = true;
    result.Crashed = process.exitStatus() == QProcess::CrashExit;
    result.ExitCode = result.Crashed ? -1 : process.exitCode();
    return result;
}

// Follows tarnbat's standard output for the ends of its engine lines: an
// echoed engine line opens a scan, the engine's halt line and tarnbat's exit
// or signal line that follow belong to it.
class ScanEnds {
  public:
    void EngineLine(const QString& scan) {
        ScanEnd end;
        end.Scan = scan;
        m_ends.push_back(end);
        m_open = true;
    }
    void OtherLine() { m_open = false; }
    void Output(const QString& line) {
        if (!m_open) return;
        ScanEnd& end = m_ends.back();
        if (line.startsWith(kHaltPrefix)) {
            end.ErrorLine = line;
        } else if (line.startsWith(kExitPrefix)) {
            end.ExitCode = line.mid(kExitPrefix.size()).toInt();
            m_open = false;
        } else if (line.startsWith(kSignalPrefix)) {
            end.Signal = line.mid(kSignalPrefix.size()).toInt();
            m_open = false;
        }
    }
    // The ended scans; the k-th run-time error line of `errors` goes to the
    // k-th scan that ended with the run-time error's status (each writes
    // one, on standard error, which comes apart from standard output).
    std::vector<ScanEnd> Ended(const QStringList& errors, bool breakPressed) {
        if (m_open) m_ends.pop_back();
        if (breakPressed && !m_ends.empty() && m_ends.back().Signal != 0) m_ends.pop_back();
        auto error = errors.begin();
        for (ScanEnd& end : m_ends) {
            if (end.ExitCode != kExitRunTimeError) continue;
            while (error != errors.end() && !error->startsWith(kEngineErrorPrefix)) ++error;
            if (error != errors.end()) end.ErrorLine = *error++;
        }
        return m_ends;
    }

  private:
    std::vector<ScanEnd> m_ends;
    bool m_open = false;
};

void ReportFailedStart(const QString& name, const QString& reason) {
    const QString path = FindProgram(name);
    gui::CurrentDialogs().Error(QStringLiteral("Cannot start ") +
                                (path.isEmpty() ? WithoutExeEnding(name) : path) +
                                QStringLiteral(": ") + reason);
}

}  // namespace

void SetProgramDirectory(const QString& directory) {
    ProgramDirectory() = directory;
}

QString FindProgram(const QString& name) {
    const QString program = WithoutExeEnding(name);
    if (program.isEmpty()) return QString();
    if (program.contains(QLatin1Char('/')) || program.contains(QDir::separator())) return program;
    const QString directory =
        ProgramDirectory().isEmpty() ? QCoreApplication::applicationDirPath() : ProgramDirectory();
#ifdef _WIN32
    const QString file = QFileInfo(program).suffix().isEmpty() ? program + ".exe" : program;
#else
    const QString& file = program;
#endif
    const QFileInfo beside(QDir(directory).filePath(file));
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(program);
}

void SetExtraArguments(const QString& name, const QStringList& arguments) {
    if (arguments.isEmpty())
        ExtraArguments().erase(ProgramKey(name));
    else
        ExtraArguments()[ProgramKey(name)] = arguments;
}

ChildResult RunProgramAndWait(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    ChildResult result = StartAndWait(process, program, arguments, nullptr, nullptr);
    if (!result.Started) ReportFailedStart(program, result.Error);
    return result;
}

BatchRunResult RunBatchWithProgress(TfrmBatchProgress& window, const QString& batchFile,
                                    const QString& engineProgram) {
    BatchRunResult run;
    window.setWindowTitle(QStringLiteral("TARN batch run: ") + batchFile);
    QProcess process;
    const std::string engine = engineProgram.toStdString();
    ScanEnds ends;

    auto take = [&](const QStringList& lines, bool isError) {
        for (const QString& line : lines) {
            run.OutputLines << line;
            window.AddLine(line);
            if (isError) {
                run.ErrorLines << line;
                if (line.startsWith(kStopPrefix)) run.StopLine = line;
                continue;
            }
            if (!line.startsWith(kEchoPrefix)) {
                ends.Output(line);
                continue;
            }
            const std::vector<std::string> args =
                SplitBatchLine(line.mid(kEchoPrefix.size()).toStdString());
            if (args.empty() || args[0] != engine) {
                ends.OtherLine();
                continue;
            }
            ++run.ScansStarted;
            const QString scan = args.size() > 1 ? QString::fromStdString(args[1]) : QString();
            ends.EngineLine(scan);
            window.StartScan(scan);
        }
    };
    LineSplitter output, errors;
    gui::ConnectGuarded(&process, &QProcess::readyReadStandardOutput, &window,
                        [&] { take(output.Add(process.readAllStandardOutput()), false); });
    gui::ConnectGuarded(&process, &QProcess::readyReadStandardError, &window,
                        [&] { take(errors.Add(process.readAllStandardError()), true); });
    auto stop = [&] {
        if (process.state() != QProcess::NotRunning) process.terminate();
    };
    // The window outlives this batch: its break must not reach this one's locals.
    const QMetaObject::Connection breakConnection =
        gui::ConnectGuarded(&window, &TfrmBatchProgress::BreakRequested, &window, [&] {
            run.BreakPressed = true;
            stop();
        });

    window.show();
    const ChildResult child = StartAndWait(process, kBatchProgram, {batchFile}, &window, stop);
    take(output.Add(process.readAllStandardOutput()) + output.Finish(), false);
    take(errors.Add(process.readAllStandardError()) + errors.Finish(), true);
    QObject::disconnect(breakConnection);
    window.EndBatch();

    run.Scans = ends.Ended(run.ErrorLines, run.BreakPressed);
    run.Started = child.Started;
    run.Crashed = child.Crashed;
    run.ExitCode = child.ExitCode;
    if (!child.Started) ReportFailedStart(kBatchProgram, child.Error);
    return run;
}

}  // namespace tarn::tarncall
