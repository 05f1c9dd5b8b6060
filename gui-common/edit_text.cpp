#include "gui-common/edit_text.h"

#include <QByteArray>
#include <QLineEdit>
#include <QStringDecoder>
#include <QVariant>
#include <limits>

namespace tarn::gui {

namespace {

// The edit's properties that keep what it shows.
constexpr char kShownText[] = "tarnShownText";
constexpr char kShownBytes[] = "tarnShownBytes";

QByteArray Bytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool IsUtf8(const std::string& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(Bytes(bytes));
    return !decoder.hasError();
}

bool FitsLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

}  // namespace

QString DecodeBytes(const std::string& bytes) {
    return IsUtf8(bytes) ? QString::fromUtf8(Bytes(bytes)) : QString::fromLatin1(Bytes(bytes));
}

void ShowBytes(QLineEdit* edit, const std::string& bytes) {
    const QString text = DecodeBytes(bytes);
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setProperty(kShownText, text);
    edit->setProperty(kShownBytes, Bytes(bytes));
    edit->setText(text);
}

void KeepShown(QLineEdit* edit, const std::string& bytes) {
    edit->setProperty(kShownText, edit->text());
    edit->setProperty(kShownBytes, Bytes(bytes));
}

EditText TextOf(const QLineEdit* edit) {
    const QVariant shown = edit->property(kShownText);
    const QByteArray shownBytes = edit->property(kShownBytes).toByteArray();
    const std::string bytes(shownBytes.constData(), static_cast<size_t>(shownBytes.size()));
    const QString text = edit->text();
    if (shown.isValid() && text == shown.toString()) return EditText(bytes);
    const bool latin1 = shown.isValid() && !IsUtf8(bytes) && FitsLatin1(text);
    EditText typed(latin1 ? text.toLatin1().toStdString() : text.toUtf8().toStdString());
    typed.Edited = true;
    return typed;
}

std::string BytesOf(const QLineEdit* edit) {
    return TextOf(edit).Bytes;
}

}  // namespace tarn::gui
