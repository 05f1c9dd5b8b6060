#include "gui-common/handler_guard.h"

#include <QString>
#include <exception>

#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "platform/run_error.h"

namespace tarn::gui {

bool RunGuarded(const std::function<void()>& action) {
    QString report;
    try {
        action();
        return true;
    } catch (const RunTimeError& error) {
        report = DecodeBytes(error.Report());
    } catch (const std::exception& error) {
        // A fault of the program itself (an index out of range, a bad conversion).
        report = DecodeBytes(error.what());
    } catch (...) {
        report = QStringLiteral("The action ended with an unknown error");
    }
    // Shown after the handler's lists were saved by their ListEdit destructors.
    CurrentDialogs().Error(report);
    return false;
}

}  // namespace tarn::gui
