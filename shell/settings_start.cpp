// "Settings": the settings dialog over the defaults files.
#include "shell/tarncall.h"

namespace tarn::tarncall {

void TForm1::btnSettingsClick() {}

}  // namespace tarn::tarncall
