#include "viewer/view_spec.h"

#include <cmath>
#include <limits>

#include "platform/text_format.h"
#include "viewer/column_reading.h"

namespace tarn::resplot {

namespace {

long Column(const std::string& text) {
    long value = 0;
    return ParseIntTrimmed(text, value) ? value : 0;
}

double Limit(const std::string& text) {
    double value = 0.0;
    return ParseRealTrimmed(text, value) && std::isfinite(value) ? value : 0.0;
}

double Steps(const std::string& text) {
    double value = 0.0;
    return ParseRealTrimmed(text, value) ? value : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

ColumnGraphSpec ColumnGraphSpecOf(const gui::ViewerSettings& settings) {
    ColumnGraphSpec spec;
    spec.title = settings.title;
    spec.xTitle = settings.xTitle;
    spec.yTitle = settings.yTitle;
    spec.xColumn = Column(settings.xColumn);
    spec.yColumn = Column(settings.yColumn);
    spec.xMin = Limit(settings.xMin);
    spec.xMax = Limit(settings.xMax);
    spec.yMin = Limit(settings.yMin);
    spec.yMax = Limit(settings.yMax);
    spec.xSteps = Steps(settings.xSteps);
    spec.ySteps = Steps(settings.ySteps);
    return spec;
}

double AxisIncrement(double minimum, double maximum, double steps) {
    if (!std::isfinite(steps) || steps == 0.0) return 0.0;
    const double increment = (maximum - minimum) / steps;
    return std::isfinite(increment) ? increment : 0.0;
}

std::string ColumnProblem(const gui::ViewerSettings& settings) {
    if (IsValidColumn(Column(settings.xColumn)) && IsValidColumn(Column(settings.yColumn)))
        return std::string();
    return "Nothing plotted: the column numbers must be whole numbers from 1 to " +
           std::to_string(kMaxColumns) + " (X column \"" + settings.xColumn + "\", Y column \"" +
           settings.yColumn + "\")";
}

}  // namespace tarn::resplot
