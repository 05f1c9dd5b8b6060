// "Settings": the settings dialog over the defaults files.
#include "shell/settings3.h"
#include "shell/tarncall.h"

namespace tarn::tarncall {

void TForm1::btnSettingsClick() {
    TfrmSettings& dialog = frmSettings();
    dialog.show();
    dialog.raise();
    dialog.FormShow();
}

}  // namespace tarn::tarncall
