// Writes the templates that an operator's working directory starts from:
// "tarn_e.dfa" (the engine's built-in settings in the long layout) and
// "viewer.dfa" (the viewer's own thirteen default lines).
//   make_templates <directory>
// Exit codes: 0 written, 2 a file could not be written (one line on standard error).
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "engine/formats/constants.h"
#include "engine/formats/defaults_layout.h"
#include "gui-common/viewer_settings.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_templates <directory>" << std::endl;
        return tarn::kExitRunTimeError;
    }
    const std::string directory = tarn::AsDirectory(argv[1]);
    try {
        tarn::CreateWithLines(directory + tarn::kEffectiveDefaultsName,
                              tarn::LongDefaultsLines(tarn::BuiltInDefaults()));
        const auto viewer = tarn::gui::ViewerSettingsLines(tarn::gui::DefaultViewerSettings());
        tarn::CreateWithLines(directory + tarn::gui::kViewerSettingsFileName,
                              std::vector<std::string>(viewer.begin(), viewer.end()));
    } catch (const tarn::RunTimeError& error) {
        std::cerr << "make_templates: " << error.Report() << std::endl;
        return tarn::kExitRunTimeError;
    }
    return tarn::kExitNormal;
}
