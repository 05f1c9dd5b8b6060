// Output specification file "output.dfa": the engine's reader of the output
// switches (the file's layout is engine/formats/output_spec_layout.h).
#pragma once

#include <string>

namespace tarn {

// Reads the 15 output switches into Engine.Switches and the 5 class-file
// switches from `name` (<main path>output.dfa), or from the file its first
// line names (one level).  Writes two main-log lines: the name, and the
// spike-detection label line.
void Specify_output(const std::string& name);

}  // namespace tarn
