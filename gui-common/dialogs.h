// Every modal wait of the windowed programs goes through Dialogs: message
// boxes and the print dialog.  The programs use BoxDialogs (real modal boxes,
// gui-common/box_dialogs.h); a program without a screen, or a test, installs
// dialogs of its own, because a modal box would block it.
#pragma once

#include <QString>

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

// The dialogs every handler uses: a BoxDialogs until SetDialogs installs others.
Dialogs& CurrentDialogs();
// Installs `dialogs` (not owned; it must outlive its use); nullptr restores the boxes.
void SetDialogs(Dialogs* dialogs);

}  // namespace tarn::gui
