// The shift-graph windows: the applied wavelength shifts of one or more scans,
// wavelength (nm) against shift (nm), one red point per row of each
// applied-shift file and a green line at the mean shift.  ShiftGraphs holds
// every window and the one axis dialog; the current window is the one
// created last: adding files and the axis dialog act on it.  Windows are
// modeless and live as long as their ShiftGraphs; closing one hides it.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

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

class ShiftGraphs;

// Title of a graph of a run's or a view's applied shifts: the prefix, the id,
// a blank and the day-and-time text.
std::string ShiftGraphTitleFor(const std::string& id, const std::string& dayTime);

// The message for a result-code text without the applied-shift code: no
// applied shift is plotted.
std::string NoShiftCodeText(const std::string& resultCodes);

class TGrafiek1 : public QWidget {
    Q_OBJECT

  public:
    // Builds a window of `graphs` and plots its file as "Show Result" does.
    explicit TGrafiek1(ShiftGraphs& graphs, QWidget* parent = nullptr);

    // "Show Result": adds the points of the file stored in the window's
    // ShiftGraphs to this window (a missing file is reported), sets the left
    // axis to -0.3..0.3 nm, the bottom axis to 300..400 nm and the chart
    // title to the stored title.
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

    ShiftGraphs& m_graphs;
};

// Reads an applied-shift file and adds its rows to `series` as red points
// (x = wavelength, y = shift, both nm).  Lines before the first line whose
// first two fields are numbers are header lines; blank lines add nothing; a
// later line whose first two fields are not numbers raises RunTimeError
// naming the file and line, and the points before it stay.
void PlotShiftFile(TextIn& file, gui::ChartSeries& series);

// The shift-graph windows of one program and their axis dialog, made with
// it; the file to plot next and the title of a new graph are kept between
// calls.
class ShiftGraphs {
  public:
    ShiftGraphs();
    // Deletes every window, then the axis dialog.
    ~ShiftGraphs();
    ShiftGraphs(const ShiftGraphs&) = delete;
    ShiftGraphs& operator=(const ShiftGraphs&) = delete;

    // Stores `file` and `title`; with `create` opens a new window, which
    // becomes the current one and plots the file; without, adds the file to
    // the current window.  Then shows the current window.
    void Show(const std::string& title, const std::string& file, bool create);

    // Adds the points of the stored file to the current window.  A file that
    // cannot be opened adds nothing and shows no message; a bad data line is
    // reported once and ends that file.  True when the file was read to its end.
    bool AddFile();

    // The current window; nullptr before the first one.
    TGrafiek1* Current() const;

    // The axis dialog; it acts on the current window.
    gui::TFrm_axissetting& AxisDialog() { return *m_axisDialog; }

    // The applied-shift file to plot next and the title of a new graph.
    std::string File;
    std::string Title;

  private:
    std::unique_ptr<gui::TFrm_axissetting> m_axisDialog;
    std::vector<std::unique_ptr<TGrafiek1>> m_windows;  // in order of creation
};

}  // namespace tarn::tarncall
