#include "viewer/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "gui-common/handler_guard.h"
#include "gui-common/line_list.h"
#include "platform/paths.h"
#include "viewer/column_graphs.h"
#include "viewer/view_spec.h"

namespace tarn::resplot {

namespace {

constexpr int kLeft = 8;      // left column: labels, then edits
constexpr int kRight = 256;   // right column
constexpr int kEditX = 88;    // edit offset from its column
constexpr int kRowStep = 26;  // distance between rows of the axis blocks

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Graphical View Main"));
    resize(496, 350);
    setMinimumSize(496, 350);

    edt_filename = AddEdit("edt_filename", "", QRect(), QRect(kLeft, 8, 180, 22));
    edt_path = AddEdit("edt_path", "Main path for files", QRect(kLeft, 36, 200, 16),
                       QRect(kLeft, 54, 480, 22));
    edt_Title =
        AddEdit("edt_Title", "Plot Caption", QRect(kLeft, 82, 200, 16), QRect(kLeft, 100, 480, 22));
    const char* const xNames[] = {"edt_X", "Edt_X_max", "edt_X_min", "edt_X_title", "edt_X_step"};
    const char* const xLabels[] = {"X column", "X Max", "X-axis Min", "Title X-axis", ""};
    const char* const yNames[] = {"edt_Y", "edt_Y_max", "Edt_Y_min", "edt_Y_Title", "edt_Y_step"};
    const char* const yLabels[] = {"Y", "Y Max", "Y-axis Min", "Title Y-axis", ""};
    QLineEdit* x[5];
    QLineEdit* y[5];
    for (int row = 0; row < 5; ++row) {
        const int top = 132 + row * kRowStep;
        x[row] = AddEdit(xNames[row], xLabels[row], QRect(kLeft, top + 3, kEditX - 4, 16),
                         QRect(kLeft + kEditX, top, 150, 22));
        y[row] = AddEdit(yNames[row], yLabels[row], QRect(kRight, top + 3, kEditX - 4, 16),
                         QRect(kRight + kEditX, top, 150, 22));
    }
    edt_X = x[0], Edt_X_max = x[1], edt_X_min = x[2], edt_X_title = x[3], edt_X_step = x[4];
    edt_Y = y[0], edt_Y_max = y[1], Edt_Y_min = y[2], edt_Y_Title = y[3], edt_Y_step = y[4];

    ChckBx_indiv = new QCheckBox(QStringLiteral("all spectra at once"), this);
    ChckBx_indiv->setObjectName(QStringLiteral("ChckBx_indiv"));
    ChckBx_indiv->setGeometry(kLeft, 270, 200, 22);
    ChckBx_indiv->setChecked(true);
    btn_plot = new QPushButton(QStringLiteral("Plot"), this);
    btn_plot->setObjectName(QStringLiteral("btn_plot"));
    btn_plot->setGeometry(400, 310, 88, 28);
    gui::ConnectGuarded(btn_plot, &QPushButton::clicked, this, &TForm1::btn_plotClick);
    ShowSettings(gui::DefaultViewerSettings());

    m_dataFiles = new gui::TfrmDataFiles(this);
    m_axisDialog = new gui::TFrm_axissetting(this);
    m_graphs = std::make_unique<ColumnGraphs>(this, m_axisDialog);
    // The form's creation event, run in the guard as the connected handlers are.
    gui::RunGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

QLineEdit* TForm1::AddEdit(const char* name, const char* label, const QRect& labelBox,
                           const QRect& box) {
    if (*label != '\0') (new QLabel(QString::fromLatin1(label), this))->setGeometry(labelBox);
    auto* edit = new QLineEdit(this);
    gui::ShowBytes(edit, std::string());
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(box);
    return edit;
}

std::array<QLineEdit*, gui::kViewerSettingsLineCount> TForm1::Edits() const {
    return {edt_filename, edt_path,  edt_Title, edt_X,       Edt_X_max,  edt_X_min, edt_X_title,
            edt_Y,        edt_Y_max, Edt_Y_min, edt_Y_Title, edt_X_step, edt_Y_step};
}

gui::ViewerSettings TForm1::FormSettings() const {
    gui::ViewerSettings settings;
    const auto edits = Edits();
    for (size_t i = 0; i < edits.size(); ++i)
        settings.*gui::kViewerSettingsLayout[i] = gui::BytesOf(edits[i]);
    return settings;
}

void TForm1::ShowSettings(const gui::ViewerSettings& settings) {
    const auto edits = Edits();
    for (size_t i = 0; i < edits.size(); ++i)
        gui::ShowBytes(edits[i], settings.*gui::kViewerSettingsLayout[i]);
}

gui::AxisLimitTexts TForm1::AxisLimits() const {
    return {edt_Y_max->text(), Edt_X_max->text(), Edt_Y_min->text(), edt_X_min->text()};
}

void TForm1::FormCreate() {
    const std::string path = gui::kViewerSettingsFileName;
    if (!EntryExists(path)) return;
    gui::LineList lines;
    lines.Load(path);
    gui::ViewerSettings settings = FormSettings();
    const int taken = gui::ReadViewerSettings(lines, settings);
    ShowSettings(settings);
    // A short file: the read of its first missing line raises the report.
    if (taken < gui::kViewerSettingsLineCount) (void)lines.Line(taken);
}

void TForm1::WriteViewerSettingsFromForm() {
    gui::SaveViewerSettingsFile(FormSettings(), false);
}

void TForm1::btn_plotClick() {
    const gui::ViewerSettings settings = FormSettings();
    RequirePlottable(settings);
    WriteViewerSettingsFromForm();
    m_oneGraphPerFile = !ChckBx_indiv->isChecked();
    const std::string mask = settings.Path + settings.FileMask;
    m_dataFiles->SetMask(mask);
    m_dataFiles->show();
    const std::vector<std::string>& names = m_dataFiles->Items();
    if (names.empty()) {
        gui::CurrentDialogs().Inform(gui::DecodeBytes(NoFileText(mask)));
        return;
    }
    const int points = m_graphs->PlotFiles(ColumnGraphSpecOf(settings), settings.Path, names,
                                           m_oneGraphPerFile);
    if (points == 0)
        gui::CurrentDialogs().Inform(gui::DecodeBytes(NoPointsText(names.size(), settings)));
}

void TForm1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

}  // namespace tarn::resplot
