// Dialogs for tests: records every message in order and answers the print
// dialog with a PDF file, or with "cancel" when no file is set.
#pragma once

#include <QString>
#include <QStringList>

#include "gui-common/dialogs.h"

namespace tarn::gui {

class RecordingDialogs : public Dialogs {
  public:
    // Installs itself as the current dialogs; the destructor restores the boxes.
    RecordingDialogs();
    ~RecordingDialogs() override;

    void Inform(const QString& text) override;
    void Error(const QString& text) override;
    // Keeps the output file the printer offers (SuggestedFile), then sets the
    // printer to write a PDF to PrintFile() and accepts; cancels when
    // PrintFile() is empty.  Counts the calls.
    bool SetUpPrinter(QPrinter& printer) override;

    // Every message so far, informations and errors, in order.
    const QStringList& Messages() const { return m_messages; }
    const QStringList& Errors() const { return m_errors; }
    int PrintRequests() const { return m_printRequests; }
    void SetPrintFile(const QString& path) { m_printFile = path; }
    const QString& PrintFile() const { return m_printFile; }
    const QString& SuggestedFile() const { return m_suggestedFile; }
    void Clear();

  private:
    QStringList m_messages;
    QStringList m_errors;
    QString m_printFile;
    QString m_suggestedFile;
    int m_printRequests = 0;
};

}  // namespace tarn::gui
