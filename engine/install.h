// Usage text, install dialogue and the short defaults file "tarnpelo.dfa".
#pragma once

#include <string>

namespace tarn {

// Prints the usage text, or runs the install dialogue when the scan-name
// argument contains "-i"/"-I" ("-s"/"-S" adds "-i" and the standard layout).
void HandleInstallOrUsage();

// The install dialogue on the console; writes <id>.dfa, tarnpelo.dfa and <id>.sli.
void Install_DFA();

// Reads the short defaults file `name` into the settings.
void ReadShortDefaults(const std::string& name);

}  // namespace tarn
