// Usage text, install dialogue and the short defaults file "tarnpelo.dfa".
#pragma once

#include <string>

namespace tarn {

// Prints the usage text, or runs the install dialogue when the scan-name
// argument contains "-i"/"-I" ("-s"/"-S" adds "-i" and the standard layout).
void HandleInstallOrUsage();

// The install dialogue: questions on standard output, one answer per line of
// standard input (wavelengths and FWHM in nm, location in degrees).  Writes
// <main path><id>.dfa, <main path>tarnpelo.dfa and, for a measured slit,
// <main path><id>.sli (mirrored when the answer says it is not yet).
void Install_DFA();

// Reads the short defaults file `name` (as given): year, longitude and latitude
// (degrees), maximum shift (nm), main path, reference-data path, and the
// optional time correction and standardised slit lines.  Logs its name.
void ReadShortDefaults(const std::string& name);

}  // namespace tarn
