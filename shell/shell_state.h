// The shell's module-level values, alive while the program runs: the shell
// settings file's name, the value of its optional sixth line and the batch
// run's progress.  A ShellStateRecord{} holds the values of the program start.
#pragma once

#include <string>

#include "engine/formats/constants.h"

namespace tarn::tarncall {

struct ShellStateRecord {
    // "TARNcall.dfa", set at start.
    std::string ShellSettingsName;
    // Name of the output specification file: the shell settings file's line
    // 5 when it has one, else "output.dfa"; the settings dialog takes it.
    std::string OutputSpecName = kOutputSpecName;
    // First item of the data-file list whose batch has not run yet.
    int FirstUnplottedIndex = 0;
};

extern ShellStateRecord ShellState;

}  // namespace tarn::tarncall
