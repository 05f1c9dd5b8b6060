// The progress window of a batch run: the batch's output lines as they come,
// which scan of how many runs, and a "Break" button that asks the batch to
// stop.  Closing the window while the batch runs asks the same.
#pragma once

#include <QWidget>

class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarn::tarncall {

class TfrmBatchProgress : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmBatchProgress(QWidget* parent = nullptr);

    // Appends one output line of the batch.
    void AddLine(const QString& line);
    // Shows "Scan <number> of <total>", and ": <scan>" when a scan name is given.
    void ShowScan(int number, int total, const QString& scan);
    // Lets the window close (once the batch has ended).
    void SetFinished() { m_finished = true; }

    QLabel* lblScan;
    QPlainTextEdit* memOutput;
    QPushButton* btnBreak;

  signals:
    // "Break" pressed, or the window closed, while the batch runs.
    void BreakRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool m_finished = false;
};

}  // namespace tarn::tarncall
