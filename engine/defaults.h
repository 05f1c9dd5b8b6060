// The engine's settings from the defaults files: the built-in set, the long
// and the short defaults file, and the effective defaults file "tarn_e.dfa".
// The layouts themselves are in engine/formats/defaults_layout.h; these routines
// apply them to the engine's records and write its messages.
#pragma once

#include <string>

#include "engine/formats/defaults_layout.h"

namespace tarn {

// Gives every setting its built-in value (and turns every output switch on).
void SetInternalDefaults();

// Reads the defaults file named on the command line: the built-in set when it
// is missing, the short format when its name contains "tarnpelo.dfa", else the
// long format.  Writes its messages to the main log (and the console for a
// missing file or a count beyond a table's capacity).  A name that is there
// but cannot be read, or that the system cannot look up, is the run-time error.
void ReadLongDefaults();

// Reads the short defaults file `name` (as given) over the settings in force:
// year, longitude and latitude (degrees), maximum shift (nm), main path,
// reference-data path, and the optional time correction and standardised
// slit lines.  Logs its name.
void ReadShortDefaults(const std::string& name);

// Writes the settings in force, in the long layout, to <main path>tarn_e.dfa
// (93 lines with the built-in counts).  Sets window 1's upper bound to its
// lower bound plus the window width first.
void WriteEffectiveDefaults();

// The engine's settings in force as one record, and the record taken into
// the engine's settings (all but ShortDefaultsRead).
DefaultsSettings CurrentDefaultsSettings();
void ApplyDefaultsSettings(const DefaultsSettings& settings);

}  // namespace tarn
