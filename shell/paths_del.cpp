#include "shell/paths_del.h"

#include "engine/formats/settings_text.h"

namespace tarn::tarncall {

std::string NormalizeDirectory(const std::string& path) {
    // The engine's rule for the directory lines of its defaults files.
    return DirectoryLine(path);
}

}  // namespace tarn::tarncall
