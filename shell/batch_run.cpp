// "Run TARN": the engine over the selected scans, day by day.
#include "shell/tarncall.h"

namespace tarn::tarncall {

void TForm1::Button1Click() {}

}  // namespace tarn::tarncall
