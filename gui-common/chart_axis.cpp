#include "gui-common/chart_axis.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/text_format.h"

namespace tarn::gui {

namespace {

constexpr int kMaxTicks = 1000;

// Smallest of 1, 2, 5 times a power of ten that is at least `raw` (> 0).
double NiceStep(double raw) {
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= raw * (1.0 - 1e-12)) return factor * power;
    return 10.0 * power;
}

}  // namespace

std::optional<double> AxisNumber(const std::string& text) {
    double value = 0.0;
    if (!ParseRealTrimmed(text, value) || !std::isfinite(value)) return std::nullopt;
    return value;
}

void ChartAxis::Changed() {
    if (m_owner != nullptr) m_owner->update();
}

void ChartAxis::SetMinMax(double first, double second) {
    if (!std::isfinite(first) || !std::isfinite(second)) return;
    m_minimum = std::min(first, second);
    m_maximum = std::max(first, second);
    Changed();
}

void ChartAxis::SetIncrement(double increment) {
    m_increment = increment;
    Changed();
}

bool ChartAxis::AutomaticIncrement() const {
    return !(std::isfinite(m_increment) && m_increment > 0.0);
}

void ChartAxis::SetMinorTickCount(int count) {
    m_minorTicks = std::clamp(count, 0, 100);
    Changed();
}

void ChartAxis::SetTitle(const QString& title) {
    m_title = title;
    Changed();
}

double ChartAxis::TickStep(double pixels, double spacing) const {
    const double span = m_maximum - m_minimum;
    if (!(span > 0.0) || !std::isfinite(span) || !(pixels > 0.0)) return 0.0;
    // The smallest step in axis units that keeps labels `spacing` pixels apart.
    const double least = std::max(span * spacing / pixels, span / kMaxTicks);
    if (!AutomaticIncrement()) {
        double multiple = std::ceil(least / m_increment * (1.0 - 1e-12));
        if (std::isfinite(multiple) && multiple < 1e12)
            return m_increment * std::max(multiple, 1.0);
    }
    return NiceStep(least);
}

std::vector<double> ChartAxis::TickValues(double step) const {
    std::vector<double> values;
    if (!(step > 0.0) || !std::isfinite(step)) return values;
    const double first = std::ceil(m_minimum / step - 1e-9);
    const double last = std::floor(m_maximum / step + 1e-9);
    for (double i = first; i <= last && values.size() < kMaxTicks; i += 1.0) {
        double value = i * step;
        if (std::fabs(value) < step * 1e-9) value = 0.0;  // no "-0" label
        values.push_back(value);
    }
    return values;
}

QString ChartAxis::LabelText(double value, double step) {
    if (std::fabs(value) >= 1e9 || (step > 0.0 && step < 1e-6))
        return QString::number(value, 'g', 6);
    int decimals = 0;
    for (; decimals < 6; ++decimals) {
        double scaled = step * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) break;
    }
    return QString::number(value, 'f', decimals);
}

}  // namespace tarn::gui
