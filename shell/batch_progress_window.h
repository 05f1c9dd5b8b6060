// The progress window of a "Run TARN" run, one for all its days' batches:
// the batches' output lines as they come, which day of how many and which
// scan of the run's scans runs (with a bar), and a "Break" button that asks
// the running batch to stop.  Closing the window before the run has ended
// asks the same.
#pragma once

#include <QWidget>

class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tarn::tarncall {

class TfrmBatchProgress : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmBatchProgress(QWidget* parent = nullptr);

    // Appends one output line of the batch.
    void AddLine(const QString& line);
    // Starts a run of `days` days and `scans` scans in all: "Day 0 of <days>",
    // "Scan 0 of <scans>", the bar empty.
    void StartRun(int days, int scans);
    // The next day begins: "Day <n> of <days>"; the scans begun are done.
    void StartDay();
    // The next scan of the run begins: "Scan <m> of <scans>", and ": <scan>"
    // when a name is given; the bar at the m - 1 scans done.
    void StartScan(const QString& scan);
    // A day's batch has ended: the scans begun are done (the bar full after
    // the last day).
    void EndBatch();
    // Lets the window close (once the run has ended).
    void SetFinished() { m_finished = true; }

    QLabel* lblDay;
    QLabel* lblScan;
    QProgressBar* barScans;
    QPlainTextEdit* memOutput;
    QPushButton* btnBreak;

  signals:
    // "Break" pressed, or the window closed, while the batch runs.
    void BreakRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ShowCounts(const QString& scan, int done);

    bool m_finished = false;
    int m_days = 0, m_day = 0, m_scans = 0, m_scan = 0;
};

}  // namespace tarn::tarncall
