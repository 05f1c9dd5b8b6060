// The viewer's graph window: one chart of the chosen columns of result files.
// Series1 holds every plotted point in red; Series3, a line series whose data
// source is the average of Series1, holds instead the points of the file
// plotted last, in blue, from that plot until "Clear plot" empties Series1 and
// hands Series3 back to its average (then empty); Series2 is never filled.
#pragma once

#include <QWidget>

class QPushButton;

namespace tarn::gui {
class Chart;
class ChartSeries;
}  // namespace tarn::gui

namespace tarn::resplot {

class TForm1;

class TGrafiek1 : public QWidget {
    Q_OBJECT

  public:
    // A window of `mainForm` (which supplies the axis dialog and the limits
    // that "Rescale axis" copies).
    explicit TGrafiek1(TForm1* mainForm = nullptr);

    // "Clear plot": removes every point of Series1 of this window; the axes stay.
    void Button1Click();
    // "Print results": prints the chart of this window through the print dialog.
    void Button2Click();
    // "Rescale axis": shows the axis dialog, copies the main window's Y max,
    // X max, Y min and X min into it (each copy applies to the current graph
    // at once), then sets this window's axes from the dialog.
    void btnAxisClick();

    gui::Chart* Chart1;
    gui::ChartSeries* Series1;
    gui::ChartSeries* Series2;
    gui::ChartSeries* Series3;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* btnAxis;

  private:
    TForm1* m_mainForm;
};

}  // namespace tarn::resplot
