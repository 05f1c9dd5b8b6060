#include "shell/batch_progress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
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
    lblScan = new QLabel(this);
    memOutput = new QPlainTextEdit(this);
    memOutput->setReadOnly(true);
    memOutput->setMaximumBlockCount(kKeptLines);
    memOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    btnBreak = new QPushButton(QStringLiteral("Break"), this);
    btnBreak->setObjectName(QStringLiteral("btnBreak"));
    connect(btnBreak, &QPushButton::clicked, this, &TfrmBatchProgress::BreakRequested);

    auto* bottom = new QHBoxLayout();
    bottom->addWidget(lblScan, 1);
    bottom->addWidget(btnBreak);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memOutput, 1);
    layout->addLayout(bottom);
}

void TfrmBatchProgress::AddLine(const QString& line) {
    memOutput->appendPlainText(line);
}

void TfrmBatchProgress::ShowScan(int number, int total, const QString& scan) {
    QString text = QStringLiteral("Scan %1 of %2").arg(number).arg(total);
    if (!scan.isEmpty()) text += QStringLiteral(": ") + scan;
    lblScan->setText(text);
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
