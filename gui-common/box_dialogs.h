// The windowed programs' own dialogs: modal message boxes and the platform
// print dialog, over the active window.
#pragma once

#include "gui-common/dialogs.h"

namespace tarn::gui {

// A message longer than a screen's worth is shown with its middle cut.
class BoxDialogs : public Dialogs {
  public:
    void Inform(const QString& text) override;
    void Error(const QString& text) override;
    bool SetUpPrinter(QPrinter& printer) override;
};

}  // namespace tarn::gui
