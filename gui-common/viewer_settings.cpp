#include "gui-common/viewer_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "engine/formats/defaults_layout.h"
#include "gui-common/line_list.h"
#include "platform/paths.h"

namespace tarn::gui {

const std::array<std::string ViewerSettings::*, kViewerSettingsLineCount> kViewerSettingsLayout = {
    &ViewerSettings::FileMask, &ViewerSettings::Path,    &ViewerSettings::Title,
    &ViewerSettings::XColumn,  &ViewerSettings::XMax,    &ViewerSettings::XMin,
    &ViewerSettings::XTitle,   &ViewerSettings::YColumn, &ViewerSettings::YMax,
    &ViewerSettings::YMin,     &ViewerSettings::YTitle,  &ViewerSettings::XSteps,
    &ViewerSettings::YSteps,
};

ViewerSettings ViewerSettingsOf(const std::array<std::string, kViewerSettingsLineCount>& lines) {
    ViewerSettings settings;
    for (size_t i = 0; i < lines.size(); ++i) settings.*kViewerSettingsLayout[i] = lines[i];
    return settings;
}

ViewerSettings DefaultViewerSettings() {
    // The result files lie in the engine's built-in main path, in the
    // working directory; titles and step counts have no default.
    const std::string path = BuiltInDefaults().Paths.MainPath + AsDirectory("ati");
    return ViewerSettingsOf(
        {"1851200i.ati", path, "", "1", "400", "300", "", "2", "1.3", "0", "", "", ""});
}

std::array<std::string, kViewerSettingsLineCount> ViewerSettingsLines(
    const ViewerSettings& settings) {
    std::array<std::string, kViewerSettingsLineCount> lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        // A line break inside a value would shift every later line.
        lines[i] = settings.*kViewerSettingsLayout[i];
        std::replace(lines[i].begin(), lines[i].end(), '\n', ' ');
        std::replace(lines[i].begin(), lines[i].end(), '\r', ' ');
    }
    return lines;
}

int ReadViewerSettings(const LineList& lines, ViewerSettings& settings) {
    int taken = 0;
    for (; taken < kViewerSettingsLineCount && taken < lines.Count(); ++taken)
        settings.*kViewerSettingsLayout[static_cast<size_t>(taken)] = lines.Line(taken);
    return taken;
}

void WriteViewerSettings(const ViewerSettings& settings, LineList& lines, bool keepLaterLines) {
    const auto values = ViewerSettingsLines(settings);
    for (int i = 0; i < kViewerSettingsLineCount; ++i) {
        const std::string& value = values[static_cast<size_t>(i)];
        if (i < lines.Count())
            lines.Replace(i, value);
        else
            lines.Append(value);
    }
    if (!keepLaterLines) lines.Erase(kViewerSettingsLineCount, lines.Count());
}

void SaveViewerSettingsFile(const ViewerSettings& settings, bool keepLaterLines) {
    // Loaded first also when its later lines go: the lines kept keep their ends.
    LineList lines;
    if (IsReadableFile(kViewerSettingsFileName)) lines.Load(kViewerSettingsFileName);
    WriteViewerSettings(settings, lines, keepLaterLines);
    lines.Save(kViewerSettingsFileName);
}

std::string ViewerSettingsNumber(double value) {
    char text[64];
    if (!std::isfinite(value)) {
        auto end = std::to_chars(text, text + sizeof text, value).ptr;
        return std::string(text, end);
    }
    // The shortest digits that read back as the value, in scientific form:
    // "d[.ddd]e±xx".  Their count and the exponent give the fixed form.
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    const std::string scientific(text, end);
    const size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    int digits = 0;
    for (size_t i = 0; i < e; ++i) digits += scientific[i] >= '0' && scientific[i] <= '9';
    if (exponent < -5 || exponent >= 15) return scientific;
    const int decimals = std::max(0, digits - 1 - exponent);
    end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

}  // namespace tarn::gui
