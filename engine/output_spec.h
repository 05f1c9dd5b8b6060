// Output specification file "output.dfa": the output switches.
#pragma once

#include <string>

namespace tarn {

// Reads the switches from `name` (or from the file its first line names).
void Specify_output(const std::string& name);

}  // namespace tarn
