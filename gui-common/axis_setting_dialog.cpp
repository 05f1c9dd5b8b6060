#include "gui-common/axis_setting_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <optional>

#include "gui-common/chart.h"
#include "gui-common/handler_guard.h"
#include "platform/run_error.h"

namespace tarn::gui {

namespace {

constexpr int kRowHeight = 48;
// Set on an edit whose text was refused, until the text changes.
constexpr char kRefusedText[] = "tarnRefusedText";

}  // namespace

bool ApplyAxisTexts(ChartAxis& axis, const std::string& maximumText,
                    const std::string& minimumText) {
    const std::optional<double> maximum = AxisNumber(maximumText);
    const std::optional<double> minimum = AxisNumber(minimumText);
    if (!maximum || !minimum) return false;
    axis.SetMinMax(*minimum, *maximum);
    return true;
}

TFrm_axissetting::TFrm_axissetting(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Frm_axissetting"));
    resize(187, 209);
    setMinimumSize(187, 209);
    edt_ymax = AddRow(0, QStringLiteral("Maximum on Y-axis"), QStringLiteral("0.5"), "edt_ymax");
    edt_Ymin = AddRow(1, QStringLiteral("Minimum on Y-axis"), QStringLiteral("-0.5"), "edt_Ymin");
    edt_Xmax = AddRow(2, QStringLiteral("Maximum on X-axis"), QStringLiteral("400"), "edt_Xmax");
    edt_Xmin = AddRow(3, QStringLiteral("Minimum on X-axis"), QStringLiteral("300"), "edt_Xmin");
    // Connected after the defaults are set: only the operator's and the
    // program's later changes apply.
    ConnectGuarded(edt_ymax, &QLineEdit::textChanged, this, &TFrm_axissetting::edt_ymaxChange);
    ConnectGuarded(edt_Ymin, &QLineEdit::textChanged, this, &TFrm_axissetting::edt_YminChange);
    ConnectGuarded(edt_Xmax, &QLineEdit::textChanged, this, &TFrm_axissetting::edt_XmaxChange);
    ConnectGuarded(edt_Xmin, &QLineEdit::textChanged, this, &TFrm_axissetting::edt_XminChange);
}

QLineEdit* TFrm_axissetting::AddRow(int row, const QString& label, const QString& text,
                                    const char* name) {
    const int y = 8 + row * kRowHeight;
    auto* caption = new QLabel(label, this);
    caption->setGeometry(8, y, 171, 16);
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(8, y + 18, 121, 22);
    auto* unit = new QLabel(QStringLiteral("nm"), this);
    unit->setGeometry(136, y + 21, 40, 16);
    ConnectGuarded(edit, &QLineEdit::editingFinished, this,
                   [edit, label] { RefuseNonNumber(*edit, label); });
    ConnectGuarded(edit, &QLineEdit::textChanged, this,
                   [edit] { edit->setProperty(kRefusedText, QVariant()); });
    return edit;
}

void TFrm_axissetting::RefuseNonNumber(QLineEdit& edit, const QString& label) {
    const std::string text = edit.text().toStdString();
    // Refused once until the text changes (the message takes the focus).
    if (AxisNumber(text) || edit.property(kRefusedText).toBool()) return;
    edit.setProperty(kRefusedText, true);
    throw RunTimeError::Refusal(label.toStdString() + ": a number expected, not '" +
                                MessagePart(text) + "'; the axis stays as it was");
}

void TFrm_axissetting::ShowLimits(const AxisLimitTexts& limits) {
    edt_ymax->setText(limits.YMax);
    edt_Xmax->setText(limits.XMax);
    edt_Ymin->setText(limits.YMin);
    edt_Xmin->setText(limits.XMin);
}

bool TFrm_axissetting::ApplyY(Chart& chart) const {
    return ApplyAxisTexts(chart.LeftAxis(), edt_ymax->text().toStdString(),
                          edt_Ymin->text().toStdString());
}

bool TFrm_axissetting::ApplyX(Chart& chart) const {
    return ApplyAxisTexts(chart.BottomAxis(), edt_Xmax->text().toStdString(),
                          edt_Xmin->text().toStdString());
}

bool TFrm_axissetting::ApplyToChart(Chart& chart) const {
    const bool y = ApplyY(chart);
    const bool x = ApplyX(chart);
    return y && x;
}

void TFrm_axissetting::ApplyYToCurrent() {
    show();
    if (Chart* chart = CurrentChart()) ApplyY(*chart);
}

void TFrm_axissetting::ApplyXToCurrent() {
    show();
    if (Chart* chart = CurrentChart()) ApplyX(*chart);
}

void TFrm_axissetting::edt_ymaxChange() {
    ApplyYToCurrent();
}

void TFrm_axissetting::edt_YminChange() {
    ApplyYToCurrent();
}

void TFrm_axissetting::edt_XmaxChange() {
    ApplyXToCurrent();
}

void TFrm_axissetting::edt_XminChange() {
    ApplyXToCurrent();
}

}  // namespace tarn::gui
