// The shift-graph window: the applied wavelength shifts of one or more scans,
// wavelength (nm) against shift (nm), one red point per row of each
// applied-shift file and a green line at the mean shift.  The shell keeps one
// current shift-graph window, the one created last: adding files and the axis
// dialog act on it.  Windows are modeless and live until the program ends;
// closing one hides it.
#pragma once

#include <QWidget>
#include <string>

class QPushButton;

namespace tarn {
class TextIn;
}

namespace tarn::gui {
class Chart;
class ChartSeries;
class TFrm_axissetting;
}  // namespace tarn::gui

namespace tarn::tarncall {

// The applied-shift file to plot next and the title of a new graph; kept
// between calls.
extern std::string ShiftGraphFile;
extern std::string ShiftGraphTitle;

// Title of a graph of a run's or a view's applied shifts: the prefix, the id,
// a blank and the day-and-time text.
std::string ShiftGraphTitleFor(const std::string& id, const std::string& dayTime);

// The message for a result-code text without the applied-shift code: no
// applied shift is plotted.
std::string NoShiftCodeText(const std::string& resultCodes);

class TGrafiek1 : public QWidget {
    Q_OBJECT

  public:
    // Builds the window and plots ShiftGraphFile as "Show Result" does.
    explicit TGrafiek1(QWidget* parent = nullptr);

    // "Show Result": adds the points of ShiftGraphFile to this window (a
    // missing file is reported), sets the left axis to -0.3..0.3 nm, the bottom
    // axis to 300..400 nm and the chart title to ShiftGraphTitle.
    void BitBtn1Click();
    // "Clear plot": removes every plotted point; the axes stay.
    void Button1Click();
    // "Print results": prints the chart through the print dialog.
    void Button2Click();
    // "Rescale axis": shows the axis dialog and applies its four values here.
    void btnAxisClick();

    gui::Chart* Chart1;
    gui::ChartSeries* Series1;  // the plotted shifts, in ascending wavelength
    gui::ChartSeries* Series2;  // never filled
    gui::ChartSeries* Series3;  // the mean of Series1
    QPushButton* BitBtn1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* btnAxis;

  private:
    QPushButton* AddButton(const QString& caption, const char* name, void (TGrafiek1::*handler)());
};

// Reads an applied-shift file and adds its rows to `series` as red points
// (x = wavelength, y = shift, both nm).  Lines before the first line whose
// first two fields are numbers are header lines; blank lines add nothing; a
// later line whose first two fields are not numbers raises RunTimeError
// naming the file and line, and the points before it stay.
void PlotShiftFile(TextIn& file, gui::ChartSeries& series);

// Stores `file` and `title`; with `create` opens a new window, which becomes
// the current one and plots the file; without, adds the file to the current
// window.  Then shows the current window.
void ShowShiftGraph(const std::string& title, const std::string& file, bool create);

// Adds the points of ShiftGraphFile to the current window.  A file that
// cannot be opened adds nothing and shows no message; a bad data line is
// reported once and ends that file.  True when the file was read to its end.
bool AddShiftFileToGraph();

// The current shift-graph window; nullptr before the first one.
TGrafiek1* CurrentShiftGraph();

// The shell's one axis dialog, made on first use (program start calls this so
// that it exists from the start); it acts on the current window.
gui::TFrm_axissetting& Frm_axissetting();

// Deletes every shift-graph window and the axis dialog; for the end of the
// program, before the application object goes.
void ReleaseShiftGraphs();

}  // namespace tarn::tarncall
