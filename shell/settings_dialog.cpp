#include "shell/settings_dialog.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>

#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "gui-common/handler_guard.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/defaults_upkeep.h"
#include "shell/main_window.h"
#include "shell/tarn_run.h"

namespace tarn::tarncall {

namespace {

constexpr int kEditHeight = 20;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;
constexpr int kCheckStep = 17;  // check boxes inside a group
constexpr double kDialogPointSize = 8.0;
constexpr double kOutputPointSize = 7.5;

// The shell's own values of the Analysis tab's "DEFAULTS".
constexpr const char kDefaultOutput[] = "290 400 0.5 1.0";
constexpr const char kDefaultWindowCount[] = "150";
constexpr const char kDefaultOzoneFit[] = "305 330";
constexpr const char kDefaultShift[] = "300 16 1.0";

// The place of a label, an edit (with its hint) and a button on a tab sheet.
struct LabelPlace {
    const char* Text;
    int X, Y, Width;
};
struct EditPlace {
    QLineEdit* TfrmSettings::*Edit;
    const char* Name;
    const char* Hint;
    int X, Y, Width;
};
struct ButtonPlace {
    QPushButton* TfrmSettings::*Button;
    const char* Name;
    const char* Caption;
    int X, Y;
};

// The edits of the most used values: yellow, with blue text.
void Mark(QLineEdit* edit) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::yellow);
    palette.setColor(QPalette::Text, Qt::blue);
    edit->setPalette(palette);
}

// One group of output boxes, all ticked.
void SwitchGroup(QWidget* page, const char* title, const QRect& box,
                 std::initializer_list<std::pair<QCheckBox**, const char*>> boxes) {
    auto* group = new QGroupBox(QString::fromLatin1(title), page);
    group->setGeometry(box);
    int top = 16;
    for (const auto& entry : boxes) {
        auto* check = new QCheckBox(QString::fromLatin1(entry.second), group);
        check->setGeometry(3, top, box.width() - 4, kCheckStep);
        check->setChecked(true);
        *entry.first = check;
        top += kCheckStep;
    }
}

// Makes the labels, edits and buttons of one tab sheet.
template <size_t L, size_t E, size_t B>
void Place(TfrmSettings& dialog, QWidget* page, const LabelPlace (&labels)[L],
           const EditPlace (&edits)[E], const ButtonPlace (&buttons)[B]) {
    for (const LabelPlace& l : labels)
        (new QLabel(QString::fromLatin1(l.Text), page))->setGeometry(l.X, l.Y + 2, l.Width, 16);
    for (const EditPlace& e : edits) {
        auto* edit = new QLineEdit(page);
        gui::ShowBytes(edit, std::string());
        edit->setObjectName(QLatin1String(e.Name));
        edit->setGeometry(e.X, e.Y, e.Width, kEditHeight);
        if (*e.Hint != '\0') edit->setToolTip(QString::fromLatin1(e.Hint));
        dialog.*e.Edit = edit;
    }
    for (const ButtonPlace& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.Caption), page);
        button->setObjectName(QLatin1String(b.Name));
        button->setGeometry(b.X, b.Y, kButtonWidth, kButtonHeight);
        dialog.*b.Button = button;
    }
}

// The slit box's state as it was filled.
constexpr char kShownChecked[] = "tarnShownChecked";

// A text as filled goes into its edit; one the operator edited stays.
void Show(QLineEdit* edit, const EditText& text) {
    if (!text.Edited) gui::ShowBytes(edit, text.Bytes);
}

// After an Apply: each edit's text is what the file holds now, so that an
// edit counts as changed again only when its text changes from that.
template <class Texts>
void KeepApplied(const std::vector<std::pair<QLineEdit*, EditText Texts::*>>& edits,
                 const Texts& applied) {
    for (const auto& [edit, text] : edits) gui::KeepShown(edit, (applied.*text).Bytes);
}

// Runs `fill`, then `show`, also when `fill` raised: the texts filled before
// a failure are shown, and the failure goes on to the guard.
template <class Fill, class Show>
void FillThenShow(Fill fill, Show show) {
    try {
        fill();
    } catch (...) {
        show();
        throw;
    }
    show();
}

}  // namespace

TfrmSettings::TfrmSettings(TForm1& form, QWidget* parent) : QDialog(parent), m_form(form) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("TARNpelo SETTINGS"));
    setModal(false);
    resize(435, 300);
    setMinimumSize(435, 300);
    // The small dialog font of the shell's settings, so that every caption fits.
    QFont small = font();
    small.setPointSizeF(kDialogPointSize);
    setFont(small);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(2, 2, 431, 296);
    auto page = [this](QWidget*& sheet, const char* name, const char* caption) {
        sheet = new QWidget();
        sheet->setObjectName(QLatin1String(name));
        PageControl1->addTab(sheet, QString::fromLatin1(caption));
    };
    page(TbshtMain, "TbshtMain", "Main Instrument");
    page(TbshtAnalysis, "TbshtAnalysis", "Analysis");
    page(Tbsht_output, "Tbsht_output", "Output control");
    page(TbSht_SetQA, "TbSht_SetQA", "ET_QA-settings");
    BuildMainTab();
    BuildAnalysisTab();
    BuildOutputTab();
    BuildEtQaTab();
    ConnectHandlers();
    gui::ShowBytes(edt_output, m_form.OutputSpecName());
}

void TfrmSettings::BuildMainTab() {
    using T = TfrmSettings;
    const LabelPlace labels[] = {{"YEAR", 4, 4, 40},
                                 {"Location Lat Long", 4, 28, 200},
                                 {"Correction of time to UT", 4, 70, 200},
                                 {"days hours min sec", 4, 88, 118},
                                 {"Correction of irradiance", 4, 112, 150},
                                 {"to W/(m2 nm)", 4, 128, 150},
                                 {"nr headerlines", 4, 150, 150},
                                 {"Wavelength range+ step", 218, 4, 200},
                                 {"nr.step", 218, 46, 60},
                                 {"Full Width at Half Maximum", 218, 70, 203},
                                 {"data extension:", 218, 150, 100},
                                 {"Full datapath", 4, 178, 150},
                                 {"Main Analysis datapath", 4, 202, 150}};
    const EditPlace edits[] = {
        {&T::edtYEAR, "edtYEAR", "Year of measurement", 48, 4, 56},
        {&T::edtLatLong, "edtLatLong", "latitude   longitude (degrees.decimal)", 4, 46, 204},
        {&T::Edt_timeshft, "Edt_timeshft", "Timeshift to be added to measurement time", 124, 88,
         84},
        {&T::Edt_irrcor, "Edt_irrcor", "unit correction (multiplication factor", 156, 120, 52},
        {&T::edt_nrheader, "edt_nrheader",
         "Number of headerlines in the measurement file, preceding datacolumns", 156, 150, 52},
        {&T::edtRange, "edtRange", "Wavelength range: start end step (nm)", 218, 22, 203},
        {&T::edt_stapnr, "edt_stapnr", "Integer number (>=1) = (FWHM/step )/2", 282, 46, 44},
        {&T::edtFWHM, "edtFWHM", "FWHM in nm", 218, 88, 90},
        {&T::edt_exten, "edt_exten", "Extension of measurement file", 322, 150, 60},
        {&T::EdtData, "EdtData", "Path where spectral measurements are located", 156, 178, 265},
        {&T::Edt_Analys, "Edt_Analys", "Make sure thsi path exists!", 156, 202, 265}};
    const ButtonPlace buttons[] = {{&T::BitBtnOK, "BitBtnOK", "Apply", 4, 232},
                                   {&T::BtBtnCancel, "BtBtnCancel", "Undo", 100, 232}};
    Place(*this, TbshtMain, labels, edits, buttons);
    chkbxSlit = new QCheckBox(QStringLiteral("Slit Function Available"), TbshtMain);
    chkbxSlit->setObjectName(QStringLiteral("chkbxSlit"));
    chkbxSlit->setGeometry(218, 112, 203, 20);
    chkbxSlit->setChecked(true);
    chkbxSlit->setProperty(kShownChecked, true);
    for (QLineEdit* edit : {edtYEAR, edtLatLong, EdtData, edtFWHM}) Mark(edit);
}

void TfrmSettings::BuildAnalysisTab() {
    using T = TfrmSettings;
    const LabelPlace labels[] = {{"Shift interval for ozone fit", 4, 34, 190},
                                 {"nm", 398, 34, 24},
                                 {"Start wavelength, interval, step", 4, 60, 190},
                                 {"nm", 398, 60, 24},
                                 {"nr interv.:", 4, 86, 190},
                                 {"OUTPUT specification:", 4, 114, 190},
                                 {"Start, end wavel., step, FWHM", 4, 130, 190},
                                 {"nm", 398, 122, 24}};
    const EditPlace edits[] = {{&T::Edt_OzFit, "Edt_OzFit", "", 196, 34, 196},
                               {&T::Edt_Shift, "Edt_Shift", "", 196, 60, 196},
                               {&T::Edt_nrSh, "Edt_nrSh", "", 196, 86, 60},
                               {&T::Edt_Out, "Edt_Out", "", 196, 122, 196}};
    const ButtonPlace buttons[] = {
        {&T::BtBtn_OKana, "BtBtn_OKana", "Apply", 4, 166},
        {&T::Btbtn_cancelana, "Btbtn_cancelana", "Undo", 100, 166},
        {&T::BtBtn_defaultsana, "BtBtn_defaultsana", "DEFAULTS", 196, 166}};
    Place(*this, TbshtAnalysis, labels, edits, buttons);
    auto* heading = new QLabel(QStringLiteral("INPUT for SHIFT analysis"), TbshtAnalysis);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setGeometry(4, 6, 300, 18);
}

void TfrmSettings::BuildOutputTab() {
    QWidget* p = Tbsht_output;
    // Smaller still: two columns of captions up to 34 characters.
    QFont smaller = font();
    smaller.setPointSizeF(kOutputPointSize);
    p->setFont(smaller);
    SwitchGroup(p, "Integrated UV output", QRect(4, 2, 206, 54),
                {{&ChckBx_EfUv, "Effective UV"}, {&ChckBx_Interval, "Interval UV"}});
    SwitchGroup(p, "Irradiance standardised", QRect(4, 58, 206, 71),
                {{&ChckBx_irr_stsli, "standard slit"},
                 {&ChckBx_irr_insli, "instrument slit"},
                 {&ChckBx_Trans, "Transmission: meas./ET-spectrum"}});
    SwitchGroup(p, "Wavelength shifts", QRect(4, 131, 206, 71),
                {{&ChckBx_shift, "detailed spectral shifts"},
                 {&ChkBx_shift_appl, "correction of wavelength"},
                 {&ChkBx_shis, "daily shifts for certain regions"}});
    SwitchGroup(p, "Quality checks", QRect(214, 2, 207, 71),
                {{&ChkBx_flag, "Quality flagging"},
                 {&chkbx_struc, "spectral structure check"},
                 {&ChckBx_q, "Detailed transmission and spikes Q"}});
    SwitchGroup(p, "Logging TARN runs", QRect(214, 75, 207, 54),
                {{&ChckBx_LogMain, "TARN Logging Main"}, {&ChckBx_LogShif, "Logging of shift"}});
    SwitchGroup(p, "Detection of spikes", QRect(214, 131, 207, 54),
                {{&ChckBx_SpikeCor, "Detailed"}, {&ChckBx_MainSpike, "Main spikes"}});
    const std::pair<QCheckBox*, const char*> names[] = {{ChckBx_EfUv, "ChckBx_EfUv"},
                                                        {ChckBx_Interval, "ChckBx_Interval"},
                                                        {ChckBx_irr_stsli, "ChckBx_irr_stsli"},
                                                        {ChckBx_irr_insli, "ChckBx_irr_insli"},
                                                        {ChckBx_Trans, "ChckBx_Trans"},
                                                        {ChckBx_shift, "ChckBx_shift"},
                                                        {ChkBx_shift_appl, "ChkBx_shift_appl"},
                                                        {ChkBx_shis, "ChkBx_shis"},
                                                        {ChkBx_flag, "ChkBx_flag"},
                                                        {chkbx_struc, "chkbx_struc"},
                                                        {ChckBx_q, "ChckBx_q"},
                                                        {ChckBx_LogMain, "ChckBx_LogMain"},
                                                        {ChckBx_LogShif, "ChckBx_LogShif"},
                                                        {ChckBx_SpikeCor, "ChckBx_SpikeCor"},
                                                        {ChckBx_MainSpike, "ChckBx_MainSpike"}};
    for (const auto& name : names) name.first->setObjectName(QLatin1String(name.second));
    ChckBx_EfUv->setToolTip(QStringLiteral("Weighted UV-output; action spectra in efuv.dfa"));
    ChckBx_Interval->setToolTip(QStringLiteral("Summed UV per interval specified in efuv.dfa"));
    using T = TfrmSettings;
    const LabelPlace labels[] = {{"Name of output specif.", 4, 210, 140}};
    const EditPlace edits[] = {{&T::edt_output, "edt_output", "", 4, 228, 206}};
    const ButtonPlace buttons[] = {
        {&T::BtBtn_OC_OK, "BtBtn_OC_OK", "Apply", 234, 226},
        {&T::BtBtn_OC_Defaults, "BtBtn_OC_Defaults", "Defaults", 330, 226}};
    Place(*this, p, labels, edits, buttons);
}

void TfrmSettings::BuildEtQaTab() {
    using T = TfrmSettings;
    const LabelPlace labels[] = {{"Path for ET, O3-cross and action spectra", 4, 4, 300},
                                 {"ET-spectrum", 4, 50, 120},
                                 {"ET-spec 1nm", 4, 76, 120},
                                 {"O3-crosssection", 4, 102, 120}};
    const EditPlace edits[] = {{&T::Edt_etpath, "Edt_etpath", "", 4, 22, 417},
                               {&T::Edt_etspec, "Edt_etspec", "", 130, 50, 291},
                               {&T::Edt_et1nm, "Edt_et1nm", "", 130, 76, 291},
                               {&T::Edt_Ox, "Edt_Ox", "", 130, 102, 291},
                               {&T::Edt_shift1range, "Edt_shift1range", "", 4, 136, 206},
                               {&T::Edt_sh1_flag, "Edt_sh1_flag", "", 215, 136, 206},
                               {&T::Edt_shift2range, "Edt_shift2range", "", 4, 162, 206},
                               {&T::Edt_sh2_flag, "Edt_sh2_flag", "", 215, 162, 206}};
    const ButtonPlace buttons[] = {{&T::BtBtn_OKetqa, "BtBtn_OKetqa", "Apply", 4, 196}};
    Place(*this, TbSht_SetQA, labels, edits, buttons);
    for (QLineEdit* edit : {Edt_shift1range, Edt_sh1_flag, Edt_shift2range, Edt_sh2_flag}) {
        edit->setText(QLatin1String(kNotAdjustableText));
        edit->setReadOnly(true);
    }
}

void TfrmSettings::ConnectHandlers() {
    const std::pair<QPushButton*, void (TfrmSettings::*)()> buttons[] = {
        {BitBtnOK, &TfrmSettings::BtBtn_OKClick},
        {BtBtnCancel, &TfrmSettings::BtBtnCancelClick},
        {BtBtn_OKana, &TfrmSettings::BtBtn_OKana_click},
        {Btbtn_cancelana, &TfrmSettings::BtBtn_cancelana_click},
        {BtBtn_defaultsana, &TfrmSettings::BtBtn_defaultsana_click},
        {BtBtn_OC_OK, &TfrmSettings::BtBtn_OC_OK_click},
        {BtBtn_OC_Defaults, &TfrmSettings::BtBtn_OC_Defaults_click},
        {BtBtn_OKetqa, &TfrmSettings::BtBtn_OKetqaClick}};
    for (const auto& button : buttons)
        gui::ConnectGuarded(button.first, &QPushButton::clicked, this, button.second);
}

std::vector<std::pair<QLineEdit*, EditText MainInstrumentTexts::*>> TfrmSettings::MainEdits()
    const {
    using M = MainInstrumentTexts;
    return {{edtYEAR, &M::Year},
            {edtLatLong, &M::LatLong},
            {Edt_timeshft, &M::TimeShift},
            {Edt_Analys, &M::AnalysisPath},
            {edt_nrheader, &M::HeaderCount},
            {EdtData, &M::DataPath},
            {edt_exten, &M::Extension},
            {edtRange, &M::Range},
            {edt_stapnr, &M::HalfWidth},
            {edtFWHM, &M::Fwhm},
            {Edt_irrcor, &M::IrradianceFactor}};
}

MainInstrumentTexts TfrmSettings::MainTexts() const {
    MainInstrumentTexts t;
    for (const auto& [edit, text] : MainEdits()) t.*text = gui::TextOf(edit);
    t.SlitAvailable = chkbxSlit->isChecked();
    t.SlitEdited = t.SlitAvailable != chkbxSlit->property(kShownChecked).toBool();
    t.InstrumentShown = m_instrumentShown;
    return t;
}

void TfrmSettings::ShowMainTexts(const MainInstrumentTexts& t) {
    for (const auto& [edit, text] : MainEdits()) Show(edit, t.*text);
    if (t.SlitEdited) return;
    chkbxSlit->setChecked(t.SlitAvailable);
    chkbxSlit->setProperty(kShownChecked, t.SlitAvailable);
}

std::vector<std::pair<QLineEdit*, EditText AnalysisTexts::*>> TfrmSettings::AnalysisEdits() const {
    using A = AnalysisTexts;
    return {{Edt_OzFit, &A::OzoneFit},
            {Edt_Shift, &A::Shift},
            {Edt_nrSh, &A::WindowCount},
            {Edt_Out, &A::Output},
            {Edt_Analys, &A::AnalysisPath}};
}

AnalysisTexts TfrmSettings::AnalysisEditTexts() const {
    AnalysisTexts t;
    for (const auto& [edit, text] : AnalysisEdits()) t.*text = gui::TextOf(edit);
    return t;
}

void TfrmSettings::ShowAnalysisTexts(const AnalysisTexts& t) {
    for (const auto& [edit, text] : AnalysisEdits()) Show(edit, t.*text);
}

std::vector<std::pair<QLineEdit*, EditText EtQaTexts::*>> TfrmSettings::EtQaEdits() const {
    using E = EtQaTexts;
    return {{Edt_etpath, &E::EtPath},
            {Edt_etspec, &E::EtSpectrum},
            {Edt_et1nm, &E::Et1nm},
            {Edt_Ox, &E::O3Cross}};
}

EtQaTexts TfrmSettings::EtQaEditTexts() const {
    EtQaTexts t;
    for (const auto& [edit, text] : EtQaEdits()) t.*text = gui::TextOf(edit);
    return t;
}

void TfrmSettings::ShowEtQaTexts(const EtQaTexts& t) {
    for (const auto& [edit, text] : EtQaEdits()) Show(edit, t.*text);
}

std::vector<TfrmSettings::SwitchBox> TfrmSettings::SwitchBoxes() const {
    using S = OutputSwitches;
    return {{ChckBx_EfUv, &S::Effective_UV},
            {ChckBx_Interval, &S::Interval_UV},
            {ChckBx_irr_stsli, &S::Stand_slit},
            {ChckBx_irr_insli, &S::Instrument_slit},
            {ChckBx_shift, &S::Detailed_shif},
            {ChkBx_shift_appl, &S::Corr_waveln},
            {ChkBx_shis, &S::Daily_shif},
            {ChkBx_flag, &S::Q_flag},
            {chkbx_struc, &S::Spec_struc},
            {ChckBx_q, &S::Trans_Q},
            {ChckBx_LogMain, &S::Log_main_tarn},
            {ChckBx_LogShif, &S::Log_shift},
            {ChckBx_SpikeCor, &S::Details_on_corrections},
            {ChckBx_MainSpike, &S::Main_spikes_only},
            {ChckBx_Trans, &S::Transmission}};
}

OutputSwitches TfrmSettings::Switches() const {
    OutputSwitches switches{};
    for (const SwitchBox& box : SwitchBoxes()) switches.*box.Switch = box.Box->isChecked();
    return switches;
}

void TfrmSettings::FormShow() {
    // While a run holds the working directory the files are shown as they
    // are: nothing is merged, saved or made under the run.
    const RunLock lock;
    const bool write = lock.Taken();
    MainInstrumentTexts main = MainTexts();
    EtQaTexts etqa = EtQaEditTexts();
    MainPathChoice mainPath;
    FillThenShow(
        [&] {
            mainPath = OpenLongDefaults(DefaultsFileName(), m_form.MainAnalysisPath(), main, etqa,
                                        write);
        },
        [&] {
            ShowMainTexts(main);
            ShowEtQaTexts(etqa);
        });
    AnalysisTexts analysis = AnalysisEditTexts();
    FillThenShow([&] { ReadAnalysisTexts(DefaultsFileName(), analysis); },
                 [&] { ShowAnalysisTexts(analysis); });
    ShowInstrument(mainPath, write);
}

void TfrmSettings::ShowInstrument(const MainPathChoice& mainPath, bool write) {
    // No instrument file is read or made in a main path that is no directory:
    // the instrument edits take no input until one that exists is applied.
    m_instrumentShown = !mainPath.DirectoryMissing;
    for (QWidget* edit :
         std::initializer_list<QWidget*>{edt_nrheader, EdtData, edt_exten, edtRange, edt_stapnr,
                                         edtFWHM, chkbxSlit, Edt_irrcor})
        edit->setEnabled(m_instrumentShown);
    if (!m_instrumentShown) {
        gui::CurrentDialogs().Inform(QString::fromLatin1(kMainPathMissingText) +
                                     gui::DecodeBytes(MessagePart(mainPath.Path)));
        return;
    }
    MainInstrumentTexts main = MainTexts();
    FillThenShow([&] { ReadInstrumentTexts(mainPath.Path, InstrumentId(), main, write); },
                 [&] { ShowMainTexts(main); });
}

void TfrmSettings::BtBtn_OKClick() {
    const RunLock lock;
    RefuseSettingsDuringRun(lock);
    // The extension gets its point in the edit too.
    const std::string extension = gui::BytesOf(edt_exten);
    if (ExtensionWithPoint(extension) != extension)
        edt_exten->setText(gui::DecodeBytes(ExtensionWithPoint(extension)));
    const MainInstrumentTexts main = MainTexts();
    CheckMainInstrumentTexts(main);
    m_form.SetMainAnalysisPath(main.AnalysisPath.Bytes);
    ApplyMainInstrument(DefaultsFileName(), InstrumentId(), main);
    KeepApplied(MainEdits(), main);
    chkbxSlit->setProperty(kShownChecked, main.SlitAvailable);
    // A main path mended here: its instrument file is shown now.
    if (!m_instrumentShown)
        ShowInstrument({main.AnalysisPath.Bytes, !DirectoryExists(main.AnalysisPath.Bytes)});
}

void TfrmSettings::BtBtnCancelClick() {
    MainInstrumentTexts main = MainTexts();
    FillThenShow([&] { ReloadMainInstrumentTexts(DefaultsFileName(), InstrumentId(), main); },
                 [&] { ShowMainTexts(main); });
}

void TfrmSettings::BtBtn_OKana_click() {
    const RunLock lock;
    RefuseSettingsDuringRun(lock);
    const AnalysisTexts texts = AnalysisEditTexts();
    ApplyAnalysis(DefaultsFileName(), texts);
    KeepApplied(AnalysisEdits(), texts);
}

void TfrmSettings::BtBtn_cancelana_click() {
    AnalysisTexts texts = AnalysisEditTexts();
    FillThenShow([&] { ReadAnalysisTexts(DefaultsFileName(), texts); },
                 [&] { ShowAnalysisTexts(texts); });
}

void TfrmSettings::BtBtn_defaultsana_click() {
    Edt_Out->setText(QLatin1String(kDefaultOutput));
    Edt_nrSh->setText(QLatin1String(kDefaultWindowCount));
    Edt_OzFit->setText(QLatin1String(kDefaultOzoneFit));
    Edt_Shift->setText(QLatin1String(kDefaultShift));
}

void TfrmSettings::BtBtn_OC_OK_click() {
    const RunLock lock;
    RefuseSettingsDuringRun(lock);
    WriteOutputSpecification(DefaultsFileName(), gui::BytesOf(edt_output), Switches());
}

void TfrmSettings::BtBtn_OC_Defaults_click() {
    for (const SwitchBox& box : SwitchBoxes()) box.Box->setChecked(true);
}

void TfrmSettings::BtBtn_OKetqaClick() {
    const RunLock lock;
    RefuseSettingsDuringRun(lock);
    const EtQaTexts texts = EtQaEditTexts();
    ApplyEtQa(DefaultsFileName(), texts);
    KeepApplied(EtQaEdits(), texts);
}

std::string TfrmSettings::DefaultsFileName() const {
    return m_form.Entries().DefaultsFile;
}

std::string TfrmSettings::InstrumentId() const {
    return m_form.Entries().InstrumentId;
}

}  // namespace tarn::tarncall
