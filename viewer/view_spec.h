// A view as the graph routines need it: the texts of the viewer settings
// converted to numbers without regard to the process locale.
#pragma once

#include <string>

#include "gui-common/viewer_settings.h"

namespace tarn::resplot {

struct ColumnGraphSpec {
    std::string Title;   // chart title before any file name
    std::string XTitle;  // bottom axis title
    std::string YTitle;  // left axis title
    long XColumn = 0;    // 0 when the text is no whole number
    long YColumn = 0;
    double XMin = 0.0;  // a limit that is no number counts as 0
    double XMax = 0.0;
    double YMin = 0.0;
    double YMax = 0.0;
    double XSteps = 0.0;  // NaN when the text is no number
    double YSteps = 0.0;
};

// Converts the texts of `settings` (blanks around a number allowed).
ColumnGraphSpec ColumnGraphSpecOf(const gui::ViewerSettings& settings);

// Axis increment (axis units) for `steps` steps over minimum..maximum; 0, the
// chart's automatic increment, when `steps` is 0 or not a finite number.
double AxisIncrement(double minimum, double maximum, double steps);

// Checks that every numeric setting of `settings` holds what a plot needs:
// the column numbers whole numbers in 1..kMaxColumns, the axis limits and
// step counts numbers.  Raises RunTimeError::Refusal, one line naming the
// first setting that does not by the label of its edit, when one fails.
void RequirePlottable(const gui::ViewerSettings& settings);

// The messages of a Plot that draws nothing: no file matches `mask` (the
// folder and the pattern named), or no line of the `fileCount` files holds
// numbers in both columns.
std::string NoFileText(const std::string& mask);
std::string NoPointsText(size_t fileCount, const gui::ViewerSettings& settings);

}  // namespace tarn::resplot
