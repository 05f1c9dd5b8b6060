#include "gui-common/dialogs.h"

#include "gui-common/box_dialogs.h"

namespace tarn::gui {

namespace {

Dialogs* g_dialogs = nullptr;

}  // namespace

Dialogs& CurrentDialogs() {
    static BoxDialogs boxes;
    return g_dialogs != nullptr ? *g_dialogs : boxes;
}

void SetDialogs(Dialogs* dialogs) {
    g_dialogs = dialogs;
}

}  // namespace tarn::gui
