// "Run TARN": the engine over the scans of the DataFiles window, day by day,
// each day's batch file run by the batch interpreter in the run's one progress
// window, optionally archived, and the applied shifts plotted in one shift
// graph.  One run at a time in a working directory.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "platform/run_lock.h"
#include "shell/child_process.h"

namespace tarn::tarncall {

class TForm1;
class TfrmBatchProgress;
struct MainDefaults;

// The shell's lock of its working directory ("TARNcall.lck"), held while it
// lives: by a run for its whole length, by an Apply of the settings dialog
// while it writes, so that no defaults file changes under a run.
class RunLock {
  public:
    RunLock();
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    // False when a run (of this shell or another) holds the lock.
    bool Taken() const { return m_lock.Taken; }

  private:
    FileLock m_lock;
};

// Raises RunTimeError::Refusal naming the working directory when `lock` was
// not taken: the settings are not applied while a run goes on.
void RefuseSettingsDuringRun(const RunLock& lock);

// The message at the end of a run whose engine lines ended as `ends`: none
// when every scan ended with exit status 0; else "Of N scans run, H halted
// and F failed; the first, SCAN: LINE", where a halt is exit status 1, a
// failure any other status or a signal, and LINE the first such scan's error
// line (else "exit status N" or "ended by signal N").
QString ScanFailuresText(const std::vector<ScanEnd>& ends);

// "Run TARN" over the scans the entries of `form` select: one run at a time in
// the working directory ("TARNcall.lck"); the long defaults file completed
// from its template, the data files selected, refused with one message when
// none is selected or a batch line could not carry an entry, then the days
// run one by one in one progress window between writing and deleting
// "CHECK.OK"; at its end (after a break or a stop too) ScanFailuresText over
// the scans that ran, when it says anything.
void RunTarn(TForm1& form);

// Runs the batch file `batchFile` through the interpreter in the run's
// progress window `window` (engine lines: items first..last) and waits for
// its end.  Then, when the batch started and "Plot" is ticked, plots the
// applied-shift file of each scan of `items` first..last, found through the
// long defaults `defaults` in force: item 0 of the run opens a new window of
// the form's shift graphs, the others are added to it.  Result codes shorter than 5
// characters name no applied-shift file: nothing is plotted, and the first day's call (first = 0)
// says so once.
BatchRunResult RunBatchAndPlot(TForm1& form, const MainDefaults& defaults,
                               TfrmBatchProgress& window, const std::vector<std::string>& items,
                               const QString& batchFile, int first, int last);

}  // namespace tarn::tarncall
