// A view as the graph routines need it: the texts of the viewer settings
// converted to numbers without regard to the process locale.
#pragma once

#include <string>

#include "gui-common/viewer_settings.h"

namespace tarn::resplot {

struct ColumnGraphSpec {
    std::string title;   // chart title before any file name
    std::string xTitle;  // bottom axis title
    std::string yTitle;  // left axis title
    long xColumn = 0;    // 0 when the text is no whole number
    long yColumn = 0;
    double xMin = 0.0;  // a limit that is no number counts as 0
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    double xSteps = 0.0;  // NaN when the text is no number
    double ySteps = 0.0;
};

// Converts the texts of `settings` (blanks around a number allowed).
ColumnGraphSpec ColumnGraphSpecOf(const gui::ViewerSettings& settings);

// Axis increment (axis units) for `steps` steps over minimum..maximum; 0, the
// chart's automatic increment, when `steps` is 0 or not a finite number.
double AxisIncrement(double minimum, double maximum, double steps);

// Empty when both column numbers of `settings` lie in 1..kMaxColumns; else the
// one-line message that says why nothing is plotted.
std::string ColumnProblem(const gui::ViewerSettings& settings);

}  // namespace tarn::resplot
