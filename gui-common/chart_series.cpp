#include "gui-common/chart_series.h"

#include <QWidget>
#include <algorithm>

namespace tarn::gui {

ChartSeries::ChartSeries(SeriesKind kind, QWidget* owner) : m_kind(kind), m_owner(owner) {}

void ChartSeries::Changed() {
    ++m_revision;
    if (m_owner != nullptr) m_owner->update();
}

void ChartSeries::SetColour(const QColor& colour) {
    m_colour = colour;
    Changed();
}

void ChartSeries::SetBrushColour(const QColor& colour) {
    m_brush = colour;
    Changed();
}

void ChartSeries::SetColourEachPoint(bool on) {
    m_colourEachPoint = on;
    Changed();
}

void ChartSeries::SetPointerStyle(PointerStyle style) {
    m_style = style;
    Changed();
}

void ChartSeries::SetPointerSize(int width, int height) {
    m_pointerWidth = std::max(width, 1);
    m_pointerHeight = std::max(height, 1);
    Changed();
}

void ChartSeries::SetOutlineVisible(bool on) {
    m_outline = on;
    Changed();
}

void ChartSeries::SetActive(bool on) {
    m_active = on;
    Changed();
}

void ChartSeries::SetXOrdered(bool on) {
    m_xOrdered = on;
    if (on) {
        std::stable_sort(m_points.begin(), m_points.end(),
                         [](const ChartPoint& a, const ChartPoint& b) { return a.X < b.X; });
    }
    Changed();
}

void ChartSeries::AddXY(double x, double y, const QColor& colour) {
    Points();  // a computed series takes its source's state first
    ChartPoint point{x, y, colour};
    if (m_xOrdered) {
        auto at = std::upper_bound(m_points.begin(), m_points.end(), x,
                                   [](double v, const ChartPoint& p) { return v < p.X; });
        m_points.insert(at, point);
    } else {
        m_points.push_back(point);
    }
    Changed();
}

bool ChartSeries::Delete(int index) {
    Points();
    if (index < 0 || index >= static_cast<int>(m_points.size())) return false;
    m_points.erase(m_points.begin() + index);
    Changed();
    return true;
}

void ChartSeries::Clear() {
    Points();
    m_points.clear();
    Changed();
}

const std::vector<ChartPoint>& ChartSeries::Points() const {
    if (m_source != nullptr) {
        // The source may itself be computed: bring it up to date first.
        m_source->Points();
        if (m_sourceRevision != m_source->m_revision) Recompute();
    }
    return m_points;
}

void ChartSeries::SetAverageOf(const ChartSeries* source) {
    // A source that depends on this series would make the average its own source.
    for (const ChartSeries* s = source; s != nullptr; s = s->m_source) {
        if (s == this) {
            source = nullptr;
            break;
        }
    }
    m_source = source;
    if (m_source != nullptr) m_sourceRevision = m_source->m_revision - 1;  // recompute on next use
    Changed();
}

void ChartSeries::Recompute() const {
    const std::vector<ChartPoint>& source = m_source->m_points;
    m_points.clear();
    if (!source.empty()) {
        double sum = 0.0;
        for (const ChartPoint& p : source) sum += p.Y;
        const double mean = sum / static_cast<double>(source.size());
        m_points.push_back({source.front().X, mean, QColor()});
        m_points.push_back({source.back().X, mean, QColor()});
    }
    m_sourceRevision = m_source->m_revision;
    ++m_revision;
}

}  // namespace tarn::gui
