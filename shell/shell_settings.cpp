#include "shell/shell_settings.h"

#include "gui-common/line_list.h"
#include "platform/paths.h"
#include "shell/defaults_upkeep.h"

namespace tarn::tarncall {

const std::array<std::string ShellSettings::*, kShellEntryCount> kShellSettingsLayout = {
    &ShellSettings::Program, &ShellSettings::DefaultsFile, &ShellSettings::ResultCodes,
    &ShellSettings::InstrumentId, &ShellSettings::DayTime};

bool ReadShellSettingsFile(ShellSettings& settings, std::string& outputSpecName) {
    if (!FileExists(kShellSettingsFileName)) return false;
    gui::LineList lines;
    lines.Load(kShellSettingsFileName);
    for (int line = 0; line < kShellEntryCount; ++line)
        settings.*kShellSettingsLayout[line] = lines.Line(line);
    if (lines.Count() > kShellOutputSpecLine) outputSpecName = lines.Line(kShellOutputSpecLine);
    return true;
}

void WriteShellSettingsFile(const ShellSettings& settings) {
    gui::LineList lines;
    if (FileExists(kShellSettingsFileName)) lines.Load(kShellSettingsFileName);
    while (lines.Count() < kShellEntryCount) lines.Append(std::string());
    for (int line = 0; line < kShellEntryCount; ++line)
        lines.Replace(line, settings.*kShellSettingsLayout[line]);
    lines.Save(kShellSettingsFileName);
}

}  // namespace tarn::tarncall
