#include "gui-common/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tarn::gui {

namespace {

Dialogs* g_dialogs = nullptr;

// Characters of a message box's text, beyond which its middle is cut.
constexpr int kBoxTextLength = 2000;
constexpr int kBoxTextEnd = 500;

QString BoxText(const QString& text) {
    if (text.size() <= kBoxTextLength) return text;
    return text.left(kBoxTextLength - kBoxTextEnd) + QStringLiteral(" ... ") +
           text.right(kBoxTextEnd);
}

// `pos` moved by `step` (-1 or +1) off UTF-8 continuation bytes, so that no
// character is cut in two there.
size_t AtCharacter(const std::string& text, size_t pos, int step) {
    while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
        pos += step;
    return pos;
}

}  // namespace

std::string MessagePart(const std::string& text) {
    if (text.size() <= kMessagePartLength) return text;
    const size_t head = AtCharacter(text, kMessagePartLength * 2 / 3, -1);
    const size_t tail = AtCharacter(text, text.size() - kMessagePartLength / 3, 1);
    return text.substr(0, head) + " ... " + text.substr(tail);
}

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

Dialogs& CurrentDialogs() {
    static BoxDialogs boxes;
    return g_dialogs != nullptr ? *g_dialogs : boxes;
}

void SetDialogs(Dialogs* dialogs) {
    g_dialogs = dialogs;
}

}  // namespace tarn::gui
