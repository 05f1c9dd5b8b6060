// Usage text and install dialogue.
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

}  // namespace tarn
