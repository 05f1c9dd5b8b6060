#include "shell/shift_graph_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/dialogs.h"
#include "gui-common/handler_guard.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn::tarncall {

std::string ShiftGraphTitleFor(const std::string& id, const std::string& dayTime) {
    return "Wavelength shifts for: " + id + " " + dayTime;
}

std::string NoShiftCodeText(const std::string& resultCodes) {
    return "No applied-shift code (5th character) in the result codes \"" + resultCodes +
           "\": nothing is plotted";
}

namespace {

constexpr double kShiftAxisLow = -0.3;  // nm
constexpr double kShiftAxisHigh = 0.3;
constexpr double kShiftIncrement = 0.05;
constexpr double kWavelengthAxisLow = 300.0;  // nm
constexpr double kWavelengthAxisHigh = 400.0;

enum class LineKind { Blank, Pair, Other };

// Reads the first two blank-separated fields of `line` as numbers (x, y).
// For a line that is not a pair, `bad` is the first field that is no number,
// or "" when the line has fewer than two fields.
LineKind ReadPairLine(const std::string& line, double& x, double& y, std::string& bad) {
    std::string fields[2];
    int count = 0;
    size_t i = 0;
    while (count < 2) {
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
        if (i == line.size()) break;
        const size_t start = i;
        while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
        fields[count++] = line.substr(start, i - start);
    }
    if (count == 0) return LineKind::Blank;
    bad.clear();
    if (!ParseReal(fields[0], x)) {
        bad = fields[0];
        return LineKind::Other;
    }
    if (count < 2) return LineKind::Other;
    if (!ParseReal(fields[1], y)) {
        bad = fields[1];
        return LineKind::Other;
    }
    return LineKind::Pair;
}

}  // namespace

TGrafiek1::TGrafiek1(ShiftGraphs& graphs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_graphs(graphs) {
    setWindowTitle(QStringLiteral("TARNpelo wavelength shifts applied"));
    resize(696, 480);
    setMinimumSize(696, 480);

    Chart1 = new gui::Chart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    gui::ChartAxis& bottom = Chart1->BottomAxis();
    bottom.SetMinMax(kWavelengthAxisLow, kWavelengthAxisHigh);
    bottom.SetTitle(QStringLiteral("Wavelength (nm)"));
    gui::ChartAxis& left = Chart1->LeftAxis();
    left.SetMinMax(kShiftAxisLow, kShiftAxisHigh);
    left.SetIncrement(kShiftIncrement);
    left.SetTitle(QStringLiteral("Wavelength shift (nm)"));

    Series1 = &Chart1->AddSeries(gui::SeriesKind::Point);
    Series1->SetColour(Qt::red);
    Series1->SetPointerStyle(gui::PointerStyle::Circle);
    Series1->SetPointerSize(1, 1);
    Series1->SetBrushColour(Qt::blue);
    Series1->SetOutlineVisible(false);
    Series1->SetXOrdered(true);

    Series2 = &Chart1->AddSeries(gui::SeriesKind::Point);
    Series2->SetColour(Qt::blue);
    Series2->SetPointerStyle(gui::PointerStyle::Rectangle);
    Series2->SetActive(false);

    Series3 = &Chart1->AddSeries(gui::SeriesKind::Line);
    Series3->SetColour(Qt::green);
    Series3->SetPointerStyle(gui::PointerStyle::Rectangle);
    Series3->SetPointerSize(2, 2);
    Series3->SetAverageOf(Series1);

    auto* buttons = new QHBoxLayout();
    BitBtn1 = AddButton(QStringLiteral("Show Result"), "BitBtn1", &TGrafiek1::BitBtn1Click);
    Button1 = AddButton(QStringLiteral("Clear plot"), "Button1", &TGrafiek1::Button1Click);
    Button2 = AddButton(QStringLiteral("Print results"), "Button2", &TGrafiek1::Button2Click);
    btnAxis = AddButton(QStringLiteral("Rescale axis"), "btnAxis", &TGrafiek1::btnAxisClick);
    for (QPushButton* button : {BitBtn1, Button1, Button2, btnAxis}) buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Chart1, 1);
    layout->addLayout(buttons);

    // The creation plots the stored file, as "Show Result" does.
    gui::RunGuarded([this] { BitBtn1Click(); });
}

QPushButton* TGrafiek1::AddButton(const QString& caption, const char* name,
                                  void (TGrafiek1::*handler)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    gui::ConnectGuarded(button, &QPushButton::clicked, this, handler);
    return button;
}

void TGrafiek1::BitBtn1Click() {
    TextIn file;
    if (!file.Open(m_graphs.File)) {
        gui::CurrentDialogs().Inform(QStringLiteral("No result file available: ") +
                                     QString::fromStdString(m_graphs.File));
    } else {
        // A bad line ends the plotting with its report; the axes and the
        // title are set all the same.
        gui::RunGuarded([&] { PlotShiftFile(file, *Series1); });
    }
    Chart1->LeftAxis().SetMinMax(kShiftAxisLow, kShiftAxisHigh);
    Chart1->BottomAxis().SetMinMax(kWavelengthAxisLow, kWavelengthAxisHigh);
    Chart1->SetTitle(QString::fromStdString(m_graphs.Title));
    Series1->SetColourEachPoint(true);
}

void TGrafiek1::Button1Click() {
    // The same end as removing the points one at a time from the first, without
    // moving the rest of the points at every step.
    Series1->Clear();
}

void TGrafiek1::Button2Click() {
    Chart1->Print(gui::CurrentDialogs());
}

void TGrafiek1::btnAxisClick() {
    gui::TFrm_axissetting& dialog = m_graphs.AxisDialog();
    dialog.show();
    dialog.ApplyToChart(*Chart1);
}

void PlotShiftFile(TextIn& file, gui::ChartSeries& series) {
    double x = 0.0, y = 0.0;
    std::string bad;
    bool header = true;
    while (!file.Eof()) {
        const int lineNumber = file.LineNumber();
        const LineKind kind = ReadPairLine(file.ReadLine(), x, y, bad);
        if (kind == LineKind::Pair) {
            header = false;
            series.AddXY(x, y, Qt::red);
        } else if (kind == LineKind::Other && !header) {
            throw RunTimeError(
                "read number from", file.Name(), lineNumber,
                bad.empty() ? "two numbers expected" : "invalid numeric format '" + bad + "'");
        }
    }
}

ShiftGraphs::ShiftGraphs() : m_axisDialog(std::make_unique<gui::TFrm_axissetting>()) {}

ShiftGraphs::~ShiftGraphs() {
    m_windows.clear();
    m_axisDialog.reset();
}

void ShiftGraphs::Show(const std::string& title, const std::string& file, bool create) {
    File = file;
    Title = title;
    if (create) {
        m_windows.push_back(std::make_unique<TGrafiek1>(*this));
        m_axisDialog->SetCurrentChart(m_windows.back()->Chart1);
    } else {
        AddFile();
    }
    if (TGrafiek1* window = Current()) window->show();
}

bool ShiftGraphs::AddFile() {
    TGrafiek1* window = Current();
    if (window == nullptr) return false;
    TextIn file;
    if (!file.Open(File)) return false;
    return gui::RunGuarded([&] { PlotShiftFile(file, *window->Series1); });
}

TGrafiek1* ShiftGraphs::Current() const {
    return m_windows.empty() ? nullptr : m_windows.back().get();
}

}  // namespace tarn::tarncall
