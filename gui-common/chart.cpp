#include "gui-common/chart.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <optional>

#include "gui-common/dialogs.h"
#include "gui-common/widget_png.h"
#include "platform/paths.h"
#include "platform/run_error.h"

namespace tarn::gui {

namespace {

constexpr double kPad = 6.0;        // margin around the parts, screen pixels
constexpr double kMajorTick = 4.0;  // tick lengths, screen pixels
constexpr double kMinorTick = 2.0;
constexpr int kLabelPixels = 11;  // font sizes, screen pixels
constexpr int kTitlePixels = 13;

// An axis as drawn: its range and the pixel span it maps to.
struct AxisMap {
    double Minimum;
    double Maximum;
    double From;  // pixel of the minimum
    double To;    // pixel of the maximum

    double operator()(double v) const {
        double span = Maximum - Minimum;
        if (!(span > 0.0)) return (From + To) / 2.0;
        return From + (v - Minimum) / span * (To - From);
    }
    bool Contains(double v) const { return v >= Minimum && v <= Maximum; }
};

// The part of a segment inside the rectangle of two ranges (data units), and
// which of its ends the rectangle cut off.
struct ClippedSegment {
    QPointF Start;
    QPointF End;
    bool CutStart;
    bool CutEnd;
};

// Cuts the segment a-b (data units) to the rectangle of the two ranges
// (Liang-Barsky); none when nothing of it lies inside.
std::optional<ClippedSegment> ClipSegment(const AxisMap& xs, const AxisMap& ys, const QPointF& a,
                                          const QPointF& b) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - xs.Minimum, xs.Maximum - a.x(), a.y() - ys.Minimum,
                         ys.Maximum - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return std::nullopt;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return std::nullopt;
    }
    return ClippedSegment{QPointF(a.x() + t0 * dx, a.y() + t0 * dy),
                          QPointF(a.x() + t1 * dx, a.y() + t1 * dy), t0 > 0.0, t1 < 1.0};
}

bool Finite(const ChartPoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y);
}

QPen SolidPen(const QColor& colour, double width = 1.0) {
    QPen pen(colour, width);
    pen.setCosmetic(false);
    return pen;
}

// Draws the polyline of a line series, in runs that the clipping leaves whole.
void DrawLine(QPainter& painter, const ChartSeries& series, const AxisMap& xs, const AxisMap& ys) {
    painter.setPen(SolidPen(series.Colour()));
    painter.setBrush(Qt::NoBrush);
    QPolygonF run;
    auto flush = [&]() {
        if (run.size() > 1) painter.drawPolyline(run);
        run.clear();
    };
    const std::vector<ChartPoint>& points = series.Points();
    for (size_t i = 1; i < points.size(); ++i) {
        if (!Finite(points[i - 1]) || !Finite(points[i])) {
            flush();
            continue;
        }
        const auto segment = ClipSegment(xs, ys, QPointF(points[i - 1].X, points[i - 1].Y),
                                         QPointF(points[i].X, points[i].Y));
        if (!segment) {
            flush();
            continue;
        }
        if (segment->CutStart || run.isEmpty()) {
            flush();
            run << QPointF(xs(segment->Start.x()), ys(segment->Start.y()));
        }
        run << QPointF(xs(segment->End.x()), ys(segment->End.y()));
        if (segment->CutEnd) flush();
    }
    flush();
}

void DrawPointers(QPainter& painter, const ChartSeries& series, const AxisMap& xs,
                  const AxisMap& ys) {
    const double w = series.PointerWidth(), h = series.PointerHeight();
    const QColor fill = series.BrushColour().isValid() ? series.BrushColour() : series.Colour();
    const bool dot = series.Style() == PointerStyle::SmallDot;
    painter.setPen(series.OutlineVisible() && !dot ? SolidPen(series.Colour()) : QPen(Qt::NoPen));
    for (const ChartPoint& p : series.Points()) {
        if (!Finite(p) || !xs.Contains(p.X) || !ys.Contains(p.Y)) continue;
        const QRectF box(xs(p.X) - w / 2.0, ys(p.Y) - h / 2.0, w, h);
        const QColor colour = series.ColourEachPoint() && p.Colour.isValid() ? p.Colour : fill;
        if (dot) {
            painter.fillRect(box, colour);
            continue;
        }
        painter.setBrush(colour);
        if (series.Style() == PointerStyle::Circle)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
}

// Tick marks, grid lines and labels of one axis; `vertical` for the left one.
struct AxisLayout {
    double Step = 0.0;
    std::vector<double> Ticks;
    QStringList Labels;
    double Widest = 0.0;
};

AxisLayout LayOutAxis(const ChartAxis& axis, double pixels, double spacing,
                      const QFontMetricsF& metrics) {
    AxisLayout layout;
    layout.Step = axis.TickStep(pixels, spacing);
    layout.Ticks = axis.TickValues(layout.Step);
    for (double v : layout.Ticks) {
        layout.Labels << ChartAxis::LabelText(v, layout.Step);
        layout.Widest = std::max(layout.Widest, metrics.horizontalAdvance(layout.Labels.back()));
    }
    return layout;
}

// Values of the minor ticks between (and beside) the labelled ones.
std::vector<double> MinorTicks(const ChartAxis& axis, const AxisLayout& layout) {
    std::vector<double> minors;
    const int count = axis.MinorTickCount();
    if (count <= 0 || layout.Ticks.empty()) return minors;
    const double first = layout.Ticks.front() - layout.Step;
    for (size_t i = 0; i <= layout.Ticks.size(); ++i) {
        const double base = first + static_cast<double>(i) * layout.Step;
        for (int k = 1; k <= count; ++k) {
            const double v = base + layout.Step * k / (count + 1);
            if (v >= axis.Minimum() && v <= axis.Maximum()) minors.push_back(v);
        }
    }
    return minors;
}

void DrawAxes(QPainter& painter, const QRectF& plot, const ChartAxis& left, const ChartAxis& bottom,
              const AxisLayout& leftLayout, const AxisLayout& bottomLayout, const AxisMap& xs,
              const AxisMap& ys, const QFontMetricsF& metrics) {
    QPen grid = SolidPen(QColor(200, 200, 200));
    grid.setStyle(Qt::DotLine);
    painter.setPen(grid);
    for (double v : leftLayout.Ticks)
        painter.drawLine(QPointF(plot.left(), ys(v)), QPointF(plot.right(), ys(v)));
    for (double v : bottomLayout.Ticks)
        painter.drawLine(QPointF(xs(v), plot.top()), QPointF(xs(v), plot.bottom()));

    painter.setPen(SolidPen(Qt::black));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    for (double v : MinorTicks(left, leftLayout))
        painter.drawLine(QPointF(plot.left() - kMinorTick, ys(v)), QPointF(plot.left(), ys(v)));
    for (double v : MinorTicks(bottom, bottomLayout))
        painter.drawLine(QPointF(xs(v), plot.bottom()), QPointF(xs(v), plot.bottom() + kMinorTick));
    const double h = metrics.height();
    for (size_t i = 0; i < leftLayout.Ticks.size(); ++i) {
        const double y = ys(leftLayout.Ticks[i]);
        painter.drawLine(QPointF(plot.left() - kMajorTick, y), QPointF(plot.left(), y));
        const QRectF box(plot.left() - kMajorTick - 2.0 - leftLayout.Widest, y - h / 2.0,
                         leftLayout.Widest, h);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, leftLayout.Labels[int(i)]);
    }
    for (size_t i = 0; i < bottomLayout.Ticks.size(); ++i) {
        const double x = xs(bottomLayout.Ticks[i]);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kMajorTick));
        const QRectF box(x - bottomLayout.Widest, plot.bottom() + kMajorTick + 2.0,
                         2.0 * bottomLayout.Widest, h);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, bottomLayout.Labels[int(i)]);
    }
}

// Draws `text` centred in `box`; a text wider than the box is drawn smaller,
// in proportion, so that a long axis title stays whole instead of being cut.
void DrawFittedText(QPainter& painter, const QRectF& box, const QString& text,
                    const QFontMetricsF& metrics) {
    const double width = metrics.horizontalAdvance(text);
    if (width <= box.width() || !(box.width() > 0.0)) {
        painter.drawText(box, Qt::AlignCenter, text);
        return;
    }
    const double f = box.width() / width;
    painter.save();
    painter.translate(box.center());
    painter.scale(f, f);
    const double h = box.height() / f;
    painter.drawText(QRectF(-width / 2.0 - 1.0, -h / 2.0, width + 2.0, h), Qt::AlignCenter, text);
    painter.restore();
}

void DrawAxisTitles(QPainter& painter, const QRectF& area, const QRectF& plot,
                    const ChartAxis& left, const ChartAxis& bottom, const QFontMetricsF& metrics) {
    const double h = metrics.height();
    if (!bottom.Title().isEmpty()) {
        const QRectF box(plot.left(), area.bottom() - kPad - h, plot.width(), h);
        DrawFittedText(painter, box, bottom.Title(), metrics);
    }
    if (!left.Title().isEmpty()) {
        painter.save();
        painter.translate(area.left() + kPad, plot.center().y());
        painter.rotate(-90.0);
        DrawFittedText(painter, QRectF(-plot.height() / 2.0, 0.0, plot.height(), h), left.Title(),
                       metrics);
        painter.restore();
    }
}

}  // namespace

Chart::Chart(QWidget* parent) : QWidget(parent), m_left(this), m_bottom(this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Chart::~Chart() = default;

void Chart::SetTitle(const QString& title) {
    m_title = title;
    m_title.replace(QLatin1String("\r\n"), QLatin1String(" "));
    m_title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_title.replace(QLatin1Char('\r'), QLatin1Char(' '));
    update();
}

ChartSeries& Chart::AddSeries(SeriesKind kind) {
    m_series.push_back(std::make_unique<ChartSeries>(kind, this));
    update();
    return *m_series.back();
}

void Chart::Render(QPainter& painter, const QRectF& target, double scale) const {
    if (!(scale > 0.0) || target.isEmpty()) return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF area(0.0, 0.0, target.width() / scale, target.height() / scale);
    painter.fillRect(area, Qt::white);

    QFont labelFont = font(), titleFont = font();
    labelFont.setPixelSize(kLabelPixels);
    titleFont.setPixelSize(kTitlePixels);
    titleFont.setBold(true);
    const QFontMetricsF metrics(labelFont, painter.device());
    const QFontMetricsF titleMetrics(titleFont, painter.device());
    const double h = metrics.height();

    const double top = kPad + (m_title.isEmpty() ? h / 2.0 : titleMetrics.height() + kPad);
    const double bottom =
        kPad + kMajorTick + 2.0 + h + (m_bottom.Title().isEmpty() ? 0.0 : h + kPad);
    const double plotHeight = area.height() - top - bottom;
    const AxisLayout leftLayout = LayOutAxis(m_left, plotHeight, 2.0 * h, metrics);
    const double left =
        kPad + (m_left.Title().isEmpty() ? 0.0 : h + kPad) + leftLayout.Widest + kMajorTick + 2.0;
    const double right = kPad + 3.0 * metrics.averageCharWidth();
    const double plotWidth = area.width() - left - right;
    // Labels at least their own width apart, plus two characters.
    AxisLayout bottomLayout =
        LayOutAxis(m_bottom, plotWidth, 8.0 * metrics.averageCharWidth(), metrics);
    bottomLayout = LayOutAxis(m_bottom, plotWidth,
                              bottomLayout.Widest + 2.0 * metrics.averageCharWidth(), metrics);

    if (!m_title.isEmpty()) {
        painter.setFont(titleFont);
        painter.setPen(SolidPen(Qt::black));
        painter.drawText(QRectF(0.0, kPad, area.width(), titleMetrics.height()), Qt::AlignCenter,
                         m_title);
    }
    if (plotWidth > 4.0 && plotHeight > 4.0) {
        const QRectF plot(left, top, plotWidth, plotHeight);
        const AxisMap xs{m_bottom.Minimum(), m_bottom.Maximum(), plot.left(), plot.right()};
        const AxisMap ys{m_left.Minimum(), m_left.Maximum(), plot.bottom(), plot.top()};
        painter.setFont(labelFont);
        DrawAxes(painter, plot, m_left, m_bottom, leftLayout, bottomLayout, xs, ys, metrics);
        DrawAxisTitles(painter, area, plot, m_left, m_bottom, metrics);
        painter.save();
        painter.setClipRect(plot);
        for (const auto& series : m_series) {
            if (!series->Active()) continue;
            if (series->Kind() == SeriesKind::Line) DrawLine(painter, *series, xs, ys);
            DrawPointers(painter, *series, xs, ys);
        }
        painter.restore();
    }
    painter.restore();
}

void Chart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Render(painter, QRectF(rect()), 1.0);
}

QSizeF Chart::ReferenceSize() const {
    if (width() >= 200 && height() >= 150) return QSizeF(size());
    return QSizeF(sizeHint());
}

void Chart::RenderScaled(QPainter& painter, const QSizeF& size) const {
    const QSizeF reference = ReferenceSize();
    const double scale =
        std::min(size.width() / reference.width(), size.height() / reference.height());
    Render(painter, QRectF(QPointF(0.0, 0.0), size), scale);
}

bool Chart::ExportPng(const QString& path, const QSize& size) const {
    const QSize pixels = size.isValid() && !size.isEmpty() ? size : ReferenceSize().toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        RenderScaled(painter, QSizeF(pixels));
    }
    return SaveImageAsPng(image, path);
}

bool Chart::ExportPdf(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(m_title);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(10.0, 10.0, 10.0, 10.0), QPageLayout::Millimeter);
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return false;
        }
        RenderScaled(painter, QSizeF(writer.width(), writer.height()));
        painter.end();
    }
    return file.commit();
}

QString PrintFileName(const QString& title) {
    // Characters that one file system or another refuses in a name.
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    QString name = title;
    for (QChar& c : name)
        if (c.unicode() < 0x20 || refused.contains(c)) c = QLatin1Char('_');
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) name.chop(1);
    if (name.isEmpty()) name = QStringLiteral("chart");
    return QFile::decodeName(
        JoinPath(WorkingDirectory(), QFile::encodeName(name + QStringLiteral(".pdf")).toStdString())
            .c_str());
}

bool Chart::Print(Dialogs& dialogs) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(m_title);
    printer.setOutputFileName(PrintFileName(m_title));
    if (!dialogs.SetUpPrinter(printer)) return false;
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        RenderScaled(painter, QSizeF(printer.width(), printer.height()));
        printed = painter.end();
    }
    if (!printed) {
        const QString target =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        throw RunTimeError::Refusal("Cannot print the chart on " + target.toStdString());
    }
    return true;
}

}  // namespace tarn::gui
