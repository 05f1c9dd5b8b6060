// Built-in settings, the long defaults file and the effective defaults file "tarn_e.dfa".
#pragma once

namespace tarn {

// Gives every setting its built-in value.
void SetInternalDefaults();

// Reads the defaults file named on the command line: the built-in set when it
// is missing, the short format when its name contains "tarnpelo.dfa", else the
// long format.
void ReadLongDefaults();

// Writes the settings in force, in the long layout, to <main path>tarn_e.dfa.
void WriteEffectiveDefaults();

}  // namespace tarn
