#include "shell/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <utility>

#include "gui-common/data_files_window.h"
#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "gui-common/handler_guard.h"
#include "platform/run_error.h"
#include "shell/defaults_upkeep.h"
#include "shell/quality_views.h"
#include "shell/settings_dialog.h"
#include "shell/shift_graph_window.h"
#include "shell/tarn_run.h"

namespace tarn::tarncall {

namespace {

constexpr int kEditLeft = 160;  // the path edits below the groups
constexpr int kEditWidth = 272;
constexpr int kPathRowTop = 186;
constexpr int kPathRowStep = 28;
constexpr int kRadioTop = 44;
constexpr int kRadioStep = 18;

template <typename T>
T* Named(T* widget, const char* name, const QRect& box) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(box);
    return widget;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, const std::string& text, const char* hint,
                   const QRect& box) {
    auto* edit = Named(new QLineEdit(parent), name, box);
    gui::ShowBytes(edit, text);
    if (*hint != '\0') edit->setToolTip(QString::fromLatin1(hint));
    return edit;
}

void AddLabel(QWidget* parent, const char* text, const QRect& box) {
    (new QLabel(QString::fromLatin1(text), parent))->setGeometry(box);
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, const QRect& box) {
    return Named(new QPushButton(QString::fromLatin1(caption), parent), name, box);
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const char* caption, const QRect& box) {
    return Named(new QCheckBox(QString::fromLatin1(caption), parent), name, box);
}

// The view of the ticked radio button and the entries it uses.
ViewRequest RequestOf(const TForm1& form) {
    const std::pair<QRadioButton*, QualityView> radios[] = {
        {form.rdbtn_shftspec, QualityView::SpectralShift},
        {form.rdbtn_spkspec, QualityView::SpectralSpikes},
        {form.rdbtn_spectrans, QualityView::SpectralTransmission},
        {form.rdbtn_diurnaltrans, QualityView::DiurnalTransmission2},
        {form.rdbtn_shftdiur, QualityView::DiurnalShift1},
        {form.rdbtn_shft2diur, QualityView::DiurnalShift2},
        {form.rdbtn_shape, QualityView::DiurnalShape},
    };
    ViewRequest request;
    for (const auto& radio : radios)
        if (radio.first->isChecked()) request.View = radio.second;
    request.BySza = form.chckbx_viewSZA->isChecked();
    request.DayTime = gui::BytesOf(form.edtDayTime);
    request.InstrumentId = gui::BytesOf(form.edtInstrument);
    request.ResultCodes = gui::BytesOf(form.edtResCode);
    request.DefaultsFile = gui::BytesOf(form.edtDFA);
    return request;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("TARNcall 5.25 shell for running TARNpelo"));
    resize(438, 300);
    setMinimumSize(438, 300);
    BuildSelectionGroup();
    BuildParametersGroup();
    BuildViewingGroup();
    BuildPathEdits();
    ConnectHandlers();
    FormCreate();
    m_dataFiles = std::make_unique<gui::TfrmDataFiles>();
    // Takes the output specification's name FormCreate read.
    m_settings = std::make_unique<TfrmSettings>(*this);
    m_graphs = std::make_unique<ShiftGraphs>();
}

// The shift-graph windows and the axis dialog first, then the settings
// dialog and the DataFiles window.
TForm1::~TForm1() {
    m_graphs.reset();
    m_settings.reset();
    m_dataFiles.reset();
}

void TForm1::BuildSelectionGroup() {
    grpSelection = Named(new QGroupBox(QStringLiteral("Data and Instrument selection"), this),
                         "grpSelection", QRect(4, 4, 212, 128));
    QGroupBox* g = grpSelection;
    AddLabel(g, "DAYtime:", QRect(8, 22, 88, 18));
    edtDayTime = AddEdit(g, "edtDayTime", "1850900", "", QRect(98, 20, 58, 22));
    AddLabel(g, "Instrument_ID", QRect(8, 48, 88, 18));
    edtInstrument = AddEdit(g, "edtInstrument", "TES", "", QRect(98, 46, 58, 22));
    chckbx_Plot = AddCheck(g, "chckbx_Plot", "Plot", QRect(162, 20, 48, 22));
    ChckBxZIP = AddCheck(g, "ChckBxZIP", "ZIP", QRect(162, 46, 48, 22));
    btnDataselect = AddButton(g, "btnDataselect", "Show dataselection", QRect(8, 74, 144, 24));
    Button1 = AddButton(g, "Button1", "Run TARN", QRect(8, 100, 96, 24));
}

void TForm1::BuildParametersGroup() {
    grpParameters = Named(new QGroupBox(QStringLiteral("Checking/Changing Parameters"), this),
                          "grpParameters", QRect(4, 134, 212, 46));
    btnSettings = AddButton(grpParameters, "btnSettings", "Settings", QRect(8, 18, 96, 24));
}

void TForm1::BuildViewingGroup() {
    grpViewing = Named(new QGroupBox(QStringLiteral("Viewing results graphically"), this),
                       "grpViewing", QRect(220, 4, 214, 176));
    QGroupBox* g = grpViewing;
    btn_View = AddButton(g, "btn_View", "View", QRect(8, 18, 72, 24));
    chckbx_viewSZA = AddCheck(g, "chckbx_viewSZA", "SZA", QRect(100, 19, 60, 22));
    struct Radio {
        QRadioButton** Button;
        const char* Name;
        const char* Caption;
        const char* Hint;
    };
    const Radio radios[] = {
        {&rdbtn_shftspec, "rdbtn_shftspec", "spectral shift", "spectral Wavelength shift"},
        {&rdbtn_spkspec, "rdbtn_spkspec", "spectral spikes", "Local shape errors"},
        {&rdbtn_spectrans, "rdbtn_spectrans", "spectral transmission",
         "Transmisison compared to clear sky"},
        {&rdbtn_diurnaltrans, "rdbtn_diurnaltrans", "diurnal transm. 2", ""},
        {&rdbtn_shftdiur, "rdbtn_shftdiur", "diurnal shift 1",
         "Diurnal Wavelength shift in range 1"},
        {&rdbtn_shft2diur, "rdbtn_shft2diur", "diurnal shift 2",
         "Diurnal wavelength shift in range 2"},
        {&rdbtn_shape, "rdbtn_shape", "diurnal shape error",
         "Diurnal Local shape error above starting wavelength"},
    };
    int top = kRadioTop;
    for (const Radio& r : radios) {
        *r.Button = Named(new QRadioButton(QString::fromLatin1(r.Caption), g), r.Name,
                          QRect(8, top, 200, kRadioStep));
        if (*r.Hint != '\0') (*r.Button)->setToolTip(QString::fromLatin1(r.Hint));
        top += kRadioStep;
    }
    rdbtn_shftspec->setChecked(true);
}

void TForm1::BuildPathEdits() {
    struct Row {
        QLineEdit** Edit;
        const char* Name;
        const char* Label;
        std::string Text;
        const char* Hint;
    };
    const Row rows[] = {
        {&edtProg, "edtProg", "Program Call", DefaultProgramCall(),
         "Path and call to TARNpelo executable"},
        {&edtDFA, "edtDFA", "path+DFA-file", DefaultDefaultsFile(),
         "Path and filename for main defaults"},
        {&edtResCode, "edtResCode", "Result Codes", "S I W",
         "Result codes for Shift, Irradiance and applied wavelength scale"},
        // Empty until the start has read a main path.
        {&edt_MainAna, "edt_MainAna", "Main analysis datapath", "",
         "Datapath for analysis! Path should exist!"},
    };
    int top = kPathRowTop;
    for (const Row& r : rows) {
        AddLabel(this, r.Label, QRect(8, top + 2, kEditLeft - 12, 18));
        *r.Edit = AddEdit(this, r.Name, r.Text, r.Hint, QRect(kEditLeft, top, kEditWidth, 22));
        top += kPathRowStep;
    }
}

void TForm1::ConnectHandlers() {
    using gui::ConnectGuarded;
    ConnectGuarded(edtDayTime, &QLineEdit::textChanged, this, &TForm1::edtDayTimeChange);
    ConnectGuarded(edtInstrument, &QLineEdit::textChanged, this, &TForm1::edtInstrumentChange);
    ConnectGuarded(edtProg, &QLineEdit::textChanged, this, &TForm1::edtProgChange);
    ConnectGuarded(edtResCode, &QLineEdit::textChanged, this, &TForm1::edtResCodeChange);
    ConnectGuarded(edt_MainAna, &QLineEdit::textEdited, this,
                   [this] { m_mainAnalysisPath = gui::BytesOf(edt_MainAna); });
    edtDFA->installEventFilter(this);
    ConnectGuarded(this, &TForm1::defaultsFileLeft, this, &TForm1::edtDFAChange);
    ConnectGuarded(btnDataselect, &QPushButton::clicked, this, &TForm1::btnDataselectClick);
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    ConnectGuarded(btnSettings, &QPushButton::clicked, this, &TForm1::btnSettingsClick);
    ConnectGuarded(btn_View, &QPushButton::clicked, this, &TForm1::btn_ViewClick);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtDFA && event->type() == QEvent::FocusOut) emit defaultsFileLeft();
    return QWidget::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    if (!m_running) {
        emit closed();
        return;
    }
    m_closedDuringRun = true;
    emit runBreakRequested();
}

ShellSettings TForm1::Entries() const {
    ShellSettings settings;
    settings.Program = gui::BytesOf(edtProg);
    settings.DefaultsFile = gui::BytesOf(edtDFA);
    settings.ResultCodes = gui::BytesOf(edtResCode);
    settings.InstrumentId = gui::BytesOf(edtInstrument);
    settings.DayTime = gui::BytesOf(edtDayTime);
    return settings;
}

void TForm1::ShowEntries(const ShellSettings& settings) {
    const std::pair<QLineEdit*, const std::string*> entries[] = {
        {edtProg, &settings.Program},
        {edtDFA, &settings.DefaultsFile},
        {edtResCode, &settings.ResultCodes},
        {edtInstrument, &settings.InstrumentId},
        {edtDayTime, &settings.DayTime}};
    for (const auto& entry : entries) {
        const QSignalBlocker block(entry.first);
        gui::ShowBytes(entry.first, *entry.second);
    }
    const QSignalBlocker block(edtDayTime);
    edtDayTime->setText(edtDayTime->text().left(kDayTimeLength));
}

void TForm1::FormCreate() {
    gui::RunGuarded([this] { ShowShellSettings(); });
    gui::RunGuarded([this] { ShowMainPath(); });
}

void TForm1::ShowShellSettings() {
    ShellSettings settings = Entries();
    bool found = false;
    try {
        found = ReadShellSettingsFile(settings, m_outputSpecName);
    } catch (...) {
        ShowEntries(settings);  // the lines before the first missing one
        throw;
    }
    ShowEntries(settings);
    if (!found) gui::CurrentDialogs().Inform(QString::fromLatin1(kShellSettingsMissingText));
}

void TForm1::ShowMainPath() {
    // Shown before the file is saved, also when the save fails.
    KeepMainPathAtStart(gui::BytesOf(edtDFA), [this](const MainPathChoice& choice) {
        SetMainAnalysisPath(choice.Path);
        if (choice.DirectoryMissing) {
            gui::CurrentDialogs().Inform(QString::fromLatin1(kMainPathMissingText) +
                                         gui::DecodeBytes(MessagePart(choice.Path)));
        }
    });
}

void TForm1::SetMainAnalysisPath(const std::string& path) {
    m_mainAnalysisPath = path;
    gui::ShowBytes(edt_MainAna, path);
}

void TForm1::WriteShellSettings() {
    WriteShellSettingsFile(Entries());
}

DataSelection TForm1::SelectDataFiles() {
    DataSelection selection = SelectData(Entries());
    if (selection.DefaultsMissing) return selection;
    m_dataFiles->show();
    m_dataFiles->SetMask(selection.Mask);
    return selection;
}

void TForm1::MergeDefaultsWithTemplate() {
    tarncall::MergeDefaultsWithTemplate(gui::BytesOf(edtDFA), m_mainAnalysisPath);
}

void TForm1::edtDayTimeChange() {
    if (edtDayTime->text().size() > kDayTimeLength) {
        const QSignalBlocker block(edtDayTime);
        edtDayTime->setText(edtDayTime->text().left(kDayTimeLength));
    }
    WriteShellSettings();
}

void TForm1::edtInstrumentChange() {
    WriteShellSettings();
}

void TForm1::edtProgChange() {
    WriteShellSettings();
}

void TForm1::edtResCodeChange() {
    WriteShellSettings();
}

void TForm1::edtDFAChange() {
    WriteShellSettings();
}

void TForm1::btnDataselectClick() {
    if (SelectDataFiles().DefaultsMissing) return;
    gui::TfrmDataFiles& files = *m_dataFiles;
    files.show();
    gui::CurrentDialogs().Inform(QString::number(files.Count()) +
                                 QString::fromLatin1(kSelectedCountText));
    raise();
    activateWindow();
}

void TForm1::Button1Click() {
    m_running = true;
    m_closedDuringRun = false;
    // Queued: the program ends after this handler, its report included.
    const auto end = [this] {
        m_running = false;
        if (m_closedDuringRun)
            QMetaObject::invokeMethod(this, &TForm1::closed, Qt::QueuedConnection);
    };
    try {
        RunTarn(*this);
    } catch (...) {
        end();
        throw;
    }
    end();
}

void TForm1::btnSettingsClick() {
    TfrmSettings& dialog = *m_settings;
    dialog.show();
    dialog.raise();
    dialog.FormShow();
}

void TForm1::btn_ViewClick() {
    ShowQualityView(RequestOf(*this), *m_dataFiles, *m_graphs);
}

}  // namespace tarn::tarncall
