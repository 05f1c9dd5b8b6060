// Child processes of the shell: the batch interpreter `tarnbat`, shown in a
// progress window, and the viewer.  A program starts through QProcess with
// its arguments as they are (never through a shell), in the shell's working
// directory.  While the shell waits for it, every window of the shell takes no
// input but still repaints; a start that fails shows one message naming the
// program and the reason.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tarn::tarncall {

// The directory in which bare program names are looked for first; "" (the
// default) is the directory of the running program.
void SetProgramDirectory(const QString& directory);

// The program to start for `name`.  A ".exe" ending is dropped on platforms
// whose programs have none ("resplot.exe" is "resplot").  A name with a
// directory is used as it is; a bare name is the program of that name in the
// program directory, else the one on the program search path, else "".
QString FindProgram(const QString& name);

// Arguments appended whenever the program `name` (a bare name, compared after
// dropping ".exe") is started; an empty list removes them.  Lets the picture
// tool run the real viewer in its export mode.
void SetExtraArguments(const QString& name, const QStringList& arguments);

// How a child ended.
struct ChildResult {
    bool Started = false;  // false: it could not be started (one message shown)
    bool Crashed = false;  // ended by a signal or a crash
    int ExitCode = -1;     // its exit code when it ended normally
    QString Error;         // why the start failed
};

// Starts `program` (found by FindProgram) with `arguments` and the extra
// arguments, and waits for its end without a time-out.  Its standard output
// and error go to the shell's.
ChildResult RunProgramAndWait(const QString& program, const QStringList& arguments = QStringList());

// How one engine line of a batch ended, as tarnbat and the engine told it.
struct ScanEnd {
    QString Scan;       // the scan name of the engine line
    int ExitCode = -1;  // the engine's exit status; -1 when a signal ended it or no end was seen
    int Signal = 0;     // the signal that ended it; 0 when none
    // The engine's halt line ("Program Halted; ERROR S2") or its run-time
    // error line; "" when it wrote neither.
    QString ErrorLine;
};

// How a batch run ended.
struct BatchRunResult {
    bool Started = false;  // false: tarnbat could not be started (one message shown)
    bool Crashed = false;
    // tarnbat's exit code: 0 the batch ran to its end, 1 it stopped (a break
    // or a failed pkzip line), 2 its run-time error report; -1 when it did
    // not start or crashed.
    int ExitCode = -1;
    QString StopLine;           // tarnbat's "batch stopped: ..." line, "" when none
    QStringList ErrorLines;     // every line of its standard error
    QStringList OutputLines;    // every line shown, standard output and error
    int ScansStarted = 0;       // engine lines begun
    // Each engine line that ended, in batch order; a scan that the break
    // ended is left out (it is no failure of its own).
    std::vector<ScanEnd> Scans;
    bool BreakPressed = false;  // the operator asked for a break
};

class TfrmBatchProgress;

// Runs `tarnbat batchFile` and shows it in the progress window `window` (shown
// when hidden) until it ends: its output lines, and the next scan of the
// window's run at each echo of a batch line whose program is `engineProgram`
// (the program text of the engine lines, unquoted).  "Break" (or closing the
// window) sends tarnbat SIGTERM: it ends the running engine and stops before
// its next line.
BatchRunResult RunBatchWithProgress(TfrmBatchProgress& window, const QString& batchFile,
                                    const QString& engineProgram);

}  // namespace tarn::tarncall
