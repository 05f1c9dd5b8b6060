// Every modal wait of the windowed programs goes through Dialogs: message
// boxes and the print dialog.  The programs use BoxDialogs (real modal boxes);
// tests install RecordingDialogs, which records the texts and answers the print
// dialog itself, because a modal box would block an offscreen test.
#pragma once

#include <QString>
#include <string>

class QPrinter;
class QWidget;

namespace tarn::gui {

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A plain message the operator confirms ("3 datafile(s) selected").
    virtual void Inform(const QString& text) = 0;
    // The report of an action that an error ended.
    virtual void Error(const QString& text) = 0;
    // Lets the operator choose and set up the printer; false when cancelled.
    virtual bool SetUpPrinter(QPrinter& printer) = 0;
};

// Modal message boxes and the platform print dialog, over the active window.
// A message longer than a screen's worth is shown with its middle cut.
class BoxDialogs : public Dialogs {
  public:
    void Inform(const QString& text) override;
    void Error(const QString& text) override;
    bool SetUpPrinter(QPrinter& printer) override;
};

// `text` (a path, a line of a file) as a message quotes it: a text longer
// than kMessagePartLength bytes keeps its beginning and its end around
// " ... ", so that a message stays readable and quick to lay out whatever
// the length of what it names.
constexpr size_t kMessagePartLength = 200;
std::string MessagePart(const std::string& text);

// The dialogs every handler uses: a BoxDialogs until SetDialogs installs others.
Dialogs& CurrentDialogs();
// Installs `dialogs` (not owned; it must outlive its use); nullptr restores the boxes.
void SetDialogs(Dialogs* dialogs);

}  // namespace tarn::gui
