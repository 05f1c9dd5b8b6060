#include "engine/install.h"

namespace tarn {

void HandleInstallOrUsage() {}

void Install_DFA() {}

void ReadShortDefaults(const std::string&) {}

}  // namespace tarn
