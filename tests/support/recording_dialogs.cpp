#include "tests/support/recording_dialogs.h"

#include <QPrinter>

namespace tarn::gui {

RecordingDialogs::RecordingDialogs() {
    SetDialogs(this);
}

RecordingDialogs::~RecordingDialogs() {
    if (&CurrentDialogs() == this) SetDialogs(nullptr);
}

void RecordingDialogs::Inform(const QString& text) {
    m_messages << text;
}

void RecordingDialogs::Error(const QString& text) {
    m_messages << text;
    m_errors << text;
}

bool RecordingDialogs::SetUpPrinter(QPrinter& printer) {
    ++m_printRequests;
    m_suggestedFile = printer.outputFileName();
    if (m_printFile.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_printFile);
    return true;
}

void RecordingDialogs::Clear() {
    m_messages.clear();
    m_errors.clear();
    m_printRequests = 0;
}

}  // namespace tarn::gui
