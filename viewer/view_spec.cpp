#include "viewer/view_spec.h"

#include <cmath>
#include <limits>
#include <utility>

#include "gui-common/chart_axis.h"
#include "platform/file_mask.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "viewer/column_reading.h"

namespace tarn::resplot {

namespace {

long Column(const std::string& text) {
    long value = 0;
    return ParseIntTrimmed(text, value) ? value : 0;
}

double Limit(const std::string& text) {
    return gui::AxisNumber(text).value_or(0.0);
}

double Steps(const std::string& text) {
    double value = 0.0;
    return ParseRealTrimmed(text, value) ? value : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

ColumnGraphSpec ColumnGraphSpecOf(const gui::ViewerSettings& settings) {
    ColumnGraphSpec spec;
    spec.Title = settings.Title;
    spec.XTitle = settings.XTitle;
    spec.YTitle = settings.YTitle;
    spec.XColumn = Column(settings.XColumn);
    spec.YColumn = Column(settings.YColumn);
    spec.XMin = Limit(settings.XMin);
    spec.XMax = Limit(settings.XMax);
    spec.YMin = Limit(settings.YMin);
    spec.YMax = Limit(settings.YMax);
    spec.XSteps = Steps(settings.XSteps);
    spec.YSteps = Steps(settings.YSteps);
    return spec;
}

double AxisIncrement(double minimum, double maximum, double steps) {
    if (!std::isfinite(steps) || steps == 0.0) return 0.0;
    const double increment = (maximum - minimum) / steps;
    return std::isfinite(increment) ? increment : 0.0;
}

void RequirePlottable(const gui::ViewerSettings& s) {
    const auto refusal = [](const char* name, const char* what, const std::string& text) {
        return RunTimeError::Refusal(std::string(name) + ": " + what + " expected, not '" +
                                     MessagePart(text) + "'; nothing written");
    };
    const std::pair<const char*, const std::string*> columns[] = {{"X column", &s.XColumn},
                                                                  {"Y column", &s.YColumn}};
    for (const auto& [name, text] : columns) {
        long column = 0;
        if (!ParseIntTrimmed(*text, column) || !IsValidColumn(column))
            throw refusal(name, "a whole number from 1 to 100", *text);
    }
    const std::pair<const char*, const std::string*> numbers[] = {
        {"X Max", &s.XMax},      {"X-axis Min", &s.XMin},     {"Y Max", &s.YMax},
        {"Y-axis Min", &s.YMin}, {"X axis steps", &s.XSteps}, {"Y axis steps", &s.YSteps}};
    for (const auto& [name, text] : numbers)
        if (!gui::AxisNumber(*text)) throw refusal(name, "a number", *text);
}

std::string NoFileText(const std::string& mask) {
    std::string directory, pattern;
    SplitMask(mask, directory, pattern);
    return "Nothing plotted: no file matches " + MessagePart(pattern) + " in " +
           (directory.empty() ? std::string("the working directory") : MessagePart(directory));
}

std::string NoPointsText(size_t fileCount, const gui::ViewerSettings& settings) {
    return "Nothing plotted: no line of the " +
           (fileCount == 1 ? std::string("file") : std::to_string(fileCount) + " files") +
           " holds numbers in columns " + settings.XColumn + " and " + settings.YColumn;
}

}  // namespace tarn::resplot
