// "Run TARN": the engine over the selected scans, day by day, one run at a
// time in the working directory.
#include "shell/tarn_run.h"

#include <QCheckBox>
#include <QLineEdit>

#include "gui-common/data_files_window.h"
#include "gui-common/dialogs.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/batch_file.h"
#include "shell/batch_progress_window.h"
#include "shell/defaults_upkeep.h"
#include "shell/main_window.h"
#include "shell/shift_graph_window.h"

namespace tarn::tarncall {

namespace {

// One press of "Run TARN": the entries and the data-file list as they stood
// at the press, and the day whose archive the next deletion lines look for.
struct DayRun {
    TForm1& Form;
    ShellSettings Entries;
    MainDefaults Defaults;
    std::vector<std::string> Items;
    bool Zip = false;
    std::string PreviousZipDay;
    std::vector<ScanEnd> Ends;  // of the engine lines run so far

    std::string Scan(int index) const { return ScanNameOf(Items[static_cast<size_t>(index)]); }
    int Count() const { return static_cast<int>(Items.size()); }
};

// Deletes "CHECK.OK" when the run ends, however it ends.
struct CheckOkRemover {
    CheckOkRemover() = default;
    CheckOkRemover(const CheckOkRemover&) = delete;
    CheckOkRemover& operator=(const CheckOkRemover&) = delete;
    ~CheckOkRemover() { DeleteCheckOk(); }
};

BatchEnd EndOf(const BatchRunResult& result) {
    BatchEnd end;
    end.Started = result.Started;
    end.ExitCode = result.ExitCode;
    end.BreakPressed = result.BreakPressed;
    end.StopLine = result.StopLine.toStdString();
    if (!result.ErrorLines.isEmpty()) end.LastErrorLine = result.ErrorLines.last().toStdString();
    return end;
}

// The list index after the last scan of the day whose first scan is `first`.
int NextDay(const DayRun& run, int first) {
    const std::string day = DayOf(run.Scan(first));
    int next = first + 1;
    while (next < run.Count() && DayOf(run.Scan(next)) == day) ++next;
    return next;
}

// Writes the batch of list items first..last (one day), runs it in the run's
// progress window, plots it and judges its end; true when the run goes on
// with the next day.
bool RunDay(DayRun& run, TfrmBatchProgress& window, int first, int last) {
    const bool lastDay = last + 1 == run.Count();
    std::vector<std::string> scans;
    for (int k = first; k <= last; ++k) scans.push_back(run.Scan(k));
    WriteBatchFile(DayBatch(run.Entries, run.Defaults.MainAnalysisPath, scans, run.Zip, lastDay,
                            run.PreviousZipDay));

    window.StartDay();
    const BatchRunResult result = RunBatchAndPlot(run.Form, run.Defaults, window, run.Items,
                                                  QString::fromLatin1(kRunBatchFile), first, last);
    run.Ends.insert(run.Ends.end(), result.Scans.begin(), result.Scans.end());
    run.Form.SetFirstUnplottedIndex(last + 1);
    const DayVerdict verdict = JudgeDayBatch(EndOf(result), lastDay, !lastDay && RunCompleted());
    const QString message = QString::fromStdString(verdict.Message);
    if (verdict.Message == kUserBreakText)
        gui::CurrentDialogs().Inform(message);
    else if (!message.isEmpty())
        gui::CurrentDialogs().Error(message);
    return verdict.GoOn;
}

// The run over every day of the list (at least one scan) in one progress
// window, between writing and deleting "CHECK.OK".
void RunDays(DayRun& run) {
    int days = 0;
    for (int first = 0; first < run.Count(); first = NextDay(run, first)) ++days;
    TfrmBatchProgress window;
    window.StartRun(days, run.Count());
    // Closing the main window breaks the run as "Break" does.
    QObject::connect(&run.Form, &TForm1::runBreakRequested, &window,
                     &TfrmBatchProgress::BreakRequested);
    window.show();
    WriteCheckOk();
    const CheckOkRemover remover;
    run.Form.SetFirstUnplottedIndex(0);
    run.PreviousZipDay = DayOf(run.Scan(0));
    for (int first = 0; first < run.Count() && !run.Form.ClosedDuringRun();) {
        const int next = NextDay(run, first);
        if (!RunDay(run, window, first, next - 1)) break;
        first = next;
    }
    window.SetFinished();
    const QString failures = ScanFailuresText(run.Ends);
    if (!failures.isEmpty()) gui::CurrentDialogs().Error(failures);
}

}  // namespace

RunLock::RunLock() : m_lock(TryLockFile(kRunLockFile)) {}

RunLock::~RunLock() {
    UnlockFile(m_lock.Handle);
}

void RefuseSettingsDuringRun(const RunLock& lock) {
    if (lock.Taken()) return;
    throw RunTimeError::Refusal("A run of TARN is going on in " + WorkingDirectory() +
                                ": apply the settings after it has ended; nothing was written");
}

QString ScanFailuresText(const std::vector<ScanEnd>& ends) {
    int halted = 0, failed = 0;
    const ScanEnd* first = nullptr;
    for (const ScanEnd& end : ends) {
        if (end.Signal == 0 && end.ExitCode == 0) continue;
        ++(end.Signal == 0 && end.ExitCode == kExitHalt ? halted : failed);
        if (first == nullptr) first = &end;
    }
    if (first == nullptr) return QString();
    QString line = first->ErrorLine;
    if (line.isEmpty())
        line = first->Signal != 0 ? QStringLiteral("ended by signal %1").arg(first->Signal)
                                  : QStringLiteral("exit status %1").arg(first->ExitCode);
    return QStringLiteral("Of %1 scans run, %2 halted and %3 failed; the first, %4: %5")
        .arg(ends.size())
        .arg(halted)
        .arg(failed)
        .arg(first->Scan, line);
}

BatchRunResult RunBatchAndPlot(TForm1& form, const MainDefaults& defaults,
                               TfrmBatchProgress& window, const std::vector<std::string>& items,
                               const QString& batchFile, int first, int last) {
    const BatchRunResult result = RunBatchWithProgress(window, batchFile, form.edtProg->text());
    if (!result.Started || !form.chckbx_Plot->isChecked() || last < first) return result;
    const std::string id = form.edtInstrument->text().toStdString();
    const std::string codes = form.edtResCode->text().toStdString();
    const std::string title = ShiftGraphTitleFor(id, form.edtDayTime->text().toStdString());
    for (int k = first; k <= last; ++k) {
        const std::string scan = ScanNameOf(items[static_cast<size_t>(k)]);
        const std::optional<std::string> file = AppliedShiftPath(
            defaults.MainAnalysisPath, defaults.ShiftSubdirectory, id, scan, codes);
        if (!file) {
            if (first == 0)
                gui::CurrentDialogs().Inform(QString::fromStdString(NoShiftCodeText(codes)));
            break;
        }
        form.Graphs().Show(title, *file, k == 0);
    }
    return result;
}

void RunTarn(TForm1& form) {
    // Held until "CHECK.OK" is deleted: a second shell here must not share
    // the marker files, the batch file or the days being archived.
    const RunLock lock;
    if (!lock.Taken()) {
        gui::CurrentDialogs().Error(QString::fromStdString(RunGoingOnText(WorkingDirectory())));
        return;
    }
    form.MergeDefaultsWithTemplate();
    const DataSelection selection = form.SelectDataFiles();
    if (selection.DefaultsMissing) return;
    DayRun run{form,
               form.Entries(),
               selection.Defaults,
               form.DataFiles().Items(),
               form.ChckBxZIP->isChecked(),
               std::string(),
               {}};
    if (run.Count() == 0) {
        gui::CurrentDialogs().Inform(
            QString::fromStdString(NoDataFilesText(form.DataFiles().Mask())));
        return;
    }
    std::vector<std::string> scans;
    for (int k = 0; k < run.Count(); ++k) scans.push_back(run.Scan(k));
    CheckBatchLines(run.Entries, run.Defaults.MainAnalysisPath, scans, run.Zip);
    RunDays(run);
}

}  // namespace tarn::tarncall
