#include "gui-common/box_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tarn::gui {

namespace {

// Characters of a message box's text, beyond which its middle is cut.
constexpr int kBoxTextLength = 2000;
constexpr int kBoxTextEnd = 500;

QString BoxText(const QString& text) {
    if (text.size() <= kBoxTextLength) return text;
    return text.left(kBoxTextLength - kBoxTextEnd) + QStringLiteral(" ... ") +
           text.right(kBoxTextEnd);
}

}  // namespace

void BoxDialogs::Inform(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                             BoxText(text));
}

void BoxDialogs::Error(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                          BoxText(text));
}

bool BoxDialogs::SetUpPrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tarn::gui
