// The viewer's main window: the thirteen settings of a view, the "all spectra
// at once" box and "Plot".  It owns the DataFiles window, the axis dialog and
// the graph windows.  The settings are read from the viewer settings file in
// the working directory when the window is created and written back at every
// "Plot".
#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <memory>

#include "gui-common/viewer_settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tarn::gui {
class TFrm_axissetting;
class TfrmDataFiles;
struct AxisLimitTexts;
}  // namespace tarn::gui

namespace tarn::resplot {

class ColumnGraphs;

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // Builds the window with its form defaults, creates the DataFiles window
    // and the axis dialog, and runs FormCreate in the handler guard.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // When the settings file exists, puts its lines 0..12 into the edits in
    // layout order.  A shorter file fills the edits it reaches and then raises
    // RunTimeError for its first missing line; without the file the edits keep
    // their defaults.
    void FormCreate();
    // Rewrites the settings file with the thirteen edits as typed: exactly 13
    // lines, later lines dropped; a line not edited keeps its bytes.  Raises
    // RunTimeError when it cannot be saved.
    void WriteViewerSettingsFromForm();
    // "Plot": refuses settings a plot cannot use (RequirePlottable raises the
    // refusal: one message, nothing written); saves the settings, lists path + file mask in the
    // DataFiles window and plots the listed files, one graph per file when
    // "all spectra at once" is not ticked, else all in one.  A plot that
    // draws nothing says why in one message.
    void btn_plotClick();

    // The edits as a settings record, and the record put into the edits.
    gui::ViewerSettings FormSettings() const;
    void ShowSettings(const gui::ViewerSettings& settings);

    // The axis limits of the view as typed, for "Rescale axis".
    gui::AxisLimitTexts AxisLimits() const;

    gui::TfrmDataFiles& DataFiles() { return *m_dataFiles; }
    gui::TFrm_axissetting& AxisDialog() { return *m_axisDialog; }
    ColumnGraphs& Graphs() { return *m_graphs; }
    // Set by each "Plot": "all spectra at once" was not ticked.
    bool OneGraphPerFile() const { return m_oneGraphPerFile; }

    QLineEdit* edt_filename;
    QLineEdit* edt_path;
    QLineEdit* edt_Title;
    QLineEdit* edt_X;
    QLineEdit* Edt_X_max;
    QLineEdit* edt_X_min;
    QLineEdit* edt_X_title;
    QLineEdit* edt_Y;
    QLineEdit* edt_Y_max;
    QLineEdit* Edt_Y_min;
    QLineEdit* edt_Y_Title;
    QLineEdit* edt_X_step;
    QLineEdit* edt_Y_step;
    QCheckBox* ChckBx_indiv;
    QPushButton* btn_plot;

  signals:
    // The operator closed the main window: the program ends.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // An edit at `box`, with its label (when not empty) at `labelBox`.
    QLineEdit* AddEdit(const char* name, const char* label, const QRect& labelBox,
                       const QRect& box);
    // The edits in the order of the settings lines.
    std::array<QLineEdit*, gui::kViewerSettingsLineCount> Edits() const;

    gui::TfrmDataFiles* m_dataFiles;
    gui::TFrm_axissetting* m_axisDialog;
    std::unique_ptr<ColumnGraphs> m_graphs;
    bool m_oneGraphPerFile = false;
};

}  // namespace tarn::resplot
