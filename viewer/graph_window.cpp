#include "viewer/graph_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/dialogs.h"
#include "gui-common/handler_guard.h"
#include "viewer/main_window.h"

namespace tarn::resplot {

using gui::ChartSeries;
using gui::PointerStyle;
using gui::SeriesKind;

TGrafiek1::TGrafiek1(TForm1* mainForm) : QWidget(mainForm, Qt::Window), m_mainForm(mainForm) {
    setWindowTitle(QStringLiteral("Grafiek1"));
    resize(696, 480);
    setMinimumSize(696, 480);

    Chart1 = new gui::Chart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->LeftAxis().SetMinorTickCount(4);

    Series1 = &Chart1->AddSeries(SeriesKind::Point);
    Series1->SetColour(Qt::red);
    Series1->SetPointerStyle(PointerStyle::Circle);
    Series1->SetPointerSize(3, 3);
    Series1->SetBrushColour(Qt::blue);
    Series1->SetOutlineVisible(false);

    Series2 = &Chart1->AddSeries(SeriesKind::Point);
    Series2->SetColour(Qt::blue);
    Series2->SetActive(false);

    Series3 = &Chart1->AddSeries(SeriesKind::Line);
    Series3->SetColour(Qt::blue);
    Series3->SetColourEachPoint(true);
    Series3->SetPointerStyle(PointerStyle::SmallDot);
    Series3->SetPointerSize(2, 2);
    Series3->SetAverageOf(Series1);

    Button1 = new QPushButton(QStringLiteral("Clear plot"), this);
    Button2 = new QPushButton(QStringLiteral("Print results"), this);
    btnAxis = new QPushButton(QStringLiteral("Rescale axis"), this);
    gui::ConnectGuarded(Button1, &QPushButton::clicked, this, &TGrafiek1::Button1Click);
    gui::ConnectGuarded(Button2, &QPushButton::clicked, this, &TGrafiek1::Button2Click);
    gui::ConnectGuarded(btnAxis, &QPushButton::clicked, this, &TGrafiek1::btnAxisClick);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(btnAxis);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Chart1, 1);
    layout->addLayout(buttons);
}

void TGrafiek1::Button1Click() {
    Series1->Clear();
    // Series3 follows its average again: nothing is left to average.
    Series3->SetAverageOf(Series1);
}

void TGrafiek1::Button2Click() {
    Chart1->Print(gui::CurrentDialogs());
}

void TGrafiek1::btnAxisClick() {
    if (m_mainForm == nullptr) return;
    gui::TFrm_axissetting& dialog = m_mainForm->AxisDialog();
    dialog.show();
    dialog.ShowLimits(m_mainForm->AxisLimits());
    dialog.ApplyToChart(*Chart1);
}

}  // namespace tarn::resplot
