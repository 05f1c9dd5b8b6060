// Output specification file "output.dfa": the output switches.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_state.h"

namespace tarn {

// Reads the 15 output switches and the 5 class-file switches from `name`
// (<main path>output.dfa), or from the file its first line names (one level).
// Writes two main-log lines: the name, and the spike-detection label line.
void Specify_output(const std::string& name);

// The file as the operator shell writes it: `firstLine` (the main path and
// the file's own name, or the name of the file that holds the switches),
// then seven groups of a label line and "true" or "false" per switch; 23
// lines, without the class-file group.  Pure.
std::vector<std::string> OutputSpecLines(const std::string& firstLine,
                                         const OutputSwitches& switches);

}  // namespace tarn
