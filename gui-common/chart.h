// A small 2-D chart drawn with QPainter: a single-line title, a left and a
// bottom axis, and point and line series (no legend).  Points outside the axis
// ranges are clipped.  The same drawing serves the screen, PNG and PDF files
// and the printer, scaled to the page or image: pen widths, fonts and pointer
// sizes grow with it, so a printed chart looks like the one on the screen.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "gui-common/chart_axis.h"
#include "gui-common/chart_series.h"

namespace tarn::gui {

class Dialogs;

// The file a print of a chart titled `title` goes to when printed to a file:
// "<title>.pdf" in the working directory, each character that some file
// system refuses in a name (\ / : * ? " < > |, control characters) made "_".
QString PrintFileName(const QString& title);

class Chart : public QWidget {
    Q_OBJECT

  public:
    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // The title is one line: line breaks become blanks.
    void SetTitle(const QString& title);
    void ClearTitle() { SetTitle(QString()); }
    const QString& Title() const { return m_title; }

    ChartAxis& LeftAxis() { return m_left; }
    ChartAxis& BottomAxis() { return m_bottom; }
    const ChartAxis& LeftAxis() const { return m_left; }
    const ChartAxis& BottomAxis() const { return m_bottom; }

    // Adds a series, drawn after the ones added before; the chart owns it.
    ChartSeries& AddSeries(SeriesKind kind);
    int SeriesCount() const { return static_cast<int>(m_series.size()); }
    ChartSeries& Series(int index) { return *m_series.at(static_cast<size_t>(index)); }

    // Draws the chart into `target` (device coordinates of `painter`), with
    // everything `scale` times its screen size.
    void Render(QPainter& painter, const QRectF& target, double scale) const;
    // Writes a PNG image of `size` pixels (the widget's size when invalid),
    // scaled from the screen layout; false when the file cannot be written.
    [[nodiscard]] bool ExportPng(const QString& path, const QSize& size = QSize()) const;
    // Writes a one-page PDF, A4 landscape with 10 mm margins, the chart scaled
    // to the page; false when the file cannot be written.
    [[nodiscard]] bool ExportPdf(const QString& path) const;
    // Asks `dialogs` for a printer (the print dialog, which offers a print to
    // PrintFileName(title)) and prints the chart on one landscape page; false
    // when cancelled.  Raises RunTimeError naming the printer (or the
    // output file) when printing fails.
    bool Print(Dialogs& dialogs) const;

    QSize sizeHint() const override { return QSize(680, 400); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The size that scale 1 stands for: the widget's, or a default while it
    // has no usable size.
    QSizeF ReferenceSize() const;
    // Draws the chart over (0, 0)..`size` (device pixels: an image, or the
    // paintable area of a page), scaled from the reference size to fit.
    void RenderScaled(QPainter& painter, const QSizeF& size) const;

    QString m_title;
    ChartAxis m_left;
    ChartAxis m_bottom;
    std::vector<std::unique_ptr<ChartSeries>> m_series;
};

}  // namespace tarn::gui
