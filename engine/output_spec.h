// Output specification file "output.dfa": the output switches.
#pragma once

#include <string>

namespace tarn {

// Reads the 15 output switches and the 5 class-file switches from `name`
// (<main path>output.dfa), or from the file its first line names (one level).
// Writes two main-log lines: the name, and the spike-detection label line.
void Specify_output(const std::string& name);

}  // namespace tarn
