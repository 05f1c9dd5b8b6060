#include "shell/batch_progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarn::tarncall {

namespace {

// Lines kept in the window; older ones scroll away.
constexpr int kKeptLines = 20000;

}  // namespace

TfrmBatchProgress::TfrmBatchProgress(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBatchProgress"));
    setWindowTitle(QStringLiteral("TARN batch run"));
    resize(640, 360);
    lblDay = new QLabel(this);
    lblScan = new QLabel(this);
    barScans = new QProgressBar(this);
    memOutput = new QPlainTextEdit(this);
    memOutput->setReadOnly(true);
    memOutput->setMaximumBlockCount(kKeptLines);
    memOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    btnBreak = new QPushButton(QStringLiteral("Break"), this);
    btnBreak->setObjectName(QStringLiteral("btnBreak"));
    connect(btnBreak, &QPushButton::clicked, this, &TfrmBatchProgress::BreakRequested);

    auto* bottom = new QHBoxLayout();
    bottom->addWidget(lblDay);
    bottom->addWidget(lblScan, 1);
    bottom->addWidget(barScans, 1);
    bottom->addWidget(btnBreak);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memOutput, 1);
    layout->addLayout(bottom);
}

void TfrmBatchProgress::AddLine(const QString& line) {
    memOutput->appendPlainText(line);
}

void TfrmBatchProgress::StartRun(int days, int scans) {
    m_days = days;
    m_scans = scans;
    m_day = m_scan = 0;
    barScans->setRange(0, scans);
    ShowCounts(QString(), 0);
}

void TfrmBatchProgress::StartDay() {
    ++m_day;
    ShowCounts(QString(), m_scan);
}

void TfrmBatchProgress::StartScan(const QString& scan) {
    ++m_scan;
    ShowCounts(scan, m_scan - 1);
}

void TfrmBatchProgress::EndBatch() {
    barScans->setValue(m_scan);
}

void TfrmBatchProgress::ShowCounts(const QString& scan, int done) {
    lblDay->setText(QStringLiteral("Day %1 of %2").arg(m_day).arg(m_days));
    QString text = QStringLiteral("Scan %1 of %2").arg(m_scan).arg(m_scans);
    if (!scan.isEmpty()) text += QStringLiteral(": ") + scan;
    lblScan->setText(text);
    barScans->setValue(done);
}

void TfrmBatchProgress::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        event->accept();
        return;
    }
    // The window stays until the batch has stopped.
    event->ignore();
    emit BreakRequested();
}

}  // namespace tarn::tarncall
