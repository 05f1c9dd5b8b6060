// A series of a Chart: points (x, y, colour) drawn as pointers, and for a line
// series joined by a polyline.  A series can be computed from another one
// through an average: it then holds two points at the source's first and last
// x with the mean of the source's y values (none while the source is empty),
// recomputed whenever the source has changed.
#pragma once

#include <QColor>
#include <vector>

class QWidget;

namespace tarn::gui {

enum class SeriesKind { Point, Line };
enum class PointerStyle { Circle, Rectangle, SmallDot };

struct ChartPoint {
    double X;
    double Y;
    QColor Colour;  // invalid: the series colour
};

class ChartSeries {
  public:
    ChartSeries(SeriesKind kind, QWidget* owner);

    SeriesKind Kind() const { return m_kind; }

    // Line colour, pointer outline, and the fill of points without their own colour.
    void SetColour(const QColor& colour);
    const QColor& Colour() const { return m_colour; }
    // Pointer fill; invalid: the series colour.
    void SetBrushColour(const QColor& colour);
    const QColor& BrushColour() const { return m_brush; }
    // When on, a point with a colour of its own is filled with it.
    void SetColourEachPoint(bool on);
    bool ColourEachPoint() const { return m_colourEachPoint; }
    void SetPointerStyle(PointerStyle style);
    PointerStyle Style() const { return m_style; }
    // Pointer size in screen pixels (scaled with the page when printed).
    void SetPointerSize(int width, int height);
    int PointerWidth() const { return m_pointerWidth; }
    int PointerHeight() const { return m_pointerHeight; }
    void SetOutlineVisible(bool on);
    bool OutlineVisible() const { return m_outline; }
    // An inactive series is not drawn; its points stay.
    void SetActive(bool on);
    bool Active() const { return m_active; }
    // When on, points are kept in ascending x (a new point goes after equal x).
    void SetXOrdered(bool on);
    bool XOrdered() const { return m_xOrdered; }

    void AddXY(double x, double y, const QColor& colour = QColor());
    // Removes point `index` (0 is the first); false when there is no such point.
    bool Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(Points().size()); }
    const std::vector<ChartPoint>& Points() const;

    // Makes this series the average of `source` (nullptr: a plain series again).
    // The source must live as long as this series (both belong to one Chart).
    void SetAverageOf(const ChartSeries* source);
    const ChartSeries* AverageSource() const { return m_source; }

  private:
    void Changed();
    void Recompute() const;

    SeriesKind m_kind;
    QWidget* m_owner;
    QColor m_colour = Qt::red;
    QColor m_brush;
    bool m_colourEachPoint = false;
    PointerStyle m_style = PointerStyle::Rectangle;
    int m_pointerWidth = 3;
    int m_pointerHeight = 3;
    bool m_outline = true;
    bool m_active = true;
    bool m_xOrdered = false;
    const ChartSeries* m_source = nullptr;
    // Computed points are filled lazily, so they are mutable.
    mutable std::vector<ChartPoint> m_points;
    mutable unsigned long m_revision = 0;
    mutable unsigned long m_sourceRevision = 0;
};

}  // namespace tarn::gui
