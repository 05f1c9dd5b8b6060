#include "gui-common/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tarn::gui {

namespace {

Dialogs* g_dialogs = nullptr;

}  // namespace

void BoxDialogs::Inform(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), text);
}

void BoxDialogs::Error(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

bool BoxDialogs::SetUpPrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

Dialogs& CurrentDialogs() {
    static BoxDialogs boxes;
    return g_dialogs != nullptr ? *g_dialogs : boxes;
}

void SetDialogs(Dialogs* dialogs) {
    g_dialogs = dialogs;
}

}  // namespace tarn::gui
