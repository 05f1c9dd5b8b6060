// The settings dialog "TARNpelo SETTINGS": four tabs over the engine's long
// defaults file (named in the main window's entries), the instrument defaults
// file of the main window's instrument and the output specification.  Made
// by the main window, which owns it, and shown modeless by "Settings"; its
// buttons leave it open.  Every handler runs guarded and works on the files as they are on
// disk at that moment; the file work is in shell/settings_files.h.
#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "engine/formats/output_spec_layout.h"
#include "shell/settings_files.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tarn::tarncall {

class TForm1;

class TfrmSettings : public QDialog {
    Q_OBJECT

  public:
    // Builds the four tabs with every control; edt_output takes the output
    // specification's name of `form`.  The dialog takes the entries and the
    // main analysis path of `form` as values, and gives the main path back.
    explicit TfrmSettings(TForm1& form, QWidget* parent = nullptr);

    // What "Settings" does after showing the dialog: the long defaults file
    // completed with the main window's main path kept (OpenLongDefaults), the Analysis tab
    // reloaded, the instrument file (the default first when missing) read
    // into the Main Instrument tab; while a run holds the working directory
    // nothing is merged, saved or made.  A main path that is no directory gets
    // its message, and no instrument file is read or made there: the
    // instrument edits take no input until Apply of a main path that exists.
    void FormShow();

    // Every Apply is refused with one message while a run holds the working
    // directory (RunLock), and holds it while it writes; after it, each
    // applied edit counts as unchanged until its text changes again.
    // Main Instrument: apply (long defaults and instrument file) / reload.
    void BtBtn_OKClick();
    void BtBtnCancelClick();
    // Analysis: apply / reload / the shell's defaults into the edits.
    void BtBtn_OKana_click();
    void BtBtn_cancelana_click();
    void BtBtn_defaultsana_click();
    // Output control: write the output specification / tick every box.
    void BtBtn_OC_OK_click();
    void BtBtn_OC_Defaults_click();
    // ET_QA-settings: apply.
    void BtBtn_OKetqaClick();

    // The edits as typed, and the texts as filled put into them (an edited
    // text leaves its edit as the operator left it).
    MainInstrumentTexts MainTexts() const;
    void ShowMainTexts(const MainInstrumentTexts& texts);
    AnalysisTexts AnalysisEditTexts() const;
    void ShowAnalysisTexts(const AnalysisTexts& texts);
    EtQaTexts EtQaEditTexts() const;
    void ShowEtQaTexts(const EtQaTexts& texts);
    // The output switches as the fifteen boxes stand.
    OutputSwitches Switches() const;

    QTabWidget* PageControl1;
    QWidget* TbshtMain;
    QWidget* TbshtAnalysis;
    QWidget* Tbsht_output;
    QWidget* TbSht_SetQA;

    // Main Instrument.
    QLineEdit* edtYEAR;
    QLineEdit* edtLatLong;
    QLineEdit* Edt_irrcor;
    QLineEdit* Edt_timeshft;
    QLineEdit* EdtData;
    QLineEdit* edt_exten;
    QLineEdit* Edt_Analys;
    QLineEdit* edtRange;
    QLineEdit* edt_stapnr;
    QLineEdit* edtFWHM;
    QCheckBox* chkbxSlit;
    QLineEdit* edt_nrheader;
    QPushButton* BitBtnOK;
    QPushButton* BtBtnCancel;

    // Analysis.
    QLineEdit* Edt_OzFit;
    QLineEdit* Edt_Shift;
    QLineEdit* Edt_nrSh;
    QLineEdit* Edt_Out;
    QPushButton* BtBtn_OKana;
    QPushButton* Btbtn_cancelana;
    QPushButton* BtBtn_defaultsana;

    // Output control.
    QCheckBox* ChckBx_EfUv;
    QCheckBox* ChckBx_Interval;
    QCheckBox* ChckBx_irr_stsli;
    QCheckBox* ChckBx_irr_insli;
    QCheckBox* ChckBx_Trans;
    QCheckBox* ChckBx_shift;
    QCheckBox* ChkBx_shift_appl;
    QCheckBox* ChkBx_shis;
    QCheckBox* ChkBx_flag;
    QCheckBox* chkbx_struc;
    QCheckBox* ChckBx_q;
    QCheckBox* ChckBx_LogMain;
    QCheckBox* ChckBx_LogShif;
    QCheckBox* ChckBx_SpikeCor;
    QCheckBox* ChckBx_MainSpike;
    QLineEdit* edt_output;
    QPushButton* BtBtn_OC_OK;
    QPushButton* BtBtn_OC_Defaults;

    // ET_QA-settings.
    QLineEdit* Edt_etpath;
    QLineEdit* Edt_etspec;
    QLineEdit* Edt_et1nm;
    QLineEdit* Edt_Ox;
    QLineEdit* Edt_shift1range;
    QLineEdit* Edt_sh1_flag;
    QLineEdit* Edt_shift2range;
    QLineEdit* Edt_sh2_flag;
    QPushButton* BtBtn_OKetqa;

  private:
    // The main window's long defaults file and instrument id.
    std::string DefaultsFileName() const;
    std::string InstrumentId() const;
    // The edits of each tab with their texts.
    std::vector<std::pair<QLineEdit*, gui::EditText MainInstrumentTexts::*>> MainEdits() const;
    std::vector<std::pair<QLineEdit*, gui::EditText AnalysisTexts::*>> AnalysisEdits() const;
    std::vector<std::pair<QLineEdit*, gui::EditText EtQaTexts::*>> EtQaEdits() const;
    void BuildMainTab();
    void BuildAnalysisTab();
    void BuildOutputTab();
    void BuildEtQaTab();
    void ConnectHandlers();
    // Fills the instrument edits from the instrument file in `mainPath`
    // (ReadInstrumentTexts; not made when missing unless `write`), or, when
    // that is missing, shows its message and disables them.
    void ShowInstrument(const MainPathChoice& mainPath, bool write = true);
    // Every output box with its switch.
    struct SwitchBox {
        QCheckBox* Box;
        bool OutputSwitches::*Switch;
    };
    std::vector<SwitchBox> SwitchBoxes() const;

    TForm1& m_form;
    bool m_instrumentShown = true;  // the instrument edits were filled
};

}  // namespace tarn::tarncall
