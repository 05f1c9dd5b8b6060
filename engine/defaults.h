// Built-in settings, the long defaults file and the effective defaults file "tarn_e.dfa".
#pragma once

#include <string>

namespace tarn {

// Gives every setting its built-in value.
void SetInternalDefaults();

// Reads the defaults file named on the command line: the built-in set when it
// is missing, the short format when its name contains "tarnpelo.dfa", else the
// long format.  Writes its messages to the main log (and the console for a
// missing file or a count beyond a table's capacity).
void ReadLongDefaults();

// Writes the settings in force, in the long layout, to <main path>tarn_e.dfa
// (93 lines with the built-in counts).  Sets window 1's upper bound to its
// lower bound plus the window width first.
void WriteEffectiveDefaults();

}  // namespace tarn
