// The shell's main window: the scan selection (day-and-time mask and
// instrument id), the run, settings and view buttons, and the engine's
// program call, defaults file, result codes and main analysis path.  The
// five entries are kept in the shell settings file "TARNcall.dfa": read when
// the window is created, rewritten at every change.  The window owns the
// shell's other windows: the DataFiles window, the settings dialog and the
// shift-graph windows with their axis dialog.  Closing it ends the program;
// during a run, it breaks the run as "Break" does, and the program ends when
// the run has ended.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "engine/formats/constants.h"
#include "shell/defaults_upkeep.h"
#include "shell/shell_settings.h"

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarn::gui {
class TfrmDataFiles;
}

namespace tarn::tarncall {

class ShiftGraphs;
class TfrmSettings;

// The application's title (message boxes and the task bar).
constexpr const char kApplicationTitle[] = "TARNpelo calling routines";

// Characters of the day-and-time mask (DDDhhmm).
constexpr int kDayTimeLength = 7;

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // Builds the window with every control and its default text, runs
    // FormCreate, then makes the DataFiles window, the settings dialog and
    // the axis dialog, in this order.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: the entries from "TARNcall.dfa" (its sixth line into
    // OutputSpecName), or the message that it is missing; then the long
    // defaults file's main path kept (KeepMainPathAtStart) and shown in
    // edt_MainAna before the file is saved, with a message when that
    // directory does not exist.  Filling the entries rewrites nothing; the
    // day-and-time text is cut to 7 characters as typing would.  The entries hold the files' bytes (gui::ShowBytes).
    void FormCreate();

    // The five entries as typed.
    ShellSettings Entries() const;
    // The main analysis path the shell works with: kept at start, set by the
    // settings dialog, typed by the operator; edt_MainAna shows it.
    const std::string& MainAnalysisPath() const { return m_mainAnalysisPath; }
    void SetMainAnalysisPath(const std::string& path);
    // Rewrites lines 0 to 4 of "TARNcall.dfa" from the entries; later lines stay.
    void WriteShellSettings();
    // Reads both defaults files for the entries (SelectData, which refuses a
    // main path that names no directory); unless one was missing, shows the
    // DataFiles window listing the mask.
    DataSelection SelectDataFiles();
    // MergeDefaultsWithTemplate on edtDFA's file with the main analysis path.
    void MergeDefaultsWithTemplate();

    // The shell settings file, "TARNcall.dfa".
    static const char* ShellSettingsName() { return kShellSettingsFileName; }
    // Name of the output specification file: the shell settings file's line
    // 5 when it has one, else "output.dfa"; the settings dialog takes it.
    const std::string& OutputSpecName() const { return m_outputSpecName; }
    // First item of the data-file list whose batch has not run yet.
    int FirstUnplottedIndex() const { return m_firstUnplottedIndex; }
    void SetFirstUnplottedIndex(int index) { m_firstUnplottedIndex = index; }

    // The windows the main window owns.
    gui::TfrmDataFiles& DataFiles() { return *m_dataFiles; }
    TfrmSettings& Settings() { return *m_settings; }
    ShiftGraphs& Graphs() { return *m_graphs; }

    // Change handlers: each rewrites the shell settings file; the day-and-time
    // handler first cuts its text to 7 characters.  edtDFAChange runs when
    // edtDFA loses the focus.
    void edtDayTimeChange();
    void edtInstrumentChange();
    void edtProgChange();
    void edtResCodeChange();
    void edtDFAChange();
    // "Show dataselection": SelectDataFiles, then "<n> datafile(s) selected".
    void btnDataselectClick();
    // True once the window was closed during the run that goes on.
    bool ClosedDuringRun() const { return m_closedDuringRun; }
    // "Run TARN" (RunTarn; `closed` follows, queued, when the window was
    // closed meanwhile), "Settings" and "View".
    void Button1Click();
    void btnSettingsClick();
    void btn_ViewClick();

    QGroupBox* grpSelection;
    QLineEdit* edtDayTime;
    QLineEdit* edtInstrument;
    QPushButton* btnDataselect;
    QPushButton* Button1;
    QCheckBox* chckbx_Plot;
    QCheckBox* ChckBxZIP;
    QGroupBox* grpParameters;
    QPushButton* btnSettings;
    QGroupBox* grpViewing;
    QPushButton* btn_View;
    QCheckBox* chckbx_viewSZA;
    QRadioButton* rdbtn_shftspec;
    QRadioButton* rdbtn_spkspec;
    QRadioButton* rdbtn_spectrans;
    QRadioButton* rdbtn_diurnaltrans;
    QRadioButton* rdbtn_shftdiur;
    QRadioButton* rdbtn_shft2diur;
    QRadioButton* rdbtn_shape;
    QLineEdit* edtProg;
    QLineEdit* edtDFA;
    QLineEdit* edtResCode;
    QLineEdit* edt_MainAna;

  signals:
    // The operator closed the main window (after the run it broke): the
    // program ends.
    void closed();
    // The operator closed the main window during a run: the run breaks.
    void runBreakRequested();
    // edtDFA lost the focus.
    void defaultsFileLeft();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildSelectionGroup();
    void BuildParametersGroup();
    void BuildViewingGroup();
    void BuildPathEdits();
    void ConnectHandlers();
    // Puts `settings` into the five entries without running their handlers.
    void ShowEntries(const ShellSettings& settings);
    // The two steps of FormCreate.
    void ShowShellSettings();
    void ShowMainPath();

    std::string m_mainAnalysisPath;
    std::string m_outputSpecName = kOutputSpecName;
    int m_firstUnplottedIndex = 0;
    bool m_running = false;
    bool m_closedDuringRun = false;
    std::unique_ptr<gui::TfrmDataFiles> m_dataFiles;
    std::unique_ptr<TfrmSettings> m_settings;
    std::unique_ptr<ShiftGraphs> m_graphs;
};

}  // namespace tarn::tarncall
