// "View": the chosen view of the results.
#include "shell/tarncall.h"

namespace tarn::tarncall {

void TForm1::btn_ViewClick() {}

}  // namespace tarn::tarncall
